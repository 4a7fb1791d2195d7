// What a right click on a segment of the timeline strip asks for: stitching it
// to a neighbour when the click lands near an edge, cutting it elsewhere.
#pragma once

namespace tazu {

// The button's colours unless the host gives its own, and its border.
struct Rgb {
  int r = 0, g = 0, b = 0;
};
inline constexpr Rgb kInactiveColour{22, 22, 22};
inline constexpr Rgb kActiveColour{0, 128, 128};
inline constexpr Rgb kSelectedColour{0, 111, 111};
inline constexpr Rgb kBorderColour{130, 130, 130};

// The mouse button whose release on a weighted segment cuts or stitches.
inline constexpr int kCutStitchButton = 3;

enum class SegmentEdit { StitchLeft, StitchRight, Cut };

// Strictly closer than `threshold` to the left edge stitches left, then the
// right edge stitches right; anything else cuts.
SegmentEdit segment_edit_at(double x, double left, double right, double threshold);

// Where a cut at `x` falls, as a fraction of the width; a zero width throws
// DivisionByZero.
double cut_ratio(double x, double left, double width);

// Cut and stitch requests are accepted at most once per this many seconds.
inline constexpr double kCutStitchInterval = 3.0;

// Whether a request `elapsed` seconds after the previous one must be refused.
// A negative span (the wall clock was set back) does not lock the user out.
bool cut_stitch_throttled(double elapsed);

}  // namespace tazu
