#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/data/ImgUtil.h"

namespace qn {
namespace {

using Rows = std::vector<std::vector<TColor>>;

void Put(TBitmap& bmp, int x, int y, TColor c) {
  // Through GDI, so that device bitmaps can be filled too.
  SetPixelV(bmp.DC(), x, y, static_cast<COLORREF>(c));
}

TColor At(TBitmap& bmp, int x, int y) { return static_cast<TColor>(GetPixel(bmp.DC(), x, y)); }

std::unique_ptr<TBitmap> MakeBitmap(const Rows& rows, TPixelFormat format = TPixelFormat::pf24bit) {
  auto bmp = std::make_unique<TBitmap>(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), format);
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x) Put(*bmp, static_cast<int>(x), static_cast<int>(y), rows[y][x]);
  return bmp;
}

Rows Read(TBitmap& bmp) {
  Rows rows(static_cast<size_t>(bmp.Height()));
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) rows[static_cast<size_t>(y)].push_back(At(bmp, x, y));
  return rows;
}

class ImgUtilTest : public ::testing::Test {
 protected:
  void SetUp() override { gdi_ = LiveGdiHandles(); }
  void TearDown() override { EXPECT_EQ(LiveGdiHandles(), gdi_) << "GDI objects left behind"; }
  int gdi_ = 0;
};

const Rows kSmall{{0x0000FF, 0x00FF00, 0xFF0000}, {0x112233, 0x445566, 0x778899}};

TEST_F(ImgUtilTest, MirrorAndFlipWorkInPlace) {
  auto row = MakeBitmap({{0x0000FF, 0x00FF00, 0xFF0000}});
  MirrorBitmap(*row);
  EXPECT_EQ(Read(*row), (Rows{{0xFF0000, 0x00FF00, 0x0000FF}}));

  auto bmp = MakeBitmap(kSmall);
  FlipBitmap(*bmp);
  EXPECT_EQ(Read(*bmp), (Rows{kSmall[1], kSmall[0]}));
}

TEST_F(ImgUtilTest, QuarterTurnsSwapTheSidesAndUndoEachOther) {
  auto bmp = MakeBitmap(kSmall);
  RotateBitmapRight(*bmp);
  ASSERT_EQ(bmp->Width(), 2);
  ASSERT_EQ(bmp->Height(), 3);
  EXPECT_EQ(Read(*bmp), (Rows{{0x112233, 0x0000FF}, {0x445566, 0x00FF00}, {0x778899, 0xFF0000}}));
  RotateBitmapLeft(*bmp);
  EXPECT_EQ(Read(*bmp), kSmall);
  RotateBitmapLeft(*bmp);
  EXPECT_EQ(Read(*bmp), (Rows{{0xFF0000, 0x778899}, {0x00FF00, 0x445566}, {0x0000FF, 0x112233}}));
}

TEST_F(ImgUtilTest, BitmapsOfOtherFormatsAreMade24BitFirst) {
  struct Case {
    TPixelFormat format;
    const char* what;
  } cases[] = {{TPixelFormat::pf32bit, "32-bit"}, {TPixelFormat::pfDevice, "device"}};
  for (const Case& c : cases) {
    auto turned = MakeBitmap(kSmall, c.format);
    RotateBitmapRight(*turned);
    EXPECT_EQ(turned->PixelFormat(), TPixelFormat::pf24bit) << c.what;
    EXPECT_EQ(Read(*turned), (Rows{{0x112233, 0x0000FF}, {0x445566, 0x00FF00}, {0x778899, 0xFF0000}})) << c.what;
    auto mirrored = MakeBitmap(kSmall, c.format);
    MirrorBitmap(*mirrored);
    EXPECT_EQ(mirrored->PixelFormat(), TPixelFormat::pf24bit) << c.what;
    EXPECT_EQ(Read(*mirrored), (Rows{{0xFF0000, 0x00FF00, 0x0000FF}, {0x778899, 0x445566, 0x112233}})) << c.what;
  }
}

