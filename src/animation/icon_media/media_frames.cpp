// The frame of a video or GIF that a moment of playback shows, read through
// OpenCV or Pillow and handed to the icon as its picture. Which frame, and how
// the capture gets there, is the core's (tazu/media.hpp).
#include <optional>

#include "convert.hpp"
#include "icon_media/media.hpp"
#include "icon_media/pictures.hpp"
#include "tazu/media.hpp"

namespace tazu::icon::media_py {

namespace {

using convert::number;

// Where the capture stands and the surface of the frame last shown, kept on
// the icon as one plain tuple (next, shown, surface), so that copies of an
// icon carry it like every other attribute.
struct VideoPosition {
  media::VideoCursor cursor;
  py::object surface = py::none();
};

VideoPosition position_of(py::handle self) {
  py::object kept = pictures::attr_or(self, TZ_NAME("_tazu_video"), py::none());
  if (!PyTuple_Check(kept.ptr()) || PyTuple_GET_SIZE(kept.ptr()) != 3) return {};
  py::tuple t = py::reinterpret_borrow<py::tuple>(kept);
  return {{t[0].cast<long>(), t[1].cast<long>()}, t[2]};
}

void keep(py::handle self, const media::VideoCursor& cursor, py::handle surface) {
  TZ_SET(self, "_tazu_video", py::make_tuple(cursor.next(), cursor.shown(), surface));
}

void show(py::handle self, py::handle surface) {
  TZ_SET(self, "origin_image", surface);
  TZ_SET(self, "image", surface);
}

bool update_video(py::object self, py::object current_time) {
  py::object cap = TZ_GET(self, "video_cap");
  if (!pyext::truthy(cap)) return false;
  const std::optional<long> wanted =
      media::video_frame_at(number(current_time), number(TZ_GET(self, "video_fps")),
                            number(TZ_GET(self, "video_frame_num")));
  if (!wanted) return false;
  const long frame = *wanted;

  auto [cursor, surface] = position_of(self);
  if (cursor.showing(frame) && !surface.is_none()) {
    show(self, surface);
    return true;
  }
  py::object cv2 = TZ_G("cv2");
  if (cursor.step_to(frame) == media::VideoCursor::Step::seek) {
    TZ_GET(cap, "set")(TZ_GET(cv2, "CAP_PROP_POS_FRAMES"), frame);
  } else {
    py::object grab = TZ_GET(cap, "grab");
    for (long i = cursor.grabs(frame); i > 0; --i) {
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
  py::object converted = TZ_GET(cv2, "cvtColor")(got[1], TZ_GET(cv2, "COLOR_BGR2BGRA"));
  py::object shape = TZ_GET(converted, "shape");
  py::object size = py::make_tuple(shape[py::int_(1)], shape[py::int_(0)]);
  // The surface wraps the converted frame as it is (BGRA rows) and keeps it
  // alive: the same picture as a converted, transposed copy, with one copy less.
  surface = TZ_GET(TZ_GET(TZ_G("pygame"), "image"), "frombuffer")(converted, size, "BGRA");
  cursor.read(frame);
  keep(self, cursor, surface);
  show(self, surface);
  return true;
}

// Converted frames, kept in order of use (the least recently used first) in a
// dict on the icon.
py::dict gif_cache(py::handle self) {
  py::object cache = pictures::attr_or(self, TZ_NAME("_tazu_gif_surfaces"), py::none());
  if (PyDict_Check(cache.ptr())) return py::reinterpret_borrow<py::dict>(cache);
  py::dict fresh;
  TZ_SET(self, "_tazu_gif_surfaces", fresh);
  return fresh;
}

void update_gif(py::object self, py::object current_time) {
  py::object frames = TZ_GET(self, "gif_frames");
  // A "gif" that is a still picture keeps the picture it was given.
  if (!pyext::truthy(frames)) return;
  py::object cap = TZ_GET(self, "gif_cap");
  py::object gif = pictures::attr_or(self, TZ_NAME("_tazu_gif_file"), py::none());
  if (gif.is_none()) gif = TZ_GET(self, "_文件");
  const long count = pictures::reading(gif, [&] { return TZ_GET(cap, "n_frames"); }).cast<long>();
  py::int_ key(media::gif_frame_at(number(current_time), count));
  py::dict cache = gif_cache(self);
  PyObject* hit = PyDict_GetItemWithError(cache.ptr(), key.ptr());
  if (!hit && PyErr_Occurred()) throw py::error_already_set();
  py::object surface;
  if (hit) {
    surface = py::reinterpret_borrow<py::object>(hit);
    if (PyDict_DelItem(cache.ptr(), key.ptr()) < 0) throw py::error_already_set();
  } else {
    // Pillow decodes on from the frame it holds, so playing forward decodes
    // each frame once; the frame is handed over with alpha, like every picture.
    py::object frame =
        pictures::reading(gif, [&] { return TZ_GET(frames[key], "convert")("RGBA"); });
    surface = TZ_GET(TZ_GET(TZ_GET(self, "画板"), "屏幕"), "pillow_to_image")(frame);
    const Vec2 size = convert::pair(TZ_GET(frame, "size"));
    const auto keep = static_cast<Py_ssize_t>(media::gif_frames_kept(size.x, size.y));
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

}  // namespace

void forget_video_position(py::handle self) { keep(self, media::VideoCursor(), py::none()); }

void video_read_unshown(py::handle self, long frame) {
  media::VideoCursor cursor;
  cursor.read_unshown(frame);
  keep(self, cursor, py::none());
}

bool update_content(py::object self, py::object /*start*/, py::object current_time) {
  py::object kind = TZ_GET(self, "type");
  if (pyext::py_eq(kind, py::str("video"))) return update_video(self, current_time);
  if (pyext::py_eq(kind, py::str("gif"))) update_gif(self, current_time);
  return true;
}

}  // namespace tazu::icon::media_py
