// The rows of the icon's pop-ups (context menu, keyframe-state selector) as
// they are drawn and clicked: where each row stands and how it is shaded under
// the pointer.
#pragma once

#include <cstddef>
#include <optional>

#include "tazu/geometry.hpp"

namespace tazu::popup {

// A column of `rows` rows of `row_height`, the first `top` below the pop-up's
// top-left corner `origin` on the screen.
struct Column {
  Vec2 origin;
  double width = 0;
  double row_height = 0;
  double top = 0;
  std::size_t rows = 0;

  // Top of row i on the pop-up's own surface: i * row_height + top.
  double row_top(std::size_t i) const;
  // The row under a screen point; borders count as inside, so the bottom
  // border gives `rows`, one past the last row. -1 outside.
  long long row_under(Vec2 point) const;
};

enum class Shade { plain, hovered, selected };

// How row i is drawn: the selected row dark, otherwise light while the
// pointer is on it (its borders included, so a pointer on the line between
// two rows lights both).
Shade row_shade(const Column& column, std::size_t i, std::optional<double> selected, Vec2 pointer);

}  // namespace tazu::popup
