#include "icon/icon_parts.hpp"

namespace tazu::icon {

// Not built yet.
void add_model_members(pyext::ClassBuilder&) {}

}  // namespace tazu::icon
