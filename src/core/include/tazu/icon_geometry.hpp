// Geometry of a canvas icon: its centre, its vector inside a parent group, the
// group centre inferred back from that vector, gesture amounts and the shift that
// a move applies to stored keyframe states. Plain doubles; the binding keeps the
// host's number types (int vs float, truncation) around these.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "tazu/geometry.hpp"

namespace tazu {

// Centre of a picture at (x, y) of the given size, untruncated.
Vec2 picture_centre(double x, double y, double width, double height);

// Vector from the group's centre to the picture's centre.
Vec2 group_vector(const GroupBox& box, double x, double y, double width, double height);

// The group vector as it stands at `scale`, recorded at `base_scale`. A
// base_scale of 0 throws DivisionByZero.
Vec2 scaled_group_vector(Vec2 vector, double scale, double base_scale);

// The group centre implied by a picture and its scaled group vector.
Vec2 inferred_group_centre(double x, double y, double width, double height, Vec2 vector,
                           double scale, double base_scale);

// Where the group vector places the icon's centre, seen from the group's box.
Vec2 group_vector_point(const GroupBox& box, Vec2 vector, double scale, double base_scale);

// Angle of a rotate gesture: the pointer's distance to the left of the pivot,
// `precision` pointer pixels per degree. A precision of 0 throws DivisionByZero.
double pointer_rotation(double pivot_x, double pointer_x, double precision);

// Scale ratio asked for by a vertical gesture of `amount`, `precision` units per
// unit of ratio (0 throws DivisionByZero). Empty when the result would not be
// positive.
std::optional<double> gesture_scale(double scale, double amount, double precision);

// How far a move carried an icon: its position and its origin point. Stored
// keyframe states are shifted by these amounts so they keep their place relative
// to the icon.
struct MoveShift {
  double origin_x = 0;
  double origin_y = 0;
  double x = 0;
  double y = 0;
};
MoveShift move_shift(Vec2 old_position, Vec2 old_origin, Vec2 new_position, Vec2 new_origin);

// The arrow keys, in the order a pressed key is compared with them: the
// platform's key name, whether the held x-direction lock (else the y-direction
// lock) refuses it, the icon's method that moves, and its step in actual-board
// pixels.
struct ArrowNudge {
  std::string_view key;
  bool refused_by_x_lock;
  std::string_view method;
  int dx, dy;
};
inline constexpr std::array<ArrowNudge, 4> kArrowNudges = {{
    {"K_UP", true, "上移", 0, -2},
    {"K_DOWN", true, "下移", 0, 2},
    {"K_LEFT", false, "左移", -2, 0},
    {"K_RIGHT", false, "右移", 2, 0},
}};

}  // namespace tazu
