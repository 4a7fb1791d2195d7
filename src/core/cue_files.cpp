#include "tazu/cue_files.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tazu/narration.hpp"

namespace tazu::narration {

namespace {

long long to_ms(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0) return 0;
  // Held below the 64-bit range (about 30 million years): llround past it
  // gives a negative count, and a cue's end adds one.
  constexpr double kMaxMs = 1e18;
  const double ms = std::round(seconds * 1000.0);
  return ms < kMaxMs ? static_cast<long long>(ms) : static_cast<long long>(kMaxMs);
}

std::string format_ms(long long ms, char separator) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld%c%03lld", ms / 3600000, ms / 60000 % 60,
                ms / 1000 % 60, separator, ms % 1000);
  return buf;
}

// "start --> end"; a cue of no length lasts one millisecond.
std::string timing_line(const Cue& cue, char separator) {
  const long long start = to_ms(cue.start);
  const long long end = std::max(to_ms(cue.end), start + 1);
  return format_ms(start, separator) + " --> " + format_ms(end, separator);
}

// Cue text: each line kept, lines of white space dropped (a reader takes
// them for the end of the cue);
// markup characters escaped for WebVTT.
std::string cue_payload(std::string_view text, bool escape) {
  std::string out, line;
  auto flush = [&] {
    if (!strip_unicode(line).empty()) {
      if (!out.empty()) out.push_back('\n');
      out += line;
    }
    line.clear();
  };
  for (char c : text) {
    if (c == '\r' || c == '\n')
      flush();
    else if (escape && c == '&')
      line += "&amp;";
    else if (escape && c == '<')
      line += "&lt;";
    else if (escape && c == '>')
      line += "&gt;";
    else
      line.push_back(c);
  }
  flush();
  return out;
}

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The text between breaks made of white space holding two or more line breaks,
// as splitting at the pattern "\n\s*\n" gives it.
std::vector<std::string_view> blocks_of(std::string_view text) {
  std::vector<std::string_view> blocks;
  std::size_t start = 0;
  for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i)) {
    std::size_t j = i + 1, last = std::string_view::npos;
    char32_t cp;
    for (std::size_t n; j < text.size() && (n = utf8_sequence(text, j, cp)) && is_space(cp); j += n)
      if (cp == '\n') last = j;
    if (last == std::string_view::npos) {
      i = j;
      continue;
    }
    blocks.push_back(text.substr(start, i - start));
    start = i = last + 1;
  }
  blocks.push_back(text.substr(start));
  return blocks;
}

std::vector<std::string_view> lines_of(std::string_view block) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0;;) {
    const std::size_t nl = block.find('\n', at);
    lines.push_back(block.substr(at, nl - at));
    if (nl == std::string_view::npos) return lines;
    at = nl + 1;
  }
}

// The first `count` characters of valid UTF-8.
std::string_view first_chars(std::string_view s, std::size_t count) {
  std::size_t at = 0;
  char32_t cp;
  for (; count > 0 && at < s.size(); --count) at += utf8_sequence(s, at, cp);
  return s.substr(0, at);
}

// The first word of `s`, words separated by white space.
std::string_view first_word(std::string_view s) {
  std::size_t begin = 0, end;
  char32_t cp;
  for (std::size_t n; begin < s.size() && (n = utf8_sequence(s, begin, cp)) && is_space(cp);)
    begin += n;
  for (end = begin; end < s.size();) {
    const std::size_t n = utf8_sequence(s, end, cp);
    if (is_space(cp)) break;
    end += n;
  }
  return s.substr(begin, end - begin);
}

// A run of ASCII digits as a number no larger than `most`.
std::optional<long long> digits(std::string_view s, std::size_t least, std::size_t longest,
                                long long most) {
  if (s.size() < least || s.size() > longest) return std::nullopt;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > most) return std::nullopt;
  }
  return v;
}

// [hours:]MM:SS.mmm in seconds.
double cue_time(std::string_view raw) {
  const std::string s = strip_unicode(raw);
  const std::size_t n = s.size();
  constexpr long long kMostHours = 1'000'000'000'000;
  const std::string_view v(s);
  std::optional<long long> h = 0, m, sec, ms;
  if (n >= 4 && (s[n - 4] == '.' || s[n - 4] == ',')) {
    ms = digits(v.substr(n - 3), 3, 3, 999);
    const std::string_view head = v.substr(0, n - 4);
    const std::size_t c2 = head.rfind(':');
    const std::size_t c1 =
        c2 == std::string_view::npos || c2 == 0 ? std::string_view::npos : head.rfind(':', c2 - 1);
    if (c2 != std::string_view::npos) {
      sec = digits(head.substr(c2 + 1), 2, 2, 99);
      const std::size_t m_from = c1 == std::string_view::npos ? 0 : c1 + 1;
      m = digits(head.substr(m_from, c2 - m_from), 1, 2, 99);
      if (c1 != std::string_view::npos) h = digits(head.substr(0, c1), 1, n, kMostHours);
    }
  }
  if (!(h && m && sec && ms)) throw CueFileError("bad cue time", s);
  return double(*h * 3600 + *m * 60 + *sec) + double(*ms) / 1000.0;
}

