#include <gtest/gtest.h>

#include "tazu/icon_text.hpp"

TEST(IconText, APictureLayerOnOneLine) {
  tazu::IconLine v{.number = "3",
                   .video = false,
                   .looping = "",
                   .states = "1",
                   .loops = "1",
                   .file = "a.png",
                   .x = "10",
                   .y = "20.5",
                   .scale = "1.0",
                   .angle = "0",
                   .group_angle = "0",
                   .group_scale = "1",
                   .fit_ratio = "2.0",
                   .mode = "0"};
  EXPECT_EQ(tazu::icon_line(v),
            "图层编号：3  |  图层类型：图片  |  动画状态数：1  |  动画循环次数：1  |  "
            "图层文件：a.png | 坐标：(10, 20.5) | 缩放比例：1.0 | 旋转角度：0 | "
            "组合旋转角度：0 | 组合缩放比例：1 | 屏幕适配比例：2.0 | 混合模式：0 | \n");
}

TEST(IconText, AVideoLayerSaysWhetherItLoops) {
  tazu::IconLine v;
  v.video = true;
  v.looping = "是";
  std::string line = tazu::icon_line(v);
  EXPECT_NE(line.find("图层类型：视频  |  循环播放：是  |  动画状态数："), std::string::npos);
  v.looping = "否";
  v.video = false;
  EXPECT_EQ(tazu::icon_line(v).find("循环播放"), std::string::npos);
}
