// Tab controls, their pages, button-style page controls, tab sets and self-painting page
// controls skinned from the skin's tab object, on real controls of a skinned form. Pictures
// are worked out from the skin images themselves: which source pixels a nine-sliced, flipped or
// turned tab image can put at each place.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/win/ComCtrls.h"
#include "platform/win/MethodHook.h"
#include "platform/win/Subclass.h"
#include "platform/win/Tabs.h"
#include "skin/controls/SkinTabs.h"
#include "skin/data/SkinTypes.h"
#include "tests/skin/controls/ControlFixture.h"

namespace qn::test {
namespace {

// ---- Pictures from the skin images ----

// Frame f (from 1) of n frames side by side.
Rows FrameOf(TBitmap& image, int f, int n) {
  n = std::max(1, n);
  const int fw = image.Width() / n;
  Rows rows(size_t(image.Height()), std::vector<TColor>(size_t(fw)));
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < fw; ++x) rows[size_t(y)][size_t(x)] = ImagePixel(image, (f - 1) * fw + x, y);
  return rows;
}

int W(const Rows& r) { return r.empty() ? 0 : int(r[0].size()); }
int H(const Rows& r) { return int(r.size()); }

Rows Flipped(const Rows& r) { return Rows(r.rbegin(), r.rend()); }

// A quarter turn anticlockwise: the top row becomes the left column, read upwards.
Rows TurnedLeft(const Rows& r) {
  Rows out(size_t(W(r)), std::vector<TColor>(size_t(H(r))));
  for (int y = 0; y < H(r); ++y)
    for (int x = 0; x < W(r); ++x) out[size_t(W(r) - 1 - x)][size_t(y)] = r[size_t(y)][size_t(x)];
  return out;
}

// A quarter turn clockwise: the top row becomes the right column, read downwards.
Rows TurnedRight(const Rows& r) {
  Rows out(size_t(W(r)), std::vector<TColor>(size_t(H(r))));
  for (int y = 0; y < H(r); ++y)
    for (int x = 0; x < W(r); ++x) out[size_t(x)][size_t(H(r) - 1 - y)] = r[size_t(y)][size_t(x)];
  return out;
}

// The source pixels (one axis) a nine-slice of `src` pixels with margins m0, m1 onto `size`
// pixels may put at t: the same pixel in a fixed border, the proportional place give or take
// one in the stretched middle, the whole frame stretched when the borders do not fit.
std::pair<int, int> SourceSpan(int t, int size, int src, int m0, int m1) {
  m0 = std::max(0, m0);
  m1 = std::max(0, m1);
  auto around = [](int c, int lo, int hi) { return std::pair{std::max(lo, c - 1), std::min(hi, c + 1)}; };
  if (m0 + m1 > size) return around(t * src / size, 0, src - 1);
  if (t < m0) return {t, t};
  if (t >= size - m1) return {src - (size - t), src - (size - t)};
  const int smid = src - m0 - m1, mid = size - m0 - m1;
  if (smid <= 0) return {0, src - 1};
  return around(m0 + (t - m0) * smid / mid, m0, src - m1 - 1);
}

// How a picture composed lying down lies on the window.
enum class TTurn { None, Left, Right };

// Pixels of `painted` inside dest (less `skip`) that no source pixel of `image` nine-sliced
// onto dest (lying down, then turned) could give. Places a magenta source pixel may reach are
// not compared.
::testing::AssertionResult Sliced(const Rows& painted, const Rows& image, const RECT& m, const RECT& dest, TTurn turn,
                                  const std::function<bool(int, int)>& skip = {}) {
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  const bool across = turn == TTurn::None;
  const int lw = across ? dw : dh, lh = across ? dh : dw;
  int bad = 0, compared = 0;
  std::string report;
  for (int y = std::max(0, int(dest.top)); y < std::min(H(painted), int(dest.bottom)); ++y) {
    for (int x = std::max(0, int(dest.left)); x < std::min(W(painted), int(dest.right)); ++x) {
      if (skip && skip(x, y)) continue;
      int u = x - dest.left, v = y - dest.top;
      if (turn == TTurn::Left) u = dest.bottom - 1 - y, v = x - dest.left;
      if (turn == TTurn::Right) u = y - dest.top, v = dest.right - 1 - x;
      const auto [x0, x1] = SourceSpan(u, lw, W(image), m.left, m.right);
      const auto [y0, y1] = SourceSpan(v, lh, H(image), m.top, m.bottom);
      std::set<TColor> allowed;
      for (int sy = y0; sy <= y1; ++sy)
        for (int sx = x0; sx <= x1; ++sx) allowed.insert(image[size_t(sy)][size_t(sx)]);
      if (allowed.count(kMagenta)) continue;
      ++compared;
      const TColor got = painted[size_t(y)][size_t(x)];
      if (!allowed.count(got) && bad++ < 6) {
        char line[96];
        std::snprintf(line, sizeof line, "\n  (%d,%d): %06X, expected e.g. %06X", x, y, unsigned(got),
                      unsigned(*allowed.begin()));
        report += line;
      }
    }
  }
  if (compared == 0) return ::testing::AssertionFailure() << "nothing to compare";
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " of " << compared << " pixels differ" << report;
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

RECT Moved(RECT r, POINT by) {
  OffsetRect(&r, by.x, by.y);
  return r;
}

RECT ItemRect(HWND wnd, int i) {
  RECT r{};
  EXPECT_TRUE(SendMessageW(wnd, TCM_GETITEMRECT, WPARAM(i), LPARAM(&r)));
  return r;
}

// The control's display area: where its pages lie.
RECT DisplayRect(HWND wnd) {
  RECT r;
  GetClientRect(wnd, &r);
  SendMessageW(wnd, TCM_ADJUSTRECT, FALSE, LPARAM(&r));
  return r;
}

// The pane the border image is drawn over: the display area grown by 4, one pixel off the tabs.
RECT PaneRect(HWND wnd, TTabPosition side) {
  RECT p = DisplayRect(wnd);
  InflateRect(&p, 4, 4);
  if (side == TTabPosition::tpTop) ++p.top;
  if (side == TTabPosition::tpBottom) --p.bottom;
  if (side == TTabPosition::tpLeft) ++p.left;
  if (side == TTabPosition::tpRight) --p.right;
  return p;
}

constexpr RECT kPaneMargins{4, 5, 4, 4};

// ---- The fixture ----

class TabTest : public ControlTest {
 protected:
  // A page control of `pages` pages with empty captions and fixed tab sizes (nothing but the
  // skin in the tabs), page 1 active.
  TPageControl* MakePages(TForm* host, TTabPosition side, int pages = 3, TTabStyle style = TTabStyle::tsTabs,
                          int tag = 0) {
    auto* pc = new TPageControl(host);
    pc->SetTabPosition(side);
    pc->SetStyle(style);
    pc->SetTabWidth(70);
    pc->SetTabHeight(24);
    pc->SetTag(tag);
    pc->SetParent(host);
    pc->SetBounds(10, 10, 320, 220);
    pc->HandleNeeded();
    for (int i = 0; i < pages; ++i) {
      auto* page = new TTabSheet(host);
      page->SetPageControl(pc);
    }
    pc->SetActivePageIndex(std::min(1, pages - 1));
    return pc;
  }
  // Skinners on the control and its pages, as control discovery attaches them.
  TSkinControl* SkinPages(TPageControl* pc, TSkinnerKind kind = TSkinnerKind::Tab) {
    TSkinControl* tab = MakeControlSkinner(kind, pc);
    EXPECT_NE(tab, nullptr);
    tab->Init(sf, data, &sf->ControlCanvas(), false);
    for (int i = 0; i < pc->PageCount(); ++i)
      MakeControlSkinner(TSkinnerKind::TabSheet, pc->Pages(i))->Init(sf, data, &sf->ControlCanvas(), false);
    Repaint(pc);
    return tab;
  }
  void Repaint(TWinControl* c) {
    RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Settle(c->Handle());
  }
  TColor ParentColour() { return static_cast<TColor>(ColorToRGB(form->Color())); }
  TColor Face() { return data->Skin()->Colors[skin::kcButtonFace]; }
};

// ---- Pictures ----

struct TSideCase {
  const char* name;
  TTabPosition side;
  TTurn turn;   // how the tab pictures lie
  bool flip;    // tab and border images upside down
  POINT shift;  // where a tab is drawn from the control's item rectangle
};
const TSideCase kSides[] = {
    {"top", TTabPosition::tpTop, TTurn::None, false, {0, 1}},
    {"bottom", TTabPosition::tpBottom, TTurn::None, true, {0, -1}},
    {"left", TTabPosition::tpLeft, TTurn::Left, false, {0, 0}},
    {"right", TTabPosition::tpRight, TTurn::Right, false, {0, -1}},
};

// The selected tab reaches over the pane's border on its side, as deep as that border is.
RECT JoinedTab(RECT tab, const RECT& pane, TTabPosition side) {
  switch (side) {
    case TTabPosition::tpTop: tab.bottom = pane.top + kPaneMargins.top; break;
    case TTabPosition::tpBottom: tab.top = pane.bottom - kPaneMargins.bottom; break;
    case TTabPosition::tpLeft: tab.right = pane.left + kPaneMargins.left; break;
    case TTabPosition::tpRight: tab.left = pane.right - kPaneMargins.right; break;
  }
  return tab;
}

TEST_F(TabTest, TabsAndPaneAreTheSkinsImagesOnEverySideAndTheSelectedTabJoinsItsPage) {
  auto skin = data->Skin();
  TDataSkinBorder& tabobj = *skin->tab;
  ASSERT_FALSE(tabobj.Map.Empty());
  ASSERT_FALSE(tabobj.MaskMap.Empty());
  ASSERT_EQ(tabobj.style, 0);
  const RECT tabMargins = MarginRect(tabobj.r);
  for (const TSideCase& c : kSides) {
    SCOPED_TRACE(c.name);
    TPageControl* pc = MakePages(form, c.side);
    HWND wnd = pc->Handle();
    SkinPages(pc);
    const Rows painted = WindowPixels(wnd);
    SaveShot(wnd, c.name);

    Rows normal = FrameOf(tabobj.Map, 1, tabobj.frame), selected = FrameOf(tabobj.Map, 2, tabobj.frame);
    Rows border = FrameOf(tabobj.MaskMap, 1, 1);
    if (c.flip) normal = Flipped(normal), selected = Flipped(selected), border = Flipped(border);
    if (c.side == TTabPosition::tpLeft) border = TurnedLeft(border);
    if (c.side == TTabPosition::tpRight) border = TurnedRight(border);

    const RECT display = DisplayRect(wnd), pane = PaneRect(wnd, c.side);
    ASSERT_EQ(SendMessageW(wnd, TCM_GETCURFOCUS, 0, 0), 1);
    const RECT joined = JoinedTab(Moved(ItemRect(wnd, 1), c.shift), pane, c.side);
    auto onPage = [&](int x, int y) { return Inside(display, x, y); };
    // A tab not selected may reach under the pane's edge, which goes over it.
    for (int i : {0, 2}) {
      SCOPED_TRACE(i);
      EXPECT_TRUE(Sliced(painted, normal, tabMargins, Moved(ItemRect(wnd, i), c.shift), c.turn,
                         [&](int x, int y) { return Inside(pane, x, y); }));
    }
    EXPECT_TRUE(Sliced(painted, selected, tabMargins, joined, c.turn, onPage)) << "the selected tab";
    EXPECT_TRUE(Sliced(painted, border, kPaneMargins, pane, TTurn::None,
                       [&](int x, int y) { return onPage(x, y) || Inside(joined, x, y); }))
        << "the pane";

    // From the middle of the selected tab into its page the pane's edge is not crossed (that
    // nothing else lies between them the picture of the selected tab showed).
    // The border's outermost pixel on the tab side.
    const TColor edge = c.side == TTabPosition::tpTop      ? border[0][size_t(W(border) / 2)]
                        : c.side == TTabPosition::tpBottom ? border[size_t(H(border) - 1)][size_t(W(border) / 2)]
                        : c.side == TTabPosition::tpLeft   ? border[size_t(H(border) / 2)][0]
                                                           : border[size_t(H(border) / 2)][size_t(W(border) - 1)];
    const RECT item = Moved(ItemRect(wnd, 1), c.shift), other = Moved(ItemRect(wnd, 0), c.shift);
    const bool across = c.side == TTabPosition::tpTop || c.side == TTabPosition::tpBottom;
    const int mid = across ? (item.left + item.right) / 2 : (item.top + item.bottom) / 2;
    const int from = c.side == TTabPosition::tpTop ? item.bottom - tabMargins.bottom - 2
                   : c.side == TTabPosition::tpBottom ? display.bottom - 2
                   : c.side == TTabPosition::tpLeft ? item.right - tabMargins.bottom - 2
                                                    : display.right - 2;
    const int to = c.side == TTabPosition::tpTop ? display.top + 2
                 : c.side == TTabPosition::tpBottom ? item.top + tabMargins.bottom + 2
                 : c.side == TTabPosition::tpLeft ? display.left + 2
                                                  : item.left + tabMargins.bottom + 2;
    int lines = 0;
    for (int t = from; t < to; ++t)
      lines += (across ? painted[size_t(t)][size_t(mid)] : painted[size_t(mid)][size_t(t)]) == edge;
    EXPECT_EQ(lines, 0) << "no line between the selected tab and its page";
    // Under a tab not selected the pane's edge is there.
    const int omid = across ? (other.left + other.right) / 2 : (other.top + other.bottom) / 2;
    const POINT under = c.side == TTabPosition::tpTop      ? POINT{omid, pane.top}
                        : c.side == TTabPosition::tpBottom ? POINT{omid, pane.bottom - 1}
                        : c.side == TTabPosition::tpLeft   ? POINT{pane.left, omid}
                                                           : POINT{pane.right - 1, omid};
    EXPECT_EQ(painted[size_t(under.y)][size_t(under.x)], edge);
    // The rest of the tab row is the parent's colour; the page wears the skin's face.
    const POINT rest = across ? POINT{W(painted) - 3, c.side == TTabPosition::tpTop ? 3 : H(painted) - 3}
                              : POINT{c.side == TTabPosition::tpLeft ? 3 : W(painted) - 3, H(painted) - 3};
    EXPECT_EQ(painted[size_t(rest.y)][size_t(rest.x)], ParentColour());
    EXPECT_EQ(painted[size_t((display.top + display.bottom) / 2)][size_t((display.left + display.right) / 2)], Face());
    pc->Free();
  }
  EXPECT_TRUE(dropped.empty()) << dropped.front();
}

TEST_F(TabTest, CaptionsLieAlongTheirTabsOnEverySide) {
  struct Case {
    const char* name;
    TTabPosition side;
    bool upright;  // the caption reads across the window
  };
  const Case cases[] = {{"top", TTabPosition::tpTop, true},
                        {"left", TTabPosition::tpLeft, false},
                        {"right", TTabPosition::tpRight, false}};
  const TColor ink = data->Skin()->tab->Normalcolor2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPageControl* pc = MakePages(form, c.side);
    pc->Pages(0)->SetCaption(L"WWWWW");
    HWND wnd = pc->Handle();
    SkinPages(pc);
    const Rows painted = WindowPixels(wnd);
    const RECT item = ItemRect(wnd, 0);
    RECT ink_box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = item.top; y < item.bottom; ++y)
      for (int x = item.left; x < item.right; ++x) {
        if (painted[size_t(y)][size_t(x)] != ink) continue;
        ink_box = {std::min(ink_box.left, LONG(x)), std::min(ink_box.top, LONG(y)), std::max(ink_box.right, LONG(x + 1)),
                   std::max(ink_box.bottom, LONG(y + 1))};
      }
    ASSERT_LT(ink_box.left, ink_box.right) << "the caption is drawn in the tab's text colour";
    const int w = ink_box.right - ink_box.left, h = ink_box.bottom - ink_box.top;
    EXPECT_EQ(w > h, c.upright) << w << " x " << h;
    pc->Free();
  }
}

