// Pasting an icon's picture, with the parent-group overlay in developer mode.
#include "icon/icon_common.hpp"

namespace tazu::icon {

namespace {

void paste(py::handle self, py::handle screen) {
  // An icon whose source file is missing has no picture; there is nothing to paste.
  if (TZ_GET(self, "image").is_none()) return;
  py::object mode = TZ_GET(self, "模式");
  py::object rect = TZ_GET(self, "矩形");
  if (pyext::truthy(mode) && !pyext::py_eq(mode, py::str("正常")))
    TZ_GET(screen, "粘贴")(self, rect, py::arg("mode") = mode);
  else
    TZ_GET(screen, "粘贴")(self, rect);
}

void draw(py::object self) {
  py::object board = TZ_GET(self, "画板");
  py::object screen = TZ_GET(board, "屏幕");
  paste(self, screen);
  py::object vector = TZ_GET(self, "相对坐标");
  if (!pyext::truthy(TZ_GET(board, "开发者模式")) || !pyext::truthy(vector)) return;
  auto [left, top, bottom, right] = unpack<4>(TZ_GET(board, "获取组合矩形")(self));
  TZ_GET(screen, "长方形")
  (py::make_tuple(0, 0, 255), TZ_G("游戏矩形")(left, right, top, bottom), py::arg("线条宽度") = 3);
  auto [vx, vy] = pair_items(vector);
  Vec2 point = group_vector_point({number(left), number(top), number(bottom), number(right)},
                                  {number(vx), number(vy)}, number(TZ_GET(self, "scale_ratio")),
                                  number(TZ_GET(self, "原始缩放比例")));
  py::tuple colour =
      pyext::truthy(TZ_GET(self, "激活")) ? py::make_tuple(255, 0, 0) : py::make_tuple(190, 0, 0);
  TZ_GET(screen, "圆形")
  (colour, py::make_tuple(int_of(point.x), int_of(point.y)), py::arg("半径") = 5,
   py::arg("线条宽度") = 5);
}

}  // namespace

void add_drawing_members(pyext::ClassBuilder& b) {
  b.method("绘制", &draw, py::arg("self"));
  b.method(
      "系统绘制", [](py::object self, py::object screen) { paste(self, screen); }, py::arg("self"),
      py::arg("屏幕"));
}

}  // namespace tazu::icon
