// Keyframe states of an icon: the stored list, switching between a stored state
// and the live one (kept aside in a backup while a stored state is shown), and
// the small dialogs for the loop count, the position and the scale.
#include <optional>

#include "icon/icon_common.hpp"
#include "icon_media/layout_py.hpp"
#include "tazu/keyframe_states.hpp"

namespace tazu::icon {

namespace {

py::object report_now(py::object self) {
  return TZ_GET(self, "报告当下")(py::arg("缩放备份") = false);
}

// Puts a state record on the icon: its picture, then the board applies the
// rest. Lock and text settings stay the icon's own, not the record's.
void apply_state(py::object self, py::object record, py::object selected) {
  const convert::Records records;
  py::object file =
      TZ_GET(self, "处理文件")(records.get(record, convert::key_name(record::Key::file)),
                               py::arg("系统") = TZ_GET(self, "系统"));
  // A record whose file is gone keeps the picture on show instead of failing;
  // the missing file has already been reported.
  if (!file.is_none()) {
    py::object picture = layout_py::pygame().attr("image").attr("load")(file);
    TZ_SET(self, "origin_image", picture.attr("convert_alpha")());
  }
  records.fill(record, convert::key_name(record::Key::states), py::none());
  TZ_GET(TZ_GET(self, "画板"), "调整新图标初始状态")
  (record, self, py::arg("锁") = TZ_GET(self, "锁"), py::arg("文本") = TZ_GET(self, "文本"),
   py::arg("字体") = TZ_GET(self, "字体"), py::arg("字体大小") = TZ_GET(self, "字体大小"),
   py::arg("文本颜色") = TZ_GET(self, "文本颜色"), py::arg("系统") = true);
  TZ_GET(self, "展现图标状态")(selected);
}

void show_states(py::object self, py::object selected) {
  py::object states = TZ_GET(self, "状态列表");
  if (!pyext::truthy(states)) {
    TZ_SET(self, "图标状态选项", py::none());
    return;
  }
  py::list labels;
  for (py::handle pair : TZ_G("报数")(states)) labels.append(py::str(pair[py::int_(0)]));
  labels.append(py::str("当前"));
  TZ_SET(self, "图标状态选项", TZ_G("图标状态")(self, labels, selected));
}

// The selector's row as a number, or nothing for None.
std::optional<double> row_of(py::handle k) {
  if (k.is_none()) return std::nullopt;
  return convert::number(k);
}

double count_of(py::handle states) { return convert::number(TZ_GET(states, "长")); }

void save_state(py::object self) {
  py::object selector = TZ_GET(self, "图标状态选项");
  if (selector.is_none()) return;
  py::object k = TZ_GET(selector, "选中项");
  py::object states = TZ_GET(self, "状态列表");
  auto row = row_of(k);
  if (!row || !keyframes::saves_into_stored(*row, count_of(states))) return;
  TZ_GET(states, "替换")(k, report_now(self));
}

void switch_state(py::object self, py::object selected) {
  py::object states = TZ_GET(self, "状态列表");
  if (!pyext::truthy(states)) selected = py::none();
  py::object backup = TZ_GET(self, "当前状态备份");
  auto row = row_of(selected);
  if (!row || !keyframes::switches_to_stored(*row, count_of(states))) {
    // Back to the live state, if a stored one is on show.
    if (backup.is_none()) return;
    TZ_SET(self, "当前状态备份", py::none());
    apply_state(self, backup, selected);
    return;
  }
  py::object record = TZ_GET(states, "获取")(selected);
  // Only the first switch away from the live state keeps it.
  if (backup.is_none()) TZ_SET(self, "当前状态备份", report_now(self));
  apply_state(self, record, selected);
}

void add_animation(py::object self) {
  py::object selector = TZ_GET(self, "图标状态选项");
  py::object k = pyext::truthy(selector) ? TZ_GET(selector, "选中项") : py::int_(0);
  py::object current = report_now(self);
  auto row = row_of(k);
  if (!row || !keyframes::adds_at(*row)) return;
  TZ_GET(TZ_GET(self, "状态列表"), "插入")(k, current);
  TZ_GET(self, "切换状态")(k);
}

void delete_animation(py::object self) {
  py::object selector = TZ_GET(self, "图标状态选项");
  py::object states = TZ_GET(self, "状态列表");
  if (selector.is_none() || !pyext::truthy(states)) return;
  py::object k = TZ_GET(selector, "选中项");
  auto row = row_of(k);
  if (!row) return;
  double rows = static_cast<double>(py::len(TZ_GET(selector, "选项列表")));
  switch (keyframes::deletion(*row, rows, count_of(states))) {
    case keyframes::Deletion::nothing:
      return;
    case keyframes::Deletion::stored:
      TZ_GET(states, "删除序号")(k);
      TZ_GET(self, "切换状态")(k);
      return;
    case keyframes::Deletion::live:
      TZ_SET(self, "当前状态备份", TZ_GET(states, "弹出")());
      TZ_GET(self, "切换状态")(py::none());
      return;
  }
}

void loop_animation(py::object self) {
  if (TZ_GET(self, "循环次数输入框").is_none()) {
    TZ_SET(self, "循环次数输入框",
           TZ_G("通用输入框")(
               py::arg("画板") = TZ_GET(self, "画板"),
               py::arg("回调") = TZ_GET(self, "植入循环次数"), py::arg("居中") = true,
               py::arg("提示") =
                   "请输入要动画循环次数\n所有动画状态将会按顺序循环多次\n（仅支持输入正整数）"));
  }
  TZ_GET(TZ_GET(self, "循环次数输入框"), "展现")();
}

void put_loop_count(py::object self, py::object count) {
  py::object n = TZ_GET(TZ_GET(self, "画板"), "确保正整数")(count);
  if (pyext::truthy(n)) TZ_SET(self, "循环次数", n);
}

// The board takes a typed position as standard data, so the defaults (handed
// back unchanged when the inputs stay empty) are given in standard data too;
// a whole number is shown as one ("X: 50", not "X: 50.0").
py::object standard(py::object screen, py::object v) {
  py::object s = convert::to_standard(screen, v, convert::Fit::unless_one);
  if (!PyFloat_Check(s.ptr())) return s;
  return keyframes::shown_whole(PyFloat_AS_DOUBLE(s.ptr())) ? pyext::py_int(s) : s;
}

void set_position(py::object self) {
  if (TZ_GET(self, "图层坐标设置").is_none()) {
    py::object board = TZ_GET(self, "画板");
    py::object screen = TZ_GET(board, "屏幕");
    TZ_SET(
        self, "图层坐标设置",
        TZ_G("坐标输入框")(py::arg("画板") = board, py::arg("回调") = TZ_GET(self, "成功设置坐标"),
                           py::arg("默认X") = standard(screen, TZ_GET(self, "横坐标")),
                           py::arg("默认Y") = standard(screen, TZ_GET(self, "纵坐标")),
                           py::arg("居中") = true));
  }
  TZ_GET(TZ_GET(self, "图层坐标设置"), "展现")();
}

// The board's conversion refuses with None (or False); 0 is a position like
// any other, the canvas edge.
bool refused(py::handle v) { return v.is_none() || v.ptr() == Py_False; }

void position_set(py::object self, py::object x_text, py::object y_text) {
  py::object board = TZ_GET(self, "画板");
  py::object x = TZ_GET(board, "确保整数")(x_text);
  if (refused(x)) return;
  py::object y = TZ_GET(board, "确保整数")(y_text);
  if (refused(y)) return;
  TZ_GET(board, "坐标调整")(x, y);
}

// The scale shown in the prompt is in the unit the user types: the typed value
// is multiplied by the display scale before it is applied.
py::object typed_scale(py::object self) {
  py::object scale = TZ_GET(self, "scale_ratio");
  py::object display = TZ_GET(TZ_GET(TZ_GET(self, "画板"), "屏幕"), "_fit_ratio");
  if (pyext::py_eq(display, py::int_(1))) return scale;
  return py::float_(keyframes::typed_scale(convert::number(scale), convert::number(display)));
}

void set_scale(py::object self) {
  py::str prompt = py::str("当前比例： ") + py::str(typed_scale(self));
  // A new dialog each time so the prompt shows the present scale; the old
  // one's widgets are released rather than left hidden in the UI manager.
  py::object old = TZ_GET(self, "图层比例设置");
  if (!old.is_none() && py::hasattr(old, "面板")) {
    py::object panel = TZ_GET(old, "面板");
    if (py::hasattr(panel, "销毁")) TZ_GET(panel, "销毁")();
  }
  TZ_SET(self, "图层比例设置",
         TZ_G("通用输入框")(py::arg("画板") = TZ_GET(self, "画板"),
                            py::arg("回调") = TZ_GET(self, "成功设置比例"), py::arg("居中") = true,
                            py::arg("提示") = prompt));
  TZ_GET(TZ_GET(self, "图层比例设置"), "展现")();
}

void scale_set(py::object self, py::object ratio_text) {
  py::object board = TZ_GET(self, "画板");
  py::object r = TZ_GET(board, "确保浮点数")(ratio_text);
  if (!pyext::truthy(r)) return;
  TZ_GET(board, "比例调整")(TZ_GET(TZ_GET(board, "屏幕"), "_fit_ratio") * r);
}

}  // namespace

void add_keyframe_members(pyext::ClassBuilder& b) {
  b.method("添加动画", &add_animation, py::arg("self"));
  b.method("删除动画", &delete_animation, py::arg("self"));
  b.method("循环动画", &loop_animation, py::arg("self"));
  b.method("设置坐标", &set_position, py::arg("self"));
  b.method("设置比例", &set_scale, py::arg("self"));
  b.method("成功设置比例", &scale_set, py::arg("self"), py::arg("比例"));
  b.method("植入循环次数", &put_loop_count, py::arg("self"), py::arg("次数"));
  b.method("成功设置坐标", &position_set, py::arg("self"), py::arg("X"), py::arg("Y"));
  b.method("展现图标状态", &show_states, py::arg("self"), py::arg("选中项") = py::none());
  b.method("保存状态", &save_state, py::arg("self"));
  b.method("切换状态", &switch_state, py::arg("self"), py::arg("选中项"),
           py::doc("\n    选中项是指目的地\n"));
}

}  // namespace tazu::icon
