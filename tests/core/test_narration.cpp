#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tazu/narration.hpp"

using namespace tazu::narration;

namespace {

// "text" for a clause, "#n" for a pause of n marks.
std::vector<std::string> show(const std::vector<LinePart>& parts) {
  std::vector<std::string> out;
  for (const auto& p : parts) {
    if (p.kind == LinePart::Kind::subclause) {
      out.push_back(p.text);
    } else {
      std::string s(1, '#');
      s += std::to_string(p.count);
      out.push_back(s);
    }
  }
  return out;
}

struct PauseCase {
  std::string line;
  std::vector<std::string> parts;
};
void PrintTo(const PauseCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }
class SplitPauses : public ::testing::TestWithParam<PauseCase> {};

TEST_P(SplitPauses, Parts) { EXPECT_EQ(show(split_pauses(GetParam().line)), GetParam().parts); }

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitPauses,
    ::testing::Values(PauseCase{"今天<s>天气<s><s>很好", {"今天", "#1", "天气", "#2", "很好"}},
                      PauseCase{"a<s> <s>b", {"a", "#1", "#1", "b"}},  // a blank breaks the run
                      PauseCase{"<s><s><s>开始", {"#3", "开始"}},
                      PauseCase{"前<s>>后", {"前", "<s>>", "后"}},  // mark plus ">" is text
                      PauseCase{"a<b>c", {"a", "b", "c"}}, PauseCase{"<s", {"s"}},
                      PauseCase{"  你好 \u3000<s>\t世界\n", {"你好", "#1", "世界"}},
                      PauseCase{"   ", {}}, PauseCase{"<>><", {}}, PauseCase{"", {}}));

TEST(Names, DotsBecomeDashes) {
  EXPECT_EQ(dot_to_dash("1.25"), "1-25");
  EXPECT_EQ(dot_to_dash("100"), "100");
  EXPECT_EQ(raw_clip_file_name("12-你好", "2", "cmn", "0.8", "1.25", "50", "None"),
            "12-你好_2_cmn_0-8_1-25_50_None.wav");
}

TEST(Names, FileNamesCannotLeaveTheirFolder) {
  EXPECT_EQ(safe_file_name("3-a/b\\c"), "3-a_b_c");
  EXPECT_EQ(safe_file_name(".."), "_..");
  EXPECT_EQ(safe_file_name("."), "_.");
  EXPECT_EQ(safe_file_name("a..b"), "a..b");  // harmless dots stay
  EXPECT_EQ(safe_file_name(std::string("x\0y\n", 4)), "x_y_");
  EXPECT_EQ(raw_clip_file_name("../../etc", "0", "../v", "1", "1", "1", "/e"),
            ".._.._etc_0_.._v_1_1_1__e.wav");
}

TEST(Names, LongNamesFitTheFileSystem) {
  std::string line;
  for (int i = 0; i < 120; ++i) line += "字";  // 360 bytes of text
  const std::string a = safe_file_name(line + "甲.wav"), b = safe_file_name(line + "乙.wav");
  EXPECT_LE(a.size(), kMaxNameBytes);
  EXPECT_NE(a, b);                                // still told apart
  EXPECT_EQ(a, safe_file_name(line + "甲.wav"));  // and stable
  EXPECT_EQ(a.substr(a.size() - 4), ".wav");
  EXPECT_EQ(a.substr(0, 150), line.substr(0, 150));  // the start is kept, whole characters
  EXPECT_EQ((a.size() - 4 - 17) % 3, 0u);
  const std::string fits(kMaxNameBytes, 'x');
  EXPECT_EQ(safe_file_name(fits), fits);
}

}  // namespace

