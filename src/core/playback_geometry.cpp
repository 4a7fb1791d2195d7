#include <cmath>
#include <tazu/errors.hpp>
#include <tazu/playback.hpp>

namespace tazu::playback {

namespace {

double need(const std::optional<double>& v) {
  if (!v) throw WrongKind("组合图层缺少原始缩放比例");
  return *v;
}

}  // namespace

Vec2 interpolate_centre(double t, const Box& start, const Box& end) {
  Vec2 s = start.centre(), e = end.centre();
  return {lerp(s.x, e.x, t), lerp(s.y, e.y, t)};
}

double segment_progress(const ChangeSegment& s, double local_time) {
  return divide(local_time - s.start_time, s.duration, "变化段的时长为 0");
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
                           std::optional<Vec2> picture, std::optional<Vec2> centre) {
  PlainPlacement p;
  p.angle = lerp(s.start_angle, s.end_angle, t);
  p.scale = lerp(s.start_scale, s.end_scale, t);
  p.centre = centre.value_or(interpolate_centre(t, s.start_box(), s.end_box()));
  const TurningBox tb = turning_box(s, p.angle, picture);
  p.box = turn_box(tb.box, tb.angle - p.angle, divide(p.scale, s.start_scale, "开始比例为 0"),
                   p.centre, rotate);
  return p;
}

GroupPlacement place_in_group(const ChangeSegment& s, double t, bool pivot_truthy,
                              bool local_scaling, Vec2 origin_size, const RotateFn& rotate,
                              std::optional<Vec2> group_centre) {
  if (!s.start_group || !s.end_group) throw WrongKind("组合图层缺少大盘矩形");
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
    factor = divide(g.group_scale, s.end_scale, "结束比例为 0");
  } else if (local_scaling) {
    g.vector_kind = GroupVector::local_scaling;
    offset = &s.start_relative;
    g.origin = s.start_origin;
    factor = divide(g.scale, need(s.base_scale), "原始缩放比例为 0");
  } else {
    g.vector_kind = GroupVector::start;
    offset = &s.start_relative;
    g.origin = s.start_origin;
    factor = divide(g.group_scale, need(s.base_scale), "原始缩放比例为 0");
  }
  if (!offset->has_value()) throw WrongKind("组合图层缺少相对坐标");
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

GroupTransform group_transform(const GroupPlacement& g, bool end_pivot_set) {
  if (g.local_rotation) return GroupTransform::turn_locally;
  return end_pivot_set ? GroupTransform::turn_about_pivot : GroupTransform::scale_and_move;
}

GroupIconState group_icon_state(const ChangeSegment& s, const GroupPlacement& g,
                                GroupTransform kind, std::optional<Vec2> pivot,
                                std::optional<Vec2> start_pivot, std::optional<Vec2> end_pivot,
                                double fit, const RotateFn& rotate) {
  auto board = [fit](Vec2 v) { return Vec2{v.x * fit, v.y * fit}; };
  auto need = [](const std::optional<Vec2>& v, const char* what) {
    if (!v) throw WrongKind(what);
    return *v;
  };
  GroupIconState out;
  out.kind = kind;
  out.centre_marker = board(g.centre);
  // The position handed to the icon is the box's top-left truncated, as the
  // record holds it.
  out.move = board({std::trunc(g.box.x), std::trunc(g.box.y)});
  switch (kind) {
    case GroupTransform::turn_locally: {
      const Vec2 p = carried_pivot(s, g, need(pivot, "组合图层缺少旋转中心"), rotate);
      const Vec2 start = need(start_pivot, "组合图层缺少开始旋转中心");
      const Vec2 o = need(g.origin, "组合图层缺少 origin_pos");
      // The origin follows the pivot.
      out.origin = board({o.x + (p.x - start.x), o.y + (p.y - start.y)});
      out.axis = p;
      out.pivot_marker = board(p);
      break;
    }
    case GroupTransform::turn_about_pivot:
      out.origin = board(need(g.origin, "组合图层缺少 origin_pos"));
      out.pivot_marker = board(need(end_pivot, "组合图层缺少结束旋转中心"));
      break;
    case GroupTransform::scale_and_move:
      break;
  }
  return out;
}

}  // namespace tazu::playback
