// The skinners of header controls and media players on real controls of a skinned form: the
// header's cells, hot cell, pictures and captions and the media player's button row against
// pictures worked out from the skin images, clicks reaching the controls' own notifications
// and commands, damaged skins, and what is left when either side goes first.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <vector>

#include "platform/win/ComCtrls.h"
#include "platform/win/HeaderCtrl.h"
#include "platform/win/ImgList.h"
#include "platform/win/MPlayer.h"
#include "platform/win/MethodHook.h"
#include "platform/win/Subclass.h"
#include "skin/controls/SkinHeader.h"
#include "skin/controls/SkinMediaPlayer.h"
#include "skin/controls/SkinScrollbars.h"
#include "skin/draw/SkinDraw.h"
#include "tests/skin/controls/ControlFixture.h"
#include "tests/skin/draw/SlicedImage.h"

namespace qn::test {
namespace {

int W(const RECT& r) { return r.right - r.left; }
int H(const RECT& r) { return r.bottom - r.top; }

constexpr TColor kPictureColour = 0x2080E0;  // the one picture of the header's image list
constexpr TColor kCaptionColour = 0x60209A;  // the skin's window text, for the captions

// A short tone (a tenth of a second of a sine at 880 Hz, 8 kHz, 8 bits) as a wave file in the
// temporary folder, for the player to open.
std::wstring WriteTone() {
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + L"qn_test_tone.wav";
  constexpr uint32_t kRate = 8000, kSamples = 800;
  std::vector<uint8_t> wav;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) wav.push_back(uint8_t(v >> (8 * i))); };
  auto u16 = [&](uint16_t v) { wav.push_back(uint8_t(v)); wav.push_back(uint8_t(v >> 8)); };
  auto tag = [&](const char* t) { wav.insert(wav.end(), t, t + 4); };
  tag("RIFF"); u32(36 + kSamples); tag("WAVE");
  tag("fmt "); u32(16); u16(1); u16(1); u32(kRate); u32(kRate); u16(1); u16(8);
  tag("data"); u32(kSamples);
  for (uint32_t i = 0; i < kSamples; ++i) wav.push_back(uint8_t(128 + 60 * std::sin(i * 2 * 3.14159265 * 880 / kRate)));
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return {};
  fwrite(wav.data(), 1, wav.size(), f);
  fclose(f);
  return path;
}

// What the controls' own notifications report.
struct TRecorder {
  std::vector<int> sections;                // OnSectionClick
  std::vector<TMPBtnType> buttons;          // the player's OnClick
  int mouse_ups = 0;                        // the player's OnMouseUp
  void MouseUp(TObject*, TMouseButton, unsigned, int, int) { ++mouse_ups; }
  void SectionClicked(TObject*, THeaderSection* s) { sections.push_back(s ? s->Index() : -1); }
  void ButtonClicked(TObject*, TMPBtnType b, bool&) { buttons.push_back(b); }
};

// The pixels a nine-sliced picture of a real skin image may show at each target pixel: its
// source band's colours, magenta (where the object leaves it out) showing `under`.
::testing::AssertionResult SlicedFrameShows(const Rows& painted, const RECT& r, TDataSkinObject& obj, int frame,
                                            int frames, TColor under, const std::vector<RECT>& skip = {}) {
  const int fw = obj.Map.Width() / frames, fh = obj.Map.Height();
  const int x0 = fw * (frame - 1);
  auto band = [](int pos, int size, int lead, int trail, int fsize, int& from, int& to) {
    if (pos < lead) from = pos, to = pos + 1;
    else if (pos >= size - trail) from = fsize - (size - pos), to = from + 1;
    else from = lead, to = fsize - trail;
  };
  int bad = 0;
  auto failure = ::testing::AssertionFailure();
  for (int y = 0; y < H(r); ++y)
    for (int x = 0; x < W(r); ++x) {
      const POINT p{r.left + x, r.top + y};
      if (std::any_of(skip.begin(), skip.end(), [&](const RECT& s) { return PtInRect(&s, p) != FALSE; })) continue;
      int sx0, sx1, sy0, sy1;
      band(x, W(r), obj.r.Left, obj.r.Right, fw, sx0, sx1);
      band(y, H(r), obj.r.Top, obj.r.Bottom, fh, sy0, sy1);
      std::set<TColor> offered;
      for (int sy = sy0; sy < sy1; ++sy)
        for (int sx = sx0; sx < sx1; ++sx) {
          const TColor c = ImagePixel(obj.Map, x0 + sx, sy);
          offered.insert(c == kMagenta && obj.trans == 1 ? under : c);
        }
      const TColor got = painted[p.y][p.x];
      if (!offered.count(got) && bad++ < 5)
        failure << "(" << p.x << ", " << p.y << ") is " << std::hex << got << std::dec << "; ";
    }
  if (!bad) return ::testing::AssertionSuccess();
  return failure << bad << " pixels not from frame " << frame;
}

