#include "tazu/icon_geometry.hpp"

namespace tazu {

Vec2 box_centre(const GroupBox& box) {
  return {box.left + (box.right - box.left) / 2, box.top + (box.bottom - box.top) / 2};
}

Vec2 picture_centre(double x, double y, double width, double height) {
  return {x + width / 2, y + height / 2};
}

Vec2 group_vector(const GroupBox& box, double x, double y, double width, double height) {
  Vec2 g = box_centre(box);
  Vec2 c = picture_centre(x, y, width, height);
  return {c.x - g.x, c.y - g.y};
}

std::optional<Vec2> scaled_group_vector(Vec2 vector, double scale, double base_scale) {
  if (base_scale == 0) return std::nullopt;
  double k = scale / base_scale;
  return Vec2{vector.x * k, vector.y * k};
}

std::optional<Vec2> inferred_group_centre(double x, double y, double width, double height,
                                          Vec2 vector, double scale, double base_scale) {
  auto v = scaled_group_vector(vector, scale, base_scale);
  if (!v) return std::nullopt;
  Vec2 c = picture_centre(x, y, width, height);
  return Vec2{c.x - v->x, c.y - v->y};
}

std::optional<Vec2> group_vector_point(const GroupBox& box, Vec2 vector, double scale,
                                       double base_scale) {
  auto v = scaled_group_vector(vector, scale, base_scale);
  if (!v) return std::nullopt;
  Vec2 m = box_centre(box);
  return Vec2{m.x + v->x, m.y + v->y};
}

std::optional<double> pointer_rotation(double pivot_x, double pointer_x, double precision) {
  if (precision == 0) return std::nullopt;
  return (pivot_x - pointer_x) / precision;
}

std::optional<double> gesture_scale(double scale, double amount, double precision) {
  double next = scale + amount / precision;
  // Also refuses NaN, which a zero precision with a zero amount would give.
  if (!(next > 0)) return std::nullopt;
  return next;
}

MoveShift move_shift(Vec2 old_position, Vec2 old_origin, Vec2 new_position, Vec2 new_origin) {
  return {new_origin.x - old_origin.x, new_origin.y - old_origin.y, new_position.x - old_position.x,
          new_position.y - old_position.y};
}

}  // namespace tazu
