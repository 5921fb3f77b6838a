#include "skin/data/SkinDraw.h"

#include "platform/win/Blit.h"

namespace qn {

namespace {

bool Inverted(const RECT& r) { return r.right < r.left || r.bottom < r.top; }

RECT Rect(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

// Copies src of image onto dst of target: 1:1 when the sizes agree, else stretched.
void Piece(HDC target, const RECT& dst, TBitmap& image, const RECT& src) {
  StretchBlit(target, dst, image.DC(), src);
}

// Tiles src of image over dst from its top-left corner; the last row and column overhang.
void TileDraw(HDC target, const RECT& dst, TBitmap& image, const RECT& src) {
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  if (sw <= 0 || sh <= 0) return;
  for (int x = dst.left; x < dst.right; x += sw)
    for (int y = dst.top; y < dst.bottom; y += sh) Blit(target, x, y, sw, sh, image.DC(), src.left, src.top);
}

}  // namespace

RECT SkinFrameRect(const TBitmap& image, int index, int count, bool vertical) {
  if (count < 1) count = 1;
  if (vertical) {
    const int fh = image.Height() / count;
    return Rect(0, (index - 1) * fh, image.Width(), index * fh);
  }
  const int fw = image.Width() / count;
  return Rect((index - 1) * fw, 0, index * fw, image.Height());
}

std::unique_ptr<TBitmap> MakeSkinBitmap(const RECT& dest, TBitmap& image, const skin::TMargins& margins, int index,
                                        int count, int tile, bool vertical) {
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  auto result = std::make_unique<TBitmap>(w, h);
  if (result->Empty() || image.Empty()) return result;
  const RECT f = SkinFrameRect(image, index, count, vertical);
  const int x0 = f.left, y0 = f.top, fw = f.right - f.left, fh = f.bottom - f.top;
  int l = margins.Left, t = margins.Top, r = margins.Right, b = margins.Bottom;
  if (l + r > w) l = r = 0;
  if (t + b > h) t = b = 0;
  HDC dc = result->DC();
  SetStretchBltMode(dc, COLORONCOLOR);
  if (l * t > 0) Piece(dc, Rect(0, 0, l, t), image, Rect(x0, y0, x0 + l, y0 + t));
  if (l * b > 0) Piece(dc, Rect(0, h - b, l, h), image, Rect(x0, y0 + fh - b, x0 + l, y0 + fh));
  if (r * t > 0) Piece(dc, Rect(w - r, 0, w, t), image, Rect(x0 + fw - r, y0, x0 + fw, y0 + t));
  if (l > 0) Piece(dc, Rect(0, t, l, h - b), image, Rect(x0, y0 + t, x0 + l, y0 + fh - b));
  if (t > 0) Piece(dc, Rect(l, 0, w - r, t), image, Rect(x0 + l, y0, x0 + fw - r, y0 + t));
  const RECT centre = Rect(l, t, w - r, h - b), centreSrc = Rect(x0 + l, y0 + t, x0 + fw - r, y0 + fh - b);
  if (tile) {
    TileDraw(dc, centre, image, centreSrc);
  } else {
    Piece(dc, centre, image, centreSrc);
  }
  // Corners and edges of the right and bottom come last: they cover overhanging tiles.
  if (r * b > 0) Piece(dc, Rect(w - r, h - b, w, h), image, Rect(x0 + fw - r, y0 + fh - b, x0 + fw, y0 + fh));
  if (r > 0) Piece(dc, Rect(w - r, t, w, h - b), image, Rect(x0 + fw - r, y0 + t, x0 + fw, y0 + fh - b));
  if (b > 0) Piece(dc, Rect(l, h - b, w - r, h), image, Rect(x0 + l, y0 + fh - b, x0 + fw - r, y0 + fh));
  return result;
}

void DrawSkinRect(HDC dc, const RECT& dest, TBitmap& image, const skin::TMargins& margins, int index, int count,
                  int transparent, int tile, bool vertical) {
  if (Inverted(dest)) return;
  auto bmp = MakeSkinBitmap(dest, image, margins, index, count, tile, vertical);
  if (bmp->Empty()) return;
  if (transparent) {
    DrawTransparent(dc, dest, *bmp, skin::kMagenta);
  } else {
    Blit(dc, dest.left, dest.top, bmp->Width(), bmp->Height(), bmp->DC(), 0, 0);
  }
}

void DrawSkinFrameCenter(HDC dc, const RECT& dest, TBitmap& image, int index, int count, int transparent) {
  if (Inverted(dest) || image.Empty()) return;
  const RECT f = SkinFrameRect(image, index, count, false);
  const int fw = f.right - f.left, fh = f.bottom - f.top;
  TBitmap frame(fw, fh);
  if (frame.Empty()) return;
  Blit(frame.DC(), 0, 0, fw, fh, image.DC(), f.left, f.top);
  const int x = dest.left + (dest.right - dest.left - fw) / 2;
  const int y = dest.top + (dest.bottom - dest.top - fh) / 2;
  if (transparent) {
    DrawTransparent(dc, Rect(x, y, x + fw, y + fh), frame, skin::kMagenta);
  } else {
    Blit(dc, x, y, fw, fh, frame.DC(), 0, 0);
  }
}

void DrawSkinFrame(HDC dc, const RECT& dest, TBitmap& image, int index, int count, int transparent) {
  if (Inverted(dest) || image.Empty()) return;
  TBitmap frame(dest.right - dest.left, dest.bottom - dest.top);
  if (frame.Empty()) return;
  Piece(frame.DC(), Rect(0, 0, frame.Width(), frame.Height()), image, SkinFrameRect(image, index, count, false));
  if (transparent) {
    DrawTransparent(dc, dest, frame, skin::kMagenta);
  } else {
    Blit(dc, dest.left, dest.top, frame.Width(), frame.Height(), frame.DC(), 0, 0);
  }
}

void DrawTransparent(HDC dc, const RECT& dest, TBitmap& image, TColor color) {
  if (Inverted(dest) || image.Empty()) return;
  TBitmapHandle mask = image.MakeMask(color);
  if (!mask) return;
  BlitTransparent(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, image.DC(), 0, 0,
                  mask.Get());
}

}  // namespace qn
