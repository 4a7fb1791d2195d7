// The keyframe state record: the keys under which a layer's look is stored
// in standard data, written by the icon's report and read back by the layer
// player. One table of names; the orders in which the parts of the system
// read and copy them are index lists into it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

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

// What a value under a key may be. A compact document (a shot the command
// renders, a board document) is checked against these before it is played:
// beyond the bounds a value is a typing slip or a hostile file, pictures
// millions of pixels wide or loops that fill the memory.
enum class Kind : std::uint8_t {
  any,         // taken as it is
  identifier,  // a whole number or a text
  media_file,  // the name of a media file
  number,      // a number within [low, high]
  scale,       // a number within (low, high]: a scale of 0 would show the picture at its full size
  pair,        // two numbers, each within [low, high]
  box,         // four numbers, each within [low, high]
  count,       // a whole number within [low, high]
  records,     // a list of state records
};

// What, besides a value of its kind, a key may hold to mean "none".
enum class Blank : std::uint8_t {
  never,
  none,                // None: a layer outside a group has no group angle or scale
  none_or_empty_text,  // None or "": the record format writes "" for no rotation centre
};

// How the kinds are named to the command that checks documents.
inline constexpr std::array<std::string_view, 9> kKindNames = {
    "any", "identifier", "media_file", "number", "scale", "pair", "box", "count", "records"};
constexpr std::string_view kind_name(Kind k) { return kKindNames[static_cast<std::size_t>(k)]; }

inline constexpr double kMaxPosition = 1e6;  // pixels, for positions, sizes and boxes
inline constexpr double kMaxAngle = 1e6;     // degrees
inline constexpr double kMaxScale = 1000;
inline constexpr double kMaxLoops = 10000;

struct KeyInfo {
  std::string_view name;
  Fallback fallback;
  Kind kind = Kind::any;
  Blank blank = Blank::never;
  double low = 0, high = 0;
};

inline constexpr std::array<KeyInfo, kKeyCount> kKeys = {{
    {"编号", Fallback::required, Kind::identifier},
    {"文件", Fallback::required, Kind::media_file},
    {"横坐标", Fallback::zero, Kind::number, Blank::never, -kMaxPosition, kMaxPosition},
    {"纵坐标", Fallback::zero, Kind::number, Blank::never, -kMaxPosition, kMaxPosition},
    {"origin_x", Fallback::from_x, Kind::number, Blank::never, -kMaxPosition, kMaxPosition},
    {"origin_y", Fallback::from_y, Kind::number, Blank::never, -kMaxPosition, kMaxPosition},
    {"宽度", Fallback::picture_size, Kind::number, Blank::never, 0, kMaxPosition},
    {"高度", Fallback::picture_size, Kind::number, Blank::never, 0, kMaxPosition},
    {"模式", Fallback::zero},
    {"循环", Fallback::yes},
    {"缩放比例", Fallback::one, Kind::scale, Blank::never, 0, kMaxScale},
    {"旋转中心", Fallback::empty_text, Kind::pair, Blank::none_or_empty_text, -kMaxPosition,
     kMaxPosition},
    {"相对坐标", Fallback::none, Kind::pair, Blank::none, -kMaxPosition, kMaxPosition},
    {"原始缩放比例", Fallback::one, Kind::scale, Blank::none, 0, kMaxScale},
    {"大盘矩形", Fallback::none, Kind::box, Blank::none, -kMaxPosition, kMaxPosition},
    {"旋转角度", Fallback::zero, Kind::number, Blank::never, -kMaxAngle, kMaxAngle},
    {"锁", Fallback::no},
    {"循环次数", Fallback::one, Kind::count, Blank::never, 1, kMaxLoops},
    {"大盘旋转角度", Fallback::zero, Kind::number, Blank::none, -kMaxAngle, kMaxAngle},
    {"大盘缩放比例", Fallback::one, Kind::scale, Blank::none, 0, kMaxScale},
    {"别名", Fallback::none},
    {"info", Fallback::none},
    {"缩放备份", Fallback::none},
    {"文本", Fallback::none},
    {"字体大小", Fallback::empty_text},
    {"文本颜色", Fallback::empty_text},
    {"字体", Fallback::empty_text},
    {"状态列表", Fallback::none, Kind::records, Blank::none},
}};

constexpr std::size_t index(Key k) { return static_cast<std::size_t>(k); }
constexpr std::string_view name(Key k) { return kKeys[index(k)].name; }
constexpr Fallback fallback(Key k) { return kKeys[index(k)].fallback; }

// The keys a compact record may leave out and that then take a plain value
// (0, 1, None, "", True or False): those of a report's fixed part whose
// fallback needs neither the record's other keys nor its picture.
constexpr bool plain_default(Key k) {
  switch (fallback(k)) {
    case Fallback::required:
    case Fallback::from_x:
    case Fallback::from_y:
    case Fallback::picture_size:
      return false;
    default:
      return k < Key::scale_backup;
  }
}

// A plain value as a record holds it: None (monostate), True or False, a
// whole number or a text.
using PlainValue = std::variant<std::monostate, bool, int, std::string_view>;

// The value a plain fallback stands for: 0, 1, None, "", True or False (None
// for the fallbacks that are not plain).
constexpr PlainValue plain_value(Fallback f) {
  switch (f) {
    case Fallback::zero:
      return PlainValue{0};
    case Fallback::one:
      return PlainValue{1};
    case Fallback::empty_text:
      return PlainValue{std::string_view{}};
    case Fallback::yes:
      return PlainValue{true};
    case Fallback::no:
      return PlainValue{false};
    default:
      return PlainValue{};
  }
}

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
