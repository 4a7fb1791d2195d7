// Binding of the core audio engine for the reference platform. Values only:
// every operation is the core's. Operations on a buffer keep the GIL: another
// thread could otherwise read a buffer while silence shortening replaces it.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstring>

#include "tazu/audio.hpp"
#include "tazu/files.hpp"
#include "tazu/narration.hpp"
#include "tazu/waveform.hpp"

namespace py = pybind11;
namespace ta = tazu::audio;

namespace {

ta::SampleFormat parse_format(const std::string& name) {
  if (name == "pcm16") return ta::SampleFormat::pcm16;
  if (name == "pcm24") return ta::SampleFormat::pcm24;
  if (name == "float") return ta::SampleFormat::float32;
  throw std::invalid_argument("unknown sample format '" + name + "' (pcm16, pcm24 or float)");
}

// Samples as a (frames, channels) float32 array, copied.
py::array_t<float> to_array(const ta::Buffer& b) {
  py::array_t<float> a({py::ssize_t(b.frames()), py::ssize_t(b.channels)});
  if (!b.samples.empty())
    std::memcpy(a.mutable_data(), b.samples.data(), b.samples.size() * sizeof(float));
  return a;
}

ta::Buffer from_array(py::array_t<float, py::array::c_style | py::array::forcecast> a, int rate) {
  ta::Buffer b;
  b.rate = rate;
  if (a.ndim() == 1) {
    b.channels = 1;
  } else if (a.ndim() == 2) {
    b.channels = int(a.shape(1));
  } else {
    throw std::invalid_argument("samples must be a 1-D array or a (frames, channels) array");
  }
  ta::check_format(b.rate, b.channels);
  b.samples.assign(a.data(), a.data() + a.size());
  return b;
}

// A path (str, bytes or path object) as the file system spells it: names that
// are not valid UTF-8 pass through unchanged.
std::string fs_path(const py::object& path) {
  return py::module_::import("os").attr("fsencode")(path).cast<std::string>();
}

PyObject* g_file_error = nullptr;

}  // namespace

