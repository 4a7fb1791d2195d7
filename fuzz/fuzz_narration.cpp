// Narration text: pause marks, white-space stripping, the names of the files
// made from a line's fields, text cleaning, and clause cues with their WebVTT.
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.hpp"
#include "tazu/narration.hpp"

namespace tn = tazu::narration;

namespace {

// Length of a well-formed UTF-8 sequence at s[i], or 0.
std::size_t utf8_len(std::string_view s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t len = b < 0x80                ? 1
                    : b >= 0xc2 && b < 0xe0 ? 2
                    : b >= 0xe0 && b < 0xf0 ? 3
                    : b >= 0xf0 && b < 0xf5 ? 4
                                            : 0;
  if (len == 0 || i + len > s.size()) return 0;
  char32_t cp = len == 1 ? b : b & (0x7f >> len);
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xc0) != 0x80) return 0;
    cp = cp << 6 | (c & 0x3f);
  }
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[len] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
  return len;
}

bool valid_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = utf8_len(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

bool is_space_cp(std::string_view s, std::size_t i, std::size_t len) {
  // The same set as Python's str.isspace(), spelled out independently.
  static constexpr std::string_view kSpaces[] = {" ",
                                                 "\t",
                                                 "\n",
                                                 "\v",
                                                 "\f",
                                                 "\r",
                                                 "\x1c",
                                                 "\x1d",
                                                 "\x1e",
                                                 "\x1f",
                                                 "\xc2\x85",
                                                 "\xc2\xa0",
                                                 "\xe1\x9a\x80",
                                                 "\xe2\x80\x80",
                                                 "\xe2\x80\x81",
                                                 "\xe2\x80\x82",
                                                 "\xe2\x80\x83",
                                                 "\xe2\x80\x84",
                                                 "\xe2\x80\x85",
                                                 "\xe2\x80\x86",
                                                 "\xe2\x80\x87",
                                                 "\xe2\x80\x88",
                                                 "\xe2\x80\x89",
                                                 "\xe2\x80\x8a",
                                                 "\xe2\x80\xa8",
                                                 "\xe2\x80\xa9",
                                                 "\xe2\x80\xaf",
                                                 "\xe2\x81\x9f",
                                                 "\xe3\x80\x80"};
  const std::string_view cp = s.substr(i, len);
  for (std::string_view sp : kSpaces)
    if (cp == sp) return true;
  return false;
}

// On valid UTF-8: the stripped text is the original minus leading and trailing
// white space, and nothing else.
void check_strip(std::string_view s) {
  const std::string out = tn::strip_unicode(s);
  FUZZ_CHECK(out.size() <= s.size());
  if (!valid_utf8(s)) return;
  std::size_t begin = 0;
  while (begin < s.size()) {
    const std::size_t n = utf8_len(s, begin);
    if (!is_space_cp(s, begin, n)) break;
    begin += n;
  }
  std::size_t end = begin;
  for (std::size_t i = begin; i < s.size();) {
    const std::size_t n = utf8_len(s, i);
    if (!is_space_cp(s, i, n)) end = i + n;
    i += n;
  }
  FUZZ_CHECK(out == s.substr(begin, end - begin));
}

void check_pauses(std::string_view line) {
  const auto parts = tn::split_pauses(line);
  std::size_t text_bytes = 0;
  int marks = 0;
  for (const auto& p : parts) {
    if (p.kind == tn::LinePart::Kind::pause) {
      FUZZ_CHECK(p.count >= 1);
      FUZZ_CHECK(p.text.empty());
      marks += p.count;
    } else {
      FUZZ_CHECK(!p.text.empty());
      // Angle brackets only in a mark followed by more ">", which is read out
      // as text.
      if (p.text.rfind("<s>", 0) == 0)
        FUZZ_CHECK(p.text.size() > 3 && p.text.find_first_not_of('>', 3) == std::string::npos);
      else
        FUZZ_CHECK(p.text.find_first_of("<>") == std::string::npos);
      FUZZ_CHECK(tn::strip_unicode(p.text) == p.text);
      if (valid_utf8(line)) FUZZ_CHECK(valid_utf8(p.text));
      text_bytes += p.text.size();
    }
  }
  FUZZ_CHECK(text_bytes <= line.size());
  // Every mark counts once, except those followed by more ">".
  int in_line = 0;
  for (std::size_t i = line.find("<s>"); i != std::string_view::npos; i = line.find("<s>", i + 3))
    if (i + 3 == line.size() || line[i + 3] != '>') ++in_line;
  FUZZ_CHECK(marks == in_line);
}

void check_name(bool valid_input, const std::string& safe) {
  FUZZ_CHECK(!safe.empty());
  FUZZ_CHECK(safe.size() <= tn::kMaxNameBytes);
  FUZZ_CHECK(safe.find_first_not_of('.') != std::string::npos);
  for (char c : safe) {
    const auto u = static_cast<unsigned char>(c);
    FUZZ_CHECK(c != '/' && c != '\\' && u >= 0x20 && u != 0x7f);
  }
  if (valid_input) FUZZ_CHECK(valid_utf8(safe));
  // Making a name safe twice changes nothing.
  FUZZ_CHECK(tn::safe_file_name(safe) == safe);
}

// Cleaned text is valid UTF-8 without control characters, no longer than the
// input, cleaned already, and the same as the input when that was both.
void check_clean(std::string_view s) {
  const std::string out = tn::clean_text(s);
  FUZZ_CHECK(out.size() <= s.size());
  FUZZ_CHECK(valid_utf8(out));
  bool plain = true;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto u = static_cast<unsigned char>(out[i]);
    FUZZ_CHECK(u >= 0x20 && u != 0x7f);
    // C1 controls are U+0080..U+009F, encoded as C2 80..C2 9F.
    FUZZ_CHECK(!(u == 0xc2 && i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) < 0xa0));
  }
  FUZZ_CHECK(tn::clean_text(out) == out);
  if (valid_utf8(s)) {
    for (std::size_t i = 0; i < s.size() && plain; ++i) {
      const auto u = static_cast<unsigned char>(s[i]);
      plain = u >= 0x20 && u != 0x7f &&
              !(u == 0xc2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) < 0xa0);
    }
    if (plain) FUZZ_CHECK(out == s);
  }
}

