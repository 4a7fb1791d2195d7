#include <gtest/gtest.h>

#include "tazu/errors.hpp"
#include "tazu/segment_button.hpp"

using tazu::SegmentEdit;

struct EditCase {
  double x;
  SegmentEdit want;
};

class SegmentEditAt : public ::testing::TestWithParam<EditCase> {};

// Segment from 100 to 200, threshold 10.
TEST_P(SegmentEditAt, ChoosesByDistanceToEdges) {
  EXPECT_EQ(tazu::segment_edit_at(GetParam().x, 100, 200, 10), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, SegmentEditAt,
    ::testing::Values(EditCase{100, SegmentEdit::StitchLeft},
                      EditCase{109.9, SegmentEdit::StitchLeft},
                      EditCase{110, SegmentEdit::Cut},  // exactly at the threshold cuts
                      EditCase{150, SegmentEdit::Cut}, EditCase{190, SegmentEdit::Cut},
                      EditCase{190.5, SegmentEdit::StitchRight},
                      EditCase{205, SegmentEdit::StitchRight},
                      EditCase{95, SegmentEdit::StitchLeft}));

TEST(SegmentEdit, NarrowSegmentPrefersTheLeftEdge) {
  EXPECT_EQ(tazu::segment_edit_at(104, 100, 108, 10), SegmentEdit::StitchLeft);
}

TEST(CutRatio, FractionOfWidthOrNothingForZeroWidth) {
  EXPECT_DOUBLE_EQ(tazu::cut_ratio(125, 100, 100), 0.25);
  EXPECT_THROW(tazu::cut_ratio(125, 100, 0), tazu::DivisionByZero);
}

TEST(CutStitchThrottle, RefusesWithinThreeSeconds) {
  EXPECT_TRUE(tazu::cut_stitch_throttled(0.0));
  EXPECT_TRUE(tazu::cut_stitch_throttled(2.999));
  EXPECT_FALSE(tazu::cut_stitch_throttled(3.0));
  EXPECT_FALSE(tazu::cut_stitch_throttled(60.0));
  EXPECT_FALSE(tazu::cut_stitch_throttled(-3600.0));
}
