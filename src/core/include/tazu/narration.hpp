// Narration text helpers: pause marks in a line, and the file names of clips.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tazu::narration {

// One piece of a narration line: a spoken clause or a pause of `count` marks.
struct LinePart {
  enum class Kind { subclause, pause };
  Kind kind;
  std::string text;  // subclause only, stripped, never empty
  int count = 0;     // pause only, at least 1
};

// Splits a line (UTF-8) at pause marks "<s>". Back-to-back marks make one pause;
// stray "<" and ">" are dropped; white-space-only pieces vanish.
std::vector<LinePart> split_pauses(std::string_view line);

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

}  // namespace tazu::narration
