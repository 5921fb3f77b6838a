// What the skinned-control base paints and where: over the control's own picture in one blit,
// instead of it, behind a see-through control, frames of skin images, captions and their focus
// rectangle, and a press forwarded to the control at the right place.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win/GdiObjects.h"
#include "skin/draw/SkinDraw.h"
#include "tests/skin/controls/ControlFixture.h"

namespace qn::test {
namespace {

TEST_F(ControlTest, TheSkinGoesOverTheControlsOwnPictureInOneBlit) {
  auto* edit = Place<TEdit>(10, 10, 160, 30);
  TTestSkinner* skinner = Skin(edit);
  Settle(edit->Handle());
  ASSERT_GT(skinner->paints, 0);
  EXPECT_TRUE(skinner->offscreen) << "composed off screen";
  const TColor face = data->Skin()->Colors[skin::kcButtonFace];
  const RECT r = WindowRect0(edit->Handle());
  EXPECT_EQ(r.right, 160);
  EXPECT_EQ(PixelAt(edit->Handle(), 10, 5), kMark);
  EXPECT_EQ(PixelAt(edit->Handle(), 10, 25), face);
  EXPECT_EQ(PixelAt(edit->Handle(), 120, 15), ColorToRGB(edit->Color())) << "the edit's own picture stays";
  EXPECT_EQ(skinner->boundsrect.right - skinner->boundsrect.left, 160);

  // Into a DC it is given: the whole window's rectangle, over what the DC holds.
  TBitmap given(160, 30, TPixelFormat::pf24bit);
  FillColor(given.DC(), RECT{0, 0, 160, 30}, clTeal);
  skinner->PaintControl(given.DC());
  EXPECT_EQ(Read(given.DC(), 10, 5, 1, 1)[0][0], kMark);
  EXPECT_EQ(Read(given.DC(), 120, 15, 1, 1)[0][0], clTeal);
}

TEST_F(ControlTest, APaintTakenOverByTheSkinnerIsFinishedByIt) {
  HWND bare = MakeProbeWindow(form->Handle(), 10, 10, 120, 40);
  TTestSkinner* skinner = SkinWindow(bare);
  skinner->take_paint = true;
  Settle(bare);
  const int paints = skinner->paints;
  InvalidateRect(bare, nullptr, TRUE);
  Settle(bare);  // nothing left to paint: the skinner's paint validated the window
  EXPECT_EQ(skinner->paints, paints + 1);
  EXPECT_EQ(PixelAt(bare, 10, 5), kMark);
}

// A see-through control's background is its parent's picture behind it; a bare window's, the
// skin's face colour.
TEST_F(ControlTest, ASeeThroughControlShowsItsParentBehindIt) {
  auto* probe = Place<TProbeControl>(30, 40, 60, 20);
  HWND bare = MakeProbeWindow(form->Handle(), 30, 80, 60, 20);
  TTestSkinner* skinners[] = {Skin(probe), SkinWindow(bare)};
  const TColor behind[] = {static_cast<TColor>(ColorToRGB(form->Color())), data->Skin()->Colors[skin::kcButtonFace]};
  HWND windows[] = {probe->Handle(), bare};
  for (int i = 0; i < 2; ++i) {
    skinners[i]->see_through = true;
    TBitmap dc(60, 20, TPixelFormat::pf24bit);
    FillColor(dc.DC(), RECT{0, 0, 60, 20}, clBlack);
    EXPECT_EQ(SendMessageW(windows[i], WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.DC()), 0), 1);
    EXPECT_TRUE(SamePicture(Read(dc), Fill(60, 20, behind[i]))) << (i ? "bare window" : "control");
  }
}

TEST_F(ControlTest, FramesOfSkinImagesFillTheirRectangleOrNothing) {
  auto skin = data->Skin();
  TDataSkinButton& button = *skin->Button;
  ASSERT_FALSE(button.Map.Empty());
  TTestSkinner skinner(nullptr);
  skinner.fsd = data;
  struct Row {
    const char* what;
    RECT rc;
    bool draws;
  } rows[] = {
      {"a rectangle", {4, 3, 64, 27}, true},
      {"right edge left of the left edge", {40, 3, 30, 27}, false},
      {"bottom above the top", {4, 27, 64, 20}, false},
      {"no width", {40, 3, 40, 27}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto got = MakeTarget(70, 30), want = MakeTarget(70, 30);
    skinner.DrawSkinMap(got->DC(), row.rc, button, 2, std::max(1, int(button.frame)));
    if (row.draws)
      DrawSkinRect(want->DC(), row.rc, button.Map, MarginRect(button.r), 2, std::max(1, int(button.frame)),
                   button.trans == 1, button.Tile != 0, false);
    EXPECT_TRUE(SamePicture(Read(*got), Read(*want)));
  }

  // A plain picture's frame stretched, magenta left out.
  auto strip = MakeImage(20, 4, TPixelFormat::pf24bit, [](int x, int) { return x < 10 ? clRed : kMagenta; });
  auto got = MakeTarget(8, 8);
  skinner.DrawSkinMap2(got->DC(), RECT{0, 0, 8, 8}, *strip, 2, 2);
  EXPECT_TRUE(SamePicture(Read(*got), Fill(8, 8, kBackground)));
  skinner.DrawSkinMap3(got->Canvas(), RECT{0, 0, 8, 8}, *strip, 1, 2);
  EXPECT_TRUE(SamePicture(Read(*got), Fill(8, 8, clRed)));
}

// ---- Captions ----

class CaptionTest : public ::testing::Test {
 protected:
  static constexpr int kW = 200, kH = 70;
  static constexpr RECT kRc{10, 8, 170, 8};  // bottom set per case

  // A white picture to draw on.
  static std::unique_ptr<TBitmap> White() {
    auto bmp = std::make_unique<TBitmap>(kW, kH, TPixelFormat::pf24bit);
    FillColor(bmp->DC(), RECT{0, 0, kW, kH}, clWhite);
    return bmp;
  }
  // The text drawn with DrawText at r in the canvas's default font.
  static std::unique_ptr<TBitmap> Reference(const std::wstring& text, RECT r, UINT flags, TColor colour) {
    auto bmp = White();
    TFont font;
    TScopedSelect select(bmp->DC(), font.Handle());
    SetBkMode(bmp->DC(), TRANSPARENT);
    SetTextColor(bmp->DC(), ColorToRGB(colour));
    DrawTextW(bmp->DC(), text.c_str(), int(text.size()), &r, flags);
    return bmp;
  }
  static SIZE Extent(const std::wstring& text) {
    auto bmp = White();
    TFont font;
    TScopedSelect select(bmp->DC(), font.Handle());
    SIZE s{};
    GetTextExtentPoint32W(bmp->DC(), text.c_str(), int(text.size()), &s);
    return s;
  }
  TSkinControl skinner{nullptr};
};

TEST_F(CaptionTest, ACaptionIsCentredVerticallyOnePixelHigh) {
  const std::wstring text = L"Ag 当归";
  const SIZE s = Extent(text);
  struct Row {
    const char* what;
    int extra;  // the rectangle's height beyond the text's
    UINT alignment;
    bool enabled;
    int dy;     // where the text's top lies below the rectangle's
  } rows[] = {
      {"2k higher than the text: k - 1 below the top", 12, DT_LEFT, true, 5},
      {"2k + 1 higher: the same", 13, DT_LEFT, true, 5},
      {"3 lower than the text: the half rounded toward zero", -3, DT_LEFT, true, -2},
      {"centred", 12, DT_CENTER, true, 5},
      {"right-aligned in the whole width", 12, DT_RIGHT, true, 5},
      {"disabled, in the button-shadow colour", 12, DT_LEFT, false, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    RECT rc = kRc;
    rc.bottom = rc.top + s.cy + row.extra;
    auto got = White();
    skinner.DrawCaption(got->Canvas(), rc, text, row.enabled, false, row.alignment);
    RECT at{rc.left, rc.top + row.dy, rc.right, rc.top + row.dy + s.cy};
    if (row.alignment == DT_CENTER) {
      at.left = rc.left + (rc.right - rc.left - s.cx) / 2;
      at.right = at.left + s.cx;
    }
    auto want = Reference(text, at, row.alignment == DT_RIGHT ? DT_RIGHT : DT_LEFT,
                          row.enabled ? clWindowText : clBtnShadow);
    EXPECT_TRUE(SamePicture(Read(*got), Read(*want)));
  }
}

TEST_F(CaptionTest, AnImageListPictureLeadsItsCaption) {
  constexpr TColor kPicture = 0x0000C8;
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
  ASSERT_NE(images, nullptr);
  {
    TBitmap picture(16, 16, TPixelFormat::pf24bit);
    FillColor(picture.DC(), RECT{0, 0, 16, 16}, kPicture);
    TBitmapHandle copy = MakeCompatibleBitmap(picture.DC(), 16, 16);
    {
      TMemDCHandle dc = MakeMemDC();
      TScopedSelect select(dc.Get(), copy.Get());
      BitBlt(dc.Get(), 0, 0, 16, 16, picture.DC(), 0, 0, SRCCOPY);
    }
    ASSERT_EQ(ImageList_Add(images, copy.Get(), nullptr), 0);
  }
  const std::wstring text = L"熟地";
  const SIZE s = Extent(text);
  const UINT flags = DT_WORDBREAK | DT_EXPANDTABS | DT_END_ELLIPSIS;
  const RECT rc{10, 8, 170, 48};
  const int rw = rc.right - rc.left, rh = rc.bottom - rc.top;
  struct Row {
    const char* what;
    HIMAGELIST list;
    int index;
    int talign;
    int picture_x;  // -1: no picture
    int text_x;
  } rows[] = {
      {"no picture: the text alone, three pixels in", images, -1, 0, -1, 3},
      {"no image list", nullptr, 0, 0, -1, 3},
      {"a picture three pixels in, the text where it ends", images, 0, 0, 3, 3 + 16},
      {"the pair centred", images, 0, 1, (rw - 16 - s.cx) / 2, (rw - 16 - s.cx) / 2 + 16},
      {"the pair at the right", images, 0, 2, rw - 16 - s.cx - 2, rw - s.cx - 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto got = White();
    skinner.DrawImgCaption(got->Canvas(), rc, row.list, row.index, text, row.talign);
    const int top = rc.top + (rh - s.cy) / 2;
    auto want = Reference(text, RECT{rc.left + row.text_x, top, rc.left + row.text_x + s.cx, top + s.cy}, flags,
                          clWindowText);
    if (row.picture_x >= 0)
      FillColor(want->DC(), RECT{rc.left + row.picture_x, rc.top + 12, rc.left + row.picture_x + 16, rc.top + 28},
                kPicture);
    EXPECT_TRUE(SamePicture(Read(*got), Read(*want)));
  }
  ImageList_Destroy(images);
}

TEST_F(CaptionTest, TheFocusRectangleSurroundsTheCaptionInsideTheRectangle) {
  const RECT rc{20, 10, 180, 50};
  struct Row {
    const char* what;
    std::wstring caption;
    UINT flags;
  } rows[] = {
      {"left", L"Ag", DT_LEFT},
      {"centred, one pixel high", L"Ag", DT_CENTER},
      {"right", L"Ag", DT_RIGHT},
      {"wider than the rectangle", std::wstring(60, L'W'), DT_LEFT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const SIZE s = Extent(row.caption);
    RECT text{rc.left, rc.top, rc.left + s.cx, rc.top + s.cy};
    if (row.flags & DT_CENTER)
      OffsetRect(&text, (rc.right - rc.left - s.cx) / 2, (rc.bottom - rc.top - s.cy) / 2 - 1);
    else if (row.flags & DT_RIGHT)
      OffsetRect(&text, rc.right - rc.left - s.cx, 0);
    InflateRect(&text, 2, 1);
    RECT want;
    IntersectRect(&want, &text, &rc);

    auto got = White();
    TFont font;
    {
      TScopedSelect select(got->DC(), font.Handle());
      skinner.caption = row.caption;
      skinner.DrawCaptionFocus(got->DC(), row.flags, rc);
    }
    // The dotted rectangle's extent.
    const Rows px = Read(*got);
    RECT box{kW, kH, -1, -1};
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (px[size_t(y)][size_t(x)] != clWhite) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    EXPECT_EQ(box.left, want.left);
    EXPECT_EQ(box.top, want.top);
    EXPECT_EQ(box.right, want.right);
    EXPECT_EQ(box.bottom, want.bottom);
  }
}

// ---- A press forwarded ----

// The press reaches the control's mouse-down handling at its client position. A control wider
// than a mouse message can say (a window-less one: windows are at most 32767 wide) is pressed
// where the cursor is.
TEST_F(ControlTest, AForwardedPressReachesTheControlWhereItHappened) {
  struct Press {
    TMouseButton button;
    unsigned shift;
    int x, y;
  };
  static Press seen;
  const TMouseEvent note(nullptr, [](void*, TObject*, TMouseButton b, unsigned shift, int x, int y) {
    seen = {b, shift, x, y};
  });
  struct Row {
    const char* what;
    bool windowless;
    int left, width;
    POINT at;      // client position of the press
    POINT cursor;  // client position of the cursor
  } rows[] = {
      {"a windowed control: the message's position", false, 10, 120, {30, 12}, {90, 30}},
      {"a window-less control: the message's position", true, 10, 120, {30, 12}, {90, 30}},
      {"40000 pixels wide: the cursor's", true, -39000, 40000, {39100, 12}, {39100, 12}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TControl* target;
    TTestSkinner* skinner;
    if (row.windowless) {
      target = Place<TProbeGraphic>(row.left, 20, row.width, 40);
      skinner = new TTestSkinner(target);
      skinner->InitGraphicControl(sf, data, &sf->ControlCanvas());
    } else {
      auto* probe = Place<TProbeControl>(row.left, 20, row.width, 40);
      target = probe;
      skinner = Skin(probe);
    }
    ASSERT_EQ(target->Width(), row.width);
    target->OnMouseDown = note;
    const POINT cursor = target->ClientToScreen(row.cursor);
    ASSERT_TRUE(SetCursorPos(cursor.x, cursor.y));
    // Under Wine the cursor arrives a moment later.
    ASSERT_TRUE(Pump([&] {
      POINT now;
      return GetCursorPos(&now) && now.x == cursor.x && now.y == cursor.y;
    }));
    seen = {TMouseButton::mbRight, 0, -1, -1};
    target->Perform(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(row.at.x, row.at.y));
    EXPECT_EQ(skinner->state & kStatePressed, kStatePressed);
    EXPECT_EQ(seen.button, TMouseButton::mbLeft);
    EXPECT_EQ(seen.shift, 1u | 8u);
    EXPECT_EQ(seen.x, row.at.x);
    EXPECT_EQ(seen.y, row.at.y);
    target->Free();
  }
}

}  // namespace
}  // namespace qn::test
