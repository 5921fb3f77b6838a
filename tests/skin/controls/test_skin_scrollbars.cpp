// Scroll bars skinned by control discovery: each overlay's picture against one worked out from
// the skin's images for the bar the system reports, in every state; presses, drags, the wheel
// and the keyboard moving a data grid exactly as they move one that is not skinned; overlays
// that follow their bars as they come, go, move and hide; damaged skins; and nothing left
// behind, whichever side lets go first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>

#include "platform/data/ADODB.h"
#include "platform/win/DBGrids.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/PropAccess.h"
#include "platform/win/WinUtil.h"
#include "platform/win/ScrollBars.h"
#include "skin/controls/SkinScrollbars.h"
#include "skin/draw/SkinDraw.h"
#include "tests/platform/data/TestDb.h"
#include "tests/skin/controls/ControlFixture.h"

namespace qn::test {

// A control with both of the window's bars, whose ranges the test sets itself.
class TBarHost : public TCustomControl {
  QN_CLASS(TBarHost)
 public:
  explicit TBarHost(TComponent* owner) : TCustomControl(owner) { SetColor(clWhite); }

 protected:
  void CreateParams(TCreateParams& p) override {
    TCustomControl::CreateParams(p);
    p.style |= WS_HSCROLL | WS_VSCROLL;
  }
  void Paint() override { Canvas().FillRect(ClientRect()); }
};
QN_CLASS_IMPL(TBarHost, TCustomControl)

namespace {

// ---- The picture a bar must show, worked out from the skin's images ----

// The colours each pixel may have; an empty set takes any.
using Sets = std::vector<std::vector<std::set<TColor>>>;

// The source columns (rows) a nine-sliced pixel at v of size may come from: margins copied,
// the middle stretched (one pixel of rounding either way) or tiled; margins that do not fit
// are dropped.
std::vector<int> SourceOf(int v, int size, int lo, int hi, int fsize, bool tile) {
  if (lo + hi > size) lo = hi = 0;
  if (v < lo) return {v};
  if (v >= size - hi) return {fsize - (size - v)};
  const int n = fsize - lo - hi, m = size - lo - hi;
  if (n <= 0) return {};
  if (tile) return {lo + (v - lo) % n};
  if (n == m) return {v};  // not stretched
  // Every source pixel the target pixel spans (many when shrinking), and one either side.
  const int first = lo + static_cast<int>(int64_t{v - lo} * n / m);
  const int last = lo + static_cast<int>((int64_t{v - lo + 1} * n + m - 1) / m) - 1;
  std::vector<int> from;
  for (int c = first - 1; c <= std::max(first, last) + 1; ++c)
    if (c >= lo && c < fsize - hi) from.push_back(c);
  return from;
}

// Frame `frame` of `frames` (side by side) laid nine-sliced over dest; where its pixel may be
// magenta, what lies below may show.
void Lay(Sets& px, const RECT& dest, TBitmap& image, int frame, int frames, const TMargins& m, bool tile) {
  frames = std::max(1, frames);
  const int fw = image.Width() / frames, fh = image.Height(), ox = (frame - 1) * fw;
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int X = dest.left + x, Y = dest.top + y;
      if (Y < 0 || Y >= int(px.size()) || X < 0 || X >= int(px[0].size())) continue;
      std::set<TColor> from;
      for (int sy : SourceOf(y, h, m.Top, m.Bottom, fh, tile))
        for (int sx : SourceOf(x, w, m.Left, m.Right, fw, tile)) from.insert(ImagePixel(image, ox + sx, sy));
      std::set<TColor>& below = px[size_t(Y)][size_t(X)];
      std::set<TColor> shown;
      bool any = false;
      for (TColor c : from) {
        if (c != kMagenta) shown.insert(c);
        else if (below.empty()) any = true;
        else shown.insert(below.begin(), below.end());
      }
      if (any) shown.clear();
      below = shown;
    }
  }
}

// How a bar is shown: extra frames of its arrows (0 normal, 1 pressed, 3 hot) and its thumb's
// state (1 normal, 2 pressed, 3 hot).
struct TLook {
  int first = 0, second = 0, thumb = 1;
};

int ArrowWidth() { return GetSystemMetrics(SM_CXHSCROLL); }

