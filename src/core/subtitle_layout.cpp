#include "tazu/subtitle_layout.hpp"

#include <algorithm>
#include <cmath>

namespace tazu::subtitles {

Style style(int width, int height) {
  Style s;
  s.font_size = std::max(12, static_cast<int>(std::nearbyint(height * 0.055)));
  s.outline = std::max(1, static_cast<int>(std::nearbyint(s.font_size / 12.0)));
  s.wrap_width = width * 0.8;
  const int o = s.outline;
  for (int dx = -o; dx <= o; ++dx)
    for (int dy = -o; dy <= o; ++dy)
      if (dx * dx + dy * dy <= o * o + o) s.outline_offsets.emplace_back(dx, dy);
  return s;
}

std::vector<Pixel> places(int width, int height, const std::vector<Pixel>& sizes) {
  long long tall = 0;
  for (const Pixel& size : sizes) tall += size.second;
  int y = static_cast<int>(std::nearbyint(height * 0.95 - static_cast<double>(tall)));
  std::vector<Pixel> out;
  for (const auto& [w, h] : sizes) {
    const int spare = width - w;  // halved toward minus infinity, as the pixels always were
    out.emplace_back(spare >= 0 ? spare / 2 : -((-spare + 1) / 2), y);
    y += h;
  }
  return out;
}

}  // namespace tazu::subtitles
