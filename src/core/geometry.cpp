#include "tazu/geometry.hpp"

#include <cmath>
#include <numbers>

namespace tazu {

namespace {

std::array<Vec2, 4> corners_of(const Box& b) {
  return {Vec2{b.x, b.y}, Vec2{b.x + b.w, b.y}, Vec2{b.x + b.w, b.y + b.h}, Vec2{b.x, b.y + b.h}};
}

void take_top_left(TurnedBox& out) {
  out.x = out.corners[0].x;
  out.y = out.corners[0].y;
  for (const Vec2& c : out.corners) {
    if (c.x < out.x) out.x = c.x;
    if (c.y < out.y) out.y = c.y;
  }
}

double radians(double degrees) { return degrees * (std::numbers::pi / 180.0); }

}  // namespace

double lerp(double a, double b, double t) { return a + (b - a) * t; }

Vec2 rotate_standard(Vec2 v, double degrees) {
  const double rad = radians(degrees);
  const double c = std::cos(rad), s = std::sin(rad);
  return {v.x * c - v.y * s, v.x * s + v.y * c};
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

Box turned_bounds(double x, double y, double w, double h, double angle) {
  const double a = radians(angle);
  const double c = std::cos(a), s = std::sin(a);
  const double bw = std::abs(w * c) + std::abs(h * s), bh = std::abs(w * s) + std::abs(h * c);
  const Vec2 centre{x + w / 2, y + h / 2};
  return {centre.x - bw / 2, centre.y - bh / 2, bw, bh};
}

}  // namespace tazu
