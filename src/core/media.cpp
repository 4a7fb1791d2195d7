#include "tazu/media.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "tazu/errors.hpp"

namespace tazu::media {

SourceKind classify(bool platform_says_video, std::string_view name) {
  if (platform_says_video) return SourceKind::video;
  return name.ends_with(".gif") ? SourceKind::gif : SourceKind::photo;
}

std::string derived_name(std::string_view digest) {
  std::string name(digest);
  name += ".png";
  return name;
}

bool needs_optimizing(double bytes, bool force) { return force || !(bytes / 1024.0 < 200); }

double truncated_frame(double x) {
  if (std::isnan(x)) throw BadValue("cannot convert float NaN to integer");
  if (std::isinf(x)) throw std::overflow_error("cannot convert float infinity to integer");
  return std::trunc(x);
}

std::optional<long> video_frame_at(double seconds, double fps, double frame_count) {
  if (!std::isfinite(fps)) fps = 0;
  const double want = truncated_frame(seconds * fps);
  if (want > frame_count) return std::nullopt;
  // Within the count, so it fits; before the start is the first frame.
  return static_cast<long>(std::max(0.0, want));
}

long middle_frame(long frame_count) { return frame_count >= 1 ? (frame_count - 1) / 2 : 0; }

long gif_frame_at(double seconds, long frame_count) {
  const double at = truncated_frame(seconds * kGifFps);
  const double last = static_cast<double>(frame_count - 1);
  return static_cast<long>(std::max(0.0, std::min(last, at)));
}

std::size_t gif_frames_kept(double width, double height, double budget) {
  const double frame_bytes = std::max(1.0, width * height * 4);
  const double fit = std::floor(budget / frame_bytes);
  return fit >= 2 ? static_cast<std::size_t>(std::min(fit, 1e9)) : 2;
}

VideoCursor::Step VideoCursor::step_to(long frame) const {
  // Playing forward reads on; only a jump seeks.
  if (next_ < 0 || frame < next_ || frame > next_ + kMaxGrabAhead) return Step::seek;
  return Step::read_on;
}

int orientation(std::optional<long> stored) {
  return stored && *stored >= 1 && *stored <= 8 ? static_cast<int>(*stored) : 1;
}

bool sideways(int orientation) { return orientation >= 5; }

std::string_view transpose_name(int orientation) {
  static constexpr std::array<std::string_view, 9> kTranspose = {
      "",          "",           "FLIP_LEFT_RIGHT", "ROTATE_180", "FLIP_TOP_BOTTOM",
      "TRANSPOSE", "ROTATE_270", "TRANSVERSE",      "ROTATE_90"};
  return orientation >= 1 && orientation <= 8 ? kTranspose[orientation] : "";
}

bool over_pixel_limit(double width, double height, std::optional<double> limit) {
  // Written as the negation so that a limit that is no number refuses.
  return limit && *limit != 0 && !(width * height <= *limit);
}

std::string pixel_limit_detail(double width, double height, std::string_view limit) {
  std::string s = std::to_string(static_cast<long long>(width)) + "×" +
                  std::to_string(static_cast<long long>(height)) + " 像素，最多 ";
  s += limit;
  s += " 像素";
  return s;
}

Preparation preparation(std::string_view mode, bool keyed_transparency, bool alpha_band) {
  if (mode.starts_with("I") || mode == "F") return Preparation::grey_to_8_bits;
  const bool quantizable = mode == "L" || mode == "P" || mode == "RGB" || mode == "RGBA";
  if (!keyed_transparency && quantizable) return Preparation::as_is;
  const bool alpha = keyed_transparency || alpha_band || mode.find('a') != std::string_view::npos;
  return alpha ? Preparation::to_rgba : Preparation::to_rgb;
}

GreyScale grey_scale(std::string_view mode, bool empty, double max_value) {
  if (mode == "F") return empty || max_value <= 1.0 ? GreyScale::times_255 : GreyScale::as_is;
  const bool wide = mode.starts_with("I;16") || (!empty && max_value > 255);
  return wide ? GreyScale::shift_8 : GreyScale::as_is;
}

std::vector<std::uint8_t> grey_to_8_bits(std::span<const double> values, std::string_view mode) {
  const bool floats = mode == "F";
  double max_value = -std::numeric_limits<double>::infinity();
  bool any = false;
  for (double v : values) {
    if (std::isnan(v)) continue;
    max_value = any ? std::max(max_value, v) : v;
    any = true;
  }
  // All NaN: nothing to scale by.
  if (!any) max_value = std::numeric_limits<double>::quiet_NaN();
  const GreyScale scale = grey_scale(mode, values.empty(), max_value);
  std::vector<std::uint8_t> out(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    double v;
    if (floats) {
      float f = static_cast<float>(values[i]);
      if (scale == GreyScale::times_255) f *= 255.0f;
      v = std::isnan(f) ? 0.0 : f;
    } else {
      v = values[i];
      if (scale == GreyScale::shift_8) v = std::floor(std::clamp(v, 0.0, 65535.0) / 256.0);
    }
    out[i] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
  }
  return out;
}

}  // namespace tazu::media
