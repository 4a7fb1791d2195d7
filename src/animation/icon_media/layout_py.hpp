// Conversions between the host's numbers and the core's layout maths, shared by
// the icon's pop-ups, its menu code and the input dialogs. A result is an int
// when the values it came from were ints, as the same arithmetic in Python gives.
#pragma once

#include <optional>
#include <tuple>
#include <utility>

#include "convert.hpp"
#include "pyclass.hpp"
#include "tazu/menu_layout.hpp"
#include "tazu/popup.hpp"

namespace tazu::layout_py {

inline bool is_int(py::handle v) { return PyLong_Check(v.ptr()); }

// A clamped coordinate as the host would have computed it: its own expression
// (int when all `own_ints`), the int 0, or limit - length (int when the limit is).
inline py::object clamped(const Clamped& c, bool own_ints, bool limit_int) {
  switch (c.origin) {
    case Origin::kZero:
      return py::int_(0);
    case Origin::kLimit:
      return convert::int_or_float(c.value, limit_int);
    case Origin::kOwn:
    default:
      return convert::int_or_float(c.value, own_ints);
  }
}

// The (x, y) pair of a position or mouse coordinate.
inline Vec2 point(py::handle p) {
  auto [x, y] = convert::pair_items(p);
  return {convert::number(x), convert::number(y)};
}

// pygame, as the module namespace has it now.
inline py::object pygame() { return TZ_G("pygame"); }

// A font that renders Chinese: the platform's font file at the given size.
inline py::object popup_font(long long size) {
  return pygame().attr("font").attr("Font")(TZ_G("font_file")(), size);
}

// The pop-ups draw every frame with texts that seldom change, so each label is
// rendered once per font (antialiased, black) and kept on the pop-up.
inline py::object render_label(py::handle self, py::handle font, py::handle text) {
  if (!PyUnicode_Check(text.ptr())) return font.attr("render")(text, true, convert::rgb(0, 0, 0));
  py::object cache = py::getattr(self, TZ_NAME("_tazu_labels"), py::none());
  if (cache.is_none() || py::object(cache[py::int_(0)]).ptr() != font.ptr() ||
      py::len(cache[py::int_(1)]) > 256) {
    cache = py::make_tuple(font, py::dict());
    TZ_SET(self, "_tazu_labels", cache);
  }
  py::dict rendered = cache[py::int_(1)];
  PyObject* hit = PyDict_GetItemWithError(rendered.ptr(), text.ptr());  // borrowed
  if (hit) return py::reinterpret_borrow<py::object>(hit);
  if (PyErr_Occurred()) throw py::error_already_set();
  py::object surface = font.attr("render")(text, true, convert::rgb(0, 0, 0));
  rendered[text] = surface;
  return surface;
}

// The column of a pop-up's rows, read from its attributes.
inline popup::Column column(py::handle self, Vec2 origin, py::handle width, py::handle row_height,
                            double top = 0) {
  return {origin, pyext::py_float(width), pyext::py_float(row_height), top,
          static_cast<std::size_t>(py::len(TZ_GET(self, "选项列表")))};
}

// The rows of a pop-up drawn on its surface (each row's top keeping the host's
// number types), shaded for the selected row and the pointer, each label at 5
// pixels in.
inline void draw_rows(py::handle self, py::handle surface, py::handle font, Vec2 origin,
                      py::handle width, py::handle row_height, py::handle top,
                      py::handle selected = py::none()) {
  const popup::Column column =
      layout_py::column(self, origin, width, row_height, pyext::py_float(top));
  const Vec2 pointer = point(pygame().attr("mouse").attr("get_pos")());
  // Anything but a row number (None included) selects no row.
  std::optional<double> chosen;
  try {
    chosen = convert::number(selected);
  } catch (py::error_already_set&) {
  }
  const bool ints = is_int(row_height) && is_int(top);
  std::size_t i = 0;
  for (py::handle option : TZ_GET(self, "选项列表")) {
    py::object y = convert::int_or_float(column.row_top(i), ints);
    py::tuple row_rect = py::make_tuple(0, y, width, row_height);
    const popup::Shade shade = popup::row_shade(column, i++, chosen, pointer);
    if (shade != popup::Shade::plain)
      surface.attr("fill")(
          shade == popup::Shade::selected ? convert::rgb(90, 90, 90) : convert::rgb(150, 150, 150),
          row_rect);
    surface.attr("blit")(render_label(self, font, option), py::make_tuple(5, y + py::int_(5)));
  }
}

// The left and top of a panel centred in the board's window. The platform's
// widgets take places and sizes in standard data and scale them to pixels, so
// the window's pixel size is taken into standard data first.
inline std::pair<py::int_, py::int_> centred_in_window(py::handle board, double panel_width,
                                                       double panel_height) {
  py::object screen = TZ_GET(board, "屏幕");
  using convert::Fit;
  double width =
      pyext::py_float(convert::to_standard(screen, TZ_GET(board, "窗口宽度"), Fit::unless_one));
  double height =
      pyext::py_float(convert::to_standard(screen, TZ_GET(board, "窗口高度"), Fit::unless_one));
  return {py::int_(centred_origin(width, panel_width)),
          py::int_(centred_origin(height, panel_height))};
}

}  // namespace tazu::layout_py
