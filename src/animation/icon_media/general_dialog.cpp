// 通用输入框: a panel with one text input above the buttons "取消" and "确定";
// size and the input's share of the height are parameters. The canvas is
// switched off while the dialog is shown.
#include "icon_media/text_dialog.hpp"
#include "register.hpp"

namespace tazu {

namespace {

void init(py::object self, py::object board, py::object callback, py::object x, py::object y,
          py::object hint, py::object centred, py::object info, py::object width, py::object height,
          py::object input_ratio) {
  dialog::start(self, board, callback, info, width, height);
  double w = pyext::py_float(width);
  double h = pyext::py_float(height);
  if (pyext::truthy(centred)) std::tie(x, y) = layout_py::centred_in_window(board, w, h);
  py::object panel = dialog::make_panel(self, x, y, 50);
  GeneralDialogLayout l = general_dialog_layout(w, h, pyext::py_float(input_ratio));
  TZ_SET(self, "输入", widgets_py::input(TZ_GET(self, "屏幕"), hint, panel, l.input));
  // The buttons' top keeps the number type of the panel height.
  dialog::add_buttons(self, panel, l.cancel, l.confirm,
                      convert::int_or_float(l.cancel.y, layout_py::is_int(height)));
  TZ_GET(self, "隐藏")();
}

void prefill(py::object self, py::object text) { TZ_GET(TZ_GET(self, "输入"), "设置文本")(text); }

// An empty input calls back with None; the text is not checked here.
void take_text(py::object self) {
  py::object input = TZ_GET(self, "输入");
  py::object text = TZ_GET(input, "获取文本")();
  if (pyext::py_eq(text, py::str(""))) text = py::none();
  TZ_GET(self, "隐藏")();
  TZ_GET(input, "清理")();
  py::object callback = TZ_GET(self, "回调");
  if (pyext::truthy(callback)) dialog::call_back(self, callback, py::make_tuple(text));
}

}  // namespace

void register_general_dialog(py::module_& m) {
  dialog::register_class(
      m, "通用输入框", &init, &prefill, &take_text, py::arg("画板"), py::arg("回调") = py::none(),
      py::arg("横坐标") = py::none(), py::arg("纵坐标") = py::none(),
      py::arg("提示") = "请输入时长权重数字，从1开始\n（仅支持输入纯数字）",
      py::arg("居中") = false, py::arg("信息") = py::none(), py::arg("面板宽度") = 400,
      py::arg("面板高度") = 300, py::arg("输入框比例") = 0.5);
}

}  // namespace tazu