// The bar the system reports, as the skin must paint it: the face colour, the track (frame 1
// of 4, or 3 when disabled) between two arrows of the system's width (half the bar each when
// it is shorter than two), the thumb nine-sliced where the system has it, and the grip centred
// on a thumb at least two pixels shorter than it... or longer.
Sets ExpectedBar(TSkinObjects& s, bool vertical, const SCROLLBARINFO& info, TLook look, TColor face) {
  const int W = info.rcScrollBar.right - info.rcScrollBar.left, H = info.rcScrollBar.bottom - info.rcScrollBar.top;
  Sets px(size_t(H), std::vector<std::set<TColor>>(size_t(W), std::set<TColor>{face}));
  const int cw = ArrowWidth(), g = s.SArrow->Map.Height();
  const int t = std::abs(g - cw) > 2 ? cw : g;
  const int len = vertical ? H : W;
  auto along = [&](int a, int b) { return vertical ? RECT{0, a, t, b} : RECT{a, 0, b, t}; };
  const bool enabled = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
  if (TDataSkinObject* track = (vertical ? s.VBar : s.HBar).get())
    Lay(px, along(cw, len - cw), track->Map, enabled ? 1 : 3, 4, track->r, track->Tile != 0);
  const int a = len < 2 * cw ? len / 2 : cw;
  const TMargins none{};
  Lay(px, along(0, a), s.SArrow->Map, (vertical ? 9 : 1) + (enabled ? look.first : 0), 23, none, false);
  Lay(px, along(len - a, len), s.SArrow->Map, (vertical ? 13 : 5) + (enabled ? look.second : 0), 23, none, false);
  if (a != s.SArrow->Map.Width() / 23) {
    // An arrow stretched along the bar: under Wine the drawing routines' stretch may leave the
    // last line of its kept buffer from the previous picture, so that line is not compared.
    for (int end : {a - 1, len - 1}) {
      const RECT line = along(end, end + 1);
      for (int y = line.top; y < line.bottom && y < H; ++y)
        for (int x = line.left; x < line.right && x < W; ++x) px[size_t(y)][size_t(x)].clear();
    }
  }
  const int top = info.xyThumbTop, bottom = info.xyThumbBottom;
  if (!enabled || top >= len || bottom >= len) return px;
  TDataSkinObject* slider = (vertical ? s.VSlider : s.HSlider).get();
  if (slider && slider->Map.Width() / std::max(1, slider->frame) > 0) {
    Lay(px, along(top, bottom), slider->Map, look.thumb <= std::max(1, slider->frame) ? look.thumb : 1, slider->frame,
        slider->r, false);
  } else {
    const RECT r = along(top, bottom);  // no thumb picture: any picture will do there
    for (int y = r.top; y < r.bottom && y < H; ++y)
      for (int x = r.left; x < r.right && x < W; ++x) px[size_t(y)][size_t(x)].clear();
  }
  const int length = bottom - top;
  if (g < length + 2) {
    const int from = top + (length - g) / 2;
    if (from < len && from + g < len)
      Lay(px, along(from, from + g), s.SArrow->Map, (vertical ? 20 : 17) + (look.thumb - 1), 23, none, false);
  }
  return px;
}

::testing::AssertionResult Shows(const Rows& got, const Sets& want) {
  const size_t h = want.size(), w = h ? want[0].size() : 0;
  if (got.size() != h || (h && got[0].size() != w))
    return ::testing::AssertionFailure() << "size " << (got.empty() ? 0 : got[0].size()) << "x" << got.size()
                                         << ", expected " << w << "x" << h;
  int bad = 0;
  std::string report;
  for (size_t y = 0; y < h; ++y) {
    for (size_t x = 0; x < w; ++x) {
      const auto& allowed = want[y][x];
      if (allowed.empty() || allowed.count(got[y][x])) continue;
      if (bad++ < 6) {
        char line[96];
        std::snprintf(line, sizeof line, "\n  (%zu,%zu): %06X, expected %06X%s", x, y, unsigned(got[y][x]),
                      unsigned(*allowed.begin()), allowed.size() > 1 ? " or others" : "");
        report += line;
      }
    }
  }
  if (!bad) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels differ" << report;
}

// ---- Running code inside the system's tracking of a press ----

// The system's tracking loop dispatches timer messages: a check runs there while the button
// is still held, and then lets it go.
std::function<void()> g_in_press;
void CALLBACK InPress(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto f = std::move(g_in_press);
  g_in_press = nullptr;
  if (f) f();
}
void DuringPress(std::function<void()> f) {
  g_in_press = std::move(f);
  SetTimer(nullptr, 0, 30, InPress);
}

LPARAM Point(POINT p) { return MAKELPARAM(p.x, p.y); }

// ---- The fixture ----

constexpr int kRecords = 60;

std::vector<TRow> Records() {
  std::vector<TRow> rows;
  for (int i = 1; i <= kRecords; ++i) rows.push_back({L"第" + std::to_wstring(i) + L"号酒", L"内容"});
  return rows;
}

class ScrollTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    SetCursorPos(1, 1);  // away from every control
    conn = new TADOConnection(form);
    conn->SetLoginPrompt(false);
    conn->SetConnectionString(db.ConnectionString());
  }
  void TearDown() override {
    SetCursorPos(1, 1);
    ControlTest::TearDown();
  }

  void Discover() {
    sf->InitControls(form);
    SettleAll();
  }
  // Nothing left to paint in the form, its controls or the overlays.
  void SettleAll() {
    EXPECT_TRUE(Pump([&] {
      for (HWND w = GetWindow(form->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetUpdateRect(w, nullptr, FALSE)) return false;
      return !GetUpdateRect(form->Handle(), nullptr, FALSE);
    }));
  }
  template <class T = TSkinScrollbar>
  T* SkinnerOf(TControl* control) {
    for (int i = 0; i < control->ComponentCount(); ++i)
      if (auto* s = dynamic_cast<T*>(control->Components(i))) return s;
    return nullptr;
  }
  int Skinners(TControl* control) {
    int n = 0;
    for (int i = 0; i < control->ComponentCount(); ++i) n += dynamic_cast<TSkinControl*>(control->Components(i)) != nullptr;
    return n;
  }
  // Overlay windows under the form, and those of them shown.
  int Overlays(bool shown_only = false) {
    int n = 0;
    for (HWND w = GetWindow(form->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (GetWndClassName(w) == L"TWScrollbar" && (!shown_only || IsWindowVisible(w))) ++n;
    return n;
  }
  SCROLLBARINFO Info(HWND wnd, LONG id) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetScrollBarInfo(wnd, id, &info));
    return info;
  }
  Rows Pixels(TWScrollbar* bar) {
    RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    TWindowDC dc(bar->Handle());
    const RECT r = bar->ClientRect();
    return Read(dc.Get(), 0, 0, r.right, r.bottom);
  }
  TColor Face() { return sf->SkinObjects()->Colors[skin::kcButtonFace]; }
  // The overlay lies exactly over the real bar while that shows, and is hidden while it does not.
  ::testing::AssertionResult Follows(TWScrollbar* bar, HWND wnd, LONG id) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    const bool real = IsWindowVisible(wnd) && GetScrollBarInfo(wnd, id, &info) &&
                      !(info.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    const bool shown = bar->HandleAllocated() && IsWindowVisible(bar->Handle());
    if (real != shown)
      return ::testing::AssertionFailure() << "the bar " << (real ? "shows" : "is hidden") << ", the overlay "
                                           << (shown ? "shows" : "is hidden");
    if (!real) return ::testing::AssertionSuccess();
    const RECT r = HwndWindowRect(bar->Handle());
    if (!EqualRect(&r, &info.rcScrollBar))
      return ::testing::AssertionFailure() << "overlay at " << r.left << "," << r.top << "-" << r.right << ","
                                           << r.bottom << ", bar at " << info.rcScrollBar.left << ","
                                           << info.rcScrollBar.top << "-" << info.rcScrollBar.right << ","
                                           << info.rcScrollBar.bottom;
    // Above the bar's window, nothing but the other bar's overlay between them.
    HWND above = GetWindow(wnd, GW_HWNDPREV);
    while (above && above != bar->Handle() && GetWndClassName(above) == L"TWScrollbar") above = GetWindow(above, GW_HWNDPREV);
    if (above != bar->Handle()) return ::testing::AssertionFailure() << "not just above its window";
    return ::testing::AssertionSuccess();
  }

  // A data grid over its own query of the records; `plain` ones keep the system's bars.
  TDBGrid* PlaceGrid(int x, bool plain) {
    auto* query = new TADOQuery(form);
    query->SetConnection(conn);
    query->SetCursorType(TCursorType::ctStatic);
    auto* source = new TDataSource(form);
    source->SetDataSet(query);
    auto* grid = Place<TDBGrid>(x, 10, 200, 236);
    if (plain) grid->SetTag(99);
    grid->SetDataSource(source);
    Search(grid, L"Select * from data", true);
    return grid;
  }
  // What the program does for a search: the statement, then the columns it shows.
  void Search(TDBGrid* grid, const std::wstring& sql, bool wide) {
    auto* query = static_cast<TADOQuery*>(grid->DataSource()->DataSet());
    query->Close();
    query->SQL().Clear();
    query->SQL().Add(sql);
    query->Open();
    if (grid->Columns()->Count() == 3) {
      grid->Columns()->Column(0)->SetVisible(false);
      grid->Columns()->Column(1)->SetWidth(wide ? 300 : 80);
    }
    SettleAll();
  }
  int Record(TDBGrid* grid) { return grid->DataSource()->DataSet()->RecNo(); }

  // A point of the vertical bar of wnd, `at` pixels from its top (negative: from its bottom),
  // on the screen.
  POINT OnVertBar(HWND wnd, int at) {
    const SCROLLBARINFO info = Info(wnd, OBJID_VSCROLL);
    const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
    return POINT{x, at >= 0 ? info.rcScrollBar.top + at : info.rcScrollBar.bottom + at};
  }
  POINT ToClient(HWND wnd, POINT p) {
    ScreenToClient(wnd, &p);
    return p;
  }
  // A left-button click on the bar at a screen point: on the skinned one through its overlay,
  // on a plain one as the system hands it to the window. The release goes to the window that
  // tracks the press.
  void ClickBar(TDBGrid* grid, POINT screen) {
    HWND wnd = grid->Handle();
    if (TSkinScrollbar* skinner = SkinnerOf(grid)) {
      PostMessageW(skinner->vb->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(ToClient(skinner->vb->Handle(), screen)));
    } else {
      PostMessageW(wnd, WM_NCLBUTTONDOWN, HTVSCROLL, Point(screen));
    }
    PostMessageW(wnd, WM_LBUTTONUP, 0, Point(ToClient(wnd, screen)));
    SettleAll();
  }
  // The thumb pressed, dragged to `to` and let go there.
  void DragThumb(TDBGrid* grid, POINT to) {
    HWND wnd = grid->Handle();
    const SCROLLBARINFO info = Info(wnd, OBJID_VSCROLL);
    const POINT thumb{(info.rcScrollBar.left + info.rcScrollBar.right) / 2,
                      info.rcScrollBar.top + (info.xyThumbTop + info.xyThumbBottom) / 2};
    SetCursorPos(thumb.x, thumb.y);
    if (TSkinScrollbar* skinner = SkinnerOf(grid)) {
      PostMessageW(skinner->vb->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(ToClient(skinner->vb->Handle(), thumb)));
    } else {
      PostMessageW(wnd, WM_NCLBUTTONDOWN, HTVSCROLL, Point(thumb));
    }
    DuringPress([=, this] {
      SetCursorPos(to.x, to.y);
      PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, Point(ToClient(wnd, to)));
      PostMessageW(wnd, WM_LBUTTONUP, 0, Point(ToClient(wnd, to)));
    });
    EXPECT_TRUE(Pump([] { return !g_in_press; }));
    SettleAll();
  }

  TTestDb db{Records()};
  TADOConnection* conn = nullptr;
};

