// 下拉选项输入框: a panel with a prompt, a pygame_gui drop-down and a "完成"
// button that only hides it; the owner reads the choice from `clip`.
#include "icon_media/layout_py.hpp"
#include "register.hpp"
#include "tazu/widget_layout.hpp"
#include "widgets/mix_widgets.hpp"

namespace tazu {

namespace {

py::object drop_down(py::handle self, py::handle options, py::handle starting, py::handle rect) {
  return TZ_G("pygame_gui")
      .attr("elements")
      .attr("UIDropDownMenu")(py::arg("container") = TZ_GET(TZ_GET(self, "面板"), "clip"),
                              py::arg("options_list") = options,
                              py::arg("starting_option") = starting,
                              py::arg("relative_rect") = rect,
                              py::arg("manager") = TZ_GET(TZ_GET(self, "屏幕"), "ui_manager"));
}

void init(py::object self, py::object board, py::object options, py::object left, py::object top,
          py::object prompt, py::object centred) {
  // Checked before anything is built: a panel left by a failed construction
  // would stay on screen with no button to close it.
  if (py::len(options) == 0) throw py::index_error("the drop-down needs at least one option");
  const DropDownDialogLayout l = drop_down_dialog_layout();
  py::object screen = TZ_GET(board, "屏幕");
  widgets_py::set_attributes(self, {{"选项列表", options},
                                    {"屏幕", screen},
                                    {"画板", board},
                                    {"面板宽度", py::int_(int(l.panel_width))},
                                    {"面板高度", py::int_(int(l.panel_height))}});
  // The panel's place is standard data to the platform's widgets, so the
  // window is measured in standard data too (no change at fit ratio 1).
  if (pyext::truthy(centred))
    std::tie(left, top) = layout_py::centred_in_window(board, l.panel_width, l.panel_height);
  const Box size{0, 0, l.panel_width, l.panel_height};
  py::object panel = widgets_py::panel(screen, left, top, size, l.layer);
  TZ_SET(self, "面板", panel);
  widgets_py::text(screen, prompt, panel, l.prompt);

  // The drop-down is placed in board pixels, converted from standard data.
  auto board_px = [&](double v) {
    return convert::to_board(screen, py::int_(static_cast<long long>(v)));
  };
  py::object rect = TZ_G("pygame").attr("Rect")(board_px(l.menu.x), board_px(l.menu.y),
                                                board_px(l.menu.w), board_px(l.menu.h));
  TZ_SET(self, "clip", drop_down(self, options, options.attr("__getitem__")(0), rect));
  TZ_SET(self, "完成按钮",
         widgets_py::button(screen, TZ_GET(self, "隐藏"), py::str("完成"), panel, l.done));
  TZ_GET(self, "隐藏")();
}

void set_option(py::object self, py::object option) {
  for (py::handle entry : TZ_GET(self, "选项列表")) {
    if (!pyext::py_eq(entry, option)) continue;
    py::object old = TZ_GET(self, "clip");
    TZ_GET(old, "kill")();
    TZ_SET(self, "clip",
           drop_down(self, TZ_GET(old, "options_list"), entry, TZ_GET(old, "relative_rect")));
    break;
  }
}

// The canvas is off while the dialog is shown.
void hide(py::object self) {
  TZ_SET(TZ_GET(self, "画板"), "画布激活", py::bool_(true));
  widgets_py::hide_panel(self);
}

void show(py::object self) {
  TZ_SET(TZ_GET(self, "画板"), "画布激活", py::bool_(false));
  widgets_py::show_panel(self);
}

py::object visible(py::object self) { return TZ_GET(TZ_GET(self, "面板"), "可见"); }

}  // namespace

void register_dropdown_dialog(py::module_& m) {
  pyext::ClassBuilder b(m, "下拉选项输入框");
  b.method("__init__", &init, py::arg("self"), py::arg("画板"), py::arg("选项列表"),
           py::arg("横坐标") = py::none(), py::arg("纵坐标") = py::none(), py::arg("提示") = "",
           py::arg("居中") = false);
  b.method("设置选项", &set_option, py::arg("self"), py::arg("选项"));
  b.method("隐藏", &hide, py::arg("self"));
  b.method("展现", &show, py::arg("self"));
  b.readonly("可见", &visible);
  b.finish();
}

}  // namespace tazu
