#include "tazu/version.hpp"

// The build passes the version of pyproject.toml, the one place it is written.
#ifndef TAZU_VERSION
#error "TAZU_VERSION is set by the build from pyproject.toml"
#endif

namespace tazu {
const char* core_version() { return TAZU_VERSION; }
}  // namespace tazu
