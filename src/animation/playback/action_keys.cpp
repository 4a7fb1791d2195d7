#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_action_keys(py::module_&) {}

}  // namespace tazu
