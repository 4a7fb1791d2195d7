#include <gtest/gtest.h>

#include "tazu/errors.hpp"
#include "tazu/widget_layout.hpp"

namespace {

void expect_box(const tazu::Box& b, double x, double y, double w, double h) {
  EXPECT_EQ(b.x, x);
  EXPECT_EQ(b.y, y);
  EXPECT_EQ(b.w, w);
  EXPECT_EQ(b.h, h);
}

}  // namespace

TEST(CentredLabel, SitsInTheMiddleOfTheButton) {
  tazu::Vec2 at = tazu::centred_label({10, 20}, {101, 40}, {30, 15});
  EXPECT_DOUBLE_EQ(at.x, 10 + 50.5 - 15);
  EXPECT_DOUBLE_EQ(at.y, 20 + 20 - 7.5);
  // A label wider than the button starts left of it.
  EXPECT_DOUBLE_EQ(tazu::centred_label({0, 0}, {10, 10}, {30, 10}).x, -10);
}

TEST(DropDownDialogLayout, ChildrenCentredInThePanel) {
  const tazu::DropDownDialogLayout l = tazu::drop_down_dialog_layout();
  EXPECT_EQ(l.panel_width, 400);
  EXPECT_EQ(l.panel_height, 400);
  EXPECT_EQ(l.layer, 6);
  expect_box(l.prompt, 20, 30, 360, 60);
  expect_box(l.menu, 50, 150, 300, 70);
  expect_box(l.done, 125, 250, 150, 80);
}

TEST(FontDialogLayout, TextRowThenThreeCellsThenConfirm) {
  const tazu::FontDialogLayout l = tazu::font_dialog_layout();
  EXPECT_EQ(l.panel_width, 1200);
  EXPECT_EQ(l.panel_height, 500);
  EXPECT_EQ(l.layer, 6);
  expect_box(l.text, 50, 30, 1100, 200);
  expect_box(l.pick, 50, 240, 300, 90);
  expect_box(l.font, 360, 240, 300, 90);
  expect_box(l.size, 670, 240, 300, 90);
  expect_box(l.confirm, 500, 360, 200, 90);
  expect_box(l.picker, 160, 50, 420, 400);
}

TEST(HexColour, TwoLowerCaseDigitsPerChannel) {
  EXPECT_EQ(tazu::hex_colour({1, 2, 3}), "#010203");
  EXPECT_EQ(tazu::hex_colour({255, 171, 0}), "#ffab00");
  EXPECT_THROW(tazu::hex_colour({256, 0, 0}), tazu::BadValue);
  EXPECT_THROW(tazu::hex_colour({0, -1, 0}), tazu::BadValue);
}
