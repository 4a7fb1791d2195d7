#include <gtest/gtest.h>

#include <cmath>

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
