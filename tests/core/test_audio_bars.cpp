#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tazu/audio_bars.hpp"
#include "tazu/errors.hpp"

namespace {

template <typename T>
tazu::SampleView<T> view(const std::vector<T>& v) {
  tazu::SampleView<T> s;
  s.data = reinterpret_cast<const std::byte*>(v.data());
  s.frames = static_cast<std::int64_t>(v.size());
  return s;
}

template <typename T>
std::vector<std::optional<tazu::Magnitude<T>>> peaks(const std::vector<T>& v, std::int64_t start,
                                                     std::int64_t end, std::int64_t n) {
  auto r = tazu::audio_bar_peaks(view(v), start, end, n);
  EXPECT_TRUE(r.has_value());
  return r.value_or(std::vector<std::optional<tazu::Magnitude<T>>>{});
}

}  // namespace

TEST(AudioBars, EvenSplitTakesPeakMagnitude) {
  std::vector<std::int16_t> s{1, -5, 3, 2, -1, 0, 7, -8};
  auto r = peaks(s, 0, 8, 4);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0], 5u);
  EXPECT_EQ(r[1], 3u);
  EXPECT_EQ(r[2], 1u);
  EXPECT_EQ(r[3], 8u);
}

TEST(AudioBars, RemainderAtTheEndIsNotShown) {
  // 7 samples in 3 bars: 2 each, the last sample is left out.
  std::vector<std::int32_t> s{1, 2, 3, 4, 5, 6, 100};
  auto r = peaks(s, 0, 7, 3);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0], 2u);
  EXPECT_EQ(r[1], 4u);
  EXPECT_EQ(r[2], 6u);
}

TEST(AudioBars, ShortSegmentFillsOneSamplePerBarThenEmpty) {
  std::vector<float> s{0.5f, -0.25f};
  auto r = peaks(s, 0, 2, 5);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_DOUBLE_EQ(*r[0], 0.5);
  EXPECT_DOUBLE_EQ(*r[1], 0.25);
  for (int i = 2; i < 5; ++i) EXPECT_FALSE(r[i].has_value());
}

TEST(AudioBars, SegmentIsClampedToTheData) {
  std::vector<double> s{0.1, 0.2, 0.3, 0.4};
  auto r = peaks(s, 2, 1000, 2);
  EXPECT_DOUBLE_EQ(*r[0], 0.3);
  EXPECT_DOUBLE_EQ(*r[1], 0.4);
  // A negative start counts from the beginning, not from the end.
  auto n = peaks(s, -3, 2, 2);
  EXPECT_DOUBLE_EQ(*n[0], 0.1);
  EXPECT_DOUBLE_EQ(*n[1], 0.2);
}

TEST(AudioBars, EmptySegmentsGiveNothing) {
  std::vector<std::int16_t> s{1, 2, 3};
  EXPECT_FALSE(tazu::audio_bar_peaks(view(s), 2, 1, 4).has_value());  // end before start
  EXPECT_FALSE(tazu::audio_bar_peaks(view(s), 2, 2, 4).has_value());
  EXPECT_FALSE(tazu::audio_bar_peaks(view(s), 5, 9, 4).has_value());  // past the end
  EXPECT_FALSE(tazu::audio_bar_peaks(view(s), 0, -1, 4).has_value());
  std::vector<std::int16_t> none;
  EXPECT_FALSE(tazu::audio_bar_peaks(view(none), 0, 10, 4).has_value());
}

TEST(AudioBars, NonPositiveBarCountIsRefused) {
  std::vector<std::int16_t> s{1, 2, 3};
  EXPECT_THROW(tazu::audio_bar_peaks(view(s), 0, 3, 0), std::invalid_argument);
  EXPECT_THROW(tazu::audio_bar_peaks(view(s), 0, 3, -2), std::invalid_argument);
}

