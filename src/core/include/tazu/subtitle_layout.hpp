// Subtitles drawn into a picture: how large, how outlined and where. Pixels,
// y down.
#pragma once

#include <utility>
#include <vector>

namespace tazu::subtitles {

using Pixel = std::pair<int, int>;  // (x, y), or (width, height)

struct Style {
  int font_size = 12;     // 5.5 % of the picture's height, at least 12
  int outline = 1;        // the outline's width: a twelfth of the font size, at least 1
  double wrap_width = 0;  // a line wider than this (80 % of the picture's width) wraps
  // Where the outline copy of a line is drawn, from the line's own place:
  // every offset within the outline's width (a little more than its radius,
  // so the round edge stays full).
  std::vector<Pixel> outline_offsets;
};

// The style for a picture of `width` × `height`; halves round to even.
Style style(int width, int height);

// Where the pictures of a cue's lines, of `sizes`, go in a picture of `width`
// × `height`: top to bottom, each centred across (a line wider than the picture
// sticks out on both sides), the last one's bottom on the bottom edge of the
// title-safe area (the inner 90 % of the picture). Top-left corners.
std::vector<Pixel> places(int width, int height, const std::vector<Pixel>& sizes);

}  // namespace tazu::subtitles
