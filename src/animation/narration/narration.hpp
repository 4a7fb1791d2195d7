// Narration functions of the module: characters, clause speech, shot assembly
// and batches. Each calls the others through module globals, so a host that
// replaces one of them changes what the rest call.
#pragma once

#include <pybind11/pybind11.h>

#include "convert.hpp"

namespace py = pybind11;

namespace tazu::narration_py {

using convert::file_operation;
using convert::lenient_text;

// record.获取(key), read directly while the record is the reference
// platform's own 字典.
inline py::object field(py::handle record, py::handle key) {
  return convert::Records().get(record, key);
}

// characters.cpp
py::object all_characters(py::object config);                     // 获取所有角色
py::object shot_protagonist(py::object config, py::object shot);  // 获取分镜主角
py::object media_base_name(py::object shot);                      // 获得媒体纯文件名

// speech.cpp
py::object speak_clause(py::object config, py::object text, py::object index, py::object base,
                        py::object voice, py::object speed, py::object pitch,
                        py::object emotion);  // 朗读文本

// assembly.cpp
py::list detect_pauses(py::object sentence);  // detect_pauses_and_subclauses
py::object voice_shot(py::object config, py::object line, py::object base,
                      py::object shot);  // 朗读声音

// cues.cpp: the command's private cue and episode functions
void register_cues(py::module_& m);

// batch.cpp
py::object generate_all(py::object config);                          // 生成全部声音
py::object generate_matching(py::object config, py::object target);  // 生成指定声音

}  // namespace tazu::narration_py
