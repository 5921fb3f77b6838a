// Colour arithmetic and pixel operations on plain 24-bit buffers, shared by the skin loader and
// the painters through ImgUtil. No Windows header: colour values are 32-bit with red in the low
// byte, then green, then blue; a negative value names a system colour by the index in its low
// byte, which a caller-supplied resolver turns into a plain colour.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace qn::pixel {

// Failed precondition of these routines; the message names the unit ("imgutil").
class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Plain colour (0x00BBGGRR) of system colour number `index`.
using TSysColorResolver = uint32_t (*)(int index);

// A negative colour resolved through `resolve`; any other colour as it is.
int32_t ResolveColor(int32_t color, TSysColorResolver resolve);

inline int Red(int32_t c) { return c & 0xFF; }
inline int Green(int32_t c) { return (c >> 8) & 0xFF; }
inline int Blue(int32_t c) { return (c >> 16) & 0xFF; }
inline int32_t MakeColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }

// Weighted mix of two colours. A weight below 100 is a percentage of c1, otherwise per mille
// (150 gives 15 % of c1 and 85 % of c2). Each channel is rounded and its low 8 bits kept.
int32_t MixColors(int32_t c1, int32_t c2, int weight, TSysColorResolver resolve);

// 0..255 saturation of a colour's bytes, or 200 for a colour whose channels are all below 160
// (dark colours count as saturated).
int ColorSaturation(int32_t color);

// Colour ramps for gradient fills, cached in a ring of 16 so that the same fill repainted
// again and again does not recompute its ramp.
class TGradientCache {
 public:
  static constexpr int kEntries = 16;

  // Index of the ramp of `count` colours from c1 towards c2 (plain colours). Throws
  // EAssertionFailed when count < 1. A new ramp overwrites the oldest entry.
  int Table(int count, int32_t c1, int32_t c2);
  // The colours of entry `index` (0..15); empty for an entry never filled.
  const std::vector<int32_t>& Colors(int index) const;
  void Clear();

 private:
  struct TEntry {
    int32_t from = 0, to = 0;  // the colours the ramp was asked for
    std::vector<int32_t> colors;
  };
  std::array<TEntry, kEntries> entries_;
  int next_ = 0;  // ring position of the next new ramp
};

// The ramp itself: entry k of count colours is c1 moved by (h + k * d) / n on each channel,
// with n = count - 1, h = n / 2 and d the channel's difference, truncated toward zero; a
// single colour is c1 moved by half of each difference.
std::vector<int32_t> MakeGradient(int count, int32_t c1, int32_t c2);

// A view of 24-bit pixels (blue, green, red) that it does not own. Rows may run upwards in
// memory (a negative stride, as in a bottom-up device-independent bitmap).
struct TPixelView {
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;  // bytes from the start of one row to the next one below it
  uint8_t* top = nullptr;     // first byte of the top row

  uint8_t* Row(int y) const { return top + static_cast<std::ptrdiff_t>(y) * stride; }
  uint8_t* Pixel(int x, int y) const { return Row(y) + static_cast<std::ptrdiff_t>(x) * 3; }
  bool Empty() const { return width <= 0 || height <= 0 || top == nullptr; }
};

// Every pixel of the transparent colour (magenta: red 255, green 0, blue 255) takes the
// plain colour `color`.
void ReplaceMagenta(const TPixelView& view, int32_t color);
// Left to right.
void Mirror(const TPixelView& view);
// Top to bottom.
void Flip(const TPixelView& view);
// Quarter turns into `dst`, which must be src.height wide and src.width high; src and dst
// must not overlap. Returns false (dst untouched) when the sizes do not fit.
[[nodiscard]] bool RotateRight(const TPixelView& src, const TPixelView& dst);
[[nodiscard]] bool RotateLeft(const TPixelView& src, const TPixelView& dst);

}  // namespace qn::pixel
