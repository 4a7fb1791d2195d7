// 下拉选项输入框: a panel with a prompt, a pygame_gui drop-down and a "完成"
// button that only hides it; the owner reads the choice from `clip`.
#include "icon_media/layout_py.hpp"
#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

namespace {

constexpr int kPanelSize = 400;

py::object none() { return py::none(); }

py::object drop_down(py::object self, py::object options, py::object starting, py::object rect) {
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
  TZ_SET(self, "选项列表", options);
  TZ_SET(self, "屏幕", TZ_GET(board, "屏幕"));
  TZ_SET(self, "画板", board);
  TZ_SET(self, "面板宽度", py::int_(kPanelSize));
  TZ_SET(self, "面板高度", py::int_(kPanelSize));
  py::object screen = TZ_GET(self, "屏幕");

  if (pyext::truthy(centred)) {
    // The panel's place is standard data to the platform's widgets, so the
    // window is measured in standard data too (no change at fit ratio 1).
    auto [x, y] = layout_py::centred_in_window(board, kPanelSize, kPanelSize);
    left = x;
    top = y;
  }
  py::object panel = TZ_G("游戏面板")(screen, py::arg("横坐标") = left, py::arg("纵坐标") = top,
                                      py::arg("宽度") = kPanelSize, py::arg("高度") = kPanelSize,
                                      py::arg("层级") = 6);
  TZ_SET(self, "面板", panel);

  // Prompt: centred, 40 narrower than the panel.
  py::object panel_width = TZ_GET(self, "面板宽度");
  py::object label_width = panel_width - py::int_(40);
  py::object label_left = pyext::py_int((panel_width - label_width) / py::int_(2));
  py::object label = TZ_G("游戏文本");
  label(screen, prompt, py::arg("父节点") = panel, py::arg("横坐标") = label_left,
        py::arg("纵坐标") = 30, py::arg("宽度") = label_width, py::arg("高度") = 60);

  // The drop-down is placed in board pixels, converted from standard data.
  const int menu_width = 300, menu_left = (kPanelSize - menu_width) / 2, menu_top = 150,
            menu_height = 70;
  py::object conv = TZ_GET(screen, "标准数据转实际画板");
  py::object l = conv(menu_left), t = conv(menu_top), w = conv(menu_width), h = conv(menu_height);
  py::object rect = TZ_G("pygame").attr("Rect")(l, t, w, h);
  py::object first = options.attr("__getitem__")(0);
  TZ_SET(self, "clip", drop_down(self, options, first, rect));

  const int button_width = 150;
  TZ_SET(
      self, "完成按钮",
      TZ_G("游戏按钮")(screen, TZ_GET(self, "隐藏"), "完成", py::arg("父节点") = panel,
                       py::arg("横坐标") = (kPanelSize - button_width) / 2, py::arg("纵坐标") = 250,
                       py::arg("宽度") = button_width, py::arg("高度") = 80));
  TZ_GET(self, "隐藏")();
}

py::object set_option(py::object self, py::object option) {
  for (py::handle entry : TZ_GET(self, "选项列表")) {
    if (!pyext::py_eq(entry, option)) continue;
    py::object old = TZ_GET(self, "clip");
    TZ_GET(old, "kill")();
    py::object fresh =
        drop_down(self, TZ_GET(old, "options_list"), py::reinterpret_borrow<py::object>(entry),
                  TZ_GET(old, "relative_rect"));
    TZ_SET(self, "clip", fresh);
    break;
  }
  return none();
}

py::object hide(py::object self) {
  TZ_SET(TZ_GET(self, "画板"), "画布激活", py::bool_(true));
  TZ_GET(TZ_GET(self, "面板"), "隐藏")();
  return none();
}

py::object show(py::object self) {
  TZ_SET(TZ_GET(self, "画板"), "画布激活", py::bool_(false));
  TZ_GET(TZ_GET(self, "面板"), "展现")();
  return none();
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
  b.finish({"__init__", "设置选项", "隐藏", "展现", "可见"});
}

}  // namespace tazu