TEST(AudioBars, MostNegativeIntegersKeepTheirSize) {
  std::vector<std::int16_t> a{-32768, 5};
  EXPECT_EQ(peaks(a, 0, 2, 1)[0], 32768u);
  std::vector<std::int64_t> b{std::numeric_limits<std::int64_t>::min()};
  EXPECT_EQ(peaks(b, 0, 1, 1)[0], std::uint64_t{1} << 63);
  std::vector<std::uint8_t> c{200, 3};
  EXPECT_EQ(peaks(c, 0, 2, 1)[0], 200u);
}

TEST(AudioBars, NanSampleMakesItsBarNan) {
  std::vector<float> s{0.1f, -std::nanf(""), 0.2f, 0.3f, -0.0f, -INFINITY};
  auto r = peaks(s, 0, 6, 3);
  EXPECT_TRUE(std::isnan(*r[0]));
  EXPECT_FLOAT_EQ(static_cast<float>(*r[1]), 0.3f);
  EXPECT_EQ(*r[2], INFINITY);
}

TEST(AudioBars, StridedAndMultiChannelViews) {
  // Every other sample of a buffer, read backwards (negative stride).
  std::vector<std::int16_t> buf{9, 1, 9, -2, 9, 3, 9, -4};
  tazu::SampleView<std::int16_t> s;
  s.data = reinterpret_cast<const std::byte*>(buf.data() + 7);
  s.frames = 4;
  s.frame_stride = -2 * static_cast<std::int64_t>(sizeof(std::int16_t));
  auto r = tazu::audio_bar_peaks(s, 0, 4, 4).value();
  EXPECT_EQ(r[0], 4u);
  EXPECT_EQ(r[1], 3u);
  EXPECT_EQ(r[2], 2u);
  EXPECT_EQ(r[3], 1u);

  // Two interleaved channels: a bar takes the peak of both.
  std::vector<float> st{0.1f, -0.9f, 0.2f, 0.3f, -0.5f, 0.4f};
  tazu::SampleView<float> v;
  v.data = reinterpret_cast<const std::byte*>(st.data());
  v.frames = 3;
  v.frame_stride = 2 * sizeof(float);
  v.channels = 2;
  v.channel_stride = sizeof(float);
  auto m = tazu::audio_bar_peaks(v, 0, 3, 3).value();
  EXPECT_FLOAT_EQ(static_cast<float>(*m[0]), 0.9f);
  EXPECT_FLOAT_EQ(static_cast<float>(*m[1]), 0.3f);
  EXPECT_FLOAT_EQ(static_cast<float>(*m[2]), 0.5f);
}

TEST(AudioBars, LayoutOfLongSegments) {
  auto l = tazu::bar_layout(48000, 4800, 9600, 100).value();
  EXPECT_EQ(l.begin, 4800);
  EXPECT_EQ(l.length, 4800);
  EXPECT_EQ(l.samples_per_bar, 48);
}

struct CentsCase {
  double in;
  double out;
};

class RoundToCents : public ::testing::TestWithParam<CentsCase> {};

TEST_P(RoundToCents, MatchesPythonRound) {
  double got = tazu::round_to_cents(GetParam().in);
  EXPECT_EQ(got, GetParam().out);
  EXPECT_EQ(std::signbit(got), std::signbit(GetParam().out));
}

// Expected values are what Python's round(x, 2) gives.
INSTANTIATE_TEST_SUITE_P(PythonValues, RoundToCents,
                         ::testing::Values(CentsCase{0.125, 0.12}, CentsCase{0.375, 0.38},
                                           CentsCase{2.675, 2.67}, CentsCase{1.005, 1.0},
                                           CentsCase{0.015, 0.01}, CentsCase{0.0, 0.0},
                                           CentsCase{-0.001, -0.0}, CentsCase{0.99999, 1.0},
                                           CentsCase{static_cast<double>(0.3f), 0.3},
                                           CentsCase{12345.678, 12345.68},
                                           CentsCase{1e300, 1e300}));

