// The parent-group path of drawing: a layer that moves, turns and scales with
// its group. The core places it; this file reads the record, puts the icon in
// the segment's start state and hands it the core's transform.
#include "playback/sprite_draw.hpp"

namespace tazu::playback {

namespace {

using segment::Key;

void set_origin(py::handle icon, Vec2 o) {
  TZ_SET(icon, "origin_x", py::float_(o.x));
  TZ_SET(icon, "origin_y", py::float_(o.y));
}

}  // namespace

void draw_grouped(Frame& f, ChangeSegment& s, SegmentValues& v, py::handle seg, double t) {
  s.start_group = group_box(v[Key::start_group_box]);
  s.end_group = group_box(v[Key::end_group_box]);
  for (const auto& n : kGroupNumbers) s.*n.field = number(v[n.key]);
  v.read(f.records, seg, segment::kGroup);

  py::object& start_pivot = v[Key::start_pivot];
  py::object& end_pivot = v[Key::end_pivot];
  const bool start_pivot_set = pyext::truthy(start_pivot);
  const bool end_pivot_set = pyext::truthy(end_pivot);
  py::object pivot = start_pivot_set ? start_pivot
                     : end_pivot_set ? end_pivot
                                     : py::object(py::none());
  py::object& base = v[Key::base_scale];
  s.base_scale = base.is_none() ? std::nullopt : std::optional<double>(number(base));
  // Compared as the host gave them (1 and 1.0 are equal, "1" is not).
  const bool local_scaling = !pyext::py_eq(v[Key::start_scale], v[Key::start_group_scale]) ||
                             !pyext::py_eq(v[Key::end_scale], v[Key::end_group_scale]);
  for (const auto& p : kGroupPoints) s.*p.field = optional_pair(v[p.key]);

  py::object size = TZ_GET(f.self, "origin_size");
  if (size.is_none()) {
    PyErr_SetString(PyExc_TypeError, "图层没有媒体尺寸（origin_size 为 None），无法随组合绘制");
    throw py::error_already_set();
  }
  const Vec2 media = pair(size);
  const GroupPlacement g =
      place_in_group(s, t, start_pivot_set, local_scaling, media, f.rotate,
                     host_centre(f, t, s.start_group->box(), s.end_group->box()));
  py::object x = int_of(g.box.x), y = int_of(g.box.y);

  // Start values: the icon's own transforms below bring it to the moment.
  py::handle icon_dict = v[Key::icon_dict], file = v[Key::file];
  f.records.fill(icon_dict, key_name(record::Key::file), file);
  f.records.fill(icon_dict, key_name(record::Key::x), x);
  f.records.fill(icon_dict, key_name(record::Key::y), y);
  f.records.fill(icon_dict, key_name(record::Key::scale), v[Key::start_scale]);
  f.records.fill(icon_dict, key_name(record::Key::pivot), pivot);
  f.records.fill(icon_dict, key_name(record::Key::angle), v[Key::start_angle]);

  py::object icon = icon_for(f, icon_dict, file, x, y);
  call(TZ_GET(f.board, "快照图标"), {icon_dict, icon, Py_True}, TZ_KEYWORDS("系统"));
  if (!pyext::truthy(call_method(icon, TZ_NAME("更新内容"), {v[Key::start_time], f.local}))) return;

  py::object fit_value = TZ_GET(TZ_GET(f.board, "屏幕"), "适配比例");
  const double fit = number(fit_value);
  const GroupTransform kind = group_transform(g, end_pivot_set);
  const bool turns_locally = kind == GroupTransform::turn_locally;
  const GroupIconState state = group_icon_state(
      s, g, kind, turns_locally ? std::optional<Vec2>(pair(pivot)) : std::nullopt,
      turns_locally ? std::optional<Vec2>(pair(start_pivot)) : std::nullopt,
      kind == GroupTransform::turn_about_pivot ? std::optional<Vec2>(pair(end_pivot))
                                               : std::nullopt,
      fit, f.rotate);

  py::object scale = py::float_(g.scale);
  // x and y are ints; times an int fit ratio they stay ints, as in Python.
  const bool whole = PyLong_Check(fit_value.ptr());
  auto move = [&] {
    call(TZ_GET(icon, "移动"),
         {int_or_float(state.move.x, whole), int_or_float(state.move.y, whole), Py_True, Py_True},
         TZ_KEYWORDS("初始", "系统"));
  };
  switch (kind) {
    case GroupTransform::turn_locally: {
      set_origin(icon, *state.origin);
      py::tuple axis = tuple_of(state.axis);
      call(TZ_GET(icon, "缩放"), {scale, axis, Py_True, Py_True},
           TZ_KEYWORDS("缩放中心", "初始", "系统"));
      call(TZ_GET(icon, "旋转"), {py::float_(g.angle), axis, Py_True, Py_True},
           TZ_KEYWORDS("旋转轴位置", "初始", "系统"));
      break;
    }
    case GroupTransform::turn_about_pivot:
      set_origin(icon, *state.origin);
      call(TZ_GET(icon, "缩放"), {scale, Py_True, Py_True}, TZ_KEYWORDS("初始", "系统"));
      call(TZ_GET(icon, "旋转"), {py::float_(g.group_angle), end_pivot, Py_True, Py_True},
           TZ_KEYWORDS("旋转轴位置", "初始", "系统"));
      move();
      break;
    case GroupTransform::scale_and_move:
      call(TZ_GET(icon, "缩放"), {scale, Py_True, Py_True}, TZ_KEYWORDS("初始", "系统"));
      move();
      break;
  }
  call_method(icon, TZ_NAME("系统绘制"), {f.screen});

  if (pyext::truthy(TZ_GET(f.board, "开发者模式"))) {
    auto circle = [&](Vec2 at, py::tuple colour) {
      call(TZ_GET(f.screen, "圆形"), {colour, tuple_of(at), py::int_(10), py::int_(5)},
           TZ_KEYWORDS("半径", "线条宽度"));
    };
    circle(state.centre_marker, py::make_tuple(0, 255, 0));
    if (state.pivot_marker) circle(*state.pivot_marker, py::make_tuple(255, 0, 0));
  }
}

}  // namespace tazu::playback
