#include "convert.hpp"

namespace tazu::convert {

void raise_error(PyObject* type, py::handle message) {
  PyErr_SetObject(type, message.ptr());
  throw py::error_already_set();
}

void raise_with_repr(PyObject* type, const char* text, py::handle value) {
  py::object message = py::str(text) + py::repr(value);
  raise_error(type, message);
}

double number(py::handle v) {
  if (PyFloat_CheckExact(v.ptr())) return PyFloat_AS_DOUBLE(v.ptr());
  if (PyUnicode_Check(v.ptr()) || PyBytes_Check(v.ptr()) || !PyNumber_Check(v.ptr()))
    raise_with_repr(PyExc_TypeError, "需要数字，得到 ", v);
  double d = PyFloat_AsDouble(v.ptr());
  if (d == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return d;
}

template <std::size_t N>
std::array<py::object, N> unpack(py::handle v) {
  std::array<py::object, N> out;
  if (PyTuple_CheckExact(v.ptr()) && PyTuple_GET_SIZE(v.ptr()) == static_cast<Py_ssize_t>(N)) {
    for (std::size_t i = 0; i < N; ++i)
      out[i] = py::reinterpret_borrow<py::object>(PyTuple_GET_ITEM(v.ptr(), i));
    return out;
  }
  PyObject* it = PyObject_GetIter(v.ptr());
  if (!it) {
    PyErr_Clear();
    PyErr_Format(PyExc_TypeError, "cannot unpack non-iterable %s object",
                 Py_TYPE(v.ptr())->tp_name);
    throw py::error_already_set();
  }
  py::object iter = py::reinterpret_steal<py::object>(it);
  for (std::size_t i = 0; i < N; ++i) {
    PyObject* x = PyIter_Next(it);
    if (!x) {
      if (PyErr_Occurred()) throw py::error_already_set();
      PyErr_Format(PyExc_ValueError, "not enough values to unpack (expected %zu, got %zu)", N, i);
      throw py::error_already_set();
    }
    out[i] = py::reinterpret_steal<py::object>(x);
  }
  PyObject* extra = PyIter_Next(it);
  if (extra) {
    Py_DECREF(extra);
    PyErr_Format(PyExc_ValueError, "too many values to unpack (expected %zu)", N);
    throw py::error_already_set();
  }
  if (PyErr_Occurred()) throw py::error_already_set();
  return out;
}

template std::array<py::object, 2> unpack<2>(py::handle);
template std::array<py::object, 4> unpack<4>(py::handle);

py::object item(py::handle v, long i) {
  py::object key = py::int_(i);
  PyObject* r = PyObject_GetItem(v.ptr(), key.ptr());
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

std::pair<py::object, py::object> pair_items(py::handle v) {
  if (!PyTuple_CheckExact(v.ptr()) && py::hasattr(v, TZ_NAME("获取"))) {
    py::object get = TZ_GET(v, "获取");
    return {get(0), get(1)};
  }
  return {item(v, 0), item(v, 1)};
}

Vec2 pair(py::handle v) {
  auto [a, b] = unpack<2>(v);
  return {number(a), number(b)};
}

std::optional<Vec2> optional_pair(py::handle v) {
  if (v.is_none()) return std::nullopt;
  return pair(v);
}

GroupBox group_box(py::handle v) {
  py::object seq =
      py::reinterpret_steal<py::object>(PySequence_Fast(v.ptr(), "大盘矩形必须是四个数字"));
  if (!seq) throw py::error_already_set();
  if (PySequence_Fast_GET_SIZE(seq.ptr()) != 4)
    raise_with_repr(PyExc_ValueError, "大盘矩形必须是四个数字，得到 ", v);
  PyObject** it = PySequence_Fast_ITEMS(seq.ptr());
  return {number(it[0]), number(it[1]), number(it[2]), number(it[3])};
}

Box rect(py::handle r) {
  return {number(TZ_GET(r, "左")), number(TZ_GET(r, "上")), number(TZ_GET(r, "宽")),
          number(TZ_GET(r, "高"))};
}

py::tuple rgb(int r, int g, int b) { return py::make_tuple(r, g, b); }

py::tuple tuple_of(Vec2 v) { return py::make_tuple(v.x, v.y); }

py::object int_of(double v) {
  PyObject* r = PyLong_FromDouble(v);  // truncates; raises for NaN and infinities
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

py::object int_or_float(double v, bool as_int) {
  if (as_int) return int_of(v);
  return py::float_(v);
}

py::object number_like(double v, py::handle a, py::handle b) {
  return int_or_float(v, PyLong_Check(a.ptr()) && PyLong_Check(b.ptr()));
}

py::handle key_name(record::Key k) {
  static const std::array<PyObject*, record::kKeyCount> names = [] {
    std::array<PyObject*, record::kKeyCount> out{};
    for (std::size_t i = 0; i < record::kKeyCount; ++i) {
      const std::string_view n = record::kKeys[i].name;
      out[i] = PyUnicode_FromStringAndSize(n.data(), static_cast<Py_ssize_t>(n.size()));
      if (!out[i]) throw py::error_already_set();
      PyUnicode_InternInPlace(&out[i]);
    }
    return out;
  }();
  return names[record::index(k)];
}

bool fit_is_one(py::handle screen) {
  static PyObject* one = PyLong_FromLong(1);
  return pyext::py_eq(TZ_GET(screen, "适配比例"), one);
}

py::object to_board(py::handle screen, py::handle v, Fit when) {
  if (when == Fit::unless_one && fit_is_one(screen)) return py::reinterpret_borrow<py::object>(v);
  return TZ_GET(screen, "标准数据转实际画板")(v);
}

py::object to_standard(py::handle screen, py::handle v, Fit when) {
  if (when == Fit::unless_one && fit_is_one(screen)) return py::reinterpret_borrow<py::object>(v);
  return TZ_GET(screen, "实际画板转标准数据")(v);
}

py::object screen_of(py::handle owner) { return TZ_GET(TZ_GET(owner, "画板"), "屏幕"); }

}  // namespace tazu::convert
