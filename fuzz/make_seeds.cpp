// Writes the seed corpora: `make_seeds DIR [TARGET]` fills DIR/<target>/ with
// small inputs that reach each target's interesting paths. The output is committed;
// run it again after changing how a target reads its input.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_input.hpp"

namespace fs = std::filesystem;

namespace {

fs::path root;

void save(const std::string& target, const std::string& name, const std::vector<std::uint8_t>& b) {
  fs::create_directories(root / target);
  std::ofstream out(root / target / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

void save_text(const std::string& target, const std::string& name, std::uint8_t mode,
               std::string_view text) {
  std::vector<std::uint8_t> b{mode};
  b.insert(b.end(), text.begin(), text.end());
  save(target, name, b);
}

// ----- audio files, written by libsndfile itself ---------------------------

void audio_file(const std::string& name, int format, int channels, int rate, int frames) {
  const fs::path dir = root / "fuzz_audio_read";
  fs::create_directories(dir);
  const fs::path path = dir / name;
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) {
    std::fprintf(stderr, "skipped %s: %s\n", name.c_str(), sf_strerror(nullptr));
    return;
  }
  std::vector<float> s(std::size_t(frames) * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      s[std::size_t(i) * channels + c] =
          float(0.5 * std::sin(2 * std::numbers::pi * 440.0 * (c + 1) * i / rate));
  sf_writef_float(f, s.data(), frames);
  sf_close(f);
}

void put_le(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// A WAV header by hand whose data chunk claims far more than the file holds.
std::vector<std::uint8_t> lying_wav(std::uint32_t data_bytes, std::uint16_t channels) {
  std::vector<std::uint8_t> b;
  const std::string riff = "RIFF", wave = "WAVEfmt ", data = "data";
  b.insert(b.end(), riff.begin(), riff.end());
  put_le(b, 36 + data_bytes, 4);
  b.insert(b.end(), wave.begin(), wave.end());
  put_le(b, 16, 4);
  put_le(b, 1, 2);  // PCM
  put_le(b, channels, 2);
  put_le(b, 8000, 4);
  put_le(b, 8000u * 2 * channels, 4);
  put_le(b, 2u * channels, 2);
  put_le(b, 16, 2);
  b.insert(b.end(), data.begin(), data.end());
  put_le(b, data_bytes, 4);
  for (int i = 0; i < 32; ++i) put_le(b, std::uint32_t(i * 1000), 2);
  return b;
}

void audio_seeds() {
  audio_file("pcm16-mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 22050, 32);
  audio_file("pcm24-stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, 24);
  audio_file("float-stereo.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, 16);
  audio_file("u8-mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000, 32);
  audio_file("ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, 8000, 32);
  audio_file("imaadpcm.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1, 8000, 64);
  audio_file("three-channels.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3, 16000, 16);
  audio_file("six-channels.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 6, 48000, 8);
  audio_file("stereo.wavex", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 44100, 16);
  audio_file("mono.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 1, 22050, 16);
  audio_file("mono.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 1, 22050, 16);
  audio_file("stereo.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 44100, 16);
  audio_file("mono.au", SF_FORMAT_AU | SF_FORMAT_PCM_16, 1, 8000, 32);
  audio_file("mono.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 1, 22050, 16);
  audio_file("mono.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 22050, 64);
  audio_file("stereo.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, 48000, 32);
  audio_file("mono.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 8000, 64);
  audio_file("mono.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 1, 48000, 64);
  audio_file("mono.voc", SF_FORMAT_VOC | SF_FORMAT_PCM_16, 1, 8000, 32);
  audio_file("mono.nist", SF_FORMAT_NIST | SF_FORMAT_PCM_16, 1, 8000, 32);
  save("fuzz_audio_read", "lying-size.wav", lying_wav(0x7ffffff0, 1));
  save("fuzz_audio_read", "lying-size-stereo.wav", lying_wav(0x40000000, 2));
}

// ----- text and number seeds ----------------------------------------------

void narration_seeds() {
  const std::string t = "fuzz_narration";
  save_text(t, "clean-controls", 3, "一\x01二\t三\r\n四\xc2\x85五\xed\xa0\x80六\xff");
  save_text(t, "files-plain", 5, "3-开场白");
  save_text(t, "files-temp-like", 5, ".tazu-1234-ab12.tmp");
  {  // a clause, a pause and a clause over a short sound, then its document
    fuzz::Output o;
    o.u8(4);
    o.number(3661.0015);
    o.u8(3);
    const struct {
      bool spoken;
      double seconds;
      const char* text;
    } parts[] = {{true, 0.02, "甲 <b> & c"}, {false, 0.01, ""}, {true, 0.03, "乙\n\n丙"}};
    for (const auto& p : parts) {
      o.flag(p.spoken);
      o.number(p.seconds);
      o.text(p.text);
    }
    o.flag(true);
    o.u16(999);  // 1000 Hz
    o.flag(false);
    o.u16(60);
    for (int i = 0; i < 60; ++i) o.u8(std::uint8_t(i % 20 < 5 ? 0 : (i * 13) % 256));
    o.number(-50);
    save(t, "cues", o.bytes);
  }
  save_text(t, "line-pauses", 0, "你好<s>世界<s><s>再见");
  save_text(t, "line-stray-marks", 0, " <<s>>a>b< c <s>>>\u3000");
  save_text(t, "line-spaces", 0, "\u3000\u2003 text\t\u00a0\u0085");
  save_text(t, "line-only-marks", 0, "<s><s><s>");
  save_text(t, "name-plain", 1, "3-开场白.wav");
  save_text(t, "name-slashes", 1, "../a/b\\c\x01.wav");
  save_text(t, "name-dots", 1, "..");
  save_text(t, "name-long", 1, std::string(90, 'x') + std::string(40, '\xe4') + "长.wav");
  std::string long_cjk;
  for (int i = 0; i < 80; ++i) long_cjk += "长";
  save_text(t, "name-long-cjk", 1, long_cjk + ".wav");
  fuzz::Output o;
  o.u8(2);
  for (const char* f : {"开场", "1", "cmn", "1.5", "175.0", "50", "中性"}) o.text(f);
  save(t, "clip-fields", o.bytes);
}

void cue_file_seeds() {
  const std::string t = "fuzz_cue_files";
  save_text(t, "file-plain", 0, "WEBVTT\n\n00:00:00.041 --> 00:00:01.323\n第一集\n");
  save_text(t, "file-odd", 0,
            "\xef\xbb\xbfWEBVTT - 旁白\r\n\r\nNOTE x\r\n\r\n1\r\n00:01.500 --> 00:02.250 "
            "line:90%\r\n<v 甲>今天 &amp; "
            "&lt;明天&gt;\r\n\u3000\r\n1:00:00,000-->1:00:01.000\r两行\r字幕");
  save_text(t, "file-bad-time", 0, "WEBVTT\n\n00:00:00,5 --> 00:00:01.000\n好\n");
  save_text(t, "file-no-timing", 0, "WEBVTT\n\nid\n好\n");
  fuzz::Output o;
  o.u8(1);
  o.u8(3);
  const struct {
    double start, end;
    const char* text;
  } cues[] = {{0.0406, 1.3234, "第一集"}, {3725.5, 3725.5, "a<b> & c\n\n下"}, {-1, 1e300, " --> "}};
  for (const auto& c : cues) {
    o.number(c.start);
    o.number(c.end);
    o.text(c.text);
  }
  save(t, "writers", o.bytes);
  save_text(t, "line-marks", 2, "今天<s>天气<s><s>很好！ <s>>> 结束<<s>s>");
}

void playback_seeds() {
  const std::string t = "fuzz_playback";
  {  // keyframes laid end to end, queried at joins and inside
    fuzz::Output o;
    o.u8(0);
    o.flag(true);
    o.u8(6);
    o.number(0);
    for (double d : {0.0, 1.5, 0.25, 0.0, 2.0, 1.0}) {
      o.number(d);
      o.flag(false);
    }
    for (double q : {0.0, 1.5, 1.75, 3.0, 3.75, 4.0, -1.0, 9.0}) o.number(q);
    save(t, "timeline-laid", o.bytes);
  }
  {  // out of order, with a negative duration and special numbers
    fuzz::Output o;
    o.u8(0);
    o.flag(false);
    o.u8(5);
    o.number(0);
    const double pairs[][2] = {{1, 2}, {-1, 0.5}, {3, -2}, {1e308, 1e308}, {0.5, 0}};
    for (auto& p : pairs) {
      o.number(p[1]);
      o.number(p[0]);
    }
    o.special(7);  // NaN
    o.special(5);  // infinity
    o.number(1);
    o.number(2.5);
    save(t, "timeline-unordered", o.bytes);
  }
  {
    fuzz::Output o;
    o.u8(1);
    o.u8(4);
    for (int i = 0; i < 4; ++i) {
      o.flag(i % 2 == 0);
      if (i % 2 == 0) o.number(i * 0.5);
    }
    save(t, "weights", o.bytes);
  }
  // A plain segment and a grouped one.
  for (int grouped = 0; grouped < 2; ++grouped) {
    fuzz::Output o;
    o.u8(2);
    for (double v :
         {0.0, 2.0, 10.0, 20.0, 110.0, 40.0, 64.0, 48.0, 32.0, 32.0, 30.0, 90.0, 1.0, 1.5})
      o.number(v);
    o.flag(true);  // start pivot
    o.number(42);
    o.number(36);
    o.flag(false);  // end pivot
    for (int g = 0; g < 2; ++g) {
      o.flag(grouped);
      if (grouped)
        for (double v : {0.0, 0.0, 100.0, 200.0}) o.number(v);
    }
    for (double v : {0.0, 45.0, 1.0, 2.0}) o.number(v);
    for (int k = 0; k < 4; ++k) {  // relative offsets and origins
      o.flag(true);
      o.number(10 + k);
      o.number(-5 - k);
    }
    o.flag(true);
    o.number(1);   // base scale
    o.flag(true);  // picture size
    o.number(60);
    o.number(40);
    o.number(1.25);  // local time
    o.flag(true);
    o.flag(grouped);
    o.number(60);
    o.number(40);
    o.flag(false);
    o.number(50);
    o.number(50);
    save(t, grouped ? "place-grouped" : "place-plain", o.bytes);
  }
}

// A mono or stereo buffer of int16 samples: a tone, then silence, then a tone.
void buffer(fuzz::Output& o, std::uint8_t rate_pick, bool stereo, int frames) {
  o.u8(rate_pick);
  o.flag(stereo);
  o.u8(0);
  o.u16(std::uint16_t(frames));
  const int ch = stereo ? 2 : 1;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < ch; ++c) {
      const bool loud = i < frames / 3 || i > 2 * frames / 3;
      const double v = loud ? 0.9 * std::sin(i * 0.3) : 0.0005 * std::sin(i * 1.7);
      o.u16(std::uint16_t(std::int16_t(std::lround(v * 32767))));
    }
}

void dsp_seeds() {
  const std::string t = "fuzz_dsp";
  const struct {
    const char* name;
    std::uint8_t op;
    std::vector<double> params;
  } ops[] = {
      {"fade-in", 0, {0.01}},
      {"fade-out", 1, {0.01}},
      {"gain", 2, {-6}},
      {"compress", 3, {-20, 4, 10, 100, 1}},
      // So deep a threshold squeezes the sound into subnormal floats.
      {"compress-deep-threshold", 3, {-800, 1e9, 0, 0, 1}},
      {"limit", 4, {-1, 5, 80}},
      {"limit-endless-lookahead", 4, {-3, 1e300, 80}},
      {"fade-in-endless", 0, {1e300}},
      {"silence-endless", 10, {1e300}},
      {"shorten-silence", 5, {-40, 10, -35}},
      {"peak-rms", 7, {}},
      {"silence", 10, {0.02}},
  };
  for (const auto& op : ops) {
    fuzz::Output o;
    buffer(o, 0, op.op % 2 == 1, 600);  // 8000 Hz
    o.u8(op.op);
    for (std::size_t i = 0; i < op.params.size(); ++i) {
      if (op.op == 3 && i == 4)
        o.flag(op.params[i] != 0);
      else
        o.number(op.params[i]);
    }
    save(t, op.name, o.bytes);
  }
  {
    fuzz::Output o;
    buffer(o, 3, false, 300);  // 22050 Hz
    o.u8(6);
    o.u16(64);
    save(t, "envelope", o.bytes);
  }
  {
    fuzz::Output o;
    buffer(o, 3, true, 300);
    o.u8(8);
    o.u8(7);  // to 48000 Hz
    o.flag(false);
    save(t, "convert", o.bytes);
  }
  {
    fuzz::Output o;
    buffer(o, 0, false, 200);
    o.u8(9);
    buffer(o, 6, true, 100);  // 44100 Hz stereo
    save(t, "join", o.bytes);
  }
}

void bars_seeds() {
  const std::string t = "fuzz_bars";
  for (std::uint8_t type = 0; type < 10; ++type) {
    fuzz::Output o;
    o.u8(type);
    o.u8(48);  // frames
    o.u8(2);   // channels - 1
    o.u8(type % 2 ? 2 : std::uint8_t(-2));
    o.u8(1);
    o.flag(type % 3 == 0);
    for (int i = 0; i < 48 * 3 * 8 + 8; ++i) o.u8(std::uint8_t(i * 37 + type));
    o.u8(4);
    o.u8(40);
    o.u8(7);
    save(t, "peaks-type" + std::to_string(type), o.bytes);
  }
  {
    fuzz::Output o;
    o.u8(10);
    o.u64(1000);
    o.u64(std::uint64_t(-5));
    o.u64(2000);
    o.u64(3);
    save(t, "layout", o.bytes);
  }
  for (double v : {2.675, -0.001, 1e22, 0.125}) {
    fuzz::Output o;
    o.u8(11);
    o.number(v);
    save(t, "cents-" + std::to_string(v), o.bytes);
  }
}

void layout_seeds() {
  const std::string t = "fuzz_layout";
  {
    fuzz::Output o;
    o.u8(0);
    for (double v : {7.5, 0.1, 500.0, 300.0, 64.0, 1.5, 1280.0, 720.0}) o.number(v);
    o.u8(4);
    for (double v : {560.0, 300.0, 45.0, 610.0, 350.0}) o.number(v);
    o.flag(true);
    save(t, "menus", o.bytes);
  }
  {
    fuzz::Output o;
    o.u8(1);
    for (double v : {0.0, 0.0, 200.0, 300.0, 50.0, 60.0, 40.0, 30.0, 1.5, 1.0}) o.number(v);
    save(t, "icon", o.bytes);
  }
  {
    fuzz::Output o;
    o.u8(2);
    for (double v : {105.0, 100.0, 300.0, 10.0}) o.number(v);
    save(t, "segment", o.bytes);
  }
}

// GIFs by hand: a 1x1 still, a two-frame loop, and one cut inside its
// second frame.
void gif_seeds() {
  const std::string t = "fuzz_gif_scan";
  const std::string head("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff", 19);
  const std::string control("\x21\xf9\x04\x05\x0a\x00\x00\x00", 8);
  const std::string image("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00", 15);
  const std::string loop("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  const auto bytes = [](const std::string& s) {
    return std::vector<std::uint8_t>(s.begin(), s.end());
  };
  save(t, "still.gif", bytes(head + control + image + ";"));
  save(t, "loop.gif", bytes(head + loop + control + image + control + image + ";"));
  const std::string whole = head + loop + control + image + control + image;
  save(t, "cut.gif", bytes(whole.substr(0, whole.size() - 4)));
  std::string local = image;
  local[9] = '\x80';  // a local colour table of two entries
  local.insert(10, std::string("\x00\x00\x00\xff\xff\xff", 6));
  save(t, "local-table.gif",
       bytes(std::string("GIF87a\x01\x00\x01\x00\x00\x00\x00", 13) + local + ";"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: make_seeds DIR [TARGET]\n");
    return 2;
  }
  root = argv[1];
  // One target's seeds alone, so that the others (Ogg streams carry random
  // serial numbers) stay as they are.
  const std::string only = argc > 2 ? argv[2] : "";
  const std::pair<const char*, void (*)()> makers[] = {{"fuzz_audio_read", audio_seeds},
                                                       {"fuzz_narration", narration_seeds},
                                                       {"fuzz_cue_files", cue_file_seeds},
                                                       {"fuzz_playback", playback_seeds},
                                                       {"fuzz_dsp", dsp_seeds},
                                                       {"fuzz_bars", bars_seeds},
                                                       {"fuzz_layout", layout_seeds},
                                                       {"fuzz_gif_scan", gif_seeds}};
  for (const auto& [target, make] : makers)
    if (only.empty() || only == target) make();
  return 0;
}
