// One clause: raw speech cache, optional clean-up stages, fades.
#include "narration/narration.hpp"
#include "pyclass.hpp"
#include "tazu/narration_rules.hpp"

namespace tazu::narration_py {

namespace {

using Defaults = narration::SpeechDefaults;

bool is_exception(const py::error_already_set& e) { return e.matches(PyExc_Exception); }

// The stage switches belong to the caller: read them, never write them; a
// configuration without a switch has the stage off.
bool switch_on(py::handle config, const char* name) {
  return pyext::truthy(py::getattr(config, name, py::bool_(false)));
}

// Runs a guarded stage: any error shows the failure text, success the other.
template <typename Body>
void stage(const narration::StageMessages& messages, Body&& body) {
  try {
    body();
  } catch (py::error_already_set& e) {
    if (!is_exception(e)) throw;
    pyext::output(messages.failed);
    return;
  }
  pyext::output(messages.done);
}

}  // namespace

py::object speak_clause(py::object config, py::object text, py::object index, py::object base,
                        py::object voice, py::object speed, py::object pitch, py::object emotion) {
  py::object volume = TZ_GET(config, "朗读音量");
  const std::string base_text = lenient_text(base), index_text = lenient_text(index);
  py::str raw_path(narration::raw_clip_path(
      lenient_text(TZ_GET(config, "声音文件夹")), base_text, index_text, lenient_text(voice),
      lenient_text(volume), lenient_text(speed), lenient_text(pitch), lenient_text(emotion)));

  // A cached clip is reused when it loads and has sound in it.
  bool usable = false;
  try {
    py::object cached = TZ_G("抓取音频")(raw_path);
    usable = TZ_GET(cached, "时长") > py::int_(0);
  } catch (py::error_already_set& e) {
    if (!is_exception(e)) throw;
    if (convert::file_exists(raw_path)) TZ_G("删除")(raw_path);
  }
  if (!usable) {
    TZ_G("朗读")
    (text, py::arg("保存位置") = raw_path, py::arg("音色") = voice, py::arg("音量") = volume,
     py::arg("语速") = speed, py::arg("音调") = pitch, py::arg("情感") = emotion,
     py::arg("情感程度") = Defaults::kEmotionDegree);
  }
  py::object clip = TZ_G("抓取音频")(raw_path);

  // The waveform of the clip at a stage, when the configuration asks for them
  // (read at each picture, inside the stage's guard).
  auto picture = [&](const char* stage) {
    if (!pyext::truthy(TZ_GET(config, "波形图"))) return;
    const auto [w, h] = Defaults::kWaveformSize;
    TZ_GET(clip, "波形图")
    (py::arg("尺寸") = py::make_tuple(w, h),
     py::arg("路径") = narration::waveform_picture(stage, base_text, index_text));
  };
  if (switch_on(config, "是否静音缩短")) {
    py::object floor = py::getattr(config, "降噪阈值", py::int_(Defaults::kNoiseFloor));
    stage(narration::kShortenSilence, [&] {
      TZ_GET(clip, "静音缩短")
      (py::arg("静音阈值") = TZ_GET(config, "静音缩短静音阈值"),
       py::arg("最短静音时长") = Defaults::kShortestSilence, py::arg("降噪阈值") = floor);
      picture("静音缩短");
    });
  }
  if (switch_on(config, "是否压缩限幅")) {
    py::object gain = py::getattr(config, "压缩增益", py::int_(Defaults::kCompressGain));
    py::object threshold = py::getattr(config, "压缩阈值", py::int_(Defaults::kCompressThreshold));
    stage(narration::kCompress, [&] {
      picture("压缩前");
      TZ_GET(clip, "压缩")
      (py::arg("阈值") = threshold, py::arg("比例") = Defaults::kCompressRatio,
       py::arg("启动时间") = Defaults::kAttack, py::arg("释放时间") = Defaults::kRelease);
      picture("压缩后");
    });
    stage(narration::kCompress, [&] {
      picture("增强前");
      TZ_GET(clip, "信号增强")(py::arg("增益") = gain);
      picture("增强后");
    });
  }

  py::object fade_out =
      py::getattr(config, "句内静音淡出时间", py::float_(Defaults::kClauseFadeOut));
  py::object fade_in = py::getattr(config, "句内静音淡入时间", py::float_(Defaults::kClauseFadeIn));
  if (index > py::int_(0)) TZ_GET(clip, "淡入")(fade_in);
  TZ_GET(clip, "淡出")(fade_out);
  return clip;
}

}  // namespace tazu::narration_py