class HeaderTest : public ControlTest {
 protected:
  template <class S = TSkinControl>
  S* SkinAs(TSkinnerKind kind, TWinControl* control) {
    TSkinControl* skinner = MakeControlSkinner(kind, control);
    EXPECT_NE(skinner, nullptr);
    if (!skinner) return nullptr;
    skinner->Init(sf, data, &sf->ControlCanvas(), false);
    return dynamic_cast<S*>(skinner);
  }
  TSkinObjects& Skin() { return *sf->SkinObjects(); }
  TColor Face() { return Skin().Colors[skin::kcButtonFace]; }
  void Repaint(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Settle(wnd);
  }
  THeaderControl* PlaceHeader(const std::vector<std::pair<std::wstring, int>>& sections, int width = 400,
                              int height = 28) {
    auto* h = Place<THeaderControl>(10, 10, width, height);
    for (auto& [text, w] : sections) h->AddSection(text, w);
    return h;
  }
  // A player of the form with the given buttons visible and enabled, not following its device.
  TMediaPlayer* PlacePlayer(int width, TButtonSet visible, TButtonSet enabled) {
    auto* p = Place<TMediaPlayer>(20, 120, width, 30);
    p->SetAutoEnable(false);
    p->SetVisibleButtons(visible);
    p->SetEnabledButtons(enabled);
    p->SetColoredButtons(0);
    return p;
  }
  static RECT ItemRect(HWND header, int i) {
    RECT r{};
    EXPECT_TRUE(SendMessageW(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)));
    return r;
  }
  static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
};

// ---- Header controls ----

