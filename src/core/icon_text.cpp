#include "tazu/icon_text.hpp"

namespace tazu {

std::string icon_line(const IconLine& v) {
  // Two separators: a wide one after the layer's identity, a narrow one after
  // its look.
  const std::string wide = "  |  ", narrow = " | ";
  std::string out = "图层编号：" + v.number + wide;
  // Every other kind, GIF included, counts as a picture here.
  if (v.video)
    out += "图层类型：视频" + wide + "循环播放：" + v.looping + wide;
  else
    out += "图层类型：图片" + wide;
  out += "动画状态数：" + v.states + wide;
  out += "动画循环次数：" + v.loops + wide;
  out += "图层文件：" + v.file + narrow;
  out += "坐标：(" + v.x + ", " + v.y + ")" + narrow;
  out += "缩放比例：" + v.scale + narrow;
  out += "旋转角度：" + v.angle + narrow;
  out += "组合旋转角度：" + v.group_angle + narrow;
  out += "组合缩放比例：" + v.group_scale + narrow;
  out += "屏幕适配比例：" + v.fit_ratio + narrow;
  out += "混合模式：" + v.mode + narrow;
  out += "\n";
  return out;
}

}  // namespace tazu
