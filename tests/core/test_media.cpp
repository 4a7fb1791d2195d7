#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "tazu/errors.hpp"
#include "tazu/media.hpp"

using namespace tazu::media;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(MediaSources, OnlyTheLowerCaseGifEndingMakesAGif) {
  EXPECT_EQ(classify(false, "a/b.gif"), SourceKind::gif);
  EXPECT_EQ(classify(false, "a/b.GIF"), SourceKind::photo);
  EXPECT_EQ(classify(false, "gif"), SourceKind::photo);
  // The platform's word comes first, whatever the name.
  EXPECT_EQ(classify(true, "b.gif"), SourceKind::video);
  EXPECT_EQ(derived_name("0a1b"), "0a1b.png");
}

TEST(MediaSources, TwoHundredKilobytesCountsAsLarge) {
  EXPECT_FALSE(needs_optimizing(200 * 1024 - 1, false));
  EXPECT_TRUE(needs_optimizing(200 * 1024, false));
  EXPECT_TRUE(needs_optimizing(10, true));
  EXPECT_FALSE(needs_optimizing(0, false));
}

TEST(MediaFrames, FrameNumbersTruncateAsIntDoes) {
  EXPECT_EQ(truncated_frame(2.9), 2);
  EXPECT_EQ(truncated_frame(-2.9), -2);
  EXPECT_EQ(truncated_frame(1e300), 1e300);  // far, but a frame number still
  EXPECT_THROW(truncated_frame(kNaN), tazu::BadValue);
  EXPECT_THROW(truncated_frame(kInf), std::overflow_error);
  EXPECT_THROW(truncated_frame(-kInf), std::overflow_error);
}

TEST(MediaFrames, VideoFrameOfAMoment) {
  EXPECT_EQ(video_frame_at(2.0, 25, 100), 50);
  EXPECT_EQ(video_frame_at(0.039, 25, 100), 0);
  EXPECT_EQ(video_frame_at(-1, 25, 100), 0);  // before the start: the first frame
  EXPECT_EQ(video_frame_at(4.0, 25, 100), 100);
  EXPECT_EQ(video_frame_at(4.04, 25, 100), std::nullopt);  // past the end
  EXPECT_EQ(video_frame_at(1e12, 25, 100), std::nullopt);
  // A rate that is no number shows the first frame, as a rate of 0 does.
  EXPECT_EQ(video_frame_at(3, kNaN, 10), 0);
  EXPECT_EQ(video_frame_at(3, kInf, 10), 0);
  EXPECT_THROW(video_frame_at(kNaN, 25, 10), tazu::BadValue);
}

TEST(MediaFrames, TheMiddleFrameRepresentsAVideo) {
  for (auto [count, middle] : {std::pair{1L, 0L}, {10L, 4L}, {11L, 5L}, {0L, 0L}, {-3L, 0L}})
    EXPECT_EQ(middle_frame(count), middle) << count;
}

TEST(MediaFrames, GifsPlayAtTenFramesASecondAndHoldTheLast) {
  EXPECT_EQ(gif_frame_at(0.35, 5), 3);
  EXPECT_EQ(gif_frame_at(0.4, 5), 4);
  EXPECT_EQ(gif_frame_at(100, 5), 4);
  EXPECT_EQ(gif_frame_at(-0.5, 5), 0);
  EXPECT_EQ(gif_frame_at(1e300, 5), 4);
  EXPECT_THROW(gif_frame_at(kInf, 5), std::overflow_error);
}

TEST(MediaFrames, GifCacheKeepsWhatFitsAndAtLeastTwo) {
  EXPECT_EQ(gif_frames_kept(2000, 2000), 4u);  // 16 MB frames in 64 MB
  EXPECT_EQ(gif_frames_kept(720, 528), 44u);
  EXPECT_EQ(gif_frames_kept(10000, 10000), 2u);
  EXPECT_EQ(gif_frames_kept(0, 0, 8), 8u);  // an empty frame counts as one byte
  EXPECT_EQ(gif_frames_kept(1, 1, 400), 100u);
}

TEST(VideoCursor, ReadsOnWhenPlayingForwardAndSeeksOnJumps) {
  VideoCursor c;
  EXPECT_EQ(c.step_to(0), VideoCursor::Step::seek);  // nothing known yet
  c.read(10);
  EXPECT_TRUE(c.showing(10));
  EXPECT_FALSE(c.showing(11));
  EXPECT_EQ(c.step_to(11), VideoCursor::Step::read_on);
  EXPECT_EQ(c.grabs(11), 0);
  EXPECT_EQ(c.step_to(11 + VideoCursor::kMaxGrabAhead), VideoCursor::Step::read_on);
  EXPECT_EQ(c.grabs(11 + VideoCursor::kMaxGrabAhead), VideoCursor::kMaxGrabAhead);
  EXPECT_EQ(c.step_to(12 + VideoCursor::kMaxGrabAhead), VideoCursor::Step::seek);
  EXPECT_EQ(c.step_to(10), VideoCursor::Step::seek);  // backwards
  c.read_unshown(4);
  EXPECT_FALSE(c.showing(4));
  EXPECT_EQ(c.step_to(5), VideoCursor::Step::read_on);
  c.forget();
  EXPECT_EQ(c.next(), -1);
  EXPECT_EQ(c.shown(), -1);
  EXPECT_FALSE(c.showing(-1));
  EXPECT_EQ(c.step_to(0), VideoCursor::Step::seek);
}

