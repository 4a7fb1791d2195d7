#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "tazu/files.hpp"

namespace fs = std::filesystem;
using namespace tazu::files;

namespace {

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("tazu-files-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  void touch(const std::string& name) { std::ofstream(dir / name) << "x"; }

  fs::path dir;
};

TEST_F(Files, TempNamesAreHiddenUniqueAndNoMedia) {
  const std::string a = temp_path_beside((dir / "x.wav").string());
  const std::string b = temp_path_beside((dir / "x.wav").string());
  EXPECT_NE(a, b);
  EXPECT_EQ(fs::path(a).parent_path(), dir);
  const std::string name = fs::path(a).filename().string();
  EXPECT_EQ(name.substr(0, 6), ".tazu-");
  EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
  EXPECT_LT(name.size(), 48u);
  EXPECT_TRUE(is_temp_name(name));
  EXPECT_TRUE(is_temp_name(".tazu-123-0.tmp.wav"));  // names of earlier versions
  EXPECT_TRUE(is_temp_name(".tazu-123-3fa9b0c1d2e4.tmp.png"));
  EXPECT_TRUE(is_temp_name(".tazu-123-3fa9b0c1d2e4.tmp"));  // the platform's Python writer
  for (const char* other : {"x.wav", ".tazu-.tmp", ".tazu-abc.tmp", ".tazu-123-0.wav",
                            ".tazu-zzzzzzzz-1-0.tmp", ".tazu-1-0.tmp.", ".tazu-1-0.tmpx",
                            ".tazu-1-0.tmp.a/b", "tazu-1-2.tmp.wav", ".tazu-1-2-3-4.tmp"})
    EXPECT_FALSE(is_temp_name(other)) << other;
}

TEST_F(Files, WriteAtomicallyReplacesTheWholeFile) {
  const fs::path p = dir / "a.vtt";
  write_atomically(p.string(), "first version, longer");
  write_atomically(p.string(), "second");
  EXPECT_EQ(read(p), "second");
  EXPECT_EQ(names(), std::vector<std::string>{"a.vtt"});
}

TEST_F(Files, NamedWritersGetATaggedNameWithTheirEnding) {
  const fs::path p = dir / "frame.png";
  std::string seen;
  write_atomically_named(p.string(), ".png", [&](const std::string& tmp) {
    seen = fs::path(tmp).filename().string();
    std::ofstream(tmp) << "pixels";
  });
  EXPECT_EQ(read(p), "pixels");
  EXPECT_EQ(seen.substr(seen.size() - 8), ".tmp.png");
  EXPECT_EQ(seen.substr(0, 6), ".tazu-");  // hidden, and named by no digest
  EXPECT_EQ(names(), std::vector<std::string>{"frame.png"});
  // A writer that fails, after writing part of its file or none: nothing stays.
  for (bool partly : {true, false})
    EXPECT_THROW(write_atomically_named((dir / "b.png").string(), ".png",
                                        [&](const std::string& tmp) {
                                          if (partly) std::ofstream(tmp) << "half";
                                          throw std::runtime_error("refused");
                                        }),
                 std::runtime_error);
  // A writer that says it wrote, but did not.
  EXPECT_THROW(write_atomically_named((dir / "c.png").string(), ".png", [](const std::string&) {}),
               std::system_error);
  EXPECT_EQ(names(), std::vector<std::string>{"frame.png"});
}

TEST_F(Files, FailedWritesLeaveNothing) {
  EXPECT_THROW(write_atomically((dir / "missing" / "a.vtt").string(), "x"), std::system_error);
  fs::create_directories(dir / "taken.vtt");  // the target is a folder
  EXPECT_THROW(write_atomically((dir / "taken.vtt").string(), "x"), std::system_error);
  EXPECT_EQ(names(), std::vector<std::string>{"taken.vtt"});
}

// A full disk, as a file size limit: the write fails with its errno, no file.
TEST_F(Files, FullDiskIsAnErrorNotAHalfFile) {
  const std::string target = (dir / "big.vtt").string();
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit lim{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    try {
      write_atomically(target, std::string(100000, 'x'));
    } catch (const std::system_error& e) {
      ::_exit(e.code().value() == EFBIG ? 0 : 2);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(names().empty());
}

TEST_F(Files, StaleTempFilesOfDeadRunsAreRemoved) {
  // A process that has ended: its pid is free until something reuses it.
  pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);

  const std::string mine = fs::path(temp_path_beside((dir / "x").string())).filename().string();
  const std::string tag = mine.substr(6, 8);
  const std::string dead = ".tazu-" + tag + "-" + std::to_string(gone) + "-00ab.tmp";
  const std::string legacy = ".tazu-" + std::to_string(gone) + "-7.tmp.wav";
  const std::string other_machine = std::string(".tazu-") +
                                    (tag == "00000000" ? "11111111" : "00000000") + "-" +
                                    std::to_string(gone) + "-1.tmp";
  const std::string old_live = ".tazu-" + tag + "-" + std::to_string(::getpid()) + "-2.tmp";
  for (const auto& n : {mine, dead, legacy, other_machine, old_live, std::string("keep.wav")})
    touch(n);
  fs::last_write_time(dir / old_live, fs::file_time_type::clock::now() - std::chrono::hours(25));

  auto removed = remove_stale_temp_files(dir.string());
  std::sort(removed.begin(), removed.end());
  std::vector<std::string> expected = {dead, legacy, old_live};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(removed, expected);
  std::vector<std::string> left = {mine, other_machine, "keep.wav"};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(names(), left);
  EXPECT_TRUE(remove_stale_temp_files((dir / "nowhere").string()).empty());
}

}  // namespace
