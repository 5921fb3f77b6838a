// A skin-like archive for the codec benchmark: 24-bit bitmaps of the kinds a skin holds (frame
// pieces, caption buttons with their frames side by side, faces, scroll-bar parts) made of
// gradients, flat areas and magenta backgrounds, and a definition text: 265,772 bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace qn::bench {

// The archive, uncompressed (as a package holds it after decompression).
std::vector<uint8_t> SkinSampleArchive();

}  // namespace qn::bench
