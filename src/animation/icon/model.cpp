// Construction, text form, equality and the read-only properties of 图标.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "icon/icon_common.hpp"
#include "tazu/icon_menu.hpp"
#include "tazu/icon_model.hpp"
#include "tazu/icon_text.hpp"

namespace tazu::icon {

namespace {

// The constructor's arguments that attributes keep, by name.
struct Arguments {
  std::array<py::object, icon_model::kKeptArguments.size()> values;
  py::handle operator[](std::string_view name) const {
    const auto& names = icon_model::kKeptArguments;
    return values[std::find(names.begin(), names.end(), name) - names.begin()];
  }
};

py::dict button_dict(py::handle self) {
  py::dict actions;
  for (const icon_menu::Action& a : icon_menu::kActions) {
    py::str label(a.label.data(), a.label.size());
    actions[label] = py::getattr(self, label);
  }
  return actions;
}

// What an attribute starts as, in the host's values.
py::object initial(py::handle self, const icon_model::Attribute& a, const Arguments& args,
                   py::handle icon_info, py::handle screen) {
  using icon_model::Initial;
  switch (a.initial) {
    case Initial::argument:
      return py::reinterpret_borrow<py::object>(args[a.name]);
    case Initial::file:
      return pyext::truthy(icon_info) ? Records().get(icon_info, TZ_NAME("文件")) : py::none();
    case Initial::fit_ratio:
      return TZ_GET(screen, "_fit_ratio");
    case Initial::new_list:
      return TZ_G("列表")();
    case Initial::actions:
      return button_dict(self);
    default:
      break;
  }
  // The constants, in the order Initial lists them.
  const std::array<py::object, 6> constants = {py::none(),       py::int_(0),     py::int_(1),
                                               py::bool_(false), py::bool_(true), py::str("")};
  return constants.at(static_cast<std::size_t>(a.initial));
}

template <std::size_t N>
void set_initial(py::handle self, const std::array<icon_model::Attribute, N>& run,
                 const Arguments& args, py::handle icon_info, py::handle screen) {
  for (const icon_model::Attribute& a : run)
    py::setattr(self, py::str(a.name.data(), a.name.size()),
                initial(self, a, args, icon_info, screen));
}

void init(py::object self, py::object icon_info, py::object board, py::object x, py::object y,
          py::object number, py::object width, py::object height, py::object kind, py::object mark,
          py::object system, py::object preview, py::object info) {
  const Arguments args{{board, info, system, icon_info, number, kind, mark}};
  py::object screen = TZ_GET(board, "屏幕");
  set_initial(self, icon_model::kBeforePicture, args, icon_info, screen);
  py::object final_file = TZ_GET(self, "处理文件")(TZ_GET(self, "_文件"), system, preview);

  if (!fit_is_one(screen) && !pyext::truthy(system)) {
    if (pyext::truthy(width)) width = to_board(screen, width);
    if (pyext::truthy(height)) height = to_board(screen, height);
    x = to_board(screen, x);
    y = to_board(screen, y);
  }
  py::object rect = py::none();
  if (pyext::truthy(width) && pyext::truthy(height))
    rect = TZ_G("游戏矩形")(py::arg("左") = x, py::arg("右") = x + width, py::arg("上") = y,
                            py::arg("下") = y + height);

  TZ_GET(base(self), "__init__")
  (final_file, py::arg("矩形") = rect, py::arg("smooth") = TZ_GET(self, "smooth"),
   py::arg("原始图片") = TZ_GET(self, "_文件"));
  set_initial(self, icon_model::kAfterBase, args, icon_info, screen);
  TZ_GET(base(self), "移动")(x, y, py::arg("初始") = true);
  set_initial(self, icon_model::kAfterMove, args, icon_info, screen);
  if (pyext::truthy(info)) TZ_SET(self, "别名", py::object(info[py::str("name")]));
}

py::object round2(py::handle v) { return TZ_G("round")(v, 2); }

py::str describe(py::object self) {
  py::object screen = screen_of(self);
  bool video = pyext::py_eq(TZ_GET(self, "type"), py::str("video"));
  IconLine line{
      .number = text(TZ_GET(self, "编号")),
      .video = video,
      .looping = video ? text(TZ_GET(self, "是否循环")) : std::string(),
      .states = std::to_string(Records().length(TZ_GET(self, "状态列表")) + 1),
      .loops = text(TZ_GET(self, "循环次数")),
      .file = text(TZ_GET(self, "文件")),
      .x = text(TZ_GET(self, "横坐标")),
      .y = text(TZ_GET(self, "纵坐标")),
      .scale = text(round2(to_standard(screen, TZ_GET(self, "scale_ratio")))),
      .angle = text(TZ_GET(self, "旋转角度")),
      .group_angle = text(TZ_GET(self, "大盘旋转角度")),
      .group_scale = text(round2(to_standard(screen, TZ_GET(self, "大盘缩放比例")))),
      .fit_ratio = text(round2(TZ_GET(screen, "适配比例"))),
      .mode = text(TZ_GET(self, "模式")),
  };
  return py::str(icon_line(line));
}

py::object equals(py::object self, py::object other) {
  if (!pyext::truthy(other)) return py::bool_(false);
  PyObject* r =
      PyObject_RichCompare(TZ_GET(self, "编号").ptr(), TZ_GET(other, "编号").ptr(), Py_EQ);
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

}  // namespace

void add_model_members(pyext::ClassBuilder& b) {
  py::none none;
  b.method("__init__", &init, py::arg("self"), py::arg("图标信息"), py::arg("画板"),
           py::arg("横坐标") = 0, py::arg("纵坐标") = 0, py::arg("编号") = 0,
           py::arg("宽度") = none, py::arg("高度") = none, py::arg("类型") = "普通",
           py::arg("标记编号") = 0, py::arg("系统") = false, py::arg("预览") = false,
           py::arg("info") = none);
  b.method("__str__", &describe, py::arg("self"));
  b.method("__eq__", &equals, py::arg("self"), py::arg("other"));

  b.readonly("中心", [](py::object self) {
    Vec2 c = picture_centre(number(TZ_GET(self, "x")), number(TZ_GET(self, "y")),
                            number(TZ_GET(self, "宽")), number(TZ_GET(self, "高")));
    return py::make_tuple(int_of(c.x), int_of(c.y));
  });
  b.readonly("文件", [](py::object self) -> py::object {
    py::object file = TZ_GET(self, "_文件");
    // An icon without a source file still prints and reports; it has no path.
    if (!pyext::truthy(file)) return file;
    return TZ_G("转相对路径")(file);
  });
  b.readonly("面积", [](py::object self) { return TZ_GET(TZ_GET(self, "矩形"), "面积"); });
  b.readonly("左上角", [](py::object self) {
    return py::make_tuple(TZ_GET(self, "横坐标"), TZ_GET(self, "纵坐标"));
  });
  b.readonly("旋转中心", [](py::object self) { return TZ_GET(self, "rotate_pivot"); });
  b.readonly("旋转角度", [](py::object self) { return TZ_GET(self, "rotate_angle"); });
}

}  // namespace tazu::icon
