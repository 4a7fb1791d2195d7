// Pictures read the way image viewers show them, for the icon and the layer player.
#pragma once

#include "pyclass.hpp"

namespace tazu::icon {

// (width, height) of a picture file as it is shown, EXIF orientation applied,
// read from its header through Pillow. Pillow's errors are raised again
// naming the file.
py::tuple shown_picture_size(py::handle path);

}  // namespace tazu::icon
