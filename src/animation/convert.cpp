#include "convert.hpp"

#include <cerrno>
#include <stdexcept>
#include <string>

#include "tazu/paths.hpp"

namespace tazu::convert {

void raise_error(PyObject* type, py::handle message) {
  PyErr_SetObject(type, message.ptr());
  throw py::error_already_set();
}

std::string text(py::handle v) { return py::str(v).cast<std::string>(); }

std::string lenient_text(py::handle v) {
  py::str s(v);
  Py_ssize_t size = 0;
  if (const char* utf8 = PyUnicode_AsUTF8AndSize(s.ptr(), &size)) return std::string(utf8, size);
  if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) throw py::error_already_set();
  PyErr_Clear();
  py::object bytes =
      py::reinterpret_steal<py::object>(PyUnicode_AsEncodedString(s.ptr(), "utf-8", "ignore"));
  if (!bytes) throw py::error_already_set();
  return std::string(py::bytes(bytes));
}

std::optional<std::string> fs_path(py::handle path) {
  py::object bytes = py::reinterpret_steal<py::object>(PyUnicode_EncodeFSDefault(path.ptr()));
  if (!bytes) {
    PyErr_Clear();
    return std::nullopt;
  }
  return std::string(PyBytes_AS_STRING(bytes.ptr()), PyBytes_GET_SIZE(bytes.ptr()));
}

void raise_os_error(int err, py::handle path) {
  errno = err;
  PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path.ptr());
  throw py::error_already_set();
}

