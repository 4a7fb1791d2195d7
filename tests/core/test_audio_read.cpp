// Reading audio files whose headers lie or whose data stops early.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tazu/audio.hpp"

using namespace tazu::audio;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() /
           ("tazu_audio_read_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// A file of `frames` frames of a quiet ramp, in any format libsndfile writes.
// Returns false when this libsndfile lacks the format.
bool write_sound(const std::string& path, int format, sf_count_t frames, int channels = 1,
                 int rate = 8000) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  if (!sf_format_check(&info)) return false;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::vector<float> data(std::size_t(frames) * channels);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = 0.3f * std::sin(0.05f * float(i));
  sf_writef_float(f, data.data(), frames);
  sf_close(f);
  return true;
}

Bytes load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void save(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

// STREAMINFO's 36-bit total sample count, at bytes 21..25 of a FLAC file.
void set_flac_total(Bytes& b, std::uint64_t total) {
  ASSERT_GE(b.size(), 26u);
  ASSERT_EQ(std::string(b.begin(), b.begin() + 4), "fLaC");
  b[21] = (b[21] & 0xF0) | ((total >> 32) & 0x0F);
  for (int i = 0; i < 4; ++i) b[22 + i] = (total >> (24 - 8 * i)) & 0xFF;
}

std::size_t find(const Bytes& b, const std::string& tag) {
  auto it = std::search(b.begin(), b.end(), tag.begin(), tag.end());
  return it == b.end() ? std::string::npos : std::size_t(it - b.begin());
}

void put_le32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

constexpr int kFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr int kOgg = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
constexpr int kWav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

}  // namespace

TEST(AudioRead, FlacClaimingHugeCountsGivesWhatItHolds) {
  TempDir dir;
  const std::string p = dir / "liar.flac";
  if (!write_sound(p, kFlac, 12000)) GTEST_SKIP() << "no FLAC in this libsndfile";
  Bytes b = load(p);
  for (std::uint64_t claim : {std::uint64_t(1500000000), (std::uint64_t(1) << 36) - 1}) {
    set_flac_total(b, claim);
    save(p, b);
    // A limit far below the claim: only real samples count against it.
    Buffer r = read_file(p, 20000);
    EXPECT_EQ(r.frames(), 12000u) << claim;
    EXPECT_EQ(read_memory(b.data(), b.size(), "liar.flac", 20000).frames(), 12000u);
  }
}

TEST(AudioRead, WavWithOversizedChunksGivesWhatItHolds) {
  TempDir dir;
  const std::string p = dir / "liar.wav";
  ASSERT_TRUE(write_sound(p, kWav, 5000, 2));
  Bytes b = load(p);
  put_le32(b, 4, 0xFFFFFFF0u);  // RIFF size
  std::size_t data = find(b, "data");
  ASSERT_NE(data, std::string::npos);
  put_le32(b, data + 4, 0xFFFFFFF0u);
  save(p, b);
  Buffer r = read_file(p, 12000);
  EXPECT_EQ(r.channels, 2);
  EXPECT_EQ(r.frames(), 5000u);
}

// Cut a file at several points: each gives its readable beginning, or an error
// that names the file; none fails with an allocation error or a crash.
class Truncated : public ::testing::TestWithParam<int> {};

TEST_P(Truncated, GivesItsReadablePartOrNamesTheFile) {
  TempDir dir;
  const std::string whole = dir / "whole.snd";
  const sf_count_t frames = 40000;
  if (!write_sound(whole, GetParam(), frames)) GTEST_SKIP() << "format not in this libsndfile";
  Bytes b = load(whole);
  for (double keep : {0.9, 0.5, 0.2, 0.05}) {
    const std::string p = dir / ("cut" + std::to_string(int(keep * 100)) + ".snd");
    save(p, Bytes(b.begin(), b.begin() + std::size_t(b.size() * keep)));
    try {
      Buffer r = read_file(p);
      EXPECT_LT(r.frames(), std::size_t(frames)) << keep;
      if (keep >= 0.5 && GetParam() == kWav) {
        EXPECT_GT(r.frames(), std::size_t(frames) / 3);
      }
      // What was read is the start of the sound, not noise.
      for (float s : r.samples) ASSERT_LE(std::abs(s), 1.0f);
    } catch (const FileError& e) {
      EXPECT_NE(std::string(e.what()).find(p), std::string::npos) << e.what();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AudioRead, Truncated, ::testing::Values(kWav, kFlac, kOgg),
                         [](const auto& info) {
                           return info.param == kWav ? "wav" : info.param == kFlac ? "flac" : "ogg";
                         });

TEST(AudioRead, TooLongSoundIsRefusedByName) {
  TempDir dir;
  const std::string p = dir / "long.wav";
  ASSERT_TRUE(write_sound(p, kWav, 30000));
  EXPECT_EQ(read_file(p, 30000).frames(), 30000u);
  try {
    read_file(p, 29999);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(p), std::string::npos) << e.what();
  }
}

TEST(AudioRead, EmptyFolderAndJunkInputsNameTheFile) {
  TempDir dir;
  std::ofstream(dir / "empty.wav").close();
  save(dir / "junk.ogg", Bytes(300, 0x4F));
  fs::create_directories(dir / "folder.wav");
  for (std::string name : {"empty.wav", "junk.ogg", "folder.wav", "missing.flac"}) {
    const std::string p = dir / name;
    try {
      read_file(p);
      FAIL() << name;
    } catch (const FileError& e) {
      EXPECT_NE(std::string(e.what()).find(p), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(read_memory(nullptr, 0, "nothing", 100), FileError);
}

TEST(AudioRead, HeaderOnlyWavIsAnEmptySound) {
  TempDir dir;
  const std::string p = dir / "silent.wav";
  ASSERT_TRUE(write_sound(p, kWav, 0));
  Buffer r = read_file(p);
  EXPECT_EQ(r.frames(), 0u);
  EXPECT_EQ(r.rate, 8000);
}

TEST(AudioRead, ManyChannelsMixDownAcrossBlocks) {
  TempDir dir;
  const std::string p = dir / "six.wav";
  // Long enough to span several read blocks.
  ASSERT_TRUE(write_sound(p, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 50000, 6));
  Buffer r = read_file(p);
  ASSERT_EQ(r.channels, 2);
  ASSERT_EQ(r.frames(), 50000u);
  // Samples are interleaved ramps: left averages channels 0, 2, 4 of the frame.
  for (std::size_t i : {0u, 12345u, 49999u}) {
    float l = 0;
    for (int c = 0; c < 6; c += 2) l += 0.3f * std::sin(0.05f * float(i * 6 + c));
    EXPECT_NEAR(r.samples[2 * i], l / 3, 1e-5) << i;
  }
}
