#include <gtest/gtest.h>

#include <cmath>

#include "tazu/errors.hpp"
#include "tazu/icon_geometry.hpp"

using tazu::GroupBox;
using tazu::Vec2;

TEST(IconGeometry, GroupVectorFromBoxAndPicture) {
  // Box (left 0, top 0, bottom 100, right 200) has its centre at (100, 50).
  GroupBox box{0, 0, 100, 200};
  Vec2 g = box.centre();
  EXPECT_DOUBLE_EQ(g.x, 100);
  EXPECT_DOUBLE_EQ(g.y, 50);
  Vec2 v = tazu::group_vector(box, 150, 40, 20, 10);
  EXPECT_DOUBLE_EQ(v.x, 60);
  EXPECT_DOUBLE_EQ(v.y, -5);
}

TEST(IconGeometry, HalfPixelCentresAreKept) {
  Vec2 c = tazu::picture_centre(1, 2, 3, 5);
  EXPECT_DOUBLE_EQ(c.x, 2.5);
  EXPECT_DOUBLE_EQ(c.y, 4.5);
  Vec2 g = GroupBox{-3, -1, 0, 0}.centre();
  EXPECT_DOUBLE_EQ(g.x, -1.5);
  EXPECT_DOUBLE_EQ(g.y, -0.5);
}

TEST(IconGeometry, InferredCentreInvertsTheGroupVector) {
  GroupBox box{10, 20, 120, 310};
  const double x = 37, y = 55, w = 41, h = 17;
  Vec2 v = tazu::group_vector(box, x, y, w, h);
  Vec2 g = tazu::inferred_group_centre(x, y, w, h, v, 1.5, 1.5);
  Vec2 m = box.centre();
  EXPECT_DOUBLE_EQ(g.x, m.x);
  EXPECT_DOUBLE_EQ(g.y, m.y);
}

TEST(IconGeometry, VectorScalesWithRatioOverBase) {
  Vec2 v = tazu::scaled_group_vector({10, -4}, 2, 1);
  EXPECT_DOUBLE_EQ(v.x, 20);
  EXPECT_DOUBLE_EQ(v.y, -8);
  Vec2 p = tazu::group_vector_point({0, 0, 100, 200}, {10, -4}, 2, 1);
  EXPECT_DOUBLE_EQ(p.x, 120);
  EXPECT_DOUBLE_EQ(p.y, 42);
}

TEST(IconGeometry, ZeroBaseScaleIsADivisionByZero) {
  EXPECT_THROW(tazu::scaled_group_vector({1, 1}, 1, 0), tazu::DivisionByZero);
  EXPECT_THROW(tazu::inferred_group_centre(0, 0, 1, 1, {1, 1}, 1, 0), tazu::DivisionByZero);
  EXPECT_THROW(tazu::group_vector_point({0, 0, 1, 1}, {1, 1}, 1, 0), tazu::DivisionByZero);
}

struct RotationCase {
  double pivot, pointer, precision, angle;
};
class PointerRotation : public ::testing::TestWithParam<RotationCase> {};
TEST_P(PointerRotation, DegreesPerPrecisionPixels) {
  auto c = GetParam();
  EXPECT_DOUBLE_EQ(tazu::pointer_rotation(c.pivot, c.pointer, c.precision), c.angle);
}
INSTANTIATE_TEST_SUITE_P(Cases, PointerRotation,
                         ::testing::Values(RotationCase{300, 280, 2, 10},
                                           RotationCase{300, 320, 2, -10},
                                           RotationCase{0, 3, 2, -1.5}));

TEST(IconGeometry, ZeroPrecisionIsADivisionByZero) {
  EXPECT_THROW(tazu::pointer_rotation(1, 0, 0), tazu::DivisionByZero);
  EXPECT_THROW(tazu::gesture_scale(1, 0, 0), tazu::DivisionByZero);
}

TEST(IconGeometry, GestureScaleRefusesNonPositiveRatios) {
  EXPECT_FALSE(tazu::gesture_scale(0.5, -5, 10).has_value());
  EXPECT_FALSE(tazu::gesture_scale(0.5, -6, 10).has_value());
  auto s = tazu::gesture_scale(0.5, 5, 10);
  ASSERT_TRUE(s.has_value());
  EXPECT_DOUBLE_EQ(*s, 1.0);
  EXPECT_FALSE(tazu::gesture_scale(NAN, 1, 10).has_value());  // NaN is no ratio
}

TEST(IconGeometry, MoveShiftFollowsTheOriginNotThePosition) {
  // A turned icon: its rectangle's corner and its origin point differ.
  auto s = tazu::move_shift({100, 50}, {110, 40}, {130, 45}, {140, 35});
  EXPECT_DOUBLE_EQ(s.x, 30);
  EXPECT_DOUBLE_EQ(s.y, -5);
  EXPECT_DOUBLE_EQ(s.origin_x, 30);
  EXPECT_DOUBLE_EQ(s.origin_y, -5);
}
