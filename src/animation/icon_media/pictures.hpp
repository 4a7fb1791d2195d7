// Picture files through Pillow and OpenCV for the icon's media: opening with
// errors that name the file, the pixel limit, upright and quantisable copies,
// and derived files written into place. Every library is the module's global
// of that name, looked up when it is used.
#pragma once

#include <functional>
#include <string>

#include "convert.hpp"
#include "pyclass.hpp"

namespace tazu::icon::pictures {

// The bytes of a path as the file system sees them (os.fsencode).
std::string fs_bytes(py::handle path);

// getattr(obj, name, fallback): only a missing attribute gives the fallback.
py::object attr_or(py::handle obj, py::handle name, py::handle fallback);

// "{what}{path}", or "{what}{path}（{detail}）".
py::str message(const char* what, py::handle path, py::handle detail = py::handle());

// Runs `read`, which reads the picture `path` through Pillow. Its failures are
// raised again naming the file, of the same kind (a picture too large, or an
// OSError), with the original as the cause. Memory errors pass unchanged.
[[noreturn]] void rethrow_naming(py::handle path, py::error_already_set& e);
template <typename Read>
auto reading(py::handle path, Read&& read) -> decltype(read()) {
  try {
    return read();
  } catch (py::error_already_set& e) {
    rethrow_naming(path, e);
  }
}

// Image.open(path), without Pillow's warning for pictures over its limit
// (they are refused with the file's name instead).
py::object open_image(py::handle path);
// Closes `image` whatever `use` does.
template <typename Use>
auto closing(py::handle image, Use&& use) -> decltype(use()) {
  try {
    auto result = use();
    TZ_GET(image, "close")();
    return result;
  } catch (...) {
    TZ_GET(image, "close")();
    throw;
  }
}

// Refuses a picture of more pixels than Pillow's limit (Image.MAX_IMAGE_PIXELS)
// with Image.DecompressionBombError "{what}{path}（…）".
void check_pixels(py::handle path, double width, double height, const char* what);
// The same for an opened Pillow image.
void check_picture_pixels(py::handle path, py::handle image);

// The EXIF orientation, 1 (as stored) to 8; unreadable EXIF counts as 1.
int orientation_of(py::handle image);
// The picture turned and flipped by its EXIF orientation, as viewers show it.
py::object upright(py::object image);
// The picture in a mode that quantising takes, its transparency kept.
py::object quantizable(py::object image);

// Writes the derived file `path` through `write`, which saves to the name it is
// given (a temporary one beside `path`, ending in ".png"); the file appears
// under `path` only when whole.
void write_into_place(py::handle path, const std::function<void(py::handle tmp)>& write);
// cv2.imwrite of a frame, into place; OSError "无法写入图片：{path}" when
// OpenCV refuses.
void write_image(py::handle path, py::handle frame);

// A white placeholder frame, kPlaceholderSide pixels square, 3 channels.
py::object white_frame();

}  // namespace tazu::icon::pictures
