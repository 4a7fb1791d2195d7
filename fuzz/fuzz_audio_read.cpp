// The audio reader on hostile files: whatever libsndfile accepts must come back
// as a usable buffer within the sample limit, and survive a WAV round trip
// through a real file. Input shaped as a speech engine's piped WAV is also
// finished and read.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz_input.hpp"
#include "tazu/audio.hpp"

namespace ta = tazu::audio;
namespace fs = std::filesystem;

namespace {

// One folder per process, in memory where the machine has it.
const fs::path& work_dir() {
  static const fs::path dir = [] {
    fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path d = base / ("tazu-fuzz-audio-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

struct Cleanup {
  ~Cleanup() {
    std::error_code ec;
    fs::remove_all(work_dir(), ec);
  }
} cleanup;

}  // namespace

// A sample limit far below the default keeps every run quick; the limit is
// checked the same way whatever its size.
constexpr std::size_t kMaxSamples = std::size_t(1) << 22;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char* const kName = "fuzz-input.audio";
  // A WAV from a pipe, finished: its sizes agree with what it holds.
  if (auto wav = ta::finish_piped_wav({reinterpret_cast<const char*>(data), size})) {
    FUZZ_CHECK(wav->size() >= 46 && wav->size() % 2 == 0 && wav->size() <= size);
    FUZZ_CHECK(std::uint8_t((*wav)[40]) + (std::uint8_t((*wav)[41]) << 8) ==
               int((wav->size() - 44) & 0xffff));
    try {
      ta::read_memory(wav->data(), wav->size(), kName, kMaxSamples);
    } catch (const ta::FileError&) {
    }
  }
  ta::Buffer b;
  try {
    b = ta::read_memory(data, size, kName, kMaxSamples);
  } catch (const ta::FileError& e) {
    // The message names the file.
    FUZZ_CHECK(std::strstr(e.what(), kName) != nullptr);
    return 0;
  }
  FUZZ_CHECK(b.samples.size() <= kMaxSamples);
  FUZZ_CHECK(b.channels == 1 || b.channels == 2);
  FUZZ_CHECK(b.rate > 0 && b.rate <= 768000);
  FUZZ_CHECK(b.samples.size() % std::size_t(b.channels) == 0);

  // Float WAV keeps every sample bit for bit.
  const std::string copy = (work_dir() / "copy.wav").string();
  ta::write_wav(b, copy, ta::SampleFormat::float32);
  const ta::Buffer r = ta::read_file(copy);
  FUZZ_CHECK(r.rate == b.rate && r.channels == b.channels);
  FUZZ_CHECK(r.samples.size() == b.samples.size());
  FUZZ_CHECK(r.samples.empty() || std::memcmp(r.samples.data(), b.samples.data(),
                                              r.samples.size() * sizeof(float)) == 0);
  return 0;
}
