// 坐标输入框: a panel with an X and a Y input and the buttons "取消" and "确定".
// The canvas is switched off while the dialog is shown.
#include <string>

#include "icon_media/text_dialog.hpp"
#include "register.hpp"
#include "tazu/narration.hpp"

namespace tazu {

namespace {

void init(py::object self, py::object board, py::object callback, py::object default_x,
          py::object default_y, py::object x, py::object y, py::object centred, py::object info) {
  CoordinateDialogLayout l = coordinate_dialog_layout();
  dialog::start(self, board, callback, info, py::int_(static_cast<long long>(l.panel_width)),
                py::int_(static_cast<long long>(l.panel_height)));
  if (pyext::truthy(centred))
    std::tie(x, y) = layout_py::centred_in_window(board, l.panel_width, l.panel_height);
  py::object panel = dialog::make_panel(self, x, y, 6);
  py::object screen = TZ_GET(self, "屏幕");
  auto input = [&](const char* axis, py::handle v, const Box& at) {
    return widgets_py::input(screen, py::str(axis) + py::str(v), panel, at);
  };
  widgets_py::set_attributes(self, {{"默认X", default_x},
                                    {"X输入", input("X: ", default_x, l.x_input)},
                                    {"默认Y", default_y},
                                    {"Y输入", input("Y: ", default_y, l.y_input)}});
  dialog::add_buttons(self, panel, l.cancel, l.confirm);
  TZ_GET(self, "隐藏")();
}

// A text given when showing pre-fills the inputs: a pair fills X and Y, a text
// "x,y" (or "x，y") is split at its comma, anything else fills X alone.
void prefill(py::object self, py::object text) {
  py::object x_text = text, y_text = py::none();
  if (py::isinstance<py::str>(text)) {
    std::string s = py::str(text);
    if (auto parts = split_pair_text(s)) {
      x_text = py::str(narration::strip_unicode(parts->first));
      y_text = py::str(narration::strip_unicode(parts->second));
    }
  } else if (py::isinstance<py::tuple>(text) || py::isinstance<py::list>(text)) {
    if (py::len(text) == 2) {
      x_text = text[py::int_(0)];
      y_text = text[py::int_(1)];
    }
  }
  TZ_GET(TZ_GET(self, "X输入"), "设置文本")(x_text);
  if (!y_text.is_none()) TZ_GET(TZ_GET(self, "Y输入"), "设置文本")(y_text);
}

// Empty inputs take the defaults; typed texts go to the callback unchecked.
void take_text(py::object self) {
  py::object x_input = TZ_GET(self, "X输入"), y_input = TZ_GET(self, "Y输入");
  py::object x_text = TZ_GET(x_input, "获取文本")();
  py::object y_text = TZ_GET(y_input, "获取文本")();
  py::str empty("");
  if (pyext::py_eq(x_text, empty)) x_text = TZ_GET(self, "默认X");
  if (pyext::py_eq(y_text, empty)) y_text = TZ_GET(self, "默认Y");
  TZ_GET(self, "隐藏")();
  TZ_GET(x_input, "清理")();
  TZ_GET(y_input, "清理")();
  dialog::call_back(self, TZ_GET(self, "回调"), py::make_tuple(x_text, y_text));
}

}  // namespace

void register_coordinate_dialog(py::module_& m) {
  dialog::register_class(m, "坐标输入框", &init, &prefill, &take_text, py::arg("画板"),
                         py::arg("回调"), py::arg("默认X"), py::arg("默认Y"),
                         py::arg("横坐标") = py::none(), py::arg("纵坐标") = py::none(),
                         py::arg("居中") = false, py::arg("信息") = py::none());
}

}  // namespace tazu
