#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_dropdown_dialog(py::module_&) {}

}  // namespace tazu
