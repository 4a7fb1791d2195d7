// 图标状态: the column of an icon's keyframes, one row per stored state and a
// last row "当前" for the live state, shown left of the icon. Its sizes do not
// follow the screen's fit ratio.
#include "icon_media/layout_py.hpp"
#include "register.hpp"
#include "widgets/mix_widgets.hpp"

namespace tazu {

namespace {

using convert::rgb;
using layout_py::is_int;
using layout_py::pygame;

void init(py::object self, py::object icon, py::object options, py::object selected) {
  const auto rows = static_cast<long long>(py::len(options));
  const auto row_height = static_cast<long long>(kSelectorRowHeight);
  py::int_ width(static_cast<long long>(kSelectorWidth)), height(rows * row_height);
  py::object surface = pygame().attr("Surface")(py::make_tuple(width, height));
  surface.attr("set_alpha")(kPopupAlpha);
  // None marks the last row, the live state.
  py::object row = selected.is_none() ? py::object(py::int_(rows - 1)) : selected;
  widgets_py::set_attributes(self, {{"图标", icon},
                                    {"菜单宽度", width},
                                    {"选项列表", options},
                                    {"项高度", py::int_(row_height)},
                                    {"字体", layout_py::popup_font(kSelectorFontSize)},
                                    {"菜单高度", height},
                                    {"菜单表面", surface},
                                    {"选中项", row}});
}

// Left edge: left of the icon, kept inside the canvas.
py::object left_edge(py::object self) {
  py::object icon_x = TZ_GET(TZ_GET(self, "图标"), "横坐标");
  py::object width = TZ_GET(self, "菜单宽度");
  py::object canvas = TZ_GET(TZ_GET(TZ_GET(self, "图标"), "画板"), "实际画布宽度");
  Clamped c = selector_x(pyext::py_float(icon_x), pyext::py_float(width), pyext::py_float(canvas));
  return layout_py::clamped(c, is_int(icon_x) && is_int(width), is_int(canvas) && is_int(width));
}

// Top edge: level with the icon's top, kept inside the canvas.
py::object top_edge(py::object self) {
  py::object icon_y = TZ_GET(TZ_GET(self, "图标"), "纵坐标");
  py::object height = TZ_GET(self, "菜单高度");
  py::object canvas = TZ_GET(TZ_GET(TZ_GET(self, "图标"), "画板"), "实际画布高度");
  Clamped c = selector_y(pyext::py_float(icon_y), pyext::py_float(height), pyext::py_float(canvas));
  return layout_py::clamped(c, is_int(icon_y), is_int(canvas) && is_int(height));
}

void draw(py::object self, py::object screen) {
  py::object surface = TZ_GET(self, "菜单表面");
  py::object font = TZ_GET(self, "字体");
  surface.attr("fill")(rgb(200, 200, 200));
  py::object x = TZ_GET(self, "横坐标")();
  py::object y = TZ_GET(self, "纵坐标")();
  layout_py::draw_rows(self, surface, font, {pyext::py_float(x), pyext::py_float(y)},
                       TZ_GET(self, "菜单宽度"), TZ_GET(self, "项高度"), py::int_(0),
                       TZ_GET(self, "选中项"));
  TZ_GET(screen, "screen").attr("blit")(surface, py::make_tuple(x, y));
}

// The border itself is outside here, unlike for the row lookup.
bool check(py::object self, py::object event) {
  auto [px, py_] = layout_py::point(TZ_GET(event, "坐标"));
  Box box{pyext::py_float(TZ_GET(self, "横坐标")()), pyext::py_float(TZ_GET(self, "纵坐标")()),
          pyext::py_float(TZ_GET(self, "菜单宽度")), pyext::py_float(TZ_GET(self, "菜单高度"))};
  return contains_strict(box, px, py_);
}

py::object clicked_row(py::object self, py::object mouse) {
  Vec2 origin{pyext::py_float(TZ_GET(self, "横坐标")()), pyext::py_float(TZ_GET(self, "纵坐标")())};
  long long row = layout_py::column(self, origin, TZ_GET(self, "菜单宽度"), TZ_GET(self, "项高度"))
                      .row_under(layout_py::point(mouse));
  if (row >= 0) TZ_SET(self, "选中项", py::int_(row));
  return py::int_(row);
}

}  // namespace

void register_state_selector(py::module_& m) {
  pyext::ClassBuilder b(m, "图标状态");
  b.method("__init__", &init, py::arg("self"), py::arg("图标"), py::arg("选项列表"),
           py::arg("选中项"));
  b.method("绘制", &draw, py::arg("self"), py::arg("屏幕"));
  b.method("横坐标", &left_edge, py::arg("self"));
  b.method("纵坐标", &top_edge, py::arg("self"));
  b.method("检查", &check, py::arg("self"), py::arg("事件"));
  b.method("获取点击项", &clicked_row, py::arg("self"), py::arg("鼠标坐标"));
  b.finish({"__init__", "绘制", "横坐标", "纵坐标", "检查", "获取点击项"});
}

}  // namespace tazu
