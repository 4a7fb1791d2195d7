// Moving, turning and scaling an icon (lock, coordinate conversion, scale backup)
// and its bookkeeping inside a parent group.
#include "icon/icon_common.hpp"

namespace tazu::icon {

namespace {

// A user transform of a locked icon does nothing; initial placement and system
// calls go through.
bool locked_out(py::handle self, py::handle initial, py::handle system) {
  return pyext::truthy(TZ_GET(self, "锁")) && !pyext::truthy(initial) && !pyext::truthy(system);
}

void move(py::object self, py::object x, py::object y, py::object initial, py::object system) {
  if (locked_out(self, initial, system)) return;
  if (!pyext::truthy(initial)) {
    py::object screen = screen_of(self);
    if (!fit_is_one(screen)) {
      x = to_board(screen, x);
      y = to_board(screen, y);
    }
  }
  TZ_GET(base(self), "移动")(x, y, py::arg("初始") = initial);
}

void rotate(py::object self, py::object angle, py::object axis, py::object initial,
            py::object system) {
  if (locked_out(self, initial, system)) return;
  if (pyext::truthy(initial)) {
    py::object screen = screen_of(self);
    if (!fit_is_one(screen) && pyext::truthy(axis)) {
      py::object ax = to_board(screen, item(axis, 0));
      axis = py::make_tuple(ax, to_board(screen, item(axis, 1)));
    }
  }
  py::object previous = TZ_GET(self, "rotate_angle");
  TZ_SET(self, "rotate_angle", angle);
  try {
    TZ_GET(base(self), "旋转")(py::arg("角度") = angle, py::arg("旋转轴位置") = axis);
  } catch (py::error_already_set&) {
    // An angle the picture refused must not stay behind: every later transform
    // and report would carry it.
    TZ_SET(self, "rotate_angle", previous);
    throw;
  }
}

void scale(py::object self, py::object ratio, py::object initial, py::object system,
           py::object centre) {
  if (locked_out(self, initial, system)) return;
  if (pyext::truthy(initial)) {
    if (!pyext::truthy(ratio)) ratio = py::int_(1);
    py::object screen = screen_of(self);
    if (!fit_is_one(screen)) {
      py::object fit = TZ_GET(screen, "适配比例");
      ratio = ratio * fit;
      if (pyext::truthy(centre))
        centre = py::make_tuple(item(centre, 0) * fit, item(centre, 1) * fit);
    }
  }
  if (centre.is_none()) centre = py::make_tuple(0, 0);
  if (!pyext::truthy(system) && pyext::truthy(TZ_GET(self, "恢复缩放备份")())) return;
  TZ_GET(base(self), "缩放")
  (py::arg("缩放比例") = ratio, py::arg("初始") = initial, py::arg("缩放中心") = centre);
}

// A turned icon is first put back into its recorded state before it is scaled.
bool restore_scale_backup(py::object self) {
  if (pyext::truthy(TZ_GET(self, "状态列表"))) return false;
  py::object backup = TZ_GET(self, "缩放备份");
  if (pyext::py_eq(TZ_GET(self, "rotate_angle"), py::int_(0)) || !pyext::truthy(backup))
    return false;
  py::object board = TZ_GET(self, "画板");
  TZ_GET(board, "调整新图标初始状态")(backup, self, py::arg("系统") = true);
  TZ_GET(board, "标记相对坐标")(self);
  TZ_SET(self, "大盘旋转角度", py::int_(0));
  TZ_SET(self, "rotate_angle", py::int_(0));
  TZ_SET(self, "缩放备份", TZ_GET(self, "报告")(py::arg("缩放备份") = false));
  return true;
}

void passive_scale(py::object self, py::object ratio, py::object group_centre) {
  if (pyext::truthy(TZ_GET(self, "恢复缩放备份")())) return;
  py::object vector = TZ_GET(self, "相对坐标");
  if (!pyext::truthy(vector)) return;
  TZ_GET(base(self), "被动缩放")
  (py::arg("缩放比例") = ratio, py::arg("大盘中心") = group_centre, py::arg("大盘向量") = vector,
   py::arg("原始缩放比例") = TZ_GET(self, "原始缩放比例"));
}

py::tuple infer_group_centre(py::object self) {
  double x = number(TZ_GET(self, "x")), y = number(TZ_GET(self, "y"));
  double w = number(TZ_GET(self, "w")), h = number(TZ_GET(self, "h"));
  auto [a, b] = unpack<2>(TZ_GET(self, "相对坐标"));
  Vec2 g =
      inferred_group_centre(x, y, w, h, {number(a), number(b)}, number(TZ_GET(self, "scale_ratio")),
                            number(TZ_GET(self, "原始缩放比例")));
  return py::make_tuple(g.x, g.y);
}

void set_relative(py::object self, py::object left, py::object top, py::object bottom,
                  py::object right) {
  Vec2 v = group_vector({number(left), number(top), number(bottom), number(right)},
                        number(TZ_GET(self, "x")), number(TZ_GET(self, "y")),
                        number(TZ_GET(self, "宽")), number(TZ_GET(self, "高")));
  TZ_SET(self, "相对坐标", py::make_tuple(v.x, v.y));
  TZ_SET(self, "原始缩放比例", TZ_GET(self, "scale_ratio"));
}

struct Shift {
  py::object origin_x, origin_y, x, y;
};

void shift_record(const Records& records, py::handle record, const Shift& d) {
  using record::Key;
  auto get = [&](Key k) { return records.get(record, key_name(k)); };
  auto put = [&](Key k, py::handle v) { records.fill(record, key_name(k), v); };
  put(Key::x, get(Key::x) + d.x);
  put(Key::y, get(Key::y) + d.y);
  put(Key::origin_x, get(Key::origin_x) + d.origin_x);
  put(Key::origin_y, get(Key::origin_y) + d.origin_y);
  py::object pivot = get(Key::pivot);
  if (pyext::truthy(pivot))
    put(Key::pivot, py::make_tuple(item(pivot, 0) + d.x, item(pivot, 1) + d.y));
}

// A system drag of an icon with keyframe states carries every state along.
void move_to_target(py::object self, py::object x, py::object y, py::object system) {
  py::object states = TZ_GET(self, "状态列表");
  if (!pyext::truthy(states) || !pyext::truthy(system)) {
    TZ_GET(self, "移动")(x, y);
    return;
  }
  py::object old_x = TZ_GET(self, "横坐标"), old_y = TZ_GET(self, "纵坐标");
  py::object old_ox = TZ_GET(self, "origin_x"), old_oy = TZ_GET(self, "origin_y");
  TZ_GET(self, "移动")(x, y);
  py::object new_x = TZ_GET(self, "横坐标"), new_y = TZ_GET(self, "纵坐标");
  py::object new_ox = TZ_GET(self, "origin_x"), new_oy = TZ_GET(self, "origin_y");
  // The origins move by how far the origin itself moved: measuring from the old
  // position would add the gap between origin and corner of a turned icon to
  // every state on each move.
  MoveShift s = move_shift({number(old_x), number(old_y)}, {number(old_ox), number(old_oy)},
                           {number(new_x), number(new_y)}, {number(new_ox), number(new_oy)});
  py::object screen = screen_of(self);
  Shift d;
  d.origin_x = to_standard(screen, number_like(s.origin_x, new_ox, old_ox));
  d.origin_y = to_standard(screen, number_like(s.origin_y, new_oy, old_oy));
  d.x = to_standard(screen, number_like(s.x, new_x, old_x));
  d.y = to_standard(screen, number_like(s.y, new_y, old_y));

  Records records;
  py::list all;
  for (auto record : states) all.append(record);
  py::object replace = TZ_GET(states, "替换");
  for (std::size_t i = 0; i < all.size(); ++i) {
    shift_record(records, all[i], d);
    replace(i, all[i]);
  }
  py::object backup = TZ_GET(self, "当前状态备份");
  if (pyext::truthy(backup)) shift_record(records, backup, d);
}

}  // namespace

void add_transform_members(pyext::ClassBuilder& b) {
  py::none none;
  b.method("设置相对坐标", &set_relative, py::arg("self"), py::arg("最左"), py::arg("最上"),
           py::arg("最下"), py::arg("最右"));
  b.method("移动", &move, py::arg("self"), py::arg("横坐标"), py::arg("纵坐标"),
           py::arg("初始") = false, py::arg("系统") = false);
  b.method("旋转", &rotate, py::arg("self"), py::arg("角度"), py::arg("旋转轴位置") = none,
           py::arg("初始") = false, py::arg("系统") = false);
  b.method("推算大盘中心", &infer_group_centre, py::arg("self"));
  b.method("缩放", &scale, py::arg("self"), py::arg("缩放比例"), py::arg("初始") = false,
           py::arg("系统") = false, py::arg("缩放中心") = none);
  b.method("恢复缩放备份", &restore_scale_backup, py::arg("self"));
  b.method("被动缩放", &passive_scale, py::arg("self"), py::arg("缩放比例"), py::arg("大盘中心"));
  b.method("移动至目标", &move_to_target, py::arg("self"), py::arg("x"), py::arg("y"),
           py::arg("系统") = false);
}

}  // namespace tazu::icon
