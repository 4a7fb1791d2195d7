// Waveform bars over strided views of every sample type (against a plain
// walk), the layout of bars for any indexes, and rounding to cents.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "fuzz_input.hpp"
#include "tazu/audio_bars.hpp"

namespace {

using tazu::Magnitude;

template <typename T>
Magnitude<T> plain_magnitude(T v) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::fabs(double(v));
  } else if constexpr (std::is_signed_v<T>) {
    // Two's complement: the magnitude of the most negative value is one past the maximum.
    return v == std::numeric_limits<T>::min() ? std::uint64_t(std::numeric_limits<T>::max()) + 1
           : v < 0                            ? std::uint64_t(-v)
                                              : std::uint64_t(v);
  } else {
    return std::uint64_t(v);
  }
}

template <typename T>
bool same(const std::optional<Magnitude<T>>& a, const std::optional<Magnitude<T>>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  if constexpr (std::is_floating_point_v<T>) {
    if (std::isnan(*a) || std::isnan(*b)) return std::isnan(*a) && std::isnan(*b);
  }
  return *a == *b;
}

// A view of `frames` x `channels` samples laid out in `storage` with the given
// strides (in samples, possibly negative), kept inside the storage.
template <typename T>
void check_peaks(fuzz::Input& in) {
  const std::int64_t frames = in.u8() % 65, channels = in.u8() % 4 + 1;
  const std::int64_t fs = std::int8_t(in.u8()) % 9, cs = std::int8_t(in.u8()) % 5;
  const bool unaligned = in.flag();
  // Offsets (in samples) of frame f, channel c: f*fs + c*cs, shifted to start at 0.
  std::int64_t lo = 0, hi = 0;
  for (std::int64_t f : {std::int64_t(0), std::max<std::int64_t>(frames - 1, 0)})
    for (std::int64_t c : {std::int64_t(0), channels - 1}) {
      lo = std::min(lo, f * fs + c * cs);
      hi = std::max(hi, f * fs + c * cs);
    }
  const std::size_t count = std::size_t(hi - lo + 1);
  std::vector<std::byte> storage(count * sizeof(T) + 1);
  for (std::size_t i = 0; i < storage.size(); ++i) storage[i] = std::byte(in.u8());
  tazu::SampleView<T> view;
  view.data = storage.data() + (unaligned ? 1 : 0) + std::size_t(-lo) * sizeof(T);
  view.frames = frames;
  view.frame_stride = fs * std::int64_t(sizeof(T));
  view.channels = channels;
  view.channel_stride = cs * std::int64_t(sizeof(T));
  const auto sample = [&](std::int64_t f, std::int64_t c) {
    T v;
    std::memcpy(&v, view.data + f * view.frame_stride + c * view.channel_stride, sizeof v);
    return v;
  };

  const std::int64_t start = std::int8_t(in.u8()), end = std::int8_t(in.u8());
  const std::int64_t bars = in.u8() % 80 + 1;
  const auto peaks = tazu::audio_bar_peaks(view, start, end, bars);
  const auto layout = tazu::bar_layout(frames, start, end, bars);
  FUZZ_CHECK(peaks.has_value() == layout.has_value());
  if (!peaks) return;
  FUZZ_CHECK(std::int64_t(peaks->size()) == bars);
  // The plain walk: bar i covers frames [begin + i*step, begin + (i+1)*step)
  // cut at the segment's end; bars past the end stay empty.
  const std::int64_t step = layout->samples_per_bar;
  for (std::int64_t i = 0; i < bars; ++i) {
    std::optional<Magnitude<T>> want;
    const std::int64_t first = layout->begin + i * step;
    const std::int64_t last = std::min(first + step, layout->begin + layout->length);
    bool nan = false;
    for (std::int64_t f = first; f < last; ++f)
      for (std::int64_t c = 0; c < channels; ++c) {
        const Magnitude<T> m = plain_magnitude(sample(f, c));
        if constexpr (std::is_floating_point_v<T>) nan = nan || std::isnan(m);
        want = want ? std::max(*want, m) : m;
      }
    if constexpr (std::is_floating_point_v<T>)
      if (nan) want = std::numeric_limits<double>::quiet_NaN();
    FUZZ_CHECK(same<T>((*peaks)[std::size_t(i)], want));
  }
}

void check_layout(fuzz::Input& in) {
  const auto frames = std::int64_t(in.u64()), start = std::int64_t(in.u64()),
             end = std::int64_t(in.u64()), bars = std::int64_t(in.u64());
  try {
    const auto l = tazu::bar_layout(frames, start, end, bars);
    FUZZ_CHECK(bars > 0);
    if (!l) return;
    FUZZ_CHECK(l->begin >= 0 && l->length > 0 && l->samples_per_bar >= 1);
    FUZZ_CHECK(l->begin <= frames - l->length);
    FUZZ_CHECK(l->samples_per_bar <= l->length);
  } catch (const std::invalid_argument&) {
    FUZZ_CHECK(bars <= 0);
  }
}

void check_cents(fuzz::Input& in) {
  const double v = in.number();
  const double r = tazu::round_to_cents(v);
  if (!std::isfinite(v)) {
    FUZZ_CHECK(std::isnan(v) ? std::isnan(r) : r == v);
    return;
  }
  FUZZ_CHECK(std::isfinite(r));
  FUZZ_CHECK(std::signbit(r) == std::signbit(v));
  FUZZ_CHECK(std::fabs(r - v) <= 0.005 + std::fabs(v) * 1e-15);
  FUZZ_CHECK(tazu::round_to_cents(r) == r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  switch (in.u8() % 12) {
    case 0:
      check_peaks<std::int8_t>(in);
      break;
    case 1:
      check_peaks<std::int16_t>(in);
      break;
    case 2:
      check_peaks<std::int32_t>(in);
      break;
    case 3:
      check_peaks<std::int64_t>(in);
      break;
    case 4:
      check_peaks<std::uint8_t>(in);
      break;
    case 5:
      check_peaks<std::uint16_t>(in);
      break;
    case 6:
      check_peaks<std::uint32_t>(in);
      break;
    case 7:
      check_peaks<std::uint64_t>(in);
      break;
    case 8:
      check_peaks<float>(in);
      break;
    case 9:
      check_peaks<double>(in);
      break;
    case 10:
      check_layout(in);
      break;
    default:
      check_cents(in);
      break;
  }
  return 0;
}
