// Waveform bars: the peak magnitude of each of N equal stretches of a segment of
// audio samples, read in place from a strided buffer (such as a numpy array).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <vector>

namespace tazu {

// Samples laid out as `frames` rows along time, each holding `channels` values.
// Strides are in bytes and may be negative or unaligned, as numpy allows.
template <typename T>
struct SampleView {
  const std::byte* data = nullptr;
  std::int64_t frames = 0;
  std::int64_t frame_stride = sizeof(T);
  std::int64_t channels = 1;
  std::int64_t channel_stride = sizeof(T);
};

// Integer samples report their magnitude as an unsigned number so that the most
// negative value keeps its true size (|-32768| is 32768, not -32768).
template <typename T>
using Magnitude = std::conditional_t<std::is_integral_v<T>, std::uint64_t, double>;

// Which samples the bars cover.
struct BarLayout {
  std::int64_t begin = 0;            // first frame of the segment
  std::int64_t length = 0;           // frames in the segment, > 0
  std::int64_t samples_per_bar = 1;  // frames per bar, >= 1
};

// The segment [start_sample, end_sample) of `frames` frames split into `bars`
// bars. Indexes below 0 count as 0 and an end past the data as the data's end.
// Returns nullopt when the segment is empty. `bars` must be positive.
std::optional<BarLayout> bar_layout(std::int64_t frames, std::int64_t start_sample,
                                    std::int64_t end_sample, std::int64_t bars);

// Peak absolute value of every bar; an entry is nullopt when its bar holds no
// sample (the segment is shorter than the bar count). A NaN sample makes its
// bar NaN. Returns nullopt when the segment is empty.
template <typename T>
std::optional<std::vector<std::optional<Magnitude<T>>>> audio_bar_peaks(
    const SampleView<T>& samples, std::int64_t start_sample, std::int64_t end_sample,
    std::int64_t bars);

// The element type of a buffer of samples, told as numpy tells it: a kind
// ('i' signed integer, 'u' unsigned integer, 'f' float) and a size in bytes.
struct SampleFormat {
  char kind = 'f';
  std::size_t bytes = 8;
};

// Whether bars can be read from the type: integers of 1, 2, 4 or 8 bytes and
// floats of 4 or 8 bytes, in the machine's byte order.
bool readable(SampleFormat format);

// The format to convert samples to before reading them: half and extended
// precision floats (rare in audio) as 4- and 8-byte floats; any other format
// as it is.
SampleFormat read_as(SampleFormat format);

// Samples of any readable type, laid out as in SampleView.
struct AnySamples {
  SampleFormat format;
  const std::byte* data = nullptr;
  std::int64_t frames = 0;
  std::int64_t frame_stride = 0;
  std::int64_t channels = 1;
  std::int64_t channel_stride = 0;
};

// One bar as the host sees it: an empty bar is the whole number 0, an integer
// peak a whole magnitude, a float peak its value rounded to cents.
struct BarHeight {
  bool whole = true;
  std::uint64_t magnitude = 0;
  double value = 0;
};

// Refuses a bar count the bars cannot be split by: 0 with DivisionByZero (as
// Python's floor division by 0), a negative count with BadValue.
void check_bar_count(std::int64_t bars);

// The bars of a buffer of any readable type (an unreadable one throws
// WrongKind, frames of no channel BadValue); nullopt when the segment is
// empty. `bars` must be positive.
std::optional<std::vector<BarHeight>> audio_bar_heights(const AnySamples& samples,
                                                        std::int64_t start_sample,
                                                        std::int64_t end_sample, std::int64_t bars);

// `value` rounded to two decimal places the way Python's round(value, 2)
// rounds a float: to the nearest double of the correctly rounded decimal.
double round_to_cents(double value);

extern template std::optional<std::vector<std::optional<Magnitude<std::int8_t>>>> audio_bar_peaks(
    const SampleView<std::int8_t>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<std::int16_t>>>> audio_bar_peaks(
    const SampleView<std::int16_t>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<std::int32_t>>>> audio_bar_peaks(
    const SampleView<std::int32_t>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<std::int64_t>>>> audio_bar_peaks(
    const SampleView<std::int64_t>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<std::uint8_t>>>> audio_bar_peaks(
    const SampleView<std::uint8_t>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<std::uint16_t>>>> audio_bar_peaks(
    const SampleView<std::uint16_t>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<std::uint32_t>>>> audio_bar_peaks(
    const SampleView<std::uint32_t>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<std::uint64_t>>>> audio_bar_peaks(
    const SampleView<std::uint64_t>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<float>>>> audio_bar_peaks(
    const SampleView<float>&, std::int64_t, std::int64_t, std::int64_t);
extern template std::optional<std::vector<std::optional<Magnitude<double>>>> audio_bar_peaks(
    const SampleView<double>&, std::int64_t, std::int64_t, std::int64_t);

}  // namespace tazu
