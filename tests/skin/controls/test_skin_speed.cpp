// Speed buttons and glyph-strip check boxes on a skinned form, found by control discovery: the
// speed button's faces and glyph cells against the skin's button image, one click per press the
// same as unskinned, latched groups and hover from real mouse messages; the glyph strips the
// skin hands to check boxes and radio buttons of other component families, and taken back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "platform/win/Buttons.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/GlyphChecks.h"
#include "platform/win/PropAccess.h"
#include "skin/controls/SkinObjImage.h"
#include "skin/controls/SkinSpeedButton.h"
#include "skin/data/WinSkinData.h"
#include "tests/skin/controls/ControlFixture.h"
#include "tests/skin/controls/LayeredPicture.h"

namespace qn::test {
namespace {

template <class T = TSkinControl>
T* SkinnerOf(TControl* control) {
  for (int i = 0; i < control->ComponentCount(); ++i)
    if (auto* s = dynamic_cast<T*>(control->Components(i))) return s;
  return nullptr;
}

// Four 8 x 8 glyph cells (normal, disabled, pressed, down), each with an olive corner at the
// bottom-left, which is left out when drawn.
constexpr TColor kCellColours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
constexpr TColor kOlive = 0x008080;
constexpr int kCell = 8;
void MakeStrip(TBitmap& strip) {
  strip.SetPixelFormat(TPixelFormat::pf24bit);
  strip.SetSize(4 * kCell, kCell);
  for (int i = 0; i < 4; ++i) {
    FillColor(strip.DC(), RECT{i * kCell, 0, (i + 1) * kCell, kCell}, kCellColours[i]);
    FillColor(strip.DC(), RECT{i * kCell, kCell - 2, i * kCell + 2, kCell}, kOlive);
  }
}

struct TClickCounter {
  int n = 0;
  void Click(TObject*) { ++n; }
};

class SpeedTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    SetCursorPos(1, 1);  // away from every control
  }
  void Discover() {
    sf->InitControls(form);
    Settle(form->Handle());
  }
  TSpeedButton* Speed(int x, int y, int w, int h, TBitmap* glyph = nullptr) {
    auto* b = Place<TSpeedButton>(x, y, w, h);
    if (glyph) {
      b->SetGlyph(glyph);
      b->SetNumGlyphs(4);
    }
    return b;
  }
  // The button as painted on its parent.
  Rows Pixels(TControl* c) {
    TWindowDC dc(c->Parent()->Handle());
    return Read(dc.Get(), c->Left(), c->Top(), c->Width(), c->Height());
  }
  // Real mouse messages to the parent, at the point (x, y) of the button (the cursor is put there
  // too, or the system would report the mouse gone).
  void Mouse(TControl* c, UINT msg, int x, int y) {
    const POINT screen = c->ClientToScreen(POINT{x, y});
    SetCursorPos(screen.x, screen.y);
    const bool down = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
    const WPARAM keys = down || (msg == WM_MOUSEMOVE && pressing_) ? MK_LBUTTON : 0;
    if (down) pressing_ = true;
    if (msg == WM_LBUTTONUP) pressing_ = false;
    SendMessageW(c->Parent()->Handle(), msg, keys, MAKELPARAM(c->Left() + x, c->Top() + y));
    Settle(form->Handle());
  }
  void Hover(TControl* c) { Mouse(c, WM_MOUSEMOVE, c->Width() / 2, c->Height() / 2); }
  void Away() {
    SetCursorPos(1, 1);
    // Moves the system made for the cursor's earlier places arrive first.
    Pump([] { return false; }, 40);
    SendMessageW(form->Handle(), WM_MOUSEMOVE, pressing_ ? MK_LBUTTON : 0, MAKELPARAM(400, 250));
    Settle(form->Handle());
  }
  void Click(TControl* c) {
    Hover(c);
    Mouse(c, WM_LBUTTONDOWN, 5, 5);
    Mouse(c, WM_LBUTTONUP, 5, 5);
  }
  TColor Face() { return data->Skin()->Colors[skin::kcButtonFace]; }
  TDataSkinButton& Image() { return *data->Skin()->Button; }
  bool pressing_ = false;
};

