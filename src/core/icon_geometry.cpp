#include "tazu/icon_geometry.hpp"

#include "tazu/errors.hpp"

namespace tazu {

Vec2 picture_centre(double x, double y, double width, double height) {
  return {x + width / 2, y + height / 2};
}

Vec2 group_vector(const GroupBox& box, double x, double y, double width, double height) {
  Vec2 g = box.centre();
  Vec2 c = picture_centre(x, y, width, height);
  return {c.x - g.x, c.y - g.y};
}

Vec2 scaled_group_vector(Vec2 vector, double scale, double base_scale) {
  double k = divide(scale, base_scale, "原始缩放比例为 0，无法按组合缩放");
  return {vector.x * k, vector.y * k};
}

Vec2 inferred_group_centre(double x, double y, double width, double height, Vec2 vector,
                           double scale, double base_scale) {
  Vec2 v = scaled_group_vector(vector, scale, base_scale);
  Vec2 c = picture_centre(x, y, width, height);
  return {c.x - v.x, c.y - v.y};
}

Vec2 group_vector_point(const GroupBox& box, Vec2 vector, double scale, double base_scale) {
  Vec2 v = scaled_group_vector(vector, scale, base_scale);
  Vec2 m = box.centre();
  return {m.x + v.x, m.y + v.y};
}

double pointer_rotation(double pivot_x, double pointer_x, double precision) {
  return divide(pivot_x - pointer_x, precision, "旋转精度为 0");
}

std::optional<double> gesture_scale(double scale, double amount, double precision) {
  double next = scale + divide(amount, precision, "缩放精度为 0");
  // Also refuses NaN.
  if (!(next > 0)) return std::nullopt;
  return next;
}

MoveShift move_shift(Vec2 old_position, Vec2 old_origin, Vec2 new_position, Vec2 new_origin) {
  return {new_origin.x - old_origin.x, new_origin.y - old_origin.y, new_position.x - old_position.x,
          new_position.y - old_position.y};
}

}  // namespace tazu
