// Small pictures for the drawing tests: images made from a colour function, pixels read back
// from any DC, and a comparison that names the first pixels that differ.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/Graphics.h"

namespace qn::test {

using Rows = std::vector<std::vector<TColor>>;

constexpr TColor kMagenta = 0xFF00FF;
constexpr TColor kNearMagenta = 0xFF01FF;  // green 1
constexpr TColor kBackground = 0x5A3C1E;   // what targets hold before a routine draws

struct TFormatCase {
  TPixelFormat format;
  const char* name;
};
inline constexpr TFormatCase kFormats[] = {
    {TPixelFormat::pf24bit, "24-bit"}, {TPixelFormat::pf32bit, "32-bit"}, {TPixelFormat::pfDevice, "device"}};

// An image of the format whose pixel (x, y) is colour(x, y).
std::unique_ptr<TBitmap> MakeImage(int width, int height, TPixelFormat format,
                                   const std::function<TColor(int x, int y)>& colour);
// A 32-bit target filled with kBackground.
std::unique_ptr<TBitmap> MakeTarget(int width, int height);

// The pixels of w x h at (x, y) of dc.
Rows Read(HDC dc, int x, int y, int w, int h);
Rows Read(TBitmap& bitmap);
Rows Fill(int w, int h, TColor colour);

// Equal pictures, or a message naming the size or the first differing pixels.
::testing::AssertionResult SamePicture(const Rows& got, const Rows& want);

}  // namespace qn::test