// A bar host placed and skinned by discovery, both bars over a range of 100 with a page of 10.
struct THosted {
  TBarHost* host;
  TSkinScrollbar* skinner;
};

class BarPictureTest : public ScrollTest {
 protected:
  THosted PlaceHost(int w, int h) {
    auto* host = Place<TBarHost>(20, 20, w, h);
    SetRange(host, SB_VERT, 0, 99, 10, 0);
    SetRange(host, SB_HORZ, 0, 99, 10, 0);
    Discover();
    return {host, SkinnerOf(host)};
  }
  void SetRange(TBarHost* host, int bar, int min, int max, int page, int pos) {
    SCROLLINFO si{sizeof si, SIF_ALL, min, max, static_cast<UINT>(page), pos, 0};
    SetScrollInfo(host->Handle(), bar, &si, TRUE);
    host->Invalidate();  // a control that scrolls repaints
    SettleAll();
  }
  void Hover(TWScrollbar* bar, POINT p) {
    POINT screen = p;
    ClientToScreen(bar->Handle(), &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(bar->Handle(), WM_MOUSEMOVE, 0, Point(p));
    SettleAll();
  }
};

}  // namespace

// ---- Pictures ----

// Both arrows of each bar in their normal, hot, pressed and disabled frames, over the track.
TEST_F(BarPictureTest, ArrowsShowEachStateOverTheTrack) {
  enum class How { Normal, HotFirst, HotSecond, PressedFirst, PressedSecond, Disabled };
  struct Row {
    const char* what;
    How how;
    TLook look;
  } rows[] = {{"normal", How::Normal, {}},
              {"first arrow hot", How::HotFirst, {3, 0, 1}},
              {"second arrow hot", How::HotSecond, {0, 3, 1}},
              {"first arrow pressed", How::PressedFirst, {1, 0, 1}},
              {"second arrow pressed", How::PressedSecond, {0, 1, 1}},
              {"disabled: normal arrows, frame 3 of the track, no thumb", How::Disabled, {}}};
  THosted h = PlaceHost(220, 160);
  ASSERT_NE(h.skinner, nullptr);
  auto skin = sf->SkinObjects();
  for (bool vertical : {true, false}) {
    TWScrollbar* bar = vertical ? h.skinner->vb : h.skinner->hb;
    const LONG id = vertical ? OBJID_VSCROLL : OBJID_HSCROLL;
    const int sb = vertical ? SB_VERT : SB_HORZ;
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(vertical ? "vertical, " : "horizontal, ") + r.what);
      const RECT c = bar->ClientRect();
      const int len = vertical ? c.bottom : c.right;
      auto point = [&](int along) { return vertical ? POINT{c.right / 2, along} : POINT{along, c.bottom / 2}; };
      const POINT first = point(3), second = point(len - 3);
      switch (r.how) {
        case How::Normal: break;
        case How::HotFirst: Hover(bar, first); break;
        case How::HotSecond: Hover(bar, second); break;
        case How::Disabled:
          EnableScrollBar(h.host->Handle(), sb, ESB_DISABLE_BOTH);
          h.host->Invalidate();
          SettleAll();
          break;
        case How::PressedFirst:
        case How::PressedSecond: {
          const POINT at = r.how == How::PressedFirst ? first : second;
          POINT screen = at;
          ClientToScreen(bar->Handle(), &screen);
          bool checked = false;
          DuringPress([&] {
            UpdateWindow(bar->Handle());
            EXPECT_TRUE(Shows(Pixels(bar), ExpectedBar(*skin, vertical, Info(h.host->Handle(), id), r.look, Face())));
            checked = true;
            PostMessageW(h.host->Handle(), WM_LBUTTONUP, 0, Point(ToClient(h.host->Handle(), screen)));
          });
          PostMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(at));
          EXPECT_TRUE(Pump([&] { return checked && !bar->fdown; }));
          SettleAll();
          continue;
        }
      }
      EXPECT_TRUE(Shows(Pixels(bar), ExpectedBar(*skin, vertical, Info(h.host->Handle(), id), r.look, Face())));
      if (r.how == How::Disabled) EnableScrollBar(h.host->Handle(), sb, ESB_ENABLE_BOTH);
      Hover(bar, point(len / 2));  // off the arrows
      SetCursorPos(1, 1);
      SendMessageW(bar->Handle(), WM_MOUSELEAVE, 0, 0);
      h.host->Invalidate();
      SettleAll();
    }
  }
}

// The track and the thumb where the system has it, at the ends and the middle, for a small and
// a large page; the grip only on a thumb no more than two pixels shorter than it.
TEST_F(BarPictureTest, ThumbShowsWhereTheSystemHasIt) {
  struct Row {
    const char* what;
    int max, page, pos;
  } rows[] = {{"small page at the minimum", 99, 10, 0},  {"small page in the middle", 99, 10, 45},
              {"small page at the maximum", 99, 10, 90}, {"large page at the minimum", 99, 70, 0},
              {"large page in the middle", 99, 70, 15},  {"large page at the maximum", 99, 70, 30},
              {"a thumb shorter than the grip", 5000, 1, 2500}};
  THosted h = PlaceHost(220, 160);
  ASSERT_NE(h.skinner, nullptr);
  auto skin = sf->SkinObjects();
  const int grip = skin->SArrow->Map.Height();
  bool with_grip = false, without_grip = false;
  for (bool vertical : {true, false}) {
    TWScrollbar* bar = vertical ? h.skinner->vb : h.skinner->hb;
    const LONG id = vertical ? OBJID_VSCROLL : OBJID_HSCROLL;
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(vertical ? "vertical, " : "horizontal, ") + r.what);
      SetRange(h.host, vertical ? SB_VERT : SB_HORZ, 0, r.max, r.page, r.pos);
      const SCROLLBARINFO info = Info(h.host->Handle(), id);
      (info.xyThumbBottom - info.xyThumbTop + 2 > grip ? with_grip : without_grip) = true;
      EXPECT_TRUE(Shows(Pixels(bar), ExpectedBar(*skin, vertical, info, {}, Face())));
    }
  }
  EXPECT_TRUE(with_grip && without_grip) << "both sides of the grip rule were seen";
}

