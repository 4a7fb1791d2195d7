// Conversions between the host's numbers and the core's layout maths, shared by
// the icon's pop-ups, its menu code and the input dialogs. A result is an int
// when the values it came from were ints, as the same arithmetic in Python gives.
#pragma once

#include "pyclass.hpp"
#include "tazu/menu_layout.hpp"

namespace tazu::layout_py {

inline bool is_int(py::handle v) { return PyLong_Check(v.ptr()); }

inline py::object number(double v, bool as_int) {
  if (as_int) return py::int_(static_cast<long long>(v));
  return py::float_(v);
}

// A clamped coordinate as the host would have computed it: its own expression
// (int when all `own_ints`), the int 0, or limit - length (int when the limit is).
inline py::object clamped(const Clamped& c, bool own_ints, bool limit_int) {
  switch (c.origin) {
    case Origin::kZero:
      return py::int_(0);
    case Origin::kLimit:
      return number(c.value, limit_int);
    case Origin::kOwn:
    default:
      return number(c.value, own_ints);
  }
}

// The (x, y) pair of a position or mouse coordinate.
inline std::pair<double, double> point(py::handle p) {
  py::object x = p[py::int_(0)];
  py::object y = p[py::int_(1)];
  return {pyext::py_float(x), pyext::py_float(y)};
}

// pygame, as the module namespace has it now.
inline py::object pygame() { return TZ_G("pygame"); }

inline py::tuple rgb(int r, int g, int b) { return py::make_tuple(r, g, b); }

// A font that renders Chinese: the platform's font file at the given size.
inline py::object popup_font(long long size) {
  return pygame().attr("font").attr("Font")(TZ_G("font_file")(), size);
}

}  // namespace tazu::layout_py
