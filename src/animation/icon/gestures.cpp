// Mouse and keyboard gestures on a selected icon, and its hit test.
#include <string>

#include "icon/icon_common.hpp"

namespace tazu::icon {

namespace {

// The converting move takes standard data: a position read back from the icon
// (actual-board pixels) has to be converted first, or the icon jumps whenever
// the spaces differ.
void move_to(py::handle self, py::handle x, py::handle y, py::handle system) {
  py::object screen = screen_of(self);
  py::object sx = to_standard(screen, x, Fit::unless_one);
  TZ_GET(self, "移动至目标")(sx, to_standard(screen, y, Fit::unless_one), system);
}

void mouse_move(py::object self, py::object event, py::object system, py::object x_direction,
                py::object y_direction) {
  TZ_GET(self, "取消菜单")();
  auto [x, y] = unpack<2>(TZ_GET(event, "坐标"));
  py::object anchor = TZ_GET(self, "移动锚点");
  if (!pyext::truthy(anchor)) return;
  auto [hx, hy] = unpack<2>(anchor);
  y = y - hy;
  x = x - hx;
  // Pointer, anchor and the icon's own position are all actual-board pixels.
  if (pyext::truthy(x_direction)) y = TZ_GET(self, "y");
  if (pyext::truthy(y_direction)) x = TZ_GET(self, "x");
  move_to(self, x, y, system);
}

py::object mouse_rotate(py::object self, py::object event, py::object precision, py::object centre,
                        py::object angle, py::object /*system*/) {
  TZ_GET(self, "取消菜单")();
  auto [x, y] = unpack<2>(TZ_GET(event, "坐标"));
  (void)y;
  if (!centre.is_none()) TZ_SET(self, "rotate_pivot", centre);
  if (angle.is_none()) {
    angle = py::float_(pointer_rotation(number(item(TZ_GET(self, "rotate_pivot"), 0)), number(x),
                                        number(precision)));
  }
  TZ_GET(self, "旋转")(angle, py::arg("旋转轴位置") = TZ_GET(self, "rotate_pivot"));
  return TZ_GET(self, "rotate_angle");
}

py::object mouse_scale(py::object self, py::object event, py::object precision, py::object centre,
                       py::object /*system*/) {
  TZ_GET(self, "取消菜单")();
  double amount = number(TZ_GET(event, "纵坐标")), step = number(precision);
  auto ratio = gesture_scale(number(TZ_GET(self, "scale_ratio")), amount, step);
  if (!ratio) return py::none();
  py::float_ r(*ratio);
  TZ_GET(self, "缩放")(r, py::arg("缩放中心") = centre);
  return r;
}

void keyboard_nudge(py::object self, py::object event, py::object x_direction,
                    py::object y_direction) {
  py::object key = TZ_GET(event, "键盘");
  py::object pygame = TZ_G("pygame");
  for (const ArrowNudge& a : kArrowNudges) {
    if (!pyext::py_eq(key, pygame.attr(std::string(a.key).c_str()))) continue;
    if (!pyext::truthy(a.refused_by_x_lock ? x_direction : y_direction))
      py::getattr(self, std::string(a.method).c_str())();
    return;
  }
}

// An arrow key moves the icon by its step, in actual-board pixels.
void nudge(py::object self, int dx, int dy) {
  py::object x = TZ_GET(self, "x") + py::int_(dx);
  move_to(self, x, TZ_GET(self, "y") + py::int_(dy), py::bool_(false));
}

bool check(py::object self, py::object event) {
  return pyext::truthy(TZ_GET(self, "是否在矩形内")(TZ_GET(event, "坐标"), TZ_GET(self, "矩形")));
}

}  // namespace

void add_gesture_members(pyext::ClassBuilder& b) {
  py::none none;
  b.method("检查", &check, py::arg("self"), py::arg("事件"));
  b.method("鼠标移动", &mouse_move, py::arg("self"), py::arg("事件"), py::arg("系统") = false,
           py::arg("x_direction") = false, py::arg("y_direction") = false);
  b.method("键盘微调", &keyboard_nudge, py::arg("self"), py::arg("事件"),
           py::arg("x_direction") = false, py::arg("y_direction") = false);
  for (const ArrowNudge& a : kArrowNudges) {
    b.method(
        std::string(a.method).c_str(), [a](py::object self) { nudge(self, a.dx, a.dy); },
        py::arg("self"));
  }
  b.method("鼠标旋转", &mouse_rotate, py::arg("self"), py::arg("事件"), py::arg("精度") = 2,
           py::arg("旋转中心") = none, py::arg("旋转角度") = none, py::arg("系统") = false);
  b.method("鼠标缩放", &mouse_scale, py::arg("self"), py::arg("事件"), py::arg("精度") = 10,
           py::arg("缩放中心") = none, py::arg("系统") = false);
}

}  // namespace tazu::icon
