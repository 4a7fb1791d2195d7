// Points and boxes, shared by every part of the core: a box by its top-left
// corner and size (y downwards), a parent group's box in the order the board
// hands it out, and the corners of a box turned and scaled about a point.
#pragma once

#include <array>
#include <functional>

namespace tazu {

struct Vec2 {
  double x = 0, y = 0;
};

// A box by its left, top, width and height (y downwards).
struct Box {
  double x = 0, y = 0, w = 0, h = 0;
  Vec2 centre() const { return {x + w / 2, y + h / 2}; }
};

// A parent group's box, always stored as (left, top, bottom, right).
struct GroupBox {
  double left = 0, top = 0, bottom = 0, right = 0;
  Box box() const { return {left, top, right - left, bottom - top}; }
  // left + (right - left) / 2, top + (bottom - top) / 2.
  Vec2 centre() const { return {left + (right - left) / 2, top + (bottom - top) / 2}; }
};

double lerp(double a, double b, double t);

// Turns a vector by degrees. Which way is the platform's choice; the core's
// own turn is `rotate_standard`.
using RotateFn = std::function<Vec2(Vec2, double)>;

// The standard rotation matrix in screen coordinates (y down): positive degrees
// turn clockwise on screen. (x cos a - y sin a, x sin a + y cos a), with a in
// radians as degrees * (pi / 180), the reference platform's own rotate_vector.
Vec2 rotate_standard(Vec2 v, double degrees);

// A box's corners (top-left, top-right, bottom-right, bottom-left) after a turn;
// `x`, `y` are the smallest corner coordinates (not yet truncated; ties keep
// the earlier corner).
struct TurnedBox {
  double x = 0, y = 0;
  std::array<Vec2, 4> corners{};
};

// The corners taken about the box's centre, turned by `angle`, scaled by
// `scale` and carried to `centre`.
TurnedBox turn_box(const Box& box, double angle, double scale, Vec2 centre, const RotateFn& rotate);

// The corners turned about an outside point `pivot` by `angle`.
TurnedBox turn_box_about(const Box& box, Vec2 pivot, double angle, const RotateFn& rotate);

// The upright bounds, around the same centre, of a picture of `w` x `h` whose
// unturned top-left corner is (x, y), turned by `angle` degrees: what an icon
// on the board reports as its box.
Box turned_bounds(double x, double y, double w, double h, double angle);

}  // namespace tazu