double number(py::handle v) {
  if (PyFloat_CheckExact(v.ptr())) return PyFloat_AS_DOUBLE(v.ptr());
  if (PyUnicode_Check(v.ptr()) || PyBytes_Check(v.ptr()) || !PyNumber_Check(v.ptr()))
    raise_error(PyExc_TypeError, py::str("需要数字，得到 ") + py::repr(v));
  double d = PyFloat_AsDouble(v.ptr());
  if (d == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return d;
}

template <std::size_t N>
std::array<py::object, N> unpack(py::handle v) {
  std::array<py::object, N> out;
  if (PyTuple_CheckExact(v.ptr()) && PyTuple_GET_SIZE(v.ptr()) == static_cast<Py_ssize_t>(N)) {
    for (std::size_t i = 0; i < N; ++i)
      out[i] = py::reinterpret_borrow<py::object>(PyTuple_GET_ITEM(v.ptr(), i));
    return out;
  }
  PyObject* it = PyObject_GetIter(v.ptr());
  if (!it) {
    PyErr_Clear();
    PyErr_Format(PyExc_TypeError, "cannot unpack non-iterable %s object",
                 Py_TYPE(v.ptr())->tp_name);
    throw py::error_already_set();
  }
  py::object iter = py::reinterpret_steal<py::object>(it);
  for (std::size_t i = 0; i < N; ++i) {
    PyObject* x = PyIter_Next(it);
    if (!x) {
      if (PyErr_Occurred()) throw py::error_already_set();
      PyErr_Format(PyExc_ValueError, "not enough values to unpack (expected %zu, got %zu)", N, i);
      throw py::error_already_set();
    }
    out[i] = py::reinterpret_steal<py::object>(x);
  }
  PyObject* extra = PyIter_Next(it);
  if (extra) {
    Py_DECREF(extra);
    PyErr_Format(PyExc_ValueError, "too many values to unpack (expected %zu)", N);
    throw py::error_already_set();
  }
  if (PyErr_Occurred()) throw py::error_already_set();
  return out;
}

template std::array<py::object, 2> unpack<2>(py::handle);
template std::array<py::object, 4> unpack<4>(py::handle);

py::object item(py::handle v, long i) {
  py::object key = py::int_(i);
  PyObject* r = PyObject_GetItem(v.ptr(), key.ptr());
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

std::pair<py::object, py::object> pair_items(py::handle v) {
  if (!PyTuple_CheckExact(v.ptr()) && py::hasattr(v, TZ_NAME("获取"))) {
    py::object get = TZ_GET(v, "获取");
    return {get(0), get(1)};
  }
  return {item(v, 0), item(v, 1)};
}

Vec2 pair(py::handle v) {
  auto [a, b] = unpack<2>(v);
  return {number(a), number(b)};
}

std::optional<Vec2> optional_pair(py::handle v) {
  if (v.is_none()) return std::nullopt;
  return pair(v);
}

GroupBox group_box(py::handle v) {
  py::object seq =
      py::reinterpret_steal<py::object>(PySequence_Fast(v.ptr(), "大盘矩形必须是四个数字"));
  if (!seq) throw py::error_already_set();
  if (PySequence_Fast_GET_SIZE(seq.ptr()) != 4)
    raise_error(PyExc_ValueError, py::str("大盘矩形必须是四个数字，得到 ") + py::repr(v));
  PyObject** it = PySequence_Fast_ITEMS(seq.ptr());
  return {number(it[0]), number(it[1]), number(it[2]), number(it[3])};
}

py::tuple rgb(int r, int g, int b) { return py::make_tuple(r, g, b); }

py::tuple tuple_of(Vec2 v) { return py::make_tuple(v.x, v.y); }

py::object int_of(double v) {
  PyObject* r = PyLong_FromDouble(v);  // truncates; raises for NaN and infinities
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

py::object int_or_float(double v, bool as_int) {
  if (as_int) return int_of(v);
  return py::float_(v);
}

py::object number_like(double v, py::handle a, py::handle b) {
  return int_or_float(v, PyLong_Check(a.ptr()) && PyLong_Check(b.ptr()));
}

namespace {

// A key table's names as interned strs, made once and kept.
template <typename Info, std::size_t N>
std::array<PyObject*, N> interned_names(const std::array<Info, N>& keys) {
  std::array<PyObject*, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = pyext::intern(std::string(keys[i].name).c_str());
  return out;
}

// The screen's conversion `name` of v, or v itself when `when` allows and the
// two spaces coincide.
py::object between_spaces(py::handle screen, py::handle v, Fit when, py::handle name) {
  if (when == Fit::unless_one && fit_is_one(screen)) return py::reinterpret_borrow<py::object>(v);
  return py::getattr(screen, name)(v);
}

}  // namespace

py::handle key_name(record::Key k) {
  static const auto names = interned_names(record::kKeys);
  return names[record::index(k)];
}

py::handle key_name(segment::Key k) {
  static const auto names = interned_names(segment::kKeys);
  return names[segment::index(k)];
}

bool fit_is_one(py::handle screen) {
  static PyObject* one = PyLong_FromLong(1);
  return pyext::py_eq(TZ_GET(screen, "适配比例"), one);
}

py::object to_board(py::handle screen, py::handle v, Fit when) {
  return between_spaces(screen, v, when, TZ_NAME("标准数据转实际画板"));
}

py::object to_standard(py::handle screen, py::handle v, Fit when) {
  return between_spaces(screen, v, when, TZ_NAME("实际画板转标准数据"));
}

py::object screen_of(py::handle owner) { return TZ_GET(TZ_GET(owner, "画板"), "屏幕"); }

py::object call_method(py::handle obj, py::handle name, std::initializer_list<py::handle> args) {
  PyObject* argv[4] = {obj.ptr(), nullptr, nullptr, nullptr};
  std::size_t n = 1;
  for (py::handle a : args) {
    if (n == 4) throw std::length_error("call_method takes at most three arguments");
    argv[n++] = a.ptr();
  }
  PyObject* r =
      PyObject_VectorcallMethod(name.ptr(), argv, n | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr);
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

py::object call(py::handle fn, std::initializer_list<py::handle> args, py::handle names) {
  constexpr std::size_t kMost = 12;
  PyObject* argv[kMost + 1] = {};
  if (args.size() > kMost) throw std::length_error("call takes at most twelve arguments");
  std::size_t n = 0;
  for (py::handle a : args) argv[1 + n++] = a.ptr();
  const std::size_t keywords = names ? static_cast<std::size_t>(PyTuple_GET_SIZE(names.ptr())) : 0;
  PyObject* r =
      PyObject_Vectorcall(fn.ptr(), argv + 1, (n - keywords) | PY_VECTORCALL_ARGUMENTS_OFFSET,
                          names ? names.ptr() : nullptr);
  if (!r) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(r);
}

PyObject* keyword_names(std::initializer_list<const char*> names) {
  PyObject* t = PyTuple_New(static_cast<Py_ssize_t>(names.size()));
  if (!t) throw py::error_already_set();
  Py_ssize_t i = 0;
  for (const char* n : names) {
    PyObject* s = pyext::intern(n);
    Py_INCREF(s);
    PyTuple_SET_ITEM(t, i++, s);
  }
  return t;
}

namespace {

// The reference platform's objects, kept for the life of the process.
struct Reference {
  PyObject* dict_type = nullptr;
  PyObject* dict_get = nullptr;
  PyObject* dict_fill = nullptr;
  PyObject* list_type = nullptr;
  PyObject* list_get = nullptr;
  PyObject* list_length = nullptr;
  PyObject* rotate = nullptr;
  PyObject* exists = nullptr;
};

Reference& reference() {
  static Reference r;
  return r;
}

// The class attribute `name` of `type`, as the class's instances find it.
PyObject* class_attribute(PyObject* type, py::handle name) {
  PyObject* v = PyObject_GetAttr(type, name.ptr());
  if (!v) PyErr_Clear();
  return v;  // new reference or null
}

// Defined by the package `package` or one of its modules.
bool defined_in(py::handle obj, const std::string& package) {
  py::object m = py::getattr(obj, "__module__", py::none());
  if (!PyUnicode_Check(m.ptr())) return false;
  const std::string name = m.cast<std::string>();
  return name == package || name.rfind(package + ".", 0) == 0;
}

// A method of a reference class, unless something else already replaced it.
PyObject* own_attribute(PyObject* type, py::handle name, const std::string& package) {
  py::object v = py::reinterpret_steal<py::object>(class_attribute(type, name));
  if (!v) return nullptr;
  // A property (长) is known by its getter.
  py::object f = PyObject_TypeCheck(v.ptr(), &PyProperty_Type) ? v.attr("fget") : v;
  return defined_in(f, package) ? v.release().ptr() : nullptr;
}

}  // namespace

void note_reference_platform(py::handle mix) {
  Reference& r = reference();
  // Only the reference platform's own objects: a host's mix (or its
  // replacements of these names) keeps every call.
  const std::string base = "tazu.mix";
  auto take = [&](const char* name) -> PyObject* {
    py::object v = py::getattr(mix, name, py::none());
    if (v.is_none() || !defined_in(v, base)) return nullptr;
    return v.release().ptr();
  };
  r.dict_type = take("字典");
  r.list_type = take("列表");
  r.rotate = take("rotate_vector");
  r.exists = take("是否存在");
  // Instances without a __dict__ of their own cannot carry another 获取.
  auto plain = [](PyObject* type, PyTypeObject* base_type) {
    if (!type || !PyType_Check(type)) return false;
    auto* t = reinterpret_cast<PyTypeObject*>(type);
    return PyType_IsSubtype(t, base_type) && t->tp_dictoffset == 0;
  };
  if (plain(r.dict_type, &PyDict_Type)) {
    r.dict_get = own_attribute(r.dict_type, TZ_NAME("获取"), base);
    r.dict_fill = own_attribute(r.dict_type, TZ_NAME("填写"), base);
  }
  if (plain(r.list_type, &PyList_Type)) {
    r.list_get = own_attribute(r.list_type, TZ_NAME("获取"), base);
    r.list_length = own_attribute(r.list_type, TZ_NAME("长"), base);
  }
}

Records::Records() {
  const Reference& r = reference();
  auto still = [](PyObject* type, py::handle name, PyObject* original) {
    if (!type || !original) return false;
    PyObject* now = class_attribute(type, name);
    Py_XDECREF(now);
    return now == original;
  };
  if (r.dict_get) {
    dict_type_ = reinterpret_cast<PyTypeObject*>(r.dict_type);
    dict_get_ = still(r.dict_type, TZ_NAME("获取"), r.dict_get);
    dict_fill_ = still(r.dict_type, TZ_NAME("填写"), r.dict_fill);
  }
  if (r.list_get) {
    list_type_ = reinterpret_cast<PyTypeObject*>(r.list_type);
    list_get_ = still(r.list_type, TZ_NAME("获取"), r.list_get);
    list_length_ = still(r.list_type, TZ_NAME("长"), r.list_length);
  }
}

namespace {

// dict.get(key, fallback): no __missing__.
py::object dict_get(py::handle record, py::handle key, py::handle fallback) {
  PyObject* v = PyDict_GetItemWithError(record.ptr(), key.ptr());
  if (!v && PyErr_Occurred()) throw py::error_already_set();
  return py::reinterpret_borrow<py::object>(v ? v : fallback.ptr());
}

}  // namespace

py::object Records::get(py::handle record, py::handle key) const {
  if (direct_dict(record)) return dict_get(record, key, Py_None);
  return call_method(record, TZ_NAME("获取"), {key});
}

py::object Records::get(py::handle record, py::handle key, py::handle fallback) const {
  if (direct_dict(record)) return dict_get(record, key, fallback);
  return call_method(record, TZ_NAME("获取"), {key, fallback});
}

void Records::fill(py::handle record, py::handle key, py::handle value) const {
  if (dict_fill_ && Py_TYPE(record.ptr()) == dict_type_) {
    if (PyDict_SetItem(record.ptr(), key.ptr(), value.ptr()) < 0) throw py::error_already_set();
    return;
  }
  call_method(record, TZ_NAME("填写"), {key, value});
}

std::size_t Records::length(py::handle list) const {
  if (list_length_ && Py_TYPE(list.ptr()) == list_type_)
    return static_cast<std::size_t>(PyList_GET_SIZE(list.ptr()));
  return TZ_GET(list, "长").cast<std::size_t>();
}

py::object Records::at(py::handle list, std::size_t i) const {
  if (list_get_ && Py_TYPE(list.ptr()) == list_type_ &&
      i < static_cast<std::size_t>(PyList_GET_SIZE(list.ptr())))
    return py::reinterpret_borrow<py::object>(PyList_GET_ITEM(list.ptr(), i));
  return call_method(list, TZ_NAME("获取"), {py::int_(i)});
}

bool reference_rotation(py::handle rotate) {
  return reference().rotate && rotate.ptr() == reference().rotate;
}

bool file_exists(py::handle path) {
  py::object exists = TZ_G("是否存在");
  if (!reference().exists || exists.ptr() != reference().exists ||
      !PyUnicode_CheckExact(path.ptr()))
    return pyext::truthy(exists(path));
  const std::optional<std::string> bytes = fs_path(path);
  return bytes && paths::exists(*bytes);
}

}  // namespace tazu::convert