PYBIND11_MODULE(_audio, m) {
  m.doc() =
      "tazu audio engine: float PCM, WAV files, fades, gain, compressor, limiter, silence "
      "shortening";
  g_file_error = py::register_exception<ta::FileError>(m, "AudioFileError", PyExc_OSError).ptr();
  // Messages name files as the file system spells them; decoded the way Python
  // decodes file names, so any name reads back as the str that was given.
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const ta::FileError& e) {
      py::object message = py::reinterpret_steal<py::object>(PyUnicode_DecodeFSDefault(e.what()));
      if (message) PyErr_SetObject(g_file_error, message.ptr());
    }
  });

  py::class_<ta::Buffer>(m, "Buffer")
      .def(py::init(&from_array), py::arg("samples"), py::arg("rate"),
           "Buffer from float samples: 1-D (mono) or (frames, channels).")
      .def_readonly("rate", &ta::Buffer::rate)
      .def_readonly("channels", &ta::Buffer::channels)
      .def_property_readonly("frames", &ta::Buffer::frames)
      .def_property_readonly("seconds", &ta::Buffer::seconds)
      .def("samples", &to_array, "Copy of the samples, shape (frames, channels).")
      .def("copy", [](const ta::Buffer& b) { return b; })
      .def("fade_in", &ta::fade_in, py::arg("seconds"))
      .def("fade_out", &ta::fade_out, py::arg("seconds"))
      .def("gain", &ta::gain_db, py::arg("db"))
      .def(
          "compress",
          [](ta::Buffer& b, double threshold_db, double ratio, double attack_ms, double release_ms,
             bool keep_peak) {
            ta::compress(b, {threshold_db, ratio, attack_ms, release_ms, keep_peak});
          },
          py::arg("threshold_db"), py::arg("ratio"), py::arg("attack_ms"), py::arg("release_ms"),
          py::arg("keep_peak") = true)
      .def(
          "limit",
          [](ta::Buffer& b, double ceiling_db, double lookahead_ms, double release_ms) {
            ta::limit(b, {ceiling_db, lookahead_ms, release_ms});
          },
          py::arg("ceiling_db"), py::arg("lookahead_ms") = 5.0, py::arg("release_ms") = 80.0)
      .def(
          "shorten_silence",
          [](ta::Buffer& b, double threshold_db, double min_silence_ms, double noise_floor_db) {
            ta::shorten_silence(b, {threshold_db, min_silence_ms, noise_floor_db});
          },
          py::arg("threshold_db"), py::arg("min_silence_ms"), py::arg("noise_floor_db"))
      .def(
          "envelope",
          [](const ta::Buffer& b, std::size_t columns) {
            ta::Envelope e = ta::envelope(b, columns);
            return py::make_tuple(py::array_t<float>(e.min.size(), e.min.data()),
                                  py::array_t<float>(e.max.size(), e.max.data()));
          },
          py::arg("columns"), "(min, max) arrays: one entry per column.")
      .def(
          "waveform_plot",
          [](const ta::Buffer& b, int width, int height) {
            const ta::WaveformPlot p = ta::waveform_plot(b, width, height);
            std::vector<std::pair<double, double>> ticks, columns;
            for (std::size_t i = 0; i < p.tick_x.size(); ++i)
              ticks.emplace_back(p.tick_seconds[i], p.tick_x[i]);
            for (std::size_t i = 0; i < p.column_top.size(); ++i)
              columns.emplace_back(p.column_top[i], p.column_bottom[i]);
            return py::make_tuple(py::make_tuple(p.kLeft, p.kTop, p.width, p.height), p.level_y,
                                  ticks, columns);
          },
          py::arg("width"), py::arg("height"),
          "The waveform picture's plot: (area (x, y, w, h), the y of levels +1 to -1, ticks "
          "(seconds, x), columns (top, bottom)).")
      .def("convert", &ta::convert, py::arg("rate"), py::arg("channels"))
      .def("peak_db", &ta::peak_db)
      .def("rms_db", &ta::rms_db)
      .def(
          "write_wav",
          [](const ta::Buffer& b, const py::object& path, const std::string& format) {
            ta::SampleFormat f = parse_format(format);
            ta::write_wav(b, fs_path(path), f);
          },
          py::arg("path"), py::arg("format") = "pcm16");

  m.def(
      "read",
      [](const py::object& path, std::size_t max_samples) {
        std::string name = fs_path(path);
        py::gil_scoped_release nogil;
        return ta::read_file(name, max_samples);
      },
      py::arg("path"), py::arg("max_samples") = ta::kMaxReadSamples,
      "Reads an audio file; raises AudioFileError (an OSError) naming the file.");
  m.def("remove_stale_temp_files", &tazu::files::remove_stale_temp_files, py::arg("folder"),
        "Removes temporary files of runs that are gone; returns their names.");
  m.def(
      "narration_file_names",
      [](const py::str& base) {
        // What the module drops too: text that UTF-8 cannot hold (lone surrogates).
        const std::string text = py::bytes(base.attr("encode")("utf-8", "ignore"));
        const tazu::narration::NarrationFiles names = tazu::narration::narration_file_names(text);
        return py::make_tuple(names.sound, names.cues);
      },
      py::arg("base"),
      "(sound, cues): the file names of a shot's narration and of its cue file, from the "
      "shot's media base name, as the module names them.");
  m.def(
      "clean_text",
      [](const py::str& text) {
        return tazu::narration::clean_text(
            std::string(py::bytes(text.attr("encode")("utf-8", "ignore"))));
      },
      py::arg("text"),
      "Text as the speech engine takes it: control characters and lone surrogates left out, "
      "tab and line breaks made spaces.");
  m.def(
      "finish_piped_wav",
      [](const py::bytes& data) -> py::object {
        std::optional<std::string> wav = ta::finish_piped_wav(std::string_view(data));
        return wav ? py::bytes(*wav) : py::object(py::none());
      },
      py::arg("data"),
      "A 16-bit WAV from a pipe with its sizes filled in, or None when it is not one or holds "
      "no sound.");
  m.def("silence", &ta::silence, py::arg("seconds"), py::arg("rate"), py::arg("channels"));
  m.def(
      "join", [](const std::vector<const ta::Buffer*>& parts) { return ta::join(parts); },
      py::arg("parts"));
}
