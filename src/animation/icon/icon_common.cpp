#include "icon/icon_common.hpp"

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

}  // namespace tazu::icon
