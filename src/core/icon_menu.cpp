#include "tazu/icon_menu.hpp"

namespace tazu::icon_menu {

namespace {

// Taken out, in this order, by each fact that does not hold (or that holds,
// for the lock and a running action key).
constexpr std::array<std::string_view, 10> kLockedOut = {
    "添加动画", "循环动画", "删除动画", "替换", "上浮", "下浮", "复制", "镜像", "重置", "删除"};
constexpr std::array<std::string_view, 3> kActionKeyOut = {"添加动画", "循环动画", "删除动画"};

}  // namespace

std::vector<std::size_t> offered(const std::vector<std::string_view>& labels, const Facts& facts) {
  std::vector<bool> kept(labels.size(), true);
  auto remove = [&](std::string_view label) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (kept[i] && labels[i] == label) {
        kept[i] = false;
        return;
      }
    }
  };
  if (!facts.video) remove("循环播放");
  if (!facts.info) remove("修改动作");
  if (!facts.text) remove("编辑文本");
  if (facts.locked)
    for (std::string_view l : kLockedOut) remove(l);
  if (facts.action_key)
    for (std::string_view l : kActionKeyOut) remove(l);
  if (!facts.selector) remove("删除动画");
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < labels.size(); ++i)
    if (kept[i]) out.push_back(i);
  return out;
}

}  // namespace tazu::icon_menu
