// 通用输入框: a panel with one text input above the buttons "取消" and "确定";
// size and the input's share of the height are parameters. The canvas is
// switched off while the dialog is shown.
#include "icon_media/layout_py.hpp"
#include "register.hpp"

namespace tazu {

namespace {

using layout_py::is_int;

void init(py::object self, py::object board, py::object callback, py::object x, py::object y,
          py::object hint, py::object centred, py::object info, py::object width, py::object height,
          py::object input_ratio) {
  TZ_SET(self, "回调", callback);
  TZ_SET(self, "信息", info);
  TZ_SET(self, "屏幕", TZ_GET(board, "屏幕"));
  TZ_SET(self, "画板", board);
  TZ_SET(self, "visible", py::bool_(false));
  TZ_SET(self, "面板宽度", width);
  TZ_SET(self, "面板高度", height);
  double w = pyext::py_float(width);
  double h = pyext::py_float(height);
  if (pyext::truthy(centred)) std::tie(x, y) = layout_py::centred_in_window(board, w, h);
  py::object screen = TZ_GET(self, "屏幕");
  py::object panel =
      TZ_G("游戏面板")(screen, py::arg("横坐标") = x, py::arg("纵坐标") = y,
                       py::arg("宽度") = width, py::arg("高度") = height, py::arg("层级") = 50);
  TZ_SET(self, "面板", panel);
  GeneralDialogLayout l = general_dialog_layout(w, h, pyext::py_float(input_ratio));
  auto as_int = [](double v) { return py::int_(static_cast<long long>(v)); };
  TZ_SET(self, "输入",
         TZ_G("游戏输入框")(
             py::arg("屏幕") = screen, py::arg("提示") = hint, py::arg("父节点") = panel,
             py::arg("横坐标") = as_int(l.input.x), py::arg("纵坐标") = as_int(l.input.y),
             py::arg("宽度") = as_int(l.input.w), py::arg("高度") = as_int(l.input.h)));
  // The buttons' top keeps the number type of the panel height.
  py::object button_top = convert::int_or_float(l.cancel.y, is_int(height));
  py::object button_cls = TZ_G("游戏按钮");
  TZ_SET(self, "取消按钮",
         button_cls(screen, TZ_GET(self, "隐藏"), "取消", py::arg("父节点") = panel,
                    py::arg("横坐标") = as_int(l.cancel.x), py::arg("纵坐标") = button_top,
                    py::arg("宽度") = as_int(l.cancel.w), py::arg("高度") = as_int(l.cancel.h)));
  TZ_SET(self, "完成按钮",
         button_cls(screen, TZ_GET(self, "获得文本"), "确定", py::arg("父节点") = panel,
                    py::arg("横坐标") = as_int(l.confirm.x), py::arg("纵坐标") = button_top,
                    py::arg("宽度") = as_int(l.confirm.w), py::arg("高度") = as_int(l.confirm.h)));
  TZ_GET(self, "隐藏")();
}

void hide(py::object self) { layout_py::show_dialog_panel(self, false); }

void show(py::object self, py::object text) {
  if (pyext::truthy(text)) TZ_GET(TZ_GET(self, "输入"), "设置文本")(text);
  layout_py::show_dialog_panel(self, true);
}

py::object visible(py::object self) { return TZ_GET(TZ_GET(self, "面板"), "可见"); }

// An empty input calls back with None; the text is not checked here.
void take_text(py::object self) {
  py::object text = TZ_GET(TZ_GET(self, "输入"), "获取文本")();
  if (pyext::py_eq(text, py::str(""))) text = py::none();
  TZ_GET(self, "隐藏")();
  TZ_GET(TZ_GET(self, "输入"), "清理")();
  py::object callback = TZ_GET(self, "回调");
  if (!pyext::truthy(callback)) return;
  py::object info = TZ_GET(self, "信息");
  if (!info.is_none())
    callback(text, info);
  else
    callback(text);
}

}  // namespace

void register_general_dialog(py::module_& m) {
  pyext::ClassBuilder b(m, "通用输入框");
  b.method("__init__", &init, py::arg("self"), py::arg("画板"), py::arg("回调") = py::none(),
           py::arg("横坐标") = py::none(), py::arg("纵坐标") = py::none(),
           py::arg("提示") = "请输入时长权重数字，从1开始\n（仅支持输入纯数字）",
           py::arg("居中") = false, py::arg("信息") = py::none(), py::arg("面板宽度") = 400,
           py::arg("面板高度") = 300, py::arg("输入框比例") = 0.5);
  b.method("隐藏", &hide, py::arg("self"));
  b.method("展现", &show, py::arg("self"), py::arg("文本") = py::none());
  b.readonly("可见", &visible);
  b.method("获得文本", &take_text, py::arg("self"));
  b.finish({"__init__", "隐藏", "展现", "可见", "获得文本"});
}

}  // namespace tazu
