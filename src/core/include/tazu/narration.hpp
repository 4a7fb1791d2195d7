// Narration text helpers: pause marks in a line, and the file names of clips.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tazu/audio.hpp"
#include "tazu/cue_files.hpp"

namespace tazu::narration {

// Text as the speech engine and a subtitle can take it: control characters
// removed (tab and line breaks become a space), and so are bytes that are not
// UTF-8 and encoded surrogate halves. Everything else is kept, in order.
std::string clean_text(std::string_view text);

// One piece of a narration line: a spoken clause or a pause of `count` marks.
struct LinePart {
  enum class Kind { subclause, pause };
  Kind kind;
  std::string text;  // subclause only, stripped, never empty
  int count = 0;     // pause only, at least 1
};

// Splits a line (UTF-8) at pause marks "<s>". Back-to-back marks make one pause;
// stray "<" and ">" are dropped; white-space-only pieces vanish. Clause texts
// are cleaned with clean_text.
std::vector<LinePart> split_pauses(std::string_view line);

// Python's str.isspace() for one code point.
bool is_space(char32_t c);

// Length of the well-formed UTF-8 sequence at s[i] (surrogates count as
// ill-formed), or 0; `cp` gets its code point.
std::size_t utf8_sequence(std::string_view s, std::size_t i, char32_t& cp);

// Strips white space at both ends the way Python's str.strip() does (Unicode
// spaces included, such as the ideographic space U+3000).
std::string strip_unicode(std::string_view s);

// "1.25" -> "1-25": numbers in file names without extra dots.
std::string dot_to_dash(std::string s);

// File names longer than this (in UTF-8 bytes) are shortened; the margin below
// the usual 255-byte limit leaves room for temporary names made from them.
constexpr std::size_t kMaxNameBytes = 200;

// A single file name that cannot leave its folder: path separators and control
// characters become "_", and a name made only of dots gets a "_" in front. A name
// longer than kMaxNameBytes keeps its start and extension and gets a digest of
// the whole name in between.
std::string safe_file_name(std::string_view name);

// Raw clip cache file name (no folder):
// "{base}_{index}_{voice}_{volume}_{speed}_{pitch}_{emotion}.wav", where volume,
// speed and pitch have their dots turned into "-". Made safe as a whole.
std::string raw_clip_file_name(std::string_view base, std::string_view index,
                               std::string_view voice, std::string_view volume,
                               std::string_view speed, std::string_view pitch,
                               std::string_view emotion);

// A shot's narration file "{base}.wav" and its cue file: the same safe stem
// with ".vtt", also when a long base name is shortened.
struct NarrationFiles {
  std::string sound;
  std::string cues;
};
NarrationFiles narration_file_names(std::string_view base);

// One part of an assembled narration, in order: a clause or a pause, and how
// long it lasts in the assembled sound.
struct TimedPart {
  bool spoken = false;  // a clause; false for a pause
  std::string text;     // the clause as written, pause marks removed
  double seconds = 0;   // its length; not a finite positive number counts as 0
};

// The level under which the edges of a clause count as silence, in dBFS.
constexpr double kCueSilenceDb = -50.0;

// Where each clause is heard. Parts lie end to end from 0. With the assembled
// sound at hand, a clause's cue runs from the first to the last sample of its
// stretch louder than `silence_db` (peak, any channel), so the speech engine's
// own leading and trailing silence stays outside it; a stretch without such a
// sample, or no sound at all, gives a cue over the whole stretch. Stretches are
// clamped to the sound's length. One cue per clause, in order.
std::vector<Cue> clause_cues(const std::vector<TimedPart>& parts, const audio::Buffer* sound,
                             double silence_db = kCueSilenceDb);

}  // namespace tazu::narration
