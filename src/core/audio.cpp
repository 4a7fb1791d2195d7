// Buffers, files, rate and channel conversion, joining.
#include "tazu/audio.hpp"

#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

namespace tazu::audio {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxRate = 768000;
constexpr double kMaxRateRatio = 256;  // libsamplerate's range

struct SndCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndHandle = std::unique_ptr<SNDFILE, SndCloser>;

// Same folder as the target so the rename stays on one file system; a short
// name so that a target name near the length limit still has a temporary one.
std::string temp_name_for(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::string name = ".tazu-";
  name += std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp.wav";
  return (fs::path(path).parent_path() / name).string();
}

}  // namespace

void check_format(int rate, int channels) {
  if (rate <= 0 || rate > kMaxRate)
    throw std::invalid_argument("sample rate out of range: " + std::to_string(rate));
  if (channels != 1 && channels != 2)
    throw std::invalid_argument("only mono or stereo audio is supported, not " +
                                std::to_string(channels) + " channels");
}

Buffer read_file(const std::string& path) {
  SF_INFO info{};
  SndHandle f(sf_open(path.c_str(), SFM_READ, &info));
  if (!f) throw FileError("cannot read audio file " + path + ": " + sf_strerror(nullptr));
  if (info.channels <= 0 || info.samplerate <= 0 || info.samplerate > kMaxRate)
    throw FileError("audio file " + path + " has an unusable format");

  std::vector<float> raw(std::size_t(info.frames) * info.channels);
  sf_count_t got = sf_readf_float(f.get(), raw.data(), info.frames);
  if (got < 0) got = 0;
  raw.resize(std::size_t(got) * info.channels);

  Buffer b;
  b.rate = info.samplerate;
  if (info.channels <= 2) {
    b.channels = info.channels;
    b.samples = std::move(raw);
    return b;
  }
  // More channels: even-numbered ones go left, odd ones right.
  const int in_ch = info.channels;
  b.channels = 2;
  b.samples.assign(std::size_t(got) * 2, 0.0f);
  const int left_count = (in_ch + 1) / 2, right_count = in_ch / 2;
  for (sf_count_t i = 0; i < got; ++i) {
    float l = 0, r = 0;
    for (int c = 0; c < in_ch; ++c) (c % 2 == 0 ? l : r) += raw[i * in_ch + c];
    b.samples[2 * i] = l / left_count;
    b.samples[2 * i + 1] = r / right_count;
  }
  return b;
}