TEST(RoundToCentsSpecial, NonFiniteValuesPassThrough) {
  EXPECT_TRUE(std::isnan(tazu::round_to_cents(std::nan(""))));
  EXPECT_EQ(tazu::round_to_cents(INFINITY), INFINITY);
}

TEST(AnySamples, ReadableTypes) {
  for (std::size_t bytes : {1, 2, 4, 8}) {
    EXPECT_TRUE(tazu::readable({'i', bytes}));
    EXPECT_TRUE(tazu::readable({'u', bytes}));
  }
  EXPECT_TRUE(tazu::readable({'f', 4}));
  EXPECT_TRUE(tazu::readable({'f', 8}));
  EXPECT_FALSE(tazu::readable({'f', 2}));
  EXPECT_FALSE(tazu::readable({'c', 16}));
  EXPECT_FALSE(tazu::readable({'i', 3}));
}

TEST(AnySamples, BarCountChecked) {
  EXPECT_THROW(tazu::check_bar_count(0), tazu::DivisionByZero);
  EXPECT_THROW(tazu::check_bar_count(-1), tazu::BadValue);
  EXPECT_NO_THROW(tazu::check_bar_count(1));
}

TEST(AnySamples, IntegerBarsAreWholeAndEmptyBarsZero) {
  const std::int16_t data[] = {-32768, 5, 7};
  tazu::AnySamples s{{'i', 2}, reinterpret_cast<const std::byte*>(data), 3, 2};
  auto bars = tazu::audio_bar_heights(s, 0, 3, 5);
  ASSERT_TRUE(bars);
  ASSERT_EQ(bars->size(), 5u);
  EXPECT_TRUE((*bars)[0].whole);
  EXPECT_EQ((*bars)[0].magnitude, 32768u);
  EXPECT_EQ((*bars)[2].magnitude, 7u);
  EXPECT_TRUE((*bars)[4].whole);
  EXPECT_EQ((*bars)[4].magnitude, 0u);
  EXPECT_FALSE(tazu::audio_bar_heights(s, 2, 2, 5));
}

TEST(AnySamples, FloatBarsRoundedToCents) {
  const double data[] = {0.125, -0.5, 0.333333};
  tazu::AnySamples s{{'f', 8}, reinterpret_cast<const std::byte*>(data), 3, 8};
  auto bars = tazu::audio_bar_heights(s, 0, 3, 3);
  ASSERT_TRUE(bars);
  EXPECT_FALSE((*bars)[0].whole);
  EXPECT_DOUBLE_EQ((*bars)[0].value, 0.12);  // ties go to the nearer double, as round()
  EXPECT_DOUBLE_EQ((*bars)[1].value, 0.5);
  EXPECT_DOUBLE_EQ((*bars)[2].value, 0.33);
}

TEST(AnySamples, UnreadableTypeRefused) {
  const std::byte data[16] = {};
  tazu::AnySamples s{{'c', 16}, data, 1, 16};
  EXPECT_THROW(tazu::audio_bar_heights(s, 0, 1, 1), tazu::WrongKind);
}

TEST(AnySamples, RareFloatsAreReadAsCommonOnes) {
  auto expect_format = [](tazu::SampleFormat given, char kind, std::size_t bytes) {
    const tazu::SampleFormat f = tazu::read_as(given);
    EXPECT_EQ(f.kind, kind);
    EXPECT_EQ(f.bytes, bytes);
    EXPECT_TRUE(tazu::readable(f) || kind == 'c');
  };
  expect_format({'f', 2}, 'f', 4);
  expect_format({'f', 16}, 'f', 8);
  expect_format({'f', 4}, 'f', 4);
  expect_format({'i', 2}, 'i', 2);
  expect_format({'c', 16}, 'c', 16);
}

TEST(AnySamples, FramesWithoutChannelsRefused) {
  const float data[4] = {};
  tazu::AnySamples s{{'f', 4}, reinterpret_cast<const std::byte*>(data), 4, 0, 0, 4};
  EXPECT_THROW(tazu::audio_bar_heights(s, 0, 4, 2), tazu::BadValue);
}
