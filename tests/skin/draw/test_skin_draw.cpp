// The image routines against pictures worked out pixel by pixel: each case names where every
// target pixel must come from in a synthetic image whose slices and frames have their own
// colours.
#include <gtest/gtest.h>

#include "skin/draw/SkinDraw.h"
#include "tests/skin/draw/Pictures.h"
#include "tests/skin/draw/SlicedImage.h"

namespace qn::test {
namespace {

// Rows of `inner` pasted at (x, y) into a w x h picture of the background.
Rows OnBackground(int w, int h, int x, int y, const Rows& inner) {
  Rows rows = Fill(w, h, kBackground);
  for (size_t r = 0; r < inner.size(); ++r)
    for (size_t c = 0; c < inner[r].size(); ++c) rows[y + r][x + c] = inner[r][c];
  return rows;
}

// ---- Nine slices ----

struct TNineCase {
  const char* name;
  TSliced image;
  int index;
  int w, h;
  bool tile;
};

const TNineCase kNineCases[] = {
    {"corners copied, edges and centre stretched", {1, 7, 6, {2, 1, 3, 2}}, 1, 15, 11, false},
    {"frame 3 of 4 side by side", {4, 5, 5, {1, 1, 1, 1}}, 3, 9, 8, false},
    {"frames that leave spare columns", {3, 6, 5, {2, 2, 2, 2}, false, 2}, 3, 10, 6, false},
    {"frame 2 of 3 stacked, a spare row", {3, 6, 5, {2, 1, 1, 2}, true, 1}, 2, 8, 9, false},
    {"tiled centre overhanging the right and bottom borders", {2, 7, 6, {2, 1, 2, 2}, false, 0, true}, 2, 14, 13,
     true},
    {"margins that exactly fill the target", {1, 7, 6, {2, 1, 3, 2}}, 1, 5, 3, false},
    {"margins wider than the target dropped: the whole frame width tiled", {2, 6, 3, {2, 0, 2, 0}, false, 0, true},
     2, 3, 4, true},
    {"margins taller than the target dropped: the whole frame height tiled", {1, 3, 6, {0, 2, 0, 2}, false, 0, true},
     1, 5, 3, true},
    {"dropped on both axes", {1, 4, 4, {2, 2, 2, 2}}, 1, 3, 3, true},
};

TEST(NineSlice, EveryPixelComesFromItsSlice) {
  for (const TNineCase& c : kNineCases) {
    const Rows want = ExpectNineSlice(c.image, c.index, c.w, c.h, c.tile);
    for (const TFormatCase& f : kFormats) {
      SCOPED_TRACE(std::string(c.name) + ", " + f.name + " image");
      auto image = c.image.Make(f.format);

      auto made = MakeSkinBitmap(RECT{7, 3, 7 + c.w, 3 + c.h}, *image, c.image.m, c.index, c.image.frames, c.tile,
                                 c.image.vertical);
      EXPECT_EQ(made->PixelFormat(), TPixelFormat::pfDevice);
      EXPECT_TRUE(SamePicture(Read(*made), want)) << "MakeSkinBitmap";

      for (bool transparent : {false, true}) {
        auto target = MakeTarget(c.w + 6, c.h + 5);
        DrawSkinRect(target->DC(), RECT{3, 2, 3 + c.w, 2 + c.h}, *image, c.image.m, c.index, c.image.frames,
                     transparent, c.tile, c.image.vertical);
        EXPECT_TRUE(SamePicture(Read(*target), OnBackground(c.w + 6, c.h + 5, 3, 2, want)))
            << "DrawSkinRect" << (transparent ? ", transparent" : "");
      }
    }
  }
}

TEST(NineSlice, DroppedMarginsStretchTheWholeFrame) {
  // Left, centre and right are 2 columns each; halved into 3 columns, each keeps one of them.
  const TSliced image{1, 6, 2, {2, 0, 2, 0}};
  const Rows want(2, {image.FramePixel(1, 0, 0), image.FramePixel(1, 2, 0), image.FramePixel(1, 4, 0)});
  for (const TFormatCase& f : kFormats) {
    auto bmp = image.Make(f.format);
    EXPECT_TRUE(SamePicture(Read(*MakeSkinBitmap(RECT{0, 0, 3, 2}, *bmp, image.m, 1, 1, false, false)), want))
        << f.name;
  }
}

TEST(NineSlice, EmptyAndInvertedTargets) {
  const TSliced sliced{1, 7, 6, {2, 1, 3, 2}};
  auto image = sliced.Make(TPixelFormat::pfDevice);
  for (const RECT& dest : {RECT{5, 5, 4, 8}, RECT{5, 5, 8, 4}, RECT{5, 5, 5, 9}, RECT{5, 5, 9, 5}}) {
    auto target = MakeTarget(12, 12);
    DrawSkinRect(target->DC(), dest, *image, sliced.m, 1, 1, false, false, false);
    DrawSkinRect(target->DC(), dest, *image, sliced.m, 1, 1, true, true, false);
    EXPECT_TRUE(SamePicture(Read(*target), Fill(12, 12, kBackground)));
  }
  EXPECT_TRUE(MakeSkinBitmap(RECT{5, 5, 5, 9}, *image, sliced.m, 1, 1, false, false)->Empty());
}

// ---- Strips ----

// Frames whose every column has its own colour, plain down the column.
struct TColumns {
  int frames, fw, fh;
  bool vertical;
  TColor Pixel(int f, int c) const { return RGB(10 + 11 * c, 200 - 30 * f, 60); }
  std::unique_ptr<TBitmap> Make(TPixelFormat format) const {
    return MakeImage(vertical ? fw : fw * frames, vertical ? fh * frames : fh, format,
                     [this](int x, int y) { return vertical ? Pixel(y / fh + 1, x) : Pixel(x / fw + 1, x % fw); });
  }
};

struct TStripCase {
  const char* name;
  TColumns image;
  int index;
  int left, right;
  int w, h;
};

const TStripCase kStripCases[] = {
    {"middle repeated at its own width, right cap over its overrun", {2, 8, 4, false}, 2, 2, 3, 19, 4},
    {"caps and middle stretched to the height", {2, 8, 4, false}, 1, 2, 3, 12, 9},
    {"target narrower than the caps: the right cap wins", {1, 8, 4, false}, 1, 2, 3, 4, 4},
    {"frame 2 of 3 stacked", {3, 7, 3, true}, 2, 1, 2, 11, 3},
    {"a frame without a middle leaves the gap black", {1, 5, 4, false}, 1, 2, 3, 9, 4},
};

Rows ExpectStrip(const TStripCase& c) {
  const int fw = c.image.fw, mw = fw - c.left - c.right;
  std::vector<TColor> row;
  for (int x = 0; x < c.w; ++x) {
    if (x >= c.w - c.right) {
      row.push_back(c.image.Pixel(c.index, fw - (c.w - x)));
    } else if (x < c.left) {
      row.push_back(c.image.Pixel(c.index, x));
    } else {
      row.push_back(mw > 0 ? c.image.Pixel(c.index, c.left + (x - c.left) % mw) : TColor{0});
    }
  }
  return Rows(static_cast<size_t>(c.h), row);
}

TEST(Strip, CapsAndRepeatedMiddle) {
  for (const TStripCase& c : kStripCases) {
    const Rows want = OnBackground(c.w + 5, c.h + 4, 2, 1, ExpectStrip(c));
    for (const TFormatCase& f : kFormats) {
      SCOPED_TRACE(std::string(c.name) + ", " + f.name + " image");
      auto image = c.image.Make(f.format);
      for (bool transparent : {false, true}) {
        auto target = MakeTarget(c.w + 5, c.h + 4);
        DrawSkinStripH(target->Canvas(), RECT{2, 1, 2 + c.w, 1 + c.h}, *image, RECT{c.left, 99, c.right, 99},
                       c.index, c.image.frames, transparent, c.image.vertical);
        EXPECT_TRUE(SamePicture(Read(*target), want)) << (transparent ? "transparent" : "opaque");
      }
    }
  }
}

// ---- Bars ----

TEST(Bar, ThreePartsOrTheWholeFrameSqueezed) {
  const TColor a = 0x102030, b = 0x405060, c = 0x708090;
  // Parts of 2 (or 4) columns: any whole-pixel stretch keeps each part's colour.
  auto parts = [&](int each) {
    return [=](int x, int) { return x < each ? a : x < 2 * each ? b : c; };
  };
  struct TCase {
    const char* name;
    int each, w;
    RECT margins;
    std::vector<TColor> row;
  } cases[] = {
      {"left and right kept, middle stretched", 2, 10, {2, 0, 2, 0}, {a, a, b, b, b, b, b, b, c, c}},
      {"frame wider than the target squeezed whole", 4, 6, {4, 0, 4, 0}, {a, a, b, b, c, c}},
  };
  for (const TCase& k : cases) {
    for (const TFormatCase& f : kFormats) {
      SCOPED_TRACE(std::string(k.name) + ", " + f.name + " image");
      // Frame 2 of 2, each 3 rows high.
      auto image = MakeImage(6 * k.each, 3, f.format, [&](int x, int y) { return parts(k.each)(x % (3 * k.each), y); });
      auto target = MakeTarget(k.w + 4, 6);
      DrawSkinBarH(target->DC(), RECT{1, 1, 1 + k.w, 5}, *image, k.margins, 2, 2, true, false);
      EXPECT_TRUE(SamePicture(Read(*target), OnBackground(k.w + 4, 6, 1, 1, Rows(4, k.row))));
    }
  }
}

TEST(Bar, InvertedTargetDrawsNothing) {
  auto image = MakeImage(6, 2, TPixelFormat::pfDevice, [](int x, int) { return RGB(x * 30, 0, 0); });
  auto target = MakeTarget(12, 6);
  DrawSkinBarH(target->DC(), RECT{8, 1, 2, 5}, *image, RECT{2, 0, 2, 0}, 1, 1, false, false);
  DrawSkinBarH(target->DC(), RECT{2, 5, 8, 1}, *image, RECT{2, 0, 2, 0}, 1, 1, false, false);
  EXPECT_TRUE(SamePicture(Read(*target), Fill(12, 6, kBackground)));
}

// ---- Whole frames ----

// Frame f (from 1) of frames side by side, each pixel its own colour.
TColor FramePixel(int f, int c, int r) { return RGB(10 + 20 * c, 10 + 20 * r, 100 * f); }

TEST(FrameCenter, CentredUnscaledOverhangingEvenly) {
  struct TCase {
    const char* name;
    int fw, fh;
    RECT dest;
    POINT at;  // where the frame's top-left corner must land
  } cases[] = {
      {"smaller frame, odd difference", 5, 3, {10, 10, 20, 16}, {12, 11}},
      {"larger frame, even overhang", 7, 5, {10, 10, 13, 13}, {8, 9}},
      {"larger frame, odd overhang rounded toward zero", 6, 6, {10, 10, 13, 11}, {9, 8}},
  };
  for (const TCase& c : cases) {
    Rows frame = Fill(c.fw, c.fh, 0);
    for (int r = 0; r < c.fh; ++r)
      for (int col = 0; col < c.fw; ++col) frame[r][col] = FramePixel(2, col, r);
    const Rows want = OnBackground(30, 30, c.at.x, c.at.y, frame);
    for (const TFormatCase& f : kFormats) {
      auto image = MakeImage(2 * c.fw + 1, c.fh, f.format,
                             [&](int x, int y) { return FramePixel(x / c.fw + 1, x % c.fw, y); });
      for (bool transparent : {false, true}) {
        SCOPED_TRACE(std::string(c.name) + ", " + f.name + (transparent ? ", transparent" : ""));
        auto target = MakeTarget(30, 30);
        DrawSkinFrameCenter(target->DC(), c.dest, *image, 2, 2, transparent);
        EXPECT_TRUE(SamePicture(Read(*target), want));
      }
    }
  }
}

TEST(Frame, SelectedFrameStretchedOverTheTarget) {
  const TColor colours[] = {0x203040, 0x506070, 0x8090A0};
  for (const TFormatCase& f : kFormats) {
    auto image = MakeImage(3 * 4 + 2, 3, f.format, [&](int x, int) { return x < 12 ? colours[x / 4] : kSpare; });
    for (bool transparent : {false, true}) {
      auto target = MakeTarget(13, 8);
      DrawSkinFrame(target->DC(), RECT{2, 1, 11, 7}, *image, 2, 3, transparent);
      EXPECT_TRUE(SamePicture(Read(*target), OnBackground(13, 8, 2, 1, Fill(9, 6, colours[1]))))
          << f.name << (transparent ? ", transparent" : "");
    }
  }
}

TEST(Frame, ShrinkingKeepsWholePixels) {
  // Magenta and green columns in turn, halved: blending neighbours would give neither (black
  // when pixels are combined bit by bit), and the transparent draw would lose its magenta.
  const TColor green = 0x00FF00;
  for (const TFormatCase& f : kFormats) {
    auto image = MakeImage(16, 4, f.format, [&](int x, int) { return x % 2 ? green : kMagenta; });
    for (bool transparent : {false, true}) {
      auto target = MakeTarget(8, 2);
      DrawSkinFrame(target->DC(), RECT{0, 0, 8, 2}, *image, 1, 1, transparent);
      for (const auto& row : Read(*target))
        for (TColor c : row)
          EXPECT_TRUE(c == green || c == (transparent ? kBackground : kMagenta))
              << f.name << (transparent ? ", transparent: " : ": ") << std::hex << c;
    }
  }
}

// ---- Tiling ----

TEST(Tile, RepeatedFromTheTopLeftWithoutClipping) {
  // 4 x 3 image, each pixel its own colour.
  auto pixel = [](int x, int y) { return TColor(RGB(40 + 30 * x, 40 + 50 * y, 7)); };
  struct TCase {
    const char* name;
    RECT source, dest;
    RECT clip;  // of the target; empty for none
    // Expected colour at target (x, y), or kBackground.
    std::function<TColor(int, int)> want;
  } cases[] = {
      {"last column and row overhang the target", {1, 1, 3, 3}, {1, 1, 6, 4}, {},
       [&](int x, int y) {
         return x >= 1 && x < 7 && y >= 1 && y < 5 ? pixel(1 + (x - 1) % 2, 1 + (y - 1) % 2) : kBackground;
       }},
      {"a clipped target keeps the tiles' places", {0, 0, 3, 2}, {1, 0, 10, 7}, {5, 3, 12, 8},
       [&](int x, int y) {
         return x >= 5 && y >= 3 && x < 10 && y < 8 ? pixel((x - 1) % 3, y % 2) : kBackground;
       }},
      {"a source past the image's edge is black there", {3, 1, 5, 3}, {0, 0, 4, 2}, {},
       [&](int x, int y) { return x < 4 && y < 2 ? (x % 2 == 0 ? pixel(3, 1 + y) : TColor{0}) : kBackground; }},
      {"empty source", {1, 1, 1, 3}, {0, 0, 12, 8}, {}, [](int, int) { return kBackground; }},
      {"inverted source", {3, 1, 1, 3}, {0, 0, 12, 8}, {}, [](int, int) { return kBackground; }},
  };
  for (const TCase& c : cases) {
    Rows want = Fill(12, 8, 0);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 12; ++x) want[y][x] = c.want(x, y);
    for (const TFormatCase& f : kFormats) {
      SCOPED_TRACE(std::string(c.name) + ", " + f.name + " image");
      auto image = MakeImage(4, 3, f.format, pixel);
      auto target = MakeTarget(12, 8);
      if (!IsRectEmpty(&c.clip)) IntersectClipRect(target->DC(), c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
      TileDraw(target->Canvas(), c.dest, *image, c.source);
      SelectClipRgn(target->DC(), nullptr);
      EXPECT_TRUE(SamePicture(Read(*target), want));
    }
  }
}

}  // namespace
}  // namespace qn::test