// A bare tab window with more tabs than fit and no WS_CLIPCHILDREN: its own paint covers
// its children, so the skin must leave the arrows out.
HWND MakeBareTabs(HWND parent, int tabs) {
  HWND wnd = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10, 300, 160,
                             parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(wnd, TCM_SETITEMSIZE, 0, MAKELPARAM(70, 24));
  for (int i = 0; i < tabs; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(wnd, TCM_INSERTITEMW, WPARAM(i), LPARAM(&item));
  }
  return wnd;
}

TEST_F(TabTest, ABareTabWindowIsSkinnedThroughItsWindowProcedure) {
  HWND wnd = MakeBareTabs(form->Handle(), 2);
  ASSERT_NE(wnd, nullptr);
  TSkinControl* skinner = MakeControlSkinner(TSkinnerKind::Tab, sf);
  skinner->Inithwnd(wnd, data, &sf->ControlCanvas(), sf);
  EXPECT_STREQ(skinner->ClassName().c_str(), "TSkinTab");
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Settle(wnd);
  const Rows painted = WindowPixels(wnd);
  TDataSkinBorder& tab = *data->Skin()->tab;
  const RECT pane = PaneRect(wnd, TTabPosition::tpTop);
  EXPECT_TRUE(Sliced(painted, FrameOf(tab.Map, 1, tab.frame), MarginRect(tab.r), Moved(ItemRect(wnd, 1), {0, 1}),
                     TTurn::None, [&](int x, int y) { return Inside(pane, x, y); }));
  // Nothing covers the pane here: its whole border image, middle included.
  EXPECT_TRUE(Sliced(painted, FrameOf(tab.MaskMap, 1, 1), kPaneMargins, pane, TTurn::None,
                     [&](int x, int y) { return Inside(JoinedTab(Moved(ItemRect(wnd, 0), {0, 1}), pane,
                                                                  TTabPosition::tpTop), x, y); }));
  DestroyWindow(wnd);
  EXPECT_EQ(skinner->hwnd, nullptr);
  delete skinner;
}

