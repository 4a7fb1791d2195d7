#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_narration(py::module_&) {}

}  // namespace tazu
