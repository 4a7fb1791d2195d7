// The attributes a canvas icon is made with: their names, what each starts
// as, and the three runs in which the constructor sets them around the base
// class's own set-up (the binding turns each initial value into the host's);
// and where its report takes its plain numbers from.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "tazu/state_record.hpp"

namespace tazu::icon_model {

enum class Initial : std::uint8_t {
  // Constants first, in this order.
  none,
  zero,
  one,
  no,          // False
  yes,         // True
  empty_text,  // ""
  argument,    // the constructor's argument of the same name
  file,        // 图标信息.获取("文件") when 图标信息 is truthy, else None
  fit_ratio,   // the board's screen's _fit_ratio, as it is at construction
  new_list,    // a new empty 列表
  actions,     // each menu action's label mapped to the icon's method of that name
};

struct Attribute {
  std::string_view name;
  Initial initial;
};

// Set first, before the source file is processed into the picture to load.
inline constexpr std::array<Attribute, 13> kBeforePicture = {{
    {"_文件", Initial::file},
    {"画板", Initial::argument},
    {"type", Initial::none},
    {"info", Initial::argument},
    {"smooth", Initial::yes},
    {"video_cap", Initial::none},
    {"gif_frames", Initial::none},
    {"gif_cap", Initial::none},
    {"video_frame_num", Initial::zero},
    {"video_fps", Initial::zero},
    {"video_w", Initial::zero},
    {"video_h", Initial::zero},
    {"fit_ratio", Initial::fit_ratio},
}};

// Set once the base class holds the picture, before it is moved into place.
inline constexpr std::array<Attribute, 6> kAfterBase = {{
    {"激活", Initial::no},
    {"模式", Initial::zero},
    {"移动中", Initial::no},
    {"移动锚点", Initial::none},
    {"旋转中", Initial::no},
    {"系统", Initial::argument},
}};

// Set last, after the first move. 别名 then becomes info["name"] when the
// info is truthy.
inline constexpr std::array<Attribute, 29> kAfterMove = {{
    {"图标信息", Initial::argument},
    {"编号", Initial::argument},
    {"临时旋转中心", Initial::none},
    {"类型", Initial::argument},
    {"标记编号", Initial::argument},
    {"锁", Initial::no},
    {"循环", Initial::yes},
    {"文本", Initial::none},
    {"字体大小", Initial::empty_text},
    {"文本颜色", Initial::empty_text},
    {"字体", Initial::empty_text},
    {"多选选中", Initial::no},
    {"当前菜单", Initial::none},
    {"上次选中时间", Initial::none},
    {"按钮字典", Initial::actions},
    {"状态列表", Initial::new_list},
    {"按钮列表", Initial::none},
    {"图标状态选项", Initial::none},
    {"当前状态备份", Initial::none},
    {"图层坐标设置", Initial::none},
    {"图层比例设置", Initial::none},
    {"循环次数输入框", Initial::none},
    {"循环次数", Initial::one},
    {"大盘旋转角度", Initial::zero},
    {"大盘缩放比例", Initial::one},
    {"别名", Initial::none},
    {"相对坐标", Initial::none},
    {"原始缩放比例", Initial::one},
    {"缩放备份", Initial::none},
}};

// The constructor's arguments that attributes of the same name keep.
inline constexpr std::array<std::string_view, 7> kKeptArguments = {
    "画板", "info", "系统", "图标信息", "编号", "类型", "标记编号"};

// The plain numbers of a report, in the order they are converted to standard
// data: each read from the icon's rectangle (矩形) or from the icon itself.
struct ReportedNumber {
  record::Key key;
  bool from_rectangle;
  std::string_view attribute;
};
inline constexpr std::array<ReportedNumber, 9> kReportedNumbers = {{
    {record::Key::x, true, "左"},
    {record::Key::y, true, "上"},
    {record::Key::width, true, "宽"},
    {record::Key::height, true, "高"},
    {record::Key::scale, false, "scale_ratio"},
    {record::Key::group_scale, false, "大盘缩放比例"},
    {record::Key::origin_x, false, "origin_x"},
    {record::Key::origin_y, false, "origin_y"},
    {record::Key::base_scale, false, "原始缩放比例"},
}};

}  // namespace tazu::icon_model
