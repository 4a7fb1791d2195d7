#include "icon/icon_common.hpp"

#include <cmath>

namespace tazu::icon {

namespace {
PyObject* g_icon_class = nullptr;
}

void set_icon_class(py::object cls) {
  Py_XDECREF(g_icon_class);
  g_icon_class = cls.release().ptr();
}

py::object base(py::handle self) {
  PyObject* s = PyObject_CallFunctionObjArgs(reinterpret_cast<PyObject*>(&PySuper_Type),
                                             g_icon_class, self.ptr(), nullptr);
  if (!s) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(s);
}

template <std::size_t N>
std::array<py::object, N> unpack(py::handle obj) {
  PyObject* it = PyObject_GetIter(obj.ptr());
  if (!it) {
    PyErr_Clear();
    PyErr_Format(PyExc_TypeError, "cannot unpack non-iterable %s object",
                 Py_TYPE(obj.ptr())->tp_name);
    throw py::error_already_set();
  }
  py::object iter = py::reinterpret_steal<py::object>(it);
  std::array<py::object, N> out;
  for (std::size_t i = 0; i < N; ++i) {
    PyObject* v = PyIter_Next(it);
    if (!v) {
      if (PyErr_Occurred()) throw py::error_already_set();
      PyErr_Format(PyExc_ValueError, "not enough values to unpack (expected %zu, got %zu)", N, i);
      throw py::error_already_set();
    }
    out[i] = py::reinterpret_steal<py::object>(v);
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

py::object item(py::handle obj, long i) {
  py::object key = py::int_(i);
  PyObject* v = PyObject_GetItem(obj.ptr(), key.ptr());
  if (!v) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(v);
}

double num(py::handle obj) {
  if (!PyNumber_Check(obj.ptr())) {
    PyErr_Format(PyExc_TypeError, "a number is required, not '%s'", Py_TYPE(obj.ptr())->tp_name);
    throw py::error_already_set();
  }
  return pyext::py_float(obj);
}

py::object trunc_int(double v) {
  PyObject* r = PyLong_FromDouble(v);  // truncates; raises for NaN and infinities
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

py::object number_like(double v, py::handle a, py::handle b) {
  if (PyLong_Check(a.ptr()) && PyLong_Check(b.ptr())) return trunc_int(v);
  return py::float_(v);
}

void raise_zero_division() {
  PyErr_SetString(PyExc_ZeroDivisionError, "division by zero");
  throw py::error_already_set();
}

}  // namespace tazu::icon
