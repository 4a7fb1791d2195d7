// An icon's media: the picture file it loads for a picture, GIF or video source,
// derived pictures in the board's temporary folder, and the frame shown at a
// moment of playback.
#include "icon_media/media.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

#include "icon/icon_common.hpp"
#include "icon/icon_parts.hpp"
#include "tazu/gif_scan.hpp"

namespace tazu::icon {

namespace {

// Frames skipped by decoding rather than seeking when playback jumps ahead a little:
// a seek decodes from the previous key frame, which costs more than a few grabs.
constexpr long kMaxGrabAhead = 8;

// Converted GIF frames an icon keeps, in bytes of pixels. Playing forward needs
// only the latest few; a GIF that fits is played again without converting.
constexpr double kGifCacheBytes = 64.0 * 1024 * 1024;

py::object temp_folder(py::handle self) { return TZ_GET(TZ_GET(self, "画板"), "临时文件夹"); }

std::string text(py::handle v) { return py::str(v).cast<std::string>(); }

bool exists(py::handle path) { return pyext::truthy(TZ_G("是否存在")(path)); }

py::object getattr_or(py::handle obj, py::handle name, py::handle fallback) {
  PyObject* v = PyObject_GetAttr(obj.ptr(), name.ptr());
  if (v) return py::reinterpret_steal<py::object>(v);
  if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throw py::error_already_set();
  PyErr_Clear();
  return py::reinterpret_borrow<py::object>(fallback);
}

long attr_long(py::handle obj, py::handle name, long fallback) {
  py::object v = getattr_or(obj, name, py::none());
  return v.is_none() ? fallback : v.cast<long>();
}

// Writes a derived file under a temporary name in the same folder and renames it
// into place, so an interrupted write never leaves a file that later counts as done.
template <typename Write>
void write_into_place(py::handle final_path, Write&& write) {
  py::object os = TZ_G("os");
  // Built as str: a file name need not be valid UTF-8.
  py::str final_s(final_path);
  py::object stem = py::len(final_s) > 4 ? final_s[py::slice(0, -4, 1)] : final_s;
  py::object tmp = stem + py::str(".part") + py::str(TZ_GET(os, "getpid")()) + py::str(".png");
  try {
    write(tmp);
    TZ_GET(os, "replace")(tmp, final_path);
  } catch (...) {
    py::object path = TZ_GET(os, "path");
    if (pyext::truthy(TZ_GET(path, "exists")(tmp))) TZ_GET(os, "remove")(tmp);
    throw;
  }
}

py::str message(const char* what, py::handle path, py::handle detail = py::handle()) {
  py::object m = py::str(what) + py::str(path);
  if (detail) m = m + py::str("（") + py::str(detail) + py::str("）");
  return py::reinterpret_steal<py::str>(m.release());
}

void write_image(py::handle path, py::handle frame) {
  write_into_place(path, [&](py::handle tmp) {
    if (!pyext::truthy(TZ_GET(TZ_G("cv2"), "imwrite")(tmp, frame)))
      raise_error(PyExc_OSError, message("无法写入图片：", path));
  });
}

py::object bomb_error() { return TZ_GET(TZ_G("Image"), "DecompressionBombError"); }

// Runs `read`, which reads the picture `path` through Pillow. Its failures are
// raised again naming the file, of the same kind (a picture too large, or an
// OSError), with the original as the cause. Memory errors pass unchanged.
template <typename Read>
auto reading(py::handle path, Read&& read) -> decltype(read()) {
  try {
    return read();
  } catch (py::error_already_set& e) {
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
}

// Pictures of more pixels than Pillow's limit (Image.MAX_IMAGE_PIXELS) are
// refused before they are decoded: a small file can claim gigabytes.
void check_pixels(py::handle path, double w, double h, const char* what) {
  py::object limit = TZ_GET(TZ_G("Image"), "MAX_IMAGE_PIXELS");
  if (!pyext::truthy(limit) || w * h <= number(limit)) return;
  py::str detail(std::to_string(long(w)) + "×" + std::to_string(long(h)) + " 像素，最多 " +
                 std::string(py::str(limit)) + " 像素");
  raise_error(bomb_error().ptr(), message(what, path, detail));
}

void check_picture_pixels(py::handle path, py::handle image) {
  auto [w, h] = unpack<2>(TZ_GET(image, "size"));
  check_pixels(path, number(w), number(h), "图片太大：");
}

py::object open_image(py::handle path) {
  return reading(path, [&] {
    // Pictures over the limit are refused with the file's name; Pillow's
    // warning about them would only say the same without it.
    py::object warnings = py::module_::import("warnings");
    py::object quiet = TZ_GET(warnings, "catch_warnings")();
    TZ_GET(quiet, "__enter__")();
    try {
      TZ_GET(warnings, "simplefilter")("ignore", TZ_GET(TZ_G("Image"), "DecompressionBombWarning"));
      py::object image = TZ_GET(TZ_G("Image"), "open")(path);
      TZ_GET(quiet, "__exit__")(py::none(), py::none(), py::none());
      return image;
    } catch (...) {
      TZ_GET(quiet, "__exit__")(py::none(), py::none(), py::none());
      throw;
    }
  });
}

// The EXIF orientation, 1 (as stored) to 8; unreadable EXIF counts as 1.
long orientation_of(py::handle image) {
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
    long o = PyLong_Check(v.ptr()) ? v.cast<long>() : 1;
    return o >= 1 && o <= 8 ? o : 1;
  } catch (py::error_already_set&) {
    return 1;
  }
}

// The picture turned and flipped by its EXIF orientation, as viewers show it.
py::object upright(py::object image) {
  static const char* const kTranspose[9] = {nullptr,      nullptr,           "FLIP_LEFT_RIGHT",
                                            "ROTATE_180", "FLIP_TOP_BOTTOM", "TRANSPOSE",
                                            "ROTATE_270", "TRANSVERSE",      "ROTATE_90"};
  long orientation = orientation_of(image);
  if (orientation == 1) return image;
  py::object method = py::getattr(TZ_GET(TZ_G("Image"), "Transpose"), kTranspose[orientation]);
  return TZ_GET(image, "transpose")(method);
}

// 16- and 32-bit grey brought to 8 bits by scale: Pillow's own conversion clips.
py::object grey_to_8_bits(py::handle image) {
  py::object numpy = TZ_G("numpy");
  std::string mode = text(TZ_GET(image, "mode"));
  py::object values = TZ_GET(numpy, "asarray")(image);
  bool empty = !pyext::truthy(TZ_GET(values, "size"));
  py::object grey;
  if (mode == "F") {
    bool unit = empty || number(TZ_GET(numpy, "nanmax")(values)) <= 1.0;
    grey = TZ_GET(numpy, "nan_to_num")(values * py::float_(unit ? 255.0 : 1.0));
  } else {
    values = TZ_GET(values, "astype")(TZ_GET(numpy, "int64"));
    bool wide = mode.starts_with("I;16") || (!empty && number(TZ_GET(values, "max")()) > 255);
    grey = wide ? TZ_GET(values, "clip")(0, 65535).attr("__rshift__")(8) : values;
  }
  grey = TZ_GET(TZ_GET(grey, "clip")(0, 255), "astype")(TZ_GET(numpy, "uint8"));
  return TZ_GET(TZ_G("Image"), "fromarray")(grey, "L");
}

// Quantising takes grey, palette and colour pictures; others (grey with alpha,
// 16-bit, CMYK, bilevel) are brought to colour first instead of failing.
// Transparency given as a palette entry or a key colour is made alpha, which
// quantising keeps.
py::object quantizable(py::object image) {
  std::string mode = text(TZ_GET(image, "mode"));
  if (mode.starts_with("I") || mode == "F") return grey_to_8_bits(image);
  bool keyed = TZ_GET(image, "info").contains(py::str("transparency"));
  if (!keyed && (mode == "L" || mode == "P" || mode == "RGB" || mode == "RGBA")) return image;
  bool alpha = keyed || TZ_GET(image, "getbands")().contains(py::str("A")) ||
               mode.find('a') != std::string::npos;
  return TZ_GET(image, "convert")(alpha ? "RGBA" : "RGB");
}

// The bytes of a path as the file system sees them.
std::string fs_path(py::handle path) {
  py::object bytes = TZ_GET(TZ_G("os"), "fsencode")(path);
  return bytes.cast<std::string>();
}

// A GIF whose frames stop part-way is refused when it is opened, rather than
// failing when playback reaches the missing frame.
void check_gif_is_whole(py::handle path) {
  std::ifstream in(fs_path(path), std::ios::binary);
  if (!in) return;  // Pillow has it open; let it report
  media::GifScan scan = media::scan_gif(in);
  if (scan.is_gif && !scan.whole)
    raise_error(PyExc_OSError, message("GIF 文件不完整：", path, py::str(scan.problem)));
}

py::object white_frame() {
  py::object numpy = TZ_G("numpy");
  return TZ_GET(numpy, "full")(py::make_tuple(200, 200, 3), 255,
                               py::arg("dtype") = TZ_GET(numpy, "uint8"));
}

// A video without a single readable frame is shown as a white placeholder.
py::object video_placeholder(py::handle self) {
  py::object path = TZ_G("路径")(temp_folder(self), "video_placeholder.png");
  if (!exists(path)) write_image(path, white_frame());
  return path;
}

py::object process_file(py::object self, py::object file, py::object system, py::object preview) {
  if (!exists(file)) {
    pyext::output(message("文件不存在：", file));
    return py::none();
  }
  if (pyext::truthy(TZ_G("是否文件夹")(file))) {
    pyext::output(message("该图层路径是文件夹：", file));
    return py::none();
  }
  if (pyext::truthy(TZ_G("是否视频")(file))) {
    TZ_SET(self, "type", py::str("video"));
    py::object frame = TZ_GET(self, "获取视频首帧")(file);
    if (frame.is_none()) {
      pyext::output(message("视频损坏：", file));
      frame = video_placeholder(self);
    }
    file = frame;
  } else if (pyext::truthy(py::str(file).attr("endswith")(".gif"))) {
    TZ_SET(self, "type", py::str("gif"));
    file = TZ_GET(self, "获取gif首帧")(file);
  } else {
    TZ_SET(self, "type", py::str("photo"));
  }
  if (pyext::truthy(preview))
    return TZ_GET(self, "get_optimize_file")(file, py::arg("force") = true);
  if (pyext::truthy(system)) return file;
  return TZ_GET(self, "get_optimize_file")(file, py::arg("force") = false);
}

py::object optimize_file(py::object self, py::object file, py::object force) {
  py::object os = TZ_G("os");
  double size_kb = number(TZ_GET(TZ_GET(os, "path"), "getsize")(file)) / 1024.0;
  if (!pyext::truthy(force) && size_kb < 200) {
    if (pyext::py_eq(TZ_G("get_image_bit_depth")(file), py::int_(24)))
      TZ_SET(self, "smooth", py::bool_(false));
    return file;
  }
  py::object md5 = TZ_G("file_to_md5")(file);
  py::object target = TZ_G("路径")(temp_folder(self), "optimize_png", text(md5) + ".png");
  if (!exists(target)) {
    pyext::output(message("正在优化图片文件：", file));
    write_into_place(target, [&](py::handle tmp) {
      py::object image = open_image(file);
      try {
        check_picture_pixels(file, image);
        py::object quantized = reading(file, [&] {
          py::object source = quantizable(upright(image));
          return TZ_GET(source, "quantize")(py::arg("colors") = 256);
        });
        TZ_GET(quantized, "save")
        (tmp, py::arg("format") = "PNG", py::arg("optimize") = true, py::arg("compress_level") = 9);
      } catch (...) {
        TZ_GET(image, "close")();
        throw;
      }
      TZ_GET(image, "close")();
    });
  }
  TZ_SET(self, "smooth", py::bool_(false));
  return target;
}

void forget_video_position(py::handle self) {
  TZ_SET(self, "_tazu_video_next", py::int_(-1));
  TZ_SET(self, "_tazu_video_shown", py::int_(-1));
  TZ_SET(self, "_tazu_video_surface", py::none());
}

py::object video_first_frame(py::object self, py::object video) {
  py::object cv2 = TZ_G("cv2");
  py::object cap = TZ_GET(self, "video_cap");
  // The capture follows the file: a replaced video must not play the old frames.
  py::object opened_on = getattr_or(self, TZ_NAME("_tazu_video_file"), py::none());
  if (!pyext::truthy(cap) || !pyext::py_eq(opened_on, video)) {
    if (pyext::truthy(cap)) TZ_GET(cap, "release")();
    cap = TZ_GET(cv2, "VideoCapture")(video);
    TZ_SET(self, "video_cap", cap);
    TZ_SET(self, "_tazu_video_file", video);
    TZ_SET(self, "video_frame_num", py::int_(0));
    forget_video_position(self);
  }
  if (!pyext::truthy(TZ_GET(self, "video_frame_num"))) {
    py::object get = TZ_GET(cap, "get");
    TZ_SET(self, "video_frame_num", pyext::py_int(get(TZ_GET(cv2, "CAP_PROP_FRAME_COUNT"))));
    TZ_SET(self, "video_fps", get(TZ_GET(cv2, "CAP_PROP_FPS")));
    TZ_SET(self, "video_w", pyext::py_int(get(TZ_GET(cv2, "CAP_PROP_FRAME_WIDTH"))));
    TZ_SET(self, "video_h", pyext::py_int(get(TZ_GET(cv2, "CAP_PROP_FRAME_HEIGHT"))));
    if (!pyext::truthy(TZ_GET(self, "video_frame_num"))) return py::none();
  }
  check_pixels(video, number(TZ_GET(self, "video_w")), number(TZ_GET(self, "video_h")),
               "视频画面太大：");
  py::object md5 = TZ_G("file_to_md5")(video);
  py::object target = TZ_G("路径")(temp_folder(self), text(md5) + ".png");
  if (exists(target)) return target;

  py::object frame;
  if (!pyext::truthy(TZ_GET(cap, "isOpened")())) {
    frame = white_frame();
    pyext::output(message("视频损坏：", video));
  } else {
    long count = TZ_GET(self, "video_frame_num").cast<long>();
    long middle = count >= 1 ? (count - 1) / 2 : 0;
    TZ_GET(cap, "set")(TZ_GET(cv2, "CAP_PROP_POS_FRAMES"), middle);
    py::tuple got = TZ_GET(cap, "read")();
    forget_video_position(self);
    if (!pyext::truthy(got[0])) {
      frame = white_frame();
      pyext::output(message("无法读取视频帧：", video));
    } else {
      TZ_SET(self, "_tazu_video_next", py::int_(middle + 1));
      frame = TZ_GET(cv2, "cvtColor")(got[1], TZ_GET(cv2, "COLOR_BGR2BGRA"));
    }
  }
  write_image(target, frame);
  return target;
}

py::object gif_first_frame(py::object self, py::object gif) {
  py::object opened_on = getattr_or(self, TZ_NAME("_tazu_gif_file"), py::none());
  // Reopen when another GIF is asked about, so a switched file shows its own frames.
  if (!pyext::truthy(TZ_GET(self, "gif_frames")) || !pyext::py_eq(opened_on, gif)) {
    py::object old = TZ_GET(self, "gif_cap");
    py::object cap = open_image(gif);
    bool animated = false;
    try {
      check_picture_pixels(gif, cap);
      animated = reading(gif, [&] {
        return pyext::py_eq(TZ_GET(cap, "format"), py::str("GIF")) &&
               pyext::truthy(getattr_or(cap, TZ_NAME("is_animated"), py::bool_(false)));
      });
      if (animated) check_gif_is_whole(gif);
    } catch (...) {
      TZ_GET(cap, "close")();
      throw;
    }
    TZ_SET(self, "gif_cap", cap);
    TZ_SET(self, "_tazu_gif_file", gif);
    TZ_SET(self, "_tazu_gif_surfaces", py::dict());
    TZ_SET(self, "gif_frames", py::none());
    if (pyext::truthy(old) && !old.is(cap)) TZ_GET(old, "close")();
    // A still picture is used as it is: the file asked about, not the icon's own.
    if (!animated) return gif;
    TZ_SET(self, "gif_frames", TZ_GET(TZ_G("ImageSequence"), "Iterator")(cap));
  }
  py::object md5 = TZ_G("file_to_md5")(gif);
  py::object target = TZ_G("路径")(temp_folder(self), text(md5) + ".png");
  if (exists(target)) return target;
  py::object first = reading(gif, [&] { return TZ_GET(self, "gif_frames")[py::int_(0)]; });
  write_into_place(target, [&](py::handle tmp) {
    reading(gif, [&] { return TZ_GET(first, "save")(tmp, py::arg("format") = "PNG"); });
  });
  return target;
}

py::object replace_picture(py::object self, py::object path) {
  py::object previous = TZ_GET(self, "_文件");
  TZ_SET(self, "_文件", path);
  py::object final_file = TZ_GET(self, "处理文件")(TZ_GET(self, "_文件"), TZ_GET(self, "系统"));
  // A file that cannot be shown leaves the layer on the one it shows, so a
  // saved record never names a file the picture did not come from.
  if (final_file.is_none()) TZ_SET(self, "_文件", previous);
  return TZ_GET(base(self), "替换图片")(final_file);
}

py::object refresh_picture(py::object self, py::object path) {
  TZ_SET(self, "_文件", path);
  return TZ_GET(base(self), "刷新图片")(path);
}

// int(time * rate) as a whole double: any finite time is a frame before, in or
// past the media, however far; NaN and infinities fail as int() does.
double frame_index(double at) {
  if (!std::isfinite(at)) int_of(at);
  return std::trunc(at);
}

void show(py::handle self, py::handle surface) {
  TZ_SET(self, "origin_image", surface);
  TZ_SET(self, "image", surface);
}

bool update_video(py::object self, py::object current_time) {
  py::object cap = TZ_GET(self, "video_cap");
  if (!pyext::truthy(cap)) return false;
  double fps = number(TZ_GET(self, "video_fps"));
  // A rate that is no number shows the first frame, as a rate of 0 does.
  if (!std::isfinite(fps)) fps = 0;
  double want = frame_index(number(current_time) * fps);
  if (want > number(TZ_GET(self, "video_frame_num"))) return false;
  long frame_count = static_cast<long>(std::max(0.0, want));

  long shown = attr_long(self, TZ_NAME("_tazu_video_shown"), -1);
  py::object surface = getattr_or(self, TZ_NAME("_tazu_video_surface"), py::none());
  if (frame_count == shown && !surface.is_none()) {
    show(self, surface);
    return true;
  }
  py::object cv2 = TZ_G("cv2");
  long next = attr_long(self, TZ_NAME("_tazu_video_next"), -1);
  // Playing forward reads on; only a jump seeks.
  if (next < 0 || frame_count < next || frame_count > next + kMaxGrabAhead) {
    TZ_GET(cap, "set")(TZ_GET(cv2, "CAP_PROP_POS_FRAMES"), frame_count);
  } else {
    py::object grab = TZ_GET(cap, "grab");
    for (long i = next; i < frame_count; ++i) {
      if (!pyext::truthy(grab())) {
        forget_video_position(self);
        return false;
      }
    }
  }
  py::tuple got = TZ_GET(cap, "read")();
  if (!pyext::truthy(got[0])) {
    forget_video_position(self);
    return false;
  }
  // With an alpha channel, like every picture: a turned frame keeps transparent corners.
  py::object frame = TZ_GET(cv2, "cvtColor")(got[1], TZ_GET(cv2, "COLOR_BGR2BGRA"));
  py::object shape = TZ_GET(frame, "shape");
  py::object size = py::make_tuple(shape[py::int_(1)], shape[py::int_(0)]);
  // The surface wraps the converted frame as it is (BGRA rows) and keeps it
  // alive: the same picture as a converted, transposed copy, with one copy less.
  surface = TZ_GET(TZ_GET(TZ_G("pygame"), "image"), "frombuffer")(frame, size, "BGRA");
  TZ_SET(self, "_tazu_video_next", py::int_(frame_count + 1));
  TZ_SET(self, "_tazu_video_shown", py::int_(frame_count));
  TZ_SET(self, "_tazu_video_surface", surface);
  show(self, surface);
  return true;
}

void update_gif(py::object self, py::object current_time) {
  py::object frames = TZ_GET(self, "gif_frames");
  // A "gif" that is a still picture keeps the picture it was given.
  if (!pyext::truthy(frames)) return;
  py::object cap = TZ_GET(self, "gif_cap");
  py::object gif = getattr_or(self, TZ_NAME("_tazu_gif_file"), TZ_GET(self, "_文件"));
  long last = reading(gif, [&] { return TZ_GET(cap, "n_frames"); }).cast<long>() - 1;
  double at = frame_index(number(current_time) * 10);
  long frame_count = static_cast<long>(std::max(0.0, std::min(static_cast<double>(last), at)));
  // Converted frames are kept in order of use, the least recently used first.
  py::object cache = getattr_or(self, TZ_NAME("_tazu_gif_surfaces"), py::none());
  if (!PyDict_Check(cache.ptr())) {
    cache = py::dict();
    TZ_SET(self, "_tazu_gif_surfaces", cache);
  }
  py::int_ key(frame_count);
  PyObject* hit = PyDict_GetItemWithError(cache.ptr(), key.ptr());
  if (!hit && PyErr_Occurred()) throw py::error_already_set();
  py::object surface;
  if (hit) {
    surface = py::reinterpret_borrow<py::object>(hit);
    if (PyDict_DelItem(cache.ptr(), key.ptr()) < 0) throw py::error_already_set();
  } else {
    // Pillow decodes on from the frame it holds, so playing forward decodes
    // each frame once; the frame is handed over with alpha, like every picture.
    py::object frame = reading(gif, [&] { return TZ_GET(frames[key], "convert")("RGBA"); });
    py::object screen = TZ_GET(TZ_GET(self, "画板"), "屏幕");
    surface = TZ_GET(screen, "pillow_to_image")(frame);
    auto [w, h] = unpack<2>(TZ_GET(frame, "size"));
    double frame_bytes = std::max(1.0, number(w) * number(h) * 4);
    auto keep = static_cast<Py_ssize_t>(std::max(2.0, std::floor(kGifCacheBytes / frame_bytes)));
    while (PyDict_Size(cache.ptr()) >= keep) {
      Py_ssize_t pos = 0;
      PyObject *oldest, *value;
      if (!PyDict_Next(cache.ptr(), &pos, &oldest, &value)) break;
      py::object hold = py::reinterpret_borrow<py::object>(oldest);
      if (PyDict_DelItem(cache.ptr(), hold.ptr()) < 0) throw py::error_already_set();
    }
  }
  if (PyDict_SetItem(cache.ptr(), key.ptr(), surface.ptr()) < 0) throw py::error_already_set();
  show(self, surface);
}

bool update_content(py::object self, py::object /*start*/, py::object current_time) {
  py::object kind = TZ_GET(self, "type");
  if (pyext::py_eq(kind, py::str("video"))) return update_video(self, current_time);
  if (pyext::py_eq(kind, py::str("gif"))) update_gif(self, current_time);
  return true;
}

}  // namespace

py::tuple shown_picture_size(py::handle path) {
  py::object image = open_image(path);
  try {
    auto [w, h] = unpack<2>(TZ_GET(image, "size"));
    // Orientations 5 to 8 stand the picture on its side.
    bool sideways = orientation_of(image) >= 5;
    TZ_GET(image, "close")();
    return sideways ? py::make_tuple(h, w) : py::make_tuple(w, h);
  } catch (...) {
    TZ_GET(image, "close")();
    throw;
  }
}

void add_media_members(pyext::ClassBuilder& b) {
  b.method("获取gif首帧", &gif_first_frame, py::arg("self"), py::arg("gif文件"));
  b.method("获取视频首帧", &video_first_frame, py::arg("self"), py::arg("视频文件"));
  b.method("处理文件", &process_file, py::arg("self"), py::arg("文件"), py::arg("系统"),
           py::arg("预览") = false);
  b.method("get_optimize_file", &optimize_file, py::arg("self"), py::arg("文件"),
           py::arg("force") = false);
  b.method("替换图片", &replace_picture, py::arg("self"), py::arg("图片路径"));
  b.method("刷新图片", &refresh_picture, py::arg("self"), py::arg("图片路径"));
  // The docstring is the method's own text only, as the host reads it.
  py::options options;
  options.disable_function_signatures();
  b.method("更新内容", &update_content, py::arg("self"), py::arg("开始时间"),
           py::arg("current_time"), py::doc("\n    专为系统设计而生\n"));
}

}  // namespace tazu::icon
