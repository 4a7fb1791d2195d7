// The two text dialogs (coordinates, general) share their bookkeeping: the
// attributes they start with, a panel with the buttons "取消" and "确定", the
// canvas switched off while shown, and a callback given the info when set.
#pragma once

#include <utility>

#include "icon_media/layout_py.hpp"
#include "widgets/mix_widgets.hpp"

namespace tazu::dialog {

// 回调, 信息, 屏幕, 画板, visible, 面板宽度 and 面板高度.
void start(py::handle self, py::object board, py::object callback, py::object info,
           py::object width, py::object height);

// The panel at (x, y) of the dialog's size on `layer`, kept as 面板.
py::object make_panel(py::handle self, py::handle x, py::handle y, int layer);

// 取消按钮 hides the dialog, 完成按钮 takes its text; both at their boxes (whole
// pixels), their top given as `top` instead when that is not None.
void add_buttons(py::handle self, py::handle panel, const Box& cancel, const Box& confirm,
                 py::handle top = py::none());

// The callback with the dialog's values, and its 信息 last when that is not None.
void call_back(py::handle self, py::handle callback, py::tuple values);

// Shows the dialog and takes the canvas's input, or hides it and gives the
// input back.
void show(py::handle self, bool shown);

// Registers a dialog class with its members in their order: __init__, 隐藏,
// 展现 (a true text is handed to `prefill` first), 可见 and 获得文本.
template <typename Init, typename... InitArgs>
void register_class(py::module_& m, const char* name, Init&& init,
                    void (*prefill)(py::object, py::object), void (*take_text)(py::object),
                    const InitArgs&... init_args) {
  pyext::ClassBuilder b(m, name);
  b.method("__init__", std::forward<Init>(init), py::arg("self"), init_args...);
  b.method(
      "隐藏", [](py::object self) { show(self, false); }, py::arg("self"));
  b.method(
      "展现",
      [prefill](py::object self, py::object text) {
        if (pyext::truthy(text)) prefill(self, text);
        show(self, true);
      },
      py::arg("self"), py::arg("文本") = py::none());
  b.readonly("可见", [](py::object self) { return TZ_GET(TZ_GET(self, "面板"), "可见"); });
  b.method("获得文本", take_text, py::arg("self"));
  b.finish({"__init__", "隐藏", "展现", "可见", "获得文本"});
}

}  // namespace tazu::dialog
