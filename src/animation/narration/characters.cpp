// The character index, a shot's protagonist, a shot's media base name.
#include "narration/narration.hpp"
#include "pyclass.hpp"

namespace tazu::narration_py {

py::object all_characters(py::object config) {
  py::object file = TZ_G("路径")(TZ_GET(config, "角色文件夹"), "角色.txt");
  py::object records = TZ_G("阅读结构化文档")(file);
  py::object names = TZ_G("列表")();
  py::object infos = TZ_G("列表")();
  py::object add_name = TZ_GET(names, "添加"), add_info = TZ_GET(infos, "添加");
  for (py::handle record : records) {
    add_name(field(record, TZ_NAME("角色")));
    add_info(record);
    py::object aliases = field(record, TZ_NAME("别名"));
    if (!pyext::truthy(aliases)) continue;
    for (py::handle alias : TZ_G("自动断句")(aliases)) {
      add_name(alias);
      add_info(record);
    }
  }
  return py::make_tuple(names, infos);
}

py::object shot_protagonist(py::object config, py::object shot) {
  py::object found = TZ_G("列表")();
  py::object index = TZ_G("获取所有角色")(config);
  py::object names = index[py::int_(0)], infos = index[py::int_(1)];
  py::object appearing = field(shot, TZ_NAME("角色"));
  if (pyext::truthy(appearing)) {
    py::object find = TZ_GET(names, "索引");
    for (py::handle name : TZ_G("自动断句")(appearing)) {
      py::object k = find(name);
      if (k >= py::int_(0)) TZ_GET(found, "添加")(TZ_GET(infos, "获取")(k));
    }
  }
  if (pyext::py_eq(TZ_GET(found, "长"), py::int_(1))) return TZ_GET(found, "获取")(0);
  return py::none();
}

py::object media_base_name(py::object shot) {
  py::object line = convert::Records().get(shot, TZ_NAME("文案"), py::str(""));
  py::object number = field(shot, TZ_NAME("序号"));
  py::object title = TZ_GET(TZ_G("自动断句")(line), "连文")("");
  return py::str(number) + py::str("-") + py::str(title);
}

}  // namespace tazu::narration_py