void write_wav(const Buffer& buffer, const std::string& path, SampleFormat format) {
  check_format(buffer.rate, buffer.channels);
  if (path.empty()) throw FileError("empty file name for audio output");
  SF_INFO info{};
  info.samplerate = buffer.rate;
  info.channels = buffer.channels;
  int sub = format == SampleFormat::pcm16   ? SF_FORMAT_PCM_16
            : format == SampleFormat::pcm24 ? SF_FORMAT_PCM_24
                                            : SF_FORMAT_FLOAT;
  info.format = SF_FORMAT_WAV | sub;

  const std::string tmp = temp_name_for(path);
  {
    SndHandle f(sf_open(tmp.c_str(), SFM_WRITE, &info));
    if (!f) throw FileError("cannot write audio file " + path + ": " + sf_strerror(nullptr));
    sf_command(f.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    sf_count_t n = sf_count_t(buffer.frames());
    sf_count_t put = n ? sf_writef_float(f.get(), buffer.samples.data(), n) : 0;
    if (put != n) {
      std::string err = sf_strerror(f.get());
      f.reset();
      std::error_code ec;
      fs::remove(tmp, ec);
      throw FileError("writing audio file " + path + " failed: " + err);
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) {
    std::error_code ignore;
    fs::remove(tmp, ignore);
    throw FileError("cannot move audio file into place at " + path + ": " + ec.message());
  }
}

Buffer silence(double seconds, int rate, int channels) {
  check_format(rate, channels);
  if (!std::isfinite(seconds) || seconds < 0)
    throw std::invalid_argument("silence length must be a non-negative number of seconds");
  // Counted in floating point first: a length no buffer can hold is refused
  // instead of wrapping around in the conversion to a count.
  const double frames = std::round(seconds * rate);
  if (frames * channels > double(std::vector<float>().max_size()))
    throw std::invalid_argument("silence of " + std::to_string(seconds) + " seconds is too long");
  Buffer b;
  b.rate = rate;
  b.channels = channels;
  b.samples.assign(std::size_t(frames) * channels, 0.0f);
  return b;
}

namespace {

Buffer convert_channels(const Buffer& in, int channels) {
  if (in.channels == channels) return in;
  Buffer out;
  out.rate = in.rate;
  out.channels = channels;
  const std::size_t n = in.frames();
  out.samples.resize(n * channels);
  if (in.channels == 1) {  // mono to stereo
    for (std::size_t i = 0; i < n; ++i) out.samples[2 * i] = out.samples[2 * i + 1] = in.samples[i];
  } else {  // stereo to mono
    for (std::size_t i = 0; i < n; ++i)
      out.samples[i] = 0.5f * (in.samples[2 * i] + in.samples[2 * i + 1]);
  }
  return out;
}

// The resampler's limit; checked before anything is allocated for a
// conversion that cannot be made.
void check_rate_ratio(int from, int to) {
  if (double(to) > kMaxRateRatio * from || double(from) > kMaxRateRatio * to)
    throw std::invalid_argument("cannot resample from " + std::to_string(from) + " Hz to " +
                                std::to_string(to) + " Hz: the rates differ more than " +
                                std::to_string(int(kMaxRateRatio)) + " times");
}

Buffer resample(const Buffer& in, int rate) {
  if (in.rate == rate) return in;
  Buffer out;
  out.rate = rate;
  out.channels = in.channels;
  const double ratio = double(rate) / in.rate;
  const std::size_t want = std::size_t(std::llround(in.frames() * ratio));
  if (in.frames() == 0) return out;
  out.samples.assign((want + 16) * in.channels, 0.0f);
  SRC_DATA d{};
  d.data_in = in.samples.data();
  d.input_frames = long(in.frames());
  d.data_out = out.samples.data();
  d.output_frames = long(want + 16);
  d.src_ratio = ratio;
  int err = src_simple(&d, SRC_SINC_MEDIUM_QUALITY, in.channels);
  if (err) throw std::runtime_error(std::string("resampling failed: ") + src_strerror(err));
  // Keep the duration exact: the converter may stop a few frames short.
  out.samples.resize(want * in.channels, 0.0f);
  return out;
}

}  // namespace

Buffer convert(const Buffer& in, int rate, int channels) {
  check_format(rate, channels);
  check_format(in.rate, in.channels);
  check_rate_ratio(in.rate, rate);
  // Fewer channels first and more channels last keeps the resampler's work small.
  if (channels < in.channels) return resample(convert_channels(in, channels), rate);
  return convert_channels(resample(in, rate), channels);
}

Buffer join(const std::vector<const Buffer*>& parts) {
  if (parts.empty()) throw std::invalid_argument("nothing to join");
  int rate = 0, channels = 0;
  std::size_t total = 0;
  for (const Buffer* p : parts) {
    check_format(p->rate, p->channels);
    rate = std::max(rate, p->rate);
    channels = std::max(channels, p->channels);
  }
  for (const Buffer* p : parts) {
    check_rate_ratio(p->rate, rate);
    total += std::size_t(std::llround(p->frames() * double(rate) / p->rate));
  }
  Buffer out;
  out.rate = rate;
  out.channels = channels;
  out.samples.reserve(total * channels);
  for (const Buffer* p : parts) {
    if (p->rate == rate && p->channels == channels) {
      out.samples.insert(out.samples.end(), p->samples.begin(), p->samples.end());
    } else {
      Buffer c = convert(*p, rate, channels);
      out.samples.insert(out.samples.end(), c.samples.begin(), c.samples.end());
    }
  }
  return out;
}

}  // namespace tazu::audio
