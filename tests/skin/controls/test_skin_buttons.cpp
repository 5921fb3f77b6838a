// Push buttons skinned by control discovery on a skinned form: the face frames against the
// skin's button image, captions, glyphs, and exactly one click per press from the mouse, the
// space bar, Enter and an accelerator, the same as on a button that is not skinned.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "platform/core/TextConv.h"
#include "platform/win/Buttons.h"
#include "platform/win/GdiObjects.h"
#include "skin/controls/SkinButtons.h"
#include "skin/data/WinSkinData.h"
#include "tests/skin/controls/ControlFixture.h"
#include "tests/skin/controls/LayeredPicture.h"

namespace qn::test {
namespace {

// The button's skinner, made by control discovery.
template <class T = TSkinButton>
T* SkinnerOf(TControl* control) {
  for (int i = 0; i < control->ComponentCount(); ++i)
    if (auto* s = dynamic_cast<T*>(control->Components(i))) return s;
  return nullptr;
}

class ButtonTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    SetCursorPos(1, 1);  // away from every control
  }
  // Controls placed, then found by the form skinner's discovery as at activation.
  void Discover() {
    sf->InitControls(form);
    Settle(form->Handle());
  }
  void Hover(TWinControl* c) {
    const POINT p = c->ClientToScreen(POINT{c->Width() / 2, c->Height() / 2});
    SetCursorPos(p.x, p.y);
    SendMessageW(c->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c->Width() / 2, c->Height() / 2));
    Settle(c->Handle());
  }
  void Press(TWinControl* c, UINT msg) {
    SendMessageW(c->Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(5, 5));
    Settle(c->Handle());
  }
  TColor Face() { return data->Skin()->Colors[skin::kcButtonFace]; }
};

TEST(PushButtonFrame, StatesChooseTheirFace) {
  struct Row {
    const char* what;
    bool focused_or_default, pressed, hot, disabled;
    int frame;
  } rows[] = {
      {"nothing", false, false, false, false, kFrameNormal},
      {"focused or default", true, false, false, false, kFrameFocused},
      {"hot default", true, false, true, false, kFrameHot},
      {"pressed focused", true, true, false, false, kFramePressed},
      {"pressed and hot", false, true, true, false, kFramePressed},
      {"disabled default", true, false, false, true, kFrameDisabled},
      {"disabled while pressed", false, true, true, true, kFrameDisabled},
  };
  for (const Row& r : rows)
    EXPECT_EQ(PushButtonFrame(r.focused_or_default, r.pressed, r.hot, r.disabled), r.frame) << r.what;
}

TEST(PushButtonCaption, OnlyTheFirstMarkerBreaksTheLine) {
  struct Row {
    const wchar_t *text, *want;
  } rows[] = {
      {L"Open", L"Open"},
      {L"Open||file", L"Open\r\nfile"},
      {L"a||b||c", L"a\r\nb||c"},
      {L"||", L"\r\n"},
      {L"", L""},
  };
  for (const Row& r : rows) EXPECT_EQ(ReplaceFirst(r.text, L"||", L"\r\n"), r.want) << WideToUtf8(r.text);
}

// Discovery gives each kind of push button its skinner, and the button then answers that it
// is skinned.
TEST_F(ButtonTest, DiscoveryGivesPushButtonsTheirSkinners) {
  auto* plain = Place<TButton>(10, 10, 90, 30);
  auto* bit = Place<TBitBtn>(110, 10, 90, 30);
  Discover();
  ASSERT_NE(SkinnerOf(plain), nullptr);
  EXPECT_EQ(SkinnerOf(plain)->ClassName(), "TSkinButton");
  ASSERT_NE(SkinnerOf<TSkinBitButton>(bit), nullptr);
  EXPECT_EQ(SendMessageW(plain->Handle(), WM_SKINQUERY, 0, 0), 1);
  auto skinners = [&] {
    int n = 0;
    for (int i = 0; i < plain->ComponentCount(); ++i) n += dynamic_cast<TSkinControl*>(plain->Components(i)) != nullptr;
    return n;
  };
  Discover();  // a second walk skins nothing twice
  EXPECT_EQ(skinners(), 1);
  // A new window for the button: the old skinner let go with the old window, and the next walk
  // frees it and skins the new one.
  plain->RecreateWnd();
  plain->HandleNeeded();
  EXPECT_EQ(SendMessageW(plain->Handle(), WM_SKINQUERY, 0, 0), 0);
  Discover();
  EXPECT_EQ(skinners(), 1);
  EXPECT_EQ(SendMessageW(plain->Handle(), WM_SKINQUERY, 0, 0), 1);
}

