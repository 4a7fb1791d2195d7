// Subtitle cue files, an episode's timing and burned subtitles' layout,
// private to the package: the command reads and writes its cues, times its
// shots and places its subtitles through these.
#include "narration/narration.hpp"
#include "tazu/episode.hpp"
#include "tazu/subtitle_layout.hpp"

namespace tazu::narration_py {

namespace {

// A cue as the command holds it: (start, end, text).
using Row = std::tuple<double, double, std::string>;

std::vector<narration::Cue> cues_of(const std::vector<Row>& rows) {
  std::vector<narration::Cue> cues;
  for (const auto& [start, end, text] : rows) cues.push_back({start, end, text});
  return cues;
}

std::vector<Row> rows_of(const std::vector<narration::Cue>& cues) {
  std::vector<Row> rows;
  for (const auto& c : cues) rows.emplace_back(c.start, c.end, c.text);
  return rows;
}

// ValueError(what, piece): the command names the file and quotes the piece.
std::vector<Row> read_webvtt(const py::bytes& data) {
  try {
    return rows_of(narration::read_webvtt(std::string_view(data)));
  } catch (const narration::CueFileError& e) {
    py::handle type(PyExc_ValueError);
    convert::raise_error(PyExc_ValueError, e.piece ? type(e.what(), *e.piece) : type(e.what()));
  }
}

}  // namespace

void register_cues(py::module_& m) {
  m.def("_read_webvtt", &read_webvtt, py::arg("data"));
  m.def("_webvtt", [](const std::vector<Row>& cues) { return narration::webvtt(cues_of(cues)); });
  m.def("_srt", [](const std::vector<Row>& cues) { return narration::srt(cues_of(cues)); });
  m.def("_plain_text", [](py::handle line) { return narration::plain_text(lenient_text(line)); });
  m.def("_title_text", [](py::handle line) { return narration::title_text(lenient_text(line)); });
  m.def("_shot_cues", [](const std::vector<Row>& read, double seconds, py::handle line) {
    return rows_of(episode::shot_cues(cues_of(read), seconds, lenient_text(line)));
  });
  m.def("_shot_length", [](std::optional<double> own, std::optional<double> narration, double gap,
                           double silent, double fps) {
    const episode::ShotLength r = episode::shot_length(own, narration, gap, silent, fps);
    return std::tuple(r.seconds, r.frames, r.clip_seconds);
  });
  m.def("_episode_cues",
        [](const std::vector<std::pair<long long, std::vector<Row>>>& shots, double fps) {
          std::vector<episode::ShotCues> typed;
          for (const auto& [frames, cues] : shots) typed.push_back({frames, cues_of(cues)});
          return rows_of(episode::episode_cues(typed, fps));
        });
  m.def("_sound_track", [](const std::vector<long long>& frames, double fps, int rate) {
    const episode::TrackLayout r = episode::sound_track(frames, fps, rate);
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (const auto& s : r.shots) spans.emplace_back(s.begin, s.end);
    return std::pair(r.samples, spans);
  });
  m.def("_subtitle_style", [](int width, int height) {
    const subtitles::Style s = subtitles::style(width, height);
    return std::tuple(s.font_size, s.outline, s.wrap_width, s.outline_offsets);
  });
  m.def("_subtitle_places", &subtitles::places);
}

}  // namespace tazu::narration_py