TEST(MediaPictures, Orientation) {
  EXPECT_EQ(orientation(std::nullopt), 1);
  EXPECT_EQ(orientation(0), 1);
  EXPECT_EQ(orientation(9), 1);
  EXPECT_EQ(orientation(6), 6);
  EXPECT_FALSE(sideways(4));
  EXPECT_TRUE(sideways(5));
  EXPECT_TRUE(sideways(8));
  EXPECT_EQ(transpose_name(1), "");
  EXPECT_EQ(transpose_name(3), "ROTATE_180");
  EXPECT_EQ(transpose_name(6), "ROTATE_270");
  EXPECT_EQ(transpose_name(8), "ROTATE_90");
  EXPECT_EQ(transpose_name(12), "");
}

TEST(MediaPictures, PixelLimit) {
  EXPECT_FALSE(over_pixel_limit(20, 25, 500.0));
  EXPECT_TRUE(over_pixel_limit(20, 26, 500.0));
  EXPECT_FALSE(over_pixel_limit(1e6, 1e6, std::nullopt));
  EXPECT_FALSE(over_pixel_limit(1e6, 1e6, 0.0));
  EXPECT_TRUE(over_pixel_limit(1, 1, kNaN));
  EXPECT_EQ(pixel_limit_detail(80, 80, "500"), "80×80 像素，最多 500 像素");
}

TEST(MediaPictures, WhatQuantisingNeeds) {
  using P = Preparation;
  for (auto [mode, keyed, band, want] : {std::tuple{"L", false, false, P::as_is},
                                         {"P", false, false, P::as_is},
                                         {"RGB", false, false, P::as_is},
                                         {"RGBA", false, true, P::as_is},
                                         {"P", true, false, P::to_rgba},
                                         {"RGB", true, false, P::to_rgba},
                                         {"LA", false, true, P::to_rgba},
                                         {"La", false, false, P::to_rgba},
                                         {"CMYK", false, false, P::to_rgb},
                                         {"1", false, false, P::to_rgb},
                                         {"I;16", false, false, P::grey_to_8_bits},
                                         {"I", true, false, P::grey_to_8_bits},
                                         {"F", false, false, P::grey_to_8_bits}})
    EXPECT_EQ(preparation(mode, keyed, band), want) << mode;
}

TEST(MediaPictures, WideGreyIsScaledNotClipped) {
  using G = GreyScale;
  EXPECT_EQ(grey_scale("F", false, 1.0), G::times_255);
  EXPECT_EQ(grey_scale("F", true, 0), G::times_255);
  EXPECT_EQ(grey_scale("F", false, 1.5), G::as_is);
  EXPECT_EQ(grey_scale("F", false, kNaN), G::as_is);  // all NaN: nothing to scale
  EXPECT_EQ(grey_scale("I;16", false, 3), G::shift_8);
  EXPECT_EQ(grey_scale("I;16B", true, 0), G::shift_8);
  EXPECT_EQ(grey_scale("I", false, 255), G::as_is);
  EXPECT_EQ(grey_scale("I", false, 256), G::shift_8);
  EXPECT_EQ(grey_scale("I", true, 0), G::as_is);
}

TEST(MediaPictures, GreyTo8Bits) {
  using V = std::vector<std::uint8_t>;
  // Floats of 0 to 1 are scaled, in single precision; NaN is 0.
  EXPECT_EQ(grey_to_8_bits(std::vector<double>{0, 0.5, 1, kNaN}, "F"), (V{0, 127, 255, 0}));
  // Floats beyond 1 are taken as levels and clipped; infinities clip too.
  EXPECT_EQ(grey_to_8_bits(std::vector<double>{-3, 12.9, 300, kInf}, "F"), (V{0, 12, 255, 255}));
  EXPECT_EQ(grey_to_8_bits(std::vector<double>{kNaN, kNaN}, "F"), (V{0, 0}));
  // 16-bit values keep their high byte, whatever their range.
  EXPECT_EQ(grey_to_8_bits(std::vector<double>{0, 255, 32896, 65535}, "I;16"), (V{0, 0, 128, 255}));
  EXPECT_EQ(grey_to_8_bits(std::vector<double>{3, 200}, "I;16B"), (V{0, 0}));
  // 32-bit integers: levels when they fit 8 bits, else 16-bit values.
  EXPECT_EQ(grey_to_8_bits(std::vector<double>{-5, 3, 255}, "I"), (V{0, 3, 255}));
  EXPECT_EQ(grey_to_8_bits(std::vector<double>{-5, 512, 70000}, "I"), (V{0, 2, 255}));
  EXPECT_TRUE(grey_to_8_bits({}, "F").empty());
}

}  // namespace
