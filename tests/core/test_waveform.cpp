#include <gtest/gtest.h>

#include <cmath>

#include "tazu/waveform.hpp"

using namespace tazu::audio;

namespace {

TEST(NiceStep, RoundsUpToOneTwoOrFiveTimesAPowerOfTen) {
  EXPECT_DOUBLE_EQ(nice_step(0.13), 0.2);
  EXPECT_DOUBLE_EQ(nice_step(0.3), 0.5);
  EXPECT_DOUBLE_EQ(nice_step(0.7), 1.0);
  EXPECT_DOUBLE_EQ(nice_step(1.0), 1.0);
  EXPECT_DOUBLE_EQ(nice_step(42), 50);
  EXPECT_DOUBLE_EQ(nice_step(0), 1.0);
  EXPECT_DOUBLE_EQ(nice_step(-3), 1.0);
  EXPECT_DOUBLE_EQ(nice_step(NAN), 1.0);
}

Buffer clip(std::vector<float> samples, int rate) {
  Buffer b;
  b.rate = rate;
  b.channels = 1;
  b.samples = std::move(samples);
  return b;
}

TEST(WaveformPlot, PlotInsideTheMarginsWithLevelsTicksAndColumns) {
  // One second at 100 Hz: +1 then -1 then silence, over a 100-pixel-wide plot.
  std::vector<float> s(100, 0.0f);
  s[0] = 1.0f;
  s[1] = -2.0f;  // clipped to -1
  const WaveformPlot p = waveform_plot(clip(s, 100), 180, 160);
  EXPECT_EQ(p.width, 100);
  EXPECT_EQ(p.height, 100);
  ASSERT_EQ(p.level_y.size(), 5u);
  EXPECT_DOUBLE_EQ(p.level_y[0], 20);   // +1 at the top
  EXPECT_DOUBLE_EQ(p.level_y[2], 70);   // 0 in the middle
  EXPECT_DOUBLE_EQ(p.level_y[4], 120);  // -1 at the bottom
  // Ticks every 0.1 s from 0 to the end, the end included.
  ASSERT_EQ(p.tick_seconds.size(), 11u);
  EXPECT_DOUBLE_EQ(p.tick_x.front(), 60);
  EXPECT_NEAR(p.tick_x.back(), 160, 1e-9);
  ASSERT_EQ(p.column_top.size(), 100u);
  EXPECT_DOUBLE_EQ(p.column_top[0], 20);
  EXPECT_DOUBLE_EQ(p.column_top[1], 120);  // -2 drawn as -1, a pixel tall
  EXPECT_DOUBLE_EQ(p.column_bottom[1], 121);
  // A silent column is still a pixel tall.
  EXPECT_DOUBLE_EQ(p.column_top[50], 70);
  EXPECT_DOUBLE_EQ(p.column_bottom[50], 71);
}

TEST(WaveformPlot, TinyPicturesAndEmptyClipsStillHaveAPlot) {
  const WaveformPlot p = waveform_plot(clip({}, 8000), 10, 10);
  EXPECT_EQ(p.width, 1);
  EXPECT_EQ(p.height, 1);
  EXPECT_TRUE(p.tick_seconds.empty());
  EXPECT_EQ(p.column_top.size(), 1u);
}

}  // namespace
