#include "widgets/mix_widgets.hpp"

namespace tazu::widgets_py {

namespace {

py::int_ whole(double v) { return py::int_(static_cast<long long>(v)); }

// 横坐标=, 纵坐标=, 宽度=, 高度= of a box, as ints.
py::dict placed(const Box& at) {
  py::dict kw;
  kw[TZ_NAME("横坐标")] = whole(at.x);
  kw[TZ_NAME("纵坐标")] = whole(at.y);
  kw[TZ_NAME("宽度")] = whole(at.w);
  kw[TZ_NAME("高度")] = whole(at.h);
  return kw;
}

}  // namespace

void set_attributes(py::handle self,
                    std::initializer_list<std::pair<const char*, py::object>> values) {
  for (const auto& [name, value] : values) py::setattr(self, name, value);
}

py::object panel(py::handle screen, py::handle left, py::handle top, const Box& size, int layer) {
  return TZ_G("游戏面板")(screen, py::arg("横坐标") = left, py::arg("纵坐标") = top,
                          py::arg("宽度") = whole(size.w), py::arg("高度") = whole(size.h),
                          py::arg("层级") = layer);
}

py::object input(py::handle screen, py::handle hint, py::handle panel, const Box& at) {
  return TZ_G("游戏输入框")(py::arg("屏幕") = screen, py::arg("提示") = hint,
                            py::arg("父节点") = panel, **placed(at));
}

py::object button(py::handle screen, py::handle action, py::handle label, py::handle panel,
                  const Box& at) {
  return TZ_G("游戏按钮")(screen, action, label, py::arg("父节点") = panel, **placed(at));
}

py::object text(py::handle screen, py::handle text, py::handle panel, const Box& at) {
  return TZ_G("游戏文本")(screen, text, py::arg("父节点") = panel, **placed(at));
}

py::object hide_panel(py::handle self) {
  TZ_GET(TZ_GET(self, "面板"), "隐藏")();
  return py::none();
}

py::object show_panel(py::handle self) {
  TZ_GET(TZ_GET(self, "面板"), "展现")();
  return py::none();
}

}  // namespace tazu::widgets_py
