// The rules of an icon's media on plain values: what a source file is, which
// derived picture it gets, which frame of a video or GIF a moment shows, how a
// video capture reaches that frame, how many converted GIF frames are kept, and
// how a picture is prepared before it is reduced to 256 colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tazu::media {

// ---- Sources and derived files ----

enum class SourceKind { video, gif, photo };

// A source the platform calls a video is one; otherwise a name ending in
// ".gif" (lower case only) is a GIF, and anything else a photo.
SourceKind classify(bool platform_says_video, std::string_view name);

// Derived pictures are named by the digest of their source: "{digest}.png".
std::string derived_name(std::string_view digest);
// The sub-folder of the temporary folder that holds the optimised copies.
inline constexpr std::string_view kOptimizedFolder = "optimize_png";
// The picture shown for a video without a single readable frame.
inline constexpr std::string_view kVideoPlaceholder = "video_placeholder.png";
inline constexpr int kPlaceholderSide = 200;

// Whether a picture of `bytes` is swapped for a quantised copy: always when
// forced, otherwise from 200 KB (204,800 bytes) up.
bool needs_optimizing(double bytes, bool force);
// A small picture of this bit depth is drawn without smoothing.
inline constexpr long kUnsmoothedDepth = 24;

// ---- Frames of a moment ----

// int(x) for a frame number: truncation toward zero, as a whole double (any
// finite value, however far), BadValue for NaN and std::overflow_error for the
// infinities, with Python's messages.
double truncated_frame(double x);

// The video frame shown `seconds` into the layer at `fps` frames a second, in a
// video of `frame_count` frames; nothing past the end. A rate that is no
// number counts as 0 (the first frame); a moment before the start shows frame 0.
std::optional<long> video_frame_at(double seconds, double fps, double frame_count);

// The representative frame of a video of `frame_count` frames: the middle one,
// max(0, (count - 1) // 2).
long middle_frame(long frame_count);

// GIFs play at a fixed 10 frames a second; past the end the last frame stays.
inline constexpr double kGifFps = 10;
long gif_frame_at(double seconds, long frame_count);

// Converted GIF frames an icon keeps, in bytes of pixels: playing forward needs
// only the latest few; a GIF that fits plays again without converting.
inline constexpr double kGifCacheBytes = 64.0 * 1024 * 1024;
// How many RGBA frames of width × height fit the budget; at least 2.
std::size_t gif_frames_kept(double width, double height, double budget = kGifCacheBytes);

// Where a video capture stands, so that playing forward reads on instead of
// seeking (a seek decodes from the previous key frame, which costs more than
// a few grabs).
class VideoCursor {
 public:
  // Frames skipped by grabbing rather than seeking when playback jumps ahead.
  static constexpr long kMaxGrabAhead = 8;

  // How to reach a frame.
  enum class Step {
    seek,     // set the capture's position to the frame, then read
    read_on,  // grab the frames in between (grabs()), then read
  };

  VideoCursor() = default;
  VideoCursor(long next, long shown) : next_(next), shown_(shown) {}

  // The frame last read and converted is this one.
  bool showing(long frame) const { return shown_ >= 0 && frame == shown_; }
  Step step_to(long frame) const;
  // Frames to grab before reading `frame` when reading on.
  long grabs(long frame) const { return frame - next_; }

  // After a successful read of `frame`.
  void read(long frame) {
    next_ = frame + 1;
    shown_ = frame;
  }
  // After a seek to `frame` and a read of it that was not shown.
  void read_unshown(long frame) {
    next_ = frame + 1;
    shown_ = -1;
  }
  // After a failed read, or when the capture changes hands.
  void forget() { next_ = shown_ = -1; }

  long next() const { return next_; }
  long shown() const { return shown_; }

 private:
  long next_ = -1;   // the frame the capture reads next; -1 when unknown
  long shown_ = -1;  // the frame last read and shown; -1 when none
};

// ---- Pictures ----

// An EXIF orientation as stored: 1 (as stored) to 8; anything else counts as 1.
int orientation(std::optional<long> stored);
// Orientations 5 to 8 stand the picture on its side.
bool sideways(int orientation);
// The name of Pillow's Image.Transpose member that shows a picture of this
// orientation upright; empty for orientation 1.
std::string_view transpose_name(int orientation);

// Pictures of more pixels than the limit are refused before they are decoded:
// a small file can claim gigabytes. A limit of 0 or none means no limit.
bool over_pixel_limit(double width, double height, std::optional<double> limit);
// "{w}×{h} 像素，最多 {limit} 像素", the limit written as the caller gives it.
std::string pixel_limit_detail(double width, double height, std::string_view limit);

// What a picture of this Pillow mode needs before quantising, which takes only
// grey, palette and colour pictures. Transparency given as a palette entry or
// a key colour is made alpha, which quantising keeps.
enum class Preparation { as_is, grey_to_8_bits, to_rgb, to_rgba };
Preparation preparation(std::string_view mode, bool keyed_transparency, bool alpha_band);

// How wide grey (16- and 32-bit integers, floats) reaches 8 bits: by scale,
// since Pillow's own conversion clips.
enum class GreyScale {
  times_255,  // floats of 0 to 1
  as_is,      // floats or integers already of 0 to 255 (clipped)
  shift_8,    // 16-bit values: the high byte
};
// `max_value` is the largest value (NaN ignored), for a picture that is not empty.
GreyScale grey_scale(std::string_view mode, bool empty, double max_value);

// The 8-bit grey of a picture of mode "F", "I" or "I;16…" whose `values` are
// given as read, row after row: scaled by grey_scale, then clipped to 0–255
// and truncated. Floats are worked in single precision as the picture holds
// them; NaN counts as 0.
std::vector<std::uint8_t> grey_to_8_bits(std::span<const double> values, std::string_view mode);

}  // namespace tazu::media
