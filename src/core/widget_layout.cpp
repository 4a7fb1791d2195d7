#include "tazu/widget_layout.hpp"

#include "tazu/errors.hpp"
#include "tazu/menu_layout.hpp"

namespace tazu {

namespace {

// int((outer - inner) / 2): where `inner` starts when centred in `outer`.
double centred(double outer, double inner) {
  return static_cast<double>(centred_origin(outer, inner));
}

}  // namespace

Vec2 centred_label(Vec2 corner, Vec2 button_size, Vec2 label_size) {
  return {corner.x + button_size.x / 2 - label_size.x / 2,
          corner.y + button_size.y / 2 - label_size.y / 2};
}

DropDownDialogLayout drop_down_dialog_layout() {
  DropDownDialogLayout l;
  const double prompt_width = l.panel_width - 40;
  l.prompt = {centred(l.panel_width, prompt_width), 30, prompt_width, 60};
  constexpr double kMenuWidth = 300;
  l.menu = {centred(l.panel_width, kMenuWidth), 150, kMenuWidth, 70};
  constexpr double kDoneWidth = 150;
  l.done = {centred(l.panel_width, kDoneWidth), 250, kDoneWidth, 80};
  return l;
}

FontDialogLayout font_dialog_layout() {
  FontDialogLayout l;
  constexpr double kTextWidth = 1100, kTextTop = 30, kTextHeight = 200;
  l.text = {centred(l.panel_width, kTextWidth), kTextTop, kTextWidth, kTextHeight};
  constexpr double kCellWidth = 300, kCellHeight = 90, kCellGap = 10;
  const double row_top = kTextTop + kTextHeight + 10;
  Box* cells[] = {&l.pick, &l.font, &l.size};
  for (int i = 0; i < 3; ++i)
    *cells[i] = {l.text.x + i * (kCellWidth + kCellGap), row_top, kCellWidth, kCellHeight};
  constexpr double kConfirmWidth = 200;
  l.confirm = {centred(l.panel_width, kConfirmWidth), row_top + kCellHeight + 30, kConfirmWidth,
               kCellHeight};
  return l;
}

std::string hex_colour(Rgb c) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "#";
  for (int v : {c.r, c.g, c.b}) {
    if (v < 0 || v > 255) throw BadValue("a colour channel is a whole number from 0 to 255");
    out += kDigits[v >> 4];
    out += kDigits[v & 15];
  }
  return out;
}

}  // namespace tazu
