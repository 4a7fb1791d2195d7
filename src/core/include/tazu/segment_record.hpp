// The change segment record: the keys under which one stretch of a layer's
// animation is stored, start and end values side by side. One table of names,
// in the order a segment is built; the groups the player reads at each step of
// drawing are index lists into it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tazu/state_record.hpp"

namespace tazu::segment {

enum class Key : std::uint8_t {
  file,
  from_state_list,
  start_relative,
  end_relative,
  base_scale,
  start_angle,
  end_angle,
  start_pivot,
  end_pivot,
  start_group_box,
  end_group_box,
  start_group_angle,
  end_group_angle,
  start_group_scale,
  end_group_scale,
  start_time,
  start_pos,
  end_pos,
  start_width,
  end_width,
  start_height,
  end_height,
  start_origin,
  end_origin,
  start_scale,
  end_scale,
  duration,
  icon_dict,
  initial_icon_dict,
};

inline constexpr std::size_t kKeyCount = 29;

// Where a segment's value comes from when it is recorded: the sprite's look
// before the step (its attribute named as the state key), the new state's
// value, a pair of either, or something else (the clock, the flags, the
// sprite's icon dicts).
enum class Source : std::uint8_t { start, end, start_pair, end_pair, other };

struct KeyInfo {
  std::string_view name;
  Source source;
  record::Key look;   // the state key the value is taken from
  record::Key look2;  // the second of a pair
};

// Keys whose value is not a state key's.
inline constexpr record::Key kNoLook = record::Key::number;

inline constexpr std::array<KeyInfo, kKeyCount> kKeys = {{
    {"文件", Source::end, record::Key::file, kNoLook},
    {"来自状态列表", Source::other, kNoLook, kNoLook},
    {"开始相对坐标", Source::start, record::Key::relative, kNoLook},
    {"结束相对坐标", Source::end, record::Key::relative, kNoLook},
    {"原始缩放比例", Source::start, record::Key::base_scale, kNoLook},
    {"开始角度", Source::start, record::Key::angle, kNoLook},
    {"结束角度", Source::end, record::Key::angle, kNoLook},
    {"开始旋转中心", Source::start, record::Key::pivot, kNoLook},
    {"结束旋转中心", Source::end, record::Key::pivot, kNoLook},
    {"开始大盘矩形", Source::start, record::Key::group_box, kNoLook},
    {"结束大盘矩形", Source::end, record::Key::group_box, kNoLook},
    {"开始大盘旋转角度", Source::start, record::Key::group_angle, kNoLook},
    {"结束大盘旋转角度", Source::end, record::Key::group_angle, kNoLook},
    {"开始大盘缩放比例", Source::start, record::Key::group_scale, kNoLook},
    {"结束大盘缩放比例", Source::end, record::Key::group_scale, kNoLook},
    {"开始时间", Source::other, kNoLook, kNoLook},
    {"开始位置", Source::start_pair, record::Key::x, record::Key::y},
    {"结束位置", Source::end_pair, record::Key::x, record::Key::y},
    {"开始宽度", Source::start, record::Key::width, kNoLook},
    {"结束宽度", Source::end, record::Key::width, kNoLook},
    {"开始高度", Source::start, record::Key::height, kNoLook},
    {"结束高度", Source::end, record::Key::height, kNoLook},
    {"开始origin_pos", Source::start_pair, record::Key::origin_x, record::Key::origin_y},
    {"结束origin_pos", Source::end_pair, record::Key::origin_x, record::Key::origin_y},
    {"开始比例", Source::start, record::Key::scale, kNoLook},
    {"结束比例", Source::end, record::Key::scale, kNoLook},
    {"时长", Source::other, kNoLook, kNoLook},
    {"图标字典", Source::other, kNoLook, kNoLook},
    {"初始图标字典", Source::other, kNoLook, kNoLook},
}};

constexpr std::size_t index(Key k) { return static_cast<std::size_t>(k); }
constexpr std::string_view name(Key k) { return kKeys[index(k)].name; }

// What the walk reads of a segment, step by step: its interval, then its
// start angle (a segment without one is skipped), then the look and the file
// (a missing file is skipped), then the sizes and the group.
inline constexpr std::array<Key, 2> kInterval = {Key::start_time, Key::duration};
inline constexpr std::array<Key, 9> kLook = {Key::end_angle, Key::start_pivot, Key::end_pivot,
                                             Key::start_pos, Key::end_pos,     Key::start_scale,
                                             Key::end_scale, Key::icon_dict,   Key::file};
inline constexpr std::array<Key, 10> kSizes = {
    Key::start_width,       Key::end_width,      Key::start_height,      Key::end_height,
    Key::start_group_box,   Key::end_group_box,  Key::start_group_angle, Key::end_group_angle,
    Key::start_group_scale, Key::end_group_scale};
// Read only by the parent-group path.
inline constexpr std::array<Key, 5> kGroup = {
    Key::base_scale, Key::start_relative, Key::end_relative, Key::start_origin, Key::end_origin};

}  // namespace tazu::segment
