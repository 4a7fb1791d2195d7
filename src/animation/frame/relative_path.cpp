#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

void register_relative_path(py::module_& m) {
  m.def(
      "转相对路径",
      [](py::object file_path) {
        // The directory recorded at import, read through the module namespace so
        // a host that rebinds it is honoured.
        return TZ_G("os").attr("path").attr("relpath")(file_path, TZ_G("tazu_current_directory"));
      },
      py::arg("file_path"));
}

}  // namespace tazu
