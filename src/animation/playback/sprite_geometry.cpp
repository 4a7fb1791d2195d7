// Box geometry of the sprite: interpolated centres and turned corners.
#include <pybind11/numpy.h>

#include "playback/sprite.hpp"
#include "tazu/errors.hpp"

namespace tazu::playback {

namespace {

py::object corner_array(Vec2 p) {
  py::array_t<double> a(2);
  a.mutable_data()[0] = p.x;
  a.mutable_data()[1] = p.y;
  return a;
}

py::tuple corners_result(const TurnedBox& r) {
  py::list points;
  for (const Vec2& p : r.corners) points.append(corner_array(p));
  return py::make_tuple(int_of(r.x), int_of(r.y), points);
}

Box box_of(py::handle x, py::handle w, py::handle y, py::handle h) {
  return {number(x), number(y), number(w), number(h)};
}

// The box's corners turned by `turn` and scaled by scale / start scale about
// the centre `centre`, as both corner methods return them.
py::tuple turned(py::handle x, py::handle w, py::handle y, py::handle h, double turn,
                 py::handle scale, py::handle start_scale, py::handle centre) {
  Box box = box_of(x, w, y, h);
  const double ratio = number(scale), start = number(start_scale);
  const double k = divide(ratio, start, "开始比例为 0");
  return corners_result(turn_box(box, turn, k, pair(centre), platform_rotation()));
}

}  // namespace

void add_turned_bounds(py::module_& m) {
  // The box a record gets for a picture turned about its centre, for the
  // command that fills compact records in; private to the package.
  m.def(
      "_turned_bounds",
      [](py::object x, py::object y, py::object width, py::object height, py::object angle) {
        Box r = turned_bounds(number(x), number(y), number(width), number(height), number(angle));
        return py::make_tuple(r.x, r.y, r.w, r.h);
      },
      py::arg("横坐标"), py::arg("纵坐标"), py::arg("宽度"), py::arg("高度"), py::arg("旋转角度"));
}

void add_geometry(pyext::ClassBuilder& b) {
  b.method(
      "calc_center",
      [](py::object, py::object t, py::object sx, py::object sw, py::object sy, py::object sh,
         py::object ex, py::object ew, py::object ey, py::object eh) {
        return tuple_of(
            interpolate_centre(number(t), box_of(sx, sw, sy, sh), box_of(ex, ew, ey, eh)));
      },
      py::arg("self"), py::arg("时间进度"), py::arg("开始横坐标"), py::arg("开始宽度"),
      py::arg("开始纵坐标"), py::arg("开始高度"), py::arg("结束横坐标"), py::arg("结束宽度"),
      py::arg("结束纵坐标"), py::arg("结束高度"));

  b.method(
      "calc_position",
      [](py::object, py::object x, py::object w, py::object y, py::object h, py::object angle,
         py::object start_angle, py::object scale, py::object start_scale, py::object centre) {
        double turn = number(start_angle) - number(angle);
        return turned(x, w, y, h, turn, scale, start_scale, centre);
      },
      py::arg("self"), py::arg("开始横坐标"), py::arg("开始宽度"), py::arg("开始纵坐标"),
      py::arg("开始高度"), py::arg("当前角度"), py::arg("开始角度"), py::arg("当前比例"),
      py::arg("开始比例"), py::arg("质心"));

  b.method(
      "calc_mother_and_son_position",
      [](py::object, py::object x, py::object w, py::object y, py::object h, py::object angle,
         py::object scale, py::object start_scale, py::object centre) {
        return turned(x, w, y, h, number(angle), scale, start_scale, centre);
      },
      py::arg("self"), py::arg("开始横坐标"), py::arg("开始宽度"), py::arg("开始纵坐标"),
      py::arg("开始高度"), py::arg("当前角度"), py::arg("当前比例"), py::arg("开始比例"),
      py::arg("质心"));
}

}  // namespace tazu::playback
