// A synthetic skin image for the nine-slice tests: every slice of every frame has its own
// colour (corners and edges plain, the centre plain or with each pixel its own colour), and
// the expected picture of a nine-slice draw worked out pixel by pixel from where each target
// pixel must come from.
#pragma once

#include <windows.h>

#include "tests/skin/draw/Pictures.h"

namespace qn::test {

constexpr TColor kSpare = 0x00FFFF;  // columns or rows after the last frame

struct TSliced {
  int frames = 1;
  int fw = 0, fh = 0;       // frame size
  RECT m{};                 // slice widths: left, top, right, bottom
  bool vertical = false;    // frames stacked
  int spare = 0;            // columns (rows when vertical) left after the last frame
  bool pattern = false;     // centre pixels each their own colour

  int Width() const { return vertical ? fw : fw * frames + spare; }
  int Height() const { return vertical ? fh * frames + spare : fh; }
  // Frame f (from 1), pixel (c, r) inside it.
  TColor FramePixel(int f, int c, int r) const;
  TColor Pixel(int x, int y) const;
  std::unique_ptr<TBitmap> Make(TPixelFormat format) const;
};

// Frame `index` nine-sliced onto w x h with the image's own margins.
Rows ExpectNineSlice(const TSliced& image, int index, int w, int h, bool tile);

}  // namespace qn::test
