// Fades, gain, compressor, silence shortening, waveform envelope.
#include <algorithm>
#include <cmath>
#include <limits>

#include "tazu/audio.hpp"

namespace tazu::audio {

namespace {

double db_to_amp(double db) { return std::pow(10.0, db / 20.0); }

void check_finite(double v, const char* what) {
  if (!std::isfinite(v))
    throw std::invalid_argument(std::string(what) + " must be a finite number");
}

// A count of frames from a length, at most `limit`; compared in floating
// point so that a huge length cannot wrap around on the way to a count.
std::size_t frames_upto(double frames, std::size_t limit) {
  const double f = std::round(frames);
  return f >= double(limit) ? limit : std::size_t(f);
}

std::size_t frames_for(const Buffer& b, double seconds, const char* what) {
  check_finite(seconds, what);
  if (seconds < 0) throw std::invalid_argument(std::string(what) + " must not be negative");
  return frames_upto(seconds * b.rate, b.frames());
}

}  // namespace

void fade_in(Buffer& b, double seconds) {
  const std::size_t n = frames_for(b, seconds, "fade-in length");
  const int ch = b.channels;
  // Gain reaches 1 on the first frame after the fade; frame 0 is exactly silent.
  for (std::size_t i = 0; i < n; ++i) {
    const float g = float(double(i) / n);
    for (int c = 0; c < ch; ++c) b.samples[i * ch + c] *= g;
  }
}

void fade_out(Buffer& b, double seconds) {
  const std::size_t n = frames_for(b, seconds, "fade-out length");
  const std::size_t total = b.frames();
  const int ch = b.channels;
  // The last frame is exactly silent.
  for (std::size_t k = 0; k < n; ++k) {
    const float g = n > 1 ? float(double(n - 1 - k) / n) : 0.0f;
    const std::size_t i = total - n + k;
    for (int c = 0; c < ch; ++c) b.samples[i * ch + c] *= g;
  }
}

void gain_db(Buffer& b, double db) {
  check_finite(db, "gain");
  const float g = float(db_to_amp(db));
  for (float& s : b.samples) s *= g;
}

void compress(Buffer& b, const CompressorSettings& s) {
  check_finite(s.threshold_db, "compressor threshold");
  check_finite(s.ratio, "compressor ratio");
  check_finite(s.attack_ms, "attack time");
  check_finite(s.release_ms, "release time");
  if (s.ratio < 1) throw std::invalid_argument("compressor ratio must be at least 1");
  if (s.attack_ms < 0 || s.release_ms < 0)
    throw std::invalid_argument("attack and release times must not be negative");

  const double rate = b.rate;
  auto coeff = [rate](double ms) { return ms > 0 ? std::exp(-1000.0 / (ms * rate)) : 0.0; };
  const double att = coeff(s.attack_ms), rel = coeff(s.release_ms);
  const double thr = db_to_amp(s.threshold_db);
  const double slope = 1.0 / s.ratio - 1.0;  // exponent of the gain above threshold
  const int ch = b.channels;
  const std::size_t n = b.frames();
  float* x = b.samples.data();
  const double peak_before = s.keep_peak ? std::pow(10.0, peak_db(b) / 20.0) : 0.0;
  double env = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    double peak = std::fabs(x[i * ch]);
    if (ch == 2) peak = std::max(peak, double(std::fabs(x[i * ch + 1])));
    const double a = peak > env ? att : rel;
    env = peak + a * (env - peak);
    if (env > thr) {
      const float g = float(std::pow(env / thr, slope));
      for (int c = 0; c < ch; ++c) x[i * ch + c] *= g;
    }
  }
  if (s.keep_peak && peak_before > 0) {
    const double peak_after = std::pow(10.0, peak_db(b) / 20.0);
    if (peak_after > 0) {
      // In double: after a very deep threshold the make-up gain can pass the
      // float range, and silent samples times an infinite gain would be NaN.
      const double makeup = peak_before / peak_after;
      for (float& v : b.samples) v = float(v * makeup);
    }
  }
}

