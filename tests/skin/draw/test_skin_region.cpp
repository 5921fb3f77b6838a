// Window regions from the opaque pixels of a bitmap.
#include <gtest/gtest.h>

#include <vector>

#include "skin/draw/SkinDraw.h"
#include "tests/skin/draw/Pictures.h"

namespace qn::test {
namespace {

// The union of the rectangles in one region-creation call, whatever their number.
TRegionHandle OneCall(const std::vector<RECT>& rects) {
  std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* head = reinterpret_cast<RGNDATAHEADER*>(data.data());
  head->dwSize = sizeof(RGNDATAHEADER);
  head->iType = RDH_RECTANGLES;
  head->nCount = static_cast<DWORD>(rects.size());
  head->rcBound = {0, 0, 0, 0};
  for (const RECT& r : rects) UnionRect(&head->rcBound, &head->rcBound, &r);
  if (!rects.empty()) memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
  auto* rgn_data = reinterpret_cast<RGNDATA*>(data.data());
  return TRegionHandle(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), rgn_data));
}

bool IsEmpty(HRGN rgn) {
  RECT box;
  return GetRgnBox(rgn, &box) == NULLREGION;
}

TEST(BitmapToRegion, ColoursInTheRangeAreCut) {
  struct TCase {
    const char* name;
    TColor colour;
    uint8_t red, green, blue;  // tolerances
    TColor pixel;
    bool cut;
  } cases[] = {
      {"exact magenta", kMagenta, 1, 1, 1, kMagenta, true},
      {"green 1", kMagenta, 1, 1, 1, RGB(255, 1, 255), true},
      {"green 2", kMagenta, 1, 1, 1, RGB(255, 2, 255), false},
      {"red 254", kMagenta, 1, 1, 1, RGB(254, 0, 255), false},
      {"blue 254", kMagenta, 1, 1, 1, RGB(255, 0, 254), false},
      {"black", kMagenta, 1, 1, 1, 0, false},
      {"top of a wider range", RGB(250, 10, 250), 10, 1, 10, RGB(255, 11, 255), true},
      {"past a wider range", RGB(250, 10, 250), 10, 1, 10, RGB(255, 12, 255), false},
      {"below a wider range", RGB(250, 10, 250), 10, 1, 10, RGB(249, 10, 250), false},
      {"no tolerance", RGB(20, 30, 40), 0, 0, 0, RGB(20, 30, 40), true},
  };
  for (const TCase& c : cases) {
    // The pixel between two opaque ones: cut, it splits the row in two runs.
    auto image =
        MakeImage(3, 1, TPixelFormat::pf24bit, [&](int x, int) { return x == 1 ? c.pixel : TColor{0x808080}; });
    TRegionHandle got = BitmapToRegion(*image, 0, 0, c.colour, c.red, c.green, c.blue);
    ASSERT_TRUE(got) << c.name;
    TRegionHandle want = c.cut ? OneCall({{0, 0, 1, 1}, {2, 0, 3, 1}}) : OneCall({{0, 0, 3, 1}});
    EXPECT_TRUE(EqualRgn(got.Get(), want.Get())) << c.name;
  }
}

TEST(BitmapToRegion, AllMagentaGivesAnEmptyRegion) {
  for (const TFormatCase& f : kFormats) {
    auto image = MakeImage(17, 9, f.format, [](int, int) { return kMagenta; });
    TRegionHandle rgn = BitmapToRegion(*image, 5, 5, kMagenta, 1, 1, 1);
    ASSERT_TRUE(rgn) << f.name;
    EXPECT_TRUE(IsEmpty(rgn.Get())) << f.name;
  }
  TBitmap empty;
  TRegionHandle rgn = BitmapToRegion(empty, 0, 0, kMagenta, 1, 1, 1);
  ASSERT_TRUE(rgn);
  EXPECT_TRUE(IsEmpty(rgn.Get()));
}

// One rectangle per opaque run of each row: the region the bitmap must give.
template <typename Cut>
std::vector<RECT> RowRuns(int w, int h, int dx, int dy, Cut cut) {
  std::vector<RECT> runs;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w;) {
      const int x0 = x;
      while (x < w && !cut(x, y)) ++x;
      if (x > x0) runs.push_back({x0 + dx, y + dy, x + dx, y + dy + 1});
      ++x;
    }
  return runs;
}

TEST(BitmapToRegion, ManyRunsGiveTheRegionOfOneCall) {
  // Every third pixel magenta, shifted a pixel a row: about 100 runs a row, 4000 in all,
  // past two parts of 2000.
  const int w = 301, h = 40, dx = 7, dy = -3;
  auto cut = [](int x, int y) { return (x + y) % 3 == 2; };
  TRegionHandle want = OneCall(RowRuns(w, h, dx, dy, cut));
  ASSERT_TRUE(want);
  for (const TFormatCase& f : kFormats) {
    auto image = MakeImage(w, h, f.format, [&](int x, int y) { return cut(x, y) ? kMagenta : RGB(x % 200, y, 9); });
    TRegionHandle got = BitmapToRegion(*image, dx, dy, kMagenta, 1, 1, 1);
    ASSERT_TRUE(got) << f.name;
    EXPECT_TRUE(EqualRgn(got.Get(), want.Get())) << f.name;
    EXPECT_EQ(image->PixelFormat(), TPixelFormat::pf32bit) << "the image is converted in place";
  }
}

TEST(BitmapToRegion, RepeatedRowsKeepTheirShape) {
  // Rows that repeat are joined into taller rectangles; nothing may join across a change.
  struct TCase {
    const char* name;
    bool (*cut)(int x, int y);
  } cases[] = {
      {"blocks of two patterns", [](int x, int y) { return (y / 5) % 2 ? x == 3 : x % 4 == 0; }},
      {"a fully cut row between equal rows", [](int, int y) { return y == 6; }},
      {"same count, other extents", [](int x, int y) { return x == (y < 8 ? 2 : 5); }},
      {"rounded corners", [](int x, int y) { return (y == 0 && (x < 3 || x > 8)) || (y == 1 && (x < 1 || x > 10)); }},
      {"one row", [](int x, int y) { return y > 0 || x == 4; }},
  };
  const int w = 12, h = 16, dx = -2, dy = 30;
  for (const TCase& c : cases) {
    auto image = MakeImage(w, h, TPixelFormat::pf24bit, [&](int x, int y) { return c.cut(x, y) ? kMagenta : 0; });
    TRegionHandle got = BitmapToRegion(*image, dx, dy, kMagenta, 1, 1, 1);
    ASSERT_TRUE(got) << c.name;
    TRegionHandle want = OneCall(RowRuns(w, h, dx, dy, c.cut));
    EXPECT_TRUE(EqualRgn(got.Get(), want.Get())) << c.name;
  }
}

}  // namespace
}  // namespace qn::test
