// Placement, hit tests and dialog layouts of the icon's pop-ups (context menu,
// keyframe-state selector) and of the small input dialogs. Plain numbers in and
// out; the binding keeps the host's number types.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "tazu/geometry.hpp"

namespace tazu {

// Fixed sizes, in pixels, of the pop-ups and the dialogs.
inline constexpr double kContextMenuWidth = 120;
inline constexpr double kContextMenuRowBase = 30;   // scaled by the fit ratio
inline constexpr double kContextMenuFontBase = 20;  // scaled by the fit ratio
inline constexpr double kSelectorWidth = 60;
inline constexpr double kSelectorRowHeight = 30;
inline constexpr int kSelectorFontSize = 15;
inline constexpr int kPopupAlpha = 220;
// A second selection sooner than this (pygame ticks, ms) opens the context menu.
inline constexpr double kDoubleSelectionMs = 300;

// Python's float floor division (a // b), which is not always floor(a / b).
// b must not be 0.
double py_floordiv(double a, double b);

// int(x) in Python: truncation toward zero. Like int(), refuses infinity
// (std::overflow_error) and NaN (std::domain_error); a number past the 64-bit
// range is refused with std::overflow_error as well.
long long trunc_to_int(double x);

// Where a clamped coordinate came from, so the caller can keep the number type
// of the value that produced it.
enum class Origin { kOwn, kZero, kLimit };

struct Clamped {
  double value = 0;
  Origin origin = Origin::kOwn;
};

// Keeps the span [start, start + length] inside [0, limit]: a start below 0
// becomes 0 (only when clamp_low), then a far edge past the limit is pulled back
// so that it ends on the limit. The far edge wins when the span does not fit.
Clamped clamp_span(double start, double length, double limit, bool clamp_low);

// Row height of the context menu for a fit ratio: 30 x ratio, truncated.
long long context_menu_row_height(double fit_ratio);
// Font size of the context menu for a fit ratio: 20 x ratio, truncated.
long long context_menu_font_size(double fit_ratio);
// Height of the context menu: a title row and one row per label. A height
// past the 64-bit range is refused with std::overflow_error.
long long context_menu_height(std::size_t labels, double fit_ratio);

struct ContextMenuPlacement {
  Clamped x;
  Clamped y;
  long long height = 0;  // title row plus one row per label
};

// The context menu opens right of the icon, level with its top; it is kept
// inside the canvas on the right and at the bottom, and below the top edge.
// The left edge is not clamped. A height past the 64-bit range is refused with
// std::overflow_error.
ContextMenuPlacement place_context_menu(double icon_x, double icon_y, double icon_width,
                                        std::size_t labels, double fit_ratio, double canvas_width,
                                        double canvas_height);

// The selector (of the given width and height) sits left of the icon, level
// with its top, inside the canvas.
Clamped selector_x(double icon_x, double width, double canvas_width);
Clamped selector_y(double icon_y, double height, double canvas_height);

// Row under (px, py) in a column of `rows` rows of `row_height` whose first row
// starts at (left, top); borders count as inside, so the bottom border yields
// `rows`, one past the last row. -1 when the point is outside (or the rows have
// no height, or the numbers are too far apart to tell).
long long row_at(double left, double top, double width, double row_height, std::size_t rows,
                 double px, double py);

// Inclusive and strict point-in-box tests.
bool contains_inclusive(const Box& box, double px, double py);
bool contains_strict(const Box& box, double px, double py);

// True when a selection at `now` follows one at `last` closely enough to open
// the menu. No previous selection never opens it.
bool is_double_selection(std::optional<double> last, double now);

// int((window - panel) / 2): the left or top of a panel centred in the window.
long long centred_origin(double window, double panel);

struct CoordinateDialogLayout {
  double panel_width = 400;
  double panel_height = 300;
  Box x_input;
  Box y_input;
  Box cancel;
  Box confirm;
};
// Layout of the two-input coordinate dialog; children relative to the panel.
CoordinateDialogLayout coordinate_dialog_layout();

struct GeneralDialogLayout {
  Box input;
  Box cancel;
  Box confirm;
};
// Layout of the one-input dialog for a panel of the given size whose input
// takes `input_ratio` of the height; the buttons are centred below the input.
GeneralDialogLayout general_dialog_layout(double panel_width, double panel_height,
                                          double input_ratio);

// A pair typed as one text, "x,y": split at its first "," or, when it has
// none, at its first full-width "，". The parts are left unstripped; empty
// when the text has neither comma.
struct TextPair {
  std::string_view first, second;
};
std::optional<TextPair> split_pair_text(std::string_view text);

}  // namespace tazu
