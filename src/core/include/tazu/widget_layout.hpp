// Layouts of the editing widgets: where a segment button puts its label, and
// the panels of the drop-down and the text-and-font dialogs. Children are
// placed relative to their panel, in the platform widgets' units; the dialogs'
// boxes are whole numbers.
#pragma once

#include <string>

#include "tazu/geometry.hpp"
#include "tazu/segment_button.hpp"

namespace tazu {

// The label's top-left corner when it is centred on a button whose top-left
// corner is `corner`: corner + button size / 2 - label size / 2.
Vec2 centred_label(Vec2 corner, Vec2 button_size, Vec2 label_size);

// The drop-down dialog: a 400 x 400 panel with a prompt, the drop-down and a
// "完成" button, one below the other, each centred in the panel width. The
// drop-down's box is in standard data; the rest is in the widgets' units.
struct DropDownDialogLayout {
  double panel_width = 400;
  double panel_height = 400;
  int layer = 6;
  Box prompt;
  Box menu;
  Box done;
};
DropDownDialogLayout drop_down_dialog_layout();

// The text-and-font dialog: a 1200 x 500 panel with the text input on top, a
// row of three equal cells 10 below it (pick colour, font, font size) and the
// confirm button centred 30 below that row. The colour picker opens in a window
// of its own, placed on the screen.
struct FontDialogLayout {
  double panel_width = 1200;
  double panel_height = 500;
  int layer = 6;
  Box text;
  Box pick;
  Box font;
  Box size;
  Box confirm;
  Box picker{160, 50, 420, 400};
};
FontDialogLayout font_dialog_layout();

// "#rrggbb": each channel as two lower-case hexadecimal digits, as the colour
// picker's button shows the chosen colour. A channel outside 0 to 255 throws
// BadValue.
std::string hex_colour(Rgb colour);

}  // namespace tazu
