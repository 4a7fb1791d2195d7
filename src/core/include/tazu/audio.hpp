// Audio engine: float PCM buffers, WAV files and the clean-up operations used
// for narration. Levels are in dBFS, DSP times in milliseconds, fades in seconds.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tazu::audio {

// A file that cannot be read or written.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Interleaved float samples, nominally in [-1, 1]; one or two channels.
struct Buffer {
  int rate = 22050;
  int channels = 1;
  std::vector<float> samples;

  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
  double seconds() const { return rate > 0 ? double(frames()) / rate : 0.0; }
};

// Checks rate and channel count; throws std::invalid_argument.
void check_format(int rate, int channels);

// Most samples (over all channels) a decoded file may hold: 512 MiB of floats,
// about 45 minutes of 48 kHz stereo.
inline constexpr std::size_t kMaxReadSamples = std::size_t(1) << 27;

// Reads any file libsndfile understands (WAV first of all). Files with more than
// two channels are mixed down to stereo. The length in the file's header is
// only a hint: samples are read in blocks until the data ends, so a header that
// claims more than the file holds costs nothing, and a truncated file gives the
// part that can be read. Throws FileError naming the file when nothing can be
// read, or when the sound holds more than `max_samples` samples.
Buffer read_file(const std::string& path, std::size_t max_samples = kMaxReadSamples);

// The same for a file already in memory; `name` is used in error messages.
Buffer read_memory(const void* data, std::size_t size, const std::string& name,
                   std::size_t max_samples = kMaxReadSamples);

// A 16-bit WAV written to a pipe, whose writer could not go back to fill in
// the sizes (a speech engine's standard output): the 44-byte canonical header
// with the RIFF and data sizes filled in and the data cut to whole samples.
// nullopt when it is not such a file, holds no sample, or is too large for a
// WAV's 32-bit sizes.
std::optional<std::string> finish_piped_wav(std::string_view bytes);

enum class SampleFormat { pcm16, pcm24, float32 };

// Writes a WAV file through a temporary file in the same folder that is renamed
// into place, so a crash never leaves a half-written file under `path`. Integer
// formats clip instead of wrapping. Throws FileError.
void write_wav(const Buffer& buffer, const std::string& path,
               SampleFormat format = SampleFormat::pcm16);

Buffer silence(double seconds, int rate, int channels);

// Resamples (band-limited sinc) and converts channels: mono is copied to both
// sides, stereo is averaged to mono. Rates more than 256 times apart are
// refused (std::invalid_argument).
Buffer convert(const Buffer& in, int rate, int channels);

// Joins buffers end to end. The result takes the highest rate and the largest
// channel count among them; others are converted first (see convert).
Buffer join(const std::vector<const Buffer*>& parts);

// Linear ramps over the first / last `seconds` (clamped to the length).
void fade_in(Buffer& b, double seconds);
void fade_out(Buffer& b, double seconds);

void gain_db(Buffer& b, double db);

struct CompressorSettings {
  double threshold_db = -20.0;
  double ratio = 4.0;
  double attack_ms = 10.0;
  double release_ms = 100.0;
  bool keep_peak = true;  // automatic make-up gain
};

// Feed-forward compressor: a peak detector smoothed with attack/release time
// constants, linked across channels; above the threshold the level rises by
// 1/ratio of what the input rises. With keep_peak the result is scaled back to
// the input's peak level, so compression evens the level out instead of making
// the whole clip quieter.
void compress(Buffer& b, const CompressorSettings& s);

struct LimiterSettings {
  double ceiling_db = -1.0;
  double lookahead_ms = 5.0;
  double release_ms = 80.0;
};

// Look-ahead peak limiter, linked across channels: no sample ends above the
// ceiling. The gain starts falling a look-ahead ahead of a peak and recovers
// over the release time; sound that stays under the ceiling is left exactly as
// it was.
void limit(Buffer& b, const LimiterSettings& s);

struct SilenceSettings {
  double threshold_db = -40.0;    // quieter than this counts as silence
  double min_silence_ms = 100.0;  // longer silences are cut down to this
  double noise_floor_db = -35.0;  // kept silence below this level is muted
};

// Shortens every stretch quieter than the threshold and longer than the minimum
// to the minimum length, keeping its two ends and cross-fading the cut. Inside
// the silences that remain, stretches below the noise floor are muted (gated),
// with short ramps. Levels are RMS over 10 ms windows.
void shorten_silence(Buffer& b, const SilenceSettings& s);

// Minimum and maximum sample of each of `columns` equal slices of the buffer,
// over all channels, for drawing a waveform. Empty slices give 0.
struct Envelope {
  std::vector<float> min;
  std::vector<float> max;
};
Envelope envelope(const Buffer& b, std::size_t columns);

// Peak and RMS level of the whole buffer in dBFS (-inf for digital silence).
double peak_db(const Buffer& b);
double rms_db(const Buffer& b);

}  // namespace tazu::audio
