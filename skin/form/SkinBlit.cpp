#include "skin/form/SkinBlit.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/win/Blit.h"
#include "platform/win/GdiObjects.h"
#include "skin/form/SkinDraw.h"

namespace qn {

namespace {

TTransparentMethod g_method = TTransparentMethod::tmAuto;

bool OnNtPlatform() {
  static const bool nt = [] {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  }();
  return nt;
}

}  // namespace

void SetTransparentMethod(TTransparentMethod method) { g_method = method; }

namespace skinblit {

namespace {

// Larger requests get a surface of their own, so that one huge paint does not pin its memory.
constexpr int64_t kMaxKeptPixels = int64_t{1} << 22;

struct TKept {
  std::unique_ptr<TBitmap> bitmap;
  bool busy = false;
};

std::array<TKept, static_cast<size_t>(TPool::kCount)> g_kept;

std::unique_ptr<TBitmap> MakeSurface(int width, int height) {
  auto bmp = std::make_unique<TBitmap>(width, height, TPixelFormat::pfDevice);
  SetStretchBltMode(bmp->DC(), COLORONCOLOR);
  return bmp;
}

// The monochrome mask of the last transparent copy, kept like the buffers. It is selected into
// its DC only while drawn into or read as a plain source: MaskBlt takes it unselected.
struct TMask {
  TBitmapHandle bitmap;
  TMemDCHandle dc;
  int width = 0, height = 0;

  HBITMAP Ensure(int w, int h) {
    if (w <= width && h <= height && bitmap) return bitmap.Get();
    width = std::max(width, w);
    height = std::max(height, h);
    bitmap = TBitmapHandle(CreateBitmap(width, height, 1, 1, nullptr));
    if (!bitmap) width = height = 0;
    return bitmap.Get();
  }
  HDC DC() {
    if (!dc) dc = MakeMemDC();
    return dc.Get();
  }
  void Release() {
    bitmap.Reset();
    dc.Reset();
    width = height = 0;
  }
};

TMask g_mask;

}  // namespace

TBufferLease::TBufferLease(TPool pool, int width, int height) : pool_(pool) {
  if (width <= 0 || height <= 0) return;
  TKept& kept = g_kept[static_cast<size_t>(pool)];
  try {
    if (!kept.busy && int64_t{width} * height <= kMaxKeptPixels) {
      if (!kept.bitmap || kept.bitmap->Width() < width || kept.bitmap->Height() < height) {
        const int w = kept.bitmap ? std::max(width, kept.bitmap->Width()) : width;
        const int h = kept.bitmap ? std::max(height, kept.bitmap->Height()) : height;
        kept.bitmap.reset();
        kept.bitmap = MakeSurface(w, h);
      }
      kept.busy = pooled_ = true;
      dc_ = kept.bitmap->DC();
    } else {
      own_ = MakeSurface(width, height);
      dc_ = own_->DC();
    }
  } catch (...) {  // out of resources: nothing to draw into
    dc_ = nullptr;
    return;
  }
  PatBlt(dc_, 0, 0, width, height, BLACKNESS);
}

TBufferLease::~TBufferLease() {
  if (pooled_) g_kept[static_cast<size_t>(pool_)].busy = false;
}

void TransparentCopy(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, COLORREF color) {
  if (width <= 0 || height <= 0) return;
  HBITMAP mask = g_mask.Ensure(width, height);
  if (!mask) return;
  HDC mask_dc = g_mask.DC();
  if (!mask_dc) return;
  {
    // Colour to monochrome: pixels of the source's background colour become 1 (white).
    TScopedSelect select(mask_dc, mask);
    const COLORREF old_bk = SetBkColor(src, color);
    BitBlt(mask_dc, 0, 0, width, height, src, src_x, src_y, SRCCOPY);
    SetBkColor(src, old_bk);
  }
  const bool mask_blt = g_method == TTransparentMethod::tmMaskBlt ||
                        (g_method == TTransparentMethod::tmAuto && OnNtPlatform());
  if (mask_blt) {
    // Where the mask is 1 the target stays, elsewhere the source is copied.
    MaskBlit(dst, x, y, width, height, src, src_x, src_y, mask, 0, 0, kRopKeepTarget, SRCCOPY);
    return;
  }
  // target ^ source, masked to the transparent pixels, ^ source again: the target where the
  // mask is 1, the source where it is 0. The mask turns to colour through dst's colours.
  TScopedSelect select(mask_dc, mask);
  const COLORREF old_bk = SetBkColor(dst, RGB(255, 255, 255));
  const COLORREF old_text = SetTextColor(dst, RGB(0, 0, 0));
  BitBlt(dst, x, y, width, height, src, src_x, src_y, SRCINVERT);
  BitBlt(dst, x, y, width, height, mask_dc, 0, 0, SRCAND);
  BitBlt(dst, x, y, width, height, src, src_x, src_y, SRCINVERT);
  SetBkColor(dst, old_bk);
  SetTextColor(dst, old_text);
}

void ReleaseBuffers() {
  for (TKept& kept : g_kept)
    if (!kept.busy) kept.bitmap.reset();
  g_mask.Release();
}

}  // namespace skinblit
}  // namespace qn
