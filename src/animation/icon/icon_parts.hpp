// Class 图标 is built from members defined in several files; each adds its
// members to the same builder before the class is created.
#pragma once

#include "pyclass.hpp"

namespace tazu::icon {

// icon/: constructor, __str__, __eq__, properties, transforms, gestures,
// drawing, state report.
void add_model_members(pyext::ClassBuilder& b);
// icon_media/media.cpp: media files and frames.
void add_media_members(pyext::ClassBuilder& b);
// icon_media/keyframes.cpp: keyframe-state editing.
void add_keyframe_members(pyext::ClassBuilder& b);
// icon_media/menu.cpp: context menu, selection, board-forwarding actions.
void add_menu_members(pyext::ClassBuilder& b);

}  // namespace tazu::icon
