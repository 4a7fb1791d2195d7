// Audio operations on random buffers with random parameters: a few operations
// in a row on one buffer, each checked for what it promises.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "fuzz_input.hpp"
#include "tazu/audio.hpp"

namespace ta = tazu::audio;

namespace {

constexpr int kRates[] = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000, 96000, 768000};

int take_rate(fuzz::Input& in) {
  const std::uint8_t pick = in.u8();
  if (pick < 200) return kRates[pick % std::size(kRates)];
  return int(in.u32() % 768000) + 1;
}

// Samples: int16 / 32768 mostly, raw floats (NaN, infinity, huge) when asked.
ta::Buffer take_buffer(fuzz::Input& in, std::size_t max_frames) {
  ta::Buffer b;
  b.rate = take_rate(in);
  b.channels = in.flag() ? 2 : 1;
  const bool raw = in.u8() == 0xff;
  std::size_t frames = std::min<std::size_t>(in.u16(), max_frames);
  b.samples.reserve(frames * b.channels);
  for (std::size_t i = 0; i < frames * b.channels && !in.empty(); ++i) {
    if (raw) {
      const std::uint32_t bits = in.u32();
      float v;
      std::memcpy(&v, &bits, sizeof v);
      b.samples.push_back(v);
    } else {
      b.samples.push_back(std::int16_t(in.u16()) / 32768.0f);
    }
  }
  b.samples.resize(b.samples.size() / b.channels * b.channels);
  return b;
}

bool all_finite(const ta::Buffer& b, float limit = std::numeric_limits<float>::max()) {
  return std::all_of(b.samples.begin(), b.samples.end(),
                     [limit](float v) { return std::isfinite(v) && std::fabs(v) <= limit; });
}

float peak(const ta::Buffer& b) {
  float p = 0;
  for (float v : b.samples) p = std::max(p, std::fabs(v));
  return p;
}

void check_shape(const ta::Buffer& b, int rate, int channels) {
  FUZZ_CHECK(b.rate == rate && b.channels == channels);
  FUZZ_CHECK(b.samples.size() % std::size_t(channels) == 0);
}

// Frames a length in seconds covers, as the operations count them.
std::size_t frames_of(double seconds, int rate, std::size_t limit) {
  const double f = std::round(seconds * rate);
  return f >= double(limit) ? limit : std::size_t(f);
}