TEST_F(TabTest, TheTabRowNeverCoversItsScrollArrows) {
  HWND wnd = MakeBareTabs(form->Handle(), 8);
  ASSERT_NE(wnd, nullptr);
  auto* skinner = static_cast<TSkinTab*>(MakeControlSkinner(TSkinnerKind::Tab, sf));
  skinner->Inithwnd(wnd, data, &sf->ControlCanvas(), sf);
  HWND arrows = FindWindowExW(wnd, nullptr, UPDOWN_CLASSW, nullptr);
  ASSERT_NE(arrows, nullptr) << "eight tabs of 70 do not fit in 300";
  ASSERT_TRUE(skinner->CheckUpDown());
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Settle(wnd);
  const Rows own = WindowPixels(arrows);
  // The tab window alone paints again, over where its arrows are.
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
  RECT a;
  GetWindowRect(arrows, &a);
  MapWindowPoints(HWND_DESKTOP, wnd, reinterpret_cast<POINT*>(&a), 2);
  const Rows painted = WindowPixels(wnd);
  int covered = 0;
  for (int y = 0; y < H(own); ++y)
    for (int x = 0; x < W(own); ++x)
      covered += painted[size_t(a.top + y)][size_t(a.left + x)] != own[size_t(y)][size_t(x)];
  EXPECT_EQ(covered, 0);
  DestroyWindow(wnd);
  delete skinner;
}

