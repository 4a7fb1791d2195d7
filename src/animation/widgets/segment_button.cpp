#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_segment_button(py::module_&) {}

}  // namespace tazu
