// 右键菜单: the pop-up list of an icon's actions, with a title row showing the
// icon's alias. Row height and font follow the screen's fit ratio; the width
// does not.
#include "icon_media/layout_py.hpp"
#include "register.hpp"

namespace tazu {

namespace {

using convert::rgb;
using layout_py::pygame;

// Long aliases are cut so the title fits the fixed menu width.
py::object title_of(py::handle alias) {
  if (alias.is_none() || !pyext::truthy(alias)) return py::str("-");
  // A non-text alias (a number, say) is shown as its text.
  py::str text =
      py::isinstance<py::str>(alias) ? py::reinterpret_borrow<py::str>(alias) : py::str(alias);
  if (py::len(text) > 5) return py::object(text[py::slice(0, 5, 1)]) + py::str("...");
  return text;
}

void init(py::object self, py::object position, py::object options, py::object alias,
          py::object fit_ratio) {
  double ratio = pyext::py_float(fit_ratio);
  long long row = context_menu_row_height(ratio);
  TZ_SET(self, "图标别名", title_of(alias));
  TZ_SET(self, "位置", position);
  TZ_SET(self, "选项列表", options);
  TZ_SET(self, "项高度", py::int_(row));
  TZ_SET(self, "字体", layout_py::popup_font(context_menu_font_size(ratio)));
  TZ_SET(self, "菜单宽度", py::int_(static_cast<long long>(kContextMenuWidth)));
  TZ_SET(self, "标题高度", py::int_(row));
  py::object surface = pygame().attr("Surface")(py::make_tuple(
      static_cast<long long>(kContextMenuWidth), context_menu_height(py::len(options), ratio)));
  surface.attr("set_alpha")(kPopupAlpha);
  TZ_SET(self, "菜单表面", surface);
  py::object x = position[py::int_(0)];
  py::object y = position[py::int_(1)];
  TZ_SET(self, "start_x", x);
  TZ_SET(self, "option_start_y", y + TZ_GET(self, "标题高度"));
  TZ_SET(self, "manu_y", y);
}

void draw(py::object self, py::object screen) {
  py::object surface = TZ_GET(self, "菜单表面");
  py::object font = TZ_GET(self, "字体");
  surface.attr("fill")(rgb(200, 200, 200));
  surface.attr("blit")(layout_py::render_label(self, font, TZ_GET(self, "图标别名")),
                       py::make_tuple(5, 5));
  py::object row_height = TZ_GET(self, "项高度");
  py::object title_height = TZ_GET(self, "标题高度");
  py::object width = TZ_GET(self, "菜单宽度");
  double left = pyext::py_float(TZ_GET(self, "start_x"));
  double top = pyext::py_float(TZ_GET(self, "manu_y"));
  double w = pyext::py_float(width);
  double h = pyext::py_float(row_height);
  py::object get_pos = pygame().attr("mouse").attr("get_pos");
  long long i = 0;
  for (py::handle option : TZ_GET(self, "选项列表")) {
    py::object option_y = py::int_(i) * row_height + title_height;
    auto [mx, my] = layout_py::point(get_pos());
    Box row{left, top + pyext::py_float(option_y), w, h};
    if (contains_inclusive(row, mx, my))
      surface.attr("fill")(rgb(150, 150, 150), py::make_tuple(0, option_y, width, row_height));
    surface.attr("blit")(layout_py::render_label(self, font, option),
                         py::make_tuple(5, option_y + py::int_(5)));
    ++i;
  }
  TZ_GET(screen, "screen").attr("blit")(surface, TZ_GET(self, "位置"));
}

py::object clicked_row(py::object self, py::object mouse) {
  auto [px, py_] = layout_py::point(mouse);
  long long row = row_at(
      pyext::py_float(TZ_GET(self, "start_x")), pyext::py_float(TZ_GET(self, "option_start_y")),
      pyext::py_float(TZ_GET(self, "菜单宽度")), pyext::py_float(TZ_GET(self, "项高度")),
      py::len(TZ_GET(self, "选项列表")), px, py_);
  return py::int_(row);
}

}  // namespace

void register_context_menu(py::module_& m) {
  pyext::ClassBuilder b(m, "右键菜单");
  b.method("__init__", &init, py::arg("self"), py::arg("位置"), py::arg("选项列表"),
           py::arg("图标别名"), py::arg("fit_ratio"));
  b.method("绘制", &draw, py::arg("self"), py::arg("屏幕"));
  b.method("获取点击项", &clicked_row, py::arg("self"), py::arg("鼠标坐标"));
  b.finish({"__init__", "绘制", "获取点击项"});
}

}  // namespace tazu
