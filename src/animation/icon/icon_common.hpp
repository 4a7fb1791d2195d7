// Helpers shared by the files that build class 图标: calls on the base class
// and the members each file adds.
#pragma once

#include "convert.hpp"
#include "pyclass.hpp"
#include "tazu/icon_geometry.hpp"

namespace tazu::icon {

using namespace tazu::convert;

// The class object of 图标, set once it is created.
void set_icon_class(py::object cls);

// super(图标, self): the next class after 图标 in self's method order.
py::object base(py::handle self);

// Members of the class, one group per file, each added to the same builder
// before the class is created.
void add_model_members(pyext::ClassBuilder& b);  // constructor, __str__, __eq__, properties
void add_transform_members(pyext::ClassBuilder& b);
void add_gesture_members(pyext::ClassBuilder& b);
void add_drawing_members(pyext::ClassBuilder& b);
void add_report_members(pyext::ClassBuilder& b);
// icon_media/: media files and frames; keyframe-state editing; the context
// menu, selection and the actions the board carries out.
void add_media_members(pyext::ClassBuilder& b);
void add_keyframe_members(pyext::ClassBuilder& b);
void add_menu_members(pyext::ClassBuilder& b);

}  // namespace tazu::icon