TEST(SpeedButtonLook, FirstMatchWins) {
  struct Row {
    const char* what;
    bool down, enabled, pressed, hot;
    TSpeedLook look;
  } rows[] = {
      {"normal", false, true, false, false, {1, 1}},
      {"hot", false, true, false, true, {4, 1}},
      {"pressed and hot", false, true, true, true, {2, 3}},
      {"disabled while hot", false, false, false, true, {3, 2}},
      {"latched, hot and pressed", true, true, true, true, {2, 4}},
      {"latched and disabled", true, false, false, false, {2, 4}},
  };
  for (const Row& r : rows) EXPECT_EQ(SpeedButtonLook(r.down, r.enabled, r.pressed, r.hot), r.look) << r.what;
}

TEST_F(SpeedTest, DiscoveryHooksTheButtonAndFreesNothingTwice) {
  auto* b = Speed(20, 20, 40, 30);
  Discover();
  auto* skinner = SkinnerOf<TSkinSpeedButton>(b);
  ASSERT_NE(skinner, nullptr);
  EXPECT_EQ(skinner->GControl, b);
  EXPECT_TRUE(Listed(skinner));
  Discover();
  int skinners = 0;
  for (int i = 0; i < b->ComponentCount(); ++i) skinners += dynamic_cast<TSkinControl*>(b->Components(i)) != nullptr;
  EXPECT_EQ(skinners, 1);
}

// Each state shows its face of the button image, or none for a flat button at rest, with the
// glyph cell of the state centred on it: one pixel further right than a bitmap button puts it.
TEST_F(SpeedTest, EachStateShowsItsFaceAndGlyphCell) {
  TBitmap strip;
  MakeStrip(strip);
  ASSERT_GE(Image().frame, 4);
  enum How { kRest, kHot, kHotThenAway, kPressed, kDown, kDownHot, kDisabled };
  struct Row {
    const char* what;
    bool flat;
    How how;
    int frame;  // 0: no face
    int cell;
  } rows[] = {
      {"normal", false, kRest, 1, 1},        {"hot", false, kHot, 4, 1},
      {"hot, then left", false, kHotThenAway, 1, 1}, {"pressed", false, kPressed, 2, 3},
      {"latched", false, kDown, 2, 4},       {"latched and hot", false, kDownHot, 2, 4},
      {"disabled", false, kDisabled, 3, 2},  {"flat", true, kRest, 0, 1},
      {"flat and hot", true, kHot, 4, 1},    {"flat, hot, then left", true, kHotThenAway, 0, 1},
      {"flat and latched", true, kDown, 2, 4}, {"flat and disabled", true, kDisabled, 0, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    auto* b = Speed(20, 20, 40, 30, &strip);
    b->SetFlat(r.flat);
    b->SetGroupIndex(1);
    Discover();
    ASSERT_NE(SkinnerOf<TSkinSpeedButton>(b), nullptr);
    switch (r.how) {
      case kHot: Hover(b); break;
      case kHotThenAway: Hover(b); Away(); break;
      case kPressed: Hover(b); Mouse(b, WM_LBUTTONDOWN, 5, 5); break;
      case kDown: b->SetDown(true); break;
      case kDownHot: b->SetDown(true); Hover(b); break;
      case kDisabled: b->SetEnabled(false); break;
      case kRest: break;
    }
    Settle(form->Handle());
    const Rows px = Pixels(b);
    // No caption: no gap, and the glyph centred, one pixel right of the bitmap button's spot.
    const int gx = (40 - kCell) / 2 + 1, gy = (30 - kCell + 1) / 2;
    const RECT glyph{gx, gy, gx + kCell, gy + kCell};
    if (r.frame) {
      RECT ink{};
      EXPECT_TRUE(FaceShows(px, Image(), r.frame, Face(), &ink));
      EXPECT_TRUE(ink.left >= glyph.left && ink.top >= glyph.top && ink.right <= glyph.right &&
                  ink.bottom <= glyph.bottom)
          << "nothing but the glyph over the face: " << ink.left << "," << ink.top << "-" << ink.right << ","
          << ink.bottom;
    } else {
      int off = 0;
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
          POINT p{x, y};
          if (!PtInRect(&glyph, p)) off += px[size_t(y)][size_t(x)] != Face();
        }
      EXPECT_EQ(off, 0) << "a flat button at rest shows no face";
    }
    EXPECT_EQ(px[size_t(gy + 2)][size_t(gx + 4)], kCellColours[r.cell - 1]);
    EXPECT_NE(px[size_t(gy + kCell - 1)][size_t(gx)], kOlive) << "the glyph's corner is left out";
    if (r.how == kPressed) Mouse(b, WM_LBUTTONUP, 5, 5);
    Away();
    delete b;
  }
}

