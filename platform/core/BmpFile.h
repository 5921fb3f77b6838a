// Reading Windows bitmap files from untrusted bytes (skin packages): every size and offset
// is checked against the data, so a damaged file is refused, never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qn {

struct TBmpImage {
  int width = 0;
  int height = 0;
  int bits = 0;                // bits per pixel of the file
  std::vector<uint8_t> bgr;    // width * height * 3 bytes, rows top-down, blue-green-red
};

// Decodes a bitmap file (1, 4, 8, 16, 24 or 32 bits, uncompressed or bit-field coded).
// Returns false and sets error for anything it cannot read safely.
bool DecodeBmp(const uint8_t* data, size_t size, TBmpImage& out, std::string* error = nullptr);

// Writes a 24-bit bitmap file of the image.
std::vector<uint8_t> EncodeBmp24(const TBmpImage& image);

// Largest picture accepted, in pixels, so that a lying header cannot claim gigabytes.
constexpr int64_t kMaxBmpPixels = 16 * 1024 * 1024;

}  // namespace qn