// A button that the skin's list of other families names a picture button draws its "PngImage"
// picture: discovery hands the skinner that property's name.
TEST_F(ButtonTest, APictureButtonOfTheSkinsListGetsItsPictureProperty) {
  data->SetSkin3rd({L"TBitBtn=pngbitbtn"});
  auto* bit = Place<TBitBtn>(110, 10, 90, 30);
  Discover();
  ASSERT_NE(SkinnerOf<TSkinBitButton>(bit), nullptr);
  EXPECT_EQ(SkinnerOf<TSkinBitButton>(bit)->PicField, L"PngImage");
}

// Each state a user can reach shows its face of the skin's button image, with the caption
// centred on it.
TEST_F(ButtonTest, EachStateShowsItsFaceWithTheCaptionCentred) {
  struct Row {
    const char* what;
    int frame;
  } rows[] = {{"normal", kFrameNormal},   {"focused", kFrameFocused}, {"default", kFrameFocused},
              {"hot", kFrameHot},         {"pressed", kFramePressed}, {"disabled", kFrameDisabled}};
  auto skin = data->Skin();
  TDataSkinButton& image = *skin->Button;
  ASSERT_GE(image.frame, 5);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    auto* other = Place<TEdit>(10, 200, 80, 24);  // holds the focus where the row has none
    auto* button = Place<TButton>(20, 20, 110, 36);
    button->SetCaption(L"Go");
    Discover();
    TSkinButton* skinner = SkinnerOf(button);
    ASSERT_NE(skinner, nullptr);
    other->SetFocus();
    const std::string what = r.what;
    if (what == "focused") button->SetFocus();
    if (what == "default") button->SetDefault(true);
    if (what == "hot") Hover(button);
    if (what == "pressed") Press(button, WM_LBUTTONDOWN);
    if (what == "disabled") button->SetEnabled(false);
    Settle(button->Handle());
    RECT ink{};
    EXPECT_TRUE(FaceShows(ClientPixels(button), image, r.frame, Face(), &ink));
    ASSERT_LT(ink.left, ink.right) << "a caption is drawn";
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 55, 3);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 18, 4);
    if (what == "pressed") Press(button, WM_LBUTTONUP);
    delete button;
    delete other;
  }
}

// A skin with fewer faces than a state asks for shows its first; a skin without a button
// picture leaves the face as it was and never fails.
TEST_F(ButtonTest, ADamagedButtonImageDrawsWhatExists) {
  auto* button = Place<TButton>(20, 20, 110, 36);
  Discover();
  TSkinButton* skinner = SkinnerOf(button);
  ASSERT_NE(skinner, nullptr);
  auto skin = data->Skin();
  TDataSkinButton& image = *skin->Button;
  const int frames = image.frame;
  image.frame = 3;
  button->SetFocus();  // the focused face, the fifth, is missing
  Settle(button->Handle());
  EXPECT_TRUE(FaceShows(ClientPixels(button), image, kFrameNormal, Face(), nullptr));
  image.frame = frames;

  TBitmap kept;
  kept.Assign(&image.Map);
  image.Map.SetSize(0, 0);
  skinner->Redraw();
  Settle(button->Handle());
  image.Map.Assign(&kept);
  EXPECT_TRUE(dropped.empty()) << dropped.front();
}

