#include "skin/data/PixelOps.h"

#include <algorithm>
#include <cstring>

namespace qn::pixel {

namespace {

constexpr char kAssertion[] = "Assertion failure (imgutil)";

uint8_t ByteOf(int64_t v) { return static_cast<uint8_t>(static_cast<uint64_t>(v) & 0xFF); }

int MixChannel(int a, int b, int weight, int scale) {
  // 64-bit: any int weight is accepted without overflow; out-of-range weights wrap in the
  // low byte as the channel arithmetic says.
  int64_t v = (int64_t{a} * weight + int64_t{b} * (int64_t{scale} - weight) + scale / 2) / scale;
  return ByteOf(v);
}

}  // namespace

int32_t ResolveColor(int32_t color, TSysColorResolver resolve) {
  if (color >= 0) return color;
  return static_cast<int32_t>(resolve(color & 0xFF) & 0xFFFFFF);
}

int32_t MixColors(int32_t c1, int32_t c2, int weight, TSysColorResolver resolve) {
  c1 = ResolveColor(c1, resolve);
  c2 = ResolveColor(c2, resolve);
  const int scale = weight < 100 ? 100 : 1000;
  return MakeColor(MixChannel(Red(c1), Red(c2), weight, scale), MixChannel(Green(c1), Green(c2), weight, scale),
                   MixChannel(Blue(c1), Blue(c2), weight, scale));
}

int ColorSaturation(int32_t color) {
  const int r = Red(color), g = Green(color), b = Blue(color);
  if (r < 160 && g < 160 && b < 160) return 200;
  const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
  // (hi - lo) / hi * 255 rounded half to even, in exact integers.
  const int num = (hi - lo) * 255;
  int q = num / hi;
  const int twice_rest = 2 * (num % hi);
  if (twice_rest > hi || (twice_rest == hi && (q & 1))) ++q;
  return q;
}

std::vector<int32_t> MakeGradient(int count, int32_t c1, int32_t c2) {
  if (count < 1) throw EAssertionFailed(kAssertion);
  const int64_t dr = Red(c2) - Red(c1), dg = Green(c2) - Green(c1), db = Blue(c2) - Blue(c1);
  std::vector<int32_t> ramp(static_cast<size_t>(count));
  if (count == 1) {
    ramp[0] = MakeColor(Red(c1) + static_cast<int>(dr / 2), Green(c1) + static_cast<int>(dg / 2),
                        Blue(c1) + static_cast<int>(db / 2));
    return ramp;
  }
  const int64_t n = count - 1, h = n / 2;
  for (int64_t k = 0; k <= n; ++k) {
    ramp[static_cast<size_t>(k)] = MakeColor(Red(c1) + static_cast<int>((h + k * dr) / n),
                                             Green(c1) + static_cast<int>((h + k * dg) / n),
                                             Blue(c1) + static_cast<int>((h + k * db) / n));
  }
  return ramp;
}

int TGradientCache::Table(int count, int32_t c1, int32_t c2) {
  if (count < 1) throw EAssertionFailed(kAssertion);
  // Keyed by the colours asked for, not by the ends of the ramp: a falling channel can stop
  // one step short of c2, and such a ramp must still be found again.
  for (int i = kEntries - 1; i >= 0; --i) {
    const TEntry& e = entries_[static_cast<size_t>(i)];
    if (e.colors.size() == static_cast<size_t>(count) && e.from == c1 && e.to == c2) return i;
  }
  const int index = next_;
  next_ = (next_ + 1) % kEntries;
  TEntry& e = entries_[static_cast<size_t>(index)];
  e.colors = MakeGradient(count, c1, c2);
  e.from = c1;
  e.to = c2;
  return index;
}

const std::vector<int32_t>& TGradientCache::Colors(int index) const {
  static const std::vector<int32_t> kNone;
  if (index < 0 || index >= kEntries) return kNone;
  return entries_[static_cast<size_t>(index)].colors;
}

void TGradientCache::Clear() {
  for (TEntry& e : entries_) e = TEntry{};
  next_ = 0;
}

void ReplaceMagenta(const TPixelView& view, int32_t color) {
  if (view.Empty()) return;
  const uint8_t r = static_cast<uint8_t>(Red(color)), g = static_cast<uint8_t>(Green(color)),
                b = static_cast<uint8_t>(Blue(color));
  for (int y = 0; y < view.height; ++y) {
    uint8_t* p = view.Row(y);
    for (int x = 0; x < view.width; ++x, p += 3) {
      if (p[0] == 255 && p[1] == 0 && p[2] == 255) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
      }
    }
  }
}

void Mirror(const TPixelView& view) {
  if (view.Empty()) return;
  for (int y = 0; y < view.height; ++y) {
    uint8_t* row = view.Row(y);
    for (int l = 0, r = view.width - 1; l < r; ++l, --r) std::swap_ranges(row + l * 3, row + l * 3 + 3, row + r * 3);
  }
}

void Flip(const TPixelView& view) {
  if (view.Empty()) return;
  const size_t bytes = static_cast<size_t>(view.width) * 3;
  for (int t = 0, b = view.height - 1; t < b; ++t, --b) std::swap_ranges(view.Row(t), view.Row(t) + bytes, view.Row(b));
}

namespace {

bool FitsTurned(const TPixelView& src, const TPixelView& dst) {
  return !src.Empty() && !dst.Empty() && dst.width == src.height && dst.height == src.width;
}

}  // namespace

bool RotateRight(const TPixelView& src, const TPixelView& dst) {
  if (!FitsTurned(src, dst)) return false;
  // Clockwise: the result's (x', y') is the source's (y', H - 1 - x').
  for (int y = 0; y < dst.height; ++y) {
    uint8_t* out = dst.Row(y);
    for (int x = 0; x < dst.width; ++x, out += 3) std::memcpy(out, src.Pixel(y, src.height - 1 - x), 3);
  }
  return true;
}

bool RotateLeft(const TPixelView& src, const TPixelView& dst) {
  if (!FitsTurned(src, dst)) return false;
  // Counter-clockwise: the result's (x', y') is the source's (W - 1 - y', x').
  for (int y = 0; y < dst.height; ++y) {
    uint8_t* out = dst.Row(y);
    for (int x = 0; x < dst.width; ++x, out += 3) std::memcpy(out, src.Pixel(src.width - 1 - y, x), 3);
  }
  return true;
}

}  // namespace qn::pixel
