// The GIF block walk on any bytes: it ends, tells a GIF from anything else,
// counts no more frames than there are image descriptors, and never more for a
// part of a file than for all of it.
#include <cstring>
#include <sstream>
#include <string>

#include "fuzz_input.hpp"
#include "tazu/gif_scan.hpp"

namespace tm_ = tazu::media;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream in(bytes);
  const tm_::GifScan s = tm_::scan_gif(in);

  const bool signature =
      size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
  FUZZ_CHECK(s.is_gif == signature);
  FUZZ_CHECK(s.whole == s.problem.empty());
  if (!s.is_gif) {
    FUZZ_CHECK(!s.whole && s.frames == 0);
    return 0;
  }
  if (size >= 13) {
    FUZZ_CHECK(s.width == (data[6] | data[7] << 8));
    FUZZ_CHECK(s.height == (data[8] | data[9] << 8));
  }
  std::size_t descriptors = 0;
  for (std::size_t i = 13; i < size; ++i) descriptors += data[i] == 0x2C;
  FUZZ_CHECK(s.frames <= descriptors);

  // The walk reads left to right: a file cut short has no more frames than
  // the whole one.
  for (std::size_t cut : {size / 2, size - 1}) {
    std::istringstream part(bytes.substr(0, cut));
    FUZZ_CHECK(tm_::scan_gif(part).frames <= s.frames);
  }
  return 0;
}
