// Regions beyond a plain rectangle (GdiObjects.h): built from many rectangles or pixel runs at
// once, combined, and handed to a window as its shape.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win/GdiObjects.h"

namespace qn {

// A horizontal run of pixels [left, right) on row y, as a bitmap's opaque spans are found.
struct TPixelRun {
  int y;
  int left;
  int right;
};

// The union of the rectangles (empty ones are skipped); an empty region for none. Null only
// when the system is out of resources.
TRegionHandle MakeRegionFromRects(const std::vector<RECT>& rects);
TRegionHandle MakeRegionFromRuns(const std::vector<TPixelRun>& runs);

// dest := a <mode> b (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY); dest may be a or b.
// False when the system fails; dest is then unchanged or undefined as CombineRgn leaves it.
[[nodiscard]] bool CombineRegions(HRGN dest, HRGN a, HRGN b, int mode);

// Gives the window its shape. On success the window owns the region and `region` is left
// empty; on failure `region` keeps it. An empty owner removes the window's shape.
[[nodiscard]] bool SetWindowRegion(HWND wnd, TRegionHandle& region, bool redraw);

}  // namespace qn
