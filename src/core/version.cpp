#include "tazu/version.hpp"

namespace tazu {
const char* core_version() { return "0.1.0"; }
}  // namespace tazu
