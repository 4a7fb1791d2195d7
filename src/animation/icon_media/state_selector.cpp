// 图标状态: the column of an icon's keyframes, one row per stored state and a
// last row "当前" for the live state, shown left of the icon. Its sizes do not
// follow the screen's fit ratio.
#include "icon_media/layout_py.hpp"
#include "register.hpp"

namespace tazu {

namespace {

using convert::rgb;
using layout_py::is_int;
using layout_py::pygame;

void init(py::object self, py::object icon, py::object options, py::object selected) {
  TZ_SET(self, "图标", icon);
  TZ_SET(self, "菜单宽度", py::int_(static_cast<long long>(kSelectorWidth)));
  TZ_SET(self, "选项列表", options);
  TZ_SET(self, "项高度", py::int_(static_cast<long long>(kSelectorRowHeight)));
  TZ_SET(self, "字体", layout_py::popup_font(kSelectorFontSize));
  long long rows = static_cast<long long>(py::len(options));
  py::object height = py::int_(rows) * TZ_GET(self, "项高度");
  TZ_SET(self, "菜单高度", height);
  py::object surface = pygame().attr("Surface")(py::make_tuple(TZ_GET(self, "菜单宽度"), height));
  surface.attr("set_alpha")(kPopupAlpha);
  TZ_SET(self, "菜单表面", surface);
  // None marks the last row, the live state.
  TZ_SET(self, "选中项", selected.is_none() ? py::object(py::int_(rows - 1)) : selected);
}

// Left edge: left of the icon, kept inside the canvas.
py::object left_edge(py::object self) {
  py::object icon_x = TZ_GET(TZ_GET(self, "图标"), "横坐标");
  py::object width = TZ_GET(self, "菜单宽度");
  py::object canvas = TZ_GET(TZ_GET(TZ_GET(self, "图标"), "画板"), "实际画布宽度");
  Clamped c = clamp_span(pyext::py_float(icon_x) - pyext::py_float(width), pyext::py_float(width),
                         pyext::py_float(canvas), true);
  return layout_py::clamped(c, is_int(icon_x) && is_int(width), is_int(canvas) && is_int(width));
}

// Top edge: level with the icon's top, kept inside the canvas.
py::object top_edge(py::object self) {
  py::object icon_y = TZ_GET(TZ_GET(self, "图标"), "纵坐标");
  py::object height = TZ_GET(self, "菜单高度");
  py::object canvas = TZ_GET(TZ_GET(TZ_GET(self, "图标"), "画板"), "实际画布高度");
  Clamped c =
      clamp_span(pyext::py_float(icon_y), pyext::py_float(height), pyext::py_float(canvas), true);
  return layout_py::clamped(c, is_int(icon_y), is_int(canvas) && is_int(height));
}

void draw(py::object self, py::object screen) {
  py::object surface = TZ_GET(self, "菜单表面");
  py::object font = TZ_GET(self, "字体");
  surface.attr("fill")(rgb(200, 200, 200));
  py::object x = TZ_GET(self, "横坐标")();
  py::object y = TZ_GET(self, "纵坐标")();
  double left = pyext::py_float(x);
  double top = pyext::py_float(y);
  py::object width = TZ_GET(self, "菜单宽度");
  py::object row_height = TZ_GET(self, "项高度");
  py::object selected = TZ_GET(self, "选中项");
  py::object get_pos = pygame().attr("mouse").attr("get_pos");
  long long i = 0;
  for (py::handle option : TZ_GET(self, "选项列表")) {
    py::object y_pos = py::int_(i) * row_height;
    py::tuple row_rect = py::make_tuple(0, y_pos, width, row_height);
    if (!selected.is_none() && pyext::py_eq(selected, py::int_(i))) {
      surface.attr("fill")(rgb(90, 90, 90), row_rect);
    } else {
      auto [mx, my] = layout_py::point(get_pos());
      Box row{left, top + pyext::py_float(y_pos), pyext::py_float(width),
              pyext::py_float(row_height)};
      if (contains_inclusive(row, mx, my)) surface.attr("fill")(rgb(150, 150, 150), row_rect);
    }
    surface.attr("blit")(layout_py::render_label(self, font, option),
                         py::make_tuple(5, y_pos + py::int_(5)));
    ++i;
  }
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
  auto [px, py_] = layout_py::point(mouse);
  long long row =
      row_at(pyext::py_float(TZ_GET(self, "横坐标")()), pyext::py_float(TZ_GET(self, "纵坐标")()),
             pyext::py_float(TZ_GET(self, "菜单宽度")), pyext::py_float(TZ_GET(self, "项高度")),
             py::len(TZ_GET(self, "选项列表")), px, py_);
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
