#include "tazu/menu_layout.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace tazu {

double py_floordiv(double a, double b) {
  // CPython's float floor division: the result stays consistent with fmod, so
  // 1 // 0.1 is 9, not floor(1 / 0.1) = 10.
  double mod = std::fmod(a, b);
  double div = (a - mod) / b;
  if (mod != 0.0) {
    if ((b < 0) != (mod < 0)) div -= 1.0;
  }
  if (div != 0.0) {
    double floordiv = std::floor(div);
    if (div - floordiv > 0.5) floordiv += 1.0;
    return floordiv;
  }
  return std::copysign(0.0, a / b);
}

long long trunc_to_int(double x) {
  if (std::isnan(x)) throw std::domain_error("cannot convert float NaN to integer");
  if (std::isinf(x)) throw std::overflow_error("cannot convert float infinity to integer");
  // 2^63 itself is already out of range; converting it would be undefined.
  constexpr double kLimit = 9223372036854775808.0;
  if (x >= kLimit || x < -kLimit)
    throw std::overflow_error("number too large for a 64-bit integer: " + std::to_string(x));
  return static_cast<long long>(std::trunc(x));
}

Clamped clamp_span(double start, double length, double limit, bool clamp_low) {
  Clamped c{start, Origin::kOwn};
  if (clamp_low && c.value < 0) c = {0, Origin::kZero};
  if (c.value + length > limit) c = {limit - length, Origin::kLimit};
  return c;
}

long long context_menu_row_height(double fit_ratio) {
  return trunc_to_int(kContextMenuRowBase * fit_ratio);
}

long long context_menu_font_size(double fit_ratio) {
  return trunc_to_int(fit_ratio * kContextMenuFontBase);
}

long long context_menu_height(std::size_t labels, double fit_ratio) {
  long long rows = 0, height = 0;
  if (__builtin_add_overflow(labels, 1, &rows) ||
      __builtin_mul_overflow(rows, context_menu_row_height(fit_ratio), &height))
    throw std::overflow_error("context menu too tall for a 64-bit integer");
  return height;
}

ContextMenuPlacement place_context_menu(double icon_x, double icon_y, double icon_width,
                                        std::size_t labels, double fit_ratio, double canvas_width,
                                        double canvas_height) {
  ContextMenuPlacement p;
  p.x = clamp_span(icon_x + icon_width, kContextMenuWidth, canvas_width, false);
  p.height = context_menu_height(labels, fit_ratio);
  p.y = clamp_span(icon_y, static_cast<double>(p.height), canvas_height, true);
  return p;
}

Clamped selector_x(double icon_x, double width, double canvas_width) {
  return clamp_span(icon_x - width, width, canvas_width, true);
}

Clamped selector_y(double icon_y, double height, double canvas_height) {
  return clamp_span(icon_y, height, canvas_height, true);
}

long long row_at(double left, double top, double width, double row_height, std::size_t rows,
                 double px, double py) {
  // Rows without height hold no point (and would divide by zero).
  if (!(row_height > 0)) return -1;
  double bottom = top + static_cast<double>(rows) * row_height;
  if (px < left || px > left + width || py < top || py > bottom) return -1;
  // The point is inside, so the row is between 0 and rows; only overflow (an
  // infinite or NaN quotient from extreme numbers) could say otherwise.
  const double row = py_floordiv(py - top, row_height);
  if (!(row >= 0)) return -1;
  return trunc_to_int(std::min(row, static_cast<double>(rows)));
}

bool contains_inclusive(const Box& box, double px, double py) {
  return box.x <= px && px <= box.x + box.w && box.y <= py && py <= box.y + box.h;
}

bool contains_strict(const Box& box, double px, double py) {
  return px > box.x && px < box.x + box.w && py > box.y && py < box.y + box.h;
}

bool is_double_selection(std::optional<double> last, double now) {
  return last.has_value() && now - *last < kDoubleSelectionMs;
}

long long centred_origin(double window, double panel) { return trunc_to_int((window - panel) / 2); }

CoordinateDialogLayout coordinate_dialog_layout() {
  constexpr double kInputWidth = 150, kInputHeight = 100, kInputGap = 50, kInputTop = 30;
  constexpr double kButtonWidth = 150, kButtonHeight = 80, kButtonGap = 20, kButtonTop = 200;
  CoordinateDialogLayout l;
  double input_left =
      static_cast<double>(trunc_to_int((l.panel_width - 2 * kInputWidth - kInputGap) / 2));
  double button_left =
      static_cast<double>(trunc_to_int((l.panel_width - 2 * kButtonWidth - kButtonGap) / 2));
  l.x_input = {input_left, kInputTop, kInputWidth, kInputHeight};
  l.y_input = {input_left + kInputWidth + kInputGap, kInputTop, kInputWidth, kInputHeight};
  l.cancel = {button_left, kButtonTop, kButtonWidth, kButtonHeight};
  l.confirm = {button_left + kButtonWidth + kButtonGap, kButtonTop, kButtonWidth, kButtonHeight};
  return l;
}

GeneralDialogLayout general_dialog_layout(double panel_width, double panel_height,
                                          double input_ratio) {
  constexpr double kInputTop = 30, kButtonWidth = 150, kButtonHeight = 50, kButtonGap = 20;
  GeneralDialogLayout l;
  double input_width = static_cast<double>(trunc_to_int(panel_width * 0.9));
  double input_height = static_cast<double>(trunc_to_int(panel_height * input_ratio));
  l.input = {static_cast<double>(trunc_to_int((panel_width - input_width) / 2)), kInputTop,
             input_width, input_height};
  // Buttons centred in the room left below the input.
  double button_top = panel_height -
                      static_cast<double>(trunc_to_int(
                          (panel_height - input_height - kButtonHeight - kInputTop) / 2)) -
                      kButtonHeight;
  double button_left =
      static_cast<double>(trunc_to_int((panel_width - 2 * kButtonWidth - kButtonGap) / 2));
  l.cancel = {button_left, button_top, kButtonWidth, kButtonHeight};
  l.confirm = {button_left + kButtonWidth + kButtonGap, button_top, kButtonWidth, kButtonHeight};
  return l;
}

std::optional<TextPair> split_pair_text(std::string_view text) {
  for (std::string_view sep : {std::string_view(","), std::string_view("，")}) {
    std::size_t at = text.find(sep);
    if (at != std::string_view::npos)
      return TextPair{text.substr(0, at), text.substr(at + sep.size())};
  }
  return std::nullopt;
}

}  // namespace tazu
