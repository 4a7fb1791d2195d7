// The icon's state record: everything needed to show it again, in standard data.
#include "icon/icon_common.hpp"

namespace tazu::icon {

namespace {

py::object report_now(py::object self, py::object with_backup) {
  py::object board = TZ_GET(self, "画板");
  py::object screen = TZ_GET(board, "屏幕");
  py::object conv = TZ_GET(screen, "实际画板转标准数据");

  py::object pivot = py::str("");
  py::object rp = TZ_GET(self, "rotate_pivot");
  if (pyext::truthy(rp)) {
    // A stored record answers 获取; a tuple, list or array is indexed.
    auto [a, b] = pair_items(rp);
    py::object cx = conv(a);
    pivot = py::make_tuple(cx, conv(b));
  }

  py::object vector = py::none(), box = py::none();
  py::object rel = TZ_GET(self, "相对坐标");
  if (pyext::truthy(rel)) {
    py::object vx = conv(item(rel, 0));
    vector = py::make_tuple(vx, conv(item(rel, 1)));
    auto [left, top, bottom, right] = unpack<4>(TZ_GET(board, "获取组合矩形")(self));
    py::object l = conv(left), t = conv(top), bo = conv(bottom);
    box = py::make_tuple(l, t, bo, conv(right));
  }

  py::object rect = TZ_GET(self, "矩形");
  py::object left = conv(TZ_GET(rect, "左"));
  py::object top = conv(TZ_GET(rect, "上"));
  py::object width = conv(TZ_GET(rect, "宽"));
  py::object height = conv(TZ_GET(rect, "高"));
  py::object scale = conv(TZ_GET(self, "scale_ratio"));
  py::object group_scale = conv(TZ_GET(self, "大盘缩放比例"));
  py::object origin_x = conv(TZ_GET(self, "origin_x"));
  py::object origin_y = conv(TZ_GET(self, "origin_y"));
  py::object base_scale = conv(TZ_GET(self, "原始缩放比例"));

  py::dict d;
  d[TZ_NAME("编号")] = TZ_GET(self, "编号");
  d[TZ_NAME("文件")] = TZ_GET(self, "文件");
  d[TZ_NAME("横坐标")] = left;
  d[TZ_NAME("纵坐标")] = top;
  d[TZ_NAME("origin_x")] = origin_x;
  d[TZ_NAME("origin_y")] = origin_y;
  d[TZ_NAME("宽度")] = width;
  d[TZ_NAME("高度")] = height;
  d[TZ_NAME("模式")] = TZ_GET(self, "模式");
  d[TZ_NAME("循环")] = TZ_GET(self, "循环");
  d[TZ_NAME("缩放比例")] = scale;
  d[TZ_NAME("旋转中心")] = pivot;
  d[TZ_NAME("相对坐标")] = vector;
  d[TZ_NAME("原始缩放比例")] = base_scale;
  d[TZ_NAME("大盘矩形")] = box;
  py::object angle = TZ_GET(self, "旋转角度");
  d[TZ_NAME("旋转角度")] = pyext::truthy(angle) ? angle : py::int_(0);
  d[TZ_NAME("锁")] = TZ_GET(self, "锁");
  d[TZ_NAME("循环次数")] = TZ_GET(self, "循环次数");
  d[TZ_NAME("大盘旋转角度")] = TZ_GET(self, "大盘旋转角度");
  d[TZ_NAME("大盘缩放比例")] = group_scale;
  d[TZ_NAME("别名")] = TZ_GET(self, "别名");
  d[TZ_NAME("info")] = TZ_GET(self, "info");
  py::object record = TZ_G("字典")(d);

  py::object put = TZ_GET(record, "填写");
  if (pyext::truthy(with_backup)) put("缩放备份", TZ_GET(self, "缩放备份"));
  py::object text = TZ_GET(self, "文本");
  if (pyext::truthy(text)) put("文本", TZ_GET(TZ_G("json"), "dumps")(text));
  for (const char* key : {"字体大小", "文本颜色", "字体"}) {
    py::object v = py::getattr(self, key);
    if (pyext::truthy(v)) put(key, v);
  }
  return record;
}

py::object report(py::object self, py::object with_backup) {
  py::object states = TZ_GET(self, "状态列表");
  if (!pyext::truthy(states)) return TZ_GET(self, "报告当下")(with_backup);
  TZ_GET(self, "保存状态")();
  py::object record = TZ_GET(self, "当前状态备份");
  if (!pyext::truthy(record)) record = TZ_GET(self, "报告当下")(with_backup);
  TZ_GET(record, "填写")("状态列表", TZ_GET(self, "状态列表"));
  return record;
}

}  // namespace

void add_report_members(pyext::ClassBuilder& b) {
  b.method("报告", &report, py::arg("self"), py::arg("缩放备份") = true);
  b.method("报告当下", &report_now, py::arg("self"), py::arg("缩放备份") = true);
}

}  // namespace tazu::icon
