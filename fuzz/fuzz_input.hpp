// Reading fuzz input front to back, so that seeds can be written by code in
// the same order (see make_seeds.cpp). Numbers come from a table of awkward
// values, small integers, hundredths, tenths or raw bit patterns, chosen by a
// tag byte.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Fails the run with a message; libFuzzer keeps the input that got here.
[[noreturn]] inline void fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}
#define FUZZ_CHECK(cond)                                  \
  do {                                                    \
    if (!(cond)) ::fuzz::fail(__FILE__, __LINE__, #cond); \
  } while (0)

inline constexpr double kSpecial[] = {
    0.0,
    -0.0,
    1.0,
    -1.0,
    0.5,
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::quiet_NaN(),
    std::numeric_limits<double>::max(),
    std::numeric_limits<double>::lowest(),
    std::numeric_limits<double>::min(),
    std::numeric_limits<double>::denorm_min(),
    1e300,
    -1e300,
    9223372036854775808.0,  // 2^63, just past the signed 64-bit range
    1e-300,
};
inline constexpr int kSpecialCount = int(sizeof kSpecial / sizeof kSpecial[0]);

// Tag bytes of a number, as the seed writer needs them.
enum Tag : std::uint8_t {
  kTagSpecial = 0,     // 0..15: kSpecial[tag]
  kTagRaw = 16,        // 16..63: the next 8 bytes as a double
  kTagHundredth = 64,  // 64..95: the next 2 bytes as int16 / 100
  kTagTenth = 96,      // 96..127: the next 2 bytes as int16 / 10 (levels in dB, say)
  kTagSmall = 128,     // 128..255: tag - 192, an integer in [-64, 63]
};

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}

  std::size_t left() const { return std::size_t(end_ - p_); }
  bool empty() const { return p_ == end_; }

  std::uint8_t u8() { return p_ < end_ ? *p_++ : 0; }
  std::uint16_t u16() { return std::uint16_t(u8() | u8() << 8); }
  std::uint32_t u32() { return std::uint32_t(u16()) | std::uint32_t(u16()) << 16; }
  std::uint64_t u64() { return std::uint64_t(u32()) | std::uint64_t(u32()) << 32; }
  bool flag() { return u8() & 1; }

  double number() {
    const std::uint8_t tag = u8();
    if (tag < kTagRaw) return kSpecial[tag];
    if (tag < kTagHundredth) {
      const std::uint64_t bits = u64();
      double v;
      std::memcpy(&v, &bits, sizeof v);
      return v;
    }
    if (tag < kTagTenth) return std::int16_t(u16()) / 100.0;
    if (tag < kTagSmall) return std::int16_t(u16()) / 10.0;
    return double(int(tag) - 192);
  }

  // A number in [lo, hi] from two bytes, for parameters that must be sane.
  double within(double lo, double hi) { return lo + (hi - lo) * (u16() / 65535.0); }

  // Up to `max` bytes as text, ended by a zero byte or the end of the input.
  std::string text(std::size_t max = 4096) {
    std::string s;
    while (p_ < end_ && s.size() < max) {
      const char c = char(*p_++);
      if (c == '\0') break;
      s.push_back(c);
    }
    return s;
  }

  // The rest of the input.
  std::string_view rest() {
    std::string_view s(reinterpret_cast<const char*>(p_), left());
    p_ = end_;
    return s;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

// The mirror of Input for writing seeds.
class Output {
 public:
  std::vector<std::uint8_t> bytes;

  void u8(std::uint8_t v) { bytes.push_back(v); }
  void u16(std::uint16_t v) {
    u8(std::uint8_t(v));
    u8(std::uint8_t(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(std::uint16_t(v));
    u16(std::uint16_t(v >> 16));
  }
  void u64(std::uint64_t v) {
    u32(std::uint32_t(v));
    u32(std::uint32_t(v >> 32));
  }
  void flag(bool v) { u8(v ? 1 : 0); }

  // Small integers and hundredths take their short forms, others go raw.
  void number(double v) {
    if (v == std::floor(v) && v >= -64 && v <= 63 && !(v == 0 && std::signbit(v))) {
      u8(std::uint8_t(int(v) + 192));
    } else if (std::fabs(v) < 327 && std::round(v * 100) / 100 == v) {
      u8(kTagHundredth);
      u16(std::uint16_t(std::int16_t(std::lround(v * 100))));
    } else {
      u8(kTagRaw);
      std::uint64_t bits;
      std::memcpy(&bits, &v, sizeof bits);
      u64(bits);
    }
  }
  void special(int index) { u8(std::uint8_t(kTagSpecial + index)); }
  // The inverse of Input::within for a value inside [lo, hi].
  void within(double v, double lo, double hi) {
    u16(std::uint16_t(std::lround((v - lo) / (hi - lo) * 65535.0)));
  }
  void text(std::string_view s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    u8(0);
  }
  void raw(std::string_view s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
};

}  // namespace fuzz
