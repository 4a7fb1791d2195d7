// Subtitle cue files: the WebVTT reader on any bytes, what the writers make of
// any cues, and the pause marks taken out of a line for a subtitle.
#include <cmath>
#include <string>
#include <string_view>

#include "fuzz_input.hpp"
#include "tazu/cue_files.hpp"
#include "tazu/narration.hpp"

namespace tn = tazu::narration;

namespace {

bool valid_utf8(std::string_view s) {
  char32_t cp;
  for (std::size_t i = 0, n; i < s.size(); i += n)
    if ((n = tn::utf8_sequence(s, i, cp)) == 0) return false;
  return true;
}

// Reads a file or reports what is wrong with it; nothing else escapes.
bool read(std::string_view bytes, std::vector<tn::Cue>& cues) {
  try {
    cues = tn::read_webvtt(bytes);
    return true;
  } catch (const tn::CueFileError& e) {
    if (e.piece) FUZZ_CHECK(valid_utf8(*e.piece));
    return false;
  }
}

// Cues read from a file are written and read again unchanged: times to the
// millisecond, texts exactly.
void check_file(std::string_view bytes) {
  std::vector<tn::Cue> cues;
  if (!read(bytes, cues)) return;
  for (const auto& c : cues) {
    FUZZ_CHECK(std::isfinite(c.start) && c.start >= 0 && std::isfinite(c.end) && c.end >= 0);
    FUZZ_CHECK(valid_utf8(c.text) && tn::strip_unicode(c.text) == c.text);
  }
  std::vector<tn::Cue> again;
  FUZZ_CHECK(read(tn::webvtt(cues), again));
  FUZZ_CHECK(again.size() == cues.size());
  for (std::size_t i = 0; i < cues.size(); ++i) {
    FUZZ_CHECK(again[i].text == cues[i].text);
    FUZZ_CHECK(again[i].end > again[i].start);  // a cue of no length gets a millisecond
    if (cues[i].start < 1e9) FUZZ_CHECK(std::fabs(again[i].start - cues[i].start) < 1e-6);
  }
}

// Any cues make documents that read back as as many cues, in order.
void check_writers(fuzz::Input& in) {
  std::vector<tn::Cue> cues(in.u8() % 8);
  for (auto& c : cues) {
    c.start = in.number();
    c.end = in.number();
    c.text = in.text(64);
  }
  std::vector<tn::Cue> again;
  FUZZ_CHECK(read(tn::webvtt(cues), again) || !valid_utf8(tn::webvtt(cues)));
  if (valid_utf8(tn::webvtt(cues))) FUZZ_CHECK(again.size() == cues.size());
  const std::string srt = tn::srt(cues);
  std::size_t timings = 0;
  for (std::size_t at = srt.find(" --> "); at != std::string::npos; at = srt.find(" --> ", at + 5))
    ++timings;
  std::size_t in_texts = 0;
  for (const auto& c : cues)
    for (std::size_t at = c.text.find(" --> "); at != std::string::npos;
         at = c.text.find(" --> ", at + 5))
      ++in_texts;
  FUZZ_CHECK(timings == cues.size() + in_texts);
}

void check_plain(std::string_view line) {
  const std::string plain = tn::plain_text(line), title = tn::title_text(line);
  FUZZ_CHECK(plain.size() <= line.size() && title.size() <= line.size());
  if (!valid_utf8(line)) return;
  FUZZ_CHECK(valid_utf8(plain) && valid_utf8(title));
  FUZZ_CHECK(title.empty() || (title.front() != '\n' && title.back() != '\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  switch (in.u8() % 3) {
    case 0:
      check_file(in.rest());
      break;
    case 1:
      check_writers(in);
      break;
    default:
      check_plain(in.rest());
      break;
  }
  return 0;
}
