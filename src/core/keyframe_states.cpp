#include "tazu/keyframe_states.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tazu/errors.hpp"

namespace tazu::keyframes {

bool saves_into_stored(double k, double count) { return k >= 0 && k < count; }

bool switches_to_stored(double k, double count) { return !(k > count - 1); }

bool adds_at(double k) { return k >= 0; }

Deletion deletion(double k, double rows, double count) {
  if (k > rows - 1) return Deletion::nothing;
  return switches_to_stored(k, count) ? Deletion::stored : Deletion::live;
}

bool shown_whole(double v) { return std::isfinite(v) && v == std::trunc(v); }

double typed_scale(double scale, double display) {
  const double v = divide(scale, display, "显示比例为 0，无法换算图层比例");
  if (!std::isfinite(v)) return v;
  // printf's conversion is exact and rounds ties to even, as round() does.
  char text[400];
  std::snprintf(text, sizeof text, "%.4f", v);
  return std::strtod(text, nullptr);
}

}  // namespace tazu::keyframes
