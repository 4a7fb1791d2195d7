#include "tazu/audio_bars.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "tazu/errors.hpp"

namespace tazu {

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

namespace {

template <typename T>
T load(const std::byte* p) {
  // memcpy: numpy views may be unaligned.
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

template <typename T>
Magnitude<T> magnitude(T v) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::fabs(static_cast<double>(v));
  } else if constexpr (std::is_signed_v<T>) {
    // Negate in unsigned arithmetic so the most negative value does not wrap.
    return v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  } else {
    return static_cast<std::uint64_t>(v);
  }
}

// Calls `take` with every sample of frames [first, last), read as a V (the
// sample type or its bit pattern). One contiguous channel gets a plain loop
// the compiler can vectorise.
template <typename V, typename T, typename Take>
void for_each_sample(const SampleView<T>& s, std::int64_t first, std::int64_t last, Take take) {
  static_assert(sizeof(V) == sizeof(T));
  if (s.channels == 1 && s.frame_stride == static_cast<std::int64_t>(sizeof(T))) {
    const std::byte* p = s.data + first * s.frame_stride;
    for (std::int64_t i = 0; i < last - first; ++i) take(load<V>(p + i * sizeof(T)));
  } else {
    for (std::int64_t f = first; f < last; ++f)
      for (std::int64_t c = 0; c < s.channels; ++c)
        take(load<V>(s.data + f * s.frame_stride + c * s.channel_stride));
  }
}

// Peak magnitude of frames [first, last).
template <typename T>
Magnitude<T> peak(const SampleView<T>& s, std::int64_t first, std::int64_t last) {
  if constexpr (std::is_floating_point_v<T>) {
    // With the sign bit cleared, IEEE bit patterns order like the magnitudes,
    // and any NaN sorts above infinity: an integer maximum (which vectorises)
    // gives the peak and lets a NaN through.
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    constexpr Bits kMagnitude = ~Bits{0} >> 1;
    Bits best = 0;
    for_each_sample<Bits>(s, first, last,
                          [&](Bits b) { best = std::max<Bits>(best, b & kMagnitude); });
    T peak_value;
    std::memcpy(&peak_value, &best, sizeof(T));
    return static_cast<double>(peak_value);
  } else {
    // Smallest and largest value first (cheap, vectorises), magnitude once.
    T lo = std::numeric_limits<T>::max();
    T hi = std::numeric_limits<T>::lowest();
    for_each_sample<T>(s, first, last, [&](T v) {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    });
    return std::max(magnitude(lo), magnitude(hi));
  }
}

}  // namespace

std::optional<BarLayout> bar_layout(std::int64_t frames, std::int64_t start_sample,
                                    std::int64_t end_sample, std::int64_t bars) {
  if (bars <= 0) throw std::invalid_argument("bar count must be positive");
  // Negative indexes would otherwise reach samples from the end of the data.
  std::int64_t begin = std::max<std::int64_t>(start_sample, 0);
  std::int64_t end = std::clamp<std::int64_t>(end_sample, 0, std::max<std::int64_t>(frames, 0));
  if (end <= begin) return std::nullopt;
  BarLayout layout;
  layout.begin = begin;
  layout.length = end - begin;
  layout.samples_per_bar = std::max<std::int64_t>(1, layout.length / bars);
  return layout;
}

template <typename T>
std::optional<std::vector<std::optional<Magnitude<T>>>> audio_bar_peaks(
    const SampleView<T>& samples, std::int64_t start_sample, std::int64_t end_sample,
    std::int64_t bars) {
  auto layout = bar_layout(samples.frames, start_sample, end_sample, bars);
  if (!layout) return std::nullopt;
  std::vector<std::optional<Magnitude<T>>> out(static_cast<std::size_t>(bars));
  const std::int64_t step = layout->samples_per_bar;
  // Bars past the segment stay empty; a remainder that does not fill a bar is
  // left out.
  const std::int64_t filled = std::min(bars, (layout->length + step - 1) / step);
  for (std::int64_t i = 0; i < filled; ++i) {
    std::int64_t first = layout->begin + i * step;
    std::int64_t last = layout->begin + std::min((i + 1) * step, layout->length);
    out[static_cast<std::size_t>(i)] = peak(samples, first, last);
  }
  return out;
}

