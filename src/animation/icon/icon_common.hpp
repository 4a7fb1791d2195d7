// Helpers shared by the files that build class 图标: calls on the base class,
// the board's coordinate conversions and Python-style unpacking and numbers.
#pragma once

#include <array>
#include <cstddef>

#include "pyclass.hpp"
#include "tazu/icon_geometry.hpp"

namespace tazu::icon {

// The class object of 图标, set once it is created.
void set_icon_class(py::object cls);

// super(图标, self): the next class after 图标 in self's method order.
py::object base(py::handle self);

// The board's screen of an icon.
inline py::object screen_of(py::handle self) { return TZ_GET(TZ_GET(self, "画板"), "屏幕"); }

// True when the screen's fit ratio is exactly 1 (the two spaces coincide).
inline bool fit_is_one(py::handle screen) {
  static py::object one = py::int_(1);
  return pyext::py_eq(TZ_GET(screen, "适配比例"), one);
}

inline py::object to_board(py::handle screen, py::handle v) {
  return TZ_GET(screen, "标准数据转实际画板")(v);
}
inline py::object to_standard(py::handle screen, py::handle v) {
  return TZ_GET(screen, "实际画板转标准数据")(v);
}

// `a, b, ... = obj` with Python's errors for the wrong count or a non-iterable.
template <std::size_t N>
std::array<py::object, N> unpack(py::handle obj);

// obj[i] as Python's subscription does.
py::object item(py::handle obj, long i);

// A number read for the core. Text is refused as Python's arithmetic refuses
// it, rather than read the way float("1.5") would.
double num(py::handle obj);

// int(v) for a double: truncation toward zero, errors for NaN and infinities.
py::object trunc_int(double v);

// The result of `a - b`-like arithmetic done in the core: an int when both
// operands were ints, as Python would give, else a float.
py::object number_like(double v, py::handle a, py::handle b);

[[noreturn]] void raise_zero_division();

// Members of the class, one group per file.
void add_transform_members(pyext::ClassBuilder& b);
void add_gesture_members(pyext::ClassBuilder& b);
void add_drawing_members(pyext::ClassBuilder& b);
void add_report_members(pyext::ClassBuilder& b);

}  // namespace tazu::icon
