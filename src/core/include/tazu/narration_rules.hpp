// The fixed rules of voicing a shot: where its files go, which voice keys a
// character record gives, the defaults of the clean-up settings and the
// messages the user sees. Texts are UTF-8; numbers and names arrive as the
// text Python's str() gives them.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tazu::narration {

// The keys of a character record that choose its voice, in the order they
// are read; each falls back to the configuration's attribute of the same name.
inline constexpr std::array<const char*, 4> kVoiceKeys = {"音色", "音调", "情感", "语速"};

// Defaults of the configuration's optional attributes, and the fixed values
// handed to the audio operations (their units are the platform's).
struct SpeechDefaults {
  static constexpr double kSecondsPerPauseMark = 0.5;  // 单个停顿符秒数
  static constexpr int kNoiseFloor = -35;              // 降噪阈值
  static constexpr int kCompressThreshold = -40;       // 压缩阈值
  static constexpr int kCompressGain = 6;              // 压缩增益
  static constexpr double kClauseFadeOut = 0.1;        // 句内静音淡出时间
  static constexpr double kClauseFadeIn = 0.1;         // 句内静音淡入时间
  static constexpr double kNarrationFadeOut = 0.1;     // the whole narration's end
  static constexpr int kShortestSilence = 100;
  static constexpr int kCompressRatio = 6;
  static constexpr int kAttack = 10;
  static constexpr int kRelease = 100;
  static constexpr int kEmotionDegree = 200;
  static constexpr std::array<int, 2> kWaveformSize = {15, 10};
};

// Where a shot's narration and its cues are written in the sound folder.
struct NarrationPaths {
  std::string sound;
  std::string cues;
};
NarrationPaths narration_paths(std::string_view folder, std::string_view base);

// Where a clause's raw speech is cached: the raw clip file name (see
// raw_clip_file_name) in the folder "原始" of the sound folder.
std::string raw_clip_path(std::string_view folder, std::string_view base, std::string_view index,
                          std::string_view voice, std::string_view volume, std::string_view speed,
                          std::string_view pitch, std::string_view emotion);

// The waveform picture of a clause at a clean-up stage, under the working
// directory: "调音/{stage}/{base}_{index}.png", the file name made safe.
std::string waveform_picture(std::string_view stage, std::string_view base, std::string_view index);

// The clean-up stages, each reporting success or failure with its own texts
// (the signal boost reports with the compression's).
struct StageMessages {
  const char* done;
  const char* failed;
};
inline constexpr StageMessages kShortenSilence = {"音频静音缩短成功！", "音频静音缩短失败！"};
inline constexpr StageMessages kCompress = {"音频压缩限幅成功！", "音频压缩限幅失败！"};

// What the user is told.
std::string voicing_message(std::string_view number);
std::string nothing_to_say_message(std::string_view number);
std::string not_a_document_message(std::string_view path);
// A shot whose narration file already belongs to another shot with another
// line or other characters.
std::string name_taken_message(std::string_view number, std::string_view document,
                               std::string_view file, std::string_view first_document,
                               std::string_view first_number);
// The message of the error raised for a part of neither kind.
inline constexpr const char* kUnknownPart = "识别停止符出现异常：";

}  // namespace tazu::narration
