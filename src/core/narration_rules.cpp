#include "tazu/narration_rules.hpp"

#include "tazu/narration.hpp"

namespace tazu::narration {

namespace {

std::string joined(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out += p;
  return out;
}

}  // namespace

NarrationPaths narration_paths(std::string_view folder, std::string_view base) {
  const NarrationFiles names = narration_file_names(base);
  return {joined({folder, "/", names.sound}), joined({folder, "/", names.cues})};
}

std::string raw_clip_path(std::string_view folder, std::string_view base, std::string_view index,
                          std::string_view voice, std::string_view volume, std::string_view speed,
                          std::string_view pitch, std::string_view emotion) {
  return joined(
      {folder, "/原始/", raw_clip_file_name(base, index, voice, volume, speed, pitch, emotion)});
}

std::string waveform_picture(std::string_view stage, std::string_view base,
                             std::string_view index) {
  return joined({"调音/", stage, "/", safe_file_name(joined({base, "_", index, ".png"}))});
}

std::string voicing_message(std::string_view number) {
  return joined({"正在给分镜", number, "合成声音"});
}

std::string nothing_to_say_message(std::string_view number) {
  return joined({"分镜", number, "的文案没有可朗读的内容，未生成声音"});
}

std::string not_a_document_message(std::string_view path) {
  return joined({"跳过子文件夹（不是分镜文档）：", path});
}

std::string name_taken_message(std::string_view number, std::string_view document,
                               std::string_view file, std::string_view first_document,
                               std::string_view first_number) {
  return joined({"分镜", number, "（", document, "）没有生成声音：声音文件“", file, "”已属于",
                 first_document, "中的分镜", first_number,
                 "，两条分镜的文案或角色不同；请给其中一条换一个序号"});
}

}  // namespace tazu::narration
