// Batches over every storyboard document of the storyboard folder.
#include "narration/narration.hpp"
#include "pyclass.hpp"

namespace tazu::narration_py {

namespace {

// Calls `visit(shot)` for every shot of every document, in folder order.
template <typename Visit>
void each_shot(py::handle config, Visit&& visit) {
  for (py::handle name : TZ_G("遍历文件夹")(TZ_GET(config, "分镜文件夹"))) {
    py::object document = TZ_G("路径")(TZ_GET(config, "分镜文件夹"), name);
    for (py::handle shot : TZ_G("阅读结构化文档")(document))
      visit(py::reinterpret_borrow<py::object>(shot));
  }
}

void voice(py::handle config, const py::object& shot) {
  py::object line = TZ_GET(shot, "获取")("文案");
  py::object base = TZ_G("获得媒体纯文件名")(shot);
  TZ_G("朗读声音")(config, line, base, shot);
}

}  // namespace

py::object generate_all(py::object config) {
  each_shot(config, [&](const py::object& shot) {
    if (pyext::py_eq(TZ_GET(shot, "获取")("类型"), py::str("静音"))) return;
    voice(config, shot);
  });
  return py::none();
}

py::object generate_matching(py::object config, py::object target) {
  py::object wanted = TZ_GET(target, "获取")("序号");
  each_shot(config, [&](const py::object& shot) {
    if (!pyext::py_eq(TZ_GET(shot, "获取")("序号"), wanted)) return;
    voice(config, shot);
  });
  return py::none();
}

}  // namespace tazu::narration_py