// The skin's caption colour of each state, grey when disabled.
TEST_F(ButtonTest, CaptionColoursFollowTheSkinsOverrides) {
  auto* button = Place<TButton>(20, 20, 110, 36);
  button->SetCaption(L"WWWW");
  Discover();
  auto skin = data->Skin();
  TDataSkinButton& image = *skin->Button;
  const bool keep[] = {image.newnormal, image.newover, image.newdown};
  image.newnormal = image.newover = image.newdown = true;
  image.Normalcolor2 = 0x0000C8;
  image.Overcolor2 = 0x00C800;
  image.Downcolor2 = 0xC80000;
  struct Row {
    const char* what;
    TColor colour;
  } rows[] = {{"normal", 0x0000C8}, {"hot", 0x00C800}, {"pressed", 0xC80000}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::string what = r.what;
    if (what == "hot") Hover(button);
    if (what == "pressed") Press(button, WM_LBUTTONDOWN);
    button->Invalidate();
    Settle(button->Handle());
    // Text may be smoothed: its strongest pixels are of the colour's one channel.
    const Rows px = ClientPixels(button);
    auto channel = [](TColor c, int i) { return int((c >> (8 * i)) & 0xFF); };
    const int strong = channel(r.colour, 0) ? 0 : channel(r.colour, 1) ? 1 : 2;
    int found = 0;
    for (const auto& row : px)
      for (TColor c : row) {
        bool only = channel(c, strong) > 120;
        for (int i = 0; i < 3; ++i)
          if (i != strong && channel(c, i) > 80) only = false;
        found += only;
      }
    EXPECT_GT(found, 10) << "caption pixels of the state's colour";
  }
  Press(button, WM_LBUTTONUP);
  image.newnormal = keep[0];
  image.newover = keep[1];
  image.newdown = keep[2];
}

