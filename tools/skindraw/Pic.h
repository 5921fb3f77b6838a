// A plain 24-bit picture to draw skin images on: rectangles, gradients, rounded shapes with
// magenta (transparent) outside them, lines and small glyphs. Colours are 0xRRGGBB.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qn::skindraw {

using TRgb = uint32_t;  // 0xRRGGBB
constexpr TRgb kMagenta = 0xFF00FF;

constexpr TRgb Rgb(int r, int g, int b) { return TRgb((r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF)); }
// c1 moved towards c2 by t (0..1).
TRgb Mix(TRgb c1, TRgb c2, double t);
inline TRgb Lighter(TRgb c, double t) { return Mix(c, 0xFFFFFF, t); }
inline TRgb Darker(TRgb c, double t) { return Mix(c, 0x000000, t); }

class TPic {
 public:
  TPic() = default;
  TPic(int width, int height, TRgb fill = kMagenta);

  int Width() const { return w_; }
  int Height() const { return h_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  TRgb Get(int x, int y) const { return Inside(x, y) ? px_[size_t(y) * size_t(w_) + size_t(x)] : kMagenta; }
  void Set(int x, int y, TRgb c) {
    if (Inside(x, y)) px_[size_t(y) * size_t(w_) + size_t(x)] = c;
  }
  // Covers the pixel with c at opacity a (0..1).
  void Blend(int x, int y, TRgb c, double a) { Set(x, y, Mix(Get(x, y), c, a)); }

  void Fill(int x, int y, int w, int h, TRgb c);
  void Frame(int x, int y, int w, int h, TRgb c);
  void HLine(int x, int y, int w, TRgb c) { Fill(x, y, w, 1, c); }
  void VLine(int x, int y, int h, TRgb c) { Fill(x, y, 1, h, c); }
  // Top to bottom (vertical) or left to right.
  void Gradient(int x, int y, int w, int h, TRgb c1, TRgb c2, bool vertical = true);
  // A line of the given thickness from (x0, y0) to (x1, y1), pixel centres.
  void Line(double x0, double y0, double x1, double y1, double thickness, TRgb c);
  // A filled triangle pointing in a direction ('l', 'r', 'u', 'd'), centred in the box.
  void Arrow(int x, int y, int w, int h, char dir, int size, TRgb c);
  // A filled disc, anti-aliased against what is below unless hard.
  void Disc(double cx, double cy, double radius, TRgb c, bool hard = false);

  // A rounded box: pixels outside the corners are left as they are; the edge ring gets
  // `edge`, the inside `fill(y)` (a colour per row, for gradients). Radius 0 is square.
  void RoundBox(int x, int y, int w, int h, int radius, TRgb edge, const std::function<TRgb(int row)>& fill);
  // Pixels outside the rounded corners of (x, y, w, h) become magenta.
  void CutCorners(int x, int y, int w, int h, int radius, bool top = true, bool bottom = true);

  // Rows of characters: ' ' or '.' leaves the pixel, any other picks its colour from `ink`.
  void Stamp(int x, int y, const std::vector<std::string>& rows, const std::function<TRgb(char)>& ink);

  void Paste(const TPic& src, int x, int y);
  TPic Crop(int x, int y, int w, int h) const;
  TPic MirrorX() const;
  TPic FlipY() const;
  // The picture turned a quarter clockwise.
  TPic RotateRight() const;

  // A 24-bit bitmap file of the picture.
  std::vector<uint8_t> Bmp24() const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<TRgb> px_;
};

// Whether (i, j) of a w x h box with rounded corners of radius r lies inside it.
bool InRoundBox(int i, int j, int w, int h, int r);

// Pictures placed side by side, or stacked.
TPic Row(const std::vector<TPic>& frames);
TPic Column(const std::vector<TPic>& frames);

}  // namespace qn::skindraw
