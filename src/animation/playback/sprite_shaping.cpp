// Shaping: the host feeds the sprite a layer's keyframe state records frame by
// frame; each state becomes one change segment on the sprite's clock.
#include <array>

#include "playback/sprite.hpp"
#include "tazu/errors.hpp"
#include "tazu/segment_record.hpp"
#include "tazu/state_record.hpp"

namespace tazu::playback {

namespace {

using record::Key;

template <std::size_t N>
void copy_into(py::handle self, Look& s, const std::array<Key, N>& keys) {
  for (Key k : keys) py::setattr(self, key_name(k), s[k]);
}

py::object shape_state(py::object self, py::object state, py::object unit, py::object from_list) {
  const Records records;
  const bool listed = pyext::truthy(from_list);
  bool layer_switch = false;
  if (listed) {
    py::object file = records.get(state, key_name(Key::file));
    layer_switch = !pyext::py_eq(TZ_GET(self, "文件"), file);
    TZ_SET(self, "文件", file);
  } else {
    TZ_SET(self, "文件", records.get(state, key_name(Key::file)));
  }
  Look s;
  for (Key k : record::kLookKeys) s[k] = records.get(state, key_name(k));

  if (!file_exists(TZ_GET(self, "文件"))) return py::none();

  // A change of media file jumps: the segment starts at the new state.
  if (listed && layer_switch) copy_into(self, s, record::kOnFileSwitch);

  py::object now = TZ_GET(self, "当前时间");
  if (own_method(self, TZ_NAME("处理视频"), own_methods().record_segment)) {
    record_segment(self, s, unit, now, from_list);
  } else {
    call_record_segment(self, s, unit, now, from_list);
  }
  TZ_SET(self, "经过处理", py::bool_(true));
  copy_into(self, s, record::kAfterSegment);
  TZ_SET(self, "当前时间", TZ_GET(self, "当前时间") + unit);
  TZ_SET(self, "累计时长", TZ_GET(self, "累计时长") + unit);
  TZ_SET(self, "文件", s[Key::file]);
  return py::bool_(true);
}

py::object shape(py::object self, py::object key, py::object icon_dict, py::object length) {
  py::object history = TZ_GET(self, "历史动作键列表");
  if (shaped_before(self, history, key)) throw BadValue("历史动作键重复");

  const Records records;
  TZ_SET(self, "混合模式", records.get(icon_dict, key_name(Key::mode)));
  TZ_SET(self, "循环播放", records.get(icon_dict, key_name(Key::loop), Py_True));
  py::object states = records.get(icon_dict, key_name(Key::states));
  py::object loops = records.get(icon_dict, key_name(Key::loops), py::int_(1));
  if (Py_TYPE(loops.ptr()) != &PyLong_Type)
    raise_error(PyExc_TypeError, py::str("错误的循环次数：") + py::str(icon_dict));
  TZ_SET(self, "图标字典", icon_dict);

  py::object shape_one = TZ_GET(self, "塑造单个状态");
  auto failed = [&](py::object result, const char* where) {
    if (pyext::truthy(result)) return false;
    pyext::output(std::string("图层源文件不存在或损坏") + where + "：", TZ_GET(self, "文件"));
    return true;
  };

  if (pyext::truthy(states) && length > py::int_(0)) {
    py::object unit = length / ((TZ_GET(states, "长") + py::int_(1)) * loops);
    if (!pyext::truthy(TZ_GET(self, "时间序列"))) {
      // The sprite's first frame: its first state is held still for one unit.
      py::object first = records.at(states, 0);
      for (Key k : record::kFromFirstState)
        py::setattr(self, key_name(k), records.get(first, key_name(k)));
    }
    const long count = loops.cast<long>();
    for (long pass = 0; pass < count; ++pass) {
      for (py::handle state : states) {
        py::object r = shape_one(state, unit, py::arg("来自状态列表") = true);
        if (failed(r, "1")) return r;
      }
      py::object r = shape_one(icon_dict, unit, py::arg("来自状态列表") = true);
      if (failed(r, "2")) return r;
    }
  } else {
    py::object r = shape_one(icon_dict, length);
    if (failed(r, "3")) return r;
  }
  TZ_GET(history, "添加")(key);
  note_shaped(self, history, key);
  return py::bool_(true);
}

py::object record_segment_py(py::object self, py::object origin_x, py::object origin_y,
                             py::object x, py::object y, py::object angle, py::object pivot,
                             py::object scale, py::object length, py::object start,
                             py::object width, py::object height, py::object group_box,
                             py::object group_angle, py::object group_scale, py::object file,
                             py::object relative, py::object from_list) {
  const std::array<py::handle, record::kSegmentArguments.size()> given = {
      origin_x, origin_y, x,         y,           angle,       pivot, scale,
      width,    height,   group_box, group_angle, group_scale, file,  relative};
  Look end;
  for (std::size_t i = 0; i < given.size(); ++i)
    end[record::kSegmentArguments[i]] = py::reinterpret_borrow<py::object>(given[i]);
  record_segment(self, end, length, start, from_list);
  return py::none();
}

py::object check_ended(py::object self, py::object key, py::object icons, py::object length) {
  if (pyext::truthy(TZ_GET(self, "终结"))) return py::bool_(true);
  py::object mine = TZ_GET(self, "是否为自己的图标");
  for (py::handle record : icons) {
    if (pyext::truthy(mine(record))) {
      TZ_GET(self, "塑造")(key, record, length);
      return py::bool_(false);
    }
  }
  // A layer missing from a frame ends for good.
  TZ_SET(self, "终结", py::bool_(true));
  return py::bool_(true);
}

// A str's text, or nothing for anything else (and for a str UTF-8 cannot
// spell).
std::optional<std::string_view> key_text(PyObject* v) {
  if (!PyUnicode_CheckExact(v)) return std::nullopt;
  Py_ssize_t n = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(v, &n);
  if (!utf8) {
    PyErr_Clear();
    return std::nullopt;
  }
  return std::string_view(utf8, static_cast<std::size_t>(n));
}

}  // namespace

// Only a list of plain strings is mirrored: there 索引 finding an item and the
// set holding it mean the same equality.
bool shaped_before(py::handle self, py::handle history, py::handle key) {
  const auto text = key_text(key.ptr());
  if (PyList_Check(history.ptr()) && text) {
    SegmentMirror& m = mirror_of(self);
    PyObject* list = history.ptr();
    const auto n = static_cast<std::size_t>(PyList_GET_SIZE(list));
    if (!m.shaped.mirrors(list, n, n ? PyList_GET_ITEM(list, n - 1) : nullptr)) {
      m.shaped.restart(list);
      m.shaped_list = py::reinterpret_borrow<py::object>(history);
      for (std::size_t i = 0; i < n; ++i) {
        PyObject* item = PyList_GET_ITEM(list, i);
        m.shaped.add(key_text(item), item);
      }
      m.shaped_last =
          n ? py::reinterpret_borrow<py::object>(PyList_GET_ITEM(list, n - 1)) : py::object();
    }
    if (m.shaped.usable()) {
      // A key found is confirmed by the list itself (it may have been
      // replaced in place); that walk happens only on the way to the error.
      if (!m.shaped.contains(*text)) return false;
      if (TZ_GET(history, "索引")(key) >= py::int_(0)) return true;
      m.shaped.forget();
      return false;
    }
  }
  return TZ_GET(history, "索引")(key) >= py::int_(0);
}

void note_shaped(py::handle self, py::handle history, py::handle key) {
  SegmentMirror& m = mirror_of(self);
  PyObject* list = history.ptr();
  if (!m.shaped_list.is(history) || !PyList_Check(list)) return;
  const auto n = static_cast<std::size_t>(PyList_GET_SIZE(list));
  if (n != m.shaped.length() + 1 || PyList_GET_ITEM(list, n - 1) != key.ptr()) return;
  m.shaped.add(key_text(key.ptr()), key.ptr());
  m.shaped_last = py::reinterpret_borrow<py::object>(key);
}

void record_segment(py::handle self, Look& end, py::handle length, py::handle start,
                    py::handle from_list) {
  // Zero-length segments are never recorded.
  if (pyext::py_eq(length, py::int_(0))) return;
  auto sprite = [&self](record::Key k) { return py::getattr(self, key_name(k)); };
  py::dict d;
  for (std::size_t i = 0; i < segment::kKeyCount; ++i) {
    const segment::KeyInfo& info = segment::kKeys[i];
    const auto key = static_cast<segment::Key>(i);
    py::object value;
    switch (info.source) {
      case segment::Source::start:
        value = sprite(info.look);
        break;
      case segment::Source::end:
        value = end[info.look];
        break;
      case segment::Source::start_pair:
        value = py::make_tuple(sprite(info.look), sprite(info.look2));
        break;
      case segment::Source::end_pair:
        value = py::make_tuple(end[info.look], end[info.look2]);
        break;
      case segment::Source::other:
        if (key == segment::Key::from_state_list)
          value = py::reinterpret_borrow<py::object>(from_list);
        else if (key == segment::Key::start_time)
          value = py::reinterpret_borrow<py::object>(start);
        else if (key == segment::Key::duration)
          value = py::reinterpret_borrow<py::object>(length);
        else if (key == segment::Key::icon_dict)
          value = TZ_GET(self, "图标字典");
        else
          value = TZ_GET(self, "初始图标字典");
        break;
    }
    if (PyDict_SetItem(d.ptr(), key_name(key).ptr(), value.ptr()) < 0)
      throw py::error_already_set();
  }
  TZ_GET(TZ_GET(self, "时间序列"), "添加")(TZ_G("字典")(d));
}

py::object call_record_segment(py::handle self, Look& end, py::handle length, py::handle start,
                               py::handle from_list) {
  py::tuple args(record::kSegmentArguments.size() + 3);
  std::size_t n = 0;
  auto put = [&](py::handle v) { PyTuple_SET_ITEM(args.ptr(), n++, v.inc_ref().ptr()); };
  for (std::size_t i = 0; i < record::kSegmentArguments.size(); ++i) {
    if (i == record::kSegmentClockAt) {
      put(length);
      put(start);
    }
    put(end[record::kSegmentArguments[i]]);
  }
  put(from_list);
  return TZ_GET(self, "处理视频")(*args);
}

void add_shaping(pyext::ClassBuilder& b) {
  b.method("塑造", &shape, py::arg("self"), py::arg("动作键"), py::arg("图标字典"),
           py::arg("当帧时长"));
  b.method("塑造单个状态", &shape_state, py::arg("self"), py::arg("状态字典"), py::arg("单元时间"),
           py::arg("来自状态列表") = false);
  b.method("处理视频", &record_segment_py, py::arg("self"), py::arg("origin_x"),
           py::arg("origin_y"), py::arg("横坐标"), py::arg("纵坐标"), py::arg("旋转角度"),
           py::arg("旋转中心"), py::arg("缩放比例"), py::arg("当帧时长"), py::arg("开始时间"),
           py::arg("宽度"), py::arg("高度"), py::arg("大盘矩形"), py::arg("大盘旋转角度"),
           py::arg("大盘缩放比例"), py::arg("文件"), py::arg("相对坐标"), py::arg("来自状态列表"));
  b.method("检测是否终结", &check_ended, py::arg("self"), py::arg("动作键"), py::arg("图标列表"),
           py::arg("当帧时长"), py::doc("\n        每一帧都过一遍\n        "));
}

}  // namespace tazu::playback
