// Class 图层精灵: construction, the simple members and the shared helpers.
#include <pybind11/numpy.h>

#include <cmath>
#include <stdexcept>

#include "icon_media/media.hpp"
#include "playback/sprite.hpp"
#include "register.hpp"
#include "tazu/paths.hpp"
#include "widgets/mix_widgets.hpp"

namespace tazu::playback {

namespace {

bool same_file(py::handle icon_file, py::handle file) {
  if (pyext::py_eq(icon_file, file)) return true;
  py::object base = TZ_G("tazu_current_directory");
  if (!PyUnicode_Check(icon_file.ptr()) || !PyUnicode_Check(file.ptr()) ||
      !PyUnicode_Check(base.ptr()))
    return false;
  const auto a = fs_path(icon_file), b = fs_path(file), dir = fs_path(base);
  return a && b && dir && paths::same_file(*dir, *a, *b);
}

}  // namespace

bool same_icon(py::handle icon, py::handle number_, py::handle file) {
  return pyext::py_eq(TZ_GET(icon, "编号"), number_) && same_file(TZ_GET(icon, "文件"), file);
}

RotateFn platform_rotation() {
  py::object rotate = TZ_G("rotate_vector");
  if (reference_rotation(rotate)) return rotate_standard;
  return [rotate](Vec2 v, double degrees) -> Vec2 {
    py::array_t<double> arr(2);
    double* d = arr.mutable_data();
    d[0] = v.x;
    d[1] = v.y;
    py::object r = rotate(arr, degrees);
    if (py::isinstance<py::array_t<double, py::array::c_style>>(r)) {
      auto a = py::reinterpret_borrow<py::array_t<double, py::array::c_style>>(r);
      if (a.size() >= 2) return {a.data()[0], a.data()[1]};
    }
    return pair(r);
  };
}

bool own_method(py::handle self, py::handle name, py::handle original) {
  // What self.name gives: the class's function bound to self, unless an
  // instance attribute, a subclass or a descriptor put something else there.
  PyObject* found = PyObject_GetAttr(self.ptr(), name.ptr());
  if (!found) throw py::error_already_set();
  const bool own = PyMethod_Check(found) && PyMethod_GET_FUNCTION(found) == original.ptr() &&
                   PyMethod_GET_SELF(found) == self.ptr();
  Py_DECREF(found);
  return own;
}

OwnMethods& own_methods() {
  static OwnMethods* m = new OwnMethods();  // lives as long as the module
  return *m;
}

void register_mirror(py::module_& m) {
  py::class_<SegmentMirror>(m, "_SegmentMirror")
      .def_readonly("length", &SegmentMirror::length)
      .def_readonly("exact", &SegmentMirror::exact)
      .def_readonly("still_recorded", &SegmentMirror::still_recorded)
      .def_readwrite("literal_walk", &SegmentMirror::literal_walk)
      .def_property_readonly("ordered", [](const SegmentMirror& s) { return s.timeline.ordered(); })
      // Copies and pickles of a sprite rebuild their mirror on first use; only
      // the flags that are not derived from the list travel with them.
      .def(py::pickle(
          [](const SegmentMirror& s) { return py::make_tuple(s.still_recorded, s.literal_walk); },
          [](py::tuple t) {
            SegmentMirror s;
            s.still_recorded = t[0].cast<bool>();
            s.literal_walk = t[1].cast<bool>();
            return s;
          }));
}

SegmentMirror& mirror_of(py::handle self) {
  py::handle name = TZ_NAME("_segment_mirror");
  PyObject* v = PyObject_GetAttr(self.ptr(), name.ptr());
  if (v) {
    py::object o = py::reinterpret_steal<py::object>(v);
    if (py::isinstance<SegmentMirror>(o)) return o.cast<SegmentMirror&>();
  } else {
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throw py::error_already_set();
    PyErr_Clear();
  }
  py::object fresh = py::cast(SegmentMirror{});
  py::setattr(self, name, fresh);
  return fresh.cast<SegmentMirror&>();
}

namespace {

void init(py::object self, py::object board, py::object icon_dict, py::object number_,
          py::object file, py::object x, py::object y, py::object scale, py::object share,
          py::object frame_length, py::object pivot, py::object angle, py::object start_time,
          py::object shot, py::object mode, py::object config) {
  py::none none;
  py::int_ zero(0);
  // In this order, the order of the instance's attributes.
  widgets_py::set_attributes(self, {{"画板", board},
                                    {"编号", number_},
                                    {"文件", file},
                                    {"横坐标", x},
                                    {"纵坐标", y},
                                    {"混合模式", none},
                                    {"循环播放", py::bool_(true)},
                                    {"缩放比例", scale},
                                    {"旋转中心", pivot},
                                    {"旋转角度", angle},
                                    {"宽度", zero},
                                    {"高度", zero},
                                    {"相对坐标", none},
                                    {"原始缩放比例", none},
                                    {"大盘矩形", none},
                                    {"大盘旋转角度", none},
                                    {"大盘缩放比例", none},
                                    {"历史动作键列表", TZ_G("列表")()},
                                    {"当前时间", zero},
                                    {"精灵起始时间", start_time},
                                    {"累计时长", zero},
                                    {"终结", py::bool_(false)},
                                    {"单份时长", share},
                                    {"当帧时长", frame_length},
                                    {"经过处理", py::bool_(false)},
                                    {"分镜序号", shot},
                                    {"模式", mode},
                                    {"全局配置", config},
                                    {"顺序", zero},
                                    {"时间序列", TZ_G("列表")()}});

  py::object size = none;
  if (file_exists(file)) {
    if (pyext::truthy(TZ_G("是否视频")(file))) {
      size = TZ_GET(TZ_G("抓取视频")(file), "尺寸");
    } else {
      size = icon::shown_picture_size(file);
    }
  }
  TZ_SET(self, "origin_size", size);
  // A sprite without an icon dict starts from its own position, so that it can
  // be shaped or drawn before any state has set its origin.
  TZ_SET(self, "origin_x", x);
  TZ_SET(self, "origin_y", y);

  // The icon dict's number and look overwrite the arguments, each attribute
  // named as its key.
  if (pyext::truthy(icon_dict)) {
    const Records records;
    py::setattr(self, key_name(record::Key::number),
                records.get(icon_dict, key_name(record::Key::number)));
    for (record::Key k : record::kSpriteFromIconDict)
      py::setattr(self, key_name(k), records.get(icon_dict, key_name(k)));
  }
  TZ_SET(self, "图标字典", icon_dict);
  TZ_SET(self, "初始图标字典", icon_dict);
}

}  // namespace

void add_construction(pyext::ClassBuilder& b) {
  py::none none;
  b.method(
      "__init__", &init, py::arg("self"), py::arg("画板") = none, py::arg("图标字典") = none,
      py::arg("编号") = none, py::arg("文件") = none, py::arg("横坐标") = none,
      py::arg("纵坐标") = none, py::arg("缩放比例") = 1, py::arg("单份时长") = 0,
      py::arg("当帧时长") = 0, py::arg("旋转中心") = none, py::arg("旋转角度") = 0,
      py::arg("当前时间") = 0, py::arg("分镜序号") = 0, py::arg("模式") = none,
      py::arg("全局配置") = none,
      py::doc("\n        功能1:原始外部参数转坐标字典\n        功能2:坐标字典转视频\n        "));

  b.method(
      "是否为自己的图标",
      [](py::object self, py::object icon_dict) {
        return pyext::py_eq(Records().get(icon_dict, key_name(record::Key::number)),
                            TZ_GET(self, "编号"));
      },
      py::arg("self"), py::arg("图标字典"));

  b.method(
      "生成宽高度",
      [](py::object self) {
        py::object picture = TZ_G("抓取图片")(TZ_GET(self, "文件"));
        py::object scale = TZ_GET(self, "缩放比例");
        TZ_SET(self, "宽度", TZ_GET(picture, "宽") * scale);
        TZ_SET(self, "高度", TZ_GET(picture, "高") * scale);
      },
      py::arg("self"));

  b.method(
      "__str__",
      [](py::object self) {
        auto s = [&](const char* name) { return text(py::getattr(self, name)); };
        return describe_sprite({s("横坐标"), s("纵坐标"), s("终结"), s("经过处理"),
                                s("精灵起始时间"), s("当前时间"), s("文件")});
      },
      py::arg("self"));

  b.method(
      "从列表获得同个图标",
      [](py::object, py::object file, py::object number_, py::object icons) -> py::object {
        for (py::handle icon : icons) {
          if (same_icon(icon, number_, file)) return py::reinterpret_borrow<py::object>(icon);
        }
        return py::none();
      },
      py::arg("self"), py::arg("文件"), py::arg("编号"), py::arg("_列表"));

  b.method(
      "报告",
      [](py::object self) {
        if (!pyext::truthy(TZ_GET(self, "宽度"))) TZ_GET(self, "生成宽高度")();
        py::dict d;
        for (const char* k : {"编号", "文件", "横坐标", "纵坐标", "缩放比例"})
          d[py::str(k)] = py::getattr(self, k);
        d[py::str("旋转角度")] = 0;
        d[py::str("旋转中心")] = py::none();
        d[py::str("宽度")] = TZ_GET(self, "宽度");
        d[py::str("高度")] = TZ_GET(self, "高度");
        return TZ_G("字典")(d);
      },
      py::arg("self"));
}

}  // namespace tazu::playback

namespace tazu {

void register_layer_sprite(py::module_& m) {
  playback::register_mirror(m);
  pyext::ClassBuilder b(m, "图层精灵");
  playback::add_construction(b);
  playback::add_shaping(b);
  playback::add_geometry(b);
  playback::add_rendering(b);
  py::object cls =
      b.finish({"__init__", "塑造", "塑造单个状态", "处理视频", "检测是否终结", "是否为自己的图标",
                "生成宽高度", "__str__", "从列表获得同个图标", "渲染到屏幕", "calc_center",
                "calc_position", "calc_mother_and_son_position", "报告"});
  // The functions themselves, as an instance's bound methods carry them.
  auto function = [&cls](const char* name) { return cls.attr(name); };
  auto& own = playback::own_methods();
  own.calc_center = function("calc_center");
  own.calc_position = function("calc_position");
  own.find_icon = function("从列表获得同个图标");
  own.record_segment = function("处理视频");
  playback::add_turned_bounds(m);
}

}  // namespace tazu
