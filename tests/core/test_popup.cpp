#include <gtest/gtest.h>

#include <optional>

#include "tazu/popup.hpp"

using tazu::popup::Column;
using tazu::popup::row_shade;
using tazu::popup::Shade;

namespace {
// A context menu at (100, 50): a title row of 30, then three rows of 30.
const Column kMenu{{100, 50}, 120, 30, 30, 3};
}  // namespace

TEST(Popup, RowTopsFollowTheTitle) {
  EXPECT_EQ(kMenu.row_top(0), 30);
  EXPECT_EQ(kMenu.row_top(2), 90);
}

TEST(Popup, RowUnderCountsFromBelowTheTitle) {
  EXPECT_EQ(kMenu.row_under({150, 79}), -1);  // the title row
  EXPECT_EQ(kMenu.row_under({150, 80}), 0);
  EXPECT_EQ(kMenu.row_under({220, 139}), 1);
  EXPECT_EQ(kMenu.row_under({150, 170}), 3);  // the bottom border: one past the last row
  EXPECT_EQ(kMenu.row_under({221, 100}), -1);
  EXPECT_EQ((Column{{0, 0}, 60, 0, 0, 3}.row_under({10, 0})), -1);  // rows without height
}

TEST(Popup, SelectedRowIsDarkWhereverThePointerIs) {
  EXPECT_EQ(row_shade(kMenu, 1, 1.0, {0, 0}), Shade::selected);
  EXPECT_EQ(row_shade(kMenu, 1, 2.0, {0, 0}), Shade::plain);
  EXPECT_EQ(row_shade(kMenu, 1, 1.5, {150, 125}), Shade::hovered);
}

TEST(Popup, PointerOnTheLineBetweenTwoRowsLightsBoth) {
  const tazu::Vec2 on_line{150, 110};  // row 0 ends and row 1 starts at 110
  EXPECT_EQ(row_shade(kMenu, 0, std::nullopt, on_line), Shade::hovered);
  EXPECT_EQ(row_shade(kMenu, 1, std::nullopt, on_line), Shade::hovered);
  EXPECT_EQ(row_shade(kMenu, 2, std::nullopt, on_line), Shade::plain);
  EXPECT_EQ(row_shade(kMenu, 0, std::nullopt, {99, 90}), Shade::plain);
}
