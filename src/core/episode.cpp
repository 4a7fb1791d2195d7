#include "tazu/episode.hpp"

#include <algorithm>
#include <cmath>

#include "tazu/errors.hpp"

namespace tazu::episode {

ShotLength shot_length(std::optional<double> own, std::optional<double> narration, double gap,
                       double silent, double fps) {
  ShotLength r;
  const double voiced = narration ? *narration + gap : 0.0;
  r.seconds = own ? std::max(*own, voiced) : narration ? voiced : silent;
  const double per_frame = divide(1.0, fps, "frame rate is 0");
  r.frames = std::max(1LL, static_cast<long long>(std::ceil(r.seconds * fps - 1e-9)));
  r.clip_seconds = static_cast<double>(r.frames) * per_frame;
  return r;
}

std::vector<narration::Cue> shot_cues(std::vector<narration::Cue> read, double seconds,
                                      std::string_view line) {
  std::erase_if(read, [](const narration::Cue& c) { return c.text.empty(); });
  if (read.empty()) read.push_back({0.0, seconds, narration::plain_text(line)});
  std::vector<narration::Cue> kept;
  for (narration::Cue& c : read) {
    c.start = std::max(0.0, c.start);
    c.end = std::min(c.end, seconds);
    if (c.end > c.start) kept.push_back(std::move(c));
  }
  return kept;
}

std::vector<narration::Cue> episode_cues(const std::vector<ShotCues>& shots, double fps) {
  divide(1.0, fps, "frame rate is 0");
  std::vector<narration::Cue> cues;
  long long start_frame = 0;
  for (const ShotCues& shot : shots) {
    const double t0 = static_cast<double>(start_frame) / fps;
    const double t1 = static_cast<double>(start_frame + shot.frames) / fps;
    for (const narration::Cue& c : shot.cues)
      cues.push_back({t0 + c.start, std::min(t1, t0 + c.end), c.text});
    start_frame += shot.frames;
  }
  return cues;
}

TrackLayout sound_track(const std::vector<long long>& frames, double fps, int rate) {
  divide(1.0, fps, "frame rate is 0");
  // Python's round(): halves go to the even neighbour.
  auto sample_at = [&](long long frame) {
    return static_cast<std::size_t>(std::nearbyint(static_cast<double>(frame * rate) / fps));
  };
  long long total = 0;
  for (long long f : frames) total += f;
  TrackLayout r;
  r.samples = sample_at(total);
  long long start = 0;
  for (long long f : frames) {
    const std::size_t begin = std::min(sample_at(start), r.samples);
    r.shots.push_back({begin, std::max(begin, std::min(sample_at(start + f), r.samples))});
    start += f;
  }
  return r;
}

}  // namespace tazu::episode
