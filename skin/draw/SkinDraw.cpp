#include "skin/draw/SkinDraw.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>
#include <vector>

#include "skin/draw/SkinBlit.h"

namespace qn {

using skinblit::TBufferLease;
using skinblit::TPool;
using skinblit::TransparentCopy;

namespace {

// Margins beyond any real target are cut here, so that sums of them cannot overflow.
constexpr int kMaxMargin = 1 << 20;
// Frame origins are kept within this distance of the image; beyond it nothing is drawn anyway.
constexpr int64_t kFarOutside = int64_t{1} << 30;

struct TFrame {
  int x, y, w, h;
};

struct TMargins {
  int l, t, r, b;
};

bool Inverted(const RECT& r) { return r.right < r.left || r.bottom < r.top; }

int Width(const RECT& r) { return static_cast<int>(std::clamp<int64_t>(int64_t{r.right} - r.left, INT_MIN, INT_MAX)); }
int Height(const RECT& r) { return static_cast<int>(std::clamp<int64_t>(int64_t{r.bottom} - r.top, INT_MIN, INT_MAX)); }

TMargins Clamped(const RECT& m) {
  auto c = [](LONG v) { return static_cast<int>(std::clamp<LONG>(v, 0, kMaxMargin)); };
  return {c(m.left), c(m.top), c(m.right), c(m.bottom)};
}

TFrame SelectFrame(const TBitmap& image, int index, int count, bool vertical) {
  if (count < 1) count = 1;
  auto origin = [&](int size) {
    return static_cast<int>(std::clamp<int64_t>((int64_t{index} - 1) * size, -kFarOutside, kFarOutside));
  };
  if (vertical) {
    const int h = image.Height() / count;
    return {0, origin(h), image.Width(), h};
  }
  const int w = image.Width() / count;
  return {origin(w), 0, w, image.Height()};
}

bool Inside(TBitmap& image, int x, int y, int w, int h) {
  return x >= 0 && y >= 0 && int64_t{x} + w <= image.Width() && int64_t{y} + h <= image.Height();
}

// One piece of the picture: source (sx, sy, sw, sh) of src onto (x, y, w, h) of dc, stretched
// in dc's mode when the sizes differ.
void Piece(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh) {
  if (w == sw && h == sh) {
    BitBlt(dc, x, y, w, h, src, sx, sy, SRCCOPY);
  } else {
    StretchBlt(dc, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY);
  }
}

// Tiles (sx, sy, sw, sh) of src over dest of dc. Tiles wholly outside dc's clip box would
// draw nothing and are skipped, which also bounds the work for huge targets.
void Tile(HDC dc, const RECT& dest, HDC src, int sx, int sy, int sw, int sh) {
  int64_t x0 = dest.left, y0 = dest.top, x1 = dest.right, y1 = dest.bottom;
  RECT clip;
  if (GetClipBox(dc, &clip) != ERROR) {
    if (clip.left > x0) x0 += (clip.left - x0) / sw * sw;
    if (clip.top > y0) y0 += (clip.top - y0) / sh * sh;
    x1 = std::min<int64_t>(x1, clip.right);
    y1 = std::min<int64_t>(y1, clip.bottom);
  }
  for (int64_t x = x0; x < x1; x += sw)
    for (int64_t y = y0; y < y1; y += sh)
      BitBlt(dc, static_cast<int>(x), static_cast<int>(y), sw, sh, src, sx, sy, SRCCOPY);
}

void TileOnDC(HDC dc, const RECT& dest, TBitmap& image, const RECT& source) {
  const int sw = Width(source), sh = Height(source);
  if (sw <= 0 || sh <= 0 || dest.right <= dest.left || dest.bottom <= dest.top) return;
  if (Inside(image, source.left, source.top, sw, sh)) {
    Tile(dc, dest, image.DC(), source.left, source.top, sw, sh);
    return;
  }
  // Part of the source lies outside the image: a tile of it, black where the image ends.
  TBufferLease tile(TPool::kTile, sw, sh);
  if (!tile.DC()) return;
  if (!image.Empty()) BitBlt(tile.DC(), 0, 0, sw, sh, image.DC(), source.left, source.top, SRCCOPY);
  Tile(dc, dest, tile.DC(), 0, 0, sw, sh);
}

// The nine-slice picture of w x h at dc's (0, 0); dc is black there and in COLORONCOLOR mode.
void ComposeNineSlice(HDC dc, int w, int h, TBitmap& image, const TFrame& f, const TMargins& m, bool tile) {
  int l = m.l, t = m.t, r = m.r, b = m.b;
  if (l + r > w) l = r = 0;
  if (t + b > h) t = b = 0;
  if (image.Empty()) return;
  HDC src = image.DC();
  const int x0 = f.x, y0 = f.y, fw = f.w, fh = f.h;
  const int cw = fw - l - r, ch = fh - t - b;  // the centre of the source
  if (l > 0 && t > 0) Piece(dc, 0, 0, l, t, src, x0, y0, l, t);
  if (l > 0 && b > 0) Piece(dc, 0, h - b, l, b, src, x0, y0 + fh - b, l, b);
  if (r > 0 && t > 0) Piece(dc, w - r, 0, r, t, src, x0 + fw - r, y0, r, t);
  if (l > 0) Piece(dc, 0, t, l, h - t - b, src, x0, y0 + t, l, ch);
  if (t > 0) Piece(dc, l, 0, w - l - r, t, src, x0 + l, y0, cw, t);
  if (tile) {
    TileOnDC(dc, RECT{l, t, w - r, h - b}, image, RECT{x0 + l, y0 + t, x0 + fw - r, y0 + fh - b});
  } else {
    Piece(dc, l, t, w - l - r, h - t - b, src, x0 + l, y0 + t, cw, ch);
  }
  // The right and bottom pieces come after the centre and cover what its tiles overhang.
  if (r > 0 && b > 0) Piece(dc, w - r, h - b, r, b, src, x0 + fw - r, y0 + fh - b, r, b);
  if (r > 0) Piece(dc, w - r, t, r, h - t - b, src, x0 + fw - r, y0 + t, r, ch);
  if (b > 0) Piece(dc, l, h - b, w - l - r, b, src, x0 + l, y0 + fh - b, cw, b);
}

// The strip picture of w x h at dc's (0, 0); dc is black there and in COLORONCOLOR mode.
void ComposeStrip(HDC dc, int w, int h, TBitmap& image, const TFrame& f, const TMargins& m) {
  if (image.Empty()) return;
  HDC src = image.DC();
  const int l = m.l, r = m.r, x0 = f.x, y0 = f.y, fw = f.w, fh = f.h;
  Piece(dc, 0, 0, l, h, src, x0, y0, l, fh);
  const int mw = fw - l - r;
  if (mw > 0) {
    for (int64_t x = l; x < int64_t{w} - r; x += mw)
      Piece(dc, static_cast<int>(x), 0, mw, h, src, x0 + l, y0, mw, fh);
  }
  Piece(dc, w - r, 0, r, h, src, x0 + fw - r, y0, r, fh);
}

// Copies w x h of a composed picture at src's (0, 0) to dc at (x, y).
void Deliver(HDC dc, int x, int y, int w, int h, HDC src, bool transparent) {
  if (transparent) {
    TransparentCopy(dc, x, y, w, h, src, 0, 0, ColorToRGB(kSkinTransparent));
  } else {
    BitBlt(dc, x, y, w, h, src, 0, 0, SRCCOPY);
  }
}

}  // namespace

namespace {

// Pictures given back by their owners, ready for the next one of the same size.
struct TRecyclePool {
  std::mutex lock;  // painters of several GUI threads give back and take at once
  std::vector<std::unique_ptr<TBitmap>> free;
  bool closed = false;
  ~TRecyclePool() { closed = true; }
};
constexpr size_t kRecycled = 8;

TRecyclePool& RecyclePool() {
  static TRecyclePool pool;
  return pool;
}

std::unique_ptr<TBitmap> TakeRecycled(int w, int h) {
  TRecyclePool& pool = RecyclePool();
  std::unique_lock<std::mutex> guard(pool.lock);
  auto& free = pool.free;
  for (auto it = free.begin(); it != free.end(); ++it) {
    if ((*it)->Width() == w && (*it)->Height() == h) {
      std::unique_ptr<TBitmap> b = std::move(*it);
      free.erase(it);
      guard.unlock();
      // Black, as a new device bitmap is: a picture from an empty image stays black.
      PatBlt(b->DC(), 0, 0, w, h, BLACKNESS);
      return b;
    }
  }
  return nullptr;
}

}  // namespace

void TSkinBitmapRecycler::operator()(TBitmap* bitmap) const {
  TRecyclePool& pool = RecyclePool();
  if (!bitmap) return;
  std::unique_lock<std::mutex> guard(pool.lock);
  if (pool.closed || bitmap->Empty() || bitmap->PixelFormat() != TPixelFormat::pfDevice ||
      pool.free.size() >= kRecycled) {
    guard.unlock();
    delete bitmap;
    return;
  }
  bitmap->SetTransparent(false);
  pool.free.emplace_back(bitmap);
}

void ReleaseRecycledBitmaps() {
  std::vector<std::unique_ptr<TBitmap>> going;
  {
    std::lock_guard<std::mutex> guard(RecyclePool().lock);
    going.swap(RecyclePool().free);
  }
}

TSkinBitmap MakeSkinBitmap(const RECT& dest, TBitmap& image, const RECT& margins, int frame_index, int frame_count,
                           bool tile, bool vertical) {
  const int w = Width(dest), h = Height(dest);
  std::unique_ptr<TBitmap> made = TakeRecycled(w, h);
  if (!made) {
    try {
      made = std::make_unique<TBitmap>(w, h, TPixelFormat::pfDevice);
    } catch (...) {
      made = std::make_unique<TBitmap>();
    }
  }
  TSkinBitmap result(made.release());
  if (result->Empty()) return result;
  HDC dc = result->DC();
  SetStretchBltMode(dc, COLORONCOLOR);
  ComposeNineSlice(dc, w, h, image, SelectFrame(image, frame_index, frame_count, vertical), Clamped(margins), tile);
  return result;
}

void DrawSkinRect(HDC dc, const RECT& dest, TBitmap& image, const RECT& margins, int frame_index, int frame_count,
                  bool transparent, bool tile, bool vertical) {
  if (Inverted(dest)) return;
  const int w = Width(dest), h = Height(dest);
  // The picture MakeSkinBitmap would return, composed in a kept buffer instead.
  TBufferLease buffer(TPool::kCompose, w, h);
  if (!buffer.DC()) return;
  ComposeNineSlice(buffer.DC(), w, h, image, SelectFrame(image, frame_index, frame_count, vertical),
                   Clamped(margins), tile);
  Deliver(dc, dest.left, dest.top, w, h, buffer.DC(), transparent);
}

void DrawSkinStripH(TCanvas& canvas, const RECT& dest, TBitmap& image, const RECT& margins, int frame_index,
                    int frame_count, bool transparent, bool vertical) {
  if (Inverted(dest)) return;
  HDC dc = canvas.Handle();
  const int w = Width(dest), h = Height(dest);
  TBufferLease buffer(TPool::kCompose, w, h);
  if (!dc || !buffer.DC()) return;
  ComposeStrip(buffer.DC(), w, h, image, SelectFrame(image, frame_index, frame_count, vertical), Clamped(margins));
  Deliver(dc, dest.left, dest.top, w, h, buffer.DC(), transparent);
}

void DrawSkinBarH(HDC dc, const RECT& dest, TBitmap& image, const RECT& margins, int frame_index, int frame_count,
                  bool /*tile*/, bool vertical) {
  // An inverted dest would be drawn mirrored outside itself.
  if (Inverted(dest) || image.Empty()) return;
  const TFrame f = SelectFrame(image, frame_index, frame_count, vertical);
  const TMargins m = Clamped(margins);
  const int w = Width(dest), h = Height(dest);
  HDC src = image.DC();
  if (f.w > w) {
    StretchBlt(dc, dest.left, dest.top, w, h, src, f.x, f.y, f.w, f.h, SRCCOPY);
    return;
  }
  StretchBlt(dc, dest.left, dest.top, m.l, h, src, f.x, f.y, m.l, f.h, SRCCOPY);
  StretchBlt(dc, dest.left + m.l, dest.top, w - m.l - m.r, h, src, f.x + m.l, f.y, f.w - m.l - m.r, f.h, SRCCOPY);
  StretchBlt(dc, dest.right - m.r, dest.top, m.r, h, src, f.x + f.w - m.r, f.y, m.r, f.h, SRCCOPY);
}

void DrawSkinFrame(HDC dc, const RECT& dest, TBitmap& image, int frame_index, int frame_count, bool transparent) {
  if (Inverted(dest)) return;
  const int w = Width(dest), h = Height(dest);
  TBufferLease buffer(TPool::kCompose, w, h);
  if (!buffer.DC()) return;
  const TFrame f = SelectFrame(image, frame_index, frame_count, false);
  // Whole pixels only (the buffer's COLORONCOLOR): a shrunken frame keeps the skin's colours,
  // magenta above all, instead of mixing neighbours.
  if (!image.Empty()) Piece(buffer.DC(), 0, 0, w, h, image.DC(), f.x, 0, f.w, image.Height());
  Deliver(dc, dest.left, dest.top, w, h, buffer.DC(), transparent);
}

void DrawSkinFrameCenter(HDC dc, const RECT& dest, TBitmap& image, int frame_index, int frame_count,
                         bool transparent) {
  if (Inverted(dest) || image.Empty()) return;
  const TFrame f = SelectFrame(image, frame_index, frame_count, false);
  if (f.w <= 0 || f.h <= 0) return;
  const int x = static_cast<int>(dest.left + (int64_t{Width(dest)} - f.w) / 2);
  const int y = static_cast<int>(dest.top + (int64_t{Height(dest)} - f.h) / 2);
  if (Inside(image, f.x, f.y, f.w, f.h)) {
    if (transparent) {
      TransparentCopy(dc, x, y, f.w, f.h, image.DC(), f.x, f.y, ColorToRGB(kSkinTransparent));
    } else {
      BitBlt(dc, x, y, f.w, f.h, image.DC(), f.x, f.y, SRCCOPY);
    }
    return;
  }
  // A frame past the image's end: black where the image has no pixels.
  TBufferLease buffer(TPool::kCompose, f.w, f.h);
  if (!buffer.DC()) return;
  BitBlt(buffer.DC(), 0, 0, f.w, f.h, image.DC(), f.x, f.y, SRCCOPY);
  Deliver(dc, x, y, f.w, f.h, buffer.DC(), transparent);
}

void DrawTransparent(HDC dc, const RECT& dest, TBitmap& image, TColor transparent_color) {
  if (Inverted(dest) || image.Empty()) return;
  // Beyond the image there is nothing to copy; the target keeps its pixels there.
  const int w = std::min(Width(dest), image.Width()), h = std::min(Height(dest), image.Height());
  TransparentCopy(dc, dest.left, dest.top, w, h, image.DC(), 0, 0, ColorToRGB(transparent_color));
}

void TileDraw(TCanvas& canvas, const RECT& dest, TBitmap& image, const RECT& source) {
  HDC dc = canvas.Handle();
  if (!dc) return;
  TileOnDC(dc, dest, image, source);
}

}  // namespace qn
