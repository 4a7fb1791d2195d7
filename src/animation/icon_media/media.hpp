// Pictures read the way image viewers show them, for the icon and the layer
// player; and the icon's media members, in two files.
#pragma once

#include "pyclass.hpp"

namespace tazu::icon {

// (width, height) of a picture file as it is shown, EXIF orientation applied,
// read from its header through Pillow. Pillow's errors are raised again
// naming the file.
py::tuple shown_picture_size(py::handle path);

namespace media_py {

// media_frames.cpp: 更新内容, the frame of a moment.
bool update_content(py::object self, py::object start, py::object current_time);
// The capture changed hands or failed: the next frame is sought.
void forget_video_position(py::handle self);
// After the capture was set to `frame` and read it without showing it.
void video_read_unshown(py::handle self, long frame);

}  // namespace media_py

}  // namespace tazu::icon
