#include <gtest/gtest.h>

#include <string>

#include "tazu/narration_rules.hpp"

using namespace tazu::narration;

TEST(NarrationRules, ShotFilesInTheSoundFolder) {
  const NarrationPaths p = narration_paths("声音", "3-你好");
  EXPECT_EQ(p.sound, "声音/3-你好.wav");
  EXPECT_EQ(p.cues, "声音/3-你好.vtt");
  // A base name cannot reach out of the folder.
  EXPECT_EQ(narration_paths("s", "../x").sound.rfind("s/", 0), 0u);
  EXPECT_EQ(narration_paths("s", "../x").sound.find('/', 2), std::string::npos);
}

TEST(NarrationRules, RawClipsUnderTheRawFolder) {
  EXPECT_EQ(raw_clip_path("声音", "12-你好", "2", "cmn", "0.8", "1.25", "50", "None"),
            "声音/原始/12-你好_2_cmn_0-8_1-25_50_None.wav");
}

TEST(NarrationRules, WaveformPicturesByStage) {
  EXPECT_EQ(waveform_picture("压缩前", "3-a", "0"), "调音/压缩前/3-a_0.png");
  EXPECT_EQ(waveform_picture("增强后", "3-a/b", "2"), "调音/增强后/3-a_b_2.png");
}

TEST(NarrationRules, Messages) {
  EXPECT_EQ(voicing_message("7"), "正在给分镜7合成声音");
  EXPECT_EQ(nothing_to_say_message("7"), "分镜7的文案没有可朗读的内容，未生成声音");
  EXPECT_EQ(not_a_document_message("分镜/旧"), "跳过子文件夹（不是分镜文档）：分镜/旧");
  EXPECT_EQ(name_taken_message("1", "b.json", "1-甲.wav", "a.json", "1"),
            "分镜1（b.json）没有生成声音：声音文件“1-甲.wav”已属于a.json中的分镜1，"
            "两条分镜的文案或角色不同；请给其中一条换一个序号");
}
