// The text form of a canvas icon: one line of labelled values for the
// editor's layer list and for logs. The values arrive already written as
// text (the host's own number formatting); the core lays the line out.
#pragma once

#include <string>

namespace tazu {

struct IconLine {
  std::string number;
  bool video = false;
  std::string looping;  // shown for a video only
  std::string states;   // keyframe states plus the base state
  std::string loops;
  std::string file;
  std::string x, y;  // actual-board pixels
  std::string scale;
  std::string angle;
  std::string group_angle;
  std::string group_scale;
  std::string fit_ratio;
  std::string mode;
};

// "图层编号：…  |  图层类型：…" through "混合模式：… | ", ending in a newline.
std::string icon_line(const IconLine& v);

}  // namespace tazu