// Milliseconds of a "HH:MM:SS.mmm" stamp.
long long stamp_ms(std::string_view t) {
  const std::size_t colon = t.find(':');
  FUZZ_CHECK(colon != std::string_view::npos && colon >= 2 && t.size() == colon + 10);
  FUZZ_CHECK(t[colon + 3] == ':' && t[colon + 6] == '.');
  long long h = 0;
  for (char c : t.substr(0, colon)) {
    FUZZ_CHECK(c >= '0' && c <= '9');
    h = h * 10 + (c - '0');
  }
  auto num = [&](std::size_t at, std::size_t n) {
    long long v = 0;
    for (char c : t.substr(at, n)) {
      FUZZ_CHECK(c >= '0' && c <= '9');
      v = v * 10 + (c - '0');
    }
    return v;
  };
  const long long m = num(colon + 1, 2), sec = num(colon + 4, 2), ms = num(colon + 7, 3);
  FUZZ_CHECK(m < 60 && sec < 60);
  return ((h * 60 + m) * 60 + sec) * 1000 + ms;
}

// Cues: one per clause, in order, never overlapping, inside the sound; the
// WebVTT has the header and one timing line per cue, each ending after it starts.
void check_cues(fuzz::Input& in) {
  std::vector<tn::TimedPart> parts(in.u8() % 17);
  std::size_t spoken = 0;
  for (auto& p : parts) {
    p.spoken = in.flag();
    p.seconds = in.number();
    p.text = p.spoken ? in.text(40) : "";
    spoken += p.spoken;
  }
  tazu::audio::Buffer sound;
  const bool have_sound = in.flag();
  if (have_sound) {
    sound.channels = 1 + in.flag();
    sound.rate = 1 + in.u16() % 48000;
    std::size_t frames = std::min<std::size_t>(in.u16() % 4096, in.left() / 2 / sound.channels);
    for (std::size_t i = 0; i < frames * sound.channels; ++i)
      sound.samples.push_back(float(in.within(-1, 1)));
  }
  const auto cues = tn::clause_cues(parts, have_sound ? &sound : nullptr);
  FUZZ_CHECK(cues.size() == spoken);
  double last_end = 0;
  for (const auto& c : cues) {
    FUZZ_CHECK(!std::isnan(c.start) && !std::isnan(c.end));
    FUZZ_CHECK(last_end <= c.start && c.start <= c.end);
    if (have_sound) FUZZ_CHECK(c.end <= sound.seconds() + 1e-9);
    last_end = c.end;
  }
  const std::string vtt = tn::webvtt(cues);
  FUZZ_CHECK(vtt.rfind("WEBVTT\n", 0) == 0);
  std::size_t timings = 0;
  for (std::size_t at = vtt.find(" --> "); at != std::string::npos;
       at = vtt.find(" --> ", at + 5)) {
    const std::size_t line = vtt.rfind('\n', at) + 1, stop = vtt.find('\n', at);
    FUZZ_CHECK(stop != std::string::npos);
    FUZZ_CHECK(stamp_ms(std::string_view(vtt).substr(line, at - line)) <
               stamp_ms(std::string_view(vtt).substr(at + 5, stop - at - 5)));
    ++timings;
  }
  // Cue texts cannot hold an arrow: ">" is escaped.
  FUZZ_CHECK(timings == cues.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  switch (in.u8() % 5) {
    case 0: {  // a narration line
      const std::string_view line = in.rest();
      check_strip(line);
      check_pauses(line);
      break;
    }
    case 1: {  // a file name
      const std::string_view name = in.rest();
      const std::string safe = tn::safe_file_name(name);
      check_name(valid_utf8(name), safe);
      if (name.size() <= tn::kMaxNameBytes && name.find_first_of("/\\") == std::string::npos &&
          valid_utf8(name) && !name.empty() && name.find_first_not_of('.') != std::string::npos) {
        bool plain = true;
        for (char c : name) plain = plain && static_cast<unsigned char>(c) >= 0x20 && c != 0x7f;
        if (plain) FUZZ_CHECK(safe == name);  // ordinary names are kept as they are
      }
      break;
    }
    case 3:  // text for the speech engine and subtitles
      check_clean(in.rest());
      break;
    case 4:  // clause cues and their WebVTT
      check_cues(in);
      break;
    default: {  // the fields of a raw clip name
      std::string fields[7];
      for (auto& f : fields) f = in.text(300);
      const std::string name = tn::raw_clip_file_name(fields[0], fields[1], fields[2], fields[3],
                                                      fields[4], fields[5], fields[6]);
      bool valid = true;
      for (const auto& f : fields) valid = valid && valid_utf8(f);
      check_name(valid, name);
      FUZZ_CHECK(name.size() >= 4 && name.compare(name.size() - 4, 4, ".wav") == 0);
      break;
    }
  }
  return 0;
}
