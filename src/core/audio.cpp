// Buffers, files, rate and channel conversion, joining.
#include "tazu/audio.hpp"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

#include "tazu/files.hpp"

namespace tazu::audio {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxRate = 768000;
constexpr double kMaxRateRatio = 256;  // libsamplerate's range

struct SndCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndHandle = std::unique_ptr<SNDFILE, SndCloser>;

}  // namespace

void check_format(int rate, int channels) {
  if (rate <= 0 || rate > kMaxRate)
    throw std::invalid_argument("sample rate out of range: " + std::to_string(rate));
  if (channels != 1 && channels != 2)
    throw std::invalid_argument("only mono or stereo audio is supported, not " +
                                std::to_string(channels) + " channels");
}

namespace {

// Bytes per sample of the uncompressed encodings, 0 for compressed ones.
int pcm_bytes(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
      return 1;
    case SF_FORMAT_PCM_16:
      return 2;
    case SF_FORMAT_PCM_24:
      return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
      return 4;
    case SF_FORMAT_DOUBLE:
      return 8;
    default:
      return 0;
  }
}

// Decodes an open file block by block until the decoder has no more. The header's
// frame count only sizes the first allocation, and only as far as the file's
// size makes it plausible: compressed headers can claim any length.
Buffer read_open(SNDFILE* f, const SF_INFO& info, const std::string& name, std::uint64_t file_bytes,
                 std::size_t max_samples) {
  if (info.channels <= 0 || info.samplerate <= 0 || info.samplerate > kMaxRate)
    throw FileError("audio file " + name + " has an unusable format");
  const std::size_t in_ch = std::size_t(info.channels);
  const std::size_t out_ch = std::min<std::size_t>(in_ch, 2);
  const std::size_t max_frames = max_samples / in_ch;

  std::uint64_t plausible = file_bytes;  // a frame per byte for compressed data
  if (int bytes = pcm_bytes(info.format)) plausible = file_bytes / (std::uint64_t(bytes) * in_ch);
  std::uint64_t hint = info.frames > 0 ? std::uint64_t(info.frames) : 0;
  hint = std::min({hint, plausible, std::uint64_t(max_frames)});

  Buffer b;
  b.rate = info.samplerate;
  b.channels = int(out_ch);
  b.samples.reserve(std::size_t(hint) * out_ch);

  // About 64k samples a block, whatever the channel count.
  const std::size_t block_frames = std::max<std::size_t>(1, (std::size_t(1) << 16) / in_ch);
  std::vector<float> block(block_frames * in_ch);
  const int left_count = (info.channels + 1) / 2, right_count = info.channels / 2;
  std::size_t frames = 0;
  for (;;) {
    sf_count_t got = sf_readf_float(f, block.data(), sf_count_t(block_frames));
    if (got <= 0) break;
    if (frames + std::size_t(got) > max_frames)
      throw FileError("audio file " + name + " is too long: more than " +
                      std::to_string(max_samples) + " samples");
    frames += std::size_t(got);
    // Grow by doubling, but never past the limit.
    const std::size_t need = frames * out_ch;
    if (need > b.samples.capacity())
      b.samples.reserve(std::min(std::max(need, 2 * b.samples.capacity()), max_frames * out_ch));
    if (in_ch <= 2) {
      b.samples.insert(b.samples.end(), block.begin(), block.begin() + got * sf_count_t(in_ch));
      continue;
    }
    // More channels: even-numbered ones go left, odd ones right.
    for (sf_count_t i = 0; i < got; ++i) {
      float l = 0, r = 0;
      for (std::size_t c = 0; c < in_ch; ++c) (c % 2 == 0 ? l : r) += block[i * in_ch + c];
      b.samples.push_back(l / left_count);
      b.samples.push_back(r / right_count);
    }
  }
  // A decoder that fails part-way leaves what it decoded before; one that
  // decodes nothing at all is an error, unless the file says it is empty.
  if (frames == 0 && sf_error(f) != SF_ERR_NO_ERROR)
    throw FileError("cannot decode audio file " + name + ": " + sf_strerror(f));
  b.samples.shrink_to_fit();
  return b;
}

