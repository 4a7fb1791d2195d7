#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

// Not built yet.
void register_audio_bars(py::module_&) {}

}  // namespace tazu
