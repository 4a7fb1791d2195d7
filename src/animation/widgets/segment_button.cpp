// 联合按钮: one segment of the timeline strip. A right-button release near an
// edge stitches the segment to its neighbour, elsewhere it cuts it; any other
// release inside calls the host's callback.
#include "tazu/segment_button.hpp"

#include "convert.hpp"
#include "register.hpp"
#include "tazu/widget_layout.hpp"
#include "widgets/mix_widgets.hpp"

namespace tazu {

namespace {

PyObject* g_class = nullptr;  // the class, for the base-class constructor call

py::object colour_or(py::object given, Rgb fallback) {
  return given.is_none() ? py::object(convert::rgb(fallback.r, fallback.g, fallback.b)) : given;
}

void init(py::object self, py::object board, py::object rect, py::object text, py::object callback,
          py::object font, py::object index, py::object weight, py::object inactive_colour,
          py::object active_colour, py::object selected_colour, py::object info) {
  py::object inactive = colour_or(inactive_colour, kInactiveColour);
  widgets_py::set_attributes(self, {{"回调", callback},
                                    {"画板", board},
                                    {"序号", index},
                                    {"权重", weight},
                                    {"文本", text},
                                    {"字体", font},
                                    {"_激活", py::bool_(false)},
                                    {"激活颜色", colour_or(active_colour, kActiveColour)},
                                    {"未激活颜色", inactive},
                                    {"选中颜色", colour_or(selected_colour, kSelectedColour)},
                                    {"当前颜色", inactive},
                                    {"信息", info},
                                    {"柱子信息", py::none()},
                                    {"柱子数量", py::int_(0)},
                                    {"上次切缝时间", py::none()}});

  py::object screen = TZ_GET(board, "屏幕");
  if (!convert::fit_is_one(screen)) TZ_GET(rect, "set_scale_ratio")(TZ_GET(screen, "适配比例"));
  py::object super = TZ_G("super");
  py::handle cls(g_class);
  TZ_GET(super(cls, self), "__init__")(py::arg("矩形") = rect);
}

void set_waveform(py::object self, py::object bars, py::object count) {
  widgets_py::set_attributes(self, {{"柱子信息", bars}, {"柱子数量", count}});
}

void set_text(py::object self, py::object text) { TZ_SET(self, "文本", text); }

void select(py::object self) { TZ_SET(self, "当前颜色", TZ_GET(self, "选中颜色")); }

bool is_selected(py::object self) {
  return pyext::py_eq(TZ_GET(self, "选中颜色"), TZ_GET(self, "当前颜色"));
}

void deselect(py::object self) { TZ_SET(self, "当前颜色", TZ_GET(self, "未激活颜色")); }

void draw(py::object self) {
  py::object layer = TZ_GET(TZ_GET(self, "字体"), "渲染")(TZ_GET(self, "文本"));
  py::object rect = TZ_GET(self, "矩形");
  using convert::number;
  const Vec2 at = centred_label({number(TZ_GET(self, "横坐标")), number(TZ_GET(self, "纵坐标"))},
                                {number(TZ_GET(rect, "宽")), number(TZ_GET(rect, "高"))},
                                {number(TZ_GET(layer, "宽")), number(TZ_GET(layer, "高"))});
  TZ_GET(layer, "移动")(at.x, at.y);
  py::object text_rect = TZ_GET(layer, "矩形");

  py::object screen = TZ_GET(TZ_GET(self, "画板"), "屏幕");
  TZ_GET(screen, "长方形")(TZ_GET(self, "当前颜色"), rect, 0);
  TZ_GET(screen, "长方形")
  (convert::rgb(kBorderColour.r, kBorderColour.g, kBorderColour.b), rect, 1);
  py::object bars = TZ_GET(self, "柱子信息");
  py::object count = TZ_GET(self, "柱子数量");
  if (pyext::truthy(bars) && pyext::truthy(count)) {
    py::object wave = TZ_G("draw_bar_heights")(bars, TZ_GET(rect, "宽"), TZ_GET(rect, "高"), count);
    TZ_GET(TZ_GET(screen, "screen"), "blit")(wave, TZ_GET(rect, "to_rect")());
  }
  TZ_GET(screen, "粘贴")(layer, text_rect);
}

void activate(py::object self) {
  TZ_SET(self, "当前颜色", TZ_GET(self, "激活颜色"));
  TZ_SET(self, "_激活", py::bool_(true));
}

bool inside(py::object self, py::object point) {
  return pyext::truthy(TZ_GET(self, "是否在矩形内")(point, TZ_GET(self, "矩形")));
}

py::object mouse_down(py::object self, py::object event) {
  if (inside(self, TZ_GET(event, "坐标"))) {
    TZ_GET(self, "激活")();
  } else {
    TZ_SET(self, "_激活", py::bool_(false));
  }
  return TZ_GET(self, "_激活");
}

py::object cut_or_stitch(py::object self, py::object point) {
  py::object board = TZ_GET(self, "画板");
  py::object rect = TZ_GET(self, "矩形");
  py::object index = TZ_GET(self, "序号");
  py::object info = TZ_GET(self, "信息");
  using convert::number;
  const double x = number(convert::item(point, 0)), left = number(TZ_GET(rect, "左"));
  switch (
      segment_edit_at(x, left, number(TZ_GET(rect, "右")), number(TZ_GET(board, "帧切割阈值")))) {
    case SegmentEdit::StitchLeft:
      return TZ_GET(board, "缝合动作")(index, "左", info);
    case SegmentEdit::StitchRight:
      return TZ_GET(board, "缝合动作")(index, "右", info);
    case SegmentEdit::Cut:
      break;
  }
  const double ratio = cut_ratio(x, left, number(TZ_GET(rect, "宽")));
  return TZ_GET(board, "切割动作")(index, ratio, info);
}

py::object mouse_up(py::object self, py::object event) {
  if (!pyext::truthy(TZ_GET(self, "_激活"))) return py::none();
  py::object point = TZ_GET(event, "坐标");
  if (!inside(self, point)) return py::none();
  if (pyext::py_eq(TZ_GET(event, "按钮"), py::int_(kCutStitchButton)) &&
      !TZ_GET(self, "权重").is_none()) {
    py::object last = TZ_GET(self, "上次切缝时间");
    if (pyext::truthy(last)) {
      py::object time_delta = TZ_G("time").attr("time")() - last;
      TZ_G("print")(time_delta);
      if (cut_stitch_throttled(convert::number(time_delta))) return py::none();
    }
    TZ_SET(self, "信息", TZ_GET(self, "切割或缝合")(point));
    TZ_SET(self, "上次切缝时间", TZ_G("time").attr("time")());
  }
  py::object callback = TZ_GET(self, "回调");
  if (pyext::truthy(callback)) {
    py::object info = TZ_GET(self, "信息");
    if (pyext::truthy(info)) {
      callback(info);
    } else {
      callback();
    }
  }
  return py::bool_(true);
}

}  // namespace

void register_segment_button(py::module_& m) {
  pyext::ClassBuilder b(m, "联合按钮", TZ_G("游戏组件"));
  {
    // The docstring is the text alone, as the host reads it, without pybind11's
    // signature line.
    py::options only_doc;
    only_doc.disable_function_signatures();
    b.method("__init__", &init, py::arg("self"), py::arg("画板"), py::arg("矩形"), py::arg("文本"),
             py::arg("回调"), py::arg("字体"), py::arg("序号") = py::none(),
             py::arg("权重") = py::none(), py::arg("未激活颜色") = py::none(),
             py::arg("激活颜色") = py::none(), py::arg("选中颜色") = py::none(),
             py::arg("信息") = py::none(), py::doc("\n    初始化按钮的相关参数\n"));
  }
  b.method("设置波形图", &set_waveform, py::arg("self"), py::arg("柱子信息"), py::arg("柱子数量"));
  b.method("设置文本", &set_text, py::arg("self"), py::arg("文本"));
  b.method("选中", &select, py::arg("self"));
  b.readonly("是否选中", &is_selected);
  b.method("取消选中", &deselect, py::arg("self"));
  b.method("绘制", &draw, py::arg("self"));
  b.method("鼠标按下", &mouse_down, py::arg("self"), py::arg("事件"));
  b.method("切割或缝合", &cut_or_stitch, py::arg("self"), py::arg("坐标"));
  b.method("激活", &activate, py::arg("self"));
  b.method("鼠标弹起", &mouse_up, py::arg("self"), py::arg("事件"));
  py::object cls = b.finish();
  g_class = cls.release().ptr();
}

}  // namespace tazu
