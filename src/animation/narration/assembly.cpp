// A shot's line: pause marks, the voice of its protagonist, one narration file.
#include <pybind11/numpy.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "convert.hpp"
#include "narration/narration.hpp"
#include "tazu/files.hpp"
#include "tazu/narration.hpp"
#include "tazu/narration_rules.hpp"

namespace tazu::narration_py {

namespace {

// A storyboard cell may hold a number where text is expected: it is read as
// it is written. Other kinds of values are refused.
py::object line_as_text(py::object line, py::handle number) {
  if (py::isinstance<py::str>(line)) return line;
  if (!py::isinstance<py::bool_>(line) &&
      (py::isinstance<py::int_>(line) || py::isinstance<py::float_>(line)))
    return py::str(line);
  throw py::type_error("分镜" + lenient_text(number) + "的文案必须是文字，得到的是 " +
                       lenient_text(py::repr(line)));
}

// The samples of an audio object, when it offers them (`样本()` as a
// (frames, channels) or 1-D array, and `采样率`); a platform whose audio
// objects do not gets cues that span each clause's whole stretch.
std::optional<audio::Buffer> samples_of(py::handle clip) {
  if (!py::hasattr(clip, "样本") || !py::hasattr(clip, "采样率")) return std::nullopt;
  using Array = py::array_t<float, py::array::c_style | py::array::forcecast>;
  Array a = Array::ensure(TZ_GET(clip, "样本")());
  if (!a || a.ndim() < 1 || a.ndim() > 2) return std::nullopt;
  audio::Buffer b;
  b.rate = py::int_(TZ_GET(clip, "采样率")).cast<int>();
  b.channels = a.ndim() == 2 ? int(a.shape(1)) : 1;
  if (b.rate <= 0 || b.channels <= 0) return std::nullopt;
  b.samples.assign(a.data(), a.data() + a.size());
  return b;
}

// A clip's length in seconds, or nothing when it does not tell it.
std::optional<double> seconds_of(py::handle clip) {
  py::object s = py::getattr(clip, "时长", py::none());
  if (s.is_none()) return std::nullopt;
  return pyext::py_float(s);
}

// The protagonist's voice (音色, 音调, 情感, 语速), each setting it lacks taken
// from the configuration.
std::array<py::object, narration::kVoiceKeys.size()> voice_of(py::handle config, py::handle shot) {
  std::array<py::object, narration::kVoiceKeys.size()> voice;
  voice.fill(py::none());
  py::object lead = TZ_G("获取分镜主角")(config, shot);
  if (pyext::truthy(lead)) {
    const convert::Records records;
    for (std::size_t k = 0; k < voice.size(); ++k)
      voice[k] = records.get(lead, py::str(narration::kVoiceKeys[k]));
  }
  for (std::size_t k = 0; k < voice.size(); ++k)
    if (!pyext::truthy(voice[k])) voice[k] = py::getattr(config, narration::kVoiceKeys[k]);
  return voice;
}

}  // namespace

py::list detect_pauses(py::object sentence) {
  if (!py::isinstance<py::str>(sentence))
    throw py::type_error("sentence must be str, not " +
                         std::string(py::str(py::type::handle_of(sentence).attr("__name__"))));
  py::list out;
  for (const auto& part : narration::split_pauses(lenient_text(sentence))) {
    py::dict d;
    if (part.kind == narration::LinePart::Kind::subclause) {
      d["type"] = "subclause";
      d["text"] = py::str(part.text);
    } else {
      d["type"] = "pause";
      d["count"] = part.count;
    }
    out.append(d);
  }
  return out;
}

py::object voice_shot(py::object config, py::object line, py::object base, py::object shot) {
  if (!pyext::truthy(line)) return py::none();
  const std::string folder = lenient_text(TZ_GET(config, "声音文件夹"));
  const narration::NarrationPaths paths = narration::narration_paths(folder, lenient_text(base));
  py::str sound_path(paths.sound);

  const auto [timbre, pitch, emotion, speed] = voice_of(config, shot);

  // An existing narration file marks the shot as done.
  if (convert::file_exists(sound_path)) return py::none();

  py::object number = field(shot, TZ_NAME("序号"));
  pyext::output(narration::voicing_message(lenient_text(number)));
  line = line_as_text(line, number);

  py::object clips = TZ_G("列表")();
  py::object parts = TZ_G("detect_pauses_and_subclauses")(line);
  py::object per_mark = py::hasattr(config, "单个停顿符秒数")
                            ? TZ_GET(config, "单个停顿符秒数")
                            : py::float_(narration::SpeechDefaults::kSecondsPerPauseMark);

  // Where every part lies, for the cue file; a clip that does not tell its
  // length leaves the narration without one.
  std::vector<narration::TimedPart> timed;
  bool timed_ok = true;
  long long i = 0;
  for (py::handle part : parts) {
    py::object kind = part[py::str("type")];
    py::object clip;
    const bool spoken = pyext::py_eq(kind, py::str("subclause"));
    if (spoken) {
      clip = TZ_G("朗读文本")(config, part[py::str("text")], py::int_(i), base, timbre, speed,
                              pitch, emotion);
    } else if (pyext::py_eq(kind, py::str("pause"))) {
      py::object marks = part[py::str("count")];
      clip = TZ_G("新建静音音频")(py::arg("时长") = marks * per_mark);
    } else {
      // A host's own pause detector gave a part of neither kind.
      convert::raise_error(PyExc_ValueError,
                           py::handle(PyExc_ValueError)(narration::kUnknownPart, parts));
    }
    TZ_GET(clips, "添加")(clip);
    std::optional<double> seconds = seconds_of(clip);
    timed_ok = timed_ok && seconds.has_value();
    timed.push_back(
        {spoken, spoken ? lenient_text(part[py::str("text")]) : "", seconds.value_or(0)});
    ++i;
  }

  // A line of white space or stray angle brackets has nothing to say: no file.
  py::object count = TZ_GET(clips, "长");
  if (pyext::py_eq(count, py::int_(0))) {
    pyext::output(narration::nothing_to_say_message(lenient_text(number)));
    return py::none();
  }
  py::object narration = count > py::int_(1) ? TZ_G("合并音频")(clips) : TZ_GET(clips, "获取")(0);
  TZ_GET(narration, "淡出")(narration::SpeechDefaults::kNarrationFadeOut);

  // The cue file goes first: the narration file marks the shot as done, so a
  // run stopped between the two writes makes both again.
  if (timed_ok) {
    std::optional<audio::Buffer> sound = samples_of(narration);
    const std::string cues =
        narration::webvtt(narration::clause_cues(timed, sound ? &*sound : nullptr));
    file_operation(py::str(paths.cues), [&] {
      std::filesystem::create_directories(folder + "/");
      files::write_atomically(paths.cues, cues);
    });
  }
  try {
    TZ_GET(narration, "保存")(sound_path);
  } catch (py::error_already_set&) {
    // No cue file without its narration.
    if (timed_ok) std::remove(paths.cues.c_str());
    throw;
  }
  return py::none();
}

}  // namespace tazu::narration_py
