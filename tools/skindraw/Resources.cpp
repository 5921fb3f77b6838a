#include "tools/skindraw/Resources.h"

#include <stdexcept>

namespace qn::skindraw {

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A palette bitmap file of 1 or 4 bits; pixels are palette indices, rows top-down.
std::vector<uint8_t> EncodeIndexed(int width, int height, int bits, const std::vector<uint32_t>& palette,
                                   const std::vector<int>& pixels) {
  const uint32_t stride = ((uint32_t(width) * uint32_t(bits) + 31) / 32) * 4;
  const uint32_t offset = 14 + 40 + uint32_t(palette.size()) * 4;
  std::vector<uint8_t> out(offset + stride * uint32_t(height), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, uint32_t(out.size()));
  Put32(out, 10, offset);
  Put32(out, 14, 40);
  Put32(out, 18, uint32_t(width));
  Put32(out, 22, uint32_t(height));
  Put16(out, 26, 1);
  Put16(out, 28, uint32_t(bits));
  Put32(out, 34, stride * uint32_t(height));
  Put32(out, 46, uint32_t(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i) {
    out[54 + i * 4] = uint8_t(palette[i]);            // blue
    out[54 + i * 4 + 1] = uint8_t(palette[i] >> 8);   // green
    out[54 + i * 4 + 2] = uint8_t(palette[i] >> 16);  // red
  }
  for (int y = 0; y < height; ++y) {
    uint8_t* row = out.data() + offset + size_t(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const int v = pixels[size_t(y) * size_t(width) + size_t(x)];
      if (bits == 4) row[x / 2] |= uint8_t(x % 2 == 0 ? v << 4 : v);
      else if (v) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
  }
  return out;
}

// The 16 standard colours, 0xRRGGBB; silver is 7, grey 8, white 15.
const std::vector<uint32_t> kVga = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                    0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                    0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

std::vector<int> FromRows(const std::vector<std::string>& rows) {
  std::vector<int> px;
  for (const auto& r : rows)
    for (char c : r) px.push_back(c == 'S' ? 7 : c == 'G' ? 8 : c == 'W' ? 15 : throw std::logic_error("colour"));
  return px;
}

std::vector<uint8_t> Track() {
  const std::string g12(12, 'G'), w14(14, 'W');
  return EncodeIndexed(16, 4, 4, kVga, FromRows({"SS" + g12 + "WW", "SS" + w14, "GS" + w14, "SS" + w14}));
}

std::vector<uint8_t> TrackVert() {
  std::vector<std::string> rows = {"SSGS", "SSSS"};
  for (int i = 0; i < 12; ++i) rows.push_back("GWWW");
  rows.push_back("WWWW");
  rows.push_back("WWWW");
  return EncodeIndexed(4, 16, 4, kVga, FromRows(rows));
}

// Four 16 x 16 glyphs in black on white: restore, maximise, minimise, close. Coordinates
// are inclusive.
std::vector<uint8_t> GlazeMenu() {
  const int w = 64, h = 16;
  std::vector<int> px(size_t(w) * h, 1);  // 1 = white
  auto set = [&](int glyph, int x, int y, int v) { px[size_t(y) * w + size_t(glyph * 16 + x)] = v; };
  auto window = [&](int glyph, int x0, int y0, int x1, int y1) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        bool outline = x == x0 || x == x1 || y == y0 || y == y1 || y == y0 + 1;
        set(glyph, x, y, outline ? 0 : 1);
      }
  };
  window(0, 5, 4, 12, 9);   // restore: the window behind
  window(0, 3, 7, 10, 12);  // and the one in front, hiding part of it
  window(1, 3, 3, 12, 12);  // maximise
  for (int y = 7; y <= 8; ++y)
    for (int x = 5; x <= 11; ++x) set(2, x, y, 0);  // minimise
  for (int i = 0; i <= 8; ++i) {                    // close: two-pixel diagonals
    const int y = 4 + i;
    set(3, 3 + i, y, 0);
    set(3, 4 + i, y, 0);
    set(3, 12 - i, y, 0);
    set(3, 11 - i, y, 0);
  }
  return EncodeIndexed(w, h, 1, {0x000000, 0xFFFFFF}, px);
}

}  // namespace

std::vector<std::pair<std::string, std::vector<uint8_t>>> EngineResources() {
  return {{"track.bmp", Track()}, {"trackvert.bmp", TrackVert()}, {"glazemenu.bmp", GlazeMenu()}};
}

}  // namespace qn::skindraw
