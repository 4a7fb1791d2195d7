#include "tazu/waveform.hpp"

#include <algorithm>
#include <cmath>

namespace tazu::audio {

double nice_step(double raw) {
  if (!(raw > 0)) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (raw <= m * power) return m * power;
  return 10 * power;
}

WaveformPlot waveform_plot(const Buffer& clip, int width, int height) {
  using P = WaveformPlot;
  WaveformPlot p;
  p.width = std::max(1, width - P::kLeft - P::kRight);
  p.height = std::max(1, height - P::kTop - P::kBottom);
  const double mid = P::kTop + p.height / 2.0;
  auto y_of = [&](double level) { return mid - std::clamp(level, -1.0, 1.0) * p.height / 2; };
  for (double level : P::kLevels) p.level_y.push_back(y_of(level));

  const double seconds = clip.seconds();
  if (seconds > 0) {
    // Added up step by step, as the labels were always written.
    const double step = nice_step(seconds / 10);
    for (double t = 0.0; t <= seconds + 1e-9; t += step) {
      p.tick_seconds.push_back(t);
      p.tick_x.push_back(P::kLeft + t / seconds * p.width);
    }
  }
  const Envelope e = envelope(clip, static_cast<std::size_t>(p.width));
  for (std::size_t x = 0; x < e.max.size(); ++x) {
    const double top = y_of(e.max[x]);
    p.column_top.push_back(top);
    p.column_bottom.push_back(std::max(y_of(e.min[x]), top + 1));
  }
  return p;
}

}  // namespace tazu::audio
