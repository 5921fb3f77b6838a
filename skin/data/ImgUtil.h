// Pixel and colour routines of the skin engine on bitmaps and device contexts: the loader
// derives images and colours with them, the tab and progress-bar painters turn horizontal
// skin images into vertical or mirrored ones. Every bitmap routine changes the bitmap it is
// given in place and leaves it 24-bit.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win/Graphics.h"
#include "skin/data/PixelOps.h"

namespace qn {

// Magenta pixels take `color`; a system colour is resolved to its current value first.
void ReplaceMagenta(TBitmap& bitmap, TColor color);
void MirrorBitmap(TBitmap& bitmap);
void FlipBitmap(TBitmap& bitmap);
// Quarter turn clockwise; the bitmap's width and height swap.
void RotateBitmapRight(TBitmap& bitmap);
// Quarter turn counter-clockwise; the bitmap's width and height swap.
void RotateBitmapLeft(TBitmap& bitmap);

// Weighted mix of two colours (below 100 a percentage of c1, else per mille); system colours
// take their current values.
TColor MixColors(TColor c1, TColor c2, int weight);
int ColorSaturation(TColor color);

// Index of the cached ramp of `count` plain colours from c1 towards c2; throws
// pixel::EAssertionFailed ("Assertion failure", imgutil) when count < 1.
int GradientTable(int count, TColor c1, TColor c2);
// The colours of a ramp returned by GradientTable; valid until 16 newer ramps were made.
const std::vector<int32_t>& GradientColors(int index);

// Fills rect with a ramp from c1 to c2, top to bottom when vertical, else left to right. Only
// the lines inside the DC's clip box are drawn; the ramp stays aligned to rect.
void GradientFill(HDC dc, const RECT& rect, TColor c1, bool vertical, TColor c2);

// 24-bit rows of a bitmap as a pixel view (the bitmap is made 24-bit first); an empty view for
// an empty bitmap.
pixel::TPixelView PixelView(TBitmap& bitmap);

}  // namespace qn
