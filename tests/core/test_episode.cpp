#include <gtest/gtest.h>

#include <vector>

#include "tazu/episode.hpp"

using namespace tazu::episode;
using tazu::narration::Cue;

namespace {

TEST(ShotLength, NarrationStretchesAShotAndTimesATitle) {
  // A shot document keeps its own length unless the narration needs more.
  ShotLength r = shot_length(2.0, 1.0, 0.5, 3.0, 25);
  EXPECT_EQ(r.seconds, 2.0);
  EXPECT_EQ(r.frames, 50);
  r = shot_length(2.0, 1.9, 0.5, 3.0, 25);
  EXPECT_DOUBLE_EQ(r.seconds, 2.4);
  EXPECT_EQ(r.frames, 60);
  EXPECT_EQ(shot_length(2.0, std::nullopt, 0.5, 3.0, 25).seconds, 2.0);
  // A title card: narration and gap, or the silent length.
  EXPECT_DOUBLE_EQ(shot_length(std::nullopt, 1.3, 0.5, 3.0, 25).seconds, 1.8);
  EXPECT_EQ(shot_length(std::nullopt, std::nullopt, 0.5, 3.0, 25).frames, 75);
}

TEST(ShotLength, FramesRoundUpToAtLeastOne) {
  EXPECT_EQ(shot_length(1.0 / 3, std::nullopt, 0, 0, 30).frames, 10);  // 9.999... is 10
  EXPECT_EQ(shot_length(0.41, std::nullopt, 0, 0, 10).frames, 5);
  ShotLength r = shot_length(0.001, std::nullopt, 0, 0, 24);
  EXPECT_EQ(r.frames, 1);
  EXPECT_DOUBLE_EQ(r.clip_seconds, 1.0 / 24);
  EXPECT_THROW(shot_length(1, std::nullopt, 0, 0, 0), tazu::DivisionByZero);
}

TEST(ShotCues, EmptyCuesGiveWayToTheLineAndCuesStayInsideTheNarration) {
  auto cues =
      shot_cues({{0, 1, ""}, {-0.5, 1, "a"}, {1.5, 9, "b"}, {5, 6, "late"}, {2, 2, "c"}}, 3.0, "x");
  ASSERT_EQ(cues.size(), 2u);
  EXPECT_EQ(cues[0].start, 0);
  EXPECT_EQ(cues[0].text, "a");
  EXPECT_EQ(cues[1].end, 3.0);
  cues = shot_cues({{0, 1, ""}}, 2.5, "你<s>好 ");
  ASSERT_EQ(cues.size(), 1u);
  EXPECT_EQ(cues[0].end, 2.5);
  EXPECT_EQ(cues[0].text, "你好");
  EXPECT_TRUE(shot_cues({}, 0.0, "x").empty());
}

TEST(EpisodeCues, ShiftedByTheShotStartAndCutAtItsEnd) {
  const auto cues = episode_cues({{25, {{0, 0.5, "a"}}}, {10, {{0.1, 5, "b"}}}, {5, {}}}, 25);
  ASSERT_EQ(cues.size(), 2u);
  EXPECT_DOUBLE_EQ(cues[1].start, 1.1);
  EXPECT_DOUBLE_EQ(cues[1].end, 35.0 / 25);
}

TEST(SoundTrack, FrameBoundariesBecomeSampleOffsets) {
  const TrackLayout t = sound_track({25, 30}, 25, 48000);
  EXPECT_EQ(t.samples, 105600u);
  ASSERT_EQ(t.shots.size(), 2u);
  EXPECT_EQ(t.shots[0].end, 48000u);
  EXPECT_EQ(t.shots[1].begin, 48000u);
  EXPECT_EQ(t.shots[1].end, 105600u);
  // 1 frame at 16 fps and 8 Hz is half a sample: rounded to even, as Python does.
  const TrackLayout h = sound_track({1, 2, 3}, 16, 8);
  EXPECT_EQ(h.samples, 3u);  // 6 frames = 3 samples
  EXPECT_EQ(h.shots[0].end, 0u);
  EXPECT_EQ(h.shots[1].begin, 0u);
  EXPECT_EQ(h.shots[1].end, 2u);  // 1.5 rounds to 2
  EXPECT_EQ(h.shots[2].end, 3u);
  EXPECT_THROW(sound_track({1}, 0, 8), tazu::DivisionByZero);
}

}  // namespace