// ---- Behaviour ----

void Click(HWND wnd, POINT p) {
  PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(TabTest, ClickingATabStillTurnsThePageAndTheJoinFollowsIt) {
  TPageControl* pc = MakePages(form, TTabPosition::tpTop);
  HWND wnd = pc->Handle();
  SkinPages(pc);
  struct TChanges {
    int n = 0;
    void Changed(TObject*) { ++n; }
  } changes;
  pc->OnChange = TNotifyEvent::Bind<&TChanges::Changed>(&changes);
  Click(wnd, Centre(ItemRect(wnd, 2)));
  ASSERT_TRUE(Pump([&] { return pc->ActivePageIndex() == 2; }));
  Settle(wnd);
  EXPECT_EQ(changes.n, 1);
  EXPECT_TRUE(pc->Pages(2)->Visible());
  EXPECT_FALSE(pc->Pages(1)->Visible());
  const Rows painted = WindowPixels(wnd);
  auto skin = data->Skin();
  const RECT pane = PaneRect(wnd, TTabPosition::tpTop);
  const TColor edge = ImagePixel(skin->tab->MaskMap, 15, 0);
  EXPECT_NE(painted[size_t(pane.top)][size_t(Centre(ItemRect(wnd, 2)).x)], edge) << "joined now";
  EXPECT_EQ(painted[size_t(pane.top)][size_t(Centre(ItemRect(wnd, 1)).x)], edge) << "no longer";
  EXPECT_TRUE(Sliced(painted, FrameOf(skin->tab->Map, 2, skin->tab->frame), MarginRect(skin->tab->r),
                     JoinedTab(Moved(ItemRect(wnd, 2), {0, 1}), pane, TTabPosition::tpTop), TTurn::None,
                     [&](int x, int y) { return Inside(DisplayRect(wnd), x, y); }));
}

// A form that answers WM_SKINTABCLOSE as told.
LRESULT CALLBACK AnswerTabClose(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR answer) {
  if (msg == WM_SKINTABCLOSE) {
    g_log.push_back("close " + std::to_string(l));
    return LRESULT(answer);
  }
  return DefSubclassProc(wnd, msg, w, l);
}

TEST_F(TabTest, ACloseMarkFreesItsPageWhenTheFormAgrees) {
  struct Case {
    const char* name;
    TTabPosition side;
    LRESULT answer;
    int pages, active;  // after the click
    bool asked;
  };
  const Case cases[] = {
      {"agreed", TTabPosition::tpTop, 0, 2, 0, true},
      {"refused: kept, and the tab not selected", TTabPosition::tpTop, 1, 3, 1, true},
      {"bottom tabs have no marks: the tab is selected", TTabPosition::tpBottom, 0, 3, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_log.clear();
    TPageControl* pc = MakePages(form, c.side, 3, TTabStyle::tsTabs, 7777);
    HWND wnd = pc->Handle();
    SkinPages(pc);
    const RECT item = Moved(ItemRect(wnd, 0), {0, c.side == TTabPosition::tpTop ? 1 : -1});
    const POINT mark{item.right - 8, item.top + 2};
    if (c.asked) {
      EXPECT_EQ(PixelAt(wnd, mark.x, mark.y), clBlack) << "the mark's corner";
      EXPECT_EQ(PixelAt(wnd, mark.x + 3, mark.y + 3), clBlack) << "its diagonals cross";
    }
    ASSERT_TRUE(SetWindowSubclass(form->Handle(), AnswerTabClose, 1, DWORD_PTR(c.answer)));
    // The mark's rectangle is kept one pixel lower than the window's.
    Click(wnd, {mark.x + 3, mark.y + 2});
    Pump([&] { return pc->PageCount() != 3 || pc->ActivePageIndex() != 1; }, 1500);
    Settle(wnd);
    RemoveWindowSubclass(form->Handle(), AnswerTabClose, 1);
    EXPECT_EQ(pc->PageCount(), c.pages);
    EXPECT_EQ(pc->ActivePageIndex(), c.active);
    EXPECT_EQ(g_log, c.asked ? std::vector<std::string>{"close 0"} : std::vector<std::string>{});
    pc->Free();
  }
}

TEST_F(TabTest, SkinningOffGivesTheControlItsOwnPictureProcedureAndStyle) {
  TPageControl* pc = MakePages(form, TTabPosition::tpTop);
  HWND wnd = pc->Handle();
  Repaint(pc);
  const Rows plain = WindowPixels(wnd);
  const auto proc = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
  const auto style = GetWindowLongPtrW(wnd, GWL_STYLE), exstyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
  const int hooks = TMethodHook::LiveLinks();
  TSkinControl* skinner = SkinPages(pc);
  EXPECT_FALSE(SamePicture(WindowPixels(wnd), plain)) << "skinned";
  EXPECT_EQ(TMethodHook::LiveLinks(), hooks + 1 + pc->PageCount());
  skinner->Unsubclass();
  delete skinner;
  for (int i = 0; i < pc->PageCount(); ++i) {
    auto* page = pc->Pages(i);
    for (int k = page->ComponentCount() - 1; k >= 0; --k) {
      if (auto* s = dynamic_cast<TSkinControl*>(page->Components(k))) {
        s->Unsubclass();
        delete s;
      }
    }
  }
  Repaint(pc);
  EXPECT_TRUE(SamePicture(WindowPixels(wnd), plain));
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), proc);
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWL_STYLE), style);
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWL_EXSTYLE), exstyle);
  EXPECT_EQ(TMethodHook::LiveLinks(), hooks);
  EXPECT_TRUE(sf->Controllist.empty());
}

