#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "tazu/audio.hpp"

using namespace tazu::audio;
namespace fs = std::filesystem;

namespace {

Buffer tone(double seconds, int rate, double freq, double amp, int channels = 1) {
  Buffer b;
  b.rate = rate;
  b.channels = channels;
  const std::size_t n = std::size_t(std::llround(seconds * rate));
  b.samples.resize(n * channels);
  for (std::size_t i = 0; i < n; ++i)
    for (int c = 0; c < channels; ++c)
      b.samples[i * channels + c] = float(amp * std::sin(2 * std::numbers::pi * freq * i / rate));
  return b;
}

Buffer concat(std::initializer_list<Buffer> parts) {
  std::vector<const Buffer*> ptrs;
  for (const Buffer& p : parts) ptrs.push_back(&p);
  return join(ptrs);
}

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() /
           ("tazu_audio_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
};

}  // namespace

TEST(AudioFile, WriteThenReadKeepsFormatAndSamples) {
  TempDir dir;
  for (int ch : {1, 2}) {
    Buffer b = tone(0.25, 24000, 440, 0.5, ch);
    const std::string p = (dir.path / ("t" + std::to_string(ch) + ".wav")).string();
    write_wav(b, p);
    Buffer r = read_file(p);
    EXPECT_EQ(r.rate, 24000);
    EXPECT_EQ(r.channels, ch);
    ASSERT_EQ(r.frames(), b.frames());
    for (std::size_t i = 0; i < b.samples.size(); i += 97)
      EXPECT_NEAR(r.samples[i], b.samples[i], 1e-4);
  }
  // Only the final file remains: the temporary one was renamed.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2);
}

TEST(AudioFile, IntegerOutputClipsInsteadOfWrapping) {
  TempDir dir;
  Buffer b = tone(0.05, 8000, 200, 3.0);
  const std::string p = (dir.path / "loud.wav").string();
  write_wav(b, p);
  Buffer r = read_file(p);
  for (std::size_t i = 0; i < b.samples.size(); ++i) {
    if (b.samples[i] > 1.0f) {
      EXPECT_GT(r.samples[i], 0.99f) << i;
    }
  }
}

TEST(AudioFile, BadInputsGiveClearErrors) {
  TempDir dir;
  EXPECT_THROW(read_file((dir.path / "missing.wav").string()), FileError);
  const fs::path junk = dir.path / "junk.wav";
  std::ofstream(junk) << "not audio at all";
  EXPECT_THROW(read_file(junk.string()), FileError);
  EXPECT_THROW(write_wav(tone(0.1, 8000, 100, 0.1), (dir.path / "no/such/dir/x.wav").string()),
               FileError);
  // A failed write leaves no temporary file behind and keeps the old file.
  write_wav(tone(0.1, 8000, 100, 0.1), (dir.path / "keep.wav").string());
  Buffer bad;
  bad.rate = 0;
  EXPECT_THROW(write_wav(bad, (dir.path / "keep.wav").string()), std::invalid_argument);
  EXPECT_EQ(read_file((dir.path / "keep.wav").string()).frames(), 800u);
}

