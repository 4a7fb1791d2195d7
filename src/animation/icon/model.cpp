// Construction, text form, equality and the read-only properties of 图标.
#include <string>

#include "icon/icon_common.hpp"
#include "tazu/icon_menu.hpp"
#include "tazu/icon_text.hpp"
#include "widgets/mix_widgets.hpp"

namespace tazu::icon {

namespace {

void init(py::object self, py::object icon_info, py::object board, py::object x, py::object y,
          py::object number, py::object width, py::object height, py::object kind, py::object mark,
          py::object system, py::object preview, py::object info) {
  using widgets_py::set_attributes;
  py::none none;
  py::int_ zero(0), one(1);
  py::bool_ no(false), yes(true);
  py::str empty("");
  py::object file =
      pyext::truthy(icon_info) ? Records().get(icon_info, TZ_NAME("文件")) : py::object(none);
  py::object screen = TZ_GET(board, "屏幕");
  set_attributes(self, {{"_文件", file},
                        {"画板", board},
                        {"type", none},
                        {"info", info},
                        {"smooth", yes},
                        {"video_cap", none},
                        {"gif_frames", none},
                        {"gif_cap", none},
                        {"video_frame_num", zero},
                        {"video_fps", zero},
                        {"video_w", zero},
                        {"video_h", zero},
                        {"fit_ratio", TZ_GET(screen, "_fit_ratio")}});

  py::object final_file = TZ_GET(self, "处理文件")(TZ_GET(self, "_文件"), system, preview);

  if (!fit_is_one(screen) && !pyext::truthy(system)) {
    if (pyext::truthy(width)) width = to_board(screen, width);
    if (pyext::truthy(height)) height = to_board(screen, height);
    x = to_board(screen, x);
    y = to_board(screen, y);
  }
  py::object rect = none;
  if (pyext::truthy(width) && pyext::truthy(height))
    rect = TZ_G("游戏矩形")(py::arg("左") = x, py::arg("右") = x + width, py::arg("上") = y,
                            py::arg("下") = y + height);

  TZ_GET(base(self), "__init__")
  (final_file, py::arg("矩形") = rect, py::arg("smooth") = TZ_GET(self, "smooth"),
   py::arg("原始图片") = TZ_GET(self, "_文件"));
  set_attributes(self, {{"激活", no},
                        {"模式", zero},
                        {"移动中", no},
                        {"移动锚点", none},
                        {"旋转中", no},
                        {"系统", system}});
  TZ_GET(base(self), "移动")(x, y, py::arg("初始") = true);

  py::dict actions;
  // Each label performed by the icon's method of that name.
  for (const icon_menu::Action& a : icon_menu::kActions) {
    py::str label(a.label.data(), a.label.size());
    actions[label] = py::getattr(self, label);
  }
  set_attributes(self, {{"图标信息", icon_info},
                        {"编号", number},
                        {"临时旋转中心", none},
                        {"类型", kind},
                        {"标记编号", mark},
                        {"锁", no},
                        {"循环", yes},
                        {"文本", none},
                        {"字体大小", empty},
                        {"文本颜色", empty},
                        {"字体", empty},
                        {"多选选中", no},
                        {"当前菜单", none},
                        {"上次选中时间", none},
                        {"按钮字典", actions}});
  set_attributes(self, {{"状态列表", TZ_G("列表")()},
                        {"按钮列表", none},
                        {"图标状态选项", none},
                        {"当前状态备份", none},
                        {"图层坐标设置", none},
                        {"图层比例设置", none},
                        {"循环次数输入框", none},
                        {"循环次数", one},
                        {"大盘旋转角度", zero},
                        {"大盘缩放比例", one},
                        {"别名", none}});
  if (pyext::truthy(info)) TZ_SET(self, "别名", py::object(info[py::str("name")]));
  set_attributes(self, {{"相对坐标", none}, {"原始缩放比例", one}, {"缩放备份", none}});
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
