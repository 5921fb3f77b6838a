#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#include "platform/win/Regions.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

TRegionHandle BitmapToRegion(TBitmap& image, int x_offset, int y_offset, TColor color, uint8_t red_tolerance,
                             uint8_t green_tolerance, uint8_t blue_tolerance) {
  try {
    image.SetPixelFormat(TPixelFormat::pf32bit);
  } catch (...) {  // out of resources: the caller gets no region
    return {};
  }
  const COLORREF c = ColorToRGB(color);
  const int r_lo = GetRValue(c), g_lo = GetGValue(c), b_lo = GetBValue(c);
  const int r_hi = std::min(255, r_lo + red_tolerance), g_hi = std::min(255, g_lo + green_tolerance),
            b_hi = std::min(255, b_lo + blue_tolerance);
  // Rows are blue, green, red, unused.
  auto cut = [&](const uint8_t* p) {
    return p[2] >= r_lo && p[2] <= r_hi && p[1] >= g_lo && p[1] <= g_hi && p[0] >= b_lo && p[0] <= b_hi;
  };
  const int width = image.Width(), height = image.Height();
  try {
    // A row whose runs match the row above only lengthens that row's rectangles: a border
    // strip repeats the same few rows, and the region is built far faster from fewer pieces.
    std::vector<RECT> runs;
    size_t previous = 0;  // where the rectangles of the last distinct row begin
    for (int y = 0; y < height; ++y) {
      const uint8_t* row = image.ScanLine(y);
      if (!row) break;
      const size_t start = runs.size();
      int x = 0;
      while (x < width) {
        const int x0 = x;
        while (x < width && !cut(row + x * 4)) ++x;
        if (x > x0) runs.push_back({x0 + x_offset, y + y_offset, x + x_offset, y + y_offset + 1});
        ++x;  // past the cut pixel that ended the run
      }
      const size_t count = runs.size() - start;
      const bool same = y > 0 && count > 0 && count == start - previous &&
                        runs[previous].bottom == y + y_offset &&
                        std::equal(runs.begin() + static_cast<std::ptrdiff_t>(start), runs.end(),
                                   runs.begin() + static_cast<std::ptrdiff_t>(previous),
                                   [](const RECT& a, const RECT& b) { return a.left == b.left && a.right == b.right; });
      if (same) {
        for (size_t i = previous; i < start; ++i) runs[i].bottom = y + y_offset + 1;
        runs.resize(start);
      } else {
        previous = start;
      }
    }
    // Built 2000 rectangles at a time (older systems refuse long lists) and joined.
    return MakeRegionFromRects(runs);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace qn