// A full disk (as a file size limit) is an error, and the old file stays
// whole with no temporary file beside it.
TEST(AudioFile, FullDiskKeepsTheOldFile) {
  TempDir dir;
  const std::string p = (dir.path / "keep.wav").string();
  write_wav(tone(0.1, 8000, 100, 0.1), p);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit lim{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    try {
      write_wav(tone(1.0, 48000, 440, 0.5, 2), p);
    } catch (const FileError&) {
      ::_exit(0);
    } catch (...) {
      ::_exit(2);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read_file(p).frames(), 800u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(AudioBuffer, SilenceHasExactLength) {
  Buffer s = silence(1.5, 22050, 2);
  EXPECT_EQ(s.frames(), 33075u);
  EXPECT_DOUBLE_EQ(s.seconds(), 1.5);
  EXPECT_THROW(silence(-1, 22050, 1), std::invalid_argument);
  EXPECT_THROW(silence(1, 22050, 3), std::invalid_argument);
  EXPECT_THROW(silence(NAN, 22050, 1), std::invalid_argument);
}

TEST(AudioBuffer, JoinConvertsRateAndChannels) {
  Buffer a = tone(0.5, 22050, 440, 0.5, 1);
  Buffer b = tone(0.25, 44100, 440, 0.5, 2);
  Buffer j = concat({a, b});
  EXPECT_EQ(j.rate, 44100);
  EXPECT_EQ(j.channels, 2);
  EXPECT_NEAR(j.seconds(), 0.75, 1e-4);
  // The resampled mono part keeps its tone and level on both sides.
  const std::size_t mid = 22050 / 2;
  double l = 0, r = 0;
  for (std::size_t i = mid - 2000; i < mid + 2000; ++i) {
    l += j.samples[2 * i] * j.samples[2 * i];
    r += j.samples[2 * i + 1] * j.samples[2 * i + 1];
  }
  EXPECT_NEAR(std::sqrt(l / 4000), 0.5 / std::sqrt(2), 0.01);
  EXPECT_NEAR(l, r, 1e-6);
  EXPECT_THROW(join({}), std::invalid_argument);
}

TEST(AudioBuffer, StereoToMonoAverages) {
  Buffer s;
  s.rate = 8000;
  s.channels = 2;
  s.samples = {1.0f, 0.0f, 0.5f, -0.5f};
  Buffer m = convert(s, 8000, 1);
  ASSERT_EQ(m.samples.size(), 2u);
  EXPECT_FLOAT_EQ(m.samples[0], 0.5f);
  EXPECT_FLOAT_EQ(m.samples[1], 0.0f);
}

TEST(AudioDsp, FadesReachZeroAtTheEdges) {
  Buffer b = tone(1.0, 8000, 50, 0.0, 2);
  for (float& s : b.samples) s = 0.8f;
  fade_in(b, 0.1);
  fade_out(b, 0.1);
  EXPECT_EQ(b.samples[0], 0.0f);
  EXPECT_EQ(b.samples.back(), 0.0f);
  EXPECT_NEAR(b.samples[2 * 400], 0.4f, 0.01);  // halfway through the fade-in
  EXPECT_FLOAT_EQ(b.samples[2 * 4000], 0.8f);   // untouched middle
  // A fade longer than the sound covers the whole sound and does not overrun.
  Buffer shortb = tone(0.01, 8000, 50, 0.0);
  for (float& s : shortb.samples) s = 1.0f;
  fade_out(shortb, 5.0);
  EXPECT_EQ(shortb.samples.back(), 0.0f);
  EXPECT_THROW(fade_in(b, -0.1), std::invalid_argument);
}

TEST(AudioDsp, GainInDecibels) {
  Buffer b = tone(0.1, 8000, 100, 0.25);
  const double before = peak_db(b);
  gain_db(b, 6.0);
  EXPECT_NEAR(peak_db(b) - before, 6.0, 1e-3);
}

TEST(AudioDsp, CompressorFollowsRatioAboveThreshold) {
  // A loud tone at -6 dBFS into threshold -30, ratio 4: steady state -24 dBFS.
  Buffer b = tone(1.0, 24000, 300, std::pow(10, -6 / 20.0));
  compress(b, {-30, 4, 10, 100, false});
  Buffer tail;
  tail.rate = b.rate;
  tail.samples.assign(b.samples.begin() + 12000, b.samples.end());
  EXPECT_NEAR(peak_db(tail), -24.0, 1.0);
  // Below the threshold nothing changes.
  Buffer quiet = tone(0.5, 24000, 300, std::pow(10, -40 / 20.0));
  Buffer copy = quiet;
  compress(quiet, {-30, 4, 10, 100});
  EXPECT_EQ(quiet.samples, copy.samples);
  EXPECT_THROW(compress(quiet, {-30, 0.5, 10, 100}), std::invalid_argument);
}

TEST(AudioDsp, CompressorKeepsThePeakAndLiftsQuietParts) {
  // Loud then quiet speech-like levels (the loud part rising like a syllable):
  // the peak stays where it was, the quiet part comes closer to it instead of
  // everything getting quieter.
  Buffer loud = tone(0.5, 24000, 300, std::pow(10, -3 / 20.0));
  fade_in(loud, 0.05);
  Buffer b = concat({loud, tone(0.5, 24000, 300, std::pow(10, -27 / 20.0))});
  const double before = peak_db(b);
  compress(b, {-40, 6, 10, 100});
  EXPECT_NEAR(peak_db(b), before, 1e-3);
  Buffer quiet;
  quiet.rate = 24000;
  quiet.samples.assign(b.samples.begin() + 18000, b.samples.end());
  EXPECT_GT(peak_db(quiet), -20.0);  // was -27
  Buffer silent = silence(0.5, 24000, 1);
  compress(silent, {-40, 6, 10, 100});
  EXPECT_EQ(peak_db(silent), -INFINITY);
}

struct LimitCase {
  double level_db, ceiling_db;
  int channels;
};
void PrintTo(const LimitCase& c, std::ostream* os) {
  *os << c.level_db << " dBFS into " << c.ceiling_db << " dBFS, " << c.channels << " channel(s)";
}
class Limiter : public ::testing::TestWithParam<LimitCase> {};

TEST_P(Limiter, PeaksStayUnderTheCeilingAndQuietPartsAreUntouched) {
  const auto c = GetParam();
  const int rate = 22050;
  // A burst over the ceiling between quiet stretches.
  Buffer b = concat({tone(0.3, rate, 220, 0.05, c.channels),
                     tone(0.2, rate, 220, std::pow(10, c.level_db / 20.0), c.channels),
                     tone(1.2, rate, 220, 0.05, c.channels)});
  const Buffer before = b;
  limit(b, {c.ceiling_db, 5, 80});
  const float ceiling = float(std::pow(10, c.ceiling_db / 20.0));
  for (float s : b.samples) ASSERT_LE(std::fabs(s), ceiling);
  // Well before the burst (beyond the look-ahead) and well after it (beyond the
  // release) nothing changes.
  for (std::size_t i = 0; i < std::size_t(0.25 * rate) * c.channels; ++i)
    ASSERT_EQ(b.samples[i], before.samples[i]);
  for (std::size_t i = std::size_t(1.4 * rate) * c.channels; i < b.samples.size(); ++i)
    ASSERT_EQ(b.samples[i], before.samples[i]);
  // The burst is turned down, not clipped: one smooth gain keeps its shape.
  const std::size_t mid = std::size_t(0.4 * rate) * c.channels;
  float lo = 10, hi = 0;
  for (std::size_t i = mid - 1000 * c.channels; i < mid + 1000 * c.channels; ++i) {
    if (std::fabs(before.samples[i]) < 0.5f * std::fabs(float(std::pow(10, c.level_db / 20.0))))
      continue;
    lo = std::min(lo, b.samples[i] / before.samples[i]);
    hi = std::max(hi, b.samples[i] / before.samples[i]);
  }
  EXPECT_LT(hi - lo, 0.01f * hi);
  Buffer burst;
  burst.rate = rate;
  burst.channels = c.channels;
  burst.samples.assign(b.samples.begin() + mid - 2000 * c.channels,
                       b.samples.begin() + mid + 2000 * c.channels);
  EXPECT_NEAR(peak_db(burst), c.ceiling_db, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Levels, Limiter,
                         ::testing::Values(LimitCase{6, -1, 1}, LimitCase{0, -1, 2},
                                           LimitCase{-0.5, -1, 1}, LimitCase{20, -3, 1}));

TEST(AudioDsp, LimiterLeavesSoundUnderTheCeilingAlone) {
  Buffer b = tone(0.5, 22050, 220, 0.5, 2);
  const Buffer before = b;
  limit(b, {-1, 5, 80});
  EXPECT_EQ(b.samples, before.samples);
  EXPECT_THROW(limit(b, {NAN, 5, 80}), std::invalid_argument);
  EXPECT_THROW(limit(b, {-1, -5, 80}), std::invalid_argument);
}

TEST(AudioDsp, CompressorReleaseIsGradual) {
  // Loud then quiet: right after the loud part the quiet part is still held down
  // and recovers over the release time.
  Buffer b = concat({tone(0.5, 24000, 300, 0.9), tone(1.0, 24000, 300, 0.05)});
  compress(b, {-40, 6, 10, 200});
  auto level = [&](double t0, double t1) {
    Buffer s;
    s.rate = 24000;
    s.samples.assign(b.samples.begin() + std::size_t(t0 * 24000),
                     b.samples.begin() + std::size_t(t1 * 24000));
    return peak_db(s);
  };
  EXPECT_LT(level(0.5, 0.52), level(1.3, 1.5) - 3);
}

struct SilenceCase {
  double gap_ms, min_ms, expected_gap_ms;
};
void PrintTo(const SilenceCase& c, std::ostream* os) {
  *os << c.gap_ms << " ms gap, minimum " << c.min_ms << " ms";
}
class ShortenSilence : public ::testing::TestWithParam<SilenceCase> {};

TEST_P(ShortenSilence, LongGapsShrinkToTheMinimum) {
  const auto c = GetParam();
  const int rate = 24000;
  Buffer b = concat(
      {tone(0.3, rate, 200, 0.5), silence(c.gap_ms / 1000, rate, 1), tone(0.3, rate, 200, 0.5)});
  shorten_silence(b, {-40, c.min_ms, -60});
  EXPECT_NEAR(b.seconds() * 1000, 600 + c.expected_gap_ms, 10.5) << c.gap_ms;
}

INSTANTIATE_TEST_SUITE_P(Gaps, ShortenSilence,
                         ::testing::Values(SilenceCase{1000, 100, 100}, SilenceCase{80, 100, 80},
                                           SilenceCase{500, 0, 0}, SilenceCase{2000, 250, 250}));

TEST(AudioDsp, ShortenSilenceKeepsSpeechAndGatesNoise) {
  const int rate = 24000;
  // Noise at -50 dBFS inside a pause: under threshold -40, under the floor -45.
  Buffer noise = tone(1.0, rate, 3000, std::pow(10, -47 / 20.0));
  Buffer b = concat({tone(0.3, rate, 200, 0.5), noise, tone(0.3, rate, 200, 0.5)});
  Buffer before = b;
  shorten_silence(b, {-40, 200, -45});
  EXPECT_NEAR(b.seconds(), 0.8, 0.011);
  // The loud parts are intact at both ends.
  for (std::size_t i = 0; i < 7000; i += 13) EXPECT_EQ(b.samples[i], before.samples[i]);
  const std::size_t end = b.frames(), end0 = before.frames();
  for (std::size_t k = 1; k < 7000; k += 13)
    EXPECT_EQ(b.samples[end - k], before.samples[end0 - k]);
  // The kept pause is muted.
  float pause_peak = 0;
  for (std::size_t i = std::size_t(0.32 * rate); i < std::size_t(0.48 * rate); ++i)
    pause_peak = std::max(pause_peak, std::fabs(b.samples[i]));
  EXPECT_EQ(pause_peak, 0.0f);
}

TEST(AudioDsp, EnvelopeGivesMinAndMaxPerColumn) {
  Buffer b;
  b.rate = 8;
  b.samples = {0.1f, -0.2f, 0.3f, 0.0f, -0.9f, 0.5f};
  Envelope e = envelope(b, 3);
  EXPECT_EQ(e.min, (std::vector<float>{-0.2f, 0.0f, -0.9f}));
  EXPECT_EQ(e.max, (std::vector<float>{0.1f, 0.3f, 0.5f}));
  Envelope wide = envelope(b, 10);  // more columns than samples: empty ones are 0
  EXPECT_EQ(wide.min.size(), 10u);
  Envelope none = envelope(Buffer{}, 4);
  EXPECT_EQ(none.max, std::vector<float>(4, 0.0f));
}

// Extreme parameters: refused with a message or handled, never a wrap-around
// into a huge allocation or undefined conversion.
TEST(AudioBuffer, RatesTooFarApartAreRefused) {
  Buffer low = tone(0.5, 1000, 100, 0.5);
  EXPECT_THROW(convert(low, 768000, 1), std::invalid_argument);
  Buffer high = tone(0.01, 768000, 100, 0.5);
  EXPECT_THROW(join({&low, &high}), std::invalid_argument);
  EXPECT_EQ(convert(low, 256000, 1).frames(), 128000u);  // the limit itself is fine
}

TEST(AudioBuffer, SilenceLongerThanAnyBufferIsRefused) {
  EXPECT_THROW(silence(1e300, 22050, 1), std::invalid_argument);
  EXPECT_THROW(silence(1e15, 768000, 2), std::invalid_argument);
}

TEST(AudioDsp, LengthsLongerThanTheSoundCoverAllOfIt) {
  const Buffer b = tone(0.1, 8000, 300, 0.5);
  Buffer whole = b, huge = b;
  fade_in(whole, b.seconds());
  fade_in(huge, 1e300);
  EXPECT_EQ(huge.samples, whole.samples);
  fade_out(whole, b.seconds());
  fade_out(huge, 1e19);
  EXPECT_EQ(huge.samples, whole.samples);

  Buffer gaps =
      concat({tone(0.1, 8000, 300, 0.5), silence(0.5, 8000, 1), tone(0.1, 8000, 300, 0.5)});
  const std::size_t n = gaps.frames();
  shorten_silence(gaps, {-40, 1e300, -35});
  EXPECT_EQ(gaps.frames(), n);
}

TEST(AudioDsp, LimiterLookAheadLongerThanTheSound) {
  for (double lookahead_ms : {1e4, 1e300}) {
    Buffer b = concat({tone(0.1, 8000, 300, 0.1), tone(0.1, 8000, 300, 2.0)});
    limit(b, {-1, lookahead_ms, 80});
    const float ceiling = float(std::pow(10, -1 / 20.0));
    for (float s : b.samples) ASSERT_LE(std::fabs(s), ceiling);
  }
}

TEST(AudioDsp, CompressorWithAnAbysmalThresholdStaysFinite) {
  // The sound is squeezed into subnormal floats; the make-up gain that brings
  // the peak back is beyond the float range.
  Buffer b;
  b.rate = 8000;
  b.samples = {0.0f, 1.0f, 0.0f, 0.5f, 0.0f};
  compress(b, {-800, 1e9, 0, 0, true});
  EXPECT_EQ(b.samples, (std::vector<float>{0.0f, 1.0f, 0.0f, 1.0f, 0.0f}));
}

TEST(PipedWav, SizesFilledInAndDataCutToWholeSamples) {
  std::string header = "RIFF";
  header += std::string(4, '\xff');  // sizes unknown to a writer on a pipe
  header += "WAVEfmt ";
  header += std::string(20, '\0');
  header += "data";
  header += std::string(4, '\xff');
  ASSERT_EQ(header.size(), 44u);
  const auto wav = finish_piped_wav(header + "abcde");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->size(), 48u);
  EXPECT_EQ(wav->substr(4, 4), std::string("\x28\0\0\0", 4));  // 40
  EXPECT_EQ(wav->substr(40), std::string("\x04\0\0\0abcd", 8));
  EXPECT_EQ(wav->substr(8, 32), header.substr(8, 32));
  // Not a WAV of that shape, or no whole sample: nothing.
  EXPECT_FALSE(finish_piped_wav(header + "a"));
  EXPECT_FALSE(finish_piped_wav("RIFX" + header.substr(4) + "ab"));
  EXPECT_FALSE(finish_piped_wav(header.substr(0, 36) + "LIST" + header.substr(40) + "ab"));
  EXPECT_FALSE(finish_piped_wav(""));
}
