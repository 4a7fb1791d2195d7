// Narration text: pause marks, white-space stripping, cleaning for the speech
// engine, cue timing and WebVTT documents, and the names of the files made
// from a line's fields.
#include <string>
#include <string_view>

#include "fuzz_input.hpp"
#include "tazu/files.hpp"
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

// Code point at s[i] of valid UTF-8.
char32_t code_point(std::string_view s, std::size_t i, std::size_t len) {
  const auto b = static_cast<unsigned char>(s[i]);
  char32_t cp = len == 1 ? b : b & (0x7f >> len);
  for (std::size_t k = 1; k < len; ++k)
    cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3f);
  return cp;
}

bool is_control(char32_t cp) { return cp < 0x20 || (cp >= 0x7f && cp <= 0x9f); }

void check_clean(std::string_view text) {
  const std::string out = tn::clean_text(text);
  FUZZ_CHECK(valid_utf8(out));
  bool controls = false;
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t n = utf8_len(out, i);
    FUZZ_CHECK(!is_control(code_point(out, i, n)));
    i += n;
  }
  FUZZ_CHECK(tn::clean_text(out) == out);
  if (!valid_utf8(text)) return;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = utf8_len(text, i);
    controls = controls || is_control(code_point(text, i, n));
    i += n;
  }
  if (!controls) FUZZ_CHECK(out == text);  // clean text is kept as it is
}

// "HH:MM:SS.mmm" with two or more digits of hours; its value in milliseconds.
long long parse_timestamp(std::string_view t) {
  FUZZ_CHECK(t.size() >= 12);
  const std::size_t h = t.size() - 10;
  FUZZ_CHECK(t[h] == ':' && t[h + 3] == ':' && t[h + 6] == '.');
  const auto digits = [&](std::size_t from, std::size_t to) {
    long long v = 0;
    for (std::size_t i = from; i < to; ++i) {
      FUZZ_CHECK(t[i] >= '0' && t[i] <= '9');
      v = v * 10 + (t[i] - '0');
    }
    return v;
  };
  FUZZ_CHECK(h <= 15);
  const long long mm = digits(h + 1, h + 3), ss = digits(h + 4, h + 6);
  FUZZ_CHECK(mm < 60 && ss < 60);
  return ((digits(0, h) * 60 + mm) * 60 + ss) * 1000 + digits(h + 7, h + 10);
}

void check_timestamp(double seconds) {
  const long long ms = parse_timestamp(tn::vtt_timestamp(seconds));
  if (std::isfinite(seconds) && seconds > 0 && seconds < 1e12)
    FUZZ_CHECK(ms == std::llround(seconds * 1000.0));
  else if (!std::isfinite(seconds) || seconds <= 0)
    FUZZ_CHECK(ms == 0);
  else
    FUZZ_CHECK(ms >= 1000000000000000LL);
}

void check_cues(fuzz::Input& in) {
  std::vector<tn::TimedPart> parts;
  const int count = in.u8() % 16;
  for (int i = 0; i < count; ++i) {
    tn::TimedPart p;
    p.spoken = in.flag();
    p.seconds = in.number();
    p.text = in.text(64);
    parts.push_back(p);
  }
  tazu::audio::Buffer sound;
  const bool with_sound = in.flag();
  sound.rate = int(in.u16() % 48000) + 1;
  sound.channels = in.flag() ? 2 : 1;
  const std::size_t frames = std::min<std::size_t>(in.u16(), 4096);
  for (std::size_t i = 0; i < frames * sound.channels && !in.empty(); ++i)
    sound.samples.push_back(std::int8_t(in.u8()) / 128.0f);
  sound.samples.resize(sound.samples.size() / sound.channels * sound.channels);
  const double silence_db = in.number();
  const auto cues = tn::clause_cues(parts, with_sound ? &sound : nullptr, silence_db);
  std::size_t spoken = 0;
  for (const auto& p : parts) spoken += p.spoken;
  FUZZ_CHECK(cues.size() == spoken);
  double last_end = 0;  // in order, never overlapping
  for (const auto& c : cues) {
    FUZZ_CHECK(!(c.end < c.start) && !(c.start < last_end));
    if (with_sound) FUZZ_CHECK(c.start >= 0 && c.end <= sound.seconds());
    last_end = c.end;
  }

  // The document: a header, then per cue a blank line, a timing line whose end
  // follows its start, and text without markup or blank lines.
  const std::string doc = tn::webvtt(cues);
  FUZZ_CHECK(doc.rfind("WEBVTT\n", 0) == 0);
  std::size_t timings = 0;
  std::size_t at = 7;
  bool after_timing = false;
  while (at < doc.size()) {
    const std::size_t nl = doc.find('\n', at);
    FUZZ_CHECK(nl != std::string::npos);  // every line ends
    const std::string_view line(doc.data() + at, nl - at);
    const std::size_t arrow = line.find(" --> ");
    if (arrow != std::string_view::npos) {
      FUZZ_CHECK(at >= 1 && doc[at - 1] == '\n' && doc[at - 2] == '\n');
      FUZZ_CHECK(parse_timestamp(line.substr(0, arrow)) < parse_timestamp(line.substr(arrow + 5)));
      ++timings;
      after_timing = true;
    } else if (after_timing && !line.empty()) {
      FUZZ_CHECK(line.find_first_of("<>") == std::string_view::npos);
      FUZZ_CHECK(line.find_first_not_of(" \t") != std::string_view::npos);
    }
    at = nl + 1;
  }
  FUZZ_CHECK(timings == cues.size());
}

void check_file_names(std::string_view base) {
  const auto f = tn::narration_file_names(base);
  FUZZ_CHECK(f.sound.size() >= 4 && f.sound.compare(f.sound.size() - 4, 4, ".wav") == 0);
  FUZZ_CHECK(f.cues.size() == f.sound.size());
  FUZZ_CHECK(f.cues.compare(0, f.cues.size() - 4, f.sound, 0, f.sound.size() - 4) == 0);
  FUZZ_CHECK(f.cues.compare(f.cues.size() - 4, 4, ".vtt") == 0);
  check_name(valid_utf8(base), f.cues);
  // Names of finished files are never taken for temporary ones, and the
  // temporary name beside one always is.
  if (!tazu::files::is_temp_name(base))
    FUZZ_CHECK(!tazu::files::is_temp_name(f.sound) || base.rfind(".tazu-", 0) == 0);
  const std::string temp = tazu::files::temp_path_beside("some/folder/" + f.sound);
  FUZZ_CHECK(temp.rfind("some/folder/", 0) == 0);
  FUZZ_CHECK(tazu::files::is_temp_name(temp.substr(12)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  switch (in.u8() % 6) {
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
    case 3:  // text for the speech engine
      check_clean(in.rest());
      break;
    case 4: {  // timestamps, cues and their document
      check_timestamp(in.number());
      check_cues(in);
      break;
    }
    case 5:  // a shot's narration and cue files, and temporary names
      check_file_names(in.rest());
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
