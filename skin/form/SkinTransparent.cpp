// DrawTransparent in a file of its own: the skin loader still carries a routine of that name
// until it draws through these, and a program that links both must not get two definitions
// from the same call.
#include <algorithm>
#include <cstdint>

#include "skin/form/SkinBlit.h"
#include "skin/form/SkinDraw.h"

namespace qn {

void DrawTransparent(HDC dc, const RECT& dest, TBitmap& image, TColor transparent_color) {
  if (dest.right < dest.left || dest.bottom < dest.top || image.Empty()) return;
  // Beyond the image there is nothing to copy; the target keeps its pixels there.
  const int w = static_cast<int>(std::min<int64_t>(int64_t{dest.right} - dest.left, image.Width()));
  const int h = static_cast<int>(std::min<int64_t>(int64_t{dest.bottom} - dest.top, image.Height()));
  skinblit::TransparentCopy(dc, dest.left, dest.top, w, h, image.DC(), 0, 0, ColorToRGB(transparent_color));
}

}  // namespace qn
