#pragma once

namespace tazu {
// Version of the core library, kept equal to the distribution's.
const char* core_version();
}  // namespace tazu
