// An icon's media: the picture file it loads for a picture, GIF or video source,
// and derived pictures in the board's temporary folder. The rules are the
// core's (tazu/media.hpp); here are the calls to the platform and the libraries.
#include "icon_media/media.hpp"

#include <fstream>
#include <string>

#include "icon/icon_common.hpp"
#include "icon_media/pictures.hpp"
#include "tazu/gif_scan.hpp"
#include "tazu/media.hpp"
#include "widgets/mix_widgets.hpp"

namespace tazu::icon {

namespace {

using pictures::message;
using pictures::reading;
using widgets_py::set_attributes;

py::str text_of(std::string_view s) { return py::str(s.data(), s.size()); }

bool exists(py::handle path) { return pyext::truthy(TZ_G("是否存在")(path)); }

// The derived picture of `source` in the board's temporary folder, and
// whether it is there already.
struct Derived {
  py::object path;
  bool present;
};
Derived derived_of(py::handle self, py::handle source, bool optimized = false) {
  py::object folder = TZ_GET(TZ_GET(self, "画板"), "临时文件夹");
  py::str name = text_of(media::derived_name(text(TZ_G("file_to_md5")(source))));
  py::object join = TZ_G("路径");
  py::object path =
      optimized ? join(folder, text_of(media::kOptimizedFolder), name) : join(folder, name);
  const bool present = exists(path);
  return {path, present};
}

// A GIF whose frames stop part-way is refused when it is opened, rather than
// failing when playback reaches the missing frame.
void check_gif_is_whole(py::handle path) {
  std::ifstream in(pictures::fs_bytes(path), std::ios::binary);
  if (!in) return;  // Pillow has it open; let it report
  media::GifScan scan = media::scan_gif(in);
  if (scan.is_gif && !scan.whole)
    raise_error(PyExc_OSError, message("GIF 文件不完整：", path, py::str(scan.problem)));
}

// A video without a single readable frame is shown as a white placeholder.
py::object video_placeholder(py::handle self) {
  py::object folder = TZ_GET(TZ_GET(self, "画板"), "临时文件夹");
  py::object path = TZ_G("路径")(folder, text_of(media::kVideoPlaceholder));
  if (!exists(path)) pictures::write_image(path, pictures::white_frame());
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
  const bool video = pyext::truthy(TZ_G("是否视频")(file));
  switch (media::classify(video, pictures::fs_bytes(file))) {
    case media::SourceKind::video: {
      TZ_SET(self, "type", py::str("video"));
      py::object frame = TZ_GET(self, "获取视频首帧")(file);
      if (frame.is_none()) {
        pyext::output(message("视频损坏：", file));
        frame = video_placeholder(self);
      }
      file = frame;
      break;
    }
    case media::SourceKind::gif:
      TZ_SET(self, "type", py::str("gif"));
      file = TZ_GET(self, "获取gif首帧")(file);
      break;
    case media::SourceKind::photo:
      TZ_SET(self, "type", py::str("photo"));
      break;
  }
  if (pyext::truthy(preview))
    return TZ_GET(self, "get_optimize_file")(file, py::arg("force") = true);
  if (pyext::truthy(system)) return file;
  return TZ_GET(self, "get_optimize_file")(file, py::arg("force") = false);
}

py::object optimize_file(py::object self, py::object file, py::object force) {
  const double bytes = number(TZ_GET(TZ_GET(TZ_G("os"), "path"), "getsize")(file));
  if (!media::needs_optimizing(bytes, pyext::truthy(force))) {
    if (pyext::py_eq(TZ_G("get_image_bit_depth")(file), py::int_(media::kUnsmoothedDepth)))
      TZ_SET(self, "smooth", py::bool_(false));
    return file;
  }
  Derived target = derived_of(self, file, /*optimized=*/true);
  if (!target.present) {
    pyext::output(message("正在优化图片文件：", file));
    pictures::write_into_place(target.path, [&](py::handle tmp) {
      py::object image = pictures::open_image(file);
      pictures::closing(image, [&] {
        pictures::check_picture_pixels(file, image);
        py::object quantized = reading(file, [&] {
          py::object source = pictures::quantizable(pictures::upright(image));
          return TZ_GET(source, "quantize")(py::arg("colors") = 256);
        });
        return TZ_GET(quantized, "save")(tmp, py::arg("format") = "PNG", py::arg("optimize") = true,
                                         py::arg("compress_level") = 9);
      });
    });
  }
  TZ_SET(self, "smooth", py::bool_(false));
  return target.path;
}

py::object video_first_frame(py::object self, py::object video) {
  py::object cv2 = TZ_G("cv2");
  py::object cap = TZ_GET(self, "video_cap");
  // The capture follows the file: a replaced video must not play the old frames.
  py::object opened_on = pictures::attr_or(self, TZ_NAME("_tazu_video_file"), py::none());
  if (!pyext::truthy(cap) || !pyext::py_eq(opened_on, video)) {
    if (pyext::truthy(cap)) TZ_GET(cap, "release")();
    cap = TZ_GET(cv2, "VideoCapture")(video);
    set_attributes(
        self, {{"video_cap", cap}, {"_tazu_video_file", video}, {"video_frame_num", py::int_(0)}});
    media_py::forget_video_position(self);
  }
  if (!pyext::truthy(TZ_GET(self, "video_frame_num"))) {
    py::object get = TZ_GET(cap, "get");
    auto property = [&](const char* name) { return get(cv2.attr(name)); };
    py::object count = pyext::py_int(property("CAP_PROP_FRAME_COUNT"));
    set_attributes(self, {{"video_frame_num", count},
                          {"video_fps", property("CAP_PROP_FPS")},
                          {"video_w", pyext::py_int(property("CAP_PROP_FRAME_WIDTH"))},
                          {"video_h", pyext::py_int(property("CAP_PROP_FRAME_HEIGHT"))}});
    if (!pyext::truthy(count)) return py::none();
  }
  pictures::check_pixels(video, number(TZ_GET(self, "video_w")), number(TZ_GET(self, "video_h")),
                         "视频画面太大：");
  Derived target = derived_of(self, video);
  if (target.present) return target.path;

  py::object frame;
  if (!pyext::truthy(TZ_GET(cap, "isOpened")())) {
    frame = pictures::white_frame();
    pyext::output(message("视频损坏：", video));
  } else {
    const long middle = media::middle_frame(TZ_GET(self, "video_frame_num").cast<long>());
    TZ_GET(cap, "set")(TZ_GET(cv2, "CAP_PROP_POS_FRAMES"), middle);
    py::tuple got = TZ_GET(cap, "read")();
    if (!pyext::truthy(got[0])) {
      media_py::forget_video_position(self);
      frame = pictures::white_frame();
      pyext::output(message("无法读取视频帧：", video));
    } else {
      media_py::video_read_unshown(self, middle);
      frame = TZ_GET(cv2, "cvtColor")(got[1], TZ_GET(cv2, "COLOR_BGR2BGRA"));
    }
  }
  pictures::write_image(target.path, frame);
  return target.path;
}

// Opens `gif` as the icon's GIF. False for a still picture, which is then used
// as it is.
bool open_gif(py::handle self, py::object gif) {
  py::object old = TZ_GET(self, "gif_cap");
  py::object cap = pictures::open_image(gif);
  bool animated = false;
  try {
    pictures::check_picture_pixels(gif, cap);
    animated = reading(gif, [&] {
      return pyext::py_eq(TZ_GET(cap, "format"), py::str("GIF")) &&
             pyext::truthy(pictures::attr_or(cap, TZ_NAME("is_animated"), py::bool_(false)));
    });
    if (animated) check_gif_is_whole(gif);
  } catch (...) {
    TZ_GET(cap, "close")();
    throw;
  }
  set_attributes(self, {{"gif_cap", cap},
                        {"_tazu_gif_file", gif},
                        {"_tazu_gif_surfaces", py::dict()},
                        {"gif_frames", py::none()}});
  if (pyext::truthy(old) && !old.is(cap)) TZ_GET(old, "close")();
  if (animated) TZ_SET(self, "gif_frames", TZ_GET(TZ_G("ImageSequence"), "Iterator")(cap));
  return animated;
}

py::object gif_first_frame(py::object self, py::object gif) {
  py::object opened_on = pictures::attr_or(self, TZ_NAME("_tazu_gif_file"), py::none());
  // Reopen when another GIF is asked about, so a switched file shows its own frames.
  if (!pyext::truthy(TZ_GET(self, "gif_frames")) || !pyext::py_eq(opened_on, gif)) {
    // A still picture is used as it is: the file asked about, not the icon's own.
    if (!open_gif(self, gif)) return gif;
  }
  Derived target = derived_of(self, gif);
  if (target.present) return target.path;
  py::object first = reading(gif, [&] { return TZ_GET(self, "gif_frames")[py::int_(0)]; });
  pictures::write_into_place(target.path, [&](py::handle tmp) {
    reading(gif, [&] { return TZ_GET(first, "save")(tmp, py::arg("format") = "PNG"); });
  });
  return target.path;
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

}  // namespace

py::tuple shown_picture_size(py::handle path) {
  py::object image = pictures::open_image(path);
  return pictures::closing(image, [&] {
    auto [w, h] = unpack<2>(TZ_GET(image, "size"));
    const bool sideways = media::sideways(pictures::orientation_of(image));
    return sideways ? py::make_tuple(h, w) : py::make_tuple(w, h);
  });
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
  b.method("更新内容", &media_py::update_content, py::arg("self"), py::arg("开始时间"),
           py::arg("current_time"), py::doc("\n    专为系统设计而生\n"));
}

}  // namespace tazu::icon
