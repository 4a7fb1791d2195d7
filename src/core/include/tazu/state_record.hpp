// The keyframe state record: the keys under which a layer's look is stored
// in standard data, written by the icon's report and read back by the layer
// player. One table of names; the orders in which the parts of the system
// read and copy them are index lists into it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tazu::record {

enum class Key : std::uint8_t {
  // The fixed part of a report, in its order.
  number,
  file,
  x,
  y,
  origin_x,
  origin_y,
  width,
  height,
  mode,
  loop,
  scale,
  pivot,
  relative,
  base_scale,
  group_box,
  angle,
  lock,
  loops,
  group_angle,
  group_scale,
  alias,
  info,
  // Optional keys, in the order a report appends them.
  scale_backup,
  text,
  font_size,
  text_colour,
  font,
  states,
};

inline constexpr std::size_t kKeyCount = 28;

// What a record that leaves a key out stands for.
enum class Fallback : std::uint8_t {
  required,      // no record without it
  zero,          // 0
  one,           // 1
  none,          // None: not in a group, no rotation centre
  empty_text,    // "" (a rotation centre of "" is none)
  yes,           // True
  no,            // False
  from_x,        // origin_x: the record's 横坐标
  from_y,        // origin_y: the record's 纵坐标
  picture_size,  // 宽度, 高度: the bounds of the turned, scaled picture
};

struct KeyInfo {
  std::string_view name;
  Fallback fallback;
};

inline constexpr std::array<KeyInfo, kKeyCount> kKeys = {{
    {"编号", Fallback::required},
    {"文件", Fallback::required},
    {"横坐标", Fallback::zero},
    {"纵坐标", Fallback::zero},
    {"origin_x", Fallback::from_x},
    {"origin_y", Fallback::from_y},
    {"宽度", Fallback::picture_size},
    {"高度", Fallback::picture_size},
    {"模式", Fallback::zero},
    {"循环", Fallback::yes},
    {"缩放比例", Fallback::one},
    {"旋转中心", Fallback::empty_text},
    {"相对坐标", Fallback::none},
    {"原始缩放比例", Fallback::one},
    {"大盘矩形", Fallback::none},
    {"旋转角度", Fallback::zero},
    {"锁", Fallback::no},
    {"循环次数", Fallback::one},
    {"大盘旋转角度", Fallback::zero},
    {"大盘缩放比例", Fallback::one},
    {"别名", Fallback::none},
    {"info", Fallback::none},
    {"缩放备份", Fallback::none},
    {"文本", Fallback::none},
    {"字体大小", Fallback::empty_text},
    {"文本颜色", Fallback::empty_text},
    {"字体", Fallback::empty_text},
    {"状态列表", Fallback::none},
}};

constexpr std::size_t index(Key k) { return static_cast<std::size_t>(k); }
constexpr std::string_view name(Key k) { return kKeys[index(k)].name; }
constexpr Fallback fallback(Key k) { return kKeys[index(k)].fallback; }

// The fifteen keys of a layer's look that the player animates, in the order a
// state is read when it is shaped into a change segment.
inline constexpr std::array<Key, 15> kLookKeys = {
    Key::file,      Key::x,           Key::y,           Key::scale,    Key::pivot,
    Key::angle,     Key::width,       Key::height,      Key::relative, Key::base_scale,
    Key::group_box, Key::group_angle, Key::group_scale, Key::origin_x, Key::origin_y};

// The order a sprite takes the look from the icon dict it is made with (after
// its 编号).
inline constexpr std::array<Key, 15> kSpriteFromIconDict = {
    Key::file,      Key::scale,       Key::x,           Key::y,        Key::pivot,
    Key::angle,     Key::width,       Key::height,      Key::relative, Key::base_scale,
    Key::group_box, Key::group_angle, Key::group_scale, Key::origin_x, Key::origin_y};

// The order a state's look becomes the sprite's when the state switches the
// media file (the segment then starts at the new state).
inline constexpr std::array<Key, 15> kOnFileSwitch = {
    Key::origin_x, Key::origin_y,   Key::file,      Key::x,           Key::y,
    Key::scale,    Key::pivot,      Key::angle,     Key::width,       Key::height,
    Key::relative, Key::base_scale, Key::group_box, Key::group_angle, Key::group_scale};

// The order the first state of a sprite's first animated frame becomes its look.
inline constexpr std::array<Key, 15> kFromFirstState = {
    Key::origin_x,    Key::origin_y,    Key::file,     Key::x,          Key::y,
    Key::width,       Key::height,      Key::relative, Key::base_scale, Key::group_box,
    Key::group_angle, Key::group_scale, Key::scale,    Key::pivot,      Key::angle};

// The order a recorded state becomes the sprite's look (its file follows last,
// after the clock has moved on).
inline constexpr std::array<Key, 14> kAfterSegment = {
    Key::origin_x,    Key::origin_y,    Key::x,        Key::y,          Key::scale,
    Key::width,       Key::height,      Key::relative, Key::base_scale, Key::group_box,
    Key::group_angle, Key::group_scale, Key::pivot,    Key::angle};

// The look a change segment is recorded from (处理视频), in the order of its
// arguments; the segment's duration and start time come between the seventh
// and the eighth, the state-list flag last.
inline constexpr std::array<Key, 14> kSegmentArguments = {
    Key::origin_x,    Key::origin_y,    Key::x,     Key::y,       Key::angle,
    Key::pivot,       Key::scale,       Key::width, Key::height,  Key::group_box,
    Key::group_angle, Key::group_scale, Key::file,  Key::relative};
inline constexpr std::size_t kSegmentClockAt = 7;

}  // namespace tazu::record
