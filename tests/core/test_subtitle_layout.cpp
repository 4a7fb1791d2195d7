#include <gtest/gtest.h>

#include "tazu/subtitle_layout.hpp"

using namespace tazu::subtitles;

namespace {

TEST(SubtitleStyle, SizeAndOutlineFollowThePictureHeight) {
  Style s = style(1280, 720);
  EXPECT_EQ(s.font_size, 40);  // 39.6
  EXPECT_EQ(s.outline, 3);     // 3.33
  EXPECT_DOUBLE_EQ(s.wrap_width, 1024);
  // A disk of radius 3 with its edge filled: 7 × 7 less the four corners' 3 each.
  EXPECT_EQ(s.outline_offsets.size(), 37u);
  s = style(160, 90);
  EXPECT_EQ(s.font_size, 12);
  EXPECT_EQ(s.outline, 1);
  EXPECT_EQ(s.outline_offsets.size(), 9u);  // 1 + 1 <= 2: the corners too
  EXPECT_EQ(style(100, 1000).font_size, 55);
  EXPECT_EQ(style(100, 1800).outline, 8);  // 99 / 12 = 8.25
}

TEST(SubtitlePlaces, CentredAndStackedAboveTheTitleSafeBottom) {
  const auto p = places(1280, 720, {{400, 50}, {301, 50}});
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0], Pixel(440, 584));  // 684 - 100
  EXPECT_EQ(p[1], Pixel(489, 634));
  // Wider than the picture: it sticks out on both sides, the odd pixel on the left.
  EXPECT_EQ(places(100, 100, {{121, 10}})[0], Pixel(-11, 85));
  EXPECT_TRUE(places(100, 100, {}).empty());
}

}  // namespace
