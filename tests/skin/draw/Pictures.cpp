#include "tests/skin/draw/Pictures.h"

#include <cstdio>

namespace qn::test {

std::unique_ptr<TBitmap> MakeImage(int width, int height, TPixelFormat format,
                                   const std::function<TColor(int x, int y)>& colour) {
  auto bmp = std::make_unique<TBitmap>(width, height, TPixelFormat::pf24bit);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bmp->ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const TColor c = colour(x, y);
      row[x * 3 + 0] = static_cast<uint8_t>(c >> 16);
      row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(c);
    }
  }
  bmp->SetPixelFormat(format);
  return bmp;
}

std::unique_ptr<TBitmap> MakeTarget(int width, int height) {
  return MakeImage(width, height, TPixelFormat::pf32bit, [](int, int) { return kBackground; });
}

Rows Read(HDC dc, int x, int y, int w, int h) {
  TBitmap copy(w, h, TPixelFormat::pf32bit);
  BitBlt(copy.DC(), 0, 0, w, h, dc, x, y, SRCCOPY);
  Rows rows(static_cast<size_t>(h));
  for (int yy = 0; yy < h; ++yy) {
    const uint8_t* p = copy.ScanLine(yy);
    for (int xx = 0; xx < w; ++xx, p += 4) rows[static_cast<size_t>(yy)].push_back(p[2] | (p[1] << 8) | (p[0] << 16));
  }
  return rows;
}

Rows Read(TBitmap& bitmap) { return Read(bitmap.DC(), 0, 0, bitmap.Width(), bitmap.Height()); }

Rows Fill(int w, int h, TColor colour) {
  return Rows(static_cast<size_t>(h), std::vector<TColor>(static_cast<size_t>(w), colour));
}

::testing::AssertionResult SamePicture(const Rows& got, const Rows& want) {
  const size_t gh = got.size(), wh = want.size();
  const size_t gw = gh ? got[0].size() : 0, ww = wh ? want[0].size() : 0;
  if (gh != wh || gw != ww)
    return ::testing::AssertionFailure() << "size " << gw << "x" << gh << ", expected " << ww << "x" << wh;
  std::string diffs;
  int count = 0;
  for (size_t y = 0; y < gh; ++y)
    for (size_t x = 0; x < gw; ++x)
      if (got[y][x] != want[y][x] && count++ < 6) {
        char line[96];
        std::snprintf(line, sizeof line, "\n  (%zu,%zu): %06X, expected %06X", x, y, unsigned(got[y][x]),
                      unsigned(want[y][x]));
        diffs += line;
      }
  if (count == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << count << " pixels differ" << diffs;
}

}  // namespace qn::test
