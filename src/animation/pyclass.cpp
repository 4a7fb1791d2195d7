#include "pyclass.hpp"

#include <pybind11/detail/function_record_pyobject.h>

#include <cstdlib>
#include <cstring>

namespace tazu::pyext {

namespace {
PyObject* g_module = nullptr;
}

PyObject* intern(const char* utf8) {
  PyObject* s = PyUnicode_InternFromString(utf8);
  if (!s) throw py::error_already_set();
  return s;
}

void set_module(py::handle module) {
  Py_XINCREF(module.ptr());
  g_module = module.ptr();
}

py::handle module() { return g_module; }

py::object global(py::handle name) {
  PyObject* dict = PyModule_GetDict(g_module);  // borrowed
  PyObject* v = PyDict_GetItemWithError(dict, name.ptr());
  if (v) return py::reinterpret_borrow<py::object>(v);
  if (PyErr_Occurred()) throw py::error_already_set();
  PyObject* builtins = PyEval_GetBuiltins();  // borrowed
  v = builtins ? PyDict_GetItemWithError(builtins, name.ptr()) : nullptr;
  if (v) return py::reinterpret_borrow<py::object>(v);
  if (PyErr_Occurred()) throw py::error_already_set();
  PyErr_Format(PyExc_NameError, "name '%U' is not defined", name.ptr());
  throw py::error_already_set();
}

bool truthy(py::handle obj) {
  int r = PyObject_IsTrue(obj.ptr());
  if (r < 0) throw py::error_already_set();
  return r == 1;
}

bool py_eq(py::handle a, py::handle b) {
  int r = PyObject_RichCompareBool(a.ptr(), b.ptr(), Py_EQ);
  if (r < 0) throw py::error_already_set();
  return r == 1;
}

py::object py_int(py::handle obj) {
  PyObject* r = PyNumber_Long(obj.ptr());
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

double py_float(py::handle obj) {
  PyObject* f = PyNumber_Float(obj.ptr());
  if (!f) throw py::error_already_set();
  double d = PyFloat_AsDouble(f);
  Py_DECREF(f);
  return d;
}

ClassBuilder::ClassBuilder(py::module_ module, const char* name, py::object base, const char* doc)
    : module_(std::move(module)), name_(name), base_(std::move(base)) {
  ns_["__module__"] = module_.attr("__name__");
  ns_["__qualname__"] = py::str(name);
  if (doc) ns_["__doc__"] = py::str(doc);
}

py::object ClassBuilder::as_method(const py::cpp_function& f) {
  PyObject* m = PyInstanceMethod_New(f.ptr());
  if (!m) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(m);
}

void ClassBuilder::present_as_init(const py::cpp_function& f) {
  // pybind11 decides whether a function is its own constructor from the name
  // it is built with, only at that moment; renaming afterwards is safe.
  auto* func = reinterpret_cast<PyCFunctionObject*>(f.ptr());
  auto* rec = py::detail::function_record_ptr_from_PyObject(PyCFunction_GET_SELF(f.ptr()));
  if (!rec) return;
  const std::string old_name = rec->name;
  std::free(rec->name);
  rec->name = strdup("__init__");
  func->m_ml->ml_name = rec->name;
  const char* doc = func->m_ml->ml_doc;
  if (doc && std::strncmp(doc, old_name.c_str(), old_name.size()) == 0) {
    std::string renamed = "__init__" + std::string(doc + old_name.size());
    char* copy = strdup(renamed.c_str());
    std::free(const_cast<char*>(doc));
    func->m_ml->ml_doc = copy;
  }
}

void ClassBuilder::put(const char* name, py::object v) { ns_[py::str(name)] = std::move(v); }

ClassBuilder& ClassBuilder::value(const char* name, py::object v) {
  put(name, std::move(v));
  return *this;
}

py::object ClassBuilder::finish(std::initializer_list<const char*> order) {
  py::dict ns = ns_;
  if (order.size() != 0) {
    ns = py::dict();
    for (const char* key : {"__module__", "__qualname__", "__doc__"})
      if (ns_.contains(key)) ns[key] = ns_[key];
    for (const char* key : order)
      if (ns_.contains(key)) ns[key] = ns_[key];
    for (auto item : ns_)
      if (!ns.contains(item.first)) ns[item.first] = item.second;
  }
  py::tuple bases = base_.is_none() ? py::tuple() : py::make_tuple(base_);
  py::object meta = base_.is_none()
                        ? py::module_::import("builtins").attr("type")
                        : py::reinterpret_borrow<py::object>((PyObject*)Py_TYPE(base_.ptr()));
  py::object cls = meta(py::str(name_), bases, ns);
  module_.attr(name_.c_str()) = cls;
  return cls;
}

}  // namespace tazu::pyext
