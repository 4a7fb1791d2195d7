#include "tazu/segment_button.hpp"

#include <cmath>

#include "tazu/errors.hpp"

namespace tazu {

SegmentEdit segment_edit_at(double x, double left, double right, double threshold) {
  if (std::fabs(x - left) < threshold) return SegmentEdit::StitchLeft;
  if (std::fabs(x - right) < threshold) return SegmentEdit::StitchRight;
  return SegmentEdit::Cut;
}

double cut_ratio(double x, double left, double width) {
  return divide(x - left, width, "片段宽度为 0，无法切割");
}

bool cut_stitch_throttled(double elapsed) { return elapsed >= 0 && elapsed < kCutStitchInterval; }

}  // namespace tazu
