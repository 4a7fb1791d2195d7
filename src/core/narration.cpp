#include "tazu/narration.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tazu::narration {

namespace {

constexpr std::string_view kMark = "<s>";

bool starts_with_mark(std::string_view s) { return s.substr(0, 3) == kMark; }
bool ends_with_mark(std::string_view s) { return s.size() >= 3 && s.substr(s.size() - 3) == kMark; }

int count_marks(std::string_view s) {
  int n = 0;
  for (std::size_t p = s.find(kMark); p != std::string_view::npos; p = s.find(kMark, p + 3)) ++n;
  return n;
}

// Decodes the code point starting at s[i]; returns its byte length (1 for a bad byte).
std::size_t decode(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
  if (i + len > s.size()) len = 1;
  if (len == 1) {
    cp = b;
    return 1;
  }
  cp = b & (0xff >> (len + 1));
  for (std::size_t k = 1; k < len; ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3f);
  return len;
}

}  // namespace

bool is_space(char32_t c) {
  if (c == ' ' || (c >= 0x09 && c <= 0x0d) || (c >= 0x1c && c <= 0x1f)) return true;
  switch (c) {
    case 0x85:
    case 0xa0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202f:
    case 0x205f:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200a;
  }
}

std::size_t utf8_sequence(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  std::size_t len = (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  cp = b & (0xff >> (len + 1));
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xc0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3f);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
  return len;
}

std::string clean_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp;
    std::size_t len = utf8_sequence(text, i, cp);
    if (len == 0) {
      ++i;
      continue;
    }
    if (cp >= 0x09 && cp <= 0x0d) {
      out.push_back(' ');
    } else if (!(cp < 0x20 || (cp >= 0x7f && cp <= 0x9f))) {
      out.append(text.substr(i, len));
    }
    i += len;
  }
  return out;
}

std::string strip_unicode(std::string_view s) {
  std::size_t begin = 0;
  while (begin < s.size()) {
    char32_t cp;
    std::size_t len = decode(s, begin, cp);
    if (!is_space(cp)) break;
    begin += len;
  }
  // Walk forward to find the end of the last non-space code point.
  std::size_t end = begin;
  for (std::size_t i = begin; i < s.size();) {
    char32_t cp;
    std::size_t len = decode(s, i, cp);
    i += len;
    if (!is_space(cp)) end = i;
  }
  return std::string(s.substr(begin, end - begin));
}

std::vector<LinePart> split_pauses(std::string_view line) {
  // Tokens as the pattern (<s>+|[^<>]+) finds them, left to right. UTF-8
  // continuation bytes are never '<', '>' or 's', so bytes can be scanned.
  std::vector<std::string_view> pieces;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == '<' && i + 2 < line.size() && line[i + 1] == 's' && line[i + 2] == '>') {
      std::size_t e = i + 2;
      while (e < line.size() && line[e] == '>') ++e;
      pieces.push_back(line.substr(i, e - i));
      i = e;
    } else if (line[i] == '<' || line[i] == '>') {
      ++i;
    } else {
      std::size_t e = i;
      while (e < line.size() && line[e] != '<' && line[e] != '>') ++e;
      pieces.push_back(line.substr(i, e - i));
      i = e;
    }
  }

  std::vector<LinePart> parts;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    std::string_view p = pieces[k];
    if (starts_with_mark(p) && ends_with_mark(p)) {
      int count = count_marks(p);
      while (k + 1 < pieces.size() && starts_with_mark(pieces[k + 1]) &&
             ends_with_mark(pieces[k + 1])) {
        count += count_marks(pieces[++k]);
      }
      parts.push_back({LinePart::Kind::pause, {}, count});
    } else if (std::string text = strip_unicode(clean_text(p)); !text.empty()) {
      parts.push_back({LinePart::Kind::subclause, std::move(text), 0});
    }
  }
  return parts;
}

std::string dot_to_dash(std::string s) {
  for (char& c : s)
    if (c == '.') c = '-';
  return s;
}