// A bar shorter than two arrows: two arrows of half its length each, no track.
TEST_F(BarPictureTest, ABarShorterThanTwoArrowsHasHalfArrows) {
  THosted h = PlaceHost(200, 2 * ArrowWidth() - 4);
  ASSERT_NE(h.skinner, nullptr);
  ShowScrollBar(h.host->Handle(), SB_HORZ, FALSE);
  SettleAll();
  const SCROLLBARINFO info = Info(h.host->Handle(), OBJID_VSCROLL);
  ASSERT_LT(info.rcScrollBar.bottom - info.rcScrollBar.top, 2 * ArrowWidth());
  EXPECT_TRUE(Follows(h.skinner->vb, h.host->Handle(), OBJID_VSCROLL));
  EXPECT_TRUE(Follows(h.skinner->hb, h.host->Handle(), OBJID_HSCROLL));
  EXPECT_TRUE(Shows(Pixels(h.skinner->vb), ExpectedBar(*sf->SkinObjects(), true, info, {}, Face())));
}

// The control's frame in the skin's colours, the corner between the bars in its face colour,
// and each paint of a bar one blit.
TEST_F(BarPictureTest, FrameCornerAndOneBlitPerPaint) {
  auto* memo = Place<TMemo>(20, 20, 200, 120);
  memo->SetScrollBars(TScrollStyle::ssBoth);
  Discover();
  TSkinScrollbar* skinner = SkinnerOf(memo);
  ASSERT_NE(skinner, nullptr);
  EXPECT_TRUE(skinner->border);
  const Rows px = WindowPixels(memo->Handle());
  auto skin = sf->SkinObjects();
  EXPECT_EQ(px[0][5], skin->Colors[skin::kcButtonShadow]) << "outer line";
  EXPECT_EQ(px[1][5], Face()) << "inner line";
  const RECT corner{skinner->vb->ScreenRect().left, skinner->hb->ScreenRect().top, skinner->vb->ScreenRect().right,
                    skinner->hb->ScreenRect().bottom};
  const RECT window = HwndWindowRect(memo->Handle());
  EXPECT_EQ(px[size_t(corner.top - window.top + 2)][size_t(corner.left - window.left + 2)], Face()) << "corner";
  const int draws = ScreenDraws();
  skinner->vb->Invalidate();
  SettleAll();
  EXPECT_EQ(ScreenDraws() - draws, 1);
  {
    TWindowDC dc(skinner->vb->Handle());
    EXPECT_EQ(SendMessageW(skinner->vb->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0), 1);
  }
}

// ---- Behaviour over a data grid, beside one that is not skinned ----

// A click on the down arrow moves one record, a click in the track below the thumb one page,
// dragging the thumb to the end reaches the last record; the wheel and the keys move as they
// did, and the overlay stays on the bar.
TEST_F(ScrollTest, TheGridScrollsAsItDidWithoutTheSkin) {
  TDBGrid* skinned = PlaceGrid(5, false);
  TDBGrid* plain = PlaceGrid(212, true);
  Discover();
  TSkinScrollbar* skinner = SkinnerOf(skinned);
  ASSERT_NE(skinner, nullptr);
  ASSERT_EQ(SkinnerOf(plain), nullptr);
  EXPECT_EQ(GetPropInt(skinned, "FixedColor"), int(Face())) << "fixed cells in the face colour";
  ASSERT_EQ(Record(skinned), 1);
  const int page = skinned->VisibleRowCount();
  ASSERT_GT(page, 1);
  struct Row {
    const char* what;
    std::function<void(TDBGrid*)> act;
    int record;  // where both grids must be after it
  } rows[] = {
      {"down arrow", [&](TDBGrid* g) { ClickBar(g, OnVertBar(g->Handle(), -3)); }, 2},
      {"track below the thumb", [&](TDBGrid* g) { ClickBar(g, OnVertBar(g->Handle(), -ArrowWidth() - 3)); },
       2 + page},
      {"up arrow", [&](TDBGrid* g) { ClickBar(g, OnVertBar(g->Handle(), 3)); }, 1 + page},
      {"wheel down", [&](TDBGrid* g) { SendMessageW(g->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0); },
       2 + page},
      {"page down key", [&](TDBGrid* g) { SendMessageW(g->Handle(), WM_KEYDOWN, VK_NEXT, 0); }, 2 + 2 * page},
      {"up key", [&](TDBGrid* g) { SendMessageW(g->Handle(), WM_KEYDOWN, VK_UP, 0); }, 1 + 2 * page},
      {"thumb dragged to the end", [&](TDBGrid* g) { DragThumb(g, OnVertBar(g->Handle(), -2)); }, kRecords},
      {"home key", [&](TDBGrid* g) { SendMessageW(g->Handle(), WM_KEYDOWN, VK_HOME, 0); }, 1},
  };
  auto skin = sf->SkinObjects();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    for (TDBGrid* g : {skinned, plain}) {
      r.act(g);
      SettleAll();
    }
    EXPECT_EQ(Record(plain), r.record);
    EXPECT_EQ(Record(skinned), Record(plain));
    EXPECT_TRUE(Follows(skinner->vb, skinned->Handle(), OBJID_VSCROLL));
    EXPECT_TRUE(Follows(skinner->hb, skinned->Handle(), OBJID_HSCROLL));
    EXPECT_TRUE(Shows(Pixels(skinner->vb), ExpectedBar(*skin, true, Info(skinned->Handle(), OBJID_VSCROLL), {}, Face())));
  }
  EXPECT_TRUE(dropped.empty());
}