// The characters a cue's text may name, as "&name;".
constexpr std::pair<std::string_view, std::string_view> kEntities[] = {{"&amp;", "&"},
                                                                       {"&lt;", "<"},
                                                                       {"&gt;", ">"},
                                                                       {"&quot;", "\""},
                                                                       {"&apos;", "'"},
                                                                       {"&nbsp;", "\xc2\xa0"},
                                                                       {"&lrm;", "\xe2\x80\x8e"},
                                                                       {"&rlm;", "\xe2\x80\x8f"}};

// A cue's text as a reader sees it: tags left out, named characters put back.
std::string cue_text(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '<') {
      const std::size_t close = text.find('>', i);
      i = close == std::string_view::npos ? text.size() : close + 1;
      continue;
    }
    if (text[i] == '&') {
      const auto* hit =
          std::find_if(std::begin(kEntities), std::end(kEntities),
                       [&](const auto& e) { return starts_with(text.substr(i), e.first); });
      if (hit != std::end(kEntities)) {
        out += hit->second;
        i += hit->first.size();
        continue;
      }
    }
    out.push_back(text[i++]);
  }
  return strip_unicode(out);
}

}  // namespace

std::string cue_stamp(double seconds, char separator) {
  return format_ms(to_ms(seconds), separator);
}

std::string webvtt(const std::vector<Cue>& cues) {
  std::string out = "WEBVTT\n";
  for (const Cue& cue : cues)
    out.append("\n")
        .append(timing_line(cue, '.'))
        .append("\n")
        .append(cue_payload(cue.text, true))
        .append("\n");
  return out;
}

std::string srt(const std::vector<Cue>& cues) {
  std::string out;
  for (std::size_t k = 0; k < cues.size(); ++k) {
    if (k > 0) out.append("\n");
    out.append(std::to_string(k + 1)).append("\n").append(timing_line(cues[k], ','));
    out.append("\n").append(cue_payload(cues[k].text, false)).append("\n");
  }
  return out;
}

std::vector<Cue> read_webvtt(std::string_view bytes) {
  if (starts_with(bytes, "\xef\xbb\xbf")) bytes.remove_prefix(3);
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp;
    const std::size_t n = utf8_sequence(bytes, i, cp);
    if (n == 0) throw CueFileError("not UTF-8 text");
    if (cp == '\r') {
      text.push_back('\n');
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      text.append(bytes.substr(i, n));
    }
    i += n;
  }
  text = strip_unicode(text);
  const std::vector<std::string_view> blocks = blocks_of(text);
  if (!starts_with(blocks.front(), "WEBVTT"))
    throw CueFileError("not a WebVTT file (no WEBVTT header)");

  std::vector<Cue> cues;
  for (std::size_t b = 1; b < blocks.size(); ++b) {
    std::vector<std::string_view> lines = lines_of(blocks[b]);
    if (starts_with(lines[0], "NOTE") || starts_with(lines[0], "STYLE") ||
        starts_with(lines[0], "REGION"))
      continue;
    if (lines[0].find("-->") == std::string_view::npos) lines.erase(lines.begin());  // identifier
    if (lines.empty() || lines[0].find("-->") == std::string_view::npos)
      throw CueFileError("cue without a time line:", std::string(first_chars(blocks[b], 40)));
    const std::size_t arrow = lines[0].find("-->");
    Cue cue;
    cue.start = cue_time(lines[0].substr(0, arrow));
    cue.end = cue_time(first_word(lines[0].substr(arrow + 3)));
    std::string body;
    for (std::size_t k = 1; k < lines.size(); ++k) body.append(k > 1 ? "\n" : "").append(lines[k]);
    cue.text = cue_text(body);
    cues.push_back(std::move(cue));
  }
  return cues;
}

std::string plain_text(std::string_view line) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t i = line.find("<s>"); i != std::string_view::npos; i = line.find("<s>", i)) {
    out += strip_unicode(line.substr(start, i - start));
    for (i += 3; i < line.size() && line[i] == '>';) ++i;
    start = i;
  }
  return out + strip_unicode(line.substr(start));
}

std::string title_text(std::string_view line) {
  std::string out;
  auto add = [&](std::string_view piece) {
    const std::string plain = plain_text(piece);
    if (plain.empty()) return;
    if (!out.empty()) out.push_back('\n');
    out += plain;
  };
  std::size_t start = 0;
  for (std::size_t i = line.find("<s>"); i != std::string_view::npos; i = line.find("<s>", i)) {
    add(line.substr(start, i - start));
    while (starts_with(line.substr(i), "<s>")) i += 3;
    start = i;
  }
  add(line.substr(start));
  return out;
}

}  // namespace tazu::narration