void operate(fuzz::Input& in, ta::Buffer& b) {
  const int rate = b.rate, ch = b.channels;
  const std::size_t frames = b.frames();
  const bool finite = all_finite(b);
  switch (in.u8() % 11) {
    case 0: {
      const double s = in.number();
      ta::fade_in(b, s);
      check_shape(b, rate, ch);
      FUZZ_CHECK(b.frames() == frames);
      if (finite && frames_of(s, rate, frames) > 0)
        for (int c = 0; c < ch; ++c) FUZZ_CHECK(b.samples[c] == 0);
      break;
    }
    case 1: {
      const double s = in.number();
      ta::fade_out(b, s);
      check_shape(b, rate, ch);
      FUZZ_CHECK(b.frames() == frames);
      if (finite && frames_of(s, rate, frames) > 0)
        for (int c = 0; c < ch; ++c) FUZZ_CHECK(b.samples[(frames - 1) * ch + c] == 0);
      break;
    }
    case 2:
      ta::gain_db(b, in.number());
      check_shape(b, rate, ch);
      FUZZ_CHECK(b.frames() == frames);
      break;
    case 3: {
      ta::CompressorSettings s;
      s.threshold_db = in.number();
      s.ratio = in.number();
      s.attack_ms = in.number();
      s.release_ms = in.number();
      s.keep_peak = in.flag();
      const float before = peak(b);
      ta::compress(b, s);
      check_shape(b, rate, ch);
      FUZZ_CHECK(b.frames() == frames);
      if (finite) {
        FUZZ_CHECK(all_finite(b));
        const float after = peak(b);
        // Make-up gain brings the peak back to where it was.
        if (s.keep_peak && after > 0) FUZZ_CHECK(std::fabs(after - before) <= 1e-5f * before);
      }
      break;
    }
    case 4: {
      ta::LimiterSettings s;
      s.ceiling_db = in.number();
      s.lookahead_ms = in.number();
      s.release_ms = in.number();
      const ta::Buffer before = b;
      ta::limit(b, s);
      check_shape(b, rate, ch);
      FUZZ_CHECK(b.frames() == frames);
      if (finite) {
        const float ceiling = float(std::pow(10.0, s.ceiling_db / 20.0));
        FUZZ_CHECK(peak(b) <= ceiling);
        // Sound that stays under the ceiling is left exactly as it was.
        if (peak(before) <= ceiling) FUZZ_CHECK(b.samples == before.samples);
      }
      break;
    }
    case 5: {
      ta::SilenceSettings s;
      s.threshold_db = in.number();
      s.min_silence_ms = in.number();
      s.noise_floor_db = in.number();
      ta::shorten_silence(b, s);
      check_shape(b, rate, ch);
      FUZZ_CHECK(b.frames() <= frames);
      if (finite && s.threshold_db <= 0) FUZZ_CHECK(all_finite(b));
      break;
    }
    case 6: {
      const std::size_t columns = in.u16();
      const ta::Envelope e = ta::envelope(b, columns);
      FUZZ_CHECK(e.min.size() == columns && e.max.size() == columns);
      if (finite) {
        const float p = peak(b);
        for (std::size_t c = 0; c < columns; ++c)
          FUZZ_CHECK(e.min[c] <= e.max[c] && e.max[c] <= p && -p <= e.min[c]);
      }
      break;
    }
    case 7: {
      const double p = ta::peak_db(b), r = ta::rms_db(b);
      if (finite && frames > 0) FUZZ_CHECK(r <= p + 1e-9 || std::isnan(r));
      if (frames == 0) FUZZ_CHECK(std::isinf(p) && p < 0 && std::isinf(r) && r < 0);
      break;
    }
    case 8: {
      const int to_rate = take_rate(in), to_ch = in.flag() ? 2 : 1;
      // Big upsamplings cost much time and find nothing new.
      if (frames * (double(to_rate) / rate) > 1 << 13) break;
      const ta::Buffer c = ta::convert(b, to_rate, to_ch);
      check_shape(c, to_rate, to_ch);
      FUZZ_CHECK(c.frames() == std::size_t(std::llround(frames * (double(to_rate) / rate))));
      if (all_finite(b, 1e6f)) FUZZ_CHECK(all_finite(c));
      b = c;
      break;
    }
    case 9: {
      const ta::Buffer other = take_buffer(in, 512);
      const ta::Buffer j = ta::join({&b, &other});
      const int r = std::max(rate, other.rate);
      check_shape(j, r, std::max(ch, other.channels));
      // Each part converted on its own, rounded as convert rounds.
      FUZZ_CHECK(j.frames() ==
                 std::size_t(std::llround(frames * (double(r) / rate))) +
                     std::size_t(std::llround(other.frames() * (double(r) / other.rate))));
      b = j;
      break;
    }
    default: {
      const double s = in.number();
      // Lengths that fit in memory are made; those past any buffer must be
      // refused rather than wrap around. What lies between is not tried here.
      const double want = std::round(s * rate) * ch;
      if (want > double(1 << 16) && want < 0x1p62) break;
      const ta::Buffer z = ta::silence(s, rate, ch);
      check_shape(z, rate, ch);
      FUZZ_CHECK(z.frames() == std::size_t(std::llround(s * rate)));
      FUZZ_CHECK(std::all_of(z.samples.begin(), z.samples.end(), [](float v) { return v == 0; }));
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  ta::Buffer b = take_buffer(in, 4096);
  for (int step = 0; step < 4 && !in.empty(); ++step) {
    try {
      operate(in, b);
    } catch (const std::invalid_argument&) {
      // A parameter out of range, refused with a message.
    }
    // Keep the work of one input small after conversions that grow it.
    if (b.samples.size() > 1 << 18) break;
  }
  return 0;
}
