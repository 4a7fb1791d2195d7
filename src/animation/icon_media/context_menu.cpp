#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_context_menu(py::module_&) {}

}  // namespace tazu
