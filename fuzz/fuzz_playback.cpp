// Layer playback: the search for the segments that hold a moment (binary
// search against the plain walk), time weights, and placing a layer at a
// moment, with any numbers at all.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "fuzz_input.hpp"
#include "tazu/playback.hpp"

namespace tp = tazu::playback;

namespace {

tp::Vec2 rotate(tp::Vec2 v, double deg) {
  const double r = deg * std::numbers::pi / 180.0, c = std::cos(r), s = std::sin(r);
  return {v.x * c - v.y * s, v.x * s + v.y * c};
}

void check_timeline(fuzz::Input& in) {
  tp::SegmentTimeline timeline;
  const bool laid = in.flag();  // end to end, as a sprite lays its keyframes
  const int count = in.u8() % 64;
  double clock = in.number();
  for (int i = 0; i < count && !in.empty(); ++i) {
    const double duration = in.number();
    if (laid) {
      // Joins may overlap by a little, as float sums do.
      const double back = in.flag() ? std::fabs(in.number()) * 1e-12 : 0.0;
      timeline.append(clock - back, duration);
      clock = clock - back + duration;
    } else {
      timeline.append(in.number(), duration);
    }
  }
  FUZZ_CHECK(timeline.size() <= std::size_t(count));
  std::vector<std::size_t> fast, slow;
  for (int q = 0; q < 8 && !in.empty(); ++q) {
    const double t = in.number();
    timeline.find(t, fast);
    timeline.scan(t, slow);
    FUZZ_CHECK(fast == slow);
  }
}

void check_weights(fuzz::Input& in) {
  std::vector<std::optional<double>> parsed;
  const int count = in.u8() % 32;
  for (int i = 0; i < count; ++i) {
    if (in.flag())
      parsed.push_back(in.number());
    else
      parsed.push_back(std::nullopt);
  }
  const tp::TimeWeights w = tp::compute_time_weights(parsed);
  FUZZ_CHECK(w.weights.size() == parsed.size());
  if (parsed.size() > 1) FUZZ_CHECK(w.weights[0] == 0.0);
  for (std::size_t i = 0; i < parsed.size(); ++i)
    if (!parsed[i] && (i > 0 || parsed.size() == 1)) FUZZ_CHECK(w.weights[i] == 1.0);
}

// Numbers small enough that the geometry must come out finite and exact to
// rounding.
struct Sanity {
  bool sane = true;
  double largest = 0;
  double take(double v, double limit = 1e6) {
    if (!std::isfinite(v) || std::fabs(v) > limit) sane = false;
    largest = std::max(largest, std::isfinite(v) ? std::fabs(v) : 0.0);
    return v;
  }
  double scale(double v) {
    take(v, 1e3);
    if (std::fabs(v) < 1e-3) sane = false;
    return v;
  }
};

bool close(double a, double b, double size) { return std::fabs(a - b) <= 1e-7 * (1 + size); }

tp::Vec2 corner_mean(const tp::TurnedBox& b) {
  tp::Vec2 m;
  for (const auto& c : b.corners) m = {m.x + c.x / 4, m.y + c.y / 4};
  return m;
}

// Corners of a turned box: a rectangle about its centre whose top-left is the
// smallest coordinate pair.
void check_turned(const tp::TurnedBox& b, tp::Vec2 centre, double size) {
  double lx = b.corners[0].x, ly = b.corners[0].y;
  for (const auto& c : b.corners) {
    FUZZ_CHECK(std::isfinite(c.x) && std::isfinite(c.y));
    lx = std::min(lx, c.x);
    ly = std::min(ly, c.y);
  }
  FUZZ_CHECK(b.x == lx && b.y == ly);
  const tp::Vec2 m = corner_mean(b);
  FUZZ_CHECK(close(m.x, centre.x, size) && close(m.y, centre.y, size));
  // Opposite corners are the same distance from the centre.
  const auto d = [&](int i) { return std::hypot(b.corners[i].x - m.x, b.corners[i].y - m.y); };
  FUZZ_CHECK(close(d(0), d(2), size) && close(d(1), d(3), size) && close(d(0), d(1), size));
}

void check_placement(fuzz::Input& in) {
  Sanity k;
  tp::ChangeSegment s;
  s.start_time = k.take(in.number());
  s.duration = k.take(in.number());
  s.start_pos = {k.take(in.number()), k.take(in.number())};
  s.end_pos = {k.take(in.number()), k.take(in.number())};
  s.start_width = k.take(in.number());
  s.end_width = k.take(in.number());
  s.start_height = k.take(in.number());
  s.end_height = k.take(in.number());
  s.start_angle = k.take(in.number());
  s.end_angle = k.take(in.number());
  s.start_scale = k.scale(in.number());
  s.end_scale = k.scale(in.number());
  const auto maybe_vec = [&]() -> std::optional<tp::Vec2> {
    if (!in.flag()) return std::nullopt;
    return tp::Vec2{k.take(in.number()), k.take(in.number())};
  };
  s.start_pivot = maybe_vec();
  s.end_pivot = maybe_vec();
  const auto maybe_group = [&]() -> std::optional<tp::GroupBox> {
    if (!in.flag()) return std::nullopt;
    return tp::GroupBox{k.take(in.number()), k.take(in.number()), k.take(in.number()),
                        k.take(in.number())};
  };
  s.start_group = maybe_group();
  s.end_group = maybe_group();
  s.start_group_angle = k.take(in.number());
  s.end_group_angle = k.take(in.number());
  s.start_group_scale = k.scale(in.number());
  s.end_group_scale = k.scale(in.number());
  s.start_relative = maybe_vec();
  s.end_relative = maybe_vec();
  s.start_origin = maybe_vec();
  s.end_origin = maybe_vec();
  s.base_scale = in.flag() ? std::optional<double>(k.scale(in.number())) : std::nullopt;
  const std::optional<tp::Vec2> picture = maybe_vec();
  const double local_time = in.number();
  const bool sane = k.sane && std::isfinite(local_time);
  const double size = k.largest * 1e6;  // scale ratios reach 1e6

  double t = 0;
  try {
    t = tp::segment_progress(s, local_time);
  } catch (const std::domain_error&) {
    FUZZ_CHECK(s.duration == 0);
    t = in.within(0, 1);
  }
  if (sane) t = std::clamp(t, 0.0, 1.0);

  try {
    const tp::PlainPlacement p = tp::place_plain(s, t, rotate, picture);
    if (sane) {
      check_turned(p.box, p.centre, size);
      const tp::Vec2 start = s.start_box().centre();
      if (t == 0) FUZZ_CHECK(p.centre.x == start.x && p.centre.y == start.y);
    }
  } catch (const std::domain_error&) {
    FUZZ_CHECK(s.start_scale == 0);
  }

  const bool pivot_truthy = in.flag(), local_scaling = in.flag();
  const tp::Vec2 origin_size{k.take(in.number()), k.take(in.number())};
  const std::optional<tp::Vec2> group_centre = maybe_vec();
  try {
    const tp::GroupPlacement g =
        tp::place_in_group(s, t, pivot_truthy, local_scaling, origin_size, rotate, group_centre);
    if (sane && k.sane) {
      check_turned(g.box, g.centre, size);
      // The layer sits at its (scaled, turned) offset from the group's centre.
      const std::optional<tp::Vec2>& offset =
          g.vector_kind == tp::GroupVector::end_turning ? s.end_relative : s.start_relative;
      const double reach = std::hypot(g.centre.x - g.group_centre.x, g.centre.y - g.group_centre.y);
      const double factor =
          g.vector_kind == tp::GroupVector::end_turning     ? g.group_scale / s.end_scale
          : g.vector_kind == tp::GroupVector::local_scaling ? g.scale / *s.base_scale
                                                            : g.group_scale / *s.base_scale;
      FUZZ_CHECK(close(reach, std::hypot(offset->x, offset->y) * std::fabs(factor), size));
      const tp::Vec2 pivot =
          tp::carried_pivot(s, g, {k.take(in.number()), k.take(in.number())}, rotate);
      if (k.sane) FUZZ_CHECK(std::isfinite(pivot.x) && std::isfinite(pivot.y));
    }
  } catch (const std::invalid_argument&) {
    // Group boxes, an offset or the base scale missing.
  } catch (const std::domain_error&) {
    // A zero scale divides.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  switch (in.u8() % 3) {
    case 0:
      check_timeline(in);
      break;
    case 1:
      check_weights(in);
      break;
    default:
      check_placement(in);
      break;
  }
  return 0;
}