TEST_F(TabTest, DestroyingTheControlOrTheFormFirstLeavesNoHandles) {
  struct Case {
    const char* name;
    bool form_first;
  };
  const Case cases[] = {{"the control first", false}, {"the form first", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto cycle = [&] {
      TTestForm* host = form;
      TWinSkinForm* hostsf = sf;
      if (c.form_first) {
        host = MakeForm(360, 260, TFormBorderStyle::bsSizeable, kAllBoxes, L"pages", 80, 80);
        hostsf = Attach(host);
      }
      std::swap(sf, hostsf);
      TPageControl* pc = MakePages(host, TTabPosition::tpLeft);
      SkinPages(pc);
      Click(pc->Handle(), Centre(ItemRect(pc->Handle(), 2)));
      Pump([&] { return pc->ActivePageIndex() == 2; });
      Settle(pc->Handle());
      std::swap(sf, hostsf);
      if (c.form_first) host->Free();
      else pc->Free();
      Pump([] { return false; }, 50);
    };
    cycle();  // what is made once and kept is made now
    const TCounts before = TCounts::Now();
    for (int i = 0; i < 3; ++i) cycle();
    EXPECT_EQ(TCounts::Now(), before);
  }
}

// ---- Damaged skins ----

TEST_F(TabTest, ADamagedSkinLeavesThePlainLookOrDrawsWhatExists) {
  enum TLook { kPlain, kSkinned, kAny };
  struct Case {
    const char* name;
    std::function<void(TSkinObjects&)> damage;
    TLook row, pane;
  };
  const Case cases[] = {
      {"no tab object", [](TSkinObjects& s) { s.tab.reset(); }, kPlain, kPlain},
      {"a tab object without an image", [](TSkinObjects& s) { s.tab->Map.SetSize(0, 0); }, kPlain, kSkinned},
      {"no border image", [](TSkinObjects& s) { s.tab->MaskMap.SetSize(0, 0); }, kSkinned, kPlain},
      {"more frames than the image holds", [](TSkinObjects& s) { s.tab->frame = 1000; }, kAny, kSkinned},
      {"no frames", [](TSkinObjects& s) { s.tab->frame = 0; }, kAny, kSkinned},
      {"margins wider than the image",
       [](TSkinObjects& s) { s.tab->r = {500, 500, 500, 500}; }, kAny, kSkinned},
      {"a one-pixel border image", [](TSkinObjects& s) { s.tab->MaskMap.SetSize(1, 1); }, kSkinned, kAny},
      {"a sheet-style border without a sheet object",
       [](TSkinObjects& s) {
         s.tab->style = 1;
         s.TabSheet.reset();
       },
       kSkinned, kPlain},
  };
  for (const Case& c : cases) {
    for (TTabPosition side : {TTabPosition::tpTop, TTabPosition::tpRight}) {
      SCOPED_TRACE(std::string(c.name) + (side == TTabPosition::tpTop ? ", top" : ", right"));
      // A damaged copy of the skin, worn by the form.
      data->LoadFromFile(SkinFile("builtin"));
      sf->HandleRequest(TSkinRequest::srSkinChanged);
      c.damage(*sf->SkinObjects());
      TPageControl* pc = MakePages(form, side);
      HWND wnd = pc->Handle();
      Repaint(pc);
      const Rows plain = WindowPixels(wnd);
      TSkinControl* skinner = MakeControlSkinner(TSkinnerKind::Tab, pc);
      skinner->Init(sf, data, &sf->ControlCanvas(), false);
      Repaint(pc);
      const Rows painted = WindowPixels(wnd);
      const RECT pane = PaneRect(wnd, side);
      // The tab row: what lies outside the pane; the pane's border: its outermost ring.
      int row_diff = 0, pane_diff = 0;
      const RECT display = DisplayRect(wnd);
      for (int y = 0; y < H(painted); ++y) {
        for (int x = 0; x < W(painted); ++x) {
          const bool differs = painted[size_t(y)][size_t(x)] != plain[size_t(y)][size_t(x)];
          if (!Inside(pane, x, y)) row_diff += differs;
          else if (!Inside(display, x, y)) pane_diff += differs;
        }
      }
      if (c.row == kPlain) {
        EXPECT_EQ(row_diff, 0) << "the tab row as the control drew it";
      } else if (c.row == kSkinned) {
        EXPECT_GT(row_diff, 0) << "the tab row skinned";
      }
      if (c.pane == kPlain) {
        EXPECT_EQ(pane_diff, 0) << "the pane as the control drew it";
      } else if (c.pane == kSkinned) {
        EXPECT_GT(pane_diff, 0) << "the pane's border skinned";
      }
      // It goes on working.
      Click(wnd, Centre(ItemRect(wnd, 2)));
      EXPECT_TRUE(Pump([&] { return pc->ActivePageIndex() == 2; }));
      Settle(wnd);
      pc->Free();
    }
  }
}

// ---- The other tabbed controls ----

TEST_F(TabTest, ButtonStylePagesShowTheSkinsButtons) {
  TPageControl* pc = MakePages(form, TTabPosition::tpTop, 3, TTabStyle::tsButtons);
  HWND wnd = pc->Handle();
  TSkinControl* skinner = SkinPages(pc, TSkinnerKind::TabBtn);
  EXPECT_STREQ(skinner->ClassName().c_str(), "TSkinTabBtn");
  const Rows painted = WindowPixels(wnd);
  TDataSkinButton& button = *data->Skin()->Button;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(Sliced(painted, FrameOf(button.Map, i == 1 ? 2 : 1, button.frame), MarginRect(button.r),
                       Moved(ItemRect(wnd, i), {0, 1}), TTurn::None));
  }
  Click(wnd, Centre(ItemRect(wnd, 0)));
  ASSERT_TRUE(Pump([&] { return pc->ActivePageIndex() == 0; }));
}

