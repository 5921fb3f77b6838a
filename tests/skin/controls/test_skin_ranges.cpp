// Track bars, up-downs (alone, inside spin edits and on a long tab row) and progress bars
// skinned on a skinned form: the channel, thumb, arrows and bars they show against pictures
// worked out from the skin images, clicks and drags that move them as they move unskinned,
// damaged skins, and every handle back however the skinners and their controls go.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <set>

#include "platform/win/ComCtrls.h"
#include "platform/win/RangeCtrls.h"
#include "platform/win/Spin.h"
#include "platform/win/Subclass.h"
#include "platform/win/Tabs.h"
#include "skin/controls/SkinEdits.h"
#include "skin/controls/SkinRanges.h"
#include "skin/controls/SkinTabs.h"
#include "skin/data/SkinTypes.h"
#include "tests/skin/controls/ControlFixture.h"
#include "tests/skin/controls/LayeredPicture.h"

namespace qn::test {
namespace {

int W(const RECT& r) { return r.right - r.left; }
int H(const RECT& r) { return r.bottom - r.top; }

// An upright picture turned back a quarter clockwise: the picture it was turned from.
Rows LyingDown(const Rows& upright) {
  const int h = int(upright.size()), w = h ? int(upright[0].size()) : 0;
  Rows lying(size_t(w), std::vector<TColor>(size_t(h), 0));
  for (int ly = 0; ly < w; ++ly)
    for (int lx = 0; lx < h; ++lx) lying[size_t(ly)][size_t(lx)] = upright[size_t(h - 1 - lx)][size_t(ly)];
  return lying;
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Notes what a track bar and an up-down tell.
struct TListener {
  void Changed(TObject*) { ++changes; }
  void Clicked(TObject*, TUDBtnType b) { clicks.push_back(b); }
  void Refuse(TObject*, bool& allow) { allow = !refuse; }
  int changes = 0;
  std::vector<TUDBtnType> clicks;
  bool refuse = false;
};

class RangesTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    SetCursorPos(1, 1);  // away from every control
  }
  void UseSkin(const char* name) {
    data->LoadFromFile(SkinFile(name));
    sf->HandleRequest(TSkinRequest::srSkinChanged);
  }
  TSkinObjects& Objects() { return *sf->SkinObjects(); }
  TColor Colour(int index) { return ColorToRGB(Objects().Colors[size_t(index)]); }
  TColor Face() { return Colour(skin::kcButtonFace); }
  template <class S = TSkinControl>
  S* SkinAs(TSkinnerKind kind, TWinControl* control) {
    TSkinControl* skinner = MakeControlSkinner(kind, control);
    EXPECT_NE(skinner, nullptr);
    skinner->Init(sf, data, &sf->ControlCanvas(), false);
    return dynamic_cast<S*>(skinner);
  }
  void Repaint(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Settle(wnd);
  }
  std::pair<Rows, Rows> OwnAndSkinned(HWND wnd) {
    SendMessageW(wnd, WM_SKINENABLE, 0, 0);
    Repaint(wnd);
    Rows own = WindowPixels(wnd);
    SendMessageW(wnd, WM_SKINENABLE, 1, 0);
    Repaint(wnd);
    return {std::move(own), WindowPixels(wnd)};
  }
  TTrackBar* PlaceTrack(bool vertical, int x = 20, int y = 20) {
    auto* t = Place<TTrackBar>(x, y, 200, 40);
    if (vertical) t->SetOrientation(TTrackBarOrientation::trVertical);
    t->SetMax(10);
    t->SetPosition(3);
    t->HandleNeeded();
    return t;
  }
  TProgressBar* PlaceBar(bool vertical, int min, int max, int pos) {
    auto* p = Place<TProgressBar>(20, 20, 180, 22);
    if (vertical) p->SetOrientation(TProgressBarOrientation::pbVertical);
    p->SetMin(min);
    p->SetMax(max);
    p->SetPosition(pos);
    p->HandleNeeded();
    return p;
  }
};

// ---- Track bars ----

// The channel is the skin's three-part image across the control's channel (upright for an
// upright bar, centred across it), the thumb frame 2 of the five of the thumb image stretched
// over the control's thumb; around them the control shows its skinned parent's face colour.
TEST_F(RangesTest, TheChannelAndThumbAreTheSkinsImagesLyingOrUpright) {
  for (const char* skin_name : {"ink", "jade"}) {
    UseSkin(skin_name);
    for (bool vertical : {false, true}) {
      SCOPED_TRACE(std::string(skin_name) + (vertical ? " upright" : " lying"));
      TTrackBar* track = PlaceTrack(vertical);
      track->SetTickStyle(TTickStyle::tsNone);
      HWND wnd = track->Handle();
      SkinAs(TSkinnerKind::TrackBar, track);
      Repaint(wnd);
      const Rows got = WindowPixels(wnd);

      RECT channel{}, thumb{};
      SendMessageW(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
      SendMessageW(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
      if (vertical && W(channel) > H(channel)) channel = RECT{channel.top, channel.left, channel.bottom, channel.right};
      TSkinObjects& s = Objects();
      TDataSkinObject& image = vertical ? *s.TrackBarVert : *s.TrackBar;
      const int iw = image.Map.Width(), ih = image.Map.Height();
      RECT at = channel, margins{};
      if (vertical) {
        at.left = channel.left + std::max(0, (W(channel) - iw) / 2);
        at.right = at.left + iw;
        margins = RECT{0, image.r.Top, 0, image.r.Bottom};
      } else {
        at.top = channel.top + std::max(0, (H(channel) - ih) / 2);
        at.bottom = at.top + ih;
        margins = RECT{image.r.Left, 0, image.r.Right, 0};
      }
      TBitmap& thumbs = vertical ? s.TrackVert->Map : s.TrackHorz->Map;
      const std::vector<TLayer> layers = {TLayer{at, &image.Map, 1, 1, margins, false},
                                          TLayer{thumb, &thumbs, 2, 5, RECT{}, true}};
      // Beside the channel and the thumb: what the skinned form shows.
      const TColor background = got[1][1];
      EXPECT_EQ(background, Face());
      RECT area{};
      UnionRect(&area, &at, &thumb);
      const RECT whole = WindowRect0(wnd);
      IntersectRect(&area, &area, &whole);
      EXPECT_TRUE(Shows(got, area, layers, Fill(W(WindowRect0(wnd)), H(WindowRect0(wnd)), background)));
      track->Free();
    }
  }
  EXPECT_TRUE(dropped.empty());
}

// Dragging the thumb of a skinned track bar to the far end moves its position there, and each
// move is told once, as on an unskinned one.
TEST_F(RangesTest, DraggingTheThumbSetsThePosition) {
  for (bool vertical : {false, true}) {
    SCOPED_TRACE(vertical ? "upright" : "lying");
    TListener told;
    TTrackBar* track = PlaceTrack(vertical);
    track->OnChange = TNotifyEvent::Bind<&TListener::Changed>(&told);
    HWND wnd = track->Handle();
    SkinAs(TSkinnerKind::TrackBar, track);
    Repaint(wnd);
    RECT thumb{}, channel{};
    SendMessageW(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    SendMessageW(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    const POINT from = Centre(thumb);
    const RECT all = WindowRect0(wnd);
    const POINT to = vertical ? POINT{from.x, int(all.bottom) - 2} : POINT{int(all.right) - 2, from.y};
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    EXPECT_TRUE(Pump([&] { return track->Position() == 10 && GetCapture() != wnd; }));
    EXPECT_EQ(track->Position(), 10);
    EXPECT_GE(told.changes, 1);
    track->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Up-downs ----

struct TButtonCase {
  const char* what;
  const char* skin;
  bool horizontal;
  bool press_second;  // the lower (right) arrow held down; else none
};

// From the skin's spin images: each arrow the frame of its group (up or left 1-4, down or right
// 5-8) in its state, the glyph of the same frame centred on it; held down on the second arrow,
// that one shows frame 6 and the first frame 1.
TEST_F(RangesTest, ArrowsShowTheSpinImagesFrameOfTheirState) {
  const TButtonCase cases[] = {
      {"upright, at rest", "ink", false, false},
      {"upright, lower arrow held", "ink", false, true},
      {"side by side, right arrow held", "jade", true, true},
  };
  for (const TButtonCase& c : cases) {
    SCOPED_TRACE(c.what);
    UseSkin(c.skin);
    auto* updown = Place<TUpDown>(40, 40, 20, 40);
    if (c.horizontal) updown->SetOrientation(TUDOrientation::udHorizontal);
    HWND wnd = updown->Handle();
    SkinAs(TSkinnerKind::UpDown, updown);
    Repaint(wnd);
    const RECT all = WindowRect0(wnd);
    RECT first = all, second = all;
    if (c.horizontal) first.right = second.left = W(all) / 2;
    else first.bottom = second.top = H(all) / 2;
    int first_frame = 1, second_frame = 5;
    if (c.press_second) {
      const POINT p = Centre(second);
      POINT screen = p;
      ClientToScreen(wnd, &screen);
      SetCursorPos(screen.x, screen.y);
      SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
      Settle(wnd);
      second_frame = 6;
    }
    const Rows got = WindowPixels(wnd);
    if (c.press_second) SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(Centre(second).x, Centre(second).y));

    TDataSkinBorder& spin = c.horizontal ? *Objects().HSpin : *Objects().VSpin;
    ASSERT_EQ(spin.frame, 8);
    auto glyph = [&](const RECT& b) {
      const int gw = spin.MaskMap.Width() / 8, gh = spin.MaskMap.Height();
      const int x = b.left + (W(b) - gw) / 2, y = b.top + (H(b) - gh) / 2;
      return RECT{x, y, x + gw, y + gh};
    };
    std::vector<TLayer> layers = {TLayer{first, &spin.Map, first_frame, 8}, TLayer{second, &spin.Map, second_frame, 8}};
    if (!spin.MaskMap.Empty()) {
      layers.push_back(TLayer{glyph(first), &spin.MaskMap, first_frame, 8});
      layers.push_back(TLayer{glyph(second), &spin.MaskMap, second_frame, 8});
    }
    EXPECT_TRUE(Shows(got, all, layers, Fill(W(all), H(all), Face())));
    SetCursorPos(1, 1);
    updown->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// A skin without spin images: each arrow a box outlined in the dark shadow colour, filled with
// the face colour (the shadow colour while held), with a small arrow mark inside.
TEST_F(RangesTest, WithoutSpinImagesArrowsAreFlatBoxesWithMarks) {
  ASSERT_FALSE(Objects().VSpin);
  auto* updown = Place<TUpDown>(40, 40, 20, 40);
  HWND wnd = updown->Handle();
  SkinAs(TSkinnerKind::UpDown, updown);
  Repaint(wnd);
  const RECT all = WindowRect0(wnd);
  const RECT upper{0, 0, W(all), H(all) / 2}, lower{0, H(all) / 2, W(all), H(all)};
  POINT screen = Centre(lower);
  ClientToScreen(wnd, &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Centre(lower).x, Centre(lower).y));
  Settle(wnd);
  const Rows got = WindowPixels(wnd);
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(Centre(lower).x, Centre(lower).y));
  SetCursorPos(1, 1);

  const TColor line = Colour(skin::kcButtonDkShadow);
  for (const auto& [box, fill] : {std::pair{upper, Face()}, std::pair{lower, Colour(skin::kcButtonShadow)}}) {
    int marks = 0, wrong = 0;
    for (int y = box.top; y < box.bottom; ++y)
      for (int x = box.left; x < box.right; ++x) {
        const TColor c = got[size_t(y)][size_t(x)];
        const bool edge = y == box.top || y == box.bottom - 1 || x == box.left || x == box.right - 1;
        if (edge) wrong += c != line;
        else if (c == line) ++marks;
        else wrong += c != fill;
      }
    EXPECT_EQ(wrong, 0);
    EXPECT_GE(marks, 4) << "an arrow mark inside";
  }
  updown->Free();
  EXPECT_TRUE(dropped.empty());
}

// A click on either arrow of a skinned up-down or spin edit steps the number once, as on an
// unskinned twin; an up-down's OnClick says which way, and a refusing OnChanging keeps it.
TEST_F(RangesTest, AClickStepsTheNumberOnceAsUnskinned) {
  UseSkin("ink");
  struct Case {
    const char* what;
    std::function<TWinControl*(int x)> make;
    std::function<HWND(TWinControl*)> arrows;
    std::function<int(TWinControl*)> value;
    TSkinnerKind kind;
    bool horizontal;
  };
  auto updown = [this](bool horizontal) {
    return [this, horizontal](int x) -> TWinControl* {
      auto* u = Place<TUpDown>(x, 40, horizontal ? 40 : 20, horizontal ? 20 : 40);
      if (horizontal) u->SetOrientation(TUDOrientation::udHorizontal);
      u->SetPosition(5);
      u->SetIncrement(2);
      return u;
    };
  };
  auto position = [](TWinControl* c) { return static_cast<TUpDown*>(c)->Position(); };
  auto self = [](TWinControl* c) { return c->Handle(); };
  const Case cases[] = {
      {"up-down", updown(false), self, position, TSkinnerKind::UpDown, false},
      {"side-by-side up-down", updown(true), self, position, TSkinnerKind::UpDown, true},
      {"spin edit",
       [this](int x) -> TWinControl* {
         auto* e = Place<TSpinEdit>(x, 40, 90, 24);
         e->SetValue(5);
         e->SetIncrement(2);
         return e;
       },
       [](TWinControl* c) { return static_cast<TSpinEdit*>(c)->Button(); },
       [](TWinControl* c) { return static_cast<TSpinEdit*>(c)->Value(); }, TSkinnerKind::Edit, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TWinControl* skinned = c.make(20);
    TWinControl* twin = c.make(220);
    SkinAs(c.kind, skinned);
    Repaint(skinned->Handle());
    ASSERT_EQ(SendMessageW(c.arrows(skinned), WM_SKINQUERY, 0, 0), 1) << "the arrows are skinned";
    TListener told;
    for (TWinControl* control : {skinned, twin})
      if (auto* u = dynamic_cast<TUpDown*>(control)) u->OnClick = TUDClickEvent::Bind<&TListener::Clicked>(&told);
    // First (up, left) arrow then second (down, right), in the twin and in the skinned one.
    for (bool second : {false, true}) {
      for (TWinControl* control : {twin, skinned}) {
        HWND arrows = c.arrows(control);
        const RECT all = WindowRect0(arrows);
        const POINT p = c.horizontal ? POINT{second ? W(all) * 3 / 4 : W(all) / 4, H(all) / 2}
                                     : POINT{W(all) / 2, second ? H(all) * 3 / 4 : H(all) / 4};
        PostMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        PostMessageW(arrows, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        Pump([&] { return GetCapture() != arrows && !GetQueueStatus(QS_POSTMESSAGE); }, 2000);
      }
      // Upright, the upper arrow counts up; side by side, the right one does.
      const int want = second ? 5 : (c.horizontal ? 3 : 7);
      EXPECT_EQ(c.value(twin), want) << (second ? "second" : "first");
      EXPECT_EQ(c.value(skinned), want) << (second ? "second" : "first");
    }
    if (c.kind == TSkinnerKind::UpDown) {
      using B = TUDBtnType;
      const B first = c.horizontal ? B::btPrev : B::btNext, second = c.horizontal ? B::btNext : B::btPrev;
      EXPECT_EQ(told.clicks, (std::vector<B>{first, first, second, second}));
      auto* u = static_cast<TUpDown*>(skinned);
      u->OnChanging = TUDChangingEvent::Bind<&TListener::Refuse>(&told);
      told.refuse = true;
      PostMessageW(u->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      PostMessageW(u->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      Pump([&] { return !GetQueueStatus(QS_POSTMESSAGE); }, 500);
      EXPECT_EQ(u->Position(), 5);
    }
    skinned->Free();
    twin->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// The arrows inside a spin edit are skinned by the edit's skinner; they keep clear of the
// edit's three-pixel skinned frame (white where they would reach into it), and show the spin
// images inside it.
TEST_F(RangesTest, ASpinEditsArrowsNeverPaintTheEditsOuterThreePixels) {
  UseSkin("ink");
  auto* spin = Place<TSpinEdit>(20, 20, 120, 26);
  spin->SetValue(12);
  HWND wnd = spin->Handle();
  SkinAs(TSkinnerKind::Edit, spin);
  Repaint(wnd);
  HWND arrows = spin->Button();
  ASSERT_NE(arrows, nullptr);
  ASSERT_EQ(SendMessageW(arrows, WM_SKINQUERY, 0, 0), 1);
  Repaint(wnd);

  const Rows edit = WindowPixels(wnd);
  const RECT all = WindowRect0(wnd);
  const TColor rings[] = {Colour(skin::kcButtonShadow), clWhite, clWhite};
  int wrong = 0;
  for (int k = 0; k < 3; ++k)
    for (int y = k; y < all.bottom - k; ++y)
      for (int x = k; x < all.right - k; ++x)
        if (y == k || y == all.bottom - 1 - k || x == k || x == all.right - 1 - k) wrong += edit[y][x] != rings[k];
  EXPECT_EQ(wrong, 0);

  // Inside the frame, the arrows: the spin images over the face colour.
  RECT a{}, e{};
  GetWindowRect(arrows, &a);
  GetWindowRect(wnd, &e);
  RECT inner{0, std::max(0, 3 - int(a.top - e.top)), W(a) - std::max(0, 3 - int(e.right - a.right)),
             H(a) - std::max(0, 3 - int(e.bottom - a.bottom))};
  ASSERT_GT(H(inner), 4);
  const Rows got = WindowPixels(arrows);
  RECT up = inner, down = inner;
  up.bottom = down.top = inner.top + H(inner) / 2;
  TDataSkinBorder& s = *Objects().VSpin;
  std::vector<TLayer> layers = {TLayer{up, &s.Map, 1, 8}, TLayer{down, &s.Map, 5, 8}};
  if (!s.MaskMap.Empty()) {
    const int gw = s.MaskMap.Width() / 8, gh = s.MaskMap.Height();
    for (auto [b, frame] : {std::pair{up, 1}, std::pair{down, 5}}) {
      const int x = b.left + (W(b) - gw) / 2, y = b.top + (H(b) - gh) / 2;
      layers.push_back(TLayer{RECT{x, y, x + gw, y + gh}, &s.MaskMap, frame, 8});
    }
  }
  EXPECT_TRUE(Shows(got, inner, layers, Fill(W(a), H(a), Face())));
  spin->Free();
  EXPECT_TRUE(dropped.empty());
}

// ---- Progress bars ----

struct TBarCase {
  const char* skin;  // builtin and ink lay the bar over the background; jade repeats a chunk
  bool vertical;
  int min, max, pos;
  int share_percent;  // of the length the bar fills
};

// The bar fills the share of its range that its position has reached, from the low limit:
// background frame 1 and bar frame 2 of the progress image nine-sliced over the face colour,
// or the chunk image stretched two pixels inside the background; upright bars fill from the
// bottom.
TEST_F(RangesTest, TheBarFillsItsPositionsShareOfTheRange) {
  const TBarCase cases[] = {
      {"ink", false, 0, 100, 0, 0},     {"ink", false, 0, 100, 37, 37},   {"ink", false, 0, 100, 100, 100},
      {"ink", true, 0, 100, 37, 37},    {"builtin", true, 0, 100, 100, 100},
      {"ink", false, 50, 150, 100, 50}, {"ink", false, -100, 0, -50, 50}, {"ink", false, 0, 0, 0, 0},
      {"jade", false, 0, 100, 0, 0},    {"jade", false, 0, 100, 37, 37},  {"jade", true, 0, 100, 100, 100},
      {"jade", false, 50, 150, 100, 50},
  };
  for (const TBarCase& c : cases) {
    SCOPED_TRACE(std::string(c.skin) + (c.vertical ? " upright " : " lying ") + std::to_string(c.min) + ".." +
                 std::to_string(c.max) + " at " + std::to_string(c.pos));
    UseSkin(c.skin);
    TProgressBar* bar = PlaceBar(c.vertical, c.min, c.max, c.pos);
    HWND wnd = bar->Handle();
    SkinAs(TSkinnerKind::Progress, bar);
    Repaint(wnd);
    const Rows painted = WindowPixels(wnd);
    const Rows got = c.vertical ? LyingDown(painted) : painted;
    const int length = int(got[0].size()), across = int(got.size());
    const RECT all{0, 0, length, across};
    const int filled = length * c.share_percent / 100;
    TDataSkinBorder& p = *Objects().progress;
    const Rows face = Fill(length, across, Face());
    if (p.style != 1) {
      std::vector<TLayer> layers = {TLayer{all, &p.Map, 1, 2, MarginRect(p.r)}};
      if (filled) layers.push_back(TLayer{RECT{0, 0, filled, across}, &p.Map, 2, 2, MarginRect(p.r)});
      EXPECT_TRUE(Shows(got, all, layers, face));
    } else {
      TDataSkinObject& chunk = *Objects().progresschunk;
      ASSERT_NE(chunk.Tile, 1);
      const TLayer back{all, &p.Map, 1, 1, MarginRect(p.r)};
      const TLayer bar_layer{RECT{2, 2, 2 + filled, across + 2}, &chunk.Map, 1, 1, MarginRect(chunk.r)};
      // The chunk runs two pixels in from the top and stops two short of the bottom.
      EXPECT_TRUE(Shows(got, RECT{0, 0, length, across - 2}, filled ? std::vector{back, bar_layer} : std::vector{back},
                        face));
      EXPECT_TRUE(Shows(got, RECT{0, across - 2, length, across}, {back}, face));
    }
    if (filled && c.share_percent < 100) {
      // The bar shows: somewhere along it the picture differs from the background beyond it.
      const auto& row = got[size_t(across / 2)];
      int differ = 0;
      for (int x = 3; x < filled; ++x) differ += row[size_t(x)] != row[size_t(length - 4)];
      EXPECT_GT(differ, 0);
    }
    bar->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// Ranges a program may well give: a track bar whose range is empty paints its channel and
// thumb and fails nothing; a progress bar whose window reports a position beyond either end of
// its range (as a control of another family may) shows a full or an empty bar, exactly as one
// at that end does.
TEST_F(RangesTest, OddRangesDrawWhatExists) {
  UseSkin("ink");
  TTrackBar* track = PlaceTrack(false, 20, 150);
  track->SetMin(0);
  track->SetMax(0);
  SkinAs(TSkinnerKind::TrackBar, track);
  Repaint(track->Handle());
  const auto [own_track, skinned_track] = OwnAndSkinned(track->Handle());
  EXPECT_NE(own_track, skinned_track) << "the skin's channel and thumb, also over an empty range";

  struct Row {
    const char* what;
    int reported;  // the position the window reports
    int same_as;   // the position of a bar that must look the same
  } rows[] = {{"beyond the high limit", 250, 100}, {"below the low limit", -40, 0}, {"far beyond", INT_MAX, 100}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TProgressBar* odd = PlaceBar(false, 0, 100, 50);
    TProgressBar* end = PlaceBar(false, 0, 100, r.same_as);
    end->SetTop(60);
    TWindowSubclass liar;
    (void)liar.Install(odd->Handle(), [&](TMessage& m) {
      if (m.Msg == PBM_GETPOS) {
        m.Result = r.reported;
        return;
      }
      liar.CallPrevious(m);
    });
    SkinAs(TSkinnerKind::Progress, odd);
    SkinAs(TSkinnerKind::Progress, end);
    Repaint(odd->Handle());
    Repaint(end->Handle());
    EXPECT_EQ(WindowPixels(odd->Handle()), WindowPixels(end->Handle()));
    liar.Remove();
    odd->Free();
    end->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Damaged skins ----

// Without a usable channel image the channel is still left out; without a usable progress image
// (or the chunk its layout needs) the bar keeps its own look, also as it moves; thumb and spin
// images missing, too narrow for their frames or of fewer frames than asked fail nothing.
TEST_F(RangesTest, ADamagedSkinLeavesThePlainLookOrDrawsWhatExists) {
  struct Case {
    const char* what;
    const char* skin;
    std::function<void(TSkinObjects&)> damage;
  } cases[] = {
      {"no channel images", "ink", [](TSkinObjects& s) { s.TrackBar.reset(); s.TrackBarVert.reset(); }},
      {"channel images of no width", "ink",
       [](TSkinObjects& s) {
         s.TrackBar->Map.SetSize(0, 6);
         s.TrackBarVert->Map.SetSize(0, 6);
       }},
      {"channel caps wider than the image", "ink",
       [](TSkinObjects& s) {
         s.TrackBar->r.Left = 5000;
         s.TrackBarVert->r.Bottom = 5000;
       }},
      {"no thumb images", "ink", [](TSkinObjects& s) { s.TrackHorz.reset(); s.TrackVert.reset(); }},
      {"thumb images narrower than their frames", "ink",
       [](TSkinObjects& s) {
         s.TrackHorz->Map.SetSize(3, 20);
         s.TrackVert->Map.SetSize(3, 20);
       }},
      {"no progress image", "ink", [](TSkinObjects& s) { s.progress.reset(); }},
      {"a progress image of no width", "ink", [](TSkinObjects& s) { s.progress->Map.SetSize(0, 10); }},
      {"a chunk layout without its chunk", "jade", [](TSkinObjects& s) { s.progresschunk.reset(); }},
      {"no spin images", "ink", [](TSkinObjects& s) { s.VSpin.reset(); s.HSpin.reset(); }},
      {"spin images narrower than their frames", "ink",
       [](TSkinObjects& s) {
         s.VSpin->frame = 100000;
         s.HSpin->Map.SetSize(0, 0);
       }},
      {"spin images of fewer frames than asked", "jade",
       [](TSkinObjects& s) {
         s.VSpin->frame = 2;
         s.VSpin->MaskMap.SetSize(0, 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseSkin(c.skin);
    c.damage(Objects());
    TTrackBar* lying = PlaceTrack(false, 10, 10);
    TTrackBar* upright = PlaceTrack(true, 220, 10);
    lying->SetTickStyle(TTickStyle::tsNone);
    TProgressBar* bar = PlaceBar(false, 0, 100, 40);
    bar->SetTop(200);
    auto* updown = Place<TUpDown>(300, 200, 20, 40);
    auto* sideways = Place<TUpDown>(340, 200, 40, 20);
    sideways->SetOrientation(TUDOrientation::udHorizontal);
    for (auto [control, kind] : std::initializer_list<std::pair<TWinControl*, TSkinnerKind>>{
             {lying, TSkinnerKind::TrackBar}, {upright, TSkinnerKind::TrackBar}, {bar, TSkinnerKind::Progress},
             {updown, TSkinnerKind::UpDown}, {sideways, TSkinnerKind::UpDown}})
      SkinAs(kind, control);
    Repaint(form->Handle());

    TSkinObjects& s = Objects();
    if (!s.TrackBar || s.TrackBar->Map.Empty()) {
      // The channel is not the system's: nothing but the background beside the thumb.
      HWND wnd = lying->Handle();
      RECT channel{}, thumb{};
      SendMessageW(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
      SendMessageW(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
      const Rows got = WindowPixels(wnd);
      int drawn = 0;
      for (int y = channel.top; y < channel.bottom; ++y)
        for (int x = channel.left; x < channel.right; ++x)
          if (x < thumb.left - 1 || x > thumb.right) drawn += got[size_t(y)][size_t(x)] != got[1][1];
      EXPECT_EQ(drawn, 0);
    }
    if (!s.progress || s.progress->Map.Empty() || (s.progress->style == 1 && !s.progresschunk)) {
      // Moved, it looks as an unskinned twin moved there.
      TProgressBar* twin = PlaceBar(false, 0, 100, 70);
      twin->SetTop(230);
      bar->SetPosition(70);
      Repaint(form->Handle());
      EXPECT_TRUE(SamePicture(WindowPixels(bar->Handle()), WindowPixels(twin->Handle())));
      twin->Free();
    }
    lying->Free();
    upright->Free();
    bar->Free();
    updown->Free();
    sideways->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Letting go ----

// Skinners of track bars, up-downs, progress bars, a spin edit (whose arrows get one of their
// own) and a long tab row (likewise) attached and let go in every order: by the skinners first,
// by the controls first, by the whole form, or by their windows first. Every GDI and USER
// object and every binding comes back.
TEST_F(RangesTest, NothingIsLeftHoweverTheSkinnersAndControlsGo) {
  UseSkin("ink");
  auto place = [this](TTestForm* f, TWinSkinForm* host) {
    auto make = [f](auto* c, int x, int y, int w, int h) {
      c->SetParent(f);
      c->SetBounds(x, y, w, h);
      return c;
    };
    auto* track = make(new TTrackBar(f), 10, 10, 150, 40);
    auto* upright = make(new TTrackBar(f), 170, 10, 40, 120);
    upright->SetOrientation(TTrackBarOrientation::trVertical);
    auto* updown = make(new TUpDown(f), 220, 10, 20, 40);
    auto* bar = make(new TProgressBar(f), 10, 60, 150, 20);
    bar->SetPosition(40);
    auto* spin = make(new TSpinEdit(f), 10, 90, 100, 24);
    auto* tabs = make(new TTabControl(f), 10, 130, 200, 60);
    std::vector<std::wstring> names;
    for (int i = 0; i < 10; ++i) names.push_back(L"方剂 " + std::to_wstring(i));
    tabs->SetTabs(names);
    auto* tab_set = make(new TTabSet(f), 220, 130, 120, 24);
    tab_set->SetTabs(names);
    const std::pair<TWinControl*, TSkinnerKind> all[] = {
        {track, TSkinnerKind::TrackBar}, {upright, TSkinnerKind::TrackBar}, {updown, TSkinnerKind::UpDown},
        {bar, TSkinnerKind::Progress},   {spin, TSkinnerKind::Edit},         {tabs, TSkinnerKind::Tab},
        {tab_set, TSkinnerKind::Tab31}};
    for (auto [control, kind] : all) MakeControlSkinner(kind, control)->Init(host, data, &host->ControlCanvas(), false);
    RedrawWindow(f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Settle(f->Handle());
    EXPECT_EQ(SendMessageW(spin->Button(), WM_SKINQUERY, 0, 0), 1);
    HWND arrows = FindWindowExW(tabs->Handle(), nullptr, UPDOWN_CLASSW, nullptr);
    EXPECT_NE(arrows, nullptr) << "ten tabs do not fit in 200";
    EXPECT_EQ(arrows ? SendMessageW(arrows, WM_SKINQUERY, 0, 0) : 0, 1);
    TWinControl* set_arrows = tab_set->Scroller();
    const bool shown = set_arrows && set_arrows->HandleAllocated() && IsWindowVisible(set_arrows->Handle());
    EXPECT_TRUE(shown) << "ten tabs do not fit in 120";
    EXPECT_EQ(shown ? SendMessageW(set_arrows->Handle(), WM_SKINQUERY, 0, 0) : 0, 1) << "the tab set's arrows";
    std::vector<TWinControl*> controls;
    for (auto [control, kind] : all) controls.push_back(control);
    return controls;
  };
  auto skinners_first = [&] {
    auto controls = place(form, sf);
    // As skinning switched off does it: every listed skinner let go and freed.
    while (!sf->Controllist.empty()) {
      auto* s = static_cast<TSkinControl*>(sf->Controllist.back());
      s->Unsubclass();
      delete s;
    }
    for (TWinControl* c : controls) c->Free();
  };
  auto controls_first = [&] {
    for (TWinControl* c : place(form, sf)) c->Free();
    EXPECT_TRUE(sf->Controllist.empty());
  };
  auto form_first = [&] {
    TTestForm* other = MakeForm(360, 220, TFormBorderStyle::bsSizeable, kAllBoxes, L"other", 80, 80);
    TWinSkinForm* host = Attach(other);
    place(other, host);
    other->Free();
    Pump([] { return false; }, 50);
  };
  auto windows_first = [&] {
    auto controls = place(form, sf);
    for (TWinControl* c : controls) c->DestroyHandle();
    sf->PurgeControls();
    EXPECT_TRUE(sf->Controllist.empty());
    for (TWinControl* c : controls) c->Free();
  };
  skinners_first();  // what is made once and kept (fonts, the skin's pictures) is made now
  form_first();
  const TCounts before = TCounts::Now();
  for (auto& [what, go] : std::vector<std::pair<const char*, std::function<void()>>>{
           {"skinners first", skinners_first},
           {"controls first", controls_first},
           {"form first", form_first},
           {"windows first", windows_first}}) {
    for (int i = 0; i < 3; ++i) go();
    EXPECT_EQ(TCounts::Now(), before) << what;
  }
  EXPECT_TRUE(dropped.empty());
}

}  // namespace
}  // namespace qn::test
