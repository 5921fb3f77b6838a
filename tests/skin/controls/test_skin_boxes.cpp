// The skinners of group boxes, panels, bare containers and status bars on real controls of a
// skinned form: what they paint against pictures worked out from the skin images and the
// controls' fonts, what the controls get back when skinning stops, what is left when either
// side goes first, and what a damaged skin still paints.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "platform/win/ComCtrls.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/MethodHook.h"
#include "platform/win/StdCtrls.h"
#include "skin/controls/SkinBoxes.h"
#include "tests/skin/controls/ControlFixture.h"

namespace qn::test {

// ---- A status bar of another library, read by its property names alone ----

const TEnumInfo kPanelAlignInfo{{"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo kPanelBevelInfo{{"pbNone", "pbLowered", "pbRaised"}};
const TEnumInfo kBiDiInfo{{"bdLeftToRight", "bdRightToLeft"}};
const TEnumInfo kPanelStyleInfo{{"psText", "psOwnerDraw"}};

class TForeignPanel : public TCollectionItem {
  QN_CLASS(TForeignPanel)
 public:
  explicit TForeignPanel(TCollection* c) : TCollectionItem(c) {}
  int Alignment() const { return alignment; }
  void SetAlignment(int v) { alignment = v; }
  int Bevel() const { return bevel; }
  void SetBevel(int v) { bevel = v; }
  int BiDiMode() const { return bidi; }
  void SetBiDiMode(int v) { bidi = v; }
  int Style() const { return style; }
  void SetStyle(int v) { style = v; }
  std::wstring Text() const { return text; }
  void SetText(const std::wstring& t) { text = t; }

  int alignment = 0, bevel = 1, bidi = 0, style = 0, width = 90;
  std::wstring text;
};

QN_CLASS_IMPL(TForeignPanel, TCollectionItem,
              {prop::Enum("Alignment", kPanelAlignInfo, &TForeignPanel::Alignment, &TForeignPanel::SetAlignment),
               prop::Enum("Bevel", kPanelBevelInfo, &TForeignPanel::Bevel, &TForeignPanel::SetBevel),
               prop::Enum("BiDiMode", kBiDiInfo, &TForeignPanel::BiDiMode, &TForeignPanel::SetBiDiMode),
               prop::Enum("Style", kPanelStyleInfo, &TForeignPanel::Style, &TForeignPanel::SetStyle),
               prop::Str("Text", &TForeignPanel::Text, &TForeignPanel::SetText)})

class TForeignStatusBar : public TWinControl {
  QN_CLASS(TForeignStatusBar)
 public:
  explicit TForeignStatusBar(TComponent* owner)
      : TWinControl(owner), panels_(std::make_unique<TCollection>(this, [](TCollection* c) {
          return new TForeignPanel(c);
        })) {
    InitCommonControlsOnce();
    SetColor(clBtnFace);
  }
  TCollection* Panels() const { return panels_.get(); }
  TForeignPanel* Panel(int i) const { return static_cast<TForeignPanel*>(panels_->Items(i)); }
  TForeignPanel* Add(int width) {
    auto* p = static_cast<TForeignPanel*>(panels_->Add());
    p->width = width;
    return p;
  }
  bool SimplePanel() const { return simple; }
  void SetSimplePanel(bool v) { simple = v; }
  std::wstring SimpleText() const { return simple_text; }
  void SetSimpleText(const std::wstring& t) { simple_text = t; }
  int BiDiMode() const { return bidi; }
  void SetBiDiMode(int v) { bidi = v; }
  // The parts as the panels say (the last runs to the edge).
  void UpdateParts() {
    std::vector<int> edges;
    int pos = 0;
    for (int i = 0; i < panels_->Count(); ++i) edges.push_back(i == panels_->Count() - 1 ? -1 : pos += Panel(i)->width);
    if (!edges.empty())
      SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  }

  TDrawPanelEvent OnDrawPanel;
  bool simple = false;
  std::wstring simple_text;
  int bidi = 0;

 protected:
  void CreateParams(TCreateParams& p) override {
    TWinControl::CreateParams(p);
    p.baseClassName = STATUSCLASSNAMEW;
    p.style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  }

 private:
  std::unique_ptr<TCollection> panels_;
};

QN_CLASS_IMPL(TForeignStatusBar, TWinControl,
              {prop::Obj("Panels", &TForeignStatusBar::Panels),
               prop::Bool("SimplePanel", &TForeignStatusBar::SimplePanel, &TForeignStatusBar::SetSimplePanel),
               prop::Str("SimpleText", &TForeignStatusBar::SimpleText, &TForeignStatusBar::SetSimpleText),
               prop::Enum("BiDiMode", kBiDiInfo, &TForeignStatusBar::BiDiMode, &TForeignStatusBar::SetBiDiMode),
               prop::Event("OnDrawPanel", &TForeignStatusBar::OnDrawPanel)})

namespace {

using Mask = std::vector<std::vector<bool>>;

int W(const RECT& r) { return r.right - r.left; }
int H(const RECT& r) { return r.bottom - r.top; }

// Pixels equal where `care` says so; the first differences named.
::testing::AssertionResult SameWhereCared(const Rows& got, const Rows& want, const Mask& care) {
  if (got.size() != want.size() || got.empty() || got[0].size() != want[0].size())
    return ::testing::AssertionFailure() << "sizes differ";
  int bad = 0;
  auto failure = ::testing::AssertionFailure();
  for (size_t y = 0; y < got.size(); ++y)
    for (size_t x = 0; x < got[y].size(); ++x)
      if (care[y][x] && got[y][x] != want[y][x] && bad++ < 5)
        failure << "(" << x << ", " << y << ") is " << std::hex << got[y][x] << ", not " << want[y][x] << std::dec
                << "; ";
  if (!bad) return ::testing::AssertionSuccess();
  return failure << bad << " pixels differ";
}

// Checks the painted rectangle r against frame `frame` of `frames` of the object's image
// nine-sliced onto it: corners pixel for pixel, each stretched edge and the centre against the
// colours its source band offers. Pixels inside `skip` are not compared.
::testing::AssertionResult SlicedFrameShows(const Rows& painted, const RECT& r, TDataSkinObject& obj, int frame,
                                            int frames, const std::vector<RECT>& skip = {}) {
  const int fw = obj.Map.Width() / frames, fh = obj.Map.Height();
  const int x0 = fw * (frame - 1);
  const int l = obj.r.Left, t = obj.r.Top, rr = obj.r.Right, b = obj.r.Bottom;
  const int w = W(r), h = H(r);
  // Source band of a target offset along one axis: [from, to) of the frame.
  auto band = [](int pos, int size, int lead, int trail, int fsize, int& from, int& to) {
    if (pos < lead) from = pos, to = pos + 1;
    else if (pos >= size - trail) from = fsize - (size - pos), to = from + 1;
    else from = lead, to = fsize - trail;
  };
  int bad = 0;
  auto failure = ::testing::AssertionFailure();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const POINT p{r.left + x, r.top + y};
      if (std::any_of(skip.begin(), skip.end(), [&](const RECT& s) { return PtInRect(&s, p) != FALSE; })) continue;
      int sx0, sx1, sy0, sy1;
      band(x, w, l, rr, fw, sx0, sx1);
      band(y, h, t, b, fh, sy0, sy1);
      std::set<TColor> offered;
      for (int sy = sy0; sy < sy1; ++sy)
        for (int sx = sx0; sx < sx1; ++sx) offered.insert(ImagePixel(obj.Map, x0 + sx, sy));
      const TColor got = painted[p.y][p.x];
      if (!offered.count(got) && bad++ < 5)
        failure << "(" << p.x << ", " << p.y << ") is " << std::hex << got << std::dec << "; ";
    }
  }
  if (!bad) return ::testing::AssertionSuccess();
  return failure << bad << " pixels not from frame " << frame;
}

// The text extent in a control's font.
SIZE TextSize(TFont& font, const std::wstring& text) {
  TBitmap bmp(4, 4, TPixelFormat::pf24bit);
  TScopedSelect select(bmp.DC(), font.Handle());
  SIZE s{};
  GetTextExtentPoint32W(bmp.DC(), text.c_str(), int(text.size()), &s);
  return s;
}

class BoxesTest : public ControlTest {
 protected:
  // The factory's skinner of that kind on the control, attached as discovery attaches it.
  template <class S = TSkinControl>
  S* SkinAs(TSkinnerKind kind, TWinControl* control, bool recolor = false) {
    TSkinControl* skinner = MakeControlSkinner(kind, control);
    EXPECT_NE(skinner, nullptr);
    skinner->Init(sf, data, &sf->ControlCanvas(), recolor);
    return dynamic_cast<S*>(skinner);
  }
  TStatusBar* PlaceStatusBar(int y, const std::vector<std::wstring>& texts) {
    auto* bar = new TStatusBar(form);
    bar->SetAlign(TAlign::alNone);
    bar->SetParent(form);
    bar->SetBounds(0, y, 400, 22);
    for (size_t i = 0; i < texts.size(); ++i) {
      auto* p = static_cast<TStatusPanel*>(bar->Panels()->Add());
      p->SetWidth(i == 0 ? 110 : 130);
      p->SetText(texts[i]);
    }
    bar->HandleNeeded();
    return bar;
  }
  static RECT PanelRect(HWND bar, int i) {
    RECT r{};
    EXPECT_TRUE(SendMessageW(bar, SB_GETRECT, i, reinterpret_cast<LPARAM>(&r)));
    return r;
  }
  TColor Face() { return sf->SkinObjects()->Colors[skin::kcButtonFace]; }
};

TEST_F(BoxesTest, TheFactoryMakesEachBoxSkinnerUnderItsOwnName) {
  const TSkinnerKind kinds[] = {TSkinnerKind::GroupBox, TSkinnerKind::Box, TSkinnerKind::BoxH, TSkinnerKind::Sizer,
                                TSkinnerKind::StatusBar};
  for (TSkinnerKind kind : kinds) {
    std::unique_ptr<TSkinControl> skinner(MakeControlSkinner(kind, nullptr));
    ASSERT_NE(skinner, nullptr) << SkinnerClassName(kind);
    EXPECT_EQ(skinner->ClassName(), SkinnerClassName(kind));
    EXPECT_TRUE(skinner->InheritsFrom("TSkinControl"));
  }
}

// ---- Group boxes ----

// The frame is a rounded rectangle in the skin's shadow colour from (1, y) to the far edges less
// one, y half the height of a "0" less one, on the face colour; the caption lies over its top line
// on the face colour, 8 pixels from the left (or, right-aligned, from the right) edge; a
// window-less child is painted over all of it.
TEST_F(BoxesTest, AGroupBoxShowsItsRoundedFrameAndCaption) {
  struct Case {
    const char* what;
    bool right;
  } cases[] = {{"caption at the left", false}, {"right-aligned caption", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto* box = new TGroupBox(form);
    box->SetParent(form);
    box->SetBounds(20, 20, 220, 110);
    box->SetCaption(L"药酒 Wine");
    auto* child = new TProbeGraphic(box);
    child->SetParent(box);
    child->SetBounds(30, 50, 40, 20);
    HWND wnd = box->Handle();
    if (c.right) SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_RIGHT);
    auto* skinner = SkinAs<TSkinGroupBox>(TSkinnerKind::GroupBox, box);
    ASSERT_NE(skinner, nullptr);
    EXPECT_EQ(skinner->kind, 1);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Settle(wnd);
    const Rows got = WindowPixels(wnd);

    const int w = 220, h = 110;
    const TColor face = Face(), line = sf->SkinObjects()->Colors[skin::kcButtonShadow];
    const std::wstring text = L"药酒 Wine";
    const SIZE zero = TextSize(*box->Font(), L"0"), ts = TextSize(*box->Font(), text);
    const int y = zero.cy / 2 - 1;
    Rows want = Fill(w, h, face);
    Mask care(h, std::vector<bool>(w, true));
    // Straight parts of the frame; the rounded corners are the system's to draw.
    for (int x = 1; x <= w - 2; ++x) {
      const bool corner = x < 1 + 3 || x > w - 2 - 3;
      for (int row : {y, h - 2}) {
        if (corner) care[row][x] = false;
        else want[row][x] = line;
      }
    }
    for (int row = y; row <= h - 2; ++row) {
      const bool corner = row < y + 3 || row > h - 2 - 3;
      for (int x : {1, w - 2}) {
        if (corner) care[row][x] = false;
        else want[row][x] = line;
      }
    }
    for (int row = y; row < y + 3; ++row)
      for (int x : {2, 3, w - 3, w - 4}) care[row][x] = false;
    for (int row = h - 4; row <= h - 2; ++row)
      for (int x : {2, 3, w - 3, w - 4}) care[row][x] = false;
    // The caption on its own background, in the control's font and font colour.
    const int left = c.right ? w - 8 - ts.cx : 8;
    TBitmap ref(w, h, TPixelFormat::pf24bit);
    FillColor(ref.DC(), RECT{0, 0, w, h}, face);
    {
      TScopedSelect font(ref.DC(), box->Font()->Handle());
      SetTextColor(ref.DC(), ColorToRGB(box->Font()->Color()));
      SetBkColor(ref.DC(), ColorToRGB(face));
      SetBkMode(ref.DC(), OPAQUE);
      RECT r{left, 0, left + ts.cx, ts.cy};
      DrawTextW(ref.DC(), text.c_str(), int(text.size()), &r, DT_LEFT);
    }
    const Rows caption = Read(ref);
    for (int row = 0; row < ts.cy; ++row)
      for (int x = left; x < left + ts.cx; ++x) {
        want[row][x] = caption[row][x];
        care[row][x] = true;
      }
    for (int row = 50; row < 70; ++row)
      for (int x = 30; x < 70; ++x) want[row][x] = kGraphicBlue;
    EXPECT_TRUE(SameWhereCared(got, want, care));
    box->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Status bars ----

// Each panel shows the lowered frame of the skin's panel image from its own left edge to two
// pixels past its right one (the last to the bar's edge), and the grip is cell 5 of the extra
// images in the bottom-right corner, one pixel in, its magenta left out.
TEST_F(BoxesTest, AStatusBarShowsSkinPanelsAndTheSizeGrip) {
  TStatusBar* bar = PlaceStatusBar(200, {L"", L"", L""});
  HWND wnd = bar->Handle();
  ASSERT_TRUE(GetWindowLongPtrW(wnd, GWL_STYLE) & SBARS_SIZEGRIP);
  auto* skinner = SkinAs<TSkinStatusBar>(TSkinnerKind::StatusBar, bar);
  ASSERT_NE(skinner, nullptr);
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Settle(wnd);
  const Rows got = WindowPixels(wnd);
  TSkinObjects& skin = *sf->SkinObjects();
  ASSERT_TRUE(skin.StatusBar && skin.ExtraImages);
  TDataSkinObject& extra = *skin.ExtraImages;
  const RECT whole = WindowRect0(wnd);
  const int gw = extra.Map.Width() / extra.frame, gh = extra.Map.Height();
  const RECT grip{whole.right - 1 - gw, whole.bottom - 1 - gh, whole.right - 1, whole.bottom - 1};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    RECT r = PanelRect(wnd, i);
    std::vector<RECT> skip;
    if (i < 2) {
      r.right += 2;
      skip.push_back(PanelRect(wnd, i + 1));  // the next panel lies over the overlap
    } else {
      r.right = whole.right;
      skip.push_back(grip);
    }
    EXPECT_TRUE(SlicedFrameShows(got, r, *skin.StatusBar, 1, 3, skip));
  }
  int shown = 0;
  for (int y = 0; y < gh; ++y)
    for (int x = 0; x < gw; ++x) {
      const TColor px = ImagePixel(extra.Map, gw * 4 + x, y);
      if (px == kMagenta) continue;
      ++shown;
      EXPECT_EQ(got[grip.top + y][grip.left + x], px) << x << ", " << y;
    }
  EXPECT_GT(shown, 0) << "the grip cell has pixels to show";
  EXPECT_TRUE(dropped.empty());
}

// A status bar of another library, read by property names: alignment (swapped for right-to-left
// panels), the bevel's frame, owner-drawn panels without text, the simple panel, and the
// program's own drawing of each panel after the skin's.
TEST_F(BoxesTest, StatusPanelsFollowTheirAlignmentBevelAndStyle) {
  struct Case {
    const char* what;
    int alignment, bidi, bevel, style;
    int frame;           // of the panel image
    const char* at;      // where the text lies: "left", "right", "centre", "" for none
  } cases[] = {
      {"left", 0, 0, 1, 0, 1, "left"},
      {"right", 1, 0, 1, 0, 1, "right"},
      {"centred", 2, 0, 1, 0, 1, "centre"},
      {"left, read right to left", 0, 1, 1, 0, 1, "right"},
      {"right, read right to left", 1, 1, 1, 0, 1, "left"},
      {"raised", 0, 0, 2, 0, 2, "left"},
      {"flat", 0, 0, 0, 0, 3, "left"},
      {"owner-drawn: no text", 0, 0, 1, 1, 1, ""},
  };
  const std::wstring text = L"当归 12";
  TSkinObjects& skin = *sf->SkinObjects();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto* bar = new TForeignStatusBar(form);
    bar->SetParent(form);
    bar->SetBounds(0, 200, 400, 22);
    TForeignPanel* first = bar->Add(160);
    bar->Add(100);
    first->alignment = c.alignment;
    first->bidi = c.bidi;
    first->bevel = c.bevel;
    first->style = c.style;
    HWND wnd = bar->Handle();
    bar->UpdateParts();
    std::vector<std::pair<int, RECT>> drawn;
    // The program draws the second panel itself, over what the skin painted.
    bar->OnDrawPanel = TDrawPanelEvent(&drawn, [](void* d, TObject* sender, TObject* panel, const RECT& r) {
      const int index = static_cast<TForeignPanel*>(panel)->Index();
      static_cast<decltype(drawn)*>(d)->push_back({index, r});
      if (index != 1) return;
      TWindowDC dc(static_cast<TForeignStatusBar*>(sender)->Handle());
      FillColor(dc.Get(), r, clRed);
    });
    SkinAs(TSkinnerKind::StatusBar, bar);
    drawn.clear();
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Settle(wnd);
    const Rows empty = WindowPixels(wnd);
    const RECT r0 = PanelRect(wnd, 0);
    EXPECT_TRUE(SlicedFrameShows(empty, RECT{r0.left, r0.top, r0.right + 2, r0.bottom}, *skin.StatusBar, c.frame,
                                 3, {PanelRect(wnd, 1)}));
    ASSERT_EQ(drawn.size(), 2u);
    const RECT r1 = PanelRect(wnd, 1);
    EXPECT_EQ(empty[(r1.top + r1.bottom) / 2][(r1.left + r1.right) / 2], clRed) << "drawn after the skin";
    for (int i = 0; i < 2; ++i) {
      RECT want = PanelRect(wnd, i);
      InflateRect(&want, -2, -2);
      EXPECT_EQ(drawn[i].first, i);
      EXPECT_TRUE(EqualRect(&drawn[i].second, &want));
    }

    first->text = text;
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Settle(wnd);
    const Rows got = WindowPixels(wnd);
    // The empty panel with the text put where it belongs, centred one pixel high.
    TBitmap ref(W(WindowRect0(wnd)), H(WindowRect0(wnd)), TPixelFormat::pf24bit);
    for (size_t y = 0; y < empty.size(); ++y)
      for (size_t x = 0; x < empty[y].size(); ++x) SetPixel(ref.DC(), int(x), int(y), ColorToRGB(empty[y][x]));
    if (*c.at) {
      TFont font;
      font.Assign(bar->Font());
      const SIZE s = TextSize(font, text);
      const RECT t{r0.left + 2, r0.top, r0.right + 2 - 2, r0.bottom};
      const int x = std::string(c.at) == "left"    ? t.left
                    : std::string(c.at) == "right" ? t.right - s.cx
                                                   : t.left + (W(t) - s.cx) / 2;
      const int y = t.top + (H(t) - s.cy) / 2 - 1;
      TScopedSelect select(ref.DC(), font.Handle());
      SetBkMode(ref.DC(), TRANSPARENT);
      SetTextColor(ref.DC(), ColorToRGB(skin.StatusBar->Normalcolor2));
      RECT at{x, y, x + s.cx, y + s.cy};
      DrawTextW(ref.DC(), text.c_str(), int(text.size()), &at, DT_LEFT | DT_NOCLIP);
    }
    EXPECT_TRUE(SamePicture(got, Read(ref)));
    bar->Free();
  }

  // No panels: one lowered panel over the whole bar, its simple text at the left (at the
  // right when the bar reads right to left).
  for (int bidi : {0, 1}) {
    SCOPED_TRACE(bidi ? "simple, right to left" : "simple");
    auto* bar = new TForeignStatusBar(form);
    bar->SetParent(form);
    bar->SetBounds(0, 200, 300, 22);
    bar->simple_text = text;
    bar->bidi = bidi;
    HWND wnd = bar->Handle();
    SkinAs(TSkinnerKind::StatusBar, bar);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Settle(wnd);
    const Rows got = WindowPixels(wnd);
    const RECT whole = WindowRect0(wnd);
    TFont font;
    font.Assign(bar->Font());
    const SIZE s = TextSize(font, text);
    const int x = bidi ? whole.right - 2 - s.cx : 2, y = (H(whole) - s.cy) / 2 - 1;
    const RECT text_at{x, y, x + s.cx, y + s.cy};
    EXPECT_TRUE(SlicedFrameShows(got, whole, *skin.StatusBar, 1, 3, {text_at}));
    int ink = 0;
    for (int yy = text_at.top; yy < text_at.bottom; ++yy)
      for (int xx = text_at.left; xx < text_at.right; ++xx) ink += got[yy][xx] == skin.StatusBar->Normalcolor2;
    EXPECT_GT(ink, 10) << "the text is where it belongs";
    bar->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// A damaged skin: without a usable panel image the panels are bevels on the face colour;
// without a usable grip cell there is no grip; nothing fails. A bar without the grip style has
// no grip either, whatever the skin holds.
TEST_F(BoxesTest, ADamagedSkinLeavesPlainPanelsOrNoGrip) {
  struct Case {
    const char* what;
    std::function<void(TSkinObjects&)> damage;
    bool bevels;
    bool grip;
    bool grip_style = true;
  } cases[] = {
      {"a bar without the grip style", [](TSkinObjects&) {}, false, false, false},
      {"the skin as it is", [](TSkinObjects&) {}, false, true},
      {"no status-bar object", [](TSkinObjects& s) { s.StatusBar.reset(); }, true, true},
      {"a status-bar image of no width", [](TSkinObjects& s) { s.StatusBar->Map.SetSize(0, 20); }, true, true},
      {"a status-bar image narrower than its three frames", [](TSkinObjects& s) { s.StatusBar->Map.SetSize(2, 20); },
       true, true},
      {"no extra images", [](TSkinObjects& s) { s.ExtraImages.reset(); }, false, false},
      {"extra images of no width", [](TSkinObjects& s) { s.ExtraImages->Map.SetSize(0, 12); }, false, false},
      {"extra images with fewer cells than the grip's", [](TSkinObjects& s) { s.ExtraImages->frame = 3; }, false,
       false},
      {"extra images with more cells than the image holds", [](TSkinObjects& s) { s.ExtraImages->frame = 1000; },
       false, false},
      {"extra images without a cell count", [](TSkinObjects& s) { s.ExtraImages->frame = 0; }, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    data->LoadFromFile(SkinFile("builtin"));
    sf->HandleRequest(TSkinRequest::srSkinChanged);
    TSkinObjects& skin = *sf->SkinObjects();
    // The unharmed images, to compare with.
    TDataSkinObject panel_image(L"panel"), grip_image(L"grip");
    panel_image.Map.Assign(&skin.StatusBar->Map);
    panel_image.r = skin.StatusBar->r;
    grip_image.Map.Assign(&skin.ExtraImages->Map);
    const int cells = skin.ExtraImages->frame;
    c.damage(skin);

    TStatusBar* bar = PlaceStatusBar(200, {L"", L""});
    HWND wnd = bar->Handle();
    if (!c.grip_style) SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~SBARS_SIZEGRIP);
    SkinAs(TSkinnerKind::StatusBar, bar);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Settle(wnd);
    const Rows got = WindowPixels(wnd);
    const RECT whole = WindowRect0(wnd);
    const int gw = grip_image.Map.Width() / cells, gh = grip_image.Map.Height();
    const RECT grip{whole.right - 1 - gw, whole.bottom - 1 - gh, whole.right - 1, whole.bottom - 1};
    RECT last = PanelRect(wnd, 1);
    last.right = whole.right;
    const std::vector<RECT> skip = c.grip ? std::vector<RECT>{grip} : std::vector<RECT>{};
    if (c.bevels) {
      const TColor shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
      Rows want = Fill(W(whole), H(whole), Face());
      Mask care(H(whole), std::vector<bool>(W(whole), true));
      auto bevel = [&](RECT r) {
        for (int x = r.left; x < r.right; ++x) want[r.top][x] = shadow, want[r.bottom - 1][x] = light;
        for (int y = r.top; y < r.bottom; ++y) want[y][r.left] = shadow, want[y][r.right - 1] = light;
        want[r.bottom - 1][r.left] = light;  // the bottom edge is drawn after the left one
      };
      RECT first = PanelRect(wnd, 0);
      first.right += 2;
      bevel(first);
      bevel(last);
      for (const RECT& s : skip)
        for (int y = s.top; y < s.bottom; ++y)
          for (int x = s.left; x < s.right; ++x) care[y][x] = false;
      EXPECT_TRUE(SameWhereCared(got, want, care));
    } else {
      EXPECT_TRUE(SlicedFrameShows(got, last, panel_image, 1, 3, skip));
    }
    if (c.grip) {
      for (int y = 0; y < gh; ++y)
        for (int x = 0; x < gw; ++x) {
          const TColor px = ImagePixel(grip_image.Map, gw * 4 + x, y);
          if (px == kMagenta) continue;
          EXPECT_EQ(got[grip.top + y][grip.left + x], px) << x << ", " << y;
        }
    }
    bar->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Panels, bare containers and size grips ----

// A panel only wears the face colour: its window is not hooked, it is listed with the form,
// takes a new skin's face, and gets its own colour back when skinning stops.
TEST_F(BoxesTest, APanelWearsTheFaceColourUntilSkinningStops) {
  auto* panel = Place<TPanel>(20, 20, 160, 60);
  panel->SetColor(clYellow);
  const TWndMethod own = panel->WindowProc;
  const int hooks = TMethodHook::LiveLinks();
  auto* skinner = SkinAs<TSkinBox>(TSkinnerKind::Box, panel, true);
  ASSERT_NE(skinner, nullptr);
  EXPECT_EQ(TMethodHook::LiveLinks(), hooks);
  EXPECT_EQ(panel->WindowProc, own);
  EXPECT_TRUE(Listed(skinner));
  EXPECT_EQ(skinner->skinstate, kSkinCreated);
  EXPECT_EQ(panel->Color(), Face());
  skinner->Init(sf, data, &sf->ControlCanvas(), true);  // attaching again changes nothing
  Settle(panel->Handle());
  EXPECT_EQ(PixelAt(panel->Handle(), 80, 30), Face());

  data->LoadFromFile(SkinFile("ink"));
  sf->HandleRequest(TSkinRequest::srSkinChanged);
  const TColor ink_face = sf->SkinObjects()->Colors[skin::kcButtonFace];
  EXPECT_EQ(panel->Color(), ink_face);

  skinner->Unsubclass();
  EXPECT_EQ(panel->Color(), clYellow);
  EXPECT_EQ(skinner->skinstate, kSkinColorBack);
  Settle(panel->Handle());
  EXPECT_EQ(PixelAt(panel->Handle(), 80, 30), ColorToRGB(clYellow));
  delete skinner;
  EXPECT_FALSE(Listed(skinner));
  EXPECT_EQ(panel->Color(), clYellow);
}

// A bare container erases to the face colour and gives its static children the skin's brush;
// a size grip is a face-coloured rectangle.
TEST_F(BoxesTest, BareContainersAndSizeGripsShowTheFaceColour) {
  HWND box = MakeProbeWindow(form->Handle(), 10, 10, 160, 80);
  HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, box, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  HWND grip = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, 200, 10, 20, 20,
                              form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  TSkinControl* boxh = MakeControlSkinner(TSkinnerKind::BoxH, sf);
  TSkinControl* sizer = MakeControlSkinner(TSkinnerKind::Sizer, sf);
  boxh->Inithwnd(box, data, &sf->ControlCanvas(), sf);
  sizer->Inithwnd(grip, data, &sf->ControlCanvas(), sf);

  TBitmap dc(160, 80, TPixelFormat::pf24bit);
  FillColor(dc.DC(), RECT{0, 0, 160, 80}, clBlack);
  EXPECT_EQ(SendMessageW(box, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.DC()), 0), 0);
  EXPECT_TRUE(SamePicture(Read(dc), Fill(160, 80, Face())));
  EXPECT_EQ(SendMessageW(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.DC()), reinterpret_cast<LPARAM>(label)),
            reinterpret_cast<LRESULT>(sf->SkinObjects()->BGBrush.Get()));

  RedrawWindow(grip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Settle(grip);
  EXPECT_TRUE(SamePicture(WindowPixels(grip), Fill(20, 20, Face())));

  // Switched off, the grip paints itself again.
  SendMessageW(grip, WM_SKINENABLE, 0, 0);
  RedrawWindow(grip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Settle(grip);
  EXPECT_FALSE(SamePicture(WindowPixels(grip), Fill(20, 20, Face())));
  delete boxh;
  delete sizer;
  DestroyWindow(grip);
  DestroyWindow(box);
  EXPECT_TRUE(dropped.empty());
}

// ---- Letting go ----

// Switched off by message or unsubclassed, a group box and a status bar look exactly like an
// unskinned twin, and once the skinner goes they have their own procedure back.
TEST_F(BoxesTest, SkinningSwitchedOffGivesBackTheControlsOwnPicture) {
  struct Case {
    const char* what;
    std::function<TWinControl*(int y)> make;
    TSkinnerKind kind;
    bool by_message;
  };
  auto group = [this](int y) -> TWinControl* {
    auto* box = new TGroupBox(form);
    box->SetParent(form);
    box->SetBounds(10, y, 180, 90);
    box->SetCaption(L"方剂");
    box->HandleNeeded();
    return box;
  };
  auto status = [this](int y) -> TWinControl* { return PlaceStatusBar(y, {L"风湿", L"跌打"}); };
  const Case cases[] = {
      {"group box, by message", group, TSkinnerKind::GroupBox, true},
      {"group box, unsubclassed", group, TSkinnerKind::GroupBox, false},
      {"status bar, by message", status, TSkinnerKind::StatusBar, true},
      {"status bar, unsubclassed", status, TSkinnerKind::StatusBar, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TWinControl* control = c.make(10);
    TWinControl* twin = c.make(130);
    const TWndMethod own = control->WindowProc;
    const TColor colour = control->Color();
    // Switched off by message alone, the colour stays as the skinner set it: not lent here.
    TSkinControl* skinner = SkinAs(c.kind, control, !c.by_message);
    RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Settle(form->Handle());
    ASSERT_FALSE(SamePicture(WindowPixels(control->Handle()), WindowPixels(twin->Handle())))
        << "skinned, it looks different";
    if (c.by_message) {
      SendMessageW(control->Handle(), WM_SKINENABLE, 0, 0);
      EXPECT_FALSE(skinner->skinned);
    } else {
      skinner->Unsubclass();
    }
    EXPECT_EQ(control->Color(), colour);
    RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Settle(form->Handle());
    EXPECT_TRUE(SamePicture(WindowPixels(control->Handle()), WindowPixels(twin->Handle())));
    delete skinner;
    EXPECT_EQ(control->WindowProc, own);
    control->Free();
    twin->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// Skinned boxes, panels and status bars freed with their controls, or with their whole form:
// every GDI and USER object and every binding comes back.
TEST_F(BoxesTest, NothingIsLeftWhenTheControlOrTheFormGoesFirst) {
  auto place = [this](TTestForm* f, TWinSkinForm* host) {
    auto* box = new TGroupBox(f);
    box->SetParent(f);
    box->SetBounds(10, 10, 180, 90);
    box->SetCaption(L"方剂");
    auto* panel = new TPanel(f);
    panel->SetParent(f);
    panel->SetBounds(200, 10, 100, 60);
    auto* bar = new TStatusBar(f);
    bar->SetParent(f);
    static_cast<TStatusPanel*>(bar->Panels()->Add())->SetText(L"风湿");
    const std::pair<TWinControl*, TSkinnerKind> all[] = {
        {box, TSkinnerKind::GroupBox}, {panel, TSkinnerKind::Box}, {bar, TSkinnerKind::StatusBar}};
    for (auto [control, kind] : all) MakeControlSkinner(kind, control)->Init(host, data, &host->ControlCanvas(), true);
    RedrawWindow(f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Settle(f->Handle());
    return std::vector<TWinControl*>{box, panel, bar};
  };
  auto controls_first = [&] {
    for (TWinControl* c : place(form, sf)) c->Free();
    EXPECT_TRUE(sf->Controllist.empty());
  };
  auto form_first = [&] {
    TTestForm* other = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"other", 80, 80);
    TWinSkinForm* host = Attach(other);
    place(other, host);
    other->Free();
    Pump([] { return false; }, 50);
  };
  controls_first();  // what is made once and kept (fonts, the skin's pictures) is made now
  form_first();
  const TCounts before = TCounts::Now();
  for (int i = 0; i < 5; ++i) controls_first();
  EXPECT_EQ(TCounts::Now(), before) << "controls first";
  for (int i = 0; i < 5; ++i) form_first();
  EXPECT_EQ(TCounts::Now(), before) << "form first";
  EXPECT_TRUE(dropped.empty());
}

// ---- The shared helpers ----

TEST(BoxHelpersTest, DrawCenterTextCentresTheTextWhateverItsAlignment) {
  const std::wstring text = L"菜单";
  for (int alignment : {0, 1, 2}) {
    SCOPED_TRACE(alignment);
    TBitmap got(120, 40, TPixelFormat::pf24bit), want(120, 40, TPixelFormat::pf24bit);
    FillColor(got.DC(), RECT{0, 0, 120, 40}, clWhite);
    FillColor(want.DC(), RECT{0, 0, 120, 40}, clWhite);
    TCanvas canvas;
    canvas.SetHandle(got.DC());
    canvas.Font().SetStyle(1);  // bold: drawn plain
    DrawCenterText(canvas, RECT{10, 5, 110, 35}, text, alignment, false);
    canvas.SetHandle(nullptr);
    TFont font;
    const SIZE s = TextSize(font, text);
    TScopedSelect select(want.DC(), font.Handle());
    SetBkMode(want.DC(), TRANSPARENT);
    SetTextColor(want.DC(), ColorToRGB(clBtnShadow));
    RECT at{10 + (100 - s.cx) / 2, 5 + (30 - s.cy) / 2, 10 + (100 - s.cx) / 2 + s.cx, 5 + (30 - s.cy) / 2 + s.cy};
    DrawTextW(want.DC(), text.c_str(), int(text.size()), &at, DT_LEFT | DT_SINGLELINE);
    EXPECT_TRUE(SamePicture(Read(got), Read(want)));
  }
}

// Every pixel of the straight and diagonal strokes is drawn, and nothing outside the mark's
// box (the other strokes' pixels are the system's line drawing to place).
TEST(BoxHelpersTest, ArrowMarksAreDrawnWithTheCanvasPen) {
  struct Case {
    int kind;
    std::vector<POINT> strokes;  // relative to (x, y)
    RECT box;                    // where any drawn pixel lies, relative to (x, y)
  } cases[] = {
      {0, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {0, 1}, {1, 2}, {2, 3}, {0, 2}, {1, 3}, {-1, 1}, {-2, 2}, {-3, 3}},
       {-3, 0, 4, 4}},
      {1, {{0, 3}, {1, 2}, {2, 1}, {3, 0}, {0, 2}, {1, 1}, {2, 0}, {-1, 2}, {-2, 1}, {-3, 0}, {-1, 1}, {-2, 0}, {0, 1}},
       {-3, 0, 4, 4}},
      {2, {{0, 0}, {1, 2}, {1, 1}, {1, 0}, {1, -1}}, {-1, -2, 2, 3}},
      {3, {{0, 0}, {-1, 2}, {-1, 1}, {-1, 0}, {-1, -1}}, {-1, -2, 2, 3}},
      {4, {}, {0, 0, 0, 0}},
      {-1, {}, {0, 0, 0, 0}},
  };
  constexpr int kX = 10, kY = 8;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    TBitmap bmp(20, 20, TPixelFormat::pf24bit);
    FillColor(bmp.DC(), RECT{0, 0, 20, 20}, clWhite);
    TCanvas canvas;
    canvas.SetHandle(bmp.DC());
    canvas.Pen().SetColor(clRed);
    DrawArrowMark(canvas, kX, kY, c.kind);
    canvas.SetHandle(nullptr);
    const Rows px = Read(bmp);
    for (POINT p : c.strokes) EXPECT_EQ(px[kY + p.y][kX + p.x], clRed) << p.x << ", " << p.y;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        const POINT rel{x - kX, y - kY};
        if (px[y][x] != clRed) continue;
        EXPECT_TRUE(PtInRect(&c.box, rel)) << rel.x << ", " << rel.y;
      }
  }
}

}  // namespace
}  // namespace qn::test
