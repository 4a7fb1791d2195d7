#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_state_selector(py::module_&) {}

}  // namespace tazu