TEST_F(ImgUtilTest, ReplaceMagentaTakesPlainAndSystemColours) {
  auto bmp = MakeBitmap({{0xFF00FF, 0xFE00FF, 0xFF00FF}}, TPixelFormat::pf32bit);
  ReplaceMagenta(*bmp, 0x336699);
  EXPECT_EQ(bmp->PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(Read(*bmp), (Rows{{0x336699, 0xFE00FF, 0x336699}}));

  auto face = MakeBitmap({{0xFF00FF}});
  ReplaceMagenta(*face, clBtnFace);
  EXPECT_EQ(At(*face, 0, 0), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
}

TEST_F(ImgUtilTest, RoutinesLeaveAnEmptyBitmapEmpty) {
  TBitmap empty;
  ReplaceMagenta(empty, clRed);
  MirrorBitmap(empty);
  FlipBitmap(empty);
  RotateBitmapRight(empty);
  RotateBitmapLeft(empty);
  EXPECT_TRUE(empty.Empty());
}

TEST_F(ImgUtilTest, ColoursResolveSystemColoursThroughTheSystem) {
  EXPECT_EQ(MixColors(0x808080, 0xFF0000, 150), 0xEC1313);
  const TColor window = static_cast<TColor>(GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(MixColors(clWindow, clWindow, 30), window);
  EXPECT_EQ(ColorSaturation(0x0000FF), 255);
}

TEST_F(ImgUtilTest, GradientTableFailsItsAssertionBelowOne) {
  EXPECT_THROW((void)GradientTable(0, clWhite, clBlack), pixel::EAssertionFailed);
  const std::vector<int32_t>& ramp = GradientColors(GradientTable(40, clWhite, 0x808080));
  ASSERT_EQ(ramp.size(), 40u);
  EXPECT_EQ(ramp.front(), clWhite);
}

// A fill into a 24-bit bitmap pre-painted with a colour no ramp below contains.
class GradientFillTest : public ImgUtilTest {
 protected:
  static constexpr TColor kBack = 0x00FF00;
  void SetUp() override {
    ImgUtilTest::SetUp();
    bmp_ = std::make_unique<TBitmap>(12, 40);
    TBrushHandle back = MakeSolidBrush(kBack);
    RECT all{0, 0, 12, 40};
    FillRect(bmp_->DC(), &all, back.Get());
  }
  void TearDown() override {
    bmp_.reset();
    ImgUtilTest::TearDown();
  }
  std::unique_ptr<TBitmap> bmp_;
};

TEST_F(GradientFillTest, VerticalFillPaintsOneRampEntryPerLine) {
  RECT r{2, 0, 10, 40};
  GradientFill(bmp_->DC(), r, clWhite, true, 0x404080);
  const std::vector<int32_t>& ramp = GradientColors(GradientTable(40, clWhite, 0x404080));
  EXPECT_EQ(ramp.front(), clWhite);
  for (int y = 0; y < 40; ++y) {
    EXPECT_EQ(At(*bmp_, 2, y), ramp[static_cast<size_t>(y)]) << y;
    EXPECT_EQ(At(*bmp_, 9, y), ramp[static_cast<size_t>(y)]) << y;
    EXPECT_EQ(At(*bmp_, 1, y), kBack) << y;
    EXPECT_EQ(At(*bmp_, 10, y), kBack) << y;
  }
}

TEST_F(GradientFillTest, HorizontalFillRunsLeftToRight) {
  RECT r{0, 5, 12, 7};
  GradientFill(bmp_->DC(), r, 0x000000, false, 0x0000FF);
  const std::vector<int32_t>& ramp = GradientColors(GradientTable(12, 0x000000, 0x0000FF));
  for (int x = 0; x < 12; ++x) {
    EXPECT_EQ(At(*bmp_, x, 5), ramp[static_cast<size_t>(x)]) << x;
    EXPECT_EQ(At(*bmp_, x, 4), kBack) << x;
    EXPECT_EQ(At(*bmp_, x, 7), kBack) << x;
  }
  EXPECT_EQ(At(*bmp_, 0, 6), 0x000000);
  EXPECT_EQ(At(*bmp_, 11, 6), 0x0000FF);
}

TEST_F(GradientFillTest, ClippedFillKeepsTheRampAlignedToTheRectangle) {
  HDC dc = bmp_->DC();
  IntersectClipRect(dc, 0, 10, 12, 20);
  RECT r{0, 0, 12, 40};
  GradientFill(dc, r, clWhite, true, clBlack);
  SelectClipRgn(dc, nullptr);
  const std::vector<int32_t>& ramp = GradientColors(GradientTable(40, clWhite, clBlack));
  for (int y = 0; y < 40; ++y) {
    TColor expected = y >= 10 && y < 20 ? ramp[static_cast<size_t>(y)] : kBack;
    EXPECT_EQ(At(*bmp_, 6, y), expected) << y;
  }
}

TEST_F(GradientFillTest, NothingIsPaintedOutsideTheDcOrForAnEmptyRectangle) {
  struct Case {
    RECT r;
    bool vertical;
    const char* what;
  } cases[] = {
      {{0, 50, 12, 90}, true, "below the bitmap"},
      {{0, 10, 12, 10}, true, "no height"},
      {{5, 0, 5, 40}, false, "no width"},
      {{8, 0, 2, 40}, false, "inverted"},
  };
  for (const Case& c : cases) {
    GradientFill(bmp_->DC(), c.r, clWhite, c.vertical, clBlack);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 12; ++x) ASSERT_EQ(At(*bmp_, x, y), kBack) << c.what << " at " << x << "," << y;
  }
}

TEST_F(GradientFillTest, RectangleReachingPastTheDcStillStartsItsRampAtItsEdge) {
  RECT r{0, -20, 12, 20};
  GradientFill(bmp_->DC(), r, clWhite, true, clBlack);
  const std::vector<int32_t>& ramp = GradientColors(GradientTable(40, clWhite, clBlack));
  EXPECT_EQ(At(*bmp_, 0, 0), ramp[20]);
  EXPECT_EQ(At(*bmp_, 0, 19), ramp[39]);
  EXPECT_EQ(At(*bmp_, 0, 20), kBack);
}

}  // namespace
}  // namespace qn
