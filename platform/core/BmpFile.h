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

// The same in two steps, for callers that own the destination: Check reads and checks the
// headers (false and error for a file it cannot read safely), then Rows writes the picture
// as 24-bit rows, top row first, the next one `stride` bytes further (negative for a
// bottom-up destination).
class TBmpDecoder {
 public:
  bool Check(const uint8_t* data, size_t size, std::string* error = nullptr);
  int Width() const { return static_cast<int>(width_); }
  int Height() const { return static_cast<int>(height_); }
  int Bits() const { return static_cast<int>(bits_); }
  void Rows(uint8_t* top_row, ptrdiff_t stride) const;

 private:
  const uint8_t* data_ = nullptr;
  int64_t width_ = 0, height_ = 0;
  uint32_t bits_ = 0;
  bool top_down_ = false;
  uint64_t stride_ = 0, offset_ = 0;
  uint32_t masks_[3] = {0, 0, 0};
  uint8_t palette_[256 * 3] = {};
};

// Writes a 24-bit bitmap file of the image.
std::vector<uint8_t> EncodeBmp24(const TBmpImage& image);

// Largest picture accepted, in pixels, so that a lying header cannot claim gigabytes.
constexpr int64_t kMaxBmpPixels = 16 * 1024 * 1024;

}  // namespace qn
