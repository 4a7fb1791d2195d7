// The icon's context-menu vocabulary: its actions in menu order, the board
// method each forwards to, and which of them an icon is offered.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace tazu::icon_menu {

struct Action {
  std::string_view label;
  // The board method the icon's action calls without arguments; empty when
  // the icon does the work itself (keyframes and the two input dialogs).
  std::string_view board_method;
};

// Every action, in the order of the icon's button dict (the menu's order).
inline constexpr std::array<Action, 22> kActions = {{
    {"修改动作", "修改动作"}, {"编辑文本", "编辑文本"}, {"添加动画", ""},
    {"循环动画", ""},         {"删除动画", ""},         {"替换", "准备替换图层"},
    {"循环播放", "循环播放"}, {"设置坐标", ""},         {"设置比例", ""},
    {"导出", "导出组合"},     {"上浮", "上浮图标"},     {"下浮", "下浮图标"},
    {"组合", "组合"},         {"取消组合", "取消组合"}, {"导入模板", "导入模板"},
    {"融合", "准备融合"},     {"复制", "复制图标"},     {"镜像", "镜像"},
    {"锁定", "锁定"},         {"解锁", "解锁"},         {"重置", "重置图层"},
    {"删除", "删除图标"},
}};

// What decides the offer, read from the icon and its board when the menu opens.
struct Facts {
  bool video = false;       // type is "video"
  bool info = false;        // info is truthy
  bool text = false;        // 文本 is truthy
  bool locked = false;      // 锁 is truthy
  bool action_key = false;  // the board's 是否开始动作键() is truthy
  bool selector = false;    // a state selector is set
};

// The positions of `labels` (the button dict's keys, in order) that stay in
// the menu. A label that is not offered is taken out once, at its first
// occurrence, as list.remove would; labels the table does not know stay.
std::vector<std::size_t> offered(const std::vector<std::string_view>& labels, const Facts& facts);

}  // namespace tazu::icon_menu
