// 字体输入框: the text layer's text, optional font and size, and a colour chosen
// in pygame_gui's colour picker; everything goes back through the callback.
#include <optional>
#include <string>

#include "register.hpp"
#include "tazu/widget_layout.hpp"
#include "widgets/mix_widgets.hpp"

namespace tazu {

namespace {

void init(py::object self, py::object screen, py::object callback, py::object left,
          py::object top) {
  const FontDialogLayout l = font_dialog_layout();
  widgets_py::set_attributes(self, {{"回调", callback},
                                    {"屏幕", screen},
                                    {"字体大小", py::none()},
                                    {"字体", py::str("")},
                                    {"current_colour", TZ_G("pygame").attr("Color")(0, 0, 0)},
                                    {"has_picked", py::none()}});
  const Box size{0, 0, l.panel_width, l.panel_height};
  py::object panel = widgets_py::panel(screen, left, top, size, l.layer);
  auto input = [&](const char* hint, const Box& at) {
    return widgets_py::input(screen, py::str(hint), panel, at);
  };
  auto button = [&](const char* action, const char* label, const Box& at) {
    return widgets_py::button(screen, py::getattr(self, action), py::str(label), panel, at);
  };
  // Braced lists run in order: the widgets are made in the order of the layout.
  widgets_py::set_attributes(self, {{"面板", panel},
                                    {"文本框", input("请输入文本", l.text)},
                                    {"取色按钮", button("开启选色", "选取颜色（默认黑）", l.pick)},
                                    {"colour_picker", py::none()},
                                    {"字体框", input("字体（非必填）", l.font)},
                                    {"字体大小框", input("字体大小（非必填）", l.size)},
                                    {"完成按钮", button("确定", "确定", l.confirm)},
                                    {"文本", py::none()},
                                    {"图标信息", py::none()}});
  TZ_GET(self, "隐藏")();
}

void close_palette(py::object self, py::object event) {
  TZ_SET(self, "colour_picker", py::none());
  py::object colour = TZ_GET(TZ_GET(event, "event"), "colour");
  TZ_SET(self, "current_colour", colour);
  py::object hex = TZ_GET(self, "color_to_hex")(colour);
  py::object pick = TZ_GET(self, "取色按钮");
  TZ_GET(pick, "设置文本")(py::str("修改颜色(") + hex + py::str(")"));
  TZ_GET(pick, "生效")();
}

std::string to_hex(py::object /*self*/, py::object color) {
  auto channel = [&](py::handle v) { return py::cast<int>(v); };
  return hex_colour(
      {channel(TZ_GET(color, "r")), channel(TZ_GET(color, "g")), channel(TZ_GET(color, "b"))});
}

py::object to_tuple(py::object /*self*/, py::object color) {
  return py::make_tuple(TZ_GET(color, "r"), TZ_GET(color, "g"), TZ_GET(color, "b"));
}

void open_picker(py::object self) {
  const Box at = font_dialog_layout().picker;
  py::object picker = TZ_G("UIColourPickerDialog")(
      TZ_G("pygame").attr("Rect")(int(at.x), int(at.y), int(at.w), int(at.h)),
      TZ_GET(TZ_GET(self, "屏幕"), "ui_manager"), py::arg("window_title") = "调色板",
      py::arg("initial_colour") = TZ_GET(self, "current_colour"));
  TZ_SET(self, "colour_picker", picker);
  // Closing the picker with its cancel or close button sends no colour, so the
  // owner never calls 关闭调色板; without this the pick button would stay
  // disabled for good. Weak references: neither object keeps the other alive.
  py::weakref dialog_ref(self), picker_ref(picker);
  py::cpp_function on_kill([dialog_ref, picker_ref]() {
    py::object p = picker_ref();
    if (p.is_none()) return;
    py::type::of(p).attr("kill")(p);
    py::object dialog = dialog_ref();
    if (dialog.is_none() || !TZ_GET(dialog, "colour_picker").is(p)) return;
    TZ_SET(dialog, "colour_picker", py::none());
    TZ_GET(TZ_GET(dialog, "取色按钮"), "生效")();
  });
  TZ_SET(picker, "kill", on_kill);
  TZ_GET(TZ_GET(self, "取色按钮"), "失效")();
  TZ_SET(self, "has_picked", py::bool_(true));
}

void hide(py::object self) { widgets_py::hide_panel(self); }

void show(py::object self, py::object text, py::object layer_info) {
  widgets_py::set_attributes(
      self, {{"has_picked", py::bool_(false)}, {"文本", text}, {"图标信息", layer_info}});
  if (pyext::truthy(text)) TZ_GET(TZ_GET(self, "文本框"), "设置文本")(text);
  widgets_py::show_panel(self);
}

// int() of the size text; nullopt when it is not an integer.
std::optional<py::object> parse_size(py::object text) {
  PyObject* n = PyNumber_Long(text.ptr());
  if (n) return py::reinterpret_steal<py::object>(n);
  if (PyErr_ExceptionMatches(PyExc_ValueError) || PyErr_ExceptionMatches(PyExc_TypeError)) {
    PyErr_Clear();
    return std::nullopt;
  }
  throw py::error_already_set();
}

void confirm(py::object self) {
  py::object text = TZ_GET(TZ_GET(self, "文本框"), "获取文本")();
  py::object font = TZ_GET(TZ_GET(self, "字体框"), "获取文本")();
  py::object size = TZ_GET(TZ_GET(self, "字体大小框"), "获取文本")();
  if (!pyext::truthy(text)) {
    TZ_GET(self, "隐藏")();
    return;
  }
  if (!pyext::truthy(font)) font = py::none();
  if (pyext::truthy(size)) {
    // A size that is not a positive integer is refused silently: the dialog
    // stays open so the user can correct it.
    auto n = parse_size(size);
    if (!n) return;
    int positive = PyObject_RichCompareBool(n->ptr(), py::int_(0).ptr(), Py_GT);
    if (positive < 0) throw py::error_already_set();
    if (!positive) return;
    size = *n;
  } else {
    size = py::none();
  }
  TZ_GET(self, "隐藏")();
  TZ_GET(TZ_GET(self, "文本框"), "清理")();
  py::object colour = pyext::truthy(TZ_GET(self, "has_picked"))
                          ? TZ_GET(self, "color_to_tuple")(TZ_GET(self, "current_colour"))
                          : py::none();
  TZ_GET(self, "回调")(text, font, colour, size, TZ_GET(self, "图标信息"));
}

}  // namespace

void register_font_dialog(py::module_& m) {
  pyext::ClassBuilder b(m, "字体输入框");
  b.method("__init__", &init, py::arg("self"), py::arg("屏幕"), py::arg("回调"), py::arg("横坐标"),
           py::arg("纵坐标"));
  b.method("关闭调色板", &close_palette, py::arg("self"), py::arg("事件"));
  b.method("color_to_hex", &to_hex, py::arg("self"), py::arg("color"));
  b.method("color_to_tuple", &to_tuple, py::arg("self"), py::arg("color"));
  b.method("开启选色", &open_picker, py::arg("self"));
  b.method("隐藏", &hide, py::arg("self"));
  b.method("展现", &show, py::arg("self"), py::arg("文本"), py::arg("图标信息"));
  b.method("确定", &confirm, py::arg("self"));
  b.finish();
}

}  // namespace tazu
