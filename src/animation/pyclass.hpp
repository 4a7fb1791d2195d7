// Helpers shared by every subsystem of the module: interned names, global lookup
// in the module namespace, Python-number helpers and a builder for host-visible
// classes whose base may be a Python class.
#pragma once

#include <pybind11/pybind11.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace py = pybind11;

namespace tazu::pyext {

// Interned str made once; never freed (names live as long as the process).
PyObject* intern(const char* utf8);

// A str for a literal, created on first use at each call site and reused.
#define TZ_NAME(lit)                                            \
  (::pybind11::handle([]() -> PyObject* {                       \
    static PyObject* tz_interned_ = ::tazu::pyext::intern(lit); \
    return tz_interned_;                                        \
  }()))

// The module object, set once while the module body runs.
void set_module(py::handle module);
py::handle module();

// Looks a global name up the way Python code of this module would: the module
// namespace first (which holds everything imported from mix), then builtins.
// Raises NameError when neither has it.
py::object global(py::handle name);
#define TZ_G(lit) (::tazu::pyext::global(TZ_NAME(lit)))

// Attribute helpers with interned names.
#define TZ_GET(obj, lit) (::pybind11::getattr((obj), TZ_NAME(lit)))
#define TZ_SET(obj, lit, value) (::pybind11::setattr((obj), TZ_NAME(lit), (value)))

// Python truthiness, as `if x:` sees it; propagates errors from __bool__.
bool truthy(py::handle obj);

// Python's `a == b` as a truth value.
bool py_eq(py::handle a, py::handle b);

// int(x): truncation toward zero for floats, as Python does.
py::object py_int(py::handle obj);

// float(x) through Python (accepts str, int, objects with __float__).
double py_float(py::handle obj);

// Maps the core's typed errors to the exceptions a Python program would see
// for the same mistake: DivisionByZero to ZeroDivisionError, WrongKind to
// TypeError, BadValue to ValueError, with the core's message. Once, for the
// module.
void register_error_translator();

// Calls `输出` of the module (the platform's line printer) with the values.
template <typename... Args>
void output(Args&&... args) {
  TZ_G("输出")(std::forward<Args>(args)...);
}

// Builds a Python class by calling the metaclass of its base with a namespace
// built here, as the compiler of Python code would. Methods bind like Python
// functions (instance methods), so `self` is the first parameter of every
// callable given to `method` and must be named in its py::arg list.
class ClassBuilder {
 public:
  ClassBuilder(py::module_ module, const char* name, py::object base = py::none(),
               const char* doc = nullptr);

  template <typename Func, typename... Extra>
  ClassBuilder& method(const char* name, Func&& f, const Extra&... extra) {
    // pybind11 treats a function named __init__ as its own constructor, which
    // only works for its own classes: the function is named after the class
    // ("图标.__init__", as its errors then say) and shown under __init__.
    if (std::string(name) == "__init__") {
      const std::string inner = name_ + ".__init__";
      py::cpp_function cf(std::forward<Func>(f), py::name(inner.c_str()), extra...);
      put(name, renamed(cf, name));
    } else {
      py::cpp_function cf(std::forward<Func>(f), py::name(name), extra...);
      put(name, as_method(cf));
    }
    return *this;
  }

  // A read-only property: getter takes self.
  template <typename Func>
  ClassBuilder& readonly(const char* name, Func&& getter, const char* doc = nullptr) {
    py::cpp_function cf(std::forward<Func>(getter), py::name(name), py::arg("self"));
    py::object prop = py::module_::import("builtins")
                          .attr("property")(cf, py::none(), py::none(),
                                            doc ? py::object(py::str(doc)) : py::none());
    put(name, prop);
    return *this;
  }

  // A plain class attribute.
  ClassBuilder& value(const char* name, py::object v);

  // Creates the class and binds it in the module under its name. Members keep
  // the order they were added in; when `order` is given, the namespace is laid
  // out in that order instead (members not listed keep their place after the
  // listed ones), so __dict__ shows the documented order.
  py::object finish(std::initializer_list<const char*> order = {});

 private:
  static py::object as_method(const py::cpp_function& f);
  // A method that calls `f` and shows the name `name` (its __name__,
  // __qualname__ and the signature line of its docstring).
  py::object renamed(const py::cpp_function& f, const char* name) const;
  void put(const char* name, py::object v);

  py::module_ module_;
  std::string name_;
  py::object base_;
  py::dict ns_;
};

}  // namespace tazu::pyext
