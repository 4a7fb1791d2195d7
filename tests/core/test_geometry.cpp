#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string_view>

#include "tazu/errors.hpp"
#include "tazu/geometry.hpp"
#include "tazu/state_record.hpp"

using tazu::Box;
using tazu::Vec2;

TEST(Geometry, StandardRotationTurnsClockwiseOnScreen) {
  // y points down: (1, 0) turned by 90 degrees points down the screen.
  Vec2 v = tazu::rotate_standard({1, 0}, 90);
  EXPECT_NEAR(v.x, 0, 1e-15);
  EXPECT_DOUBLE_EQ(v.y, 1);
  // The same arithmetic as the reference platform: radians as degrees * (pi / 180).
  const double rad = 30 * (M_PI / 180.0);
  Vec2 w = tazu::rotate_standard({3, -2}, 30);
  EXPECT_EQ(w.x, 3 * std::cos(rad) - -2 * std::sin(rad));
  EXPECT_EQ(w.y, 3 * std::sin(rad) + -2 * std::cos(rad));
}

TEST(Geometry, TurnedBoundsKeepTheCentre) {
  // A 40 x 20 picture at (10, 10), turned a quarter: 20 x 40 around (30, 20).
  Box b = tazu::turned_bounds(10, 10, 40, 20, 90);
  EXPECT_NEAR(b.x, 20, 1e-12);
  EXPECT_NEAR(b.y, 0, 1e-12);
  EXPECT_NEAR(b.w, 20, 1e-12);
  EXPECT_NEAR(b.h, 40, 1e-12);
  // Unturned, the bounds are the picture itself.
  Box same = tazu::turned_bounds(-3, 4, 8, 6, 0);
  EXPECT_DOUBLE_EQ(same.x, -3);
  EXPECT_DOUBLE_EQ(same.y, 4);
  EXPECT_DOUBLE_EQ(same.w, 8);
  EXPECT_DOUBLE_EQ(same.h, 6);
  // At 45 degrees a square's bounds grow by the square root of two.
  Box diamond = tazu::turned_bounds(0, 0, 10, 10, 45);
  EXPECT_NEAR(diamond.w, 10 * std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(diamond.x + diamond.w / 2, 5, 1e-12);
}

TEST(Geometry, TurnedBoundsMatchTheTurnedCorners) {
  for (double angle : {-170.0, -33.0, 12.5, 100.0, 271.0}) {
    const Box b = tazu::turned_bounds(5, 7, 30, 12, angle);
    const Box picture{5, 7, 30, 12};
    const tazu::TurnedBox t =
        tazu::turn_box(picture, angle, 1, picture.centre(), tazu::rotate_standard);
    EXPECT_NEAR(b.x, t.x, 1e-9) << angle;
    EXPECT_NEAR(b.y, t.y, 1e-9) << angle;
  }
}

TEST(Geometry, GroupBoxIsStoredLeftTopBottomRight) {
  tazu::GroupBox g{10, 20, 120, 310};
  Box b = g.box();
  EXPECT_DOUBLE_EQ(b.w, 300);
  EXPECT_DOUBLE_EQ(b.h, 100);
  EXPECT_DOUBLE_EQ(g.centre().x, 160);
  EXPECT_DOUBLE_EQ(g.centre().y, 70);
}

TEST(Geometry, DivideNamesWhatWasDividedByZero) {
  EXPECT_DOUBLE_EQ(tazu::divide(3, 2, "x"), 1.5);
  try {
    tazu::divide(1, 0, "开始比例为 0");
    FAIL();
  } catch (const tazu::DivisionByZero& e) {
    EXPECT_STREQ(e.what(), "开始比例为 0");
  }
}

namespace record = tazu::record;

TEST(StateRecord, KeysAreNamedOnce) {
  std::set<std::string_view> names;
  for (const auto& k : record::kKeys) names.insert(k.name);
  EXPECT_EQ(names.size(), record::kKeyCount);
  EXPECT_EQ(record::name(record::Key::group_box), "大盘矩形");
  EXPECT_EQ(record::name(record::Key::states), "状态列表");
  EXPECT_EQ(record::fallback(record::Key::base_scale), record::Fallback::one);
  EXPECT_EQ(record::fallback(record::Key::origin_y), record::Fallback::from_y);
}

// A compact record may leave out exactly the keys of the fixed part that take
// a plain value; the rest it must hold, or they are worked out from it.
TEST(StateRecord, PlainDefaultsAreTheFixedPartsPlainFallbacks) {
  std::set<std::string_view> plain;
  for (std::size_t i = 0; i < record::kKeyCount; ++i)
    if (record::plain_default(static_cast<record::Key>(i))) plain.insert(record::kKeys[i].name);
  const std::set<std::string_view> expected = {
      "横坐标",       "纵坐标",       "模式",     "循环",     "缩放比例", "旋转中心",
      "相对坐标",     "原始缩放比例", "大盘矩形", "旋转角度", "锁",       "循环次数",
      "大盘旋转角度", "大盘缩放比例", "别名",     "info"};
  EXPECT_EQ(plain, expected);
}

TEST(StateRecord, PlainFallbacksStandForTheirValues) {
  using record::Fallback;
  using record::PlainValue;
  EXPECT_EQ(record::plain_value(Fallback::zero), PlainValue{0});
  EXPECT_EQ(record::plain_value(Fallback::one), PlainValue{1});
  EXPECT_EQ(record::plain_value(Fallback::yes), PlainValue{true});
  EXPECT_EQ(record::plain_value(Fallback::no), PlainValue{false});
  EXPECT_EQ(record::plain_value(Fallback::empty_text), PlainValue{std::string_view{}});
  EXPECT_EQ(record::plain_value(Fallback::none), PlainValue{});
  EXPECT_EQ(record::kind_name(record::Kind::media_file), "media_file");
  EXPECT_EQ(record::kind_name(record::Kind::records), "records");
}

// Every bounded kind has a range that holds its key's default, and only the
// kinds that take numbers have bounds.
TEST(StateRecord, BoundsHoldTheDefaults) {
  using record::Kind;
  for (std::size_t i = 0; i < record::kKeyCount; ++i) {
    const record::KeyInfo& k = record::kKeys[i];
    const bool numeric = k.kind == Kind::number || k.kind == Kind::scale || k.kind == Kind::pair ||
                         k.kind == Kind::box || k.kind == Kind::count;
    EXPECT_EQ(numeric, k.low < k.high) << k.name;
    if (!numeric) continue;
    const double fallback = k.fallback == record::Fallback::one ? 1 : 0;
    if (k.kind == Kind::number || k.kind == Kind::scale || k.kind == Kind::count) {
      EXPECT_LE(fallback, k.high) << k.name;
      EXPECT_TRUE(k.kind == Kind::scale ? k.low < fallback : k.low <= fallback) << k.name;
    }
  }
  EXPECT_EQ(record::kKeys[record::index(record::Key::pivot)].blank,
            record::Blank::none_or_empty_text);
  EXPECT_EQ(record::kKeys[record::index(record::Key::scale)].blank, record::Blank::never);
}

// Every order a part of the system reads or copies a look in holds the same
// keys as the reading order, each once.
template <std::size_t N>
std::set<record::Key> keys_of(const std::array<record::Key, N>& order) {
  return {order.begin(), order.end()};
}

TEST(StateRecord, EveryOrderHoldsTheLookKeys) {
  const auto look = keys_of(record::kLookKeys);
  EXPECT_EQ(look.size(), 15u);
  EXPECT_EQ(keys_of(record::kSpriteFromIconDict), look);
  EXPECT_EQ(keys_of(record::kOnFileSwitch), look);
  EXPECT_EQ(keys_of(record::kFromFirstState), look);
  auto after = look;
  after.erase(record::Key::file);  // the file follows once the clock has moved on
  EXPECT_EQ(keys_of(record::kAfterSegment), after);
}
