#include "pyclass.hpp"

#include <exception>

#include "tazu/errors.hpp"

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

void register_error_translator() {
  py::register_local_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const DivisionByZero& e) {
      PyErr_SetString(PyExc_ZeroDivisionError, e.what());
    } catch (const WrongKind& e) {
      PyErr_SetString(PyExc_TypeError, e.what());
    } catch (const BadValue& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    }
  });
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

namespace {

// A method shown under another name than the function it calls: its
// __name__, __qualname__ and __doc__ are its own, and it binds to an
// instance as a Python function does. Built with the public type API.
struct Renamed {
  PyObject_HEAD PyObject* func;
  PyObject* name;
  PyObject* qualname;
  PyObject* doc;
};

void renamed_dealloc(PyObject* self) {
  auto* r = reinterpret_cast<Renamed*>(self);
  Py_XDECREF(r->func);
  Py_XDECREF(r->name);
  Py_XDECREF(r->qualname);
  Py_XDECREF(r->doc);
  PyTypeObject* type = Py_TYPE(self);
  PyObject_Free(self);
  Py_DECREF(type);
}

PyObject* renamed_call(PyObject* self, PyObject* args, PyObject* kwargs) {
  return PyObject_Call(reinterpret_cast<Renamed*>(self)->func, args, kwargs);
}

PyObject* renamed_get(PyObject* self, PyObject* obj, PyObject* /*type*/) {
  if (obj == nullptr || obj == Py_None) {
    Py_INCREF(self);
    return self;
  }
  return PyMethod_New(self, obj);
}

PyObject* field(PyObject* v) {
  Py_INCREF(v);
  return v;
}
PyObject* get_name(PyObject* self, void*) { return field(reinterpret_cast<Renamed*>(self)->name); }
PyObject* get_qualname(PyObject* self, void*) {
  return field(reinterpret_cast<Renamed*>(self)->qualname);
}
PyObject* get_doc(PyObject* self, void*) { return field(reinterpret_cast<Renamed*>(self)->doc); }
PyObject* get_wrapped(PyObject* self, void*) {
  return field(reinterpret_cast<Renamed*>(self)->func);
}

PyGetSetDef renamed_getset[] = {{"__name__", get_name, nullptr, nullptr, nullptr},
                                {"__qualname__", get_qualname, nullptr, nullptr, nullptr},
                                {"__doc__", get_doc, nullptr, nullptr, nullptr},
                                {"__wrapped__", get_wrapped, nullptr, nullptr, nullptr},
                                {nullptr, nullptr, nullptr, nullptr, nullptr}};

PyType_Slot renamed_slots[] = {{Py_tp_dealloc, reinterpret_cast<void*>(renamed_dealloc)},
                               {Py_tp_call, reinterpret_cast<void*>(renamed_call)},
                               {Py_tp_descr_get, reinterpret_cast<void*>(renamed_get)},
                               {Py_tp_getset, renamed_getset},
                               {0, nullptr}};

PyType_Spec renamed_spec = {"animation.method", sizeof(Renamed), 0, Py_TPFLAGS_DEFAULT,
                            renamed_slots};

PyObject* renamed_type() {
  static PyObject* type = [] {
    PyObject* t = PyType_FromSpec(&renamed_spec);
    if (!t) throw py::error_already_set();
    return t;
  }();
  return type;
}

}  // namespace

py::object ClassBuilder::renamed(const py::cpp_function& f, const char* name) const {
  py::object inner = f.attr("__name__");
  py::object doc = f.attr("__doc__");
  // The signature line pybind11 writes names the function; it shows the
  // public name instead.
  if (py::isinstance<py::str>(doc) && pyext::truthy(doc.attr("startswith")(inner)))
    doc = py::str(name) + doc[py::slice(py::len(inner), py::len(doc), 1)];
  PyObject* obj = PyType_GenericAlloc(reinterpret_cast<PyTypeObject*>(renamed_type()), 0);
  if (!obj) throw py::error_already_set();
  py::object result = py::reinterpret_steal<py::object>(obj);
  auto* r = reinterpret_cast<Renamed*>(obj);
  r->func = f.inc_ref().ptr();
  r->name = py::str(name).release().ptr();
  r->qualname = (py::str(name_) + py::str(".") + py::str(name)).release().ptr();
  r->doc = doc.release().ptr();
  return result;
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
