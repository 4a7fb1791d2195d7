// 坐标输入框: a panel with an X and a Y input and the buttons "取消" and "确定".
// The canvas is switched off while the dialog is shown.
#include "icon_media/layout_py.hpp"
#include "register.hpp"

namespace tazu {

namespace {

py::dict place(const Box& b) {
  py::dict kw;
  kw["横坐标"] = py::int_(static_cast<long long>(b.x));
  kw["纵坐标"] = py::int_(static_cast<long long>(b.y));
  kw["宽度"] = py::int_(static_cast<long long>(b.w));
  kw["高度"] = py::int_(static_cast<long long>(b.h));
  return kw;
}

void init(py::object self, py::object board, py::object callback, py::object default_x,
          py::object default_y, py::object x, py::object y, py::object centred, py::object info) {
  CoordinateDialogLayout l = coordinate_dialog_layout();
  TZ_SET(self, "回调", callback);
  TZ_SET(self, "信息", info);
  TZ_SET(self, "屏幕", TZ_GET(board, "屏幕"));
  TZ_SET(self, "画板", board);
  TZ_SET(self, "visible", py::bool_(false));
  TZ_SET(self, "面板宽度", py::int_(static_cast<long long>(l.panel_width)));
  TZ_SET(self, "面板高度", py::int_(static_cast<long long>(l.panel_height)));
  if (pyext::truthy(centred))
    std::tie(x, y) = layout_py::centred_in_window(board, l.panel_width, l.panel_height);
  py::object screen = TZ_GET(self, "屏幕");
  py::object panel =
      TZ_G("游戏面板")(screen, py::arg("横坐标") = x, py::arg("纵坐标") = y,
                       py::arg("宽度") = TZ_GET(self, "面板宽度"),
                       py::arg("高度") = TZ_GET(self, "面板高度"), py::arg("层级") = 6);
  TZ_SET(self, "面板", panel);
  py::object input_cls = TZ_G("游戏输入框");
  TZ_SET(self, "默认X", default_x);
  TZ_SET(self, "X输入",
         input_cls(py::arg("屏幕") = screen, py::arg("提示") = py::str("X: ") + py::str(default_x),
                   py::arg("父节点") = panel, **place(l.x_input)));
  TZ_SET(self, "默认Y", default_y);
  TZ_SET(self, "Y输入",
         input_cls(py::arg("屏幕") = screen, py::arg("提示") = py::str("Y: ") + py::str(default_y),
                   py::arg("父节点") = panel, **place(l.y_input)));
  py::object button_cls = TZ_G("游戏按钮");
  TZ_SET(self, "取消按钮",
         button_cls(screen, TZ_GET(self, "隐藏"), "取消", py::arg("父节点") = panel,
                    **place(l.cancel)));
  TZ_SET(self, "完成按钮",
         button_cls(screen, TZ_GET(self, "获得文本"), "确定", py::arg("父节点") = panel,
                    **place(l.confirm)));
  TZ_GET(self, "隐藏")();
}

void hide(py::object self) { layout_py::show_dialog_panel(self, false); }

// A text given when showing pre-fills the inputs: a pair fills X and Y, a text
// "x,y" (or "x，y") is split at its comma, anything else fills X alone.
void prefill(py::object self, py::object text) {
  py::object x_text = text, y_text = py::none();
  if (py::isinstance<py::str>(text)) {
    std::string s = py::str(text);
    for (const char* sep : {",", "，"}) {
      auto pos = s.find(sep);
      if (pos != std::string::npos) {
        x_text = py::str(s.substr(0, pos)).attr("strip")();
        y_text = py::str(s.substr(pos + std::string(sep).size())).attr("strip")();
        break;
      }
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

void show(py::object self, py::object text) {
  if (pyext::truthy(text)) prefill(self, text);
  layout_py::show_dialog_panel(self, true);
}

py::object visible(py::object self) { return TZ_GET(TZ_GET(self, "面板"), "可见"); }

// Empty inputs take the defaults; typed texts go to the callback unchecked.
void take_text(py::object self) {
  py::object x_text = TZ_GET(TZ_GET(self, "X输入"), "获取文本")();
  py::object y_text = TZ_GET(TZ_GET(self, "Y输入"), "获取文本")();
  py::str empty("");
  if (pyext::py_eq(x_text, empty)) x_text = TZ_GET(self, "默认X");
  if (pyext::py_eq(y_text, empty)) y_text = TZ_GET(self, "默认Y");
  TZ_GET(self, "隐藏")();
  TZ_GET(TZ_GET(self, "X输入"), "清理")();
  TZ_GET(TZ_GET(self, "Y输入"), "清理")();
  py::object info = TZ_GET(self, "信息");
  py::object callback = TZ_GET(self, "回调");
  if (!info.is_none())
    callback(x_text, y_text, info);
  else
    callback(x_text, y_text);
}

}  // namespace

void register_coordinate_dialog(py::module_& m) {
  pyext::ClassBuilder b(m, "坐标输入框");
  b.method("__init__", &init, py::arg("self"), py::arg("画板"), py::arg("回调"), py::arg("默认X"),
           py::arg("默认Y"), py::arg("横坐标") = py::none(), py::arg("纵坐标") = py::none(),
           py::arg("居中") = false, py::arg("信息") = py::none());
  b.method("隐藏", &hide, py::arg("self"));
  b.method("展现", &show, py::arg("self"), py::arg("文本") = py::none());
  b.readonly("可见", &visible);
  b.method("获得文本", &take_text, py::arg("self"));
  b.finish({"__init__", "隐藏", "展现", "可见", "获得文本"});
}

}  // namespace tazu
