// Where a waveform picture of a clip draws its parts: the plot area inside
// fixed margins (room for the level labels on the left and the time labels
// below), the level grid, time ticks at a round step, and each column's
// stretch of the waveform. Pixels, y down; levels are sample values, +1 at the
// top of the plot and -1 at its bottom.
#pragma once

#include <vector>

#include "tazu/audio.hpp"

namespace tazu::audio {

// The smallest of 1, 2, 5 and 10 times a power of ten that is at least `raw`;
// 1 for a step of 0 or less (or not a number).
double nice_step(double raw);

struct WaveformPlot {
  static constexpr int kLeft = 60, kTop = 20, kRight = 20, kBottom = 40;
  static constexpr double kLevels[] = {1.0, 0.5, 0.0, -0.5, -1.0};

  int width = 1;  // the plot area from (kLeft, kTop), at least a pixel each way
  int height = 1;
  std::vector<double> level_y;  // y of each of kLevels
  // Time ticks from 0 to the clip's end, about ten, at a round step: the time
  // and its x. None for a clip of no length.
  std::vector<double> tick_seconds, tick_x;
  // Per column of the plot, the top and bottom y of the samples it covers
  // (clipped to ±1), the bottom at least a pixel below the top.
  std::vector<double> column_top, column_bottom;
};

// The plot of `clip` in a picture of `width` × `height` pixels.
WaveformPlot waveform_plot(const Buffer& clip, int width, int height);

}  // namespace tazu::audio
