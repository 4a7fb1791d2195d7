// GIF block structure, walked without decoding any pixels: enough to tell a
// file cut short from a whole one before playback reaches the missing frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

namespace tazu::media {

struct GifScan {
  bool is_gif = false;                  // starts with a GIF87a or GIF89a signature
  bool whole = false;                   // every frame's data is present to its end
  std::size_t frames = 0;               // frames whose data is present to its end
  std::uint16_t width = 0, height = 0;  // the logical screen
  std::string problem;                  // why the file is not whole, in plain words
};

// Reads the stream from its current position to the end of the GIF. Like
// common decoders, it stops without complaint at the trailer, at the end of the
// data between blocks, and inside a cut extension; stray bytes between blocks are
// skipped. A cut header, image descriptor, colour table or image data makes the
// file not whole.
GifScan scan_gif(std::istream& in);

}  // namespace tazu::media
