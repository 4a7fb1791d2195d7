#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_selection_list(py::module_&) {}

}  // namespace tazu