double round_to_cents(double value) {
  if (!std::isfinite(value)) return value;
  // Shortest route to Python's behaviour: print with two decimals (correctly
  // rounded, ties to even on the exact binary value) and read it back.
  char buf[400];
  auto printed = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  double out = value;
  std::from_chars(buf, printed.ptr, out, std::chars_format::fixed);
  // Keep the sign of a value that rounds to zero, as Python does (-0.001 -> -0.0).
  return std::copysign(out, value);
}

bool readable(SampleFormat f) {
  switch (f.kind) {
    case 'i':
    case 'u':
      return f.bytes == 1 || f.bytes == 2 || f.bytes == 4 || f.bytes == 8;
    case 'f':
      return f.bytes == 4 || f.bytes == 8;
  }
  return false;
}

SampleFormat read_as(SampleFormat f) {
  if (f.kind == 'f' && f.bytes < 4) return {'f', 4};
  if (f.kind == 'f' && f.bytes > 8) return {'f', 8};
  return f;
}

void check_bar_count(std::int64_t bars) {
  if (bars == 0) throw DivisionByZero("integer division or modulo by zero");
  if (bars < 0) throw BadValue("the number of bars must not be negative");
}

namespace {

template <typename T>
std::optional<std::vector<BarHeight>> heights_of(const AnySamples& s, std::int64_t start,
                                                 std::int64_t end, std::int64_t bars) {
  const SampleView<T> view{s.data, s.frames, s.frame_stride, s.channels, s.channel_stride};
  auto peaks = audio_bar_peaks(view, start, end, bars);
  if (!peaks) return std::nullopt;
  std::vector<BarHeight> out(peaks->size());
  for (std::size_t i = 0; i < peaks->size(); ++i) {
    const auto& p = (*peaks)[i];
    if (!p) continue;
    if constexpr (std::is_floating_point_v<T>)
      out[i] = {false, 0, round_to_cents(*p)};
    else
      out[i] = {true, *p, 0};
  }
  return out;
}

}  // namespace

std::optional<std::vector<BarHeight>> audio_bar_heights(const AnySamples& s, std::int64_t start,
                                                        std::int64_t end, std::int64_t bars) {
  if (s.channels == 0) throw BadValue("audio samples have no channel");
  const auto [kind, bytes] = s.format;
  if (kind == 'f' && bytes == 4) return heights_of<float>(s, start, end, bars);
  if (kind == 'f' && bytes == 8) return heights_of<double>(s, start, end, bars);
  if (kind == 'i' && bytes == 1) return heights_of<std::int8_t>(s, start, end, bars);
  if (kind == 'i' && bytes == 2) return heights_of<std::int16_t>(s, start, end, bars);
  if (kind == 'i' && bytes == 4) return heights_of<std::int32_t>(s, start, end, bars);
  if (kind == 'i' && bytes == 8) return heights_of<std::int64_t>(s, start, end, bars);
  if (kind == 'u' && bytes == 1) return heights_of<std::uint8_t>(s, start, end, bars);
  if (kind == 'u' && bytes == 2) return heights_of<std::uint16_t>(s, start, end, bars);
  if (kind == 'u' && bytes == 4) return heights_of<std::uint32_t>(s, start, end, bars);
  if (kind == 'u' && bytes == 8) return heights_of<std::uint64_t>(s, start, end, bars);
  throw WrongKind("audio samples must be integers or floats");
}

#define TAZU_BARS(T)                                                                \
  template std::optional<std::vector<std::optional<Magnitude<T>>>> audio_bar_peaks( \
      const SampleView<T>&, std::int64_t, std::int64_t, std::int64_t);
TAZU_BARS(std::int8_t)
TAZU_BARS(std::int16_t)
TAZU_BARS(std::int32_t)
TAZU_BARS(std::int64_t)
TAZU_BARS(std::uint8_t)
TAZU_BARS(std::uint16_t)
TAZU_BARS(std::uint32_t)
TAZU_BARS(std::uint64_t)
TAZU_BARS(float)
TAZU_BARS(double)
#undef TAZU_BARS

}  // namespace tazu
