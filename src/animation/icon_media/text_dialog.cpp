#include "icon_media/text_dialog.hpp"

namespace tazu::dialog {

void start(py::handle self, py::object board, py::object callback, py::object info,
           py::object width, py::object height) {
  widgets_py::set_attributes(self, {{"回调", callback},
                                    {"信息", info},
                                    {"屏幕", TZ_GET(board, "屏幕")},
                                    {"画板", board},
                                    {"visible", py::bool_(false)},
                                    {"面板宽度", width},
                                    {"面板高度", height}});
}

py::object make_panel(py::handle self, py::handle x, py::handle y, int layer) {
  py::object panel =
      TZ_G("游戏面板")(TZ_GET(self, "屏幕"), py::arg("横坐标") = x, py::arg("纵坐标") = y,
                       py::arg("宽度") = TZ_GET(self, "面板宽度"),
                       py::arg("高度") = TZ_GET(self, "面板高度"), py::arg("层级") = layer);
  TZ_SET(self, "面板", panel);
  return panel;
}

void add_buttons(py::handle self, py::handle panel, const Box& cancel, const Box& confirm,
                 py::handle top) {
  auto whole = [](double v) { return py::int_(static_cast<long long>(v)); };
  auto make = [&](const char* action, const char* label, const Box& at) {
    return TZ_G("游戏按钮")(TZ_GET(self, "屏幕"), py::getattr(self, action), label,
                            py::arg("父节点") = panel, py::arg("横坐标") = whole(at.x),
                            py::arg("纵坐标") = top.is_none()
                                                    ? py::object(whole(at.y))
                                                    : py::reinterpret_borrow<py::object>(top),
                            py::arg("宽度") = whole(at.w), py::arg("高度") = whole(at.h));
  };
  TZ_SET(self, "取消按钮", make("隐藏", "取消", cancel));
  TZ_SET(self, "完成按钮", make("获得文本", "确定", confirm));
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
  TZ_SET(TZ_GET(self, "画板"), "画布激活", py::bool_(!shown));
  TZ_SET(self, "visible", py::bool_(shown));
  if (shown)
    widgets_py::show_panel(self);
  else
    widgets_py::hide_panel(self);
}

}  // namespace tazu::dialog
