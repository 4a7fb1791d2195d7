#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tazu/gif_scan.hpp"

using tazu::media::GifScan;
using tazu::media::scan_gif;

namespace {

GifScan scan(const std::string& bytes) {
  std::istringstream in(bytes);
  return scan_gif(in);
}

std::string sub_blocks(std::size_t total) {
  std::string out;
  while (total > 0) {
    std::size_t n = std::min<std::size_t>(total, 255);
    out += char(n);
    out += std::string(n, 'x');
    total -= n;
  }
  return out + '\0';
}

struct Built {
  std::string bytes;
  std::size_t head = 0;                                     // header and global table
  std::vector<std::pair<std::size_t, std::size_t>> frames;  // [start, end) of each image
};

// A GIF of `frames` frames: a global colour table, a control extension before
// every frame, a local colour table on the second frame. The pixel data is
// filler: only the block structure is looked at.
Built gif(int frames, bool trailer = true) {
  Built b;
  std::string& g = b.bytes;
  g = "GIF89a";
  g += std::string("\x20\x01\x10\x00", 4);  // 288 × 16
  g += char(0x81);                          // global table of 4 colours
  g += std::string(2, '\0');
  g += std::string(12, 'c');
  b.head = g.size();
  g += "\x21\xFF" + sub_blocks(11);  // application extension
  for (int i = 0; i < frames; ++i) {
    g += std::string("\x21\xF9\x04\x04\x0A\x00\x00\x00", 8);  // graphic control
    std::size_t start = g.size();
    g += ',';
    g += std::string(8, '\0');
    g += char(i == 1 ? 0x80 : 0x00);  // local table of 2 colours on frame 2
    if (i == 1) g += std::string(6, 'l');
    g += char(2);  // LZW minimum code size
    g += sub_blocks(300 + 50 * i);
    b.frames.emplace_back(start, g.size());
  }
  if (trailer) g += ';';
  return b;
}

}  // namespace

TEST(GifScan, WholeFileCountsFramesAndSize) {
  GifScan s = scan(gif(3).bytes);
  EXPECT_TRUE(s.is_gif);
  EXPECT_TRUE(s.whole) << s.problem;
  EXPECT_EQ(s.frames, 3u);
  EXPECT_EQ(s.width, 288);
  EXPECT_EQ(s.height, 16);
}

TEST(GifScan, MissingTrailerAndStrayBytesAreTolerated) {
  EXPECT_TRUE(scan(gif(2, false).bytes).whole);
  GifScan s = scan(gif(2, false).bytes + std::string("\x00\x00\x07;", 4));
  EXPECT_TRUE(s.whole);
  EXPECT_EQ(s.frames, 2u);
}

// Cut at every byte: whole exactly when no image block is split, and every
// image before the cut is counted.
TEST(GifScan, EveryCutInsideAFrameIsFound) {
  const Built g = gif(3);
  for (std::size_t cut = 0; cut < g.bytes.size(); ++cut) {
    GifScan s = scan(g.bytes.substr(0, cut));
    bool split = cut < g.head;
    std::size_t complete = 0;
    for (auto [start, end] : g.frames) {
      if (start < cut && cut < end) split = true;
      if (end <= cut) ++complete;
    }
    EXPECT_EQ(s.whole, !split) << cut << ": " << s.problem;
    EXPECT_EQ(s.frames, complete) << cut;
    if (split && cut > g.head) {
      EXPECT_NE(s.problem.find("frame " + std::to_string(complete + 1)), std::string::npos)
          << s.problem;
    }
  }
}

TEST(GifScan, NotAGif) {
  for (std::string bytes : {std::string(), std::string("GIF8"), std::string("\x89PNG\r\n\x1a\n"),
                            std::string("GIF90a") + std::string(20, '\0')}) {
    GifScan s = scan(bytes);
    EXPECT_FALSE(s.is_gif);
    EXPECT_FALSE(s.whole);
  }
  GifScan head = scan("GIF89a\x01\x00");
  EXPECT_TRUE(head.is_gif);
  EXPECT_FALSE(head.whole);
}
