// 游戏列表: a single-selection pygame_gui list kept alive and moved between a
// shown and a hidden rectangle instead of being rebuilt.
#include <optional>
#include <vector>

#include "convert.hpp"
#include "register.hpp"

namespace tazu {

namespace {

// The element's own rows: pygame_gui keeps one dict per entry with its
// "selected" flag and, when scrolled into view, its button. Nothing when the
// element does not keep them so.
std::optional<std::vector<py::dict>> rows_of(py::handle clip, std::size_t entries) {
  py::object rows = py::getattr(clip, "item_list", py::none());
  if (!py::isinstance<py::list>(rows) || py::len(rows) != entries) return std::nullopt;
  std::vector<py::dict> out;
  for (py::handle row : rows) {
    if (!py::isinstance<py::dict>(row)) return std::nullopt;
    out.push_back(py::reinterpret_borrow<py::dict>(row));
  }
  return out;
}

// Selects entry `index` of `items` (Python indexing: negative counts from the
// end, out of range raises IndexError).
void select_entry(py::object clip, py::list items, py::object index) {
  py::object target = items.attr("__getitem__")(index);
  const Py_ssize_t n = static_cast<Py_ssize_t>(items.size());
  Py_ssize_t pos = PyNumber_AsSsize_t(pyext::py_int(index).ptr(), PyExc_IndexError);
  if (pos == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (pos < 0) pos += n;

  const bool via_default = py::hasattr(clip, "_set_default_selection");
  if (via_default) {
    TZ_SET(clip, "_default_selection", target);
    TZ_GET(clip, "_set_default_selection")();
  }
  // The rows are used where the element has no default-selection hook, and to
  // put the mark on the right row when the same text occurs twice (the hook
  // matches by text, so it would mark the first one).
  auto rows = rows_of(clip, items.size());
  if (!rows) {
    if (via_default) return;
    throw py::attribute_error("this pygame_gui selection list offers no way to preselect an entry");
  }
  py::str selected("selected"), button("button_element");
  for (Py_ssize_t i = 0; i < n; ++i) {
    py::dict& row = (*rows)[static_cast<std::size_t>(i)];
    const bool want = i == pos;
    if (want == (row.contains(selected) && pyext::truthy(row[selected]))) continue;
    row[selected] = py::bool_(want);
    py::object b = row.contains(button) ? py::object(row[button]) : py::none();
    if (!b.is_none()) py::getattr(b, want ? "select" : "unselect")();
  }
}

void init(py::object self, py::object screen, py::object entries, py::object /*background*/,
          py::object /*foreground*/, py::object default_index, py::object hidden_rect,
          py::object shown_rect) {
  // Checked before the element exists: a failed construction would otherwise
  // leave a list on screen that nothing can hide.
  if (hidden_rect.is_none() || shown_rect.is_none())
    throw py::type_error(std::string("游戏列表 needs a rectangle for ") +
                         (hidden_rect.is_none() ? "隐藏矩形" : "显示矩形"));
  py::object item_list = pyext::truthy(entries) ? TZ_GET(entries, "main_list") : py::list();
  TZ_SET(self, "屏幕", screen);
  TZ_GET(shown_rect, "set_scale_ratio")(TZ_GET(screen, "适配比例"));
  py::object default_selection = py::none();
  if (py::len(item_list) >= 1) default_selection = item_list.attr("__getitem__")(default_index);
  TZ_SET(self, "item_list", item_list);
  py::object clip = TZ_G("UISelectionList")(
      py::arg("relative_rect") = TZ_GET(shown_rect, "to_rect")(), py::arg("item_list") = item_list,
      py::arg("manager") = TZ_GET(screen, "ui_manager"), py::arg("allow_multi_select") = false,
      py::arg("default_selection") = default_selection);
  TZ_SET(self, "clip", clip);
  // A repeated text is matched by name inside pygame_gui; mark the row asked for.
  if (!default_selection.is_none() && py::isinstance<py::list>(item_list))
    select_entry(clip, item_list, default_index);
  TZ_SET(self, "隐藏矩形", hidden_rect);
  TZ_SET(self, "显示矩形", shown_rect);
  TZ_GET(self, "关闭")();
}

void set_position(py::object self, py::object rect) {
  py::object screen = TZ_GET(self, "屏幕");
  if (!convert::fit_is_one(screen)) TZ_GET(rect, "set_scale_ratio")(TZ_GET(screen, "适配比例"));
  TZ_GET(TZ_GET(self, "clip"), "set_position")(TZ_GET(rect, "to_rect")());
}

void set_list(py::object self, py::object entries) {
  py::object items = TZ_GET(entries, "main_list");
  TZ_SET(self, "item_list", items);
  TZ_GET(TZ_GET(self, "clip"), "set_item_list")(items);
}

void set_option(py::object self, py::object index) {
  py::object clip = TZ_GET(self, "clip");
  py::object items = TZ_GET(self, "item_list");
  // Rebuilding the rows clears the current selection.
  TZ_GET(clip, "set_item_list")(items);
  select_entry(clip, py::list(items), index);
}

py::object current_option(py::object self) {
  py::object r =
      TZ_GET(TZ_GET(self, "clip"), "get_single_selection")(py::arg("include_object_id") = true);
  if (py::isinstance<py::tuple>(r)) return r;
  return py::make_tuple(py::none(), py::none());
}

void clear(py::object self) { TZ_GET(TZ_GET(self, "clip"), "kill")(); }

void close(py::object self) { TZ_GET(self, "设置位置")(TZ_GET(self, "隐藏矩形")); }

void show(py::object self) { TZ_GET(self, "设置位置")(TZ_GET(self, "显示矩形")); }

}  // namespace

void register_selection_list(py::module_& m) {
  pyext::ClassBuilder b(m, "游戏列表");
  b.method("__init__", &init, py::arg("self"), py::arg("屏幕"), py::arg("列表"),
           py::arg("背景颜色") = py::none(), py::arg("前景颜色") = py::none(),
           py::arg("默认序号") = 0, py::arg("隐藏矩形") = py::none(),
           py::arg("显示矩形") = py::none());
  b.method("设置位置", &set_position, py::arg("self"), py::arg("矩形"));
  b.method("设置列表", &set_list, py::arg("self"), py::arg("列表"));
  b.method("设置选项", &set_option, py::arg("self"), py::arg("序号"));
  b.method("获取当前选项", &current_option, py::arg("self"));
  b.method("清理", &clear, py::arg("self"));
  b.method("关闭", &close, py::arg("self"));
  b.method("展现", &show, py::arg("self"));
  b.finish();
}

}  // namespace tazu
