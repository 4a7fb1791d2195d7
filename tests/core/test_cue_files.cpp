#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tazu/cue_files.hpp"

using namespace tazu::narration;

namespace {

struct Case {
  const char* name;
  std::string file;
  std::vector<Cue> cues;
};

bool same(const std::vector<Cue>& a, const std::vector<Cue>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].start != b[i].start || a[i].end != b[i].end || a[i].text != b[i].text) return false;
  return true;
}

class ReadWebVtt : public testing::TestWithParam<Case> {};

TEST_P(ReadWebVtt, GivesTheCuesInOrder) {
  const Case& c = GetParam();
  EXPECT_TRUE(same(read_webvtt(c.file), c.cues)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadWebVtt,
    testing::Values(
        Case{"plain",
             "WEBVTT\n\n00:00:00.041 --> 00:00:01.323\n第一集\n",
             {{0.041, 1.323, "第一集"}}},
        Case{"header only", "WEBVTT\n", {}},
        Case{"bom, CR LF, title, note, identifiers, short times, settings",
             "\xef\xbb\xbfWEBVTT - 旁白\r\n\r\nNOTE by hand\r\n\r\n1\r\n00:01.500 --> 00:02.250 "
             "line:90%\r\n今天\r\n\r\nb\r\n1:00:00.000 --> 1:00:01.000\r\n两行\r\n字幕\r\n",
             {{1.5, 2.25, "今天"}, {3600, 3601, "两行\n字幕"}}},
        Case{"lone CR, blank lines of spaces, a comma before milliseconds",
             "WEBVTT\r\r00:00:01,000-->00:00:02.000\r好\r \t\r\r00:00:03.000 --> 00:00:04.000\n坏",
             {{1, 2, "好"}, {3, 4, "坏"}}},
        Case{"an ideographic space between blank lines separates blocks",
             "WEBVTT\n\u3000\n00:00:01.000 --> 00:00:02.000\na",
             {{1, 2, "a"}}},
        Case{"tags dropped, named characters put back",
             "WEBVTT\n\n00:00:00.000 --> 00:00:01.000\n<v 小红><i>a</i> &amp; b&lt;c&gt; "
             "&unknown; <00:00:00.500>d&nbsp;",
             {{0, 1, "a & b<c> &unknown; d"}}},
        Case{"many hours",
             "WEBVTT\n\n123456:00:00.000 --> 123456:00:00.001\nx",
             {{123456.0 * 3600, 123456.0 * 3600 + 0.001, "x"}}},
        Case{"style and region blocks skipped",
             "WEBVTT\n\nSTYLE\n::cue { color: red }\n\nREGION\nid:r\n\n00:00.000 --> 00:01.000\n",
             {{0, 1, ""}}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

struct Bad {
  std::string file;
  std::string what;
  std::optional<std::string> piece;
};

class BadWebVtt : public testing::TestWithParam<Bad> {};

TEST_P(BadWebVtt, SaysWhatIsWrongAndQuotesThePiece) {
  const Bad& b = GetParam();
  try {
    read_webvtt(b.file);
    FAIL() << "read " << b.file;
  } catch (const CueFileError& e) {
    EXPECT_EQ(e.what(), b.what);
    EXPECT_EQ(e.piece, b.piece);
  }
}

const std::string kCueLine = "WEBVTT\n\n";

INSTANTIATE_TEST_SUITE_P(
    Files, BadWebVtt,
    testing::Values(
        Bad{"", "not a WebVTT file (no WEBVTT header)", std::nullopt},
        Bad{"00:00:00.000 --> 00:00:01.000\n好\n", "not a WebVTT file (no WEBVTT header)",
            std::nullopt},
        Bad{"WEBVTT\n\n\xff", "not UTF-8 text", std::nullopt},
        Bad{"WEBVTT\n\n\xed\xa0\x80", "not UTF-8 text", std::nullopt},  // a surrogate half
        Bad{kCueLine + "00:00:00,5 --> 00:00:01.000\n好", "bad cue time", "00:00:00,5"},
        Bad{kCueLine + "00:00:00.000 --> \n好", "bad cue time", ""},
        Bad{kCueLine + "00:00.000 --> 123:00.000", "bad cue time", "123:00.000"},
        Bad{kCueLine + ":00.000 --> 00:01.000", "bad cue time", ":00.000"},
        Bad{kCueLine + "1:2:00:00.000 --> 00:01.000", "bad cue time", "1:2:00:00.000"},
        Bad{kCueLine + "00:0a.000 --> 00:01.000", "bad cue time", "00:0a.000"},
        Bad{kCueLine + "10000000000000:00:00.000 --> 0:00.000", "bad cue time",
            "10000000000000:00:00.000"},
        Bad{kCueLine + "1\n好", "cue without a time line:", "1\n好"},
        Bad{kCueLine + "id\n" + std::string(60, 'x'),
            "cue without a time line:", "id\n" + std::string(37, 'x')},
        Bad{kCueLine +
                "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十"
                "多余",
            "cue without a time line:",
            "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(CueFiles, WrittenCuesReadBackRoundedToTheMillisecond) {
  const std::vector<Cue> cues = {
      {0.0406, 1.3234, "第一集"}, {3725.5, 3726, "a < b & c"}, {4000, 4000, "一\n\n二"}};
  EXPECT_TRUE(
      same(read_webvtt(webvtt(cues)),
           {{0.041, 1.323, "第一集"}, {3725.5, 3726, "a < b & c"}, {4000, 4000.001, "一\n二"}}));
}

TEST(CueFiles, SrtNumbersItsEntriesAndKeepsTheTextAsItIs) {
  EXPECT_EQ(srt({}), "");
  EXPECT_EQ(srt({{0.0406, 1.3234, "第一集"}, {3725.5, 3726, "a<b>\n\n&c"}}),
            "1\n00:00:00,041 --> 00:00:01,323\n第一集\n\n"
            "2\n01:02:05,500 --> 01:02:06,000\na<b>\n&c\n");
  EXPECT_EQ(cue_stamp(3661.0015, ','), "01:01:01,002");
}

TEST(CueFiles, PlainAndTitleTextLoseThePauseMarks) {
  EXPECT_EQ(plain_text("今天<s>天气<s><s>很好！"), "今天天气很好！");
  EXPECT_EQ(plain_text("<s>开头 <s>"), "开头");
  EXPECT_EQ(plain_text("a <s>>> b\u3000"), "ab");
  EXPECT_EQ(plain_text("a<b>c"), "a<b>c");
  EXPECT_EQ(title_text("今天<s>天气<s><s>很好！"), "今天\n天气\n很好！");
  EXPECT_EQ(title_text("<s> <s>一<s>>二"), "一\n>二");
  EXPECT_EQ(title_text(""), "");
}

}  // namespace
