#include "tests/skin/draw/SlicedImage.h"

namespace qn::test {

namespace {

int Slice(int pos, int size, int lo, int hi) { return pos < lo ? 0 : pos >= size - hi ? 2 : 1; }

// Where a target position takes its pixels from on one axis: one source position for the
// fixed borders and a tiled centre, the whole centre range where it is stretched.
struct TSpan {
  int lo, hi;
  bool centre;
};

TSpan Axis(int pos, int size, int lo, int hi, int frame) {
  if (pos < lo) return {pos, pos + 1, false};
  if (pos >= size - hi) return {frame - (size - pos), frame - (size - pos) + 1, false};
  return {lo, frame - hi, true};
}

}  // namespace

TColor TSliced::FramePixel(int f, int c, int r) const {
  const int hc = Slice(c, fw, m.left, m.right), vc = Slice(r, fh, m.top, m.bottom);
  if (pattern && hc == 1 && vc == 1) return RGB(100 + 9 * (c - m.left), 100 + 9 * (r - m.top), 11 + 40 * f);
  return RGB(5 + 25 * (3 * vc + hc), 30, 10 + 40 * f);
}

TColor TSliced::Pixel(int x, int y) const {
  const int f = vertical ? y / fh : x / fw;
  if (f >= frames) return kSpare;
  return vertical ? FramePixel(f + 1, x, y - f * fh) : FramePixel(f + 1, x - f * fw, y);
}

std::unique_ptr<TBitmap> TSliced::Make(TPixelFormat format) const {
  return MakeImage(Width(), Height(), format, [this](int x, int y) { return Pixel(x, y); });
}

Rows ExpectNineSlice(const TSliced& image, int index, int w, int h, bool tile) {
  int l = image.m.left, t = image.m.top, r = image.m.right, b = image.m.bottom;
  if (l + r > w) l = r = 0;
  if (t + b > h) t = b = 0;
  Rows rows = Fill(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TSpan sx = Axis(x, w, l, r, image.fw), sy = Axis(y, h, t, b, image.fh);
      TColor& out = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
      if (tile && sx.centre && sy.centre) {
        out = image.FramePixel(index, l + (x - l) % (image.fw - l - r), t + (y - t) % (image.fh - t - b));
        continue;
      }
      // A stretched span: every source pixel it may come from must have the same colour.
      out = image.FramePixel(index, sx.lo, sy.lo);
      for (int c = sx.lo; c < sx.hi; ++c)
        for (int rr = sy.lo; rr < sy.hi; ++rr)
          if (image.FramePixel(index, c, rr) != out) {
            ADD_FAILURE() << "the case stretches a span of several colours onto (" << x << "," << y << ")";
            return rows;
          }
    }
  return rows;
}

}  // namespace qn::test
