// Binding of the core audio engine for the reference platform.
#include <pybind11/pybind11.h>

namespace py = pybind11;

PYBIND11_MODULE(_audio, m) { m.doc() = "tazu audio engine"; }