// A see-through flat button at rest shows its parent's picture and nothing else.
TEST_F(SpeedTest, ASeeThroughFlatButtonShowsItsParent) {
  Settle(form->Handle());
  TWindowDC dc(form->Handle());
  const Rows under = Read(dc.Get(), 20, 20, 40, 30);
  auto* b = Speed(20, 20, 40, 30);
  b->SetFlat(true);
  b->SetTag(5555);
  Discover();
  ASSERT_NE(SkinnerOf<TSkinSpeedButton>(b), nullptr);
  b->Invalidate();
  Settle(form->Handle());
  EXPECT_TRUE(SamePicture(Pixels(b), under));
}

// A speed button of another library whose picture is a published "PngImage".
class TPngSpeed : public TSpeedButton {
 public:
  using TSpeedButton::TSpeedButton;
  static const TClassInfo& StaticClass() {
    static const TClassInfo info =
        MakeClass<TPngSpeed, TSpeedButton>("TPngSpeedButton", {prop::Obj("PngImage", &TPngSpeed::Png, &TPngSpeed::SetPng)});
    return info;
  }
  const TClassInfo& ClassType() const override { return StaticClass(); }
  TBitmap* Png() const { return png_.get(); }
  void SetPng(TBitmap* png) { png_->Assign(png); }

 private:
  std::unique_ptr<TBitmap> png_ = std::make_unique<TBitmap>();
};

// The picture variant lays the picture out as one cell of NumGlyphs but draws it whole, in
// every state (here latched: no cell of its own).
TEST_F(SpeedTest, APictureButtonDrawsItsWholePicture) {
  TBitmap png(2 * kCell, kCell, TPixelFormat::pf24bit);
  FillColor(png.DC(), RECT{0, 0, kCell, kCell}, kCellColours[0]);
  FillColor(png.DC(), RECT{kCell, 0, 2 * kCell, kCell}, kCellColours[2]);
  auto* b = Place<TPngSpeed>(20, 20, 40, 30);
  b->SetPng(&png);
  b->SetNumGlyphs(2);
  b->SetGroupIndex(1);
  b->SetDown(true);
  b->SetTag(data->DisableTag());  // skinned below, as for the Skin3rd kind "pngspeedbutton"
  auto* skinner = new TSkinSpeedButton(b);
  skinner->PicField = L"PngImage";
  skinner->InitGraphicControl(sf, data, &sf->ControlCanvas());
  b->Invalidate();
  Settle(form->Handle());
  const Rows px = Pixels(b);
  const int gx = (40 - kCell) / 2 + 1, gy = (30 - kCell + 1) / 2;
  RECT ink{};
  EXPECT_TRUE(FaceShows(px, Image(), 2, Face(), &ink));
  EXPECT_EQ(px[size_t(gy + 4)][size_t(gx + 4)], kCellColours[0]);
  EXPECT_EQ(px[size_t(gy + 4)][size_t(gx + kCell + 4)], kCellColours[2]) << "drawn whole";
}

// A caption without a glyph is centred on the face in the skin's colour of the state.
TEST_F(SpeedTest, ACaptionTakesTheSkinsColourOfTheState) {
  auto* b = Speed(20, 20, 90, 30);
  b->SetCaption(L"WWWW");
  Discover();
  TDataSkinButton& image = Image();
  const bool keep[] = {image.newnormal, image.newover};
  image.newnormal = image.newover = true;
  image.Normalcolor2 = 0x0000C8;
  image.Overcolor2 = 0x00C800;
  struct Row {
    const char* what;
    bool hot;
    int channel;  // the colour's one channel: 0 red, 1 green
  } rows[] = {{"normal", false, 0}, {"hot", true, 1}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    if (r.hot) Hover(b);
    b->Invalidate();
    Settle(form->Handle());
    RECT ink{};
    EXPECT_TRUE(FaceShows(Pixels(b), image, r.hot ? 4 : 1, Face(), &ink));
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 45, 3);
    int found = 0;
    for (const auto& row : Pixels(b))
      for (TColor c : row) {
        auto ch = [c](int i) { return int((c >> (8 * i)) & 0xFF); };
        found += ch(r.channel) > 120 && ch(1 - r.channel) < 80 && ch(2) < 80;
      }
    EXPECT_GT(found, 10);
  }
  image.newnormal = keep[0];
  image.newover = keep[1];
}