TEST_F(TabTest, ATabSetLeavesOutATabTooWideAndDrawsANarrowerOneInItsPlace) {
  auto* tabs = new TTabSet(form);
  tabs->SetParent(form);
  tabs->SetBounds(10, 10, 200, 24);
  const std::wstring wide(40, L'W');
  tabs->SetTabs({L"A", wide, L"B"});
  tabs->HandleNeeded();
  tabs->SetTabIndex(0);
  const int links = TWindowSubclass::LiveLinks();
  TSkinControl* skinner = MakeControlSkinner(TSkinnerKind::Tab31, tabs);
  skinner->Init(sf, data, &sf->ControlCanvas(), false);
  EXPECT_EQ(skinner->hwnd, tabs->Handle());
  Repaint(tabs);
  const Rows painted = WindowPixels(tabs->Handle());

  TDataSkinBorder& tab = *data->Skin()->tab;
  auto width = [&](const std::wstring& text) {
    TWindowDC dc(tabs->Handle(), true);
    TScopedSelect font(dc.Get(), tabs->Canvas().Font().Handle());
    SIZE s{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), int(text.size()), &s);
    return int(s.cx) + 9;
  };
  const int x0 = tabs->StartMargin(), wa = width(L"A"), wb = width(L"B");
  ASSERT_GT(x0 + wa + width(wide), 200 - tabs->EndMargin()) << "the wide tab must not fit";
  const RECT a{x0, 0, x0 + wa, 24}, b{x0 + wa, 0, x0 + wa + wb, 24};
  // The captions are not compared: only the tab images around them.
  auto caption = [](const RECT& r) {
    return [r](int x, int y) { return x >= r.left + 3 && x < r.right - 3 && y >= 3 && y < 21; };
  };
  EXPECT_TRUE(Sliced(painted, Flipped(FrameOf(tab.Map, 2, tab.frame)), MarginRect(tab.r), a, TTurn::None,
                     caption(a)))
      << "the selected tab";
  EXPECT_TRUE(Sliced(painted, Flipped(FrameOf(tab.Map, 1, tab.frame)), MarginRect(tab.r), b, TTurn::None,
                     caption(b)))
      << "the narrower tab right after it";
  EXPECT_EQ(painted[12][size_t(b.right + 4)], Face()) << "nothing after it";
  skinner->Unsubclass();
  delete skinner;
  EXPECT_EQ(TWindowSubclass::LiveLinks(), links);
}