// libsndfile's virtual I/O over a block of memory.
struct MemoryFile {
  const unsigned char* data;
  sf_count_t size;
  sf_count_t pos = 0;
};

sf_count_t mem_length(void* u) { return static_cast<MemoryFile*>(u)->size; }

sf_count_t mem_seek(sf_count_t offset, int whence, void* u) {
  auto* m = static_cast<MemoryFile*>(u);
  sf_count_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? m->size : 0;
  sf_count_t to = base + offset;
  if (to < 0 || to > m->size) return -1;
  return m->pos = to;
}

sf_count_t mem_read(void* ptr, sf_count_t count, void* u) {
  auto* m = static_cast<MemoryFile*>(u);
  if (count <= 0) return 0;
  sf_count_t n = std::min(count, m->size - m->pos);
  std::memcpy(ptr, m->data + m->pos, std::size_t(n));
  m->pos += n;
  return n;
}

sf_count_t mem_write(const void*, sf_count_t, void*) { return 0; }

sf_count_t mem_tell(void* u) { return static_cast<MemoryFile*>(u)->pos; }

}  // namespace

Buffer read_file(const std::string& path, std::size_t max_samples) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw FileError("audio file " + path + " is a folder");
  SF_INFO info{};
  SndHandle f(sf_open(path.c_str(), SFM_READ, &info));
  if (!f) throw FileError("cannot read audio file " + path + ": " + sf_strerror(nullptr));
  std::uintmax_t bytes = fs::file_size(path, ec);
  if (ec) bytes = std::numeric_limits<std::uint64_t>::max();
  return read_open(f.get(), info, path, bytes, max_samples);
}

Buffer read_memory(const void* data, std::size_t size, const std::string& name,
                   std::size_t max_samples) {
  SF_VIRTUAL_IO io{&mem_length, &mem_seek, &mem_read, &mem_write, &mem_tell};
  MemoryFile m{static_cast<const unsigned char*>(data), sf_count_t(size)};
  SF_INFO info{};
  SndHandle f(sf_open_virtual(&io, SFM_READ, &info, &m));
  if (!f) throw FileError("cannot read audio file " + name + ": " + sf_strerror(nullptr));
  return read_open(f.get(), info, name, size, max_samples);
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

  try {
    files::write_atomically_with(path, [&](int fd) {
      SNDFILE* f = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
      if (!f) throw FileError("cannot write audio file " + path + ": " + sf_strerror(nullptr));
      sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
      const sf_count_t n = sf_count_t(buffer.frames());
      const sf_count_t put = n ? sf_writef_float(f, buffer.samples.data(), n) : 0;
      const std::string err = put == n ? "" : sf_strerror(f);
      // Closing writes the header's final sizes: a failure there is a broken file too.
      const int closed = sf_close(f);
      if (put != n) throw FileError("writing audio file " + path + " failed: " + err);
      if (closed != 0)
        throw FileError("writing audio file " + path + " failed: " + sf_error_number(closed));
    });
  } catch (const std::system_error& e) {
    throw FileError("cannot write audio file " + path + ": " + e.code().message());
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

std::optional<std::string> finish_piped_wav(std::string_view bytes) {
  constexpr std::size_t kHeader = 44;
  if (bytes.size() < kHeader + 2 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE" ||
      bytes.substr(36, 4) != "data")
    return std::nullopt;
  const std::size_t data = (bytes.size() - kHeader) / 2 * 2;
  if (data + kHeader - 8 > 0xffffffffu) return std::nullopt;
  std::string out(bytes.substr(0, kHeader + data));
  auto put_u32 = [&](std::size_t at, std::size_t value) {
    for (int k = 0; k < 4; ++k) out[at + k] = static_cast<char>((value >> (8 * k)) & 0xff);
  };
  put_u32(4, out.size() - 8);
  put_u32(40, data);
  return out;
}

}  // namespace tazu::audio