// A press and release over the button clicks once, skinned or not; released elsewhere it does
// not click; a double click clicks twice.
TEST_F(SpeedTest, EveryPressClicksOnceAsUnskinned) {
  enum How { kClick, kReleasedAway, kDoubleClick };
  struct Row {
    const char* what;
    How how;
    int clicks;
  } rows[] = {{"press and release", kClick, 1}, {"released elsewhere", kReleasedAway, 0},
              {"double click", kDoubleClick, 2}};
  for (bool skinned : {true, false}) {
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.what) + (skinned ? ", skinned" : ", plain"));
      auto* b = Speed(20, 20, 40, 30);
      TClickCounter counter;
      b->OnClick = TNotifyEvent::Bind<&TClickCounter::Click>(&counter);
      if (skinned) {
        Discover();
        ASSERT_NE(SkinnerOf<TSkinSpeedButton>(b), nullptr);
      }
      Hover(b);
      Mouse(b, WM_LBUTTONDOWN, 5, 5);
      EXPECT_TRUE(b->Pressed());
      if (skinned) {
        EXPECT_TRUE(FaceShows(Pixels(b), Image(), 2, Face(), nullptr)) << "pressed while held";
      }
      switch (r.how) {
        case kClick: Mouse(b, WM_LBUTTONUP, 5, 5); break;
        case kReleasedAway:
          Mouse(b, WM_MOUSEMOVE, 200, 150);
          EXPECT_FALSE(b->Pressed());
          Mouse(b, WM_LBUTTONUP, 200, 150);
          break;
        case kDoubleClick:
          Mouse(b, WM_LBUTTONUP, 5, 5);
          Mouse(b, WM_LBUTTONDBLCLK, 5, 5);
          Mouse(b, WM_LBUTTONUP, 5, 5);
          break;
      }
      EXPECT_EQ(counter.n, r.clicks);
      EXPECT_EQ(GetCapture(), nullptr) << "the parent let the mouse go";
      if (skinned) {
        Away();
        EXPECT_TRUE(FaceShows(Pixels(b), Image(), 1, Face(), nullptr)) << "at rest again";
      }
      b->OnClick = {};
      Away();
      delete b;
    }
  }
}

// Clicks on a latched group keep one button Down, and the skin shows the latched face on it
// alone; the Down one lets itself up only when the group allows all up.
TEST_F(SpeedTest, ALatchedGroupKeepsOneDown) {
  TSpeedButton* g[3];
  for (int i = 0; i < 3; ++i) {
    g[i] = Speed(20 + 50 * i, 20, 40, 30);
    g[i]->SetGroupIndex(1);
  }
  auto* other = Speed(200, 20, 40, 30);  // another group
  other->SetGroupIndex(2);
  other->SetDown(true);
  Discover();
  struct Step {
    const char* what;
    std::function<void()> act;
    bool down[3];
  } steps[] = {
      {"first clicked", [&] { Click(g[0]); }, {true, false, false}},
      {"second clicked", [&] { Click(g[1]); }, {false, true, false}},
      {"second again: stays down", [&] { Click(g[1]); }, {false, true, false}},
      {"all up allowed, second again", [&] { g[2]->SetAllowAllUp(true); Click(g[1]); }, {false, false, false}},
      {"third put down in code", [&] { g[2]->SetDown(true); }, {false, false, true}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    Away();
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(g[i]->Down(), s.down[i]) << i;
      EXPECT_TRUE(FaceShows(Pixels(g[i]), Image(), s.down[i] ? 2 : 1, Face(), nullptr)) << i;
    }
    EXPECT_TRUE(other->Down()) << "another group is left alone";
  }
}