namespace {

TEST(CleanText, ControlCharactersGoTheRestStays) {
  EXPECT_EQ(clean_text(std::string("你好\0世界", 13)), "你好世界");  // not cut at the NUL
  EXPECT_EQ(clean_text("a\tb\r\nc\x1b[0m\x7f"), "a b  c[0m");
  EXPECT_EQ(clean_text("\xc2\x85x\xc2\xa0y"), "x\xc2\xa0y");  // C1 control out, NBSP kept
  EXPECT_EQ(clean_text("a\xed\xa0\x80z"), "az");              // an encoded surrogate half
  EXPECT_EQ(clean_text("a\xff\xc3z\xe4\xbd"), "az");          // stray and cut-off bytes
  EXPECT_EQ(clean_text("\xc0\xaf"), "");                      // overlong "/"
  EXPECT_EQ(clean_text("😀 ok"), "😀 ok");
  EXPECT_EQ(show(split_pauses(std::string("你\0好<s>\x01世界", 17))),
            (std::vector<std::string>{"你好", "#1", "世界"}));
  EXPECT_EQ(show(split_pauses("\x01\x02<s>")), (std::vector<std::string>{"#1"}));
}

TEST(NarrationFiles, CuesShareTheSoundsStem) {
  auto f = narration_file_names("3-你好");
  EXPECT_EQ(f.sound, "3-你好.wav");
  EXPECT_EQ(f.cues, "3-你好.vtt");
  std::string line;
  for (int i = 0; i < 120; ++i) line += "字";
  f = narration_file_names("1-" + line);
  EXPECT_LE(f.sound.size(), kMaxNameBytes);
  EXPECT_EQ(f.sound.substr(0, f.sound.size() - 4), f.cues.substr(0, f.cues.size() - 4));
  EXPECT_EQ(narration_file_names("../x").cues, ".._x.vtt");
}

// A mono sound at 1000 Hz: every stretch is `silent` frames of zeros around
// `voiced` frames of signal.
tazu::audio::Buffer sound_of(const std::vector<std::pair<int, int>>& stretches, float level) {
  tazu::audio::Buffer b;
  b.rate = 1000;
  for (auto [silent, voiced] : stretches) {
    b.samples.insert(b.samples.end(), silent, 0.0f);
    for (int i = 0; i < voiced; ++i) b.samples.push_back(i % 2 ? level : -level);
    b.samples.insert(b.samples.end(), silent, 0.0f);
  }
  return b;
}

TEST(ClauseCues, StartWhereTheSilenceEnds) {
  // clause (100 quiet, 500 voiced, 100 quiet), a pause of 300, another clause.
  auto sound = sound_of({{100, 500}, {150, 0}, {50, 200}}, 0.5f);
  ASSERT_EQ(sound.frames(), 700u + 300u + 300u);
  std::vector<TimedPart> parts = {{true, "甲", 0.7}, {false, "", 0.3}, {true, "乙", 0.3}};
  auto cues = clause_cues(parts, &sound);
  ASSERT_EQ(cues.size(), 2u);
  EXPECT_DOUBLE_EQ(cues[0].start, 0.1);
  EXPECT_DOUBLE_EQ(cues[0].end, 0.6);
  EXPECT_DOUBLE_EQ(cues[1].start, 1.05);
  EXPECT_DOUBLE_EQ(cues[1].end, 1.25);
  EXPECT_EQ(cues[1].text, "乙");

  // Without samples every clause spans its stretch.
  cues = clause_cues(parts, nullptr);
  EXPECT_DOUBLE_EQ(cues[1].start, 1.0);
  EXPECT_DOUBLE_EQ(cues[1].end, 1.3);
}

TEST(ClauseCues, QuietOrMissingSoundSpansTheStretch) {
  auto quiet = sound_of({{0, 400}}, 0.001f);  // -60 dBFS: under the silence level
  auto cues = clause_cues({{true, "a", 0.4}}, &quiet);
  EXPECT_DOUBLE_EQ(cues[0].start, 0.0);
  EXPECT_DOUBLE_EQ(cues[0].end, 0.4);
  // Lengths beyond the sound are clamped; bad lengths count as 0.
  auto short_sound = sound_of({{0, 100}}, 0.5f);
  cues = clause_cues({{true, "a", std::nan("")}, {true, "b", 5.0}, {true, "c", 1.0}}, &short_sound);
  ASSERT_EQ(cues.size(), 3u);
  EXPECT_DOUBLE_EQ(cues[0].end, 0.0);
  EXPECT_DOUBLE_EQ(cues[1].end, 0.1);
  EXPECT_DOUBLE_EQ(cues[2].start, 0.1);
  EXPECT_DOUBLE_EQ(cues[2].end, 0.1);
}

TEST(ClauseCues, FrameRoundingNeverMakesCuesOverlap) {
  // At 3 Hz the first half second rounds to two frames; its cue still ends
  // where the next clause's stretch begins.
  tazu::audio::Buffer b;
  b.rate = 3;
  b.samples = {0.5f, 0.5f, 0.0f};
  auto cues = clause_cues({{true, "a", 0.5}, {true, "b", 0.5}}, &b);
  ASSERT_EQ(cues.size(), 2u);
  EXPECT_DOUBLE_EQ(cues[0].end, 0.5);
  EXPECT_DOUBLE_EQ(cues[1].start, 0.5);
}

TEST(WebVtt, Document) {
  EXPECT_EQ(vtt_timestamp(0), "00:00:00.000");
  EXPECT_EQ(vtt_timestamp(3661.0015), "01:01:01.002");
  EXPECT_EQ(vtt_timestamp(360000), "100:00:00.000");
  EXPECT_EQ(vtt_timestamp(-1), "00:00:00.000");
  EXPECT_EQ(webvtt({}), "WEBVTT\n");
  EXPECT_EQ(webvtt({{0.1234, 1.5, "你好"}, {2, 2, "a<b> & c"}, {3, 4, "一\n\n二\r\n"}}),
            "WEBVTT\n\n00:00:00.123 --> 00:00:01.500\n你好\n"
            "\n00:00:02.000 --> 00:00:02.001\na&lt;b&gt; &amp; c\n"
            "\n00:00:03.000 --> 00:00:04.000\n一\n二\n");
}

}  // namespace

TEST(WebVtt, TimesPastAnyCountStayWellFormed) {
  // Past the 64-bit range of milliseconds a plain conversion gives a negative count.
  EXPECT_EQ(vtt_timestamp(1e16), "277777777777:46:40.000");
  EXPECT_EQ(vtt_timestamp(1e300), "277777777777:46:40.000");
  EXPECT_EQ(vtt_timestamp(INFINITY), "00:00:00.000");
  EXPECT_EQ(webvtt({{1e300, 1e300, "a"}}),
            "WEBVTT\n\n277777777777:46:40.000 --> 277777777777:46:40.001\na\n");
}
