// A shot's line: pause marks, the voice of its protagonist, one narration file.
#include "narration/narration.hpp"
#include "pyclass.hpp"
#include "tazu/narration.hpp"

namespace tazu::narration_py {

py::list detect_pauses(const std::string& sentence) {
  py::list out;
  for (const auto& part : narration::split_pauses(sentence)) {
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
  const std::string sound_file = text_of(TZ_GET(config, "声音文件夹")) + "/" +
                                 narration::safe_file_name(text_of(base) + ".wav");
  py::str sound_path(sound_file);

  py::object voice = py::none(), pitch = py::none(), emotion = py::none(), speed = py::none();
  py::object lead = TZ_G("获取分镜主角")(config, shot);
  if (pyext::truthy(lead)) {
    py::object get = TZ_GET(lead, "获取");
    voice = get("音色");
    pitch = get("音调");
    emotion = get("情感");
    speed = get("语速");
  }
  if (!pyext::truthy(voice)) voice = TZ_GET(config, "音色");
  if (!pyext::truthy(pitch)) pitch = TZ_GET(config, "音调");
  if (!pyext::truthy(emotion)) emotion = TZ_GET(config, "情感");
  if (!pyext::truthy(speed)) speed = TZ_GET(config, "语速");

  // An existing narration file marks the shot as done.
  if (pyext::truthy(TZ_G("是否存在")(sound_path))) return py::none();

  py::object number = TZ_GET(shot, "获取")("序号");
  pyext::output(py::str("正在给分镜") + py::str(number) + py::str("合成声音"));

  py::object clips = TZ_G("列表")();
  py::object parts = TZ_G("detect_pauses_and_subclauses")(line);
  py::object per_mark =
      py::hasattr(config, "单个停顿符秒数") ? TZ_GET(config, "单个停顿符秒数") : py::float_(0.5);

  long long i = 0;
  for (py::handle part : parts) {
    py::object kind = part[py::str("type")];
    py::object clip;
    if (pyext::py_eq(kind, py::str("subclause"))) {
      clip = TZ_G("朗读文本")(config, part[py::str("text")], py::int_(i), base, voice, speed, pitch,
                              emotion);
    } else if (pyext::py_eq(kind, py::str("pause"))) {
      py::object marks = part[py::str("count")];
      clip = TZ_G("新建静音音频")(py::arg("时长") = marks * per_mark);
    } else {
      py::object exc = TZ_G("Exception")("识别停止符出现异常：", parts);
      PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exc.ptr())), exc.ptr());
      throw py::error_already_set();
    }
    TZ_GET(clips, "添加")(clip);
    ++i;
  }

  // A line of white space or stray angle brackets has nothing to say: no file.
  py::object count = TZ_GET(clips, "长");
  if (pyext::py_eq(count, py::int_(0))) {
    pyext::output(py::str("分镜") + py::str(number) +
                  py::str("的文案没有可朗读的内容，未生成声音"));
    return py::none();
  }
  py::object narration = count > py::int_(1) ? TZ_G("合并音频")(clips) : TZ_GET(clips, "获取")(0);
  TZ_GET(narration, "淡出")(0.1);
  TZ_GET(narration, "保存")(sound_path);
  return py::none();
}

}  // namespace tazu::narration_py
