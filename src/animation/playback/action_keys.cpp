// The module functions that read a shot's action keys and time weights.
#include <optional>
#include <string_view>
#include <tazu/playback.hpp>
#include <vector>

#include "playback/sprite.hpp"
#include "register.hpp"

namespace tazu {

using playback::ActionKeyKind;
using playback::classify_action_key;
using playback::compute_time_weights;
using playback::TimeWeights;

namespace {

// The class of a key. A str is read as UTF-8; anything else answers the
// core's questions through Python's `in`, so that a key that is not text
// fails the way the test would.
ActionKeyKind kind_of(py::handle key) {
  if (PyUnicode_Check(key.ptr())) {
    Py_ssize_t n = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(key.ptr(), &n);
    if (!utf8) throw py::error_already_set();
    return classify_action_key(std::string_view(utf8, static_cast<std::size_t>(n)));
  }
  return classify_action_key([key](std::string_view part) {
    const int r = PySequence_Contains(key.ptr(), py::str(part.data(), part.size()).ptr());
    if (r < 0) throw py::error_already_set();
    return r == 1;
  });
}

py::object keys_of_kind(py::object coordinates, ActionKeyKind wanted) {
  py::object out = TZ_G("列表")();
  py::object add = TZ_GET(out, "添加");
  for (py::handle key : TZ_GET(coordinates, "所有键")()) {
    if (kind_of(key) == wanted) add(key);
  }
  return out;
}

// A frame's weight is its action name read as a number; the first frame of a
// shot of several is its starting pose and is not read at all.
py::tuple time_weights(py::object frames) {
  const convert::Records records;
  py::object table = TZ_G("字典")();
  const bool single = records.length(frames) == 1;
  std::vector<py::object> keys;
  std::vector<std::optional<double>> parsed;
  for (py::handle pair : TZ_G("报数")(frames)) {
    auto [index, key] = convert::unpack<2>(pair);
    std::optional<double> value;
    if (single || !pyext::py_eq(index, py::int_(0))) {
      try {
        value = pyext::py_float(TZ_G("键转动作名")(key));
      } catch (py::error_already_set&) {
        value.reset();  // an unreadable name weighs one share
      }
    }
    keys.push_back(key);
    parsed.push_back(value);
  }
  TimeWeights w = compute_time_weights(parsed);
  for (std::size_t i = 0; i < keys.size(); ++i)
    records.fill(table, keys[i], py::float_(w.weights[i]));
  py::object total = keys.empty() ? py::object(py::int_(0)) : py::object(py::float_(w.total));
  return py::make_tuple(table, total);
}

}  // namespace

void register_action_keys(py::module_& m) {
  m.def(
      "提取画板纯动作",
      [](py::object coordinates) { return keys_of_kind(coordinates, ActionKeyKind::pure); },
      py::arg("坐标字典"));
  m.def(
      "提取画板纯组合",
      [](py::object coordinates) { return keys_of_kind(coordinates, ActionKeyKind::combination); },
      py::arg("坐标字典"));
  m.def(
      "键转动作名",
      [](py::object key) { return TZ_GET(TZ_G("文本")(key), "拆分")("_").attr("获取")(-1); },
      py::arg("键"));
  m.def(
      "获得分镜专属标志", [](py::object shot) { return TZ_G("获得媒体纯文件名")(shot); },
      py::arg("分镜"));
  m.def("计算时间权重", &time_weights, py::arg("所有帧"));
}

}  // namespace tazu
