// One entry per group of module members; module.cpp calls them in the order in
// which the module body defines its names.
#pragma once

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace tazu {

// widgets/
void register_segment_button(py::module_& m);  // 联合按钮
void register_selection_list(py::module_& m);  // 游戏列表
// frame/
void register_relative_path(py::module_& m);  // 转相对路径
void register_record_keys(py::module_& m);    // _record_keys
// icon_media/
void register_context_menu(py::module_& m);    // 右键菜单
void register_state_selector(py::module_& m);  // 图标状态
// icon/
void register_icon(py::module_& m);  // 图标
// icon_media/ (dialogs of the icon)
void register_coordinate_dialog(py::module_& m);  // 坐标输入框
void register_general_dialog(py::module_& m);     // 通用输入框
// widgets/
void register_dropdown_dialog(py::module_& m);  // 下拉选项输入框
void register_font_dialog(py::module_& m);      // 字体输入框
// playback/
void register_layer_sprite(py::module_& m);  // 图层精灵
void register_action_keys(py::module_& m);   // 提取画板纯动作 … 计算时间权重
// widgets/
void register_audio_bars(py::module_& m);  // calc_audio_bar_heights
// narration/
void register_narration(py::module_& m);  // detect_pauses_and_subclauses … 生成指定声音

}  // namespace tazu
