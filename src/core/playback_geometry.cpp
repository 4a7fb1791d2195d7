#include <stdexcept>
#include <tazu/playback.hpp>

namespace tazu::playback {

namespace {

double divide(double a, double b) {
  if (b == 0) throw std::domain_error("division by zero");
  return a / b;
}

// Smallest x and y over the corners; ties keep the earlier corner, which only
// matters for signed zeros.
void take_top_left(TurnedBox& out) {
  out.x = out.corners[0].x;
  out.y = out.corners[0].y;
  for (const Vec2& c : out.corners) {
    if (c.x < out.x) out.x = c.x;
    if (c.y < out.y) out.y = c.y;
  }
}

std::array<Vec2, 4> corners_of(const Box& b) {
  return {Vec2{b.x, b.y}, Vec2{b.x + b.w, b.y}, Vec2{b.x + b.w, b.y + b.h}, Vec2{b.x, b.y + b.h}};
}

double need(const std::optional<double>& v) {
  if (!v) throw std::invalid_argument("base scale missing");
  return *v;
}

}  // namespace

double lerp(double a, double b, double t) { return a + (b - a) * t; }

Vec2 interpolate_centre(double t, const Box& start, const Box& end) {
  Vec2 s = start.centre(), e = end.centre();
  return {lerp(s.x, e.x, t), lerp(s.y, e.y, t)};
}

TurnedBox turn_box(const Box& box, double angle, double scale, Vec2 centre,
                   const RotateFn& rotate) {
  const Vec2 c = box.centre();
  TurnedBox out;
  out.corners = corners_of(box);
  for (Vec2& p : out.corners) {
    Vec2 v = rotate(Vec2{p.x - c.x, p.y - c.y}, angle);
    p = {v.x * scale + centre.x, v.y * scale + centre.y};
  }
  take_top_left(out);
  return out;
}

TurnedBox turn_box_about(const Box& box, Vec2 pivot, double angle, const RotateFn& rotate) {
  TurnedBox out;
  out.corners = corners_of(box);
  for (Vec2& p : out.corners) {
    Vec2 v = rotate(Vec2{p.x - pivot.x, p.y - pivot.y}, angle);
    p = {v.x + pivot.x, v.y + pivot.y};
  }
  take_top_left(out);
  return out;
}

double segment_progress(const ChangeSegment& s, double local_time) {
  return divide(local_time - s.start_time, s.duration);
}

bool turns_from_turned_start(const ChangeSegment& s, double angle) {
  return s.start_angle != 0 && angle != s.start_angle;
}

TurningBox turning_box(const ChangeSegment& s, double angle, std::optional<Vec2> picture) {
  if (!picture || !turns_from_turned_start(s, angle)) return {s.start_box(), s.start_angle};
  const Vec2 c = s.start_box().centre();
  const double w = picture->x * s.start_scale, h = picture->y * s.start_scale;
  return {{c.x - w / 2, c.y - h / 2, w, h}, 0};
}

PlainPlacement place_plain(const ChangeSegment& s, double t, const RotateFn& rotate,
                           std::optional<Vec2> picture) {
  PlainPlacement p;
  p.angle = lerp(s.start_angle, s.end_angle, t);
  p.scale = lerp(s.start_scale, s.end_scale, t);
  p.centre = interpolate_centre(t, s.start_box(), s.end_box());
  const TurningBox tb = turning_box(s, p.angle, picture);
  p.box = turn_box(tb.box, tb.angle - p.angle, divide(p.scale, s.start_scale), p.centre, rotate);
  return p;
}

GroupPlacement place_in_group(const ChangeSegment& s, double t, bool pivot_truthy,
                              bool local_scaling, Vec2 origin_size, const RotateFn& rotate,
                              std::optional<Vec2> group_centre) {
  if (!s.start_group || !s.end_group) throw std::invalid_argument("group boxes missing");
  GroupPlacement g;
  g.angle = lerp(s.start_angle, s.end_angle, t);
  g.scale = lerp(s.start_scale, s.end_scale, t);
  g.group_angle = lerp(s.start_group_angle, s.end_group_angle, t);
  g.group_scale = lerp(s.start_group_scale, s.end_group_scale, t);
  g.group_centre =
      group_centre.value_or(interpolate_centre(t, s.start_group->box(), s.end_group->box()));
  g.local_rotation = pivot_truthy && g.angle != g.group_angle && g.scale == s.start_scale;
  g.local_scaling = local_scaling;

  const std::optional<Vec2>* offset;
  double factor;
  if (!g.local_rotation && g.angle != g.group_angle) {
    g.vector_kind = GroupVector::end_turning;
    offset = &s.end_relative;
    g.origin = s.end_origin;
    factor = divide(g.group_scale, s.end_scale);
  } else if (local_scaling) {
    g.vector_kind = GroupVector::local_scaling;
    offset = &s.start_relative;
    g.origin = s.start_origin;
    factor = divide(g.scale, need(s.base_scale));
  } else {
    g.vector_kind = GroupVector::start;
    offset = &s.start_relative;
    g.origin = s.start_origin;
    factor = divide(g.group_scale, need(s.base_scale));
  }
  if (!offset->has_value()) throw std::invalid_argument("relative offset missing");
  Vec2 v{(*offset)->x * factor, (*offset)->y * factor};
  v = rotate(v, s.start_group_angle - g.group_angle);
  g.centre = {g.group_centre.x + v.x, g.group_centre.y + v.y};

  const double w = origin_size.x * g.scale, h = origin_size.y * g.scale;
  Box box{g.centre.x - w / 2, g.centre.y - h / 2, w, h};
  g.box = turn_box_about(box, g.centre, g.group_angle, rotate);
  return g;
}

Vec2 carried_pivot(const ChangeSegment& s, const GroupPlacement& g, Vec2 pivot,
                   const RotateFn& rotate) {
  Vec2 c = s.start_box().centre();
  Vec2 d = rotate(Vec2{pivot.x - c.x, pivot.y - c.y}, s.start_group_angle - g.group_angle);
  return {g.centre.x + d.x, g.centre.y + d.y};
}

}  // namespace tazu::playback