// Damaged skins: the button keeps its own plain look where there is no face to paint, and
// nothing fails or reads past an image.
TEST_F(SpeedTest, ADamagedSkinLeavesThePlainLookOrDrawsWhatExists) {
  TBitmap strip;
  MakeStrip(strip);
  struct Case {
    const char* what;
    std::function<void(TDataSkinButton&)> damage;
    bool plain;
  } cases[] = {
      {"no button image", [](TDataSkinButton& b) { b.Map.SetSize(0, 0); }, true},
      {"no frames", [](TDataSkinButton& b) { b.frame = 0; }, false},
      {"more frames than the image is wide", [](TDataSkinButton& b) { b.frame = 100000; }, false},
      {"margins wider than the image", [](TDataSkinButton& b) { b.r = {500, 500, 500, 500}; }, false},
  };
  auto* twin = Speed(200, 20, 40, 30, &strip);
  twin->SetTag(data->DisableTag());  // never skinned: the plain look
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TDataSkinButton& image = Image();
    TBitmap kept;
    kept.Assign(&image.Map);
    const int frames = image.frame;
    const auto margins = image.r;
    c.damage(image);
    auto* b = Speed(20, 20, 40, 30, &strip);
    Discover();
    Hover(b);
    Mouse(b, WM_LBUTTONDOWN, 5, 5);
    Mouse(b, WM_LBUTTONUP, 5, 5);
    Away();
    if (c.plain) {
      EXPECT_TRUE(SamePicture(Pixels(b), Pixels(twin)));
    }
    delete b;
    image.Map.Assign(&kept);
    image.frame = frames;
    image.r = margins;
  }
  EXPECT_TRUE(dropped.empty()) << dropped.front();
}

// ---- Glyph strips ----

// A check image of `frames` frames, 10 x 10 each, frame i filled with FrameColour(i).
TColor FrameColour(int i) { return static_cast<TColor>(RGB(16 + 24 * i, 220 - 20 * i, 40 + 16 * i)); }
void MakeFrames(TBitmap& image, int frames) {
  image.SetPixelFormat(TPixelFormat::pf24bit);
  image.SetSize(10 * frames, 10);
  for (int i = 0; i < frames; ++i) FillColor(image.DC(), RECT{10 * i, 0, 10 * i + 10, 10}, FrameColour(i));
}

// The control's strip as cells: the frame each cell was taken from, -1 for a blank one.
std::vector<int> CellsOf(TBitmap& strip, int frames) {
  std::vector<int> out;
  const Rows px = Read(strip);
  for (int x = 5; x < strip.Width(); x += 10) {
    const TColor c = px[5][size_t(x)];
    int f = -2;
    if (c == kMagenta) f = -1;
    for (int i = 0; i < frames; ++i)
      if (c == FrameColour(i)) f = i;
    out.push_back(f);
  }
  return out;
}

TBitmap* StripOf(TControl* c) {
  if (TObject* props = GetPropObject(c, "Properties")) return dynamic_cast<TBitmap*>(GetPropObject(props, "Glyph"));
  return dynamic_cast<TBitmap*>(GetPropObject(c, "CustomGlyphs"));
}