void limit(Buffer& b, const LimiterSettings& s) {
  check_finite(s.ceiling_db, "limiter ceiling");
  check_finite(s.lookahead_ms, "look-ahead time");
  check_finite(s.release_ms, "release time");
  if (s.lookahead_ms < 0 || s.release_ms < 0)
    throw std::invalid_argument("look-ahead and release times must not be negative");
  const double ceiling = db_to_amp(s.ceiling_db);
  const int ch = b.channels;
  const std::size_t n = b.frames();
  float* x = b.samples.data();

  // Gain a frame needs on its own to stay under the ceiling.
  auto need = [&](std::size_t i) {
    double peak = std::fabs(x[i * ch]);
    if (ch == 2) peak = std::max(peak, double(std::fabs(x[i * ch + 1])));
    return peak > ceiling ? ceiling / peak : 1.0;
  };
  bool over = false;
  for (std::size_t i = 0; i < n && !over; ++i) over = need(i) < 1.0;
  if (!over) return;

  // Lowest need over the coming look-ahead window (a sliding minimum), then a
  // slow rise afterwards, then the mean over the past window. Every window that
  // averages into a peak's gain contains that peak, so the peak ends at or
  // under the ceiling while the gain moves smoothly. Only a window's worth of
  // values is kept: frames ahead are read before they are changed.
  // A window longer than the sound behaves as one of the sound's length plus
  // gain-1 frames before it: the rings need no more than n entries, and the
  // window's length only divides.
  const double win = std::max(1.0, std::floor(s.lookahead_ms * b.rate / 1000.0));
  const std::size_t ring = frames_upto(win, n);
  const double rel = s.release_ms > 0 ? std::exp(-1000.0 / (s.release_ms * b.rate)) : 0.0;
  std::vector<std::size_t> q(ring + 1);  // ring of frame indices, needs increasing
  std::vector<double> ahead(ring), held(ring, 1.0);
  std::size_t head = 0, tail = 0, next = 0;  // q holds positions head..tail-1
  double last = 1.0, sum = win;              // frames before the start count as gain 1
  for (std::size_t i = 0; i < n; ++i) {
    for (; next < std::min(n, i + ring); ++next) {
      const double v = need(next);
      ahead[next % ring] = v;
      while (tail > head && ahead[q[(tail - 1) % q.size()] % ring] >= v) --tail;
      q[tail++ % q.size()] = next;
    }
    while (q[head % q.size()] < i) ++head;
    const double m = ahead[q[head % q.size()] % ring];
    last = m < last ? m : m + (last - m) * rel;
    if (last > 1.0 - 1e-4) last = 1.0;  // back to unity: within a thousandth of a dB
    sum += last - held[i % ring];
    held[i % ring] = last;
    const double g = std::min(1.0, sum / win);
    for (int c = 0; c < ch; ++c)
      x[i * ch + c] = float(std::clamp(x[i * ch + c] * g, -ceiling, ceiling));
  }
}

