#include "icon_media/text_dialog.hpp"

namespace tazu::dialog {

void start(py::handle self, py::handle board, py::handle callback, py::handle info,
           py::handle width, py::handle height) {
  TZ_SET(self, "回调", callback);
  TZ_SET(self, "信息", info);
  TZ_SET(self, "屏幕", TZ_GET(board, "屏幕"));
  TZ_SET(self, "画板", board);
  TZ_SET(self, "visible", py::bool_(false));
  TZ_SET(self, "面板宽度", width);
  TZ_SET(self, "面板高度", height);
}

py::object make_panel(py::handle self, py::handle x, py::handle y, int layer) {
  py::object panel =
      TZ_G("游戏面板")(TZ_GET(self, "屏幕"), py::arg("横坐标") = x, py::arg("纵坐标") = y,
                       py::arg("宽度") = TZ_GET(self, "面板宽度"),
                       py::arg("高度") = TZ_GET(self, "面板高度"), py::arg("层级") = layer);
  TZ_SET(self, "面板", panel);
  return panel;
}

py::dict place(py::object x, py::object y, py::object width, py::object height) {
  py::dict kw;
  kw["横坐标"] = std::move(x);
  kw["纵坐标"] = std::move(y);
  kw["宽度"] = std::move(width);
  kw["高度"] = std::move(height);
  return kw;
}

py::dict place(const Box& b) {
  auto as_int = [](double v) { return py::int_(static_cast<long long>(v)); };
  return place(as_int(b.x), as_int(b.y), as_int(b.w), as_int(b.h));
}

void add_buttons(py::handle self, py::handle panel, const py::dict& cancel,
                 const py::dict& confirm) {
  py::object screen = TZ_GET(self, "屏幕");
  py::object button_cls = TZ_G("游戏按钮");
  TZ_SET(self, "取消按钮",
         button_cls(screen, TZ_GET(self, "隐藏"), "取消", py::arg("父节点") = panel, **cancel));
  TZ_SET(
      self, "完成按钮",
      button_cls(screen, TZ_GET(self, "获得文本"), "确定", py::arg("父节点") = panel, **confirm));
}

void call_back(py::handle self, py::handle callback, py::tuple values) {
  py::object info = TZ_GET(self, "信息");
  if (info.is_none()) {
    callback(*values);
  } else {
    py::list args(values);
    args.append(info);
    callback(*args);
  }
}

void show(py::handle self, bool shown) {
  // Hiding or showing the dialog gives the canvas its input back or takes it.
  TZ_SET(TZ_GET(self, "画板"), "画布激活", py::bool_(!shown));
  TZ_SET(self, "visible", py::bool_(shown));
  py::object panel = TZ_GET(self, "面板");
  if (shown)
    TZ_GET(panel, "展现")();
  else
    TZ_GET(panel, "隐藏")();
}

}  // namespace tazu::dialog
