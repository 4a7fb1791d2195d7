// Where a canvas icon's report takes its plain numbers from.
#pragma once

#include <array>
#include <string_view>

#include "tazu/state_record.hpp"

namespace tazu::icon_model {

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
