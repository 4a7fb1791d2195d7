#include "tazu/popup.hpp"

#include "tazu/menu_layout.hpp"

namespace tazu::popup {

double Column::row_top(std::size_t i) const { return static_cast<double>(i) * row_height + top; }

long long Column::row_under(Vec2 point) const {
  return row_at(origin.x, origin.y + top, width, row_height, rows, point.x, point.y);
}

Shade row_shade(const Column& column, std::size_t i, std::optional<double> selected, Vec2 pointer) {
  if (selected && *selected == static_cast<double>(i)) return Shade::selected;
  const Box row{column.origin.x, column.origin.y + column.row_top(i), column.width,
                column.row_height};
  return contains_inclusive(row, pointer.x, pointer.y) ? Shade::hovered : Shade::plain;
}

}  // namespace tazu::popup
