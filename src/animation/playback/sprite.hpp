// Shared pieces of class 图层精灵: the typed mirror of its change segments, fast
// calls on the host's records, and the value conversions of the player.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <tazu/playback.hpp>
#include <utility>
#include <vector>

#include "convert.hpp"
#include "pyclass.hpp"
#include "tazu/state_record.hpp"

namespace tazu::playback {

using namespace tazu::convert;

// The sprite's change segments as the search needs them: start and end times,
// kept beside the host-visible list and rebuilt when that list is replaced or
// changes length.
struct SegmentMirror {
  py::object list;              // the list mirrored (kept to notice a replacement)
  std::size_t length = 0;       // its length when last read
  bool exact = true;            // every time read was a finite plain number
  bool still_recorded = false;  // the still segment of an unshaped sprite is in
  bool literal_walk = false;    // read every record instead (for comparisons)
  SegmentTimeline timeline;
  std::vector<std::size_t> hits;  // scratch for the search

  // Where the icons this sprite draws through were found in the host's
  // library, so that later frames need not walk the library again.
  struct FoundIcon {
    py::object library, file, number, icon;
    std::size_t index = 0;
  };
  std::vector<FoundIcon> found;

  // Pixel size of each media file drawn (None when it cannot be read).
  py::dict picture_sizes;

  // The action keys of the history list as a set, and the list and its
  // last item that the set's tokens stand for.
  KeyHistory shaped;
  py::object shaped_list, shaped_last;
};

// Whether `key` was shaped before: the history's 索引 answers, or the set of
// shaped keys when it mirrors that list.
bool shaped_before(py::handle self, py::handle history, py::handle key);
// Notes that `key` was just appended to the history.
void note_shaped(py::handle self, py::handle history, py::handle key);

// The mirror kept in the sprite's private attribute, made on first use.
SegmentMirror& mirror_of(py::handle self);
void register_mirror(py::module_& m);

// Whether the icon has this number and file: its file equal to `file`, or
// another spelling of that path (relative to the working directory recorded
// at import, or absolute). Records may spell a path otherwise than the icon
// does; a new icon for every frame would pile up.
bool same_icon(py::handle icon, py::handle number_, py::handle file);

// The platform's rotate_vector, looked up now: the core's own turn when it is
// the reference platform's, else a call of it.
RotateFn platform_rotation();

// True when `self` still uses the class's own method `name` (no subclass or
// instance replaced it), so the player may compute it directly.
bool own_method(py::handle self, py::handle name, py::handle original);

// Members, added to the class builder by each file.
void add_construction(pyext::ClassBuilder& b);
void add_shaping(pyext::ClassBuilder& b);
void add_geometry(pyext::ClassBuilder& b);
void add_rendering(pyext::ClassBuilder& b);
void add_turned_bounds(py::module_& m);  // _turned_bounds

// Original methods, for own_method (set once the class exists).
struct OwnMethods {
  py::object calc_center, calc_position, find_icon, record_segment;
};

// A state's look (or a change's end values) by state key.
struct Look {
  std::array<py::object, record::kKeyCount> v;
  py::object& operator[](record::Key k) { return v[record::index(k)]; }
};

// Records one change segment (处理视频): start values from the sprite's
// attributes, end values from `end`; nothing for a zero duration.
void record_segment(py::handle self, Look& end, py::handle length, py::handle start,
                    py::handle from_list);
// self.处理视频(...) with `end` as its arguments, however the method is defined.
py::object call_record_segment(py::handle self, Look& end, py::handle length, py::handle start,
                               py::handle from_list);
OwnMethods& own_methods();

}  // namespace tazu::playback