// While the thumb is dragged the overlay moves its thumb with the cursor, never into the arrows.
TEST_F(ScrollTest, ADraggedThumbFollowsTheCursorAndStaysOffTheArrows) {
  TDBGrid* grid = PlaceGrid(5, false);
  Discover();
  TSkinScrollbar* skinner = SkinnerOf(grid);
  ASSERT_NE(skinner, nullptr);
  TWScrollbar* bar = skinner->vb;
  const int cw = ArrowWidth();
  const RECT c = bar->ClientRect();
  struct Row {
    const char* what;
    int at;  // from the bar's top, screen
  } rows[] = {{"far above the bar", -200}, {"in the middle", c.bottom / 2}, {"far below it", c.bottom + 200}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const SCROLLBARINFO info = Info(grid->Handle(), OBJID_VSCROLL);
    const POINT thumb{(info.rcScrollBar.left + info.rcScrollBar.right) / 2,
                      info.rcScrollBar.top + (info.xyThumbTop + info.xyThumbBottom) / 2};
    SetCursorPos(thumb.x, thumb.y);
    bool checked = false;
    DuringPress([&] {
      SetCursorPos(thumb.x, info.rcScrollBar.top + r.at);
      InvalidateRect(bar->Handle(), nullptr, FALSE);
      UpdateWindow(bar->Handle());
      EXPECT_GE(bar->thumbTop, cw);
      EXPECT_LE(bar->thumbbottom, c.bottom - cw);
      EXPECT_EQ(bar->thumbbottom - bar->thumbTop, info.xyThumbBottom - info.xyThumbTop) << "the length is kept";
      checked = true;
      PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, Point(ToClient(grid->Handle(), thumb)));
    });
    PostMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(ToClient(bar->Handle(), thumb)));
    EXPECT_TRUE(Pump([&] { return checked && !bar->fdown; }));
    SettleAll();
  }
}