// Five items on a synthetic header image whose slices each have a colour of their own, so that
// the whole picture can be worked out: the first item hot (frame 2), the others normal, the
// empty space after the last item in frame 1; left, right-aligned and centred captions in the
// skin's text colour, a picture before a caption, a picture without a caption (neither shown),
// and a caption too long for its cell (ended with an ellipsis).
TEST_F(HeaderTest, AHeaderShowsItsCellsHotCellPicturesCaptionsAndTheRest) {
  TSliced image;
  image.frames = 5;
  image.fw = 12;
  image.fh = 10;
  image.m = RECT{3, 3, 3, 3};
  {
    TSkinObjects& skin = Skin();
    ASSERT_TRUE(skin.Header);
    skin.Header->Map.Assign(image.Make(TPixelFormat::pf24bit).get());
    skin.Header->r = TMargins{3, 3, 3, 3};
    skin.Header->frame = 5;
    skin.Header->Tile = 0;
    skin.Colors[skin::kcWindowText] = kCaptionColour;
    skin.hasColors[skin::kcWindowText] = true;
  }
  struct Item {
    std::wstring text;
    int width;
    TAlignment align;
    int picture;  // image index, -1 none
  };
  const std::vector<Item> items = {
      {L"风湿", 70, TAlignment::taLeftJustify, -1},
      {L"Right", 70, TAlignment::taRightJustify, -1},
      {L"跌打", 90, TAlignment::taLeftJustify, 0},
      {L"A caption far too long", 50, TAlignment::taCenter, -1},
      {L"", 40, TAlignment::taLeftJustify, 0},
  };
  auto* images = new TImageList(form);
  images->SetSize(12, 12);
  {
    TBitmap pic(12, 12, TPixelFormat::pf24bit);
    FillColor(pic.DC(), RECT{0, 0, 12, 12}, kPictureColour);
    ASSERT_EQ(images->AddMasked(&pic, clFuchsia), 0);
  }
  THeaderControl* header = PlaceHeader({});
  header->SetImages(images);
  for (const Item& it : items) {
    THeaderSection* s = header->AddSection(it.text, it.width);
    s->SetAlignment(it.align);
    s->SetImageIndex(it.picture);
  }
  HWND wnd = header->Handle();
  auto* skinner = SkinAs<TSkinHeaderCtrl>(TSkinnerKind::Header, header);
  ASSERT_NE(skinner, nullptr);
  Repaint(wnd);
  const RECT first = ItemRect(wnd, 0);
  SendMessageW(wnd, WM_MOUSEMOVE, 0, At(first.left + 10, 5));
  ASSERT_EQ(skinner->indexitem, 0);
  Settle(wnd);
  const Rows got = WindowPixels(wnd);

  // The expected picture: the cells and the rest, then each cell's picture and caption.
  const RECT whole = WindowRect0(wnd);
  TBitmap want(W(whole), H(whole), TPixelFormat::pf24bit);
  auto put = [&](const RECT& r, const Rows& px) {
    for (int y = 0; y < H(r); ++y)
      for (int x = 0; x < W(r); ++x) SetPixel(want.DC(), r.left + x, r.top + y, ColorToRGB(px[y][x]));
  };
  int m = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const RECT r = ItemRect(wnd, int(i));
    put(r, ExpectNineSlice(image, i == 0 ? 2 : 1, W(r), H(r), false));
    m = std::max(m, int(r.right));
  }
  ASSERT_LT(m, W(whole));
  put(RECT{m, 0, W(whole), H(whole)}, ExpectNineSlice(image, 1, W(whole) - m, H(whole), false));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  {
    TScopedSelect select(want.DC(), font);
    SetBkMode(want.DC(), TRANSPARENT);
    SetTextColor(want.DC(), ColorToRGB(kCaptionColour));
    for (size_t i = 0; i < items.size(); ++i) {
      const Item& it = items[i];
      if (it.text.empty()) continue;
      const RECT c = ItemRect(wnd, int(i));
      const int cx = it.picture >= 0 ? 12 : 0;
      // The caption measured as the system measures it into the cell (a too long one to the
      // width of its ellipsis).
      RECT t{0, 0, W(c) + (cx ? cx + 2 : 0), H(c)};
      DrawTextW(want.DC(), it.text.c_str(), -1, &t, DT_END_ELLIPSIS | DT_EXPANDTABS | DT_CALCRECT | DT_NOCLIP);
      const int tw = W(t), th = H(t);
      int a = it.align == TAlignment::taLeftJustify ? 3
              : it.align == TAlignment::taCenter     ? (W(c) - cx - tw) / 2
                                                     : W(c) - cx - tw - 2;
      if (a < 2) a = 1;
      if (cx) {
        const int py = c.top + (H(c) - 12) / 2;
        FillColor(want.DC(), RECT{c.left + a, py, c.left + a + 12, py + 12}, kPictureColour);
      }
      RECT at{c.left + a + cx, c.top + (H(c) - th) / 2, c.left + a + cx + tw, c.top + (H(c) - th) / 2 + th};
      at.left = std::clamp(at.left, c.left, c.right);
      at.right = std::clamp(at.right, c.left, c.right);
      DrawTextW(want.DC(), it.text.c_str(), -1, &at, DT_END_ELLIPSIS | DT_EXPANDTABS);
    }
  }
  EXPECT_TRUE(SamePicture(got, Read(want)));
  EXPECT_TRUE(dropped.empty());
}

