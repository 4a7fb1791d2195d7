#include "tazu/gif_scan.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace tazu::media {

namespace {

bool read_exact(std::istream& in, unsigned char* out, std::size_t n) {
  in.read(reinterpret_cast<char*>(out), std::streamsize(n));
  return std::size_t(in.gcount()) == n;
}

bool skip(std::istream& in, std::size_t n) {
  // Reading rather than seeking: seeking past the end does not fail.
  std::array<char, 256> sink;
  while (n > 0) {
    std::size_t step = std::min(n, sink.size());
    in.read(sink.data(), std::streamsize(step));
    if (std::size_t(in.gcount()) != step) return false;
    n -= step;
  }
  return true;
}

enum class Chain { whole, cut };

// Data sub-blocks: a length byte, that many bytes, until a zero length.
Chain skip_sub_blocks(std::istream& in) {
  for (;;) {
    int size = in.get();
    if (size == std::char_traits<char>::eof()) return Chain::cut;
    if (size == 0) return Chain::whole;
    if (!skip(in, std::size_t(size))) return Chain::cut;
  }
}

std::size_t colour_table_bytes(unsigned char packed) {
  return (packed & 0x80) ? 3u * (1u << ((packed & 0x07) + 1)) : 0;
}

}  // namespace

GifScan scan_gif(std::istream& in) {
  GifScan scan;
  std::array<unsigned char, 13> head{};
  if (!read_exact(in, head.data(), 6)) {
    scan.problem = "no GIF signature";
    return scan;
  }
  if (std::memcmp(head.data(), "GIF87a", 6) != 0 && std::memcmp(head.data(), "GIF89a", 6) != 0) {
    scan.problem = "no GIF signature";
    return scan;
  }
  scan.is_gif = true;
  if (!read_exact(in, head.data() + 6, 7)) {
    scan.problem = "the header is cut short";
    return scan;
  }
  scan.width = std::uint16_t(head[6] | head[7] << 8);
  scan.height = std::uint16_t(head[8] | head[9] << 8);
  if (!skip(in, colour_table_bytes(head[10]))) {
    scan.problem = "the colour table is cut short";
    return scan;
  }
  auto cut_frame = [&](const char* where) {
    scan.problem = "frame " + std::to_string(scan.frames + 1) + " is cut short (" + where + ")";
    return scan;
  };
  for (;;) {
    int block = in.get();
    if (block == std::char_traits<char>::eof() || block == 0x3B) break;  // end or trailer
    if (block == 0x21) {                                                 // extension
      if (in.get() == std::char_traits<char>::eof()) break;
      if (skip_sub_blocks(in) == Chain::cut) break;
      continue;
    }
    if (block != 0x2C) continue;  // stray byte
    std::array<unsigned char, 9> desc{};
    if (!read_exact(in, desc.data(), desc.size())) return cut_frame("descriptor");
    if (!skip(in, colour_table_bytes(desc[8]))) return cut_frame("colour table");
    if (in.get() == std::char_traits<char>::eof()) return cut_frame("image data");
    if (skip_sub_blocks(in) == Chain::cut) return cut_frame("image data");
    ++scan.frames;
  }
  scan.whole = true;
  return scan;
}

}  // namespace tazu::media
