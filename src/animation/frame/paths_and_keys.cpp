// 转相对路径, and _record_keys: the state record's table for the command that
// completes and checks compact records (private to the package).
#include "convert.hpp"
#include "register.hpp"

namespace tazu {

void register_relative_path(py::module_& m) {
  m.def(
      "转相对路径",
      [](py::object file_path) {
        // The directory recorded at import, read through the module namespace so
        // a host that rebinds it is honoured.
        return TZ_G("os").attr("path").attr("relpath")(file_path, TZ_G("tazu_current_directory"));
      },
      py::arg("file_path"));
}

namespace {

// One dict per key, in the table's order: name, kind, low, high, whether None
// and "" stand for none, whether a record needs it, and the default of a key
// a compact record may leave out.
py::tuple record_keys() {
  py::tuple rows(record::kKeyCount);
  for (std::size_t i = 0; i < record::kKeyCount; ++i) {
    const auto key = static_cast<record::Key>(i);
    const record::KeyInfo& info = record::kKeys[i];
    py::dict row;
    row["name"] = convert::key_name(key);
    row["kind"] = record::kind_name(info.kind);
    row["low"] = info.low;
    row["high"] = info.high;
    row["none"] = info.blank != record::Blank::never;
    row["empty_text"] = info.blank == record::Blank::none_or_empty_text;
    row["required"] = info.fallback == record::Fallback::required;
    if (record::plain_default(key)) row["default"] = record::plain_value(info.fallback);
    rows[i] = row;
  }
  return rows;
}

}  // namespace

void register_record_keys(py::module_& m) { m.def("_record_keys", &record_keys); }

}  // namespace tazu