namespace {

std::uint64_t fnv1a(std::string_view s) {
  std::uint64_t h = 1469598103934665603ull;
  for (char c : s) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

// Keeps the start of a name too long for the file system, cut on a character
// boundary, plus a digest of the whole name so that different long names stay
// different and the same name always maps to the same file.
std::string shorten(const std::string& name) {
  std::size_t dot = name.rfind('.');
  std::string ext = dot != std::string::npos && name.size() - dot <= 8 ? name.substr(dot) : "";
  static const char* hex = "0123456789abcdef";
  std::string tag(1, '~');
  for (int shift = 60; shift >= 0; shift -= 4) tag.push_back(hex[(fnv1a(name) >> shift) & 0xf]);
  std::size_t keep = kMaxNameBytes - tag.size() - ext.size();
  while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xc0) == 0x80) --keep;
  return name.substr(0, keep) + tag + ext;
}

}  // namespace

std::string safe_file_name(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    out.push_back(c == '/' || c == '\\' || u < 0x20 || u == 0x7f ? '_' : c);
  }
  if (out.find_first_not_of('.') == std::string::npos) {
    std::string prefixed(1, '_');
    prefixed += out;
    out = std::move(prefixed);
  }
  return out.size() > kMaxNameBytes ? shorten(out) : out;
}

std::string raw_clip_file_name(std::string_view base, std::string_view index,
                               std::string_view voice, std::string_view volume,
                               std::string_view speed, std::string_view pitch,
                               std::string_view emotion) {
  std::string name;
  name.append(base).append("_").append(index).append("_").append(voice);
  name.append("_").append(dot_to_dash(std::string(volume)));
  name.append("_").append(dot_to_dash(std::string(speed)));
  name.append("_").append(dot_to_dash(std::string(pitch)));
  name.append("_").append(emotion).append(".wav");
  return safe_file_name(name);
}

NarrationFiles narration_file_names(std::string_view base) {
  std::string name(base);
  name += ".wav";
  NarrationFiles files;
  files.sound = safe_file_name(name);
  files.cues = files.sound.substr(0, files.sound.size() - 4) + ".vtt";
  return files;
}

namespace {

double usable_seconds(double s) { return std::isfinite(s) && s > 0 ? s : 0.0; }

// First and last frame in [from, to) with a sample at or above `floor`;
// false when there is none.
bool sounding_span(const audio::Buffer& b, std::size_t from, std::size_t to, float floor,
                   std::size_t& first, std::size_t& last) {
  const std::size_t ch = static_cast<std::size_t>(b.channels);
  auto loud = [&](std::size_t f) {
    for (std::size_t c = 0; c < ch; ++c)
      if (std::fabs(b.samples[f * ch + c]) >= floor) return true;
    return false;
  };
  std::size_t f = from;
  while (f < to && !loud(f)) ++f;
  if (f == to) return false;
  first = f;
  for (f = to; f > first && !loud(f - 1);) --f;
  last = f - 1;
  return true;
}

}  // namespace

std::vector<Cue> clause_cues(const std::vector<TimedPart>& parts, const audio::Buffer* sound,
                             double silence_db) {
  const bool have_sound = sound && sound->rate > 0 && sound->channels > 0;
  const double total = have_sound ? sound->seconds() : 0.0;
  const auto floor = static_cast<float>(std::pow(10.0, silence_db / 20.0));
  std::vector<Cue> cues;
  double at = 0;
  for (const TimedPart& part : parts) {
    double begin = at, end = at + usable_seconds(part.seconds);
    at = end;
    if (!part.spoken) continue;
    if (have_sound) {
      begin = std::min(begin, total);
      end = std::min(end, total);
      const double rate = sound->rate;
      const auto from = static_cast<std::size_t>(std::llround(begin * rate));
      const auto to = std::min(static_cast<std::size_t>(std::llround(end * rate)), sound->frames());
      std::size_t first = 0, last = 0;
      // Kept inside the stretch, which frame rounding could leave by a hair.
      if (from < to && sounding_span(*sound, from, to, floor, first, last)) {
        begin = std::max(begin, first / rate);
        end = std::min(end, (last + 1) / rate);
      }
    }
    cues.push_back({begin, end, part.text});
  }
  return cues;
}

}  // namespace tazu::narration
