#include "tazu/segment_button.hpp"

#include <cmath>

namespace tazu {

SegmentEdit segment_edit_at(double x, double left, double right, double threshold) {
  if (std::fabs(x - left) < threshold) return SegmentEdit::StitchLeft;
  if (std::fabs(x - right) < threshold) return SegmentEdit::StitchRight;
  return SegmentEdit::Cut;
}

std::optional<double> cut_ratio(double x, double left, double width) {
  if (width == 0) return std::nullopt;
  return (x - left) / width;
}

bool cut_stitch_throttled(double elapsed) { return elapsed >= 0 && elapsed < kCutStitchInterval; }

}  // namespace tazu
