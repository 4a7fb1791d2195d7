// The narration functions, defined in the module body's order.
#include "narration/narration.hpp"

#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

void register_narration(py::module_& m) {
  using namespace narration_py;
  m.def("detect_pauses_and_subclauses", &detect_pauses, py::arg("sentence"),
        py::doc("Cut a line at pause marks <s> into clause and pause parts."));
  m.def("获取所有角色", &all_characters, py::arg("全局配置"),
        py::doc("(角色名列表, 角色信息列表): every name and alias with its character record."));
  m.def("获取分镜主角", &shot_protagonist, py::arg("全局配置"), py::arg("分镜"),
        py::doc("The one known character the shot names, or None."));
  m.def("朗读声音", &voice_shot, py::arg("全局配置"), py::arg("台词"), py::arg("纯文件名"),
        py::arg("分镜"), py::doc("Voice a shot's line into its narration WAV file."));
  m.def("朗读文本", &speak_clause, py::arg("全局配置"), py::arg("台词"), py::arg("句内序号"),
        py::arg("纯文件名"), py::arg("音色"), py::arg("语速"), py::arg("音调"), py::arg("情感"),
        py::doc("Speak one clause (cached), clean it up and fade it; returns the audio object."));
  m.def("获得媒体纯文件名", &media_base_name, py::arg("分镜"),
        py::doc("The shot's media base name: \"{序号}-{title}\"."));
  m.def("生成全部声音", &generate_all, py::arg("全局配置"),
        py::doc("Voice every non-silent shot of every storyboard document."));
  m.def("生成指定声音", &generate_matching, py::arg("全局配置"), py::arg("目标分镜"),
        py::doc("Voice every shot that has the target shot's number."));
  register_cues(m);
}

}  // namespace tazu