// The strip each kind of control gets from a four- and a five-frame image, handed over at
// discovery and taken back at Unsubclass, after which the control looks as one never skinned.
TEST_F(SpeedTest, GlyphStripsAreHandedOverAndTakenBack) {
  enum Kind { kRzCheck, kRzRadio, kCxCheck };
  struct Case {
    const char* what;
    Kind kind;
    int frames;
    std::vector<int> cells;
  } cases[] = {
      {"check box, 4 frames", kRzCheck, 4, {0, 1, -1, 0, 1, -1, 2, 3, -1}},
      {"check box, 5 frames", kRzCheck, 5, {0, 1, 4, 0, 1, 4, 2, 3, 4}},
      {"check box, 6 frames: no grayed cell", kRzCheck, 6, {0, 1, -1, 0, 1, -1, 2, 3, -1}},
      {"radio button, 4 frames", kRzRadio, 4, {0, 1, 0, 1, 2, 3}},
      {"radio button, 2 frames", kRzRadio, 2, {0, 1, 0, 1, -1, -1}},
      {"Properties check box, 4 frames", kCxCheck, 4, {0, 1, -1, 0, 1, -1}},
      {"Properties check box, 5 frames", kCxCheck, 5, {0, 1, 4, 0, 1, 4}},
  };
  TDataSkinButton& image = Image();
  TBitmap kept_check, kept_radio;
  kept_check.Assign(&image.CheckMap);
  kept_radio.Assign(&image.RadioMap);
  const int kept_frames[] = {image.checkframe, image.radioframe};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TBitmap frames;
    MakeFrames(frames, c.frames);
    (c.kind == kRzRadio ? image.RadioMap : image.CheckMap).Assign(&frames);
    (c.kind == kRzRadio ? image.radioframe : image.checkframe) = c.frames;
    auto make = [&](int y) -> TGlyphCheckControl* {
      if (c.kind == kRzCheck) return Place<TRzCheckBox>(20, y, 150, 22);
      if (c.kind == kRzRadio) return Place<TRzRadioButton>(20, y, 150, 22);
      return Place<TcxCheckBox>(20, y, 150, 22);
    };
    TGlyphCheckControl* control = make(20);
    TGlyphCheckControl* twin = make(60);
    control->SetCaption(L"Strip");
    twin->SetCaption(L"Strip");
    control->SetChecked(true);
    twin->SetTag(data->DisableTag());
    Discover();
    auto* skinner = SkinnerOf<TSkinObjImage>(control);
    ASSERT_NE(skinner, nullptr);
    TBitmap* strip = StripOf(control);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->Width(), 10 * int(c.cells.size()));
    EXPECT_EQ(CellsOf(*strip, c.frames), c.cells);
    if (c.kind == kCxCheck) {
      EXPECT_EQ(strip->TransparentColor(), kMagenta);
      EXPECT_FALSE(strip->Transparent());
    } else {
      EXPECT_TRUE(PropEnumIs(control, "UseCustomGlyphs", "true"));
      EXPECT_EQ(GetPropInt(control, "TransparentColor"), int(kMagenta));
    }
    EXPECT_EQ(control->Color(), Face()) << "on the skin's face while skinned";
    // The control paints the checked cell of the strip.
    const Rows shown = ClientPixels(control);
    EXPECT_EQ(shown[10][5], FrameColour(1));

    skinner->Unsubclass();
    if (c.kind == kCxCheck) {
      EXPECT_TRUE(StripOf(control)->Empty());
    } else {
      EXPECT_TRUE(PropEnumIs(control, "UseCustomGlyphs", "false"));
    }
    // Radio buttons of one parent uncheck each other: compared unchecked.
    twin->SetChecked(c.kind != kRzRadio);
    control->SetChecked(c.kind != kRzRadio);
    Settle(control->Handle());
    Settle(twin->Handle());
    EXPECT_TRUE(SamePicture(ClientPixels(control), ClientPixels(twin))) << "its own look again";
    delete control;
    delete twin;
  }
  image.CheckMap.Assign(&kept_check);
  image.RadioMap.Assign(&kept_radio);
  image.checkframe = kept_frames[0];
  image.radioframe = kept_frames[1];
}

// A damaged check image hands nothing over: the control keeps its own box.
TEST_F(SpeedTest, ADamagedCheckImageHandsNothingOver) {
  struct Case {
    const char* what;
    std::function<void(TDataSkinButton&)> damage;
  } cases[] = {
      {"no image", [](TDataSkinButton& b) { b.CheckMap.SetSize(0, 0); }},
      {"no frames", [](TDataSkinButton& b) { b.checkframe = 0; }},
      {"more frames than pixels", [](TDataSkinButton& b) { b.checkframe = b.CheckMap.Width() + 1; }},
  };
  TDataSkinButton& image = Image();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TBitmap kept;
    kept.Assign(&image.CheckMap);
    const int frames = image.checkframe;
    c.damage(image);
    auto* box = Place<TRzCheckBox>(20, 20, 150, 22);
    Discover();
    EXPECT_NE(SkinnerOf<TSkinObjImage>(box), nullptr);
    EXPECT_TRUE(PropEnumIs(box, "UseCustomGlyphs", "false"));
    EXPECT_TRUE(box->CustomGlyphs()->Empty());
    delete box;
    image.CheckMap.Assign(&kept);
    image.checkframe = frames;
  }
  EXPECT_TRUE(dropped.empty());
}

