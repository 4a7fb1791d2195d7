#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_layer_sprite(py::module_&) {}

}  // namespace tazu
