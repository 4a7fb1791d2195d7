// The icon's context menu: selection with the double-selection timing, the
// menu's labels and place, click routing to the menu and the keyframe-state
// selector, and the actions the board carries out.
#include <string>
#include <string_view>
#include <vector>

#include "icon/icon_common.hpp"
#include "icon_media/layout_py.hpp"
#include "tazu/icon_menu.hpp"

namespace tazu::icon {

namespace {

using layout_py::is_int;

// A label as text for the menu table; anything else matches no action.
std::string_view label_text(py::handle label) {
  if (!PyUnicode_Check(label.ptr())) return {};
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(label.ptr(), &size);
  if (!utf8) {
    PyErr_Clear();  // a lone surrogate: no action is named so
    return {};
  }
  return {utf8, static_cast<std::size_t>(size)};
}

py::list button_labels(py::handle buttons) {
  if (PyDict_Check(buttons.ptr())) return py::list(buttons.attr("keys")());
  if (py::hasattr(buttons, "所有键")) return py::list(buttons.attr("所有键")());
  return py::list(py::reinterpret_borrow<py::object>(buttons));
}

py::object button_action(py::handle buttons, py::handle label) {
  if (PyDict_Check(buttons.ptr())) return buttons.attr("get")(label);
  return buttons.attr("获取")(label);
}

py::object is_looping(py::object self) {
  return py::str(pyext::truthy(TZ_GET(self, "循环")) ? "是" : "否");
}

void set_text(py::object self, py::object text) {
  if (!text.is_none()) TZ_SET(self, "文本", text);
}

void select(py::object self) {
  py::object now = layout_py::pygame().attr("time").attr("get_ticks")();
  py::object last = TZ_GET(self, "上次选中时间");
  std::optional<double> previous;
  if (pyext::truthy(last)) previous = pyext::py_float(last);
  if (is_double_selection(previous, pyext::py_float(now))) TZ_GET(self, "弹出菜单")();
  TZ_SET(self, "上次选中时间", now);
}

void pop_up_menu(py::object self) {
  py::object board = TZ_GET(self, "画板");
  py::list all = button_labels(TZ_GET(self, "按钮字典"));
  icon_menu::Facts facts;
  facts.video = pyext::py_eq(TZ_GET(self, "type"), py::str("video"));
  facts.info = pyext::truthy(TZ_GET(self, "info"));
  facts.text = pyext::truthy(TZ_GET(self, "文本"));
  facts.locked = pyext::truthy(TZ_GET(self, "锁"));
  facts.action_key = pyext::truthy(TZ_GET(board, "是否开始动作键")());
  facts.selector = pyext::truthy(TZ_GET(self, "图标状态选项"));
  std::vector<std::string_view> texts;
  for (py::handle l : all) texts.push_back(label_text(l));
  py::list labels;
  for (std::size_t i : icon_menu::offered(texts, facts)) labels.append(all[i]);
  TZ_SET(self, "按钮列表", labels);

  py::object x = TZ_GET(self, "横坐标");
  py::object y = TZ_GET(self, "纵坐标");
  py::object w = TZ_GET(self, "宽");
  py::object fit_ratio = TZ_GET(self, "fit_ratio");
  py::object canvas_w = TZ_GET(board, "实际画布宽度");
  py::object canvas_h = TZ_GET(board, "实际画布高度");
  ContextMenuPlacement p = place_context_menu(
      pyext::py_float(x), pyext::py_float(y), pyext::py_float(w), py::len(labels),
      pyext::py_float(fit_ratio), pyext::py_float(canvas_w), pyext::py_float(canvas_h));
  py::tuple position =
      py::make_tuple(layout_py::clamped(p.x, is_int(x) && is_int(w), is_int(canvas_w)),
                     layout_py::clamped(p.y, is_int(y), is_int(canvas_h)));
  TZ_SET(self, "当前菜单", TZ_G("右键菜单")(position, labels, TZ_GET(self, "别名"), fit_ratio));
}

bool handle_menu(py::object self, py::object event) {
  py::object menu = TZ_GET(self, "当前菜单");
  if (!pyext::truthy(menu)) return false;
  py::object i = TZ_GET(menu, "获取点击项")(TZ_GET(event, "坐标"));
  if (pyext::py_float(i) < 0) return false;  // the title row or outside
  py::object labels = TZ_GET(self, "按钮列表");
  // The bottom border gives one past the last row: close without an action.
  if (pyext::py_float(i) <= static_cast<double>(py::len(labels)) - 1) {
    py::object name = labels[i];
    if (pyext::truthy(name)) {
      py::object action = button_action(TZ_GET(self, "按钮字典"), name);
      if (pyext::truthy(action)) action();
    }
  }
  TZ_SET(self, "当前菜单", py::none());
  TZ_GET(self, "取消菜单")();
  return true;
}

bool handle_states(py::object self, py::object event) {
  if (!pyext::truthy(TZ_GET(self, "激活"))) return false;
  py::object selector = TZ_GET(self, "图标状态选项");
  if (!pyext::truthy(selector)) return false;
  if (!pyext::truthy(TZ_GET(selector, "检查")(event))) return false;
  // The keyframe on show keeps the edits made to the icon before the switch.
  TZ_GET(self, "保存状态")();
  py::object selected = TZ_GET(selector, "获取点击项")(TZ_GET(event, "坐标"));
  TZ_GET(self, "切换状态")(selected);
  TZ_GET(self, "取消菜单")();
  return true;
}

void cancel_menu(py::object self) {
  if (pyext::truthy(TZ_GET(self, "当前菜单"))) TZ_SET(self, "当前菜单", py::none());
}

void deactivate(py::object self) {
  TZ_SET(self, "激活", py::bool_(false));
  TZ_GET(self, "取消菜单")();
}

// The first left or right release records the state a later scaling starts from.
void mouse_up(py::object self, py::object event) {
  py::object button = TZ_GET(event, "按钮");
  bool left_or_right = pyext::py_eq(button, py::int_(1)) || pyext::py_eq(button, py::int_(3));
  if (left_or_right && !pyext::truthy(TZ_GET(self, "缩放备份")))
    TZ_SET(self, "缩放备份", TZ_GET(self, "报告")(py::arg("缩放备份") = false));
}

}  // namespace

void add_menu_members(pyext::ClassBuilder& b) {
  for (const icon_menu::Action& a : icon_menu::kActions) {
    if (a.board_method.empty()) continue;
    PyObject* method = pyext::intern(std::string(a.board_method).c_str());
    b.method(
        std::string(a.label).c_str(),
        [method](py::object self) { TZ_GET(self, "画板").attr(py::handle(method))(); },
        py::arg("self"));
  }
  b.readonly("是否循环", &is_looping);
  b.method("设置文本", &set_text, py::arg("self"), py::arg("文本"));
  b.method("选中", &select, py::arg("self"));
  b.method("弹出菜单", &pop_up_menu, py::arg("self"));
  b.method("取消激活", &deactivate, py::arg("self"));
  b.method("处理图标状态", &handle_states, py::arg("self"), py::arg("事件"),
           py::doc("\n    True代表有状态需要处理\n"));
  b.method("处理图标菜单", &handle_menu, py::arg("self"), py::arg("事件"),
           py::doc("\n    True代表有菜单需要处理\n"));
  b.method("鼠标弹起", &mouse_up, py::arg("self"), py::arg("事件"));
  b.method("取消菜单", &cancel_menu, py::arg("self"));
}

}  // namespace tazu::icon