// The library's glyph-strip check box and radio button paint the cell of their state: the
// normal row, then the pressed one, then the disabled one.
TEST_F(SpeedTest, GlyphStripControlsPaintTheCellOfTheirState) {
  TBitmap check_strip, radio_strip;
  MakeFrames(check_strip, 9);  // cell i is FrameColour(i)
  MakeFrames(radio_strip, 6);
  enum How { kRest, kPressed, kDisabled };
  struct Row {
    const char* what;
    bool radio;
    TCheckBoxState state;
    How how;
    int cell;
  } rows[] = {
      {"unchecked", false, TCheckBoxState::cbUnchecked, kRest, 0},
      {"checked", false, TCheckBoxState::cbChecked, kRest, 1},
      {"grayed", false, TCheckBoxState::cbGrayed, kRest, 2},
      {"checked, pressed", false, TCheckBoxState::cbChecked, kPressed, 4},
      {"grayed, disabled", false, TCheckBoxState::cbGrayed, kDisabled, 8},
      {"radio checked", true, TCheckBoxState::cbChecked, kRest, 1},
      {"radio unchecked, pressed", true, TCheckBoxState::cbUnchecked, kPressed, 2},
      {"radio checked, disabled", true, TCheckBoxState::cbChecked, kDisabled, 5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TRzGlyphCheck* c = r.radio ? static_cast<TRzGlyphCheck*>(Place<TRzRadioButton>(20, 20, 150, 22))
                               : Place<TRzCheckBox>(20, 20, 150, 22);
    c->SetTag(data->DisableTag());
    TBitmap& strip = r.radio ? radio_strip : check_strip;
    c->SetCustomGlyphs(&strip);
    c->SetUseCustomGlyphs(true);
    c->SetState(r.state);
    if (r.how == kDisabled) c->SetEnabled(false);
    if (r.how == kPressed) SendMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Settle(c->Handle());
    // The cell, 10 x 10, centred vertically at the left.
    const int top = (22 - 10) / 2;
    EXPECT_EQ(ClientPixels(c)[size_t(top + 5)][5], FrameColour(r.cell));
    if (r.how == kPressed) SendMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    delete c;
  }
}

// Attached and let go in any order, nothing is left behind.
TEST_F(SpeedTest, LettingGoInAnyOrderLeavesNothing) {
  TBitmap strip;
  MakeStrip(strip);
  enum Order { kControlsFirst, kFormFirst, kSkinningOffFirst, kSkinnersOffThenFreed };
  struct Case {
    const char* what;
    Order order;
  } cases[] = {{"controls first", kControlsFirst},
               {"form first", kFormFirst},
               {"skinning off for the form first", kSkinningOffFirst},
               {"skinners switched off, then freed", kSkinnersOffThenFreed}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto cycle = [&] {
      TTestForm* host = MakeForm(300, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"speed", 80, 80);
      TWinSkinForm* host_sf = Attach(host);
      std::swap(form, host);
      std::swap(sf, host_sf);
      auto* b = Speed(20, 20, 40, 30, &strip);
      auto* box = Place<TRzCheckBox>(20, 60, 150, 22);
      auto* cx = Place<TcxCheckBox>(20, 90, 150, 22);
      Discover();
      EXPECT_NE(SkinnerOf<TSkinSpeedButton>(b), nullptr);
      EXPECT_NE(SkinnerOf<TSkinObjImage>(box), nullptr);
      Hover(b);
      Mouse(b, WM_LBUTTONDOWN, 5, 5);  // held down while it goes
      std::vector<TSkinControl*> skinners{SkinnerOf(b), SkinnerOf(box), SkinnerOf(cx)};
      switch (c.order) {
        case kControlsFirst:
          delete b;
          delete box;
          delete cx;
          form->Free();
          break;
        case kFormFirst:
          form->Free();
          break;
        case kSkinningOffFirst:
          std::exchange(sf, nullptr)->HandleRequest(TSkinRequest::srUnskin);
          Settle(form->Handle());
          form->Free();
          break;
        case kSkinnersOffThenFreed:
          for (TSkinControl* s : skinners) {
            s->Unsubclass();
            delete s;
          }
          Settle(form->Handle());
          form->Free();
          break;
      }
      pressing_ = false;
      ReleaseCapture();
      std::swap(form, host);
      std::swap(sf, host_sf);
      Pump([] { return false; }, 50);
    };
    cycle();  // what is made once and kept is made now
    const TCounts before = TCounts::Now();
    for (int i = 0; i < 2; ++i) cycle();
    EXPECT_EQ(TCounts::Now(), before);
  }
  EXPECT_TRUE(dropped.empty());
}

}  // namespace
}  // namespace qn::test
