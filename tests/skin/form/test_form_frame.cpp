// The skinned frame under Wine: painted from the skin's images (read back from the screen),
// active and inactive; the window fitted around an unchanged client area; message boxes
// widened to their title; caption text laid out by the skin; detaching.
#include <gtest/gtest.h>

#include "platform/win/WinUtil.h"
#include "skin/form/SkinDraw.h"
#include "skin/manager/WinSkinDlg.h"
#include "tests/skin/form/FormFixture.h"

namespace qn::test {
namespace {

TDataSkinSysButton& Definition(TWinSkinForm* sf, int action) {
  for (auto& b : sf->SysBtn)
    if (b->data->Action == action) return *b->data;
  throw std::runtime_error("no caption button of that action");
}

TWinSysButton* Button(TWinSkinForm* sf, int action) {
  for (auto& b : sf->SysBtn)
    if (b->data->Action == action && b->visible) return b.get();
  return nullptr;
}

TEST_F(FormTest, FrameIsPaintedFromTheSkinImagesActiveAndInactive) {
  TTestForm* f = MakeForm(400, 260, TFormBorderStyle::bsSizeable, kSysOnly, L"");
  TWinSkinForm* sf = Attach(f);
  Activate(f->Handle(), sf);
  // The built-in skin: 4-pixel sides and bottom, a 25-pixel title.
  EXPECT_EQ(sf->bw.left, 4);
  EXPECT_EQ(sf->bw.right, 4);
  EXPECT_EQ(sf->bw.top, 25);
  EXPECT_EQ(sf->bw.bottom, 4);
  TWinSysButton* close = Button(sf, 0);
  ASSERT_NE(close, nullptr);
  const RECT w = WindowRect0(f->Handle());
  // The close button sits where the skin puts it: 19 pixels from the right edge, 7 down.
  EXPECT_EQ(close->bounds.left, w.right - 19);
  EXPECT_EQ(close->bounds.top, 7);
  // Without minimise and maximise boxes those two buttons stay away.
  EXPECT_EQ(Button(sf, 1), nullptr);
  EXPECT_EQ(Button(sf, 2), nullptr);
  SaveShot(f->Handle(), "frame_active");

  Rows px = WindowPixels(f->Handle());
  EXPECT_TRUE(FrameMatchesSkin(px, data->skin, true, sf->bw, {close->bounds}));
  EXPECT_TRUE(ButtonShows(px, close->bounds, *close->data, 1));

  // Another window activated: every border shows its second frame, the button its fourth.
  TTestForm* other = MakeForm(200, 100, TFormBorderStyle::bsSizeable, kSysOnly, L"other", 500, 400);
  ASSERT_TRUE(Pump([&] { return !sf->FWindowActive && !GetUpdateRect(f->Handle(), nullptr, FALSE); }));
  (void)other;
  SaveShot(f->Handle(), "frame_inactive");
  px = WindowPixels(f->Handle());
  EXPECT_TRUE(FrameMatchesSkin(px, data->skin, false, sf->bw, {close->bounds}));
  EXPECT_TRUE(ButtonShows(px, close->bounds, *close->data, 4));
}

}  // namespace
}  // namespace qn::test
