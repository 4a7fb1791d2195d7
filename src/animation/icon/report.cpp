// The icon's state record: everything needed to show it again, in standard data.
#include <array>

#include "icon/icon_common.hpp"
#include "tazu/icon_model.hpp"

namespace tazu::icon {

namespace {

using record::Key;

// The keys every report holds, number to info.
constexpr std::size_t kFixedKeys = record::index(Key::info) + 1;

// Most keys carry the icon's attribute of the same name.
py::object attribute(py::handle self, Key k) { return py::getattr(self, key_name(k)); }

py::object report_now(py::object self, py::object with_backup) {
  py::object board = TZ_GET(self, "画板");
  py::object conv = TZ_GET(TZ_GET(board, "屏幕"), "实际画板转标准数据");
  std::array<py::object, kFixedKeys> values;
  auto put = [&](Key k, py::object v) { values[record::index(k)] = std::move(v); };

  // Converted one number at a time, in this order, whatever the fit ratio.
  py::object pivot = py::str("");
  py::object rp = TZ_GET(self, "rotate_pivot");
  if (pyext::truthy(rp)) {
    // A stored record answers 获取; a tuple, list or array is indexed.
    auto [a, b] = pair_items(rp);
    py::object cx = conv(a);
    pivot = py::make_tuple(cx, conv(b));
  }
  put(Key::pivot, pivot);
  py::object vector = py::none(), box = py::none();
  py::object rel = TZ_GET(self, "相对坐标");
  if (pyext::truthy(rel)) {
    py::object vx = conv(item(rel, 0));
    vector = py::make_tuple(vx, conv(item(rel, 1)));
    auto [left, top, bottom, right] = unpack<4>(TZ_GET(board, "获取组合矩形")(self));
    py::object l = conv(left), t = conv(top), bo = conv(bottom);
    box = py::make_tuple(l, t, bo, conv(right));
  }
  put(Key::relative, vector);
  put(Key::group_box, box);
  py::object rect = TZ_GET(self, "矩形");
  for (const icon_model::ReportedNumber& n : icon_model::kReportedNumbers) {
    py::str name(n.attribute.data(), n.attribute.size());
    put(n.key, conv(py::getattr(n.from_rectangle ? rect : self, name)));
  }

  // The rest is read now, unconverted, in table order.
  for (std::size_t i = 0; i < kFixedKeys; ++i) {
    auto k = static_cast<Key>(i);
    if (values[i]) continue;
    if (k == Key::angle) {
      py::object angle = TZ_GET(self, "旋转角度");
      put(k, pyext::truthy(angle) ? angle : py::int_(0));
    } else {
      put(k, attribute(self, k));
    }
  }
  py::dict d;
  for (std::size_t i = 0; i < kFixedKeys; ++i) d[key_name(static_cast<Key>(i))] = values[i];
  py::object record = TZ_G("字典")(d);

  Records records;
  auto fill = [&](Key k, py::handle v) { records.fill(record, key_name(k), v); };
  if (pyext::truthy(with_backup)) fill(Key::scale_backup, attribute(self, Key::scale_backup));
  py::object text = attribute(self, Key::text);
  if (pyext::truthy(text)) fill(Key::text, TZ_GET(TZ_G("json"), "dumps")(text));
  for (Key k : {Key::font_size, Key::text_colour, Key::font}) {
    py::object v = attribute(self, k);
    if (pyext::truthy(v)) fill(k, v);
  }
  return record;
}

py::object report(py::object self, py::object with_backup) {
  py::object states = TZ_GET(self, "状态列表");
  if (!pyext::truthy(states)) return TZ_GET(self, "报告当下")(with_backup);
  TZ_GET(self, "保存状态")();
  py::object record = TZ_GET(self, "当前状态备份");
  if (!pyext::truthy(record)) record = TZ_GET(self, "报告当下")(with_backup);
  Records().fill(record, key_name(Key::states), TZ_GET(self, "状态列表"));
  return record;
}

}  // namespace

void add_report_members(pyext::ClassBuilder& b) {
  b.method("报告", &report, py::arg("self"), py::arg("缩放备份") = true);
  b.method("报告当下", &report_now, py::arg("self"), py::arg("缩放备份") = true);
}

}  // namespace tazu::icon
