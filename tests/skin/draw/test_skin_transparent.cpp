// Transparent drawing through both ways of copying, frame counts below 1, the GDI objects the
// routines keep and release, and the shared scratch bitmap.
#include <gtest/gtest.h>

#include <functional>

#include "skin/draw/SkinDraw.h"
#include "tests/skin/draw/Pictures.h"

namespace qn::test {
namespace {

struct TMethodCase {
  TTransparentMethod method;
  const char* name;
};
constexpr TMethodCase kMethods[] = {{TTransparentMethod::tmMaskBlt, "MaskBlt"},
                                    {TTransparentMethod::tmThreeBlits, "three blits"}};

class Transparent : public ::testing::Test {
 protected:
  void TearDown() override { SetTransparentMethod(TTransparentMethod::tmAuto); }
};

// Two 4 x 3 frames side by side with exact magenta, near magenta and plain pixels.
TColor TwoFrames(int x, int y) {
  const int f = x / 4, c = x % 4;
  if ((c + y) % 3 == 0) return kMagenta;
  if (c == 1 && y == 1) return kNearMagenta;
  return RGB(30 + 40 * c, 30 + 50 * y, 60 + 100 * f);
}

// Frame 2 as a transparent draw must leave it: the target where the image is exactly magenta.
Rows ExpectFrame2() {
  Rows rows = Fill(4, 3, 0);
  for (int y = 0; y < 3; ++y)
    for (int c = 0; c < 4; ++c) {
      const TColor p = TwoFrames(4 + c, y);
      rows[y][c] = p == kMagenta ? kBackground : p;
    }
  return rows;
}

TEST_F(Transparent, ExactMagentaKeepsTheTargetNearMagentaIsDrawn) {
  const RECT at{2, 1, 6, 4};
  const RECT none{0, 0, 0, 0};
  struct TRoutine {
    const char* name;
    std::function<void(TBitmap& target, TBitmap& image)> draw;
  } routines[] = {
      {"DrawSkinRect", [&](TBitmap& t, TBitmap& i) { DrawSkinRect(t.DC(), at, i, none, 2, 2, true, false, false); }},
      {"DrawSkinStripH", [&](TBitmap& t, TBitmap& i) { DrawSkinStripH(t.Canvas(), at, i, none, 2, 2, true, false); }},
      {"DrawSkinFrame", [&](TBitmap& t, TBitmap& i) { DrawSkinFrame(t.DC(), at, i, 2, 2, true); }},
      {"DrawSkinFrameCenter", [&](TBitmap& t, TBitmap& i) { DrawSkinFrameCenter(t.DC(), at, i, 2, 2, true); }},
      {"DrawTransparent of the frame's part",
       [&](TBitmap& t, TBitmap& i) {
         TBitmap frame(4, 3, i.PixelFormat());
         BitBlt(frame.DC(), 0, 0, 4, 3, i.DC(), 4, 0, SRCCOPY);
         DrawTransparent(t.DC(), at, frame, kMagenta);
       }},
  };
  Rows want = Fill(9, 6, kBackground);
  const Rows frame = ExpectFrame2();
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) want[1 + y][2 + x] = frame[y][x];
  for (const TMethodCase& m : kMethods) {
    SetTransparentMethod(m.method);
    for (const TFormatCase& f : kFormats) {
      auto image = MakeImage(8, 3, f.format, TwoFrames);
      for (const TRoutine& r : routines) {
        SCOPED_TRACE(std::string(r.name) + ", " + m.name + ", " + f.name + " image");
        auto target = MakeTarget(9, 6);
        SetBkColor(target->DC(), 0x123456);
        SetTextColor(target->DC(), 0x654321);
        r.draw(*target, *image);
        EXPECT_TRUE(SamePicture(Read(*target), want));
        EXPECT_EQ(GetBkColor(target->DC()), 0x123456u) << "the target's colours are restored";
        EXPECT_EQ(GetTextColor(target->DC()), 0x654321u);
      }
    }
  }
}

TEST_F(Transparent, OnlyTheImageIsCopiedAndAnyColourCanBeLeftOut) {
  const TColor green = 0x00FF00;
  auto image = MakeImage(3, 2, TPixelFormat::pfDevice, [&](int x, int) { return x == 1 ? green : TColor{0x3070B0}; });
  Rows want = Fill(8, 5, kBackground);
  want[1][1] = want[1][3] = want[2][1] = want[2][3] = 0x3070B0;
  for (const TMethodCase& m : kMethods) {
    SetTransparentMethod(m.method);
    auto target = MakeTarget(8, 5);
    DrawTransparent(target->DC(), RECT{1, 1, 8, 5}, *image, green);  // larger than the image
    DrawTransparent(target->DC(), RECT{6, 3, 5, 5}, *image, green);  // inverted
    EXPECT_TRUE(SamePicture(Read(*target), want)) << m.name;
  }
}

// ---- Frame counts below 1 ----

TEST(FrameCount, BelowOneDrawsAsOne) {
  // Each pixel its own colour, so that a frame of any width shows which part it took.
  auto image = MakeImage(12, 6, TPixelFormat::pfDevice, [](int x, int y) { return RGB(20 * x, 40 * y, 99); });
  const RECT dest{1, 1, 15, 9}, margins{3, 2, 4, 1};
  struct TRoutine {
    const char* name;
    std::function<void(TBitmap& target, int count)> draw;
  } routines[] = {
      {"DrawSkinRect",
       [&](TBitmap& t, int n) { DrawSkinRect(t.DC(), dest, *image, margins, 1, n, false, true, false); }},
      {"DrawSkinRect vertical",
       [&](TBitmap& t, int n) { DrawSkinRect(t.DC(), dest, *image, margins, 1, n, true, false, true); }},
      {"MakeSkinBitmap",
       [&](TBitmap& t, int n) { MakeSkinBitmap(dest, *image, margins, 1, n, false, false)->Draw(t.DC(), 1, 1); }},
      {"DrawSkinStripH",
       [&](TBitmap& t, int n) { DrawSkinStripH(t.Canvas(), dest, *image, margins, 1, n, false, false); }},
      {"DrawSkinBarH", [&](TBitmap& t, int n) { DrawSkinBarH(t.DC(), dest, *image, margins, 1, n, false, true); }},
      {"DrawSkinFrame", [&](TBitmap& t, int n) { DrawSkinFrame(t.DC(), dest, *image, 1, n, false); }},
      {"DrawSkinFrameCenter", [&](TBitmap& t, int n) { DrawSkinFrameCenter(t.DC(), dest, *image, 1, n, true); }},
  };
  for (const TRoutine& r : routines) {
    auto one = MakeTarget(16, 10);
    r.draw(*one, 1);
    for (int count : {0, -3}) {
      auto target = MakeTarget(16, 10);
      r.draw(*target, count);
      EXPECT_TRUE(SamePicture(Read(*target), Read(*one))) << r.name << ", count " << count;
    }
  }
}

// ---- What the routines keep ----

// Every routine once, with both ways of transparent copying, on images of every format.
void DrawEverything() {
  auto target = MakeTarget(40, 30);
  const RECT dest{2, 2, 38, 20}, margins{3, 2, 3, 2};
  for (const TFormatCase& f : kFormats) {
    auto image =
        MakeImage(20, 8, f.format, [](int x, int y) { return (x + y) % 5 ? RGB(x * 9, y * 20, 50) : kMagenta; });
    for (TTransparentMethod m : {TTransparentMethod::tmMaskBlt, TTransparentMethod::tmThreeBlits}) {
      SetTransparentMethod(m);
      for (bool flag : {false, true}) {
        DrawSkinRect(target->DC(), dest, *image, margins, 2, 2, flag, flag, false);
        MakeSkinBitmap(dest, *image, margins, 1, 2, flag, flag);
        DrawSkinStripH(target->Canvas(), dest, *image, margins, 2, 2, flag, false);
        DrawSkinBarH(target->DC(), dest, *image, margins, 1, 2, flag, false);
        DrawSkinFrame(target->DC(), dest, *image, 1, 2, flag);
        DrawSkinFrameCenter(target->DC(), dest, *image, 2, 2, flag);
        DrawSkinFrameCenter(target->DC(), dest, *image, 7, 2, flag);  // past the image
        DrawTransparent(target->DC(), dest, *image, kMagenta);
        TileDraw(target->Canvas(), dest, *image, RECT{15, 4, 25, 9});  // partly past the image
      }
      BitmapToRegion(*image, 3, 4, kMagenta, 1, 1, 1);
    }
  }
  SetTransparentMethod(TTransparentMethod::tmAuto);
}

TEST(Resources, KeptBuffersAreReusedAndReleased) {
  DoneSkinDraw();  // whatever earlier tests left in the buffers
  const int before = LiveGdiHandles();
  DrawEverything();
  const int kept = LiveGdiHandles();
  DrawEverything();
  EXPECT_EQ(LiveGdiHandles(), kept) << "a second round of the same calls makes nothing new";
  DoneSkinDraw();
  EXPECT_EQ(LiveGdiHandles(), before) << "everything is released with the module";
  InitSkinDraw();
}

TEST(Resources, ScratchBitmapLivesWithTheModule) {
  TBitmap* scratch = SkinScratch();
  ASSERT_NE(scratch, nullptr);
  EXPECT_EQ(SkinScratch(), scratch);
  scratch->SetSize(30, 10);
  EXPECT_EQ(scratch->PixelFormat(), TPixelFormat::pfDevice);
  EXPECT_EQ(GetStretchBltMode(scratch->DC()), COLORONCOLOR) << "painters stretch whole pixels in it";

  const int live = LiveGdiHandles();
  DoneSkinDraw();
  EXPECT_EQ(SkinScratch(), nullptr) << "painters find it absent and draw nothing";
  EXPECT_LT(LiveGdiHandles(), live);
  InitSkinDraw();
  ASSERT_NE(SkinScratch(), nullptr);
  EXPECT_EQ(GetStretchBltMode(SkinScratch()->DC()), COLORONCOLOR);
}

}  // namespace
}  // namespace qn::test
