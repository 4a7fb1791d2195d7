// Python values read into the core's types, and results written back: one way
// to read a number, a pair, a group box and a colour, and the
// board's two coordinate spaces. Errors read as Python's own for the same
// mistake, or name the value that could not be read.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "pyclass.hpp"
#include "tazu/geometry.hpp"
#include "tazu/segment_record.hpp"
#include "tazu/state_record.hpp"

namespace tazu::convert {

// Raises `type` with a message that stays a str (PyErr_Format takes ASCII
// format strings only, and a record's text need not encode as UTF-8).
[[noreturn]] void raise_error(PyObject* type, py::handle message);

// str(v) as UTF-8; a lone surrogate raises UnicodeEncodeError.
std::string text(py::handle v);
// str(v) as UTF-8, leaving out lone surrogates (which a JSON document can
// hold as "\ud800" escapes and which have no UTF-8 form).
std::string lenient_text(py::handle v);

// A str path as the file system spells it (os.fsencode); nothing for a path
// it cannot spell.
std::optional<std::string> fs_path(py::handle path);

// Raises Python's OSError for errno `err`, naming the file meant, as Python's
// own file functions raise it (FileNotFoundError, PermissionError, ...).
[[noreturn]] void raise_os_error(int err, py::handle path);

// Runs a core file operation; its std::system_error becomes that OSError.
template <typename Op>
void file_operation(py::handle path, Op&& op) {
  try {
    op();
  } catch (const std::system_error& e) {
    raise_os_error(e.code().value(), path);
  }
}

// A number as a double, refusing what Python arithmetic would refuse (text,
// None) with TypeError "需要数字，得到 …".
double number(py::handle v);

// `a, b, ... = v`, with Python's errors for a wrong count or a non-iterable.
template <std::size_t N>
std::array<py::object, N> unpack(py::handle v);

// v[i], as Python's subscription does.
py::object item(py::handle v, long i);

// The two items of a pair: a tuple's items 0 and 1, a record's 获取(0) and
// 获取(1), or v[0] and v[1]; unconverted, so their number types stay.
std::pair<py::object, py::object> pair_items(py::handle v);

// Two numbers unpacked from v.
Vec2 pair(py::handle v);
// The same, or nothing for None.
std::optional<Vec2> optional_pair(py::handle v);

// A group box: four numbers (left, top, bottom, right); anything else is a
// ValueError naming the value.
GroupBox group_box(py::handle v);

py::tuple rgb(int r, int g, int b);
py::tuple tuple_of(Vec2 v);

// int(v): truncation toward zero; ValueError for NaN and OverflowError for
// infinities, as int() gives.
py::object int_of(double v);
// An int when `as_int` (the operands were ints, as Python's arithmetic would
// give), else a float.
py::object int_or_float(double v, bool as_int);
// The result of `a - b`-like arithmetic done in the core, typed as Python
// would type it.
py::object number_like(double v, py::handle a, py::handle b);

// A state record's or a change segment's key as a str, made once.
py::handle key_name(record::Key k);
py::handle key_name(segment::Key k);

// The board's two spaces: standard data (what records and documents hold)
// and actual-board pixels (what icons and rectangles hold), converted one
// number at a time through the board's screen.
enum class Fit {
  always,      // convert whatever the fit ratio
  unless_one,  // leave the value as it is when the spaces coincide
};
// True when the screen's fit ratio is exactly 1.
bool fit_is_one(py::handle screen);
py::object to_board(py::handle screen, py::handle v, Fit when = Fit::always);
py::object to_standard(py::handle screen, py::handle v, Fit when = Fit::always);
// The screen of an object's board: owner.画板.屏幕.
py::object screen_of(py::handle owner);

// ----- the reference platform's records ---------------------------------

// Notes the reference platform's record types and rotation, when the sibling
// `mix` the module imported is ours (its 字典, 列表 and rotate_vector are then
// a dict, a list and the core's rotation underneath). Once, at import, before
// a host could have replaced any of their methods.
void note_reference_platform(py::handle mix);

// Reads and writes records as their own methods would. While a record is
// exactly the reference 字典 (or 列表) and the class still has the reference
// 获取 and 填写 (or 获取 and 长), the dict or list is read directly: the
// result is the same, without a Python call. Anything else (a host's own
// types, a subclass, a replaced method) goes through the method. Made at the
// start of an operation, so that a method replaced between operations is seen.
class Records {
 public:
  Records();
  py::object get(py::handle record, py::handle key) const;  // record.获取(key)
  // record.获取(key, fallback)
  py::object get(py::handle record, py::handle key, py::handle fallback) const;
  void fill(py::handle record, py::handle key, py::handle value) const;  // record.填写(key, value)
  std::size_t length(py::handle list) const;                             // list.长
  py::object at(py::handle list, std::size_t i) const;                   // list.获取(i)
  bool direct_dict(py::handle record) const {
    return dict_get_ && Py_TYPE(record.ptr()) == dict_type_;
  }

 private:
  PyTypeObject* dict_type_ = nullptr;
  PyTypeObject* list_type_ = nullptr;
  bool dict_get_ = false, dict_fill_ = false, list_get_ = false, list_length_ = false;
};

// True when `rotate` (a rotate_vector looked up at call time) is the
// reference platform's, which turns vectors as rotate_standard does.
bool reference_rotation(py::handle rotate);

// 是否存在(path), looked up at call time: for a str, the reference
// platform's answers as os.path.exists does, here without a Python call.
bool file_exists(py::handle path);

// fn(*args), where the last len(names) arguments go by the names in the
// tuple `names` (made once with TZ_KEYWORDS); no dict is built.
py::object call(py::handle fn, std::initializer_list<py::handle> args,
                py::handle names = py::handle());
// A tuple of interned keyword names; never freed.
PyObject* keyword_names(std::initializer_list<const char*> names);
#define TZ_KEYWORDS(...)                                                        \
  (::pybind11::handle([]() -> PyObject* {                                       \
    static PyObject* tz_names_ = ::tazu::convert::keyword_names({__VA_ARGS__}); \
    return tz_names_;                                                           \
  }()))

// obj.name(args...) without building a bound method.
py::object call_method(py::handle obj, py::handle name, std::initializer_list<py::handle> args);

}  // namespace tazu::convert
