#include "platform/win/Regions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace qn {

namespace {

// Older systems refuse very long rectangle lists in one ExtCreateRegion call, so long lists
// are built in parts and joined.
constexpr size_t kRectsPerCall = 2000;

TRegionHandle RegionOfPart(const RECT* rects, size_t count) {
  std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
  auto* head = reinterpret_cast<RGNDATAHEADER*>(data.data());
  head->dwSize = sizeof(RGNDATAHEADER);
  head->iType = RDH_RECTANGLES;
  head->nCount = static_cast<DWORD>(count);
  head->nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
  RECT bounds{0, 0, 0, 0};
  if (count > 0) {
    bounds = rects[0];
    for (size_t i = 1; i < count; ++i) {
      bounds.left = std::min(bounds.left, rects[i].left);
      bounds.top = std::min(bounds.top, rects[i].top);
      bounds.right = std::max(bounds.right, rects[i].right);
      bounds.bottom = std::max(bounds.bottom, rects[i].bottom);
    }
  }
  head->rcBound = bounds;
  if (count > 0) std::memcpy(data.data() + sizeof(RGNDATAHEADER), rects, count * sizeof(RECT));
  return TRegionHandle(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data())));
}

}  // namespace

TRegionHandle MakeRegionFromRects(const std::vector<RECT>& rects) {
  std::vector<RECT> kept;
  kept.reserve(rects.size());
  for (const RECT& r : rects)
    if (r.right > r.left && r.bottom > r.top) kept.push_back(r);
  if (kept.empty()) return MakeRectRgn(0, 0, 0, 0);
  TRegionHandle all;
  for (size_t at = 0; at < kept.size(); at += kRectsPerCall) {
    TRegionHandle part = RegionOfPart(kept.data() + at, std::min(kRectsPerCall, kept.size() - at));
    if (!part) return {};
    if (!all) {
      all = std::move(part);
    } else if (!CombineRegions(all.Get(), all.Get(), part.Get(), RGN_OR)) {
      return {};
    }
  }
  return all;
}

TRegionHandle MakeRegionFromRuns(const std::vector<TPixelRun>& runs) {
  std::vector<RECT> rects;
  rects.reserve(runs.size());
  for (const TPixelRun& r : runs) rects.push_back({r.left, r.y, r.right, r.y + 1});
  return MakeRegionFromRects(rects);
}

bool CombineRegions(HRGN dest, HRGN a, HRGN b, int mode) {
  if (!dest || !a || (!b && mode != RGN_COPY)) return false;
  return CombineRgn(dest, a, b, mode) != ERROR;
}

bool SetWindowRegion(HWND wnd, TRegionHandle& region, bool redraw) {
  if (!SetWindowRgn(wnd, region.Get(), redraw)) return false;
  (void)region.Release();  // the window owns it now
  return true;
}

}  // namespace qn
