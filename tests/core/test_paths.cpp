#include <gtest/gtest.h>

#include <string>
#include <tazu/paths.hpp>
#include <utility>

using namespace tazu::paths;

// Expected values are what Python's posixpath.normpath gives.
TEST(Paths, NormalizeSpellsAsPython) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "."},
      {"/", "/"},
      {"//", "//"},
      {"///", "/"},
      {"a/..", "."},
      {"../a", "../a"},
      {"/..", "/"},
      {"//a/../b", "//b"},
      {"a//b/./c/", "a/b/c"},
      {"./", "."},
      {"a/b/../../..", ".."},
      {"/a/b/../../..", "/"},
      {"../..", "../.."},
      {"x/../../y", "../y"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(normalize(in), out) << in;
}

TEST(Paths, JoinKeepsAbsolutePathsAndAddsOneSlash) {
  EXPECT_EQ(join("", "a"), "a");
  EXPECT_EQ(join("/x/", "a"), "/x/a");
  EXPECT_EQ(join("/x", "a/b"), "/x/a/b");
  EXPECT_EQ(join("/x", "/a"), "/a");
}

TEST(Paths, SameFileComparesSpellingsRelativeToTheBase) {
  EXPECT_TRUE(same_file("/work", "media/a.png", "/work/media/a.png"));
  EXPECT_TRUE(same_file("/work", "./media//a.png", "media/x/../a.png"));
  EXPECT_TRUE(same_file("/work/sub", "../media/a.png", "/work/media/a.png"));
  EXPECT_FALSE(same_file("/work", "media/a.png", "/other/media/a.png"));
  EXPECT_FALSE(same_file("/work", "media/a.png", "media/A.png"));
}

TEST(Paths, ExistsAsPythonDoes) {
  EXPECT_TRUE(exists("/"));
  EXPECT_TRUE(exists("."));
  EXPECT_FALSE(exists(""));
  EXPECT_FALSE(exists(std::string("/\0tmp", 5)));
  EXPECT_FALSE(exists("/no/such/tazu/path"));
}
