#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "tazu/icon_menu.hpp"

using tazu::icon_menu::Facts;
using tazu::icon_menu::kActions;
using tazu::icon_menu::offered;

namespace {

std::vector<std::string_view> all_labels() {
  std::vector<std::string_view> out;
  for (const auto& a : kActions) out.push_back(a.label);
  return out;
}

std::vector<std::string_view> offer(const std::vector<std::string_view>& labels, const Facts& f) {
  std::vector<std::string_view> out;
  for (std::size_t i : offered(labels, f)) out.push_back(labels[i]);
  return out;
}

}  // namespace

TEST(IconMenu, LockedPhotoIsOfferedWhatKeepsItsPlace) {
  Facts f;
  f.locked = true;
  EXPECT_EQ(offer(all_labels(), f),
            (std::vector<std::string_view>{"设置坐标", "设置比例", "导出", "组合", "取消组合",
                                           "导入模板", "融合", "锁定", "解锁"}));
}

TEST(IconMenu, EverythingHoldsEverythingIsOffered) {
  Facts f{true, true, true, false, false, true};
  EXPECT_EQ(offer(all_labels(), f), all_labels());
}

TEST(IconMenu, ARunningActionKeyOrNoSelectorTakesTheKeyframeActions) {
  Facts f{true, true, true, false, false, false};
  auto without_selector = offer(all_labels(), f);
  EXPECT_EQ(without_selector.size(), 21u);
  EXPECT_EQ(without_selector[2], "添加动画");
  EXPECT_EQ(without_selector[3], "循环动画");
  EXPECT_EQ(without_selector[4], "替换");
  f.selector = true;
  f.action_key = true;
  auto running = offer(all_labels(), f);
  EXPECT_EQ(running.size(), 19u);
  EXPECT_EQ(running[2], "替换");
}

// A host's own button dict may hold other labels, or one twice: only the
// first occurrence of a label not offered goes, unknown labels stay.
TEST(IconMenu, HostLabelsAreTakenOutOnceAndUnknownOnesStay) {
  Facts f;
  std::vector<std::string_view> labels = {"循环播放", "自定义", "循环播放", "", "导出"};
  EXPECT_EQ(offer(labels, f), (std::vector<std::string_view>{"自定义", "循环播放", "", "导出"}));
  EXPECT_TRUE(offered({}, f).empty());
}

TEST(IconMenu, SeventeenActionsForwardToTheBoard) {
  int forwarded = 0;
  for (const auto& a : kActions) forwarded += a.board_method.empty() ? 0 : 1;
  EXPECT_EQ(forwarded, 17);
  EXPECT_EQ(kActions[9].board_method, "导出组合");
}
