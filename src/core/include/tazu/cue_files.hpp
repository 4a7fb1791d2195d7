// Subtitle cues and their files: WebVTT read and written, SRT written, and
// the time stamps of both. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tazu/errors.hpp"

namespace tazu::narration {

// A text heard from `start` to `end`, in seconds.
struct Cue {
  double start = 0;
  double end = 0;
  std::string text;
};

// "HH:MM:SS.mmm" ("HH:MM:SS,mmm" with ',' as `separator`), rounded to the
// millisecond; hours grow past two digits. Negative, infinite and NaN times
// read as 0, and times past 10^15 seconds as 10^15 seconds.
std::string cue_stamp(double seconds, char separator);
inline std::string vtt_timestamp(double seconds) { return cue_stamp(seconds, '.'); }

// A WebVTT document: the "WEBVTT" header, then per cue a blank line, its
// timing line "start --> end" and its text ("&", "<", ">" escaped; line breaks
// kept, blank lines dropped, since a blank line would end the cue). A cue of
// no length is given one millisecond.
std::string webvtt(const std::vector<Cue>& cues);

// An SRT document: per cue its number from 1, its timing line with ',' before
// the milliseconds and its text as it is (blank lines dropped), entries
// separated by a blank line. Timing as in webvtt.
std::string srt(const std::vector<Cue>& cues);

// A cue file that cannot be read: what() says what is wrong; `piece` is the
// text at fault, where there is one, for the caller to quote.
class CueFileError : public BadValue {
 public:
  explicit CueFileError(const char* what, std::optional<std::string> piece = std::nullopt)
      : BadValue(what), piece(std::move(piece)) {}
  std::optional<std::string> piece;
};

// The cues of a WebVTT file's bytes, in file order. A UTF-8 byte-order mark
// is skipped; CR LF and CR count as line breaks; blocks are separated by lines
// of white space. NOTE, STYLE and REGION blocks are skipped and a cue's
// identifier line is passed over. A time is [hours:]MM:SS.mmm (',' accepted
// for '.'; ASCII digits; hours up to 10^12); what follows the end time on the
// timing line (cue settings) is ignored. A cue's text loses its tags ("<i>",
// "<v name>", time stamps), gets "&amp;", "&lt;", "&gt;", "&quot;", "&apos;",
// "&nbsp;", "&lrm;" and "&rlm;" back as characters and is stripped of white
// space at both ends. Throws CueFileError for bytes that are not UTF-8, a
// missing "WEBVTT" header, a bad time (the time is the piece) or a block
// without a timing line (its first 40 characters are the piece).
std::vector<Cue> read_webvtt(std::string_view bytes);

// A storyboard line as a subtitle: every pause mark ("<s" followed by one or
// more ">") removed and each piece between them stripped of white space.
std::string plain_text(std::string_view line);

// A line as a title card's lines: one per stretch between runs of "<s>",
// each as plain_text gives it, empty ones left out, joined by "\n".
std::string title_text(std::string_view line);

}  // namespace tazu::narration
