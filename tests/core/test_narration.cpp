#include <gtest/gtest.h>

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
