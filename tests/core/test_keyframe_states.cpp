#include <gtest/gtest.h>

#include <cmath>

#include "tazu/errors.hpp"
#include "tazu/keyframe_states.hpp"

using namespace tazu::keyframes;

// Three stored keyframes: rows 0, 1, 2 and "当前" at 3.
TEST(KeyframeStates, RowsNameStoredKeyframesThenTheLiveState) {
  for (double k : {0.0, 1.0, 2.0}) {
    EXPECT_TRUE(saves_into_stored(k, 3));
    EXPECT_TRUE(switches_to_stored(k, 3));
    EXPECT_EQ(deletion(k, 4, 3), Deletion::stored);
  }
  EXPECT_FALSE(saves_into_stored(3, 3));
  EXPECT_FALSE(switches_to_stored(3, 3));
  EXPECT_FALSE(switches_to_stored(7, 3));
  EXPECT_EQ(deletion(3, 4, 3), Deletion::live);
  // The bottom border of the selector gives one past its last row.
  EXPECT_EQ(deletion(4, 4, 3), Deletion::nothing);
}

TEST(KeyframeStates, NegativeRowsAreNeverSavedOrAdded) {
  EXPECT_FALSE(saves_into_stored(-1, 3));
  EXPECT_FALSE(adds_at(-1));
  EXPECT_TRUE(adds_at(0));
  EXPECT_TRUE(adds_at(3));  // on "当前": appended
  EXPECT_TRUE(switches_to_stored(-1, 3));
}

TEST(KeyframeStates, NoStoredKeyframeLeavesOnlyTheLiveState) {
  EXPECT_FALSE(saves_into_stored(0, 0));
  EXPECT_FALSE(switches_to_stored(0, 0));
  EXPECT_EQ(deletion(0, 1, 0), Deletion::live);
  EXPECT_FALSE(saves_into_stored(std::nan(""), 3));
}

TEST(KeyframeStates, PositionsShownWholeOnlyWhenTheyAre) {
  EXPECT_TRUE(shown_whole(50.0));
  EXPECT_TRUE(shown_whole(-3.0));
  EXPECT_FALSE(shown_whole(50.5));
  EXPECT_FALSE(shown_whole(INFINITY));
  EXPECT_FALSE(shown_whole(NAN));
}

// The values Python's round(scale / display, 4) gives.
TEST(KeyframeStates, TypedScaleRoundsAsPythonDoes) {
  EXPECT_EQ(typed_scale(1.5, 2), 0.75);
  EXPECT_EQ(typed_scale(1, 3), 0.3333);
  EXPECT_EQ(typed_scale(2, 3), 0.6667);
  EXPECT_EQ(typed_scale(-2, 3), -0.6667);
  EXPECT_EQ(typed_scale(0.7, 0.9), 0.7778);
  EXPECT_EQ(typed_scale(123.456789, 1.5), 82.3045);
  EXPECT_EQ(typed_scale(1.03125, 1), 1.0312);  // an exact tie goes to even
  EXPECT_TRUE(std::signbit(typed_scale(-0.00001, 1)));
  EXPECT_THROW(typed_scale(1, 0), tazu::DivisionByZero);
}
