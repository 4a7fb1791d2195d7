// Rendering: find the change segments that hold a moment, interpolate the
// layer's state in each and draw it through a reused system icon.
#include <cmath>

#include "playback/sprite_draw.hpp"

namespace tazu::playback {

namespace {

using segment::Key;

// Plain numbers whose arithmetic on doubles gives what Python's gives: floats
// (numpy's too), and ints that a double holds exactly.
std::optional<double> exact_double(PyObject* v) {
  if (PyFloat_Check(v)) return PyFloat_AS_DOUBLE(v);
  if (PyLong_Check(v)) {
    int overflow = 0;
    const long long i = PyLong_AsLongLongAndOverflow(v, &overflow);
    constexpr long long kExact = 1LL << 53;
    if (!overflow && i >= -kExact && i <= kExact) return static_cast<double>(i);
    PyErr_Clear();
  }
  return std::nullopt;
}

// Reads start and duration of the segments from `from` on into the mirror.
// Anything else than such numbers makes the mirror inexact, and the player
// then walks the records themselves, with Python's comparisons.
void mirror_tail(SegmentMirror& m, const Records& r, py::handle list, std::size_t from,
                 std::size_t to) {
  for (std::size_t i = from; i < to && m.exact; ++i) {
    py::object seg = r.at(list, i);
    const auto start = exact_double(r.get(seg, key_name(Key::start_time)).ptr());
    const auto length = exact_double(r.get(seg, key_name(Key::duration)).ptr());
    m.exact = start && length;
    if (m.exact) m.timeline.append(*start, *length);
  }
  m.length = to;
}

void sync_mirror(SegmentMirror& m, const Records& r, py::handle list) {
  std::size_t n = r.length(list);
  if (!m.list || !m.list.is(list) || n < m.length) {
    m.list = py::reinterpret_borrow<py::object>(list);
    m.timeline.clear();
    m.exact = true;
    m.length = 0;
  }
  if (n != m.length) {
    try {
      mirror_tail(m, r, list, m.length, n);
    } catch (py::error_already_set&) {
      // A record that cannot be read fails later in the walk, where the host
      // expects it to.
      m.exact = false;
      m.length = n;
    }
  }
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

// The pixel size of a layer's media file, read once per file. Text layers
// show their text, not the file, and files that cannot be read give nothing.
std::optional<Vec2> picture_size(Frame& f, py::handle file, py::handle icon_dict) {
  if (pyext::truthy(f.records.get(icon_dict, key_name(record::Key::text)))) return std::nullopt;
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

void draw_plain(Frame& f, const ChangeSegment& s, SegmentValues& v, double t) {
  py::handle icon_dict = v[Key::icon_dict], file = v[Key::file];
  const std::optional<Vec2> centre = host_centre(f, t, s.start_box(), s.end_box());
  py::object x, y;
  PlainPlacement p;
  if (f.own_position) {
    std::optional<Vec2> picture;
    if (turns_from_turned_start(s, lerp(s.start_angle, s.end_angle, t)))
      picture = picture_size(f, file, icon_dict);
    p = place_plain(s, t, f.rotate, picture, centre);
    x = int_of(p.box.x);
    y = int_of(p.box.y);
  } else {
    // A host's own method gets the record's box, as it always has.
    p.angle = lerp(s.start_angle, s.end_angle, t);
    p.scale = lerp(s.start_scale, s.end_scale, t);
    p.centre = centre ? *centre : interpolate_centre(t, s.start_box(), s.end_box());
    py::object r = TZ_GET(f.self, "calc_position")(s.start_pos.x, s.start_width, s.start_pos.y,
                                                   s.start_height, p.angle, s.start_angle, p.scale,
                                                   s.start_scale, tuple_of(p.centre));
    x = r[py::int_(0)];
    y = r[py::int_(1)];
  }
  const Records& r = f.records;
  r.fill(icon_dict, key_name(record::Key::file), file);
  r.fill(icon_dict, key_name(record::Key::origin_x), x);
  r.fill(icon_dict, key_name(record::Key::origin_y), y);
  r.fill(icon_dict, key_name(record::Key::x), x);
  r.fill(icon_dict, key_name(record::Key::y), y);
  r.fill(icon_dict, key_name(record::Key::scale), py::float_(p.scale));
  r.fill(icon_dict, key_name(record::Key::pivot), tuple_of(p.centre));
  r.fill(icon_dict, key_name(record::Key::angle), py::float_(p.angle));

  py::object icon = icon_for(f, icon_dict, file, x, y);
  if (!pyext::truthy(call_method(icon, TZ_NAME("更新内容"), {v[Key::start_time], f.local}))) return;
  call(TZ_GET(f.board, "调整新图标初始状态"),
       {icon_dict, icon, r.get(icon_dict, key_name(record::Key::text)),
        r.get(icon_dict, key_name(record::Key::font)),
        r.get(icon_dict, key_name(record::Key::font_size)), Py_True,
        r.get(icon_dict, key_name(record::Key::text_colour))},
       TZ_KEYWORDS("文本", "字体", "字体大小", "系统", "文本颜色"));
  call_method(icon, TZ_NAME("系统绘制"), {f.screen});
}

// Whether the segment holds the moment, with Python's comparisons for
// anything but plain numbers.
bool holds(Frame& f, py::handle start, py::handle length) {
  const auto l = exact_double(f.local.ptr()), s = exact_double(start.ptr()),
             d = exact_double(length.ptr());
  if (l && s && d) return holds_moment(*l, *s, *s + *d);
  if (f.local < start) return false;
  return !(f.local > start + length);
}

// The progress through the segment, with Python's division (and its error
// for a zero duration) for anything but plain numbers.
double progress(Frame& f, py::handle start, py::handle length) {
  const auto l = exact_double(f.local.ptr()), s = exact_double(start.ptr()),
             d = exact_double(length.ptr());
  if (l && s && d && *d != 0) return (*l - *s) / *d;
  return number((f.local - start) / length);
}

// One segment of the walk: skipped unless it holds the moment, has a start
// angle and an existing file; otherwise drawn on the path it belongs to.
void draw_segment(Frame& f, py::handle seg) {
  SegmentValues v;
  v.read(f.records, seg, segment::kInterval);
  if (!holds(f, v[Key::start_time], v[Key::duration])) return;
  v[Key::start_angle] = f.records.get(seg, key_name(Key::start_angle));
  if (v[Key::start_angle].is_none()) return;
  v.read(f.records, seg, segment::kLook);
  auto [sx, sy] = unpack<2>(v[Key::start_pos]);
  auto [ex, ey] = unpack<2>(v[Key::end_pos]);
  if (!file_exists(v[Key::file])) return;
  v.read(f.records, seg, segment::kSizes);

  const double t = progress(f, v[Key::start_time], v[Key::duration]);
  ChangeSegment s;
  for (const auto& n : kSegmentNumbers) s.*n.field = number(v[n.key]);
  s.start_pos = {number(sx), number(sy)};
  s.end_pos = {number(ex), number(ey)};

  if (pyext::truthy(v[Key::start_group_box]) && pyext::truthy(v[Key::end_group_box]) &&
      !pyext::truthy(f.records.get(seg, key_name(Key::from_state_list))))
    draw_grouped(f, s, v, seg, t);
  else
    draw_plain(f, s, v, t);
}

void render(py::object self, py::object current_time, py::object screen, py::object icons,
            py::object preview) {
  SegmentMirror& m = mirror_of(self);
  if (!pyext::truthy(TZ_GET(self, "经过处理")) && !m.still_recorded) {
    // A sprite never shaped stands still for one frame from its own time 0.
    py::object frame = TZ_GET(self, "当帧时长"), share = TZ_GET(self, "单份时长");
    py::object length = frame > share ? frame : share;
    // Drawing writes the moment's state into the segment's icon dict; a sprite
    // made without one gets a record of its own layer.
    if (!pyext::truthy(TZ_GET(self, "图标字典"))) {
      py::dict d;
      d[py::str("编号")] = TZ_GET(self, "编号");
      d[py::str("文件")] = TZ_GET(self, "文件");
      TZ_SET(self, "图标字典", TZ_G("字典")(d));
    }
    Look look;
    for (record::Key k : record::kSegmentArguments) look[k] = py::getattr(self, key_name(k));
    call_record_segment(self, look, length, py::int_(0), py::bool_(false));
    m.still_recorded = true;
  }

  auto& own = own_methods();
  Frame f;
  f.self = self;
  f.screen = screen;
  f.icons = icons;
  f.preview = preview;
  f.local = current_time - TZ_GET(self, "精灵起始时间");
  f.board = TZ_GET(self, "画板");
  f.rotate = platform_rotation();
  f.mirror = &m;
  f.own_centre = own_method(self, TZ_NAME("calc_center"), own.calc_center);
  f.own_position = own_method(self, TZ_NAME("calc_position"), own.calc_position);
  f.own_find = own_method(self, TZ_NAME("从列表获得同个图标"), own.find_icon);
  py::object segments = TZ_GET(self, "时间序列");

  std::optional<double> local;
  if (!m.literal_walk) local = exact_double(f.local.ptr());
  if (local && std::isnan(*local)) {
    PyErr_SetString(PyExc_ValueError, "current_time 不是有效的数字（NaN）");
    throw py::error_already_set();
  }
  bool searchable = local.has_value();
  if (searchable) {
    try {
      sync_mirror(m, f.records, segments);
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
  m.timeline.find(*local, m.hits);
  std::vector<std::size_t> hits = m.hits;  // drawing may re-enter this sprite
  for (std::size_t i : hits) draw_segment(f, f.records.at(segments, i));
}

}  // namespace

py::object icon_for(Frame& f, py::handle icon_dict, py::handle file, py::handle x, py::handle y) {
  py::object number_ = f.records.get(icon_dict, key_name(record::Key::number));
  py::object icon = f.own_find ? find_icon(f, *f.mirror, number_, file)
                               : TZ_GET(f.self, "从列表获得同个图标")(file, number_, f.icons);
  if (icon.is_none()) {
    icon = TZ_G("图标")(icon_dict, f.board, py::arg("编号") = number_, py::arg("横坐标") = x,
                        py::arg("纵坐标") = y, py::arg("系统") = true, py::arg("预览") = f.preview);
    TZ_GET(f.icons, "添加")(icon);
  }
  return icon;
}

std::optional<Vec2> host_centre(Frame& f, double t, const Box& start, const Box& end) {
  if (f.own_centre) return std::nullopt;
  return pair(TZ_GET(f.self, "calc_center")(t, start.x, start.w, start.y, start.h, end.x, end.w,
                                            end.y, end.h));
}

void add_rendering(pyext::ClassBuilder& b) {
  b.method("渲染到屏幕", &render, py::arg("self"), py::arg("current_time"), py::arg("屏幕"),
           py::arg("图标库"), py::arg("预览") = false);
}

}  // namespace tazu::playback
