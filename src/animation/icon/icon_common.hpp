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

// Members of the class, one group per file.
void add_transform_members(pyext::ClassBuilder& b);
void add_gesture_members(pyext::ClassBuilder& b);
void add_drawing_members(pyext::ClassBuilder& b);
void add_report_members(pyext::ClassBuilder& b);

}  // namespace tazu::icon