// A page control that paints itself and takes tab pictures.
class TAdvPageProbe : public TWinControl {
  QN_CLASS(TAdvPageProbe)
 public:
  explicit TAdvPageProbe(TComponent* owner) : TWinControl(owner) {}
  TBitmap* TabBackGround() const { return const_cast<TBitmap*>(&normal_); }
  void SetTabBackGround(TBitmap* b) { normal_.Assign(b); }
  TBitmap* TabBackGroundActive() const { return const_cast<TBitmap*>(&active_); }
  void SetTabBackGroundActive(TBitmap* b) { active_.Assign(b); }

 private:
  TBitmap normal_, active_;
};
QN_CLASS_IMPL(TAdvPageProbe, TWinControl,
              {prop::Obj("TabBackGround", &TAdvPageProbe::TabBackGround, &TAdvPageProbe::SetTabBackGround),
               prop::Obj("TabBackGroundActive", &TAdvPageProbe::TabBackGroundActive,
                         &TAdvPageProbe::SetTabBackGroundActive)})

TEST_F(TabTest, ASelfPaintingPageControlGetsTheTabPicturesAndLosesThemAgain) {
  auto* pages = Place<TAdvPageProbe>(10, 10, 200, 100);
  TSkinControl* skinner = MakeControlSkinner(TSkinnerKind::AdvPage, pages);
  skinner->kind = 4;
  skinner->Init(sf, data, &sf->ControlCanvas(), true);
  TDataSkinBorder& tab = *data->Skin()->tab;
  for (auto [picture, frame] : {std::pair{pages->TabBackGround(), 1}, std::pair{pages->TabBackGroundActive(), 2}}) {
    SCOPED_TRACE(frame);
    ASSERT_EQ(picture->Width(), 100);
    ASSERT_EQ(picture->Height(), 21);
    picture->SetPixelFormat(TPixelFormat::pf24bit);
    Rows got(21, std::vector<TColor>(100));
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 100; ++x) got[size_t(y)][size_t(x)] = ImagePixel(*picture, x, y);
    EXPECT_TRUE(Sliced(got, FrameOf(tab.Map, frame, tab.frame), MarginRect(tab.r), RECT{0, 0, 100, 21}, TTurn::None));
  }
  skinner->Unsubclass();
  EXPECT_TRUE(pages->TabBackGround()->Empty());
  EXPECT_TRUE(pages->TabBackGroundActive()->Empty());
  delete skinner;
}

}  // namespace
}  // namespace qn::test
