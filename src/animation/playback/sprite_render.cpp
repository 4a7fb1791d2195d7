// Rendering: find the change segments that hold a moment, interpolate the
// layer's state in each and draw it through a reused system icon.
#include <cmath>

#include "playback/sprite.hpp"
#include "tazu/errors.hpp"

namespace tazu::playback {

namespace {

bool is_plain_number(PyObject* v) { return PyFloat_Check(v) || PyLong_Check(v); }

// Reads start and duration of the segments from `from` on into the mirror.
// Anything that is not a plain finite number makes the mirror inexact, and the
// player then walks the records themselves, with Python's comparisons.
void mirror_tail(SegmentMirror& m, py::handle list, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && m.exact; ++i) {
    py::object seg = call_method(list, TZ_NAME("获取"), {py::int_(i)});
    py::object s = get(seg, TZ_NAME("开始时间")), d = get(seg, TZ_NAME("时长"));
    if (!is_plain_number(s.ptr()) || !is_plain_number(d.ptr())) {
      m.exact = false;
      break;
    }
    double sd = PyFloat_AsDouble(s.ptr()), dd = PyFloat_AsDouble(d.ptr());
    if (PyErr_Occurred()) {  // an int too large for a double
      PyErr_Clear();
      m.exact = false;
      break;
    }
    if (!std::isfinite(sd) || !std::isfinite(dd)) {
      m.exact = false;
      break;
    }
    m.timeline.append(sd, dd);
  }
  m.length = to;
}

void sync_mirror(SegmentMirror& m, py::handle list) {
  std::size_t n = TZ_GET(list, "长").cast<std::size_t>();
  if (!m.list || !m.list.is(list) || n < m.length) {
    m.list = py::reinterpret_borrow<py::object>(list);
    m.timeline.clear();
    m.exact = true;
    m.length = 0;
  }
  if (n != m.length) {
    try {
      mirror_tail(m, list, m.length, n);
    } catch (py::error_already_set&) {
      // A record that cannot be read fails later in the walk, where the host
      // expects it to.
      m.exact = false;
      m.length = n;
    }
  }
}

// What one drawing call needs besides the segment.
struct Frame {
  py::object self, screen, icons, preview, local, board;
  RotateFn rotate;
  SegmentMirror* mirror;
};

bool same_icon(py::handle icon, py::handle number_, py::handle file) {
  // Records may spell the path differently from the icon (absolute, or relative
  // to the working directory); a new icon for every frame would pile up.
  return pyext::py_eq(TZ_GET(icon, "编号"), number_) && same_file(TZ_GET(icon, "文件"), file);
}

// The first icon of the library with this file and number. The place where it
// was found last time is tried first: it still holds the first match unless
// the host put another matching icon in front of it, which moves it.
py::object find_icon(Frame& f, SegmentMirror& m, py::handle number_, py::handle file) {
  for (auto it = m.found.begin(); it != m.found.end(); ++it) {
    if (!it->library.is(f.icons) || !pyext::py_eq(it->number, number_) ||
        !pyext::py_eq(it->file, file))
      continue;
    PyObject* list = f.icons.ptr();
    bool still =
        PyList_Check(list) && it->index < static_cast<std::size_t>(PyList_GET_SIZE(list)) &&
        PyList_GET_ITEM(list, it->index) == it->icon.ptr() && same_icon(it->icon, number_, file);
    if (still) return it->icon;
    m.found.erase(it);
    break;
  }
  std::size_t index = 0;
  for (py::handle candidate : f.icons) {
    if (same_icon(candidate, number_, file)) {
      if (m.found.size() >= 8) m.found.clear();
      auto icon = py::reinterpret_borrow<py::object>(candidate);
      m.found.push_back({f.icons, py::reinterpret_borrow<py::object>(file),
                         py::reinterpret_borrow<py::object>(number_), icon, index});
      return icon;
    }
    ++index;
  }
  return py::none();
}

py::object icon_for(Frame& f, py::handle icon_dict, py::handle file, py::handle x, py::handle y) {
  py::object number_ = get(icon_dict, TZ_NAME("编号"));
  py::object icon;
  auto& own = own_methods();
  if (own_method(f.self, TZ_NAME("从列表获得同个图标"), own.find_icon))
    icon = find_icon(f, *f.mirror, number_, file);
  else
    icon = TZ_GET(f.self, "从列表获得同个图标")(file, number_, f.icons);
  if (icon.is_none()) {
    icon = TZ_G("图标")(icon_dict, f.board, py::arg("编号") = number_, py::arg("横坐标") = x,
                        py::arg("纵坐标") = y, py::arg("系统") = true, py::arg("预览") = f.preview);
    TZ_GET(f.icons, "添加")(icon);
  }
  return icon;
}

Vec2 centre_of(Frame& f, double t, const Box& start, const Box& end) {
  auto& own = own_methods();
  if (own_method(f.self, TZ_NAME("calc_center"), own.calc_center))
    return interpolate_centre(t, start, end);
  return pair(TZ_GET(f.self, "calc_center")(t, start.x, start.w, start.y, start.h, end.x, end.w,
                                            end.y, end.h));
}

// The pixel size of a layer's media file, read once per file. Text layers
// show their text, not the file, and files that cannot be read give nothing.
std::optional<Vec2> picture_size(Frame& f, py::handle file, py::handle icon_dict) {
  if (pyext::truthy(get(icon_dict, TZ_NAME("文本")))) return std::nullopt;
  py::dict& sizes = f.mirror->picture_sizes;
  if (PyObject_Hash(file.ptr()) == -1) {
    PyErr_Clear();
    return std::nullopt;
  }
  PyObject* hit = PyDict_GetItemWithError(sizes.ptr(), file.ptr());
  if (!hit && PyErr_Occurred()) throw py::error_already_set();
  py::object size;
  if (hit) {
    size = py::reinterpret_borrow<py::object>(hit);
  } else {
    try {
      if (pyext::truthy(TZ_G("是否视频")(file))) {
        size = TZ_GET(TZ_G("抓取视频")(file), "尺寸");
      } else {
        py::object picture = TZ_G("抓取图片")(file);
        size = py::make_tuple(TZ_GET(picture, "宽"), TZ_GET(picture, "高"));
      }
      pair(size);
    } catch (py::error_already_set&) {
      size = py::none();  // drawn from the record's bounds instead
    }
    sizes[file] = size;
  }
  if (size.is_none()) return std::nullopt;
  return pair(size);
}

void draw_plain(Frame& f, const ChangeSegment& s, double t, py::handle start_time,
                py::handle icon_dict, py::handle file) {
  const double angle = lerp(s.start_angle, s.end_angle, t);
  const double scale = lerp(s.start_scale, s.end_scale, t);
  const Vec2 centre = centre_of(f, t, s.start_box(), s.end_box());
  py::object x, y;
  auto& own = own_methods();
  if (own_method(f.self, TZ_NAME("calc_position"), own.calc_position)) {
    std::optional<Vec2> picture;
    if (turns_from_turned_start(s, angle)) picture = picture_size(f, file, icon_dict);
    const TurningBox tb = turning_box(s, angle, picture);
    TurnedBox box = turn_box(tb.box, tb.angle - angle, divide(scale, s.start_scale, "开始比例为 0"),
                             centre, f.rotate);
    x = int_of(box.x);
    y = int_of(box.y);
  } else {
    // A host's own method gets the record's box, as it always has.
    py::object r = TZ_GET(f.self, "calc_position")(s.start_pos.x, s.start_width, s.start_pos.y,
                                                   s.start_height, angle, s.start_angle, scale,
                                                   s.start_scale, tuple_of(centre));
    x = r[py::int_(0)];
    y = r[py::int_(1)];
  }
  py::float_ angle_v(angle), scale_v(scale);
  fill(icon_dict, TZ_NAME("文件"), file);
  fill(icon_dict, TZ_NAME("origin_x"), x);
  fill(icon_dict, TZ_NAME("origin_y"), y);
  fill(icon_dict, TZ_NAME("横坐标"), x);
  fill(icon_dict, TZ_NAME("纵坐标"), y);
  fill(icon_dict, TZ_NAME("缩放比例"), scale_v);
  fill(icon_dict, TZ_NAME("旋转中心"), tuple_of(centre));
  fill(icon_dict, TZ_NAME("旋转角度"), angle_v);

  py::object icon = icon_for(f, icon_dict, file, x, y);
  if (!pyext::truthy(call_method(icon, TZ_NAME("更新内容"), {start_time, f.local}))) return;
  TZ_GET(f.board, "调整新图标初始状态")
  (icon_dict, icon, py::arg("文本") = get(icon_dict, TZ_NAME("文本")),
   py::arg("字体") = get(icon_dict, TZ_NAME("字体")),
   py::arg("字体大小") = get(icon_dict, TZ_NAME("字体大小")), py::arg("系统") = true,
   py::arg("文本颜色") = get(icon_dict, TZ_NAME("文本颜色")));
  call_method(icon, TZ_NAME("系统绘制"), {f.screen});
}

// Record values the player compares or writes back as the host gave them,
// beside their typed copies in ChangeSegment.
struct GroupSegment {
  py::object start_pivot, end_pivot, start_group_scale, end_group_scale, start_scale, end_scale;
  py::object start_angle;
};

void draw_grouped(Frame& f, ChangeSegment& s, const GroupSegment& raw, py::handle seg, double t,
                  py::handle start_time, py::handle icon_dict, py::handle file) {
  s.start_group = group_box(get(seg, TZ_NAME("开始大盘矩形")));
  s.end_group = group_box(get(seg, TZ_NAME("结束大盘矩形")));
  s.start_group_angle = number(get(seg, TZ_NAME("开始大盘旋转角度")));
  s.end_group_angle = number(get(seg, TZ_NAME("结束大盘旋转角度")));
  s.start_group_scale = number(raw.start_group_scale);
  s.end_group_scale = number(raw.end_group_scale);

  const bool start_pivot_set = pyext::truthy(raw.start_pivot);
  py::object pivot = start_pivot_set                ? raw.start_pivot
                     : pyext::truthy(raw.end_pivot) ? raw.end_pivot
                                                    : py::object(py::none());
  py::object base = get(seg, TZ_NAME("原始缩放比例"));
  s.base_scale = base.is_none() ? std::nullopt : std::optional<double>(number(base));
  const bool local_scaling = !pyext::py_eq(raw.start_scale, raw.start_group_scale) ||
                             !pyext::py_eq(raw.end_scale, raw.end_group_scale);
  s.start_relative = optional_pair(get(seg, TZ_NAME("开始相对坐标")));
  s.end_relative = optional_pair(get(seg, TZ_NAME("结束相对坐标")));
  s.start_origin = optional_pair(get(seg, TZ_NAME("开始origin_pos")));
  s.end_origin = optional_pair(get(seg, TZ_NAME("结束origin_pos")));

  py::object size = TZ_GET(f.self, "origin_size");
  if (size.is_none()) {
    PyErr_SetString(PyExc_TypeError, "图层没有媒体尺寸（origin_size 为 None），无法随组合绘制");
    throw py::error_already_set();
  }
  const Vec2 media = pair(size);
  const Vec2 group_centre = centre_of(f, t, s.start_group->box(), s.end_group->box());
  GroupPlacement g =
      place_in_group(s, t, start_pivot_set, local_scaling, media, f.rotate, group_centre);
  py::object x = int_of(g.box.x), y = int_of(g.box.y);

  fill(icon_dict, TZ_NAME("文件"), file);
  fill(icon_dict, TZ_NAME("横坐标"), x);
  fill(icon_dict, TZ_NAME("纵坐标"), y);
  fill(icon_dict, TZ_NAME("缩放比例"), raw.start_scale);
  fill(icon_dict, TZ_NAME("旋转中心"), pivot);
  fill(icon_dict, TZ_NAME("旋转角度"), raw.start_angle);

  py::object icon = icon_for(f, icon_dict, file, x, y);
  TZ_GET(f.board, "快照图标")(icon_dict, icon, py::arg("系统") = true);
  if (!pyext::truthy(call_method(icon, TZ_NAME("更新内容"), {start_time, f.local}))) return;

  std::optional<Vec2> centre_marker = g.centre, pivot_marker;
  const double fit = number(TZ_GET(TZ_GET(f.board, "屏幕"), "适配比例"));
  auto need_origin = [&]() -> Vec2 {
    if (!g.origin) {
      PyErr_SetString(PyExc_TypeError, "组合图层缺少 origin_pos");
      throw py::error_already_set();
    }
    return *g.origin;
  };
  // Records hold standard data; the icon's origin and the points handed to
  // its transforms with 初始 are converted to actual-board pixels.
  auto set_origin = [&](Vec2 o) {
    TZ_SET(icon, "origin_x", py::float_(o.x * fit));
    TZ_SET(icon, "origin_y", py::float_(o.y * fit));
  };
  py::object scale_v = py::float_(g.scale);
  if (g.local_rotation) {
    Vec2 p = carried_pivot(s, g, pair(pivot), f.rotate);
    Vec2 start_pivot = pair(raw.start_pivot);
    Vec2 o = need_origin();
    set_origin({o.x + (p.x - start_pivot.x), o.y + (p.y - start_pivot.y)});
    py::tuple axis = tuple_of(p);
    TZ_GET(icon, "缩放")
    (scale_v, py::arg("缩放中心") = axis, py::arg("初始") = true, py::arg("系统") = true);
    TZ_GET(icon, "旋转")
    (py::float_(g.angle), py::arg("旋转轴位置") = axis, py::arg("初始") = true,
     py::arg("系统") = true);
    pivot_marker = p;
  } else if (pyext::truthy(raw.end_pivot)) {
    set_origin(need_origin());
    TZ_GET(icon, "缩放")(scale_v, py::arg("初始") = true, py::arg("系统") = true);
    TZ_GET(icon, "旋转")
    (py::float_(g.group_angle), py::arg("旋转轴位置") = raw.end_pivot, py::arg("初始") = true,
     py::arg("系统") = true);
    TZ_GET(icon, "移动")
    (py::float_(g.box.x * fit), py::float_(g.box.y * fit), py::arg("初始") = true,
     py::arg("系统") = true);
    pivot_marker = pair(raw.end_pivot);
  } else {
    TZ_GET(icon, "缩放")(scale_v, py::arg("初始") = true, py::arg("系统") = true);
    TZ_GET(icon, "移动")
    (py::float_(g.box.x * fit), py::float_(g.box.y * fit), py::arg("初始") = true,
     py::arg("系统") = true);
  }
  call_method(icon, TZ_NAME("系统绘制"), {f.screen});

  if (pyext::truthy(TZ_GET(f.board, "开发者模式"))) {
    // The markers are standard data like the records; the screen draws in
    // actual-board pixels.
    auto circle = [&](Vec2 at, py::tuple colour) {
      TZ_GET(f.screen, "圆形")
      (colour, py::make_tuple(at.x * fit, at.y * fit), py::arg("半径") = 10,
       py::arg("线条宽度") = 5);
    };
    if (centre_marker) circle(*centre_marker, py::make_tuple(0, 255, 0));
    if (pivot_marker) circle(*pivot_marker, py::make_tuple(255, 0, 0));
  }
}

// One segment of the walk: skipped unless it holds the moment, has a start
// angle and an existing file; otherwise drawn on the path it belongs to.
void draw_segment(Frame& f, py::handle seg) {
  py::object start_time = get(seg, TZ_NAME("开始时间"));
  if (f.local < start_time) return;
  py::object length = get(seg, TZ_NAME("时长"));
  if (f.local > start_time + length) return;
  py::object start_angle = get(seg, TZ_NAME("开始角度"));
  if (start_angle.is_none()) return;

  py::object end_angle = get(seg, TZ_NAME("结束角度"));
  GroupSegment raw;
  raw.start_angle = start_angle;
  raw.start_pivot = get(seg, TZ_NAME("开始旋转中心"));
  raw.end_pivot = get(seg, TZ_NAME("结束旋转中心"));
  auto [sx, sy] = unpack<2>(get(seg, TZ_NAME("开始位置")));
  auto [ex, ey] = unpack<2>(get(seg, TZ_NAME("结束位置")));
  raw.start_scale = get(seg, TZ_NAME("开始比例"));
  raw.end_scale = get(seg, TZ_NAME("结束比例"));
  py::object icon_dict = get(seg, TZ_NAME("图标字典"));
  py::object file = get(seg, TZ_NAME("文件"));
  if (!pyext::truthy(TZ_G("是否存在")(file))) return;

  py::object sw = get(seg, TZ_NAME("开始宽度")), ew = get(seg, TZ_NAME("结束宽度"));
  py::object sh = get(seg, TZ_NAME("开始高度")), eh = get(seg, TZ_NAME("结束高度"));
  py::object start_group = get(seg, TZ_NAME("开始大盘矩形"));
  py::object end_group = get(seg, TZ_NAME("结束大盘矩形"));
  raw.start_group_scale = get(seg, TZ_NAME("开始大盘缩放比例"));
  raw.end_group_scale = get(seg, TZ_NAME("结束大盘缩放比例"));

  py::object progress = (f.local - start_time) / length;
  const double t = number(progress);

  ChangeSegment s;
  s.start_angle = number(start_angle);
  s.end_angle = number(end_angle);
  s.start_scale = number(raw.start_scale);
  s.end_scale = number(raw.end_scale);
  s.start_pos = {number(sx), number(sy)};
  s.end_pos = {number(ex), number(ey)};
  s.start_width = number(sw);
  s.end_width = number(ew);
  s.start_height = number(sh);
  s.end_height = number(eh);

  if (pyext::truthy(start_group) && pyext::truthy(end_group) &&
      !pyext::truthy(get(seg, TZ_NAME("来自状态列表"))))
    draw_grouped(f, s, raw, seg, t, start_time, icon_dict, file);
  else
    draw_plain(f, s, t, start_time, icon_dict, file);
}

void render(py::object self, py::object current_time, py::object screen, py::object icons,
            py::object preview) {
  SegmentMirror& m = mirror_of(self);
  if (!pyext::truthy(TZ_GET(self, "经过处理")) && !m.still_recorded) {
    // A sprite never shaped stands still for one frame from its own time 0.
    py::object frame = TZ_GET(self, "当帧时长"), share = TZ_GET(self, "单份时长");
    py::object length = frame > share ? frame : share;
    auto a = [&self](const char* name) { return py::getattr(self, name); };
    // Drawing writes the moment's state into the segment's icon dict; a sprite
    // made without one gets a record of its own layer.
    if (!pyext::truthy(a("图标字典"))) {
      py::dict d;
      d[py::str("编号")] = a("编号");
      d[py::str("文件")] = a("文件");
      TZ_SET(self, "图标字典", TZ_G("字典")(d));
    }
    TZ_GET(self, "处理视频")
    (a("origin_x"), a("origin_y"), a("横坐标"), a("纵坐标"), a("旋转角度"), a("旋转中心"),
     a("缩放比例"), length, py::int_(0), a("宽度"), a("高度"), a("大盘矩形"), a("大盘旋转角度"),
     a("大盘缩放比例"), a("文件"), a("相对坐标"), py::bool_(false));
    m.still_recorded = true;
  }

  Frame f{self,
          screen,
          icons,
          preview,
          current_time - TZ_GET(self, "精灵起始时间"),
          TZ_GET(self, "画板"),
          platform_rotation(),
          &m};
  py::object segments = TZ_GET(self, "时间序列");

  bool searchable = !m.literal_walk && is_plain_number(f.local.ptr());
  double local = 0;
  if (searchable) {
    local = PyFloat_AsDouble(f.local.ptr());
    if (PyErr_Occurred()) {
      PyErr_Clear();
      searchable = false;
    } else if (std::isnan(local)) {
      PyErr_SetString(PyExc_ValueError, "current_time 不是有效的数字（NaN）");
      throw py::error_already_set();
    }
  }
  if (searchable) {
    try {
      sync_mirror(m, segments);
      searchable = m.exact;
    } catch (py::error_already_set&) {
      // A sequence without the list type's 长 and 获取 (a host may assign a
      // plain list): walk it as it is.
      m.list = py::object();
      searchable = false;
    }
  }
  if (!searchable) {
    for (py::handle seg : segments) draw_segment(f, seg);
    return;
  }
  m.timeline.find(local, m.hits);
  std::vector<std::size_t> hits = m.hits;  // drawing may re-enter this sprite
  for (std::size_t i : hits) draw_segment(f, call_method(segments, TZ_NAME("获取"), {py::int_(i)}));
}

}  // namespace

void add_rendering(pyext::ClassBuilder& b) {
  b.method("渲染到屏幕", &render, py::arg("self"), py::arg("current_time"), py::arg("屏幕"),
           py::arg("图标库"), py::arg("预览") = false);
}

}  // namespace tazu::playback
