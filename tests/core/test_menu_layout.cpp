#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "tazu/menu_layout.hpp"

using tazu::Origin;

TEST(MenuLayout, FloorDivisionFollowsPython) {
  EXPECT_EQ(tazu::py_floordiv(1, 0.1), 9.0);  // floor(1 / 0.1) would be 10
  EXPECT_EQ(tazu::py_floordiv(0.9, 0.3), 3.0);
  EXPECT_EQ(tazu::py_floordiv(95, 30), 3.0);
  EXPECT_EQ(tazu::py_floordiv(120, 30), 4.0);
  EXPECT_EQ(tazu::py_floordiv(-1, 30), -1.0);
  EXPECT_EQ(tazu::py_floordiv(7.5, -2), -4.0);
}

TEST(MenuLayout, TruncatesTowardZero) {
  EXPECT_EQ(tazu::trunc_to_int(-0.5), 0);
  EXPECT_EQ(tazu::trunc_to_int(-2.5), -2);
  EXPECT_EQ(tazu::trunc_to_int(22.5), 22);
  EXPECT_EQ(tazu::trunc_to_int(-9223372036854775808.0), INT64_MIN);
}

// Numbers no integer holds are refused as Python's int() refuses them, not
// converted with undefined results.
TEST(MenuLayout, TruncationRefusesWhatNoIntegerHolds) {
  EXPECT_THROW(tazu::trunc_to_int(std::nan("")), std::domain_error);
  EXPECT_THROW(tazu::trunc_to_int(INFINITY), std::overflow_error);
  EXPECT_THROW(tazu::trunc_to_int(-1e300), std::overflow_error);
  EXPECT_THROW(tazu::trunc_to_int(9223372036854775808.0), std::overflow_error);
  EXPECT_THROW(tazu::context_menu_row_height(1e300), std::overflow_error);
  EXPECT_THROW(tazu::general_dialog_layout(1e300, 300, 0.5), std::overflow_error);
  // A row height that fits but a menu of many rows that does not.
  EXPECT_THROW(tazu::place_context_menu(0, 0, 10, 4, 1e17, 1280, 720), std::overflow_error);
  EXPECT_THROW(tazu::context_menu_height(4, 1e17), std::overflow_error);
}

TEST(MenuLayout, RowOfExtremePointsStaysInRange) {
  // Inside, but so far apart that the quotient overflows to infinity.
  EXPECT_EQ(tazu::row_at(0, -1e308, 10, 1e308, 3, 5, 1e308), -1);
  EXPECT_EQ(tazu::row_at(0, -INFINITY, 10, INFINITY, 3, 5, 0), -1);
  EXPECT_EQ(tazu::row_at(0, 0, 10, 1e-300, 3, 5, 3e-300), 3);
}

class ScaledMenu : public ::testing::TestWithParam<std::tuple<double, long long, long long>> {};

TEST_P(ScaledMenu, RowHeightAndFontFollowFitRatio) {
  auto [ratio, row, font] = GetParam();
  EXPECT_EQ(tazu::context_menu_row_height(ratio), row);
  EXPECT_EQ(tazu::context_menu_font_size(ratio), font);
  // The title row and three labels.
  EXPECT_EQ(tazu::context_menu_height(3, ratio), 4 * row);
}

INSTANTIATE_TEST_SUITE_P(Ratios, ScaledMenu,
                         ::testing::Values(std::make_tuple(1.0, 30, 20),
                                           std::make_tuple(1.5, 45, 30),
                                           std::make_tuple(0.75, 22, 15),
                                           std::make_tuple(0.01, 0, 0)));

TEST(MenuLayout, ContextMenuOpensRightOfIcon) {
  auto p = tazu::place_context_menu(100, 50, 80, 9, 1, 1000, 800);
  EXPECT_EQ(p.x.value, 180);
  EXPECT_EQ(p.x.origin, Origin::kOwn);
  EXPECT_EQ(p.y.value, 50);
  EXPECT_EQ(p.height, 300);
}

TEST(MenuLayout, ContextMenuClampedAtRightAndBottomNotLeft) {
  auto p = tazu::place_context_menu(950, 700, 40, 3, 1, 1000, 800);
  EXPECT_EQ(p.x.value, 880);
  EXPECT_EQ(p.x.origin, Origin::kLimit);
  EXPECT_EQ(p.height, 120);
  EXPECT_EQ(p.y.value, 680);
  EXPECT_EQ(p.y.origin, Origin::kLimit);

  auto left = tazu::place_context_menu(-300, -20, 50, 3, 2, 1000, 800);
  EXPECT_EQ(left.x.value, -250);
  EXPECT_EQ(left.y.value, 0);
  EXPECT_EQ(left.y.origin, Origin::kZero);
  EXPECT_EQ(left.height, 240);
}

TEST(MenuLayout, ContextMenuTallerThanCanvasEndsOnItsBottom) {
  auto p = tazu::place_context_menu(0, 10, 10, 22, 1, 1000, 300);
  EXPECT_EQ(p.height, 690);
  EXPECT_EQ(p.y.value, -390);
}

TEST(MenuLayout, SelectorLeftOfIconInsideCanvas) {
  EXPECT_EQ(tazu::selector_x(30, tazu::kSelectorWidth, 1000).value, 0);
  EXPECT_EQ(tazu::selector_x(30, tazu::kSelectorWidth, 1000).origin, Origin::kZero);
  EXPECT_EQ(tazu::selector_x(500, tazu::kSelectorWidth, 1000).value, 440);
  EXPECT_EQ(tazu::selector_x(1200, tazu::kSelectorWidth, 1000).value, 940);
  // A canvas narrower than the selector: the far edge wins.
  EXPECT_EQ(tazu::selector_x(10, tazu::kSelectorWidth, 40).value, -20);
  EXPECT_EQ(tazu::selector_y(-5, 4 * tazu::kSelectorRowHeight, 800).value, 0);
  EXPECT_EQ(tazu::selector_y(750, 4 * tazu::kSelectorRowHeight, 800).value, 680);
  EXPECT_EQ(tazu::selector_y(100, 4 * tazu::kSelectorRowHeight, 800).origin, Origin::kOwn);
}

