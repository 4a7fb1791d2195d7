// Pop-up and dialog layout, icon geometry and timeline-segment edits with any
// numbers: placing, hit-testing and the truncations to whole pixels.
#include <cmath>
#include <optional>
#include <stdexcept>

#include "fuzz_input.hpp"
#include "tazu/errors.hpp"
#include "tazu/icon_geometry.hpp"
#include "tazu/menu_layout.hpp"
#include "tazu/segment_button.hpp"

namespace {

// A truncation may refuse a number that no integer holds, as Python's int() does.
template <typename F>
void whole(F&& f) {
  try {
    f();
  } catch (const std::overflow_error&) {
  } catch (const std::domain_error&) {
  }
}

bool fits(double v) { return std::isfinite(v) && std::fabs(v) < 9.2e18; }

void check_menus(fuzz::Input& in) {
  const double a = in.number(), b = in.number();
  if (b != 0 && std::isfinite(a) && std::isfinite(b)) {
    const double q = tazu::py_floordiv(a, b);
    // Python's floor division differs from floor(a / b) by at most one.
    if (std::isfinite(q) && std::fabs(a / b) < 1e15)
      FUZZ_CHECK(std::fabs(q - std::floor(a / b)) <= 1);
  }
  whole([&] {
    const long long t = tazu::trunc_to_int(a);
    FUZZ_CHECK(fits(a) && double(t) == std::trunc(a));
  });

  const double x = in.number(), y = in.number(), w = in.number(), ratio = in.number();
  const double cw = in.number(), ch = in.number();
  const std::size_t labels = in.u8();
  whole([&] {
    const auto p = tazu::place_context_menu(x, y, w, labels, ratio, cw, ch);
    FUZZ_CHECK(p.height == (long long)(labels + 1) * tazu::context_menu_row_height(ratio));
  });
  whole([&] { tazu::context_menu_font_size(ratio); });
  // The selector's width and height reuse the menu's width and the row count.
  tazu::selector_x(x, w, cw);
  tazu::selector_y(y, double(labels), ch);

  const double left = in.number(), top = in.number(), row_h = in.number();
  const double px = in.number(), py = in.number();
  whole([&] {
    const long long r = tazu::row_at(left, top, w, row_h, labels, px, py);
    FUZZ_CHECK(r >= -1 && r <= (long long)labels);
  });
  const tazu::Box box{left, top, w, row_h};
  if (tazu::contains_strict(box, px, py)) FUZZ_CHECK(tazu::contains_inclusive(box, px, py));
  const bool has_last = in.flag();
  tazu::is_double_selection(has_last ? std::optional<double>(a) : std::nullopt, b);
  whole([&] { tazu::centred_origin(cw, ch); });
  whole([&] {
    const auto l = tazu::general_dialog_layout(cw, ch, ratio);
    if (std::fabs(l.cancel.x) < 1e12) FUZZ_CHECK(l.confirm.x - l.cancel.x == 170);
  });
}

// Whether `f` refuses with a division by zero.
template <typename F>
bool divides_by_zero(F&& f) {
  try {
    f();
  } catch (const tazu::DivisionByZero&) {
    return true;
  }
  return false;
}

void check_icon(fuzz::Input& in) {
  const tazu::GroupBox g{in.number(), in.number(), in.number(), in.number()};
  const double x = in.number(), y = in.number(), w = in.number(), h = in.number();
  const double scale = in.number(), base = in.number();
  const tazu::Vec2 v = tazu::group_vector(g, x, y, w, h);
  FUZZ_CHECK(divides_by_zero([&] { tazu::inferred_group_centre(x, y, w, h, v, scale, base); }) ==
             (base == 0));
  FUZZ_CHECK(divides_by_zero([&] { tazu::group_vector_point(g, v, scale, base); }) == (base == 0));
  FUZZ_CHECK(divides_by_zero([&] { tazu::pointer_rotation(x, y, w); }) == (w == 0));
  std::optional<double> next;
  FUZZ_CHECK(divides_by_zero([&] { next = tazu::gesture_scale(scale, base, h); }) == (h == 0));
  if (next) FUZZ_CHECK(*next > 0);
  tazu::move_shift({x, y}, {w, h}, {scale, base}, {g.left, g.top});
}

void check_segment(fuzz::Input& in) {
  const double x = in.number(), left = in.number(), right = in.number(), threshold = in.number();
  const tazu::SegmentEdit e = tazu::segment_edit_at(x, left, right, threshold);
  if (e == tazu::SegmentEdit::StitchLeft) FUZZ_CHECK(std::fabs(x - left) < threshold);
  FUZZ_CHECK(divides_by_zero([&] { tazu::cut_ratio(x, left, right - left); }) ==
             (right - left == 0));
  if (tazu::cut_stitch_throttled(threshold))
    FUZZ_CHECK(threshold >= 0 && threshold < tazu::kCutStitchInterval);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  switch (in.u8() % 3) {
    case 0:
      check_menus(in);
      break;
    case 1:
      check_icon(in);
      break;
    default:
      check_segment(in);
      break;
  }
  return 0;
}
