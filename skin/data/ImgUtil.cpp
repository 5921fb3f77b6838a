#include "skin/data/ImgUtil.h"

#include <algorithm>
#include <cstring>

namespace qn {

namespace {

uint32_t SystemColor(int index) { return GetSysColor(index); }

// The unit's ramps; they live until the program ends. Used on the GUI thread only.
pixel::TGradientCache& Gradients() {
  static pixel::TGradientCache cache;
  return cache;
}

// Turns the bitmap a quarter: the pixels are copied out, the bitmap re-made with width and
// height swapped, and the turned pixels written back.
template <class Turn>
void TurnBitmap(TBitmap& bitmap, Turn turn) {
  pixel::TPixelView src = PixelView(bitmap);
  if (src.Empty()) return;
  const int w = src.width, h = src.height;
  const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(w) * 3;
  std::vector<uint8_t> copy(static_cast<size_t>(row) * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) std::memcpy(copy.data() + y * row, src.Row(y), static_cast<size_t>(row));
  // Emptied first so that the resize does not copy the old picture across.
  bitmap.SetSize(0, 0);
  bitmap.SetSize(h, w);
  pixel::TPixelView dst = PixelView(bitmap);
  (void)turn(pixel::TPixelView{w, h, row, copy.data()}, dst);
}

}  // namespace

pixel::TPixelView PixelView(TBitmap& bitmap) {
  // Device and monochrome bitmaps have no 24-bit rows, and 32-bit rows would be misread
  // three bytes a pixel: every routine here works on a 24-bit picture.
  if (bitmap.PixelFormat() != TPixelFormat::pf24bit) bitmap.SetPixelFormat(TPixelFormat::pf24bit);
  if (bitmap.Empty() || !bitmap.ScanLine(0)) return {};
  pixel::TPixelView v;
  v.width = bitmap.Width();
  v.height = bitmap.Height();
  v.top = bitmap.ScanLine(0);
  v.stride = bitmap.Height() > 1 ? bitmap.ScanLine(1) - v.top : bitmap.RowBytes();
  return v;
}

void ReplaceMagenta(TBitmap& bitmap, TColor color) {
  pixel::ReplaceMagenta(PixelView(bitmap), static_cast<int32_t>(ColorToRGB(color)));
}

void MirrorBitmap(TBitmap& bitmap) { pixel::Mirror(PixelView(bitmap)); }

void FlipBitmap(TBitmap& bitmap) { pixel::Flip(PixelView(bitmap)); }

void RotateBitmapRight(TBitmap& bitmap) { TurnBitmap(bitmap, pixel::RotateRight); }

void RotateBitmapLeft(TBitmap& bitmap) { TurnBitmap(bitmap, pixel::RotateLeft); }

TColor MixColors(TColor c1, TColor c2, int weight) { return pixel::MixColors(c1, c2, weight, SystemColor); }

int ColorSaturation(TColor color) { return pixel::ColorSaturation(color); }

int GradientTable(int count, TColor c1, TColor c2) { return Gradients().Table(count, c1, c2); }

const std::vector<int32_t>& GradientColors(int index) { return Gradients().Colors(index); }

void GradientFill(HDC dc, const RECT& rect, TColor c1, bool vertical, TColor c2) {
  if (!dc || !RectVisible(dc, &rect)) return;
  const int32_t from = static_cast<int32_t>(ColorToRGB(c1)), to = static_cast<int32_t>(ColorToRGB(c2));
  const int n = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  if (n <= 0) return;
  RECT clip{};
  if (GetClipBox(dc, &clip) == ERROR) return;
  const int start = vertical ? rect.top : rect.left;
  const int clip_start = vertical ? clip.top : clip.left, clip_end = vertical ? clip.bottom : clip.right;
  const int first = std::max(0, clip_start > start ? clip_start - start : 0);
  const int last = std::min(n - 1, clip_end < start + n ? clip_end - start - 1 : n - 1);
  if (first > last) return;
  const std::vector<int32_t>& ramp = GradientColors(GradientTable(n, from, to));
  // An opaque empty text run fills a rectangle with the background colour: no brush per line.
  const COLORREF old_bk = GetBkColor(dc);
  for (int i = first; i <= last; ++i) {
    RECT line = vertical ? RECT{rect.left, rect.top + i, rect.right, rect.top + i + 1}
                         : RECT{rect.left + i, rect.top, rect.left + i + 1, rect.bottom};
    SetBkColor(dc, static_cast<COLORREF>(ramp[static_cast<size_t>(i)]));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
  }
  SetBkColor(dc, old_bk);
}

}  // namespace qn
