// The platform's widgets (游戏面板, 游戏输入框, 游戏按钮, 游戏文本) made from the
// core's layout boxes, looked up in the module namespace at each call; and
// the attributes a constructor sets, in the order the host reads them.
#pragma once

#include <initializer_list>
#include <utility>

#include "pyclass.hpp"
#include "tazu/geometry.hpp"

namespace tazu::widgets_py {

// Sets each attribute in turn.
void set_attributes(py::handle self,
                    std::initializer_list<std::pair<const char*, py::object>> values);

// 游戏面板(屏幕, 横坐标=left, 纵坐标=top, 宽度=, 高度=, 层级=layer), the size from `size`.
py::object panel(py::handle screen, py::handle left, py::handle top, const Box& size, int layer);
// 游戏输入框(屏幕=, 提示=hint, 父节点=panel, …) at `at`.
py::object input(py::handle screen, py::handle hint, py::handle panel, const Box& at);
// 游戏按钮(屏幕, action, label, 父节点=panel, …) at `at`.
py::object button(py::handle screen, py::handle action, py::handle label, py::handle panel,
                  const Box& at);
// 游戏文本(屏幕, text, 父节点=panel, …) at `at`.
py::object text(py::handle screen, py::handle text, py::handle panel, const Box& at);

// The hide and show of a dialog whose panel is `面板`.
py::object hide_panel(py::handle self);
py::object show_panel(py::handle self);

}  // namespace tazu::widgets_py