struct RowCase {
  double px, py;
  long long row;
};

class ContextMenuRows : public ::testing::TestWithParam<RowCase> {};

// Three rows under a title at (100, 50) with fit ratio 1: rows start at y 80.
TEST_P(ContextMenuRows, RowOfPointWithBorders) {
  auto c = GetParam();
  EXPECT_EQ(tazu::row_at(100, 80, tazu::kContextMenuWidth, 30, 3, c.px, c.py), c.row);
}

INSTANTIATE_TEST_SUITE_P(Points, ContextMenuRows,
                         ::testing::Values(RowCase{150, 80, 0}, RowCase{150, 139, 1},
                                           RowCase{150, 170, 3}, RowCase{150, 60, -1},
                                           RowCase{100, 100, 0}, RowCase{220, 100, 0},
                                           RowCase{99.5, 100, -1}, RowCase{220.5, 100, -1},
                                           RowCase{150, 170.5, -1}, RowCase{150, 109.99, 0},
                                           RowCase{150, 110, 1}));

TEST(MenuLayout, RowsWithoutHeightHoldNothing) {
  EXPECT_EQ(tazu::row_at(0, 0, 120, 0, 3, 10, 0), -1);
}

TEST(MenuLayout, SelectorCheckIsStrictWhileRowIsInclusive) {
  tazu::Box sel{0, 0, tazu::kSelectorWidth, 4 * tazu::kSelectorRowHeight};
  EXPECT_TRUE(tazu::contains_strict(sel, 30, 95));
  EXPECT_FALSE(tazu::contains_strict(sel, 0, 95));
  EXPECT_FALSE(tazu::contains_strict(sel, 30, 120));
  EXPECT_TRUE(tazu::contains_inclusive(sel, 0, 95));
  EXPECT_TRUE(tazu::contains_inclusive(sel, 60, 120));
  EXPECT_EQ(tazu::row_at(0, 0, 60, 30, 4, 30, 95), 3);
  EXPECT_EQ(tazu::row_at(0, 0, 60, 30, 4, 30, 120), 4);
  EXPECT_EQ(tazu::row_at(0, 0, 60, 30, 4, 0, 10), 0);
}

TEST(MenuLayout, DoubleSelectionWindow) {
  EXPECT_TRUE(tazu::is_double_selection(1000, 1299));
  EXPECT_FALSE(tazu::is_double_selection(1000, 1300));
  EXPECT_FALSE(tazu::is_double_selection(std::nullopt, 1));
}

TEST(MenuLayout, CentredOriginTruncatesTowardZero) {
  EXPECT_EQ(tazu::centred_origin(1280, 400), 440);
  EXPECT_EQ(tazu::centred_origin(720, 300), 210);
  EXPECT_EQ(tazu::centred_origin(301, 400), -49);
}

TEST(MenuLayout, CoordinateDialog) {
  auto l = tazu::coordinate_dialog_layout();
  EXPECT_EQ(l.x_input.x, 25);
  EXPECT_EQ(l.y_input.x, 225);
  EXPECT_EQ(l.x_input.y, 30);
  EXPECT_EQ(l.y_input.w, 150);
  EXPECT_EQ(l.y_input.h, 100);
  EXPECT_EQ(l.cancel.x, 40);
  EXPECT_EQ(l.confirm.x, 210);
  EXPECT_EQ(l.confirm.y, 200);
  EXPECT_EQ(l.confirm.h, 80);
}

TEST(MenuLayout, GeneralDialog) {
  auto l = tazu::general_dialog_layout(400, 300, 0.5);
  EXPECT_EQ(l.input.x, 20);
  EXPECT_EQ(l.input.w, 360);
  EXPECT_EQ(l.input.h, 150);
  EXPECT_EQ(l.cancel.x, 40);
  EXPECT_EQ(l.cancel.y, 215);
  EXPECT_EQ(l.confirm.x, 210);
  EXPECT_EQ(l.confirm.y, 215);

  auto tall = tazu::general_dialog_layout(400, 300, 0.8);
  EXPECT_EQ(tall.input.h, 240);
  EXPECT_EQ(tall.cancel.y, 260);

  auto odd = tazu::general_dialog_layout(333, 201, 0.3);
  EXPECT_EQ(odd.input.w, 299);
  EXPECT_EQ(odd.input.x, 17);
  EXPECT_EQ(odd.input.h, 60);
  EXPECT_EQ(odd.cancel.x, 6);
  EXPECT_EQ(odd.cancel.y, 121);
}

// "x,y" splits at the first ASCII comma; only a text without one splits at
// the full-width comma.
TEST(MenuLayout, PairTextSplitsAtItsComma) {
  auto parts = [](std::string_view s) {
    auto p = tazu::split_pair_text(s);
    return p ? std::pair<std::string, std::string>(p->first, p->second)
             : std::pair<std::string, std::string>("-", "-");
  };
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(parts("12, 34"), P("12", " 34"));
  EXPECT_EQ(parts("12，34"), P("12", "34"));
  EXPECT_EQ(parts("1，2,3"), P("1，2", "3"));
  EXPECT_EQ(parts(",,"), P("", ","));
  EXPECT_FALSE(tazu::split_pair_text("12 34"));
  EXPECT_FALSE(tazu::split_pair_text(""));
}
