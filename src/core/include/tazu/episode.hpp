// The arithmetic of an episode made of shots played one after another: how
// long each shot lasts, where its cues and its narration fall, and how long
// the sound track is. Times in seconds, frames at the episode's frame rate.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "tazu/cue_files.hpp"

namespace tazu::episode {

struct ShotLength {
  double seconds = 0;       // the length asked for
  long long frames = 1;     // whole frames covering it, at least one
  double clip_seconds = 0;  // frames / fps
};

// A shot's length. A shot document's own length `own` (none for a title card)
// is stretched to its narration of `narration` seconds plus `gap`; a title card
// lasts its narration plus `gap`, or `silent` without narration. Frames round
// up, a billionth of a frame forgiven. Throws DivisionByZero for fps 0.
ShotLength shot_length(std::optional<double> own, std::optional<double> narration, double gap,
                       double silent, double fps);

// A shot's cues from its cue file: cues without text left out; with none left,
// one cue over the whole narration showing the line's plain text. Each cue is
// then held within [0, seconds], and those left without length dropped.
std::vector<narration::Cue> shot_cues(std::vector<narration::Cue> read, double seconds,
                                      std::string_view line);

// One shot of an episode: its length in frames and its cues from its start.
struct ShotCues {
  long long frames = 0;
  std::vector<narration::Cue> cues;
};

// The episode's cues: each shot's moved by the shot's start and ending no
// later than the shot, in order.
std::vector<narration::Cue> episode_cues(const std::vector<ShotCues>& shots, double fps);

// Samples [begin, end) of the sound track.
struct TrackSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
};

struct TrackLayout {
  std::size_t samples = 0;       // the track's length at `rate`
  std::vector<TrackSpan> shots;  // where each shot's narration may go
};

// The sound track of shots lasting `frames` each: frame boundaries become
// sample offsets at `rate`, rounded half to even; each span ends at the shot's
// end and within the track. Throws DivisionByZero for fps 0.
TrackLayout sound_track(const std::vector<long long>& frames, double fps, int rate);

}  // namespace tazu::episode