// The hot item follows the mouse, and the header is painted again only when it changes: not
// while the mouse moves within an item, nor in the 3 pixels next to a divider; leaving the
// header clears it.
TEST_F(HeaderTest, TheHotItemChangesOnlyWhenTheMouseReachesAnotherItem) {
  struct TCounting : TSkinHeaderCtrl {
    using TSkinHeaderCtrl::TSkinHeaderCtrl;
    int paints = 0;
    void DrawControl(HDC dc, const RECT& rc) override {
      ++paints;
      TSkinHeaderCtrl::DrawControl(dc, rc);
    }
  };
  THeaderControl* header = PlaceHeader({{L"风湿", 80}, {L"跌打", 80}, {L"活血", 80}});
  HWND wnd = header->Handle();
  auto* skinner = new TCounting(header);
  skinner->Init(sf, data, &sf->ControlCanvas(), false);
  Repaint(wnd);
  const RECT r0 = ItemRect(wnd, 0), r1 = ItemRect(wnd, 1);
  struct Step {
    const char* what;
    UINT msg;
    int x;
    int hot;
    bool repainted;
  } steps[] = {
      {"into the first item", WM_MOUSEMOVE, r0.left + 10, 0, true},
      {"within the first item", WM_MOUSEMOVE, r0.left + 40, 0, false},
      {"next to the first divider, inside the first item", WM_MOUSEMOVE, r0.right - 2, 0, false},
      {"next to the first divider, inside the second item", WM_MOUSEMOVE, r1.left + 1, 0, false},
      {"into the second item", WM_MOUSEMOVE, r1.left + 5, 1, true},
      {"past the last item", WM_MOUSEMOVE, 300, 1, false},
      {"out of the header", WM_MOUSELEAVE, 0, -1, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    const int before = skinner->paints;
    SendMessageW(wnd, s.msg, 0, At(s.x, 8));
    EXPECT_EQ(skinner->indexitem, s.hot);
    EXPECT_EQ(skinner->paints > before, s.repainted);
  }
  EXPECT_TRUE(dropped.empty());
}

// A click on an item reaches the control's own notification just as it does unskinned: a
// stand-alone header's OnSectionClick, and a list view's column click (its column header
// skinned by the list view's skinner).
TEST_F(HeaderTest, AClickOnAnItemReachesTheControlsNotificationSkinnedOrNot) {
  TRecorder rec;
  std::vector<int> column_clicks;
  TWindowSubclass watch;  // the form, where the list view reports its column clicks
  ASSERT_TRUE(watch.Install(form->Handle(), [&](TMessage& m) {
    if (m.Msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == UINT(LVN_COLUMNCLICK))
      column_clicks.push_back(reinterpret_cast<NMLISTVIEW*>(m.LParam)->iSubItem);
    watch.CallPrevious(m);
  }));
  for (bool skinned : {false, true}) {
    SCOPED_TRACE(skinned ? "skinned" : "plain");
    rec.sections.clear();
    column_clicks.clear();
    THeaderControl* header = PlaceHeader({{L"风湿", 80}, {L"跌打", 80}});
    header->OnSectionClick = TSectionNotifyEvent::Bind<&TRecorder::SectionClicked>(&rec);
    auto* view = Place<TListView>(10, 50, 300, 100);
    view->SetViewStyle(TViewStyle::vsReport);
    view->AddColumn(L"方名", 100);
    view->AddColumn(L"功效", 100);
    view->AddItem(L"五加皮酒", {L"祛风湿"});
    HWND column_header = view->HeaderHandle();
    ASSERT_NE(column_header, nullptr);
    if (skinned) {
      SkinAs(TSkinnerKind::Header, header);
      auto* lv = dynamic_cast<TSkinListView*>(MakeControlSkinner(TSkinnerKind::ListView, view));
      ASSERT_NE(lv, nullptr);
      lv->InitScrollbar(view, data, &sf->ControlCanvas(), sf);
      ASSERT_NE(lv->header, nullptr);
      EXPECT_EQ(lv->header->ClassName(), "TSkinHeader");
      EXPECT_EQ(SendMessageW(column_header, WM_SKINQUERY, 0, 0), 1);
    }
    Repaint(header->Handle());
    Repaint(view->Handle());
    const RECT second = ItemRect(header->Handle(), 1);
    SendMessageW(header->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(second.left + 20, 8));
    SendMessageW(header->Handle(), WM_LBUTTONUP, 0, At(second.left + 20, 8));
    EXPECT_EQ(rec.sections, std::vector<int>{1});
    const RECT column = ItemRect(column_header, 1);
    SendMessageW(column_header, WM_LBUTTONDOWN, MK_LBUTTON, At(column.left + 20, 5));
    SendMessageW(column_header, WM_LBUTTONUP, 0, At(column.left + 20, 5));
    Pump([&] { return !column_clicks.empty(); }, 1000);
    EXPECT_EQ(column_clicks, std::vector<int>{1});
    if (skinned) {
      // The list view's column header is painted from the skin: its empty rest in frame 1.
      Settle(column_header);
      const Rows got = WindowPixels(column_header);
      const RECT whole = WindowRect0(column_header);
      const RECT last = ItemRect(column_header, 1);
      EXPECT_TRUE(SlicedFrameShows(got, RECT{last.right, 0, whole.right, whole.bottom}, *Skin().Header, 1,
                                   Skin().Header->frame, Face()));
    }
    header->Free();
    view->Free();
  }
  watch.Remove();
  EXPECT_TRUE(dropped.empty());
}

// A skin without a usable header image leaves the header to paint itself (its own items'
// text shows); nothing fails.
// A header with no items shows the skin's image over its whole width; one with 200 items
// paints the ones in view and follows the mouse over them; neither fails.
TEST_F(HeaderTest, HeadersWithNoItemsOrVeryManyPaintWhatExists) {
  struct Row {
    const char* what;
    int items;
  } rows[] = {{"no items", 0}, {"200 items", 200}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    std::vector<std::pair<std::wstring, int>> sections;
    for (int i = 0; i < r.items; ++i) sections.push_back({L"列" + std::to_wstring(i + 1), 40});
    THeaderControl* header = PlaceHeader(sections);
    HWND wnd = header->Handle();
    SendMessageW(wnd, WM_SKINENABLE, 0, 0);
    SkinAs(TSkinnerKind::Header, header);
    SendMessageW(wnd, WM_SKINENABLE, 0, 0);
    Repaint(wnd);
    const Rows own = WindowPixels(wnd);
    SendMessageW(wnd, WM_SKINENABLE, 1, 0);
    Repaint(wnd);
    const Rows skinned = WindowPixels(wnd);
    EXPECT_NE(own, skinned) << "the skin's cells (or its rest) instead of the plain header";
    for (int x : {5, 45, 205, 395}) SendMessageW(wnd, WM_MOUSEMOVE, 0, At(x, 10));
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    Settle(wnd);
    EXPECT_EQ(WindowPixels(wnd), skinned) << "back as it was once the mouse left";
    header->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

TEST_F(HeaderTest, ADamagedHeaderImageLeavesThePlainHeader) {
  struct Case {
    const char* what;
    std::function<void(TSkinObjects&)> damage;
    bool skin_paints;
  } cases[] = {
      {"no header object", [](TSkinObjects& s) { s.Header.reset(); }, false},
      {"an image of no width", [](TSkinObjects& s) { s.Header->Map.SetSize(0, 20); }, false},
      {"more frames than the image is wide", [](TSkinObjects& s) { s.Header->frame = 1000; }, true},
      {"no frame count", [](TSkinObjects& s) { s.Header->frame = 0; }, true},
      {"an image narrower than its margins", [](TSkinObjects& s) { s.Header->Map.SetSize(4, 2); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    data->LoadFromFile(SkinFile("builtin"));
    sf->HandleRequest(TSkinRequest::srSkinChanged);
    c.damage(Skin());
    THeaderControl* header = PlaceHeader({{L"风湿", 80}, {L"Right", 80}});
    HWND wnd = header->Handle();
    SendMessageW(wnd, WM_MOUSEMOVE, 0, At(20, 8));
    Repaint(wnd);
    const Rows plain = WindowPixels(wnd);
    SkinAs(TSkinnerKind::Header, header);
    Repaint(wnd);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, At(20, 8));
    Settle(wnd);
    const Rows got = WindowPixels(wnd);
    if (!c.skin_paints) { EXPECT_TRUE(SamePicture(got, plain)); }
    header->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Media players ----

// The panel's picture: each visible button a face of the skin's button image (frame 1, 3 when
// disabled, 2 while pressed) BtnWidth = width div count wide, its glyph centred with the
// olive left out (one pixel down and right while pressed); what is left at the right, and a
// panel without visible buttons, in the face colour.
TEST_F(HeaderTest, APlayersButtonRowShowsSkinFacesAndGlyphs) {
  using B = TMPBtnType;
  const TButtonSet three = MPButton(B::btPlay) | MPButton(B::btPause) | MPButton(B::btStop);
  struct Case {
    const char* what;
    TButtonSet visible, enabled;
    bool press_first;  // the left button held on the first button
    std::vector<std::pair<B, int>> faces;  // visible buttons in order, with their frame
  } cases[] = {
      {"three buttons on 100 pixels, one disabled", three, three & ~MPButton(B::btPause), false,
       {{B::btPlay, 1}, {B::btPause, 3}, {B::btStop, 1}}},
      {"the first button held down", three, three, true, {{B::btPlay, 2}, {B::btPause, 1}, {B::btStop, 1}}},
      {"no visible button", 0, three, false, {}},
  };
  TDataSkinButton& face = *Skin().Button;
  ASSERT_FALSE(face.Map.Empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TMediaPlayer* player = PlacePlayer(100, c.visible, c.enabled);
    auto* skinner = SkinAs<TSkinMP>(TSkinnerKind::MediaPlayer, player);
    ASSERT_NE(skinner, nullptr);
    ASSERT_NE(skinner->mp, nullptr);
    HWND panel = skinner->mp->Handle();
    EXPECT_TRUE(IsWindowVisible(panel));
    Repaint(panel);
    if (c.press_first) {
      SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
      Repaint(panel);
    }
    const Rows got = WindowPixels(panel);
    const int h = 30;
    if (c.faces.empty()) {
      EXPECT_TRUE(SamePicture(got, Fill(100, h, Face())));
    } else {
      const int bw = 100 / int(c.faces.size());
      EXPECT_EQ(bw, 33);
      for (size_t i = 0; i < c.faces.size(); ++i) {
        SCOPED_TRACE(i);
        const auto [button, frame] = c.faces[i];
        const RECT r{int(i) * bw, 0, int(i + 1) * bw, h};
        TBitmap glyph;
        const wchar_t* state = frame == 3 ? L"DI_" : L"EN_";
        ASSERT_TRUE(LoadMPGlyph(state + std::wstring(MPGlyphName(button)), glyph));
        const int gw = glyph.Width(), gh = glyph.Height(), shift = frame == 2 ? 1 : 0;
        const RECT g{r.left + (bw - gw) / 2 + shift, (h - gh) / 2 + shift, 0, 0};
        std::vector<RECT> glyph_pixels;
        int shown = 0;
        for (int y = 0; y < gh; ++y)
          for (int x = 0; x < gw; ++x) {
            const TColor px = ImagePixel(glyph, x, y);
            if (px == 0x008080) continue;
            ++shown;
            glyph_pixels.push_back(RECT{g.left + x, g.top + y, g.left + x + 1, g.top + y + 1});
            EXPECT_EQ(got[g.top + y][g.left + x], px) << x << ", " << y;
          }
        EXPECT_GT(shown, 0);
        EXPECT_TRUE(SlicedFrameShows(got, r, face, frame, face.frame, Face(), glyph_pixels));
      }
      for (int y = 0; y < h; ++y) EXPECT_EQ(got[y][99], Face()) << y;
    }
    if (c.press_first) SendMessageW(panel, WM_LBUTTONUP, 0, At(5, 5));
    player->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// A press and release on one button of the panel reach the player: its OnClick with that
// button, and the button's command sent to the device (answered, or refused with the reason
// where the machine has no sound), just as a click on the plain player does. A press on one
// button released over another reaches nothing.
TEST_F(HeaderTest, APanelClickReachesThePlayerAndItsCommand) {
  using B = TMPBtnType;
  const std::wstring tone = WriteTone();
  ASSERT_FALSE(tone.empty());
  struct Case {
    const char* what;
    bool skinned;
    int down_x, up_x;
    std::vector<B> clicks;
    unsigned command;
    int mouse_ups;  // releases the player saw
  } cases[] = {
      {"play, plain", false, 10, 12, {B::btPlay}, MCI_PLAY, 1},
      {"play, skinned", true, 10, 12, {B::btPlay}, MCI_PLAY, 1},
      {"stop, skinned", true, 80, 70, {B::btStop}, MCI_STOP, 1},
      {"pressed on play, released on stop", true, 10, 80, {}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TRecorder rec;
    const TButtonSet three = MPButton(B::btPlay) | MPButton(B::btPause) | MPButton(B::btStop);
    TMediaPlayer* player = PlacePlayer(100, three, three);
    player->OnClick = TMPBtnClickEvent::Bind<&TRecorder::ButtonClicked>(&rec);
    player->OnMouseUp = TMouseEvent::Bind<&TRecorder::MouseUp>(&rec);
    player->SetFileName(tone);
    // Opened, or refused with the reason: either way the commands that follow are sent.
    if (!player->Open()) { EXPECT_FALSE(player->ErrorMessage().empty()); }
    const unsigned before = player->LastCommand();
    HWND target = player->Handle();
    if (c.skinned) {
      auto* skinner = SkinAs<TSkinMP>(TSkinnerKind::MediaPlayer, player);
      ASSERT_TRUE(skinner && skinner->mp);
      target = skinner->mp->Handle();
    }
    Repaint(target);  // the panel lays out its buttons as it paints them
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, At(c.down_x, 10));
    SendMessageW(target, WM_LBUTTONUP, 0, At(c.up_x, 10));
    EXPECT_EQ(rec.buttons, c.clicks);
    EXPECT_EQ(rec.mouse_ups, c.mouse_ups);
    if (c.command) {
      EXPECT_EQ(player->LastCommand(), c.command);
      if (player->Error()) { EXPECT_FALSE(player->ErrorMessage().empty()); }
    } else {
      EXPECT_EQ(player->LastCommand(), before);
    }
    EXPECT_EQ(GetCapture(), nullptr);
    player->Free();
  }
  DeleteFileW(tone.c_str());
  EXPECT_TRUE(dropped.empty());
}

// The panel takes the player's place and visibility as they change, and a skin without
// usable button faces still shows the glyphs on the face colour.
TEST_F(HeaderTest, ThePanelFollowsThePlayerAndSurvivesADamagedSkin) {
  using B = TMPBtnType;
  TMediaPlayer* player = PlacePlayer(120, MPButton(B::btPlay) | MPButton(B::btStop), kAllMPButtons);
  auto* skinner = SkinAs<TSkinMP>(TSkinnerKind::MediaPlayer, player);
  ASSERT_TRUE(skinner && skinner->mp);
  TWMediaPlayer* panel = skinner->mp;
  EXPECT_EQ(panel->Tag(), data->DisableTag());
  player->SetBounds(40, 150, 150, 26);
  EXPECT_EQ(panel->BoundsRect().left, 40);
  EXPECT_EQ(panel->BoundsRect().top, 150);
  EXPECT_EQ(panel->Width(), 150);
  EXPECT_EQ(panel->Height(), 26);
  player->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(panel->Handle()));
  player->SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(panel->Handle()));
  player->Free();

  struct Case {
    const char* what;
    std::function<void(TSkinObjects&)> damage;
  } cases[] = {
      {"no button object", [](TSkinObjects& s) { s.Button.reset(); }},
      {"a button image of no width", [](TSkinObjects& s) { s.Button->Map.SetSize(0, 20); }},
      {"more frames than the image is wide", [](TSkinObjects& s) { s.Button->frame = 1000; }},
      {"no frame count", [](TSkinObjects& s) { s.Button->frame = 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    data->LoadFromFile(SkinFile("builtin"));
    sf->HandleRequest(TSkinRequest::srSkinChanged);
    c.damage(Skin());
    TMediaPlayer* p = PlacePlayer(60, MPButton(B::btPlay), kAllMPButtons);
    auto* s = SkinAs<TSkinMP>(TSkinnerKind::MediaPlayer, p);
    ASSERT_TRUE(s && s->mp);
    Repaint(s->mp->Handle());
    const Rows got = WindowPixels(s->mp->Handle());
    TBitmap glyph;
    ASSERT_TRUE(LoadMPGlyph(L"EN_MPPLAY", glyph));
    const int gx = (60 - glyph.Width()) / 2, gy = (30 - glyph.Height()) / 2;
    for (int y = 0; y < glyph.Height(); ++y)
      for (int x = 0; x < glyph.Width(); ++x)
        if (ImagePixel(glyph, x, y) != 0x008080) { EXPECT_EQ(got[gy + y][gx + x], ImagePixel(glyph, x, y)); }
    p->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- What is left ----

// Skinned headers (stand-alone and a list view's) and players leave nothing behind, whether
// the controls go first, skinning stops first, or their form goes.
TEST_F(HeaderTest, NothingIsLeftWhicheverGoesFirst) {
  auto place = [this](TTestForm* f, TWinSkinForm* host) {
    auto* header = new THeaderControl(f);
    header->SetParent(f);
    header->SetBounds(10, 10, 300, 24);
    header->AddSection(L"风湿", 80);
    header->AddSection(L"跌打", 80);
    auto* view = new TListView(f);
    view->SetParent(f);
    view->SetBounds(10, 40, 300, 90);
    view->SetViewStyle(TViewStyle::vsReport);
    view->AddColumn(L"方名", 120);
    view->AddItem(L"五加皮酒");
    auto* player = new TMediaPlayer(f);
    player->SetParent(f);
    player->SetBounds(10, 140, 200, 30);
    std::vector<TSkinControl*> skinners;
    for (auto [control, kind] : {std::pair<TWinControl*, TSkinnerKind>{header, TSkinnerKind::Header},
                                 {player, TSkinnerKind::MediaPlayer}}) {
      TSkinControl* s = MakeControlSkinner(kind, control);
      s->Init(host, data, &host->ControlCanvas(), false);
      skinners.push_back(s);
    }
    auto* lv = static_cast<TSkinListView*>(MakeControlSkinner(TSkinnerKind::ListView, view));
    lv->InitScrollbar(view, data, &host->ControlCanvas(), host);
    skinners.push_back(lv);
    skinners.push_back(lv->header);
    RedrawWindow(f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Settle(f->Handle());
    SendMessageW(header->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 5));
    return std::make_pair(std::vector<TWinControl*>{header, view, player}, skinners);
  };
  auto controls_first = [&] {
    for (TWinControl* c : place(form, sf).first) c->Free();
    EXPECT_TRUE(sf->Controllist.empty());
  };
  auto skinning_first = [&] {
    auto [controls, skinners] = place(form, sf);
    for (TSkinControl* s : skinners) s->Unsubclass();
    for (TSkinControl* s : skinners) s->Free();
    for (TWinControl* c : controls) c->Free();
  };
  auto form_first = [&] {
    TTestForm* other = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"other", 80, 80);
    TWinSkinForm* host = Attach(other);
    place(other, host);
    other->Free();
    Pump([] { return false; }, 50);
  };
  controls_first();  // what is made once and kept (fonts, the skin's pictures) is made now
  skinning_first();
  form_first();
  const TCounts before = TCounts::Now();
  for (int i = 0; i < 3; ++i) controls_first();
  EXPECT_EQ(TCounts::Now(), before) << "controls first";
  for (int i = 0; i < 3; ++i) skinning_first();
  EXPECT_EQ(TCounts::Now(), before) << "skinning first";
  for (int i = 0; i < 3; ++i) form_first();
  EXPECT_EQ(TCounts::Now(), before) << "form first";
  EXPECT_TRUE(dropped.empty());
}

}  // namespace
}  // namespace qn::test
