#include "icon_media/pictures.hpp"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tazu/files.hpp"
#include "tazu/media.hpp"

namespace tazu::icon::pictures {

using convert::number;
using convert::raise_error;
using convert::text;

namespace {

// 16- and 32-bit grey brought to 8 bits by scale: Pillow's own conversion clips.
py::object grey_to_8_bits(py::handle image, const std::string& mode) {
  using Values = py::array_t<double, py::array::c_style | py::array::forcecast>;
  Values values = Values::ensure(TZ_GET(TZ_G("numpy"), "asarray")(image));
  if (!values) throw py::error_already_set();
  const std::vector<std::uint8_t> grey =
      media::grey_to_8_bits({values.data(), static_cast<std::size_t>(values.size())}, mode);
  py::array_t<std::uint8_t> out(
      std::vector<py::ssize_t>(values.shape(), values.shape() + values.ndim()));
  std::copy(grey.begin(), grey.end(), out.mutable_data());
  return TZ_GET(TZ_G("Image"), "fromarray")(out, "L");
}

}  // namespace

std::string fs_bytes(py::handle path) {
  return TZ_GET(TZ_G("os"), "fsencode")(path).cast<std::string>();
}

py::object attr_or(py::handle obj, py::handle name, py::handle fallback) {
  PyObject* v = PyObject_GetAttr(obj.ptr(), name.ptr());
  if (v) return py::reinterpret_steal<py::object>(v);
  if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throw py::error_already_set();
  PyErr_Clear();
  return py::reinterpret_borrow<py::object>(fallback);
}

py::str message(const char* what, py::handle path, py::handle detail) {
  py::object m = py::str(what) + py::str(path);
  if (detail) m = m + py::str("（") + py::str(detail) + py::str("）");
  return py::reinterpret_steal<py::str>(m.release());
}

void rethrow_naming(py::handle path, py::error_already_set& e) {
  if (e.matches(PyExc_MemoryError) || !e.matches(PyExc_Exception)) throw;
  py::object image = TZ_G("Image");
  py::object bomb = TZ_GET(image, "DecompressionBombError");
  py::object unknown = TZ_GET(image, "UnidentifiedImageError");
  const bool too_big = e.matches(bomb);
  py::object type = too_big              ? bomb
                    : e.matches(unknown) ? unknown
                                         : py::reinterpret_borrow<py::object>(PyExc_OSError);
  py::object fresh = type(message(too_big ? "图片太大：" : "无法读取图片：", path, e.value()));
  PyException_SetCause(fresh.ptr(), e.value().inc_ref().ptr());
  PyErr_SetObject(type.ptr(), fresh.ptr());
  throw py::error_already_set();
}

py::object open_image(py::handle path) {
  return reading(path, [&] {
    // Pictures over the limit are refused with the file's name; Pillow's
    // warning about them would only say the same without it.
    py::object warnings = py::module_::import("warnings");
    py::object quiet = TZ_GET(warnings, "catch_warnings")();
    TZ_GET(quiet, "__enter__")();
    try {
      py::object image = TZ_G("Image");
      TZ_GET(warnings, "simplefilter")("ignore", TZ_GET(image, "DecompressionBombWarning"));
      py::object opened = TZ_GET(image, "open")(path);
      TZ_GET(quiet, "__exit__")(py::none(), py::none(), py::none());
      return opened;
    } catch (...) {
      TZ_GET(quiet, "__exit__")(py::none(), py::none(), py::none());
      throw;
    }
  });
}

void check_pixels(py::handle path, double width, double height, const char* what) {
  py::object image = TZ_G("Image");
  py::object limit = TZ_GET(image, "MAX_IMAGE_PIXELS");
  std::optional<double> cap;
  if (pyext::truthy(limit)) cap = number(limit);
  if (!media::over_pixel_limit(width, height, cap)) return;
  py::str detail(media::pixel_limit_detail(width, height, text(limit)));
  raise_error(TZ_GET(image, "DecompressionBombError").ptr(), message(what, path, detail));
}

void check_picture_pixels(py::handle path, py::handle image) {
  Vec2 size = convert::pair(TZ_GET(image, "size"));
  check_pixels(path, size.x, size.y, "图片太大：");
}

int orientation_of(py::handle image) {
  try {
    py::object exif;
    if (pyext::py_eq(TZ_GET(image, "format"), py::str("PNG"))) {
      // Pillow decodes a whole PNG to look for EXIF behind the pixels; the
      // EXIF that writers put before them is read without decoding.
      py::object raw = TZ_GET(TZ_GET(image, "info"), "get")("exif");
      if (!pyext::truthy(raw)) return 1;
      exif = TZ_GET(TZ_G("Image"), "Exif")();
      TZ_GET(exif, "load")(raw);
    } else {
      exif = TZ_GET(image, "getexif")();
    }
    py::object v = TZ_GET(exif, "get")(0x0112);
    std::optional<long> stored;
    if (PyLong_Check(v.ptr())) stored = v.cast<long>();
    return media::orientation(stored);
  } catch (py::error_already_set&) {
    return 1;
  } catch (py::cast_error&) {
    return 1;
  }
}

py::object upright(py::object image) {
  const std::string_view method = media::transpose_name(orientation_of(image));
  if (method.empty()) return image;
  py::object how = py::getattr(TZ_GET(TZ_G("Image"), "Transpose"), std::string(method).c_str());
  return TZ_GET(image, "transpose")(how);
}

py::object quantizable(py::object image) {
  const std::string mode = text(TZ_GET(image, "mode"));
  const bool keyed = TZ_GET(image, "info").contains(py::str("transparency"));
  const bool alpha_band = TZ_GET(image, "getbands")().contains(py::str("A"));
  switch (media::preparation(mode, keyed, alpha_band)) {
    case media::Preparation::as_is:
      return image;
    case media::Preparation::grey_to_8_bits:
      return grey_to_8_bits(image, mode);
    case media::Preparation::to_rgb:
      return TZ_GET(image, "convert")("RGB");
    case media::Preparation::to_rgba:
      break;
  }
  return TZ_GET(image, "convert")("RGBA");
}

void write_into_place(py::handle path, const std::function<void(py::handle tmp)>& write) {
  // A str path need not be valid UTF-8: the file system's bytes go through.
  const std::string target = fs_bytes(path);
  py::object fsdecode = TZ_GET(TZ_G("os"), "fsdecode");
  // What a killed run left half-written in this folder goes first.
  files::remove_stale_temp_files(std::filesystem::path(target).parent_path().string());
  convert::file_operation(path, [&] {
    files::write_atomically_named(target, ".png",
                                  [&](const std::string& tmp) { write(fsdecode(py::bytes(tmp))); });
  });
}

void write_image(py::handle path, py::handle frame) {
  write_into_place(path, [&](py::handle tmp) {
    if (!pyext::truthy(TZ_GET(TZ_G("cv2"), "imwrite")(tmp, frame)))
      raise_error(PyExc_OSError, message("无法写入图片：", path));
  });
}

py::object white_frame() {
  py::object numpy = TZ_G("numpy");
  const int side = media::kPlaceholderSide;
  return TZ_GET(numpy, "full")(py::make_tuple(side, side, 3), 255,
                               py::arg("dtype") = TZ_GET(numpy, "uint8"));
}

}  // namespace tazu::icon::pictures