// Searches that empty the grid and fill it again, and hiding and showing it: the overlays come
// and go with the bars, never stale and never missing.
TEST_F(ScrollTest, OverlaysComeAndGoWithTheirBars) {
  TDBGrid* grid = PlaceGrid(5, false);
  Discover();
  TSkinScrollbar* skinner = SkinnerOf(grid);
  ASSERT_NE(skinner, nullptr);
  HWND wnd = grid->Handle();
  struct Row {
    const char* what;
    std::function<void()> act;
    bool horizontal;  // the horizontal bar shows afterwards
  } rows[] = {
      {"filled, a wide column", [] {}, true},
      {"a search that finds nothing", [&] { Search(grid, L"Select * from data where 编号 < 0", false); }, false},
      {"a search that fills the grid again", [&] { Search(grid, L"Select * from data", true); }, true},
      {"narrow columns again", [&] { Search(grid, L"Select * from data where 编号 < 20", false); }, false},
      {"hidden", [&] { grid->SetVisible(false); }, false},
      {"shown again", [&] { grid->SetVisible(true); }, false},
      {"moved and resized", [&] { grid->SetBounds(30, 20, 180, 150); }, false},
      {"a wide column while hidden, then shown", [&] {
         grid->SetVisible(false);
         Search(grid, L"Select * from data", true);
         grid->SetVisible(true);
       }, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    r.act();
    SettleAll();
    EXPECT_EQ((GetWindowLongPtrW(wnd, GWL_STYLE) & WS_HSCROLL) != 0, r.horizontal && grid->Visible());
    EXPECT_TRUE(Follows(skinner->vb, wnd, OBJID_VSCROLL));
    EXPECT_TRUE(Follows(skinner->hb, wnd, OBJID_HSCROLL));
    EXPECT_EQ(Overlays(), 2);
  }
}

// While the overlays show, the grid has the system draw its bars no more (that drawing costs
// more than the rest of a scroll); whenever they do not, the real bars show where the grid is.
TEST_F(ScrollTest, TheRealBarsAreDrawnExactlyWhileNoOverlayCoversThem) {
  TDBGrid* grid = PlaceGrid(5, false);
  Discover();
  HWND wnd = grid->Handle();
  auto bar_pixels = [&] {
    const SCROLLBARINFO info = Info(wnd, OBJID_VSCROLL);
    const RECT window = HwndWindowRect(wnd);
    TWindowDC dc(wnd, true);
    return Read(dc.Get(), info.rcScrollBar.left - window.left, info.rcScrollBar.top - window.top,
                info.rcScrollBar.right - info.rcScrollBar.left, info.rcScrollBar.bottom - info.rcScrollBar.top);
  };
  struct Row {
    const char* what;
    std::function<void()> act;
    bool covered;
  } rows[] = {
      {"skinned", [] {}, true},
      {"a skin without arrow pictures", [&] {
         sf->SkinObjects()->SArrow.reset();
         sf->HandleRequest(TSkinRequest::srSkinChanged);
       }, false},
      {"a skin with them again", [&] {
         data->LoadFromFile(SkinFile("builtin"));
         sf->HandleRequest(TSkinRequest::srSkinChanged);
       }, true},
      {"skinning let go", [&] {
         TSkinScrollbar* skinner = SkinnerOf(grid);
         ASSERT_NE(skinner, nullptr);
         skinner->Unsubclass();
         delete skinner;
       }, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    r.act();
    SettleAll();
    EXPECT_EQ(grid->ScrollBarsCovered(), r.covered);
    EXPECT_EQ(Overlays(true), r.covered ? 2 : 0);
    if (r.covered) continue;
    grid->DataSource()->DataSet()->MoveBy(7);
    SettleAll();
    const Rows shown = bar_pixels();
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(shown, bar_pixels()) << "the bar as a fresh paint draws it, at the grid's record";
  }
}

// A stand-alone scroll bar clicked on its arrows and its track moves as one that is not
// skinned: by SmallChange and LargeChange.
TEST_F(ScrollTest, AStandAloneScrollBarMovesByItsChanges) {
  auto make = [&](int x, bool plain) {
    auto* bar = Place<TScrollBar>(x, 20, ArrowWidth(), 180);
    bar->SetKind(TScrollBarKind::sbVertical);
    bar->SetBounds(x, 20, ArrowWidth(), 180);
    bar->SetParams(50, 0, 100);
    bar->SetSmallChange(7);
    bar->SetLargeChange(20);
    if (plain) bar->SetTag(99);
    return bar;
  };
  TScrollBar* skinned = make(20, false);
  TScrollBar* plain = make(80, true);
  int changes = 0;
  struct TCounter {
    int* n;
    void Changed(TObject*) { ++*n; }
  } counter{&changes};
  skinned->OnChange = TNotifyEvent::Bind<&TCounter::Changed>(&counter);
  Discover();
  auto* skinner = SkinnerOf<TSkinScControl>(skinned);
  ASSERT_NE(skinner, nullptr);
  ASSERT_NE(skinner->sb, nullptr);
  EXPECT_TRUE(IsWindowVisible(skinner->sb->Handle()));
  EXPECT_EQ(skinner->sb->sbDir, 1);
  const RECT r = HwndWindowRect(skinned->Handle()), o = HwndWindowRect(skinner->sb->Handle());
  EXPECT_TRUE(EqualRect(&r, &o)) << "the overlay covers the control";
  struct Row {
    const char* what;
    int at;  // from the top; negative from the bottom
    int position;
  } rows[] = {{"down arrow", -3, 57}, {"up arrow", 3, 50}, {"track below the thumb", -ArrowWidth() - 3, 70}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    for (TScrollBar* bar : {skinned, plain}) {
      const POINT p{bar->Width() / 2, row.at >= 0 ? row.at : bar->Height() + row.at};
      HWND target = bar == skinned ? skinner->sb->Handle() : bar->Handle();
      PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, Point(p));
      PostMessageW(bar->Handle(), WM_LBUTTONUP, 0, Point(p));
      SettleAll();
    }
    EXPECT_EQ(plain->Position(), row.position);
    EXPECT_EQ(skinned->Position(), plain->Position());
  }
  EXPECT_EQ(changes, 3);
  skinned->OnChange = {};
}

// ---- Damaged skins ----

// Without an arrow picture the real bars show; a skin missing other pieces still draws what it
// has; nothing fails.
TEST_F(BarPictureTest, ADamagedSkinShowsTheRealBarsOrWhatItHas) {
  struct Case {
    const char* what;
    std::function<void(TSkinObjects&)> damage;
    bool overlays;  // shown over the bars
  } cases[] = {
      {"no arrow image", [](TSkinObjects& s) { s.SArrow.reset(); }, false},
      {"an arrow image of no width", [](TSkinObjects& s) { s.SArrow->Map.SetSize(0, 16); }, false},
      {"an arrow image narrower than its frames", [](TSkinObjects& s) { s.SArrow->Map.SetSize(22, 16); }, false},
      {"no track images", [](TSkinObjects& s) { s.HBar.reset(); s.VBar.reset(); }, true},
      {"track images narrower than their frames", [](TSkinObjects& s) { s.VBar->Map.SetSize(3, 16); s.HBar->Map.SetSize(3, 16); },
       true},
      {"no thumb images", [](TSkinObjects& s) { s.HSlider.reset(); s.VSlider.reset(); }, true},
      {"thumb images of one frame", [](TSkinObjects& s) { s.HSlider->frame = 1; s.VSlider->frame = 1; }, true},
      {"thumb images without a frame count", [](TSkinObjects& s) { s.HSlider->frame = 0; s.VSlider->frame = 0; }, true},
      {"thumb images with more frames than pixels", [](TSkinObjects& s) { s.VSlider->frame = 1000; s.HSlider->frame = 1000; },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    data->LoadFromFile(SkinFile("builtin"));
    sf->HandleRequest(TSkinRequest::srSkinChanged);
    auto skin = sf->SkinObjects();
    c.damage(*skin);
    THosted h = PlaceHost(200, 140);
    ASSERT_NE(h.skinner, nullptr);
    for (bool vertical : {true, false}) {
      TWScrollbar* bar = vertical ? h.skinner->vb : h.skinner->hb;
      EXPECT_EQ(IsWindowVisible(bar->Handle()) != FALSE, c.overlays);
      if (!c.overlays) continue;
      const RECT rc = bar->ClientRect();
      Hover(bar, vertical ? POINT{rc.right / 2, rc.bottom / 2} : POINT{rc.right / 2, rc.bottom / 2});
      const TLook look{0, 0, bar->scrollpos == kPartThumb ? 3 : 1};
      const SCROLLBARINFO info = Info(h.host->Handle(), vertical ? OBJID_VSCROLL : OBJID_HSCROLL);
      TSkinObjects& s = *skin;
      // Track images that cannot be cut into frames draw nothing: the face shows.
      THolder<TDataSkinObject> vbar, hbar;
      if (s.VBar && s.VBar->Map.Width() < 4) vbar = std::move(s.VBar);
      if (s.HBar && s.HBar->Map.Width() < 4) hbar = std::move(s.HBar);
      EXPECT_TRUE(Shows(Pixels(bar), ExpectedBar(s, vertical, info, look, Face())));
      if (vbar) s.VBar = std::move(vbar);
      if (hbar) s.HBar = std::move(hbar);
      SetCursorPos(1, 1);
      SendMessageW(bar->Handle(), WM_MOUSELEAVE, 0, 0);
    }
    delete h.host;
    SettleAll();
  }
  EXPECT_TRUE(dropped.empty());
}

// A stand-alone bar whose minimum and maximum are equal: the thumb at the start, no division
// by its empty range.
TEST_F(ScrollTest, AStandAloneBarWithAnEmptyRangeKeepsItsThumbAtTheStart) {
  auto* bar = Place<TScrollBar>(20, 20, 180, ArrowWidth());
  bar->SetParams(0, 5, 5);
  bar->SetPageSize(1);
  Discover();
  auto* skinner = SkinnerOf<TSkinScControl>(bar);
  ASSERT_NE(skinner, nullptr);
  SCROLLBARINFO info;
  ASSERT_TRUE(skinner->sb->GetInfo(info));
  EXPECT_EQ(info.xyThumbTop, ArrowWidth());
  EXPECT_EQ(info.xyThumbBottom - info.xyThumbTop, 8) << "the shortest thumb";
  EXPECT_TRUE(dropped.empty());
}

// ---- Letting go ----

// The control destroyed first, skinning switched off first, the control's window made again:
// every overlay, skinner and handle goes, and a re-created window gets one skinner again.
TEST_F(ScrollTest, LettingGoInAnyOrderLeavesNothing) {
  {
    // The skin's images make their pictures and DCs at their first paint; they stay.
    TDBGrid* first = PlaceGrid(5, false);
    Discover();
    delete first;
    SettleAll();
  }
  const TCounts before = TCounts::Now();
  struct Row {
    const char* what;
    std::function<void(TDBGrid*, TScrollBar*)> let_go;
  } rows[] = {
      {"controls destroyed first",
       [&](TDBGrid* g, TScrollBar* b) {
         delete g;
         delete b;
       }},
      {"skinning off first",
       [&](TDBGrid* g, TScrollBar* b) {
         for (TControl* c : std::initializer_list<TControl*>{g, b}) {
           auto* skinner = SkinnerOf<TSkinControl>(c);
           ASSERT_NE(skinner, nullptr);
           skinner->Unsubclass();
           delete skinner;
         }
         EXPECT_EQ(GetPropInt(g, "FixedColor"), int(clBtnFace)) << "the grid's own fixed colour is back";
         EXPECT_EQ(Overlays(), 0);
         delete g;
         delete b;
       }},
      {"windows made again, then the next walk",
       [&](TDBGrid* g, TScrollBar* b) {
         g->RecreateWnd();
         b->RecreateWnd();
         g->HandleNeeded();
         b->HandleNeeded();
         Discover();
         EXPECT_EQ(Skinners(g), 1);
         EXPECT_EQ(Skinners(b), 1);
         EXPECT_EQ(Overlays(), 3);
         EXPECT_TRUE(Follows(SkinnerOf(g)->vb, g->Handle(), OBJID_VSCROLL));
         delete g;
         delete b;
       }},
      {"a window made again, which the control announces to the form skinner",
       [&](TDBGrid* g, TScrollBar* b) {
         TSkinScrollbar* old = SkinnerOf(g);
         g->RecreateWnd();
         SettleAll();
         EXPECT_EQ(Skinners(g), 1);
         EXPECT_NE(SkinnerOf(g), nullptr);
         EXPECT_TRUE(Listed(SkinnerOf(g)));
         (void)old;
         EXPECT_EQ(Overlays(), 3);
         EXPECT_TRUE(Follows(SkinnerOf(g)->vb, g->Handle(), OBJID_VSCROLL));
         delete b;
         delete g;
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TDBGrid* grid = PlaceGrid(5, false);
    auto* bar = Place<TScrollBar>(220, 20, 150, ArrowWidth());
    Discover();
    ASSERT_NE(SkinnerOf(grid), nullptr);
    ASSERT_NE(SkinnerOf<TSkinScControl>(bar), nullptr);
    EXPECT_EQ(Overlays(), 3);
    r.let_go(grid, bar);
    SettleAll();
    sf->PurgeControls();
    EXPECT_EQ(Overlays(), 0);
    EXPECT_EQ(TCounts::Now(), before);
  }
  EXPECT_TRUE(dropped.empty());
}

}  // namespace qn::test
