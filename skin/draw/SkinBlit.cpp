#include "skin/draw/SkinBlit.h"

#include <algorithm>
#include <mutex>
#include <array>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/win/Blit.h"
#include "platform/win/GdiObjects.h"
#include "skin/draw/SkinDraw.h"

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

// Wine emulates MaskBlt with temporary bitmaps on every call (tens to hundreds of times a
// plain blit); the three blits give the same pixels there at a fraction of the cost.
bool OnWine() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
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
// Windows of different GUI threads may paint at the same moment: taking and giving back a
// kept buffer happens under this lock; a thread that finds one busy draws into its own.
std::mutex g_kept_lock;

std::unique_ptr<TBitmap> MakeSurface(int width, int height) {
  auto bmp = std::make_unique<TBitmap>(width, height, TPixelFormat::pfDevice);
  SetStretchBltMode(bmp->DC(), COLORONCOLOR);
  return bmp;
}

// The monochrome mask of a transparent copy, kept like the buffers: 1 where the source has
// exactly the transparent colour. It is the mask a colour-to-monochrome blit with that
// background colour makes, but Wine makes that one pixel by pixel (about 60 us for a title
// strip); reading the pixels as 32-bit rows and setting the bits here takes a tenth of it.
// The mask is selected into its DC only while read as a plain source: MaskBlt takes it
// unselected.
class TMask {
 public:
  // The mask of w x h of src at (sx, sy), in the top-left corner of the kept bitmap.
  HBITMAP Make(HDC src, int sx, int sy, int w, int h, COLORREF color) {
    if (!Ensure(w, h)) return nullptr;
    BitBlt(pixels_->DC(), 0, 0, w, h, src, sx, sy, SRCCOPY);
    const uint32_t key = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    std::fill(bits_.begin(), bits_.end(), uint8_t{0});
    for (int y = 0; y < h; ++y) {
      const auto* p = reinterpret_cast<const uint32_t*>(pixels_->ScanLine(y));
      uint8_t* out = bits_.data() + static_cast<size_t>(y) * row_bytes_;
      for (int x = 0; x < w; ++x)
        if ((p[x] & 0xFFFFFF) == key) out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    SetBitmapBits(bitmap_.Get(), static_cast<DWORD>(bits_.size()), bits_.data());
    return bitmap_.Get();
  }
  HDC DC() {
    if (!dc_) dc_ = MakeMemDC();
    return dc_.Get();
  }
  void Release() {
    bitmap_.Reset();
    dc_.Reset();
    pixels_.reset();
    bits_ = {};
    row_bytes_ = 0;
    width_ = height_ = 0;
  }
  bool Oversized() const { return int64_t{width_} * height_ > kMaxKeptPixels; }

 private:
  bool Ensure(int w, int h) {
    if (w <= width_ && h <= height_ && bitmap_) return true;
    const int nw = std::max(width_, w), nh = std::max(height_, h);
    Release();
    try {
      pixels_ = std::make_unique<TBitmap>(nw, nh, TPixelFormat::pf32bit);
      bitmap_ = TBitmapHandle(CreateBitmap(nw, nh, 1, 1, nullptr));
      BITMAP info{};
      if (!bitmap_ || !GetObjectW(bitmap_.Get(), sizeof info, &info)) throw std::bad_alloc();
      width_ = nw;
      height_ = nh;
      row_bytes_ = static_cast<size_t>(info.bmWidthBytes);
      bits_.resize(row_bytes_ * static_cast<size_t>(nh));
    } catch (...) {
      Release();
      return false;
    }
    return true;
  }

  TBitmapHandle bitmap_;
  TMemDCHandle dc_;
  std::unique_ptr<TBitmap> pixels_;  // 32-bit rows: blue, green, red, unused
  std::vector<uint8_t> bits_;        // the mask's rows as the bitmap keeps them
  size_t row_bytes_ = 0;
  int width_ = 0, height_ = 0;
};

TMask g_mask;
bool g_mask_busy = false;  // under g_kept_lock

// The copy itself, through a mask made for it.
void MaskedCopy(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, HBITMAP mask,
                HDC mask_dc) {
  const bool mask_blt = g_method == TTransparentMethod::tmMaskBlt ||
                        (g_method == TTransparentMethod::tmAuto && OnNtPlatform() && !OnWine());
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

}  // namespace

TBufferLease::TBufferLease(TPool pool, int width, int height) : pool_(pool) {
  if (width <= 0 || height <= 0) return;
  TKept& kept = g_kept[static_cast<size_t>(pool)];
  try {
    {
      std::lock_guard<std::mutex> guard(g_kept_lock);
      if (!kept.busy && int64_t{width} * height <= kMaxKeptPixels) {
        if (!kept.bitmap || kept.bitmap->Width() < width || kept.bitmap->Height() < height) {
          const int w = kept.bitmap ? std::max(width, kept.bitmap->Width()) : width;
          const int h = kept.bitmap ? std::max(height, kept.bitmap->Height()) : height;
          kept.bitmap.reset();
          kept.bitmap = MakeSurface(w, h);
        }
        kept.busy = pooled_ = true;
        dc_ = kept.bitmap->DC();
      }
    }
    if (!pooled_) {
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
  if (!pooled_) return;
  std::lock_guard<std::mutex> guard(g_kept_lock);
  g_kept[static_cast<size_t>(pool_)].busy = false;
}

void TransparentCopy(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, COLORREF color) {
  if (width <= 0 || height <= 0) return;
  bool shared = false;
  {
    std::lock_guard<std::mutex> guard(g_kept_lock);
    if (!g_mask_busy) shared = g_mask_busy = true;
  }
  TMask own;  // another thread holds the kept mask: one of our own for this copy
  TMask& m = shared ? g_mask : own;
  HBITMAP mask = m.Make(src, src_x, src_y, width, height, color);
  HDC mask_dc = m.DC();
  if (mask && mask_dc) MaskedCopy(dst, x, y, width, height, src, src_x, src_y, mask, mask_dc);
  if (!shared) return;
  if (g_mask.Oversized()) g_mask.Release();  // one huge copy does not pin its memory
  std::lock_guard<std::mutex> guard(g_kept_lock);
  g_mask_busy = false;
}

void ReleaseBuffers() {
  std::lock_guard<std::mutex> guard(g_kept_lock);
  for (TKept& kept : g_kept)
    if (!kept.busy) kept.bitmap.reset();
  if (!g_mask_busy) g_mask.Release();
}

}  // namespace skinblit
}  // namespace qn
