// Drawing one change segment: what a drawing call shares between its segments,
// and the segment's values as read from its record.
#pragma once

#include <array>
#include <optional>

#include "playback/sprite.hpp"
#include "tazu/segment_record.hpp"

namespace tazu::playback {

// What one drawing call needs besides the segment. Which of the sprite's
// methods are the class's own, and the platform's rotation, are looked at
// once per call.
struct Frame {
  py::object self, screen, icons, preview, local, board;
  Records records;
  RotateFn rotate;
  SegmentMirror* mirror = nullptr;
  bool own_centre = false, own_position = false, own_find = false;
};

// A segment's values, read from its record in the steps of the walk.
struct SegmentValues {
  std::array<py::object, segment::kKeyCount> v;
  py::object& operator[](segment::Key k) { return v[segment::index(k)]; }
  template <std::size_t N>
  void read(const Records& r, py::handle seg, const std::array<segment::Key, N>& keys) {
    for (segment::Key k : keys) (*this)[k] = r.get(seg, key_name(k));
  }
};

// The icon of the library that draws this segment's file and number, made
// and added to the library when there is none.
py::object icon_for(Frame& f, py::handle icon_dict, py::handle file, py::handle x, py::handle y);

// The interpolated centre of two boxes through the sprite's calc_center when
// a host replaced it; nothing when the core computes it.
std::optional<Vec2> host_centre(Frame& f, double t, const Box& start, const Box& end);

// The parent-group path: `s` holds the segment's plain values, `v` its
// record's values up to the sizes.
void draw_grouped(Frame& f, ChangeSegment& s, SegmentValues& v, py::handle seg, double t);

}  // namespace tazu::playback
