// calc_audio_bar_heights: waveform bars of one segment of the caller's samples,
// read in place from the numpy array.
#include "tazu/audio_bars.hpp"

#include <pybind11/numpy.h>

#include <cstdint>
#include <stdexcept>

#include "pyclass.hpp"
#include "register.hpp"

namespace tazu {

namespace {

// int(seconds * rate) with Python's arithmetic, saturated to the int64 range
// (the core clamps to the data anyway).
std::int64_t sample_index(py::handle seconds, py::handle rate) {
  py::object product = py::reinterpret_borrow<py::object>(seconds) * rate;
  py::object index = pyext::py_int(product);
  int overflow = 0;
  long long v = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
  if (v == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow > 0) return INT64_MAX;
  if (overflow < 0) return INT64_MIN;
  return v;
}

py::object calc_audio_bar_heights(py::object audio_data, py::object sample_rate,
                                  py::object current_start_time, py::object current_end_time,
                                  py::object count) {
  py::object np = TZ_G("numpy");
  // Arrays are read where they are; anything else (a list of samples) is
  // turned into one first.
  py::array a = py::isinstance<py::array>(audio_data)
                    ? py::reinterpret_borrow<py::array>(audio_data)
                    : py::reinterpret_borrow<py::array>(np.attr("asarray")(audio_data));
  if (a.ndim() == 0)
    throw py::type_error("audio samples must be an array of at least one dimension");

  std::int64_t start = sample_index(current_start_time, sample_rate);
  std::int64_t end = sample_index(current_end_time, sample_rate);

  // The bar count is checked only for a non-empty segment: an empty one gives
  // None whatever the count.
  if (!bar_layout(a.shape(0), start, end, 1)) return py::none();
  py::object n_obj = py::reinterpret_steal<py::object>(PyNumber_Index(count.ptr()));
  if (!n_obj) throw py::error_already_set();
  const long long n = PyLong_AsLongLong(n_obj.ptr());
  if (n == -1 && PyErr_Occurred()) throw py::error_already_set();
  check_bar_count(n);

  if (a.ndim() > 2) a = a.attr("reshape")(a.shape(0), -1);

  py::dtype dt = a.dtype();
  if (!pyext::truthy(dt.attr("isnative"))) a = a.attr("astype")(dt.attr("newbyteorder")("="));
  const SampleFormat format = read_as({dt.kind(), static_cast<std::size_t>(dt.itemsize())});
  if (format.bytes != static_cast<std::size_t>(dt.itemsize()))
    a = a.attr("astype")(np.attr(format.bytes == 4 ? "float32" : "float64"));
  if (!readable(format))
    throw py::type_error("audio samples must be integers or floats, not " +
                         std::string(py::str(a.dtype())));

  AnySamples samples{format, static_cast<const std::byte*>(a.data()), a.shape(0), a.strides(0)};
  if (a.ndim() == 2) {
    samples.channels = a.shape(1);
    samples.channel_stride = a.strides(1);
  }
  auto bars = audio_bar_heights(samples, start, end, n);
  if (!bars) return py::none();
  py::list out(bars->size());
  for (std::size_t i = 0; i < bars->size(); ++i) {
    const BarHeight& bar = (*bars)[i];
    if (bar.whole)
      out[i] = py::int_(bar.magnitude);
    else
      out[i] = py::float_(bar.value);
  }
  return out;
}

}  // namespace

void register_audio_bars(py::module_& m) {
  m.def("calc_audio_bar_heights", &calc_audio_bar_heights, py::arg("audio_data"),
        py::arg("sample_rate"), py::arg("current_start_time"), py::arg("current_end_time"),
        py::arg("N"));
}

}  // namespace tazu