void shorten_silence(Buffer& b, const SilenceSettings& s) {
  check_finite(s.threshold_db, "silence threshold");
  check_finite(s.min_silence_ms, "minimum silence length");
  check_finite(s.noise_floor_db, "noise floor");
  if (s.min_silence_ms < 0)
    throw std::invalid_argument("minimum silence length must not be negative");

  const int ch = b.channels;
  const std::size_t n = b.frames();
  const std::size_t win = std::max<std::size_t>(1, std::size_t(b.rate / 100));  // 10 ms
  const std::size_t windows = (n + win - 1) / win;
  if (windows == 0) return;

  // Mean square per window, compared without logarithms.
  const double thr_ms = std::pow(10.0, s.threshold_db / 10.0);
  const double floor_ms = std::pow(10.0, s.noise_floor_db / 10.0);
  std::vector<unsigned char> quiet(windows), below_floor(windows);
  const float* x = b.samples.data();
  for (std::size_t w = 0; w < windows; ++w) {
    const std::size_t a = w * win * ch, e = std::min(n, (w + 1) * win) * ch;
    double sum = 0;
    for (std::size_t i = a; i < e; ++i) sum += double(x[i]) * x[i];
    const double ms = sum / double(e - a);
    quiet[w] = ms < thr_ms;
    below_floor[w] = ms < floor_ms;
  }

  // Gate: inside silences, windows under the noise floor go to zero. Ramps stay
  // inside the gated windows, next to kept sound, so speech onsets are untouched.
  std::vector<unsigned char> gated(windows);
  for (std::size_t w = 0; w < windows; ++w) gated[w] = quiet[w] && below_floor[w];
  float* g = b.samples.data();
  for (std::size_t w = 0; w < windows; ++w) {
    if (!gated[w]) continue;
    const std::size_t a = w * win, e = std::min(n, (w + 1) * win), len = e - a;
    const bool open_before = w > 0 && !gated[w - 1];
    const bool open_after = w + 1 < windows && !gated[w + 1];
    for (std::size_t i = a; i < e; ++i) {
      float gain = 0.0f;
      const double k = double(i - a) + 0.5;
      if (open_before) gain = std::max(gain, float(1.0 - 2.0 * k / len));
      if (open_after) gain = std::max(gain, float(2.0 * k / len - 1.0));
      for (int c = 0; c < ch; ++c) g[i * ch + c] *= gain;
    }
  }

  // Cut long silences down to the minimum length.
  const std::size_t keep = frames_upto(s.min_silence_ms * b.rate / 1000.0, n);
  const std::size_t xfade_max = std::max<std::size_t>(1, std::size_t(b.rate / 200));  // 5 ms
  std::vector<float> out;
  out.reserve(b.samples.size());
  const float* y = b.samples.data();
  std::size_t copied = 0;  // frames of the input already placed in `out`
  std::size_t w = 0;
  while (w < windows) {
    if (!quiet[w]) {
      ++w;
      continue;
    }
    std::size_t w_end = w;
    while (w_end < windows && quiet[w_end]) ++w_end;
    const std::size_t a = w * win, e = std::min(n, w_end * win);
    w = w_end;
    if (e - a <= keep) continue;
    const std::size_t head = keep / 2, tail = keep - head;
    const std::size_t xf = std::min(tail, xfade_max);
    out.insert(out.end(), y + copied * ch, y + (a + head) * ch);
    const std::size_t t0 = e - tail;
    for (std::size_t k = 0; k < xf; ++k) {
      const float wgt = float(double(k + 1) / (xf + 1));
      for (int c = 0; c < ch; ++c)
        out.push_back(y[(a + head + k) * ch + c] * (1 - wgt) + y[(t0 + k) * ch + c] * wgt);
    }
    copied = t0 + xf;
  }
  if (copied == 0) return;  // nothing was cut
  out.insert(out.end(), y + copied * ch, y + n * ch);
  b.samples = std::move(out);
}

Envelope envelope(const Buffer& b, std::size_t columns) {
  Envelope env;
  env.min.assign(columns, 0.0f);
  env.max.assign(columns, 0.0f);
  const std::size_t n = b.frames();
  if (columns == 0 || n == 0) return env;
  const int ch = b.channels;
  for (std::size_t c = 0; c < columns; ++c) {
    const std::size_t a = c * n / columns, e = (c + 1) * n / columns;
    if (a >= e) continue;
    float lo = std::numeric_limits<float>::max(), hi = std::numeric_limits<float>::lowest();
    for (std::size_t i = a * ch; i < e * ch; ++i) {
      lo = std::min(lo, b.samples[i]);
      hi = std::max(hi, b.samples[i]);
    }
    env.min[c] = lo;
    env.max[c] = hi;
  }
  return env;
}

double peak_db(const Buffer& b) {
  float p = 0;
  for (float s : b.samples) p = std::max(p, std::fabs(s));
  return p > 0 ? 20.0 * std::log10(double(p)) : -std::numeric_limits<double>::infinity();
}

double rms_db(const Buffer& b) {
  if (b.samples.empty()) return -std::numeric_limits<double>::infinity();
  double sum = 0;
  for (float s : b.samples) sum += double(s) * s;
  const double ms = sum / double(b.samples.size());
  return ms > 0 ? 10.0 * std::log10(ms) : -std::numeric_limits<double>::infinity();
}

}  // namespace tazu::audio
