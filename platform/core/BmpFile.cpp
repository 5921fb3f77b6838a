#include "platform/core/BmpFile.h"

#include <cstring>

namespace qn {

namespace {

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

bool Fail(std::string* error, const char* what) {
  if (error) *error = what;
  return false;
}

// Extracts a channel through its bit-field mask, scaled to 8 bits.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  uint32_t m = mask >> shift;
  int width = 0;
  while ((m >> width) & 1) ++width;
  uint32_t v = (pixel & mask) >> shift;
  if (width >= 8) return static_cast<uint8_t>(v >> (width - 8));
  uint32_t top = (1u << width) - 1;  // scale so that full scale stays full scale
  return static_cast<uint8_t>((v * 255 + top / 2) / top);
}

}  // namespace

bool TBmpDecoder::Check(const uint8_t* data, size_t size, std::string* error) {
  *this = TBmpDecoder();
  if (!data || size < 14 + 12) return Fail(error, "bitmap too short");
  if (data[0] != 'B' || data[1] != 'M') return Fail(error, "not a bitmap file");
  const uint8_t* info = data + 14;
  const size_t info_avail = size - 14;
  uint32_t header_size = U32(info);
  if (header_size < 12 || header_size > info_avail) return Fail(error, "bad header size");

  int64_t width, height;
  uint32_t bits, compression = 0, colors_used = 0;
  size_t palette_entry;
  if (header_size == 12) {  // OS/2 core header
    width = U16(info + 4);
    height = static_cast<int16_t>(U16(info + 6));
    bits = U16(info + 10);
    palette_entry = 3;
  } else {
    if (header_size < 40) return Fail(error, "bad header size");
    width = static_cast<int32_t>(U32(info + 4));
    height = static_cast<int32_t>(U32(info + 8));
    bits = U16(info + 14);
    compression = U32(info + 16);
    colors_used = U32(info + 32);
    palette_entry = 4;
  }
  bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0) return Fail(error, "empty bitmap");
  if (width * height > kMaxBmpPixels) return Fail(error, "bitmap too large");

  if (compression == 3 /* BI_BITFIELDS */) {
    if (bits != 16 && bits != 32) return Fail(error, "bit fields need 16 or 32 bits");
    size_t at = 14 + (header_size >= 52 ? 40 : header_size);
    if (at + 12 > size) return Fail(error, "bit fields past the end");
    for (int i = 0; i < 3; ++i) masks_[i] = U32(data + at + 4 * i);
  } else if (compression != 0) {
    return Fail(error, "compressed bitmaps are not supported");
  } else if (bits == 16) {
    masks_[0] = 0x7C00; masks_[1] = 0x03E0; masks_[2] = 0x001F;
  } else if (bits == 32) {
    masks_[0] = 0xFF0000; masks_[1] = 0xFF00; masks_[2] = 0xFF;
  }

  if (bits == 1 || bits == 4 || bits == 8) {
    size_t entries = colors_used ? colors_used : (size_t(1) << bits);
    if (entries > (size_t(1) << bits)) entries = size_t(1) << bits;
    size_t at = 14 + header_size + (compression == 3 ? 12 : 0);
    if (at > size || entries > (size - at) / palette_entry) return Fail(error, "palette past the end");
    for (size_t i = 0; i < entries; ++i) std::memcpy(&palette_[i * 3], data + at + i * palette_entry, 3);
  } else if (bits != 16 && bits != 24 && bits != 32) {
    return Fail(error, "unsupported bit count");
  }

  const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
  const uint64_t offset = U32(data + 10);
  if (offset < 14 + header_size || offset > size) return Fail(error, "pixel data offset out of range");
  if (stride * uint64_t(height) > size - offset) return Fail(error, "pixel data past the end");

  data_ = data;
  width_ = width;
  height_ = height;
  bits_ = bits;
  top_down_ = top_down;
  stride_ = stride;
  offset_ = offset;
  return true;
}

void TBmpDecoder::Rows(uint8_t* top_row, ptrdiff_t dst_stride) const {
  for (int64_t y = 0; y < height_; ++y) {
    const uint8_t* row = data_ + offset_ + stride_ * uint64_t(top_down_ ? y : height_ - 1 - y);
    uint8_t* dst = top_row + dst_stride * static_cast<ptrdiff_t>(y);
    if (bits_ == 24) {
      std::memcpy(dst, row, size_t(width_) * 3);
      continue;
    }
    for (int64_t x = 0; x < width_; ++x, dst += 3) {
      switch (bits_) {
        case 1: case 4: case 8: {
          uint64_t bit = uint64_t(x) * bits_;
          unsigned idx = (row[bit / 8] >> (8 - bits_ - bit % 8)) & ((1u << bits_) - 1);
          std::memcpy(dst, &palette_[idx * 3], 3);
          break;
        }
        default: {
          uint32_t px = bits_ == 16 ? U16(row + x * 2) : U32(row + x * 4);
          dst[0] = Channel(px, masks_[2]);
          dst[1] = Channel(px, masks_[1]);
          dst[2] = Channel(px, masks_[0]);
          break;
        }
      }
    }
  }
}

bool DecodeBmp(const uint8_t* data, size_t size, TBmpImage& out, std::string* error) {
  out = {};
  TBmpDecoder decoder;
  if (!decoder.Check(data, size, error)) return false;
  out.width = decoder.Width();
  out.height = decoder.Height();
  out.bits = decoder.Bits();
  out.bgr.resize(size_t(out.width) * size_t(out.height) * 3);
  decoder.Rows(out.bgr.data(), static_cast<ptrdiff_t>(out.width) * 3);
  return true;
}

std::vector<uint8_t> EncodeBmp24(const TBmpImage& image) {
  const uint32_t stride = (uint32_t(image.width) * 3 + 3) & ~3u;
  const uint32_t data_size = stride * uint32_t(image.height);
  std::vector<uint8_t> out(54 + data_size, 0);
  auto put16 = [&](size_t at, uint32_t v) { out[at] = uint8_t(v); out[at + 1] = uint8_t(v >> 8); };
  auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, 54 + data_size);
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(image.width));
  put32(22, uint32_t(image.height));
  put16(26, 1);
  put16(28, 24);
  put32(34, data_size);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(&out[54 + size_t(image.height - 1 - y) * stride], &image.bgr[size_t(y) * size_t(image.width) * 3],
                size_t(image.width) * 3);
  }
  return out;
}

}  // namespace qn