// One click per press, whatever makes it, and the same count on a button that is not skinned.
TEST_F(ButtonTest, EveryWayOfPressingClicksExactlyOnce) {
  enum class How { Mouse, MouseLeftBeforeRelease, Space, EnterOnDefault, EnterOnFocused, Accelerator };
  struct Row {
    const char* what;
    How how;
    int clicks;
  } rows[] = {{"mouse", How::Mouse, 1},
              {"mouse released after leaving", How::MouseLeftBeforeRelease, 0},
              {"space bar", How::Space, 1},
              {"Enter in an edit, default button", How::EnterOnDefault, 1},
              {"Enter on the focused button", How::EnterOnFocused, 1},
              {"Alt and the underlined letter", How::Accelerator, 1}};
  for (bool skinned : {true, false}) {
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.what) + (skinned ? ", skinned" : ", plain"));
      auto* edit = Place<TEdit>(10, 200, 80, 24);
      auto* button = Place<TButton>(20, 20, 110, 36);
      button->SetCaption(L"&Go");
      int clicks = 0;
      struct TCounter {
        int* n;
        void Click(TObject*) { ++*n; }
      } counter{&clicks};
      button->OnClick = TNotifyEvent::Bind<&TCounter::Click>(&counter);
      if (skinned) {
        Discover();
        ASSERT_NE(SkinnerOf(button), nullptr);
      }
      auto post = [](HWND w, UINT m, WPARAM wp, LPARAM lp = 0) { PostMessageW(w, m, wp, lp); };
      switch (r.how) {
        case How::Mouse:
        case How::MouseLeftBeforeRelease:
          // What the system sends a button for a click: the move that reaches it, the press
          // and the release (a plain button captured the mouse at the press).
          Hover(button);
          post(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
          Settle(button->Handle());
          if (r.how == How::MouseLeftBeforeRelease) {
            SetCursorPos(1, 1);
            post(button->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-200, -200));
            if (skinned) post(button->Handle(), WM_MOUSELEAVE, 0);
            Settle(button->Handle());
            post(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(-200, -200));
          } else {
            post(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
          }
          break;
        case How::Space:
          button->SetFocus();
          post(button->Handle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
          post(button->Handle(), WM_KEYUP, VK_SPACE, 0xC0390001);
          break;
        case How::EnterOnDefault:
          button->SetDefault(true);
          edit->SetFocus();
          post(edit->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
          break;
        case How::EnterOnFocused:
          button->SetFocus();
          post(button->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
          break;
        case How::Accelerator:
          edit->SetFocus();
          post(edit->Handle(), WM_SYSCHAR, L'g', 0x20220001);
          break;
      }
      Pump([] { return false; }, 150);
      EXPECT_EQ(clicks, r.clicks);
      if (ReleaseCapture() && GetCapture()) ReleaseCapture();
      button->OnClick = {};
      delete button;
      delete edit;
      SetCursorPos(1, 1);
    }
  }
}

// A skin change while the button is held down: the press survives, the release clicks once,
// and the button wears the new skin.
TEST_F(ButtonTest, ASkinChangeWhileHeldDownKeepsThePress) {
  auto* button = Place<TButton>(20, 20, 110, 36);
  int clicks = 0;
  struct TCounter {
    int* n;
    void Click(TObject*) { ++*n; }
  } counter{&clicks};
  button->OnClick = TNotifyEvent::Bind<&TCounter::Click>(&counter);
  Discover();
  Press(button, WM_LBUTTONDOWN);
  data->LoadFromFile(SkinFile("ink"));
  sf->InitSkinData();
  sf->SkinChange();
  Settle(button->Handle());
  auto skin = sf->SkinObjects();
  EXPECT_EQ(skin->SkinName, data->Skin()->SkinName);
  EXPECT_TRUE(FaceShows(ClientPixels(button), *skin->Button, kFramePressed, skin->Colors[skin::kcButtonFace], nullptr));
  Press(button, WM_LBUTTONUP);
  EXPECT_EQ(clicks, 1);
  button->OnClick = {};
}

// Switched off, a skinned button looks exactly like one that was never skinned.
TEST_F(ButtonTest, SkinningSwitchedOffGivesTheButtonsOwnPicture) {
  auto* plain = Place<TButton>(20, 20, 110, 36);
  auto* skinned = Place<TButton>(20, 80, 110, 36);
  plain->SetCaption(L"Same");
  skinned->SetCaption(L"Same");
  auto* skinner = new TSkinButton(skinned);
  skinner->Init(sf, data, &sf->ControlCanvas(), false);
  Settle(skinned->Handle());
  const Rows painted = ClientPixels(skinned);
  EXPECT_FALSE(SamePicture(painted, ClientPixels(plain))) << "the skin was drawn";
  skinner->Unsubclass();
  Settle(skinned->Handle());
  EXPECT_TRUE(SamePicture(ClientPixels(skinned), ClientPixels(plain)));
  delete skinner;
}

// A plain button shows its last picture again while nothing it is drawn from changed. After
// each change below, its repaint must be what a paint from scratch gives.
TEST_F(ButtonTest, ARepaintAfterAChangeShowsWhatAFreshPaintDraws) {
  auto* other = Place<TEdit>(10, 200, 80, 24);
  auto* button = Place<TButton>(20, 20, 110, 36);
  button->SetCaption(L"Go");
  Discover();
  TSkinButton* skinner = SkinnerOf(button);
  ASSERT_NE(skinner, nullptr);
  other->SetFocus();
  struct Step {
    const char* what;
    std::function<void()> change;
  } steps[] = {
      {"first paint", [] {}},
      {"caption", [&] { button->SetCaption(L"Gone"); }},
      // A font changed in place may get its old handle back.
      {"font size", [&] { button->Font()->SetSize(14); }},
      {"font colour", [&] { button->Font()->SetColor(clRed); }},
      {"focus in", [&] { button->SetFocus(); }},
      {"focus out", [&] { other->SetFocus(); }},
      {"disabled", [&] { button->SetEnabled(false); }},
      {"enabled", [&] { button->SetEnabled(true); }},
      {"hot", [&] { Hover(button); }},
      {"resized", [&] { button->SetBounds(20, 20, 140, 40); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    Settle(button->Handle());
    skinner->PaintControl(nullptr);
    const Rows repainted = ClientPixels(button);
    skinner->ForgetPicture();
    skinner->PaintControl(nullptr);
    EXPECT_TRUE(SamePicture(repainted, ClientPixels(button)));
  }
}

// The glyph of a bitmap button: its cell for the state, and the embossed copy when disabled
// and the strip has no disabled cell.
TEST_F(ButtonTest, GlyphCellsFollowTheState) {
  // Three cells of 8 x 8: red, green, blue, on an olive background at the bottom-left.
  TBitmap strip(24, 8, TPixelFormat::pf24bit);
  const TColor cells[] = {0x0000FF, 0x00FF00, 0xFF0000};
  for (int i = 0; i < 3; ++i) FillColor(strip.DC(), RECT{i * 8, 0, i * 8 + 8, 8}, cells[i]);
  for (int i = 0; i < 3; ++i) FillColor(strip.DC(), RECT{i * 8, 6, i * 8 + 2, 8}, 0x008080);
  struct Row {
    const char* what;
    int cells;
    TColor shows;
  } rows[] = {{"normal", 3, 0x0000FF},
              {"pressed", 3, 0xFF0000},
              {"disabled", 3, 0x00FF00},
              {"disabled, one cell", 1, static_cast<TColor>(ColorToRGB(clBtnShadow))}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    auto* button = Place<TBitBtn>(20, 20, 110, 36);
    button->SetGlyph(&strip);
    button->SetNumGlyphs(r.cells);
    button->SetCaption(L"");
    Discover();
    const std::string what = r.what;
    if (what == "pressed") Press(button, WM_LBUTTONDOWN);
    if (what.rfind("disabled", 0) == 0) button->SetEnabled(false);
    Settle(button->Handle());
    const Rows px = ClientPixels(button);
    // Without a caption there is no gap: the glyph is centred.
    const int gx = (110 - 24 / r.cells) / 2, gy = (36 - 8 + 1) / 2;
    EXPECT_EQ(px[size_t(gy + 2)][size_t(gx + 4)], r.shows);
    EXPECT_NE(px[size_t(gy + 7)][size_t(gx)], 0x008080u) << "the glyph's background is left out";
    if (what == "pressed") Press(button, WM_LBUTTONUP);
    delete button;
  }
}

TEST(DisabledGlyph, IsTheGlyphsSizeAndEmbossesOnlyItsInk) {
  TBitmap glyph(12, 10, TPixelFormat::pf24bit);
  FillColor(glyph.DC(), RECT{0, 0, 12, 10}, 0x008080);  // background, as at the bottom-left
  FillColor(glyph.DC(), RECT{3, 3, 7, 7}, 0x000000);    // ink
  FillColor(glyph.DC(), RECT{8, 1, 11, 3}, 0xFFFFFF);   // white vanishes too
  std::unique_ptr<TBitmap> out = MakeDisabledGlyph(glyph);
  ASSERT_EQ(out->Width(), 12);
  ASSERT_EQ(out->Height(), 10);
  const Rows px = Read(*out);
  const TColor face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
  EXPECT_EQ(px[9][0], face) << "the background is the face";
  EXPECT_EQ(px[2][9], face) << "white is the face";
  EXPECT_EQ(px[4][4], shadow) << "ink in the shadow colour";
  EXPECT_EQ(px[7][7], light) << "and its highlight one pixel down and right";
}

// A hover change and a press each reach the screen as one blit; erasing the background draws
// nothing first.
TEST_F(ButtonTest, AHoverOrAPressReachesTheScreenInOneDraw) {
  auto* button = Place<TButton>(20, 20, 110, 36);
  Discover();
  button->SetFocus();
  Settle(button->Handle());
  const Rows shown = ClientPixels(button);
  {
    TWindowDC dc(button->Handle());
    EXPECT_NE(SendMessageW(button->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0), 0);
  }
  EXPECT_TRUE(SamePicture(ClientPixels(button), shown)) << "the erase drew nothing";
  int draws = ScreenDraws();
  Hover(button);
  EXPECT_EQ(ScreenDraws() - draws, 1) << "hover";
  draws = ScreenDraws();
  Press(button, WM_LBUTTONDOWN);
  EXPECT_EQ(ScreenDraws() - draws, 1) << "press";
  Press(button, WM_LBUTTONUP);
}

// Control destroyed first, form skinner freed first: nothing is left behind.
TEST_F(ButtonTest, LettingGoInAnyOrderLeavesNothing) {
  // The skin's button image makes its picture and DC at its first paint; they stay with it.
  auto* first = Place<TButton>(20, 20, 110, 36);
  Discover();
  delete first;
  const TCounts before = TCounts::Now();
  auto* a = Place<TButton>(20, 20, 110, 36);
  auto* b = Place<TBitBtn>(20, 80, 110, 36);
  Discover();
  ASSERT_NE(SkinnerOf(a), nullptr);
  Press(b, WM_LBUTTONDOWN);  // held down while it goes
  delete a;
  delete b;
  Settle(form->Handle());
  EXPECT_EQ(TCounts::Now(), before);
  EXPECT_TRUE(dropped.empty());
}

}  // namespace
}  // namespace qn::test
