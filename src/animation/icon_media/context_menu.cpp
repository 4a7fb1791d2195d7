// 右键菜单: the pop-up list of an icon's actions, with a title row showing the
// icon's alias. Row height and font follow the screen's fit ratio; the width
// does not.
#include "icon_media/layout_py.hpp"
#include "register.hpp"
#include "widgets/mix_widgets.hpp"

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
  py::int_ row(context_menu_row_height(ratio)), width(static_cast<long long>(kContextMenuWidth));
  py::object surface =
      pygame().attr("Surface")(py::make_tuple(width, context_menu_height(py::len(options), ratio)));
  surface.attr("set_alpha")(kPopupAlpha);
  py::object x = position[py::int_(0)];
  py::object y = position[py::int_(1)];
  widgets_py::set_attributes(self, {{"图标别名", title_of(alias)},
                                    {"位置", position},
                                    {"选项列表", options},
                                    {"项高度", row},
                                    {"字体", layout_py::popup_font(context_menu_font_size(ratio))},
                                    {"菜单宽度", width},
                                    {"标题高度", row},
                                    {"菜单表面", surface},
                                    {"start_x", x},
                                    {"option_start_y", y + row},
                                    {"manu_y", y}});
}

void draw(py::object self, py::object screen) {
  py::object surface = TZ_GET(self, "菜单表面");
  py::object font = TZ_GET(self, "字体");
  surface.attr("fill")(rgb(200, 200, 200));
  surface.attr("blit")(layout_py::render_label(self, font, TZ_GET(self, "图标别名")),
                       py::make_tuple(5, 5));
  Vec2 origin{pyext::py_float(TZ_GET(self, "start_x")), pyext::py_float(TZ_GET(self, "manu_y"))};
  layout_py::draw_rows(self, surface, font, origin, TZ_GET(self, "菜单宽度"),
                       TZ_GET(self, "项高度"), TZ_GET(self, "标题高度"));
  TZ_GET(screen, "screen").attr("blit")(surface, TZ_GET(self, "位置"));
}

py::object clicked_row(py::object self, py::object mouse) {
  Vec2 origin{pyext::py_float(TZ_GET(self, "start_x")),
              pyext::py_float(TZ_GET(self, "option_start_y"))};
  return py::int_(layout_py::column(self, origin, TZ_GET(self, "菜单宽度"), TZ_GET(self, "项高度"))
                      .row_under(layout_py::point(mouse)));
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
