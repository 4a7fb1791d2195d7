#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_font_dialog(py::module_&) {}

}  // namespace tazu
