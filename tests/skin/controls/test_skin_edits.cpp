// Edits, combo boxes and date pickers skinned on a skinned form: the frames and faces they show
// against pictures worked out from the skin images, the text, selection and caret that stay
// the controls' own, the combo's hot button, its drop-down list scrolled and picked from as on
// a combo that is not skinned, the picker's arrow button, damaged skins, and every handle back
// however the skinners and their controls go.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "platform/win/ComCtrls.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/MethodHook.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Subclass.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinComboList.h"
#include "skin/controls/SkinEdits.h"
#include "tests/skin/controls/ControlFixture.h"
#include "tests/skin/controls/LayeredPicture.h"

namespace qn::test {
namespace {

int W(const RECT& r) { return r.right - r.left; }
int H(const RECT& r) { return r.bottom - r.top; }

// The combo pictures hold these frames.
constexpr int kNormal = 1, kPressed = 2, kDisabled = 3, kHot = 4;

class EditsTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    SetCursorPos(1, 1);  // away from every control
  }
  template <class S>
  S* SkinAs(TSkinnerKind kind, TWinControl* control) {
    TSkinControl* skinner = MakeControlSkinner(kind, control);
    EXPECT_NE(skinner, nullptr);
    skinner->Init(sf, data, &sf->ControlCanvas(), false);
    return dynamic_cast<S*>(skinner);
  }
  void UseSkin(const char* name) {
    data->LoadFromFile(SkinFile(name));
    sf->HandleRequest(TSkinRequest::srSkinChanged);
  }
  TSkinObjects& Objects() {
    TSkinObjects& s = *sf->SkinObjects();
    s.PrepareComboImages();  // as the combo painters do, before a test reads or damages them
    return s;
  }
  TColor Face() { return Objects().Colors[skin::kcButtonFace]; }
  void Repaint(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Settle(wnd);
  }
  // The control's own picture (skinning switched off for a moment) and the skinned one.
  std::pair<Rows, Rows> OwnAndSkinned(HWND wnd) {
    SendMessageW(wnd, WM_SKINENABLE, 0, 0);
    Repaint(wnd);
    Rows own = WindowPixels(wnd);
    SendMessageW(wnd, WM_SKINENABLE, 1, 0);
    Repaint(wnd);
    return {std::move(own), WindowPixels(wnd)};
  }
  TComboBox* PlaceCombo(int x, int y, TComboBoxStyle style, int items = 30) {
    auto* c = new TComboBox(form);
    c->SetParent(form);
    c->SetStyle(style);
    c->SetBounds(x, y, 160, 24);
    for (int i = 0; i < items; ++i) c->AddItem(L"药酒 " + std::to_wstring(i));
    c->HandleNeeded();
    if (items) c->SetItemIndex(0);
    return c;
  }
  static RECT ButtonRect(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetComboBoxInfo(combo, &info));
    return info.rcButton;
  }
  static HWND ListOf(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetComboBoxInfo(combo, &info));
    return info.hwndList;
  }
  // The combo's whole face, frame `frame` of the picture the layout takes.
  std::vector<TLayer> ComboFace(HWND combo, int frame, bool rtl) {
    TSkinObjects& s = Objects();
    TDataSkinObject& image = rtl ? *s.Comboxborder : static_cast<TDataSkinObject&>(*s.combox);
    return {TLayer{WindowRect0(combo), &image.Map, frame, image.frame, MarginRect(image.r), true}};
  }
};

// ---- Edits ----

// A bordered edit or memo shows a line of the skin's shadow colour round its edge and two white
// lines inside it, over its own picture; a borderless one keeps its own look.
TEST_F(EditsTest, EditsWearAThinFrameUnlessTheyHaveNoBorder) {
  struct Case {
    const char* what;
    std::function<TWinControl*()> make;
    bool framed;
  };
  auto edit = [this](TBorderStyle border) {
    return [this, border]() -> TWinControl* {
      auto* e = Place<TEdit>(20, 20, 180, 24);
      e->SetBorderStyle(border);
      e->SetText(L"当归 川芎");
      return e;
    };
  };
  const Case cases[] = {
      {"edit", edit(TBorderStyle::bsSingle), true},
      {"memo",
       [this]() -> TWinControl* {
         auto* m = Place<TMemo>(20, 20, 180, 80);
         m->SetLines({L"【配方】", L"当归 12"});
         return m;
       },
       true},
      {"borderless edit", edit(TBorderStyle::bsNone), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TWinControl* control = c.make();
    HWND wnd = control->Handle();
    SkinAs<TSkinEdit>(TSkinnerKind::Edit, control);
    auto [own, got] = OwnAndSkinned(wnd);
    const RECT all = WindowRect0(wnd);
    Rows want = own;
    if (c.framed) {
      const TColor rings[] = {Objects().Colors[skin::kcButtonShadow], clWhite, clWhite};
      for (int k = 0; k < 3; ++k)
        for (int y = k; y < all.bottom - k; ++y)
          for (int x = k; x < all.right - k; ++x)
            if (y == k || y == all.bottom - 1 - k || x == k || x == all.right - 1 - k) want[y][x] = ColorToRGB(rings[k]);
    }
    EXPECT_TRUE(SamePicture(got, want));
    control->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// Printed (WM_PRINT), a bordered edit gets the shadow line round its edge and the DC's brush
// inside it.
TEST_F(EditsTest, APrintedEditGetsItsFrameOnThePrintersDC) {
  auto* e = Place<TEdit>(20, 20, 180, 24);
  e->SetText(L"药酒");
  HWND wnd = e->Handle();
  SkinAs<TSkinEdit>(TSkinnerKind::Edit, e);
  const RECT all = WindowRect0(wnd);
  TBitmap page(all.right, all.bottom, TPixelFormat::pf24bit);
  FillColor(page.DC(), all, clBlack);
  TBrushHandle brush = MakeSolidBrush(RGB(10, 200, 30));
  TScopedSelect with(page.DC(), brush.Get());
  SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(page.DC()), PRF_NONCLIENT | PRF_CLIENT);
  const Rows got = Read(page);
  const TColor shadow = ColorToRGB(Objects().Colors[skin::kcButtonShadow]);
  for (int x = 0; x < all.right; ++x) {
    EXPECT_EQ(got[0][x], shadow) << x;
    EXPECT_EQ(got[1][std::clamp(x, 1, int(all.right) - 2)], 0x1EC80A) << x;
  }
  EXPECT_TRUE(dropped.empty());
}

// Typed into, skinned edits and combos hold the same text, selection and caret as their
// unskinned twins.
TEST_F(EditsTest, TextSelectionAndCaretStayTheControlsOwn) {
  struct Case {
    const char* what;
    std::function<TWinControl*(int y)> make;
    TSkinnerKind kind;
    HWND (*typing)(TWinControl*);  // the window that takes the keys
  };
  auto self = [](TWinControl* c) { return c->Handle(); };
  auto inner = [](TWinControl* c) { return GetWindow(c->Handle(), GW_CHILD); };
  const Case cases[] = {
      {"edit", [this](int y) -> TWinControl* { return Place<TEdit>(20, y, 180, 24); }, TSkinnerKind::Edit, self},
      {"memo", [this](int y) -> TWinControl* { return Place<TMemo>(20, y, 180, 60); }, TSkinnerKind::Edit, self},
      {"combo box", [this](int y) -> TWinControl* { return PlaceCombo(20, y, TComboBoxStyle::csDropDown, 3); },
       TSkinnerKind::ComBox, inner},
  };
  const std::wstring typed = L"gou qi 枸杞\r2";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TWinControl* skinned = c.make(20);
    TWinControl* twin = c.make(120);
    MakeControlSkinner(c.kind, skinned)->Init(sf, data, &sf->ControlCanvas(), false);
    struct TSeen {
      std::wstring text;
      DWORD start = 0, end = 0;
      POINT caret{};
    };
    auto type = [&](TWinControl* control) {
      HWND keys = c.typing(control);
      ::SetFocus(keys);
      for (wchar_t ch : typed) SendMessageW(keys, WM_CHAR, ch, 1);
      SendMessageW(keys, EM_SETSEL, 2, 5);
      Settle(control->Handle());
      TSeen seen;
      seen.text = control->GetText();
      SendMessageW(keys, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.start), reinterpret_cast<LPARAM>(&seen.end));
      GetCaretPos(&seen.caret);
      return seen;
    };
    const TSeen a = type(skinned), b = type(twin);
    EXPECT_FALSE(a.text.empty());
    EXPECT_EQ(a.text, b.text);
    EXPECT_EQ(a.start, b.start);
    EXPECT_EQ(a.end, b.end);
    EXPECT_EQ(a.caret.x, b.caret.x);
    EXPECT_EQ(a.caret.y, b.caret.y);
    skinned->Free();
    twin->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Combo boxes ----

// The whole combo face of our skins, in the frame of the button's state, over what the combo
// painted where the picture is see-through; mirrored for right-to-left windows. A disabled
// combo shows the disabled frame whatever else holds.
TEST_F(EditsTest, AComboShowsItsFaceInEachState) {
  enum class TDo { nothing, hover, press, focus, disable, press_disabled };
  struct Case {
    const char* what;
    TDo act;
    int frame;
    bool rtl = false;
  } cases[] = {
      {"normal", TDo::nothing, kNormal},
      {"hot", TDo::hover, kHot},
      {"pressed", TDo::press, kPressed},
      {"focused", TDo::focus, kHot},
      {"disabled", TDo::disable, kDisabled},
      {"pressed but disabled", TDo::press_disabled, kDisabled},
      {"right to left", TDo::nothing, kNormal, true},
      {"right to left, hot", TDo::hover, kHot, true},
  };
  for (const char* skin_name : {"builtin", "ink", "jade"}) {
    SCOPED_TRACE(skin_name);
    UseSkin(skin_name);
    ASSERT_EQ(Objects().combox->style, 2) << "the layout our skins use";
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      // The last case's mouse moves are over before the next combo takes its place.
      SetCursorPos(1, 1);
      Pump([] { return false; }, 50);
      TComboBox* combo = PlaceCombo(20, 20, TComboBoxStyle::csDropDownList);
      HWND wnd = combo->Handle();
      if (c.rtl) SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
      auto* skinner = SkinAs<TSkinComBox>(TSkinnerKind::ComBox, combo);
      ASSERT_NE(skinner, nullptr);
      ::SetFocus(form->Handle());  // a skin change may have left the focus on the combo
      Repaint(wnd);
      switch (c.act) {
        case TDo::hover: {
          const RECT b = ButtonRect(wnd);
          const POINT at{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
          const POINT screen = combo->ClientToScreen(at);
          SetCursorPos(screen.x, screen.y);
          SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
          break;
        }
        case TDo::press_disabled:
          combo->SetEnabled(false);
          [[fallthrough]];
        case TDo::press:
          skinner->state |= kStatePressed;  // held without opening the list
          break;
        case TDo::focus:
          combo->SetFocus();
          break;
        case TDo::disable:
          combo->SetEnabled(false);
          break;
        case TDo::nothing:
          break;
      }
      auto [own, got] = OwnAndSkinned(wnd);
      EXPECT_TRUE(Shows(got, WindowRect0(wnd), ComboFace(wnd, c.frame, c.rtl), own));
      SetCursorPos(1, 1);
      combo->Free();
    }
  }
  EXPECT_TRUE(dropped.empty());
}

// The button turns hot under the mouse, and back when the mouse moves off it or leaves the
// combo; a disabled combo never turns hot.
TEST_F(EditsTest, HoveringTheButtonMakesItHotUntilTheMouseLeaves) {
  TComboBox* combo = PlaceCombo(20, 20, TComboBoxStyle::csDropDownList);
  HWND wnd = combo->Handle();
  auto* skinner = SkinAs<TSkinComBox>(TSkinnerKind::ComBox, combo);
  Repaint(wnd);
  const RECT b = ButtonRect(wnd);
  const POINT on{(b.left + b.right) / 2, (b.top + b.bottom) / 2}, off{10, on.y};
  auto move = [&](POINT p) {
    const POINT screen = combo->ClientToScreen(p);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    Settle(wnd);
  };
  auto hot = [&] { return (skinner->state & kStateHot) != 0; };
  move(on);
  EXPECT_TRUE(hot());
  const Rows hot_picture = WindowPixels(wnd);
  move(off);
  EXPECT_FALSE(hot()) << "moved off the button";
  EXPECT_FALSE(SamePicture(WindowPixels(wnd), hot_picture)) << "repainted";
  move(on);
  ASSERT_TRUE(hot());
  SetCursorPos(1, 1);  // out of the combo: the system says the mouse left
  EXPECT_TRUE(Pump([&] { return !hot(); }));
  combo->SetEnabled(false);
  move(on);
  EXPECT_FALSE(hot()) << "disabled";
  SetCursorPos(1, 1);
  EXPECT_TRUE(dropped.empty());
}

// A combo whose button is a window of its own but whose first child is not hooked (a Unicode
// window) gets its button where the combo says it is: the face colour there and the skin's
// arrow picture over it.
TEST_F(EditsTest, ASeparateButtonIsDrawnWhereTheComboSaysItIs) {
  TComboBox* combo = PlaceCombo(20, 20, TComboBoxStyle::csDropDownList);
  HWND wnd = combo->Handle();
  auto* skinner = new TSkinComBox(combo);
  skinner->HasButton = true;
  skinner->Init(sf, data, &sf->ControlCanvas(), false);
  EXPECT_EQ(skinner->hbtn, nullptr);
  ::SetFocus(form->Handle());
  auto [own, got] = OwnAndSkinned(wnd);
  RECT b = ButtonRect(wnd);
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  const RECT window = HwndWindowRect(wnd);
  OffsetRect(&b, origin.x - window.left, origin.y - window.top);
  ASSERT_FALSE(IsRectEmpty(&b));
  Rows base = own;
  for (int y = b.top; y < b.bottom; ++y)
    for (int x = b.left; x < b.right; ++x) base[y][x] = ColorToRGB(Face());
  TDataSkinObject& arrow = *Objects().comboxarrow;
  EXPECT_TRUE(Shows(got, WindowRect0(wnd), {TLayer{b, &arrow.Map, kNormal, arrow.frame}}, base));
  combo->Free();
  EXPECT_TRUE(dropped.empty());
}

// The first child of an ANSI combo (its edit) is hooked while the combo is skinned: a press on
// it shows the button pressed, and the hook goes with the skinner. A bare combo's lists keep
// their own scroll bars.
TEST_F(EditsTest, AnAnsiCombosFirstChildIsHookedWhileItIsSkinned) {
  HWND wnd = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN, 20, 20, 160, 200,
                             form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(wnd);
  ASSERT_FALSE(IsWindowUnicode(wnd));
  const int links = TWindowSubclass::LiveLinks();
  auto* skinner = static_cast<TSkinComBox*>(MakeControlSkinner(TSkinnerKind::ComBox, sf));
  skinner->Inithwnd(wnd, data, &sf->ControlCanvas(), sf);
  HWND child = GetWindow(wnd, GW_CHILD);
  ASSERT_TRUE(child);
  EXPECT_EQ(skinner->hbtn, child);
  EXPECT_EQ(skinner->db, nullptr);
  EXPECT_EQ(TWindowSubclass::LiveLinks(), links + 2);
  SendMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(skinner->state & kStatePressed);
  SendMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(skinner->state & kStatePressed);
  delete skinner;
  EXPECT_EQ(TWindowSubclass::LiveLinks(), links);
  DestroyWindow(wnd);
  EXPECT_TRUE(dropped.empty());
}

// A simple combo has no drop-down button: the combo keeps its own look, and its list's scroll
// bars are skinned as those of any bare window, until the combo's skinner goes.
TEST_F(EditsTest, ASimpleComboKeepsItsLookAndItsListGetsSkinnedBars) {
  TComboBox* combo = PlaceCombo(20, 20, TComboBoxStyle::csSimple);
  combo->SetBounds(20, 20, 160, 140);
  HWND wnd = combo->Handle();
  const int links = TWindowSubclass::LiveLinks();
  auto* skinner = SkinAs<TSkinComBox>(TSkinnerKind::ComBox, combo);
  EXPECT_EQ(skinner->db, nullptr);
  ASSERT_NE(skinner->vb, nullptr);
  EXPECT_EQ(skinner->vb->ClassName(), "TSkinScrollbarH");
  EXPECT_EQ(skinner->vb->hwnd, ListOf(wnd));
  ::SetFocus(form->Handle());
  auto [own, got] = OwnAndSkinned(wnd);
  // Above the list, where nothing of the list's bars lies.
  RECT list = HwndWindowRect(ListOf(wnd));
  const RECT window = HwndWindowRect(wnd);
  own.resize(size_t(list.top - window.top));
  got.resize(own.size());
  EXPECT_TRUE(SamePicture(got, own));
  delete skinner;
  EXPECT_EQ(TWindowSubclass::LiveLinks(), links);
  combo->Free();
  EXPECT_TRUE(dropped.empty());
}

// The drop-down list's scroll bar shows the skin's arrows, track, thumb and grip over the
// list's own bar.
TEST_F(EditsTest, TheDropDownListShowsASkinnedScrollBar) {
  TComboBox* combo = PlaceCombo(20, 20, TComboBoxStyle::csDropDownList);
  HWND wnd = combo->Handle();
  auto* skinner = SkinAs<TSkinComBox>(TSkinnerKind::ComBox, combo);
  ASSERT_NE(skinner->db, nullptr);
  HWND list = ListOf(wnd);
  EXPECT_EQ(skinner->db->hwnd, list);
  combo->SetDroppedDown(true);
  ASSERT_TRUE(Pump([&] { return IsWindowVisible(list) != FALSE; }));
  SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 7), 0);  // the thumb off the top
  Settle(list);
  const Rows got = WindowPixels(list);

  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &bar));
  const RECT window = HwndWindowRect(list);
  TSkinObjects& s = Objects();
  const int cw = GetSystemMetrics(SM_CXHSCROLL);
  const int t = std::abs(s.SArrow->Map.Height() - cw) > 2 ? cw : s.SArrow->Map.Height();
  const int x0 = bar.rcScrollBar.left - window.left, y0 = bar.rcScrollBar.top - window.top;
  const int len = H(bar.rcScrollBar);
  ASSERT_GT(len, 2 * cw);
  ASSERT_GT(bar.xyThumbTop, cw);
  const RECT area{x0, y0, x0 + t, y0 + len};
  auto at = [&](int top, int bottom) { return RECT{x0, y0 + top, x0 + t, y0 + bottom}; };
  const int g = s.SArrow->Map.Height(), thumb = bar.xyThumbBottom - bar.xyThumbTop;
  std::vector<TLayer> layers = {
      {at(cw, len - cw), &s.VBar->Map, 1, 4, MarginRect(s.VBar->r), s.VBar->trans == 1},
      {at(0, cw), &s.SArrow->Map, 9, 23},
      {at(len - cw, len), &s.SArrow->Map, 13, 23},
      {at(bar.xyThumbTop, bar.xyThumbBottom), &s.VSlider->Map, 1, s.VSlider->frame, MarginRect(s.VSlider->r),
       s.VSlider->trans == 1},
  };
  if (g < thumb + 2) {
    const int o = (thumb - g) / 2;
    layers.push_back({at(bar.xyThumbTop + o, bar.xyThumbTop + o + g), &s.SArrow->Map, 20, 23});
  }
  EXPECT_TRUE(Shows(got, area, layers, Fill(W(WindowRect0(list)), H(WindowRect0(list)), Face())));
  combo->SetDroppedDown(false);
  EXPECT_TRUE(dropped.empty());
}

// Opened and scrolled by dragging the thumb past either end, a skinned combo's list stops
// where the list itself lets an unskinned one go (the last page, nMax - nPage + 1, and the first
// item); an item picked from it is the combo's, as it is on the unskinned one.
TEST_F(EditsTest, TheListOpensScrollsAndPicksAsAnUnskinnedOnesDoes) {
  struct TResult {
    int bottom_top = -1, top_top = -1, picked = -1;
    std::wstring text;
  };
  auto drive = [&](TComboBox* combo, bool skinned) {
    HWND wnd = combo->Handle();
    HWND list = ListOf(wnd);
    TResult r;
    combo->SetDroppedDown(true);
    EXPECT_TRUE(Pump([&] { return IsWindowVisible(list) != FALSE; }));
    Settle(list);
    // Takes the thumb and lets it go dy pixels lower; unskinned, the list scrolls as far as it
    // lets itself.
    auto scroll = [&](int dy) {
      if (!skinned) {
        SendMessageW(list, LB_SETTOPINDEX, dy > 0 ? combo->Count() : 0, 0);
        return static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
      }
      SCROLLBARINFO bar{};
      bar.cbSize = sizeof bar;
      EXPECT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &bar));
      const POINT press{(bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
                        bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2};
      POINT to{press.x, press.y + dy};
      ScreenToClient(list, &to);
      SetCursorPos(press.x, press.y);
      PostMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
      PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
      SendMessageW(list, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(press.x, press.y));
      Settle(list);
      return static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    };
    r.bottom_top = scroll(2000);
    r.top_top = scroll(-2000);
    scroll(2000);
    // Pick the second item the list shows.
    RECT item{};
    const int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    SendMessageW(list, LB_GETITEMRECT, top + 1, reinterpret_cast<LPARAM>(&item));
    const POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_TRUE(Pump([&] { return !IsWindowVisible(list); }));
    r.picked = combo->ItemIndex();
    r.text = combo->GetText();
    return r;
  };
  TComboBox* twin = PlaceCombo(20, 120, TComboBoxStyle::csDropDownList);
  const TResult plain = drive(twin, false);
  TComboBox* combo = PlaceCombo(20, 20, TComboBoxStyle::csDropDownList);
  auto* skinner = SkinAs<TSkinComBox>(TSkinnerKind::ComBox, combo);
  ASSERT_NE(skinner->db, nullptr);
  const TResult skinned = drive(combo, true);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(ListOf(combo->Handle()), SB_VERT, &si);
  EXPECT_EQ(skinned.bottom_top, si.nMax - int(si.nPage) + 1);
  EXPECT_EQ(skinned.top_top, 0);
  EXPECT_EQ(skinned.bottom_top, plain.bottom_top);
  EXPECT_EQ(skinned.top_top, plain.top_top);
  EXPECT_EQ(skinned.picked, plain.picked);
  EXPECT_EQ(skinned.text, plain.text);
  EXPECT_GT(skinned.picked, 0);
  SetCursorPos(1, 1);
  EXPECT_TRUE(dropped.empty());
}

// ---- Date pickers ----

// The picker gets the skin's arrow over its own button (at the left for right-to-left
// windows), hot under the mouse unless the picker is disabled; clicked, it opens the picker's
// calendar.
TEST_F(EditsTest, ThePickersArrowButtonOpensItsCalendar) {
  for (bool rtl : {false, true}) {
    SCOPED_TRACE(rtl ? "right to left" : "left to right");
    auto* picker = Place<TDateTimePicker>(20, 20, 160, 24);
    HWND wnd = picker->Handle();
    if (rtl) SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    auto* skinner = SkinAs<TSkinDateTime>(TSkinnerKind::DateTime, picker);
    ASSERT_NE(skinner, nullptr);
    ASSERT_NE(skinner->arrow, nullptr);
    Repaint(wnd);
    HWND arrow = skinner->arrow->Handle();
    EXPECT_EQ(GetParent(arrow), wnd);
    const int cw = GetSystemMetrics(SM_CXHSCROLL);
    const RECT whole = WindowRect0(wnd);
    RECT at = HwndWindowRect(arrow);
    MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&at), 2);
    EXPECT_EQ(at.left, rtl ? 2 : whole.right - cw - 4);
    EXPECT_EQ(at.top, 0);
    EXPECT_EQ(W(at), cw);
    EXPECT_EQ(H(at), whole.bottom - 4);

    TDataSkinObject& image = *Objects().comboxarrow;
    auto shows = [&](int frame) {
      return Shows(WindowPixels(arrow), WindowRect0(arrow),
                   {TLayer{WindowRect0(arrow), &image.Map, frame, image.frame, {}, false}},
                   Fill(W(at), H(at), Face()));
    };
    EXPECT_TRUE(shows(kNormal));
    const POINT centre = skinner->arrow->ClientToScreen(POINT{cw / 2, H(at) / 2});
    SetCursorPos(centre.x, centre.y);
    SendMessageW(arrow, WM_MOUSEMOVE, 0, MAKELPARAM(cw / 2, H(at) / 2));
    Settle(arrow);
    EXPECT_TRUE(shows(kHot));
    SetCursorPos(1, 1);
    EXPECT_TRUE(Pump([&] { return !(skinner->arrow->state & kStateHot); }));

    // The press goes to the picker where the arrow lies, over the picker's own button; at the
    // left of a right-to-left picker this picker has none.
    HWND calendar = reinterpret_cast<HWND>(SendMessageW(wnd, DTM_GETMONTHCAL, 0, 0));
    EXPECT_FALSE(calendar && IsWindowVisible(calendar));
    if (!rtl) {
    PostMessageW(arrow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cw / 2, H(at) / 2));
    PostMessageW(arrow, WM_LBUTTONUP, 0, MAKELPARAM(cw / 2, H(at) / 2));
    EXPECT_TRUE(Pump([&] {
      HWND cal = reinterpret_cast<HWND>(SendMessageW(wnd, DTM_GETMONTHCAL, 0, 0));
      return cal && IsWindowVisible(cal);
    }));
    }
    picker->SetEnabled(false);
    Pump([] { return false; }, 50);
    SetCursorPos(centre.x, centre.y);
    SendMessageW(arrow, WM_MOUSEMOVE, 0, MAKELPARAM(cw / 2, H(at) / 2));
    EXPECT_FALSE(skinner->arrow->state & kStateHot) << "disabled";
    SetCursorPos(1, 1);
    picker->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Damaged skins ----

// Without a usable combo picture the combo keeps its own look; with fewer frames than the
// state asks for it shows the normal one; a picker without a usable arrow picture shows the
// face colour there; a list without usable arrows keeps its own bar. Nothing fails.
TEST_F(EditsTest, ADamagedSkinLeavesThePlainLookOrWhatItHolds) {
  struct Case {
    const char* what;
    std::function<void(TSkinObjects&)> damage;
    bool plain_combo;
  } cases[] = {
      {"no combo picture", [](TSkinObjects& s) { s.combox.reset(); }, true},
      {"a combo picture of no width", [](TSkinObjects& s) { s.combox->Map.SetSize(0, 21); }, true},
      {"a combo picture without a frame count", [](TSkinObjects& s) { s.combox->frame = 0; }, true},
      {"a combo picture of fewer frames than asked", [](TSkinObjects& s) { s.combox->frame = 2; }, false},
      {"a combo picture narrower than its frames", [](TSkinObjects& s) { s.combox->frame = 100000; }, true},
      {"no arrow pictures", [](TSkinObjects& s) { s.comboxarrow->frame = 0; s.SArrow->Map.SetSize(0, 16); }, false},
      {"arrow pictures of one frame", [](TSkinObjects& s) { s.comboxarrow->frame = 1; s.SArrow.reset(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseSkin("builtin");
    c.damage(Objects());
    TComboBox* combo = PlaceCombo(20, 20, TComboBoxStyle::csDropDownList);
    HWND wnd = combo->Handle();
    auto* skinner = SkinAs<TSkinComBox>(TSkinnerKind::ComBox, combo);
    ::SetFocus(form->Handle());
    Repaint(wnd);
    const POINT screen = combo->ClientToScreen(POINT{150, 10});
    SetCursorPos(screen.x, screen.y);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(150, 10));  // hot: frame 4
    auto [own, got] = OwnAndSkinned(wnd);
    if (c.plain_combo) {
      EXPECT_TRUE(SamePicture(got, own));
    } else if (Objects().combox && Objects().combox->frame == 2) {
      EXPECT_TRUE(skinner->state & kStateHot);
      TDataSkinBorder& face = *Objects().combox;
      EXPECT_TRUE(Shows(got, WindowRect0(wnd), {TLayer{WindowRect0(wnd), &face.Map, 1, 2, MarginRect(face.r)}}, own));
    }
    combo->SetDroppedDown(true);
    Settle(ListOf(wnd));
    combo->SetDroppedDown(false);

    auto* picker = Place<TDateTimePicker>(20, 80, 160, 24);
    auto* dt = SkinAs<TSkinDateTime>(TSkinnerKind::DateTime, picker);
    Repaint(picker->Handle());
    if (Objects().comboxarrow->frame == 0) {
      HWND arrow = dt->arrow->Handle();
      EXPECT_TRUE(SamePicture(WindowPixels(arrow), Fill(W(WindowRect0(arrow)), H(WindowRect0(arrow)), Face())));
    }
    SetCursorPos(1, 1);
    combo->Free();
    picker->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

// ---- Letting go ----

// Skinners of edits, combos (with their list's painter) and pickers attached and let go in
// every order: by the skinner first, by the control first, by the whole form, or switched off
// and unsubclassed. Every GDI and USER object and every binding comes back, and an unsubclassed
// combo and picker look like their unskinned twins.
TEST_F(EditsTest, NothingIsLeftHoweverTheSkinnersAndControlsGo) {
  auto place = [this](TTestForm* f, TWinSkinForm* host, int y) {
    auto* edit = new TEdit(f);
    edit->SetParent(f);
    edit->SetBounds(10, y, 150, 24);
    auto* combo = new TComboBox(f);
    combo->SetParent(f);
    combo->SetStyle(TComboBoxStyle::csDropDownList);
    combo->SetBounds(170, y, 150, 24);
    for (int i = 0; i < 20; ++i) combo->AddItem(L"方 " + std::to_wstring(i));
    auto* picker = new TDateTimePicker(f);
    picker->SetParent(f);
    picker->SetBounds(10, y + 40, 150, 24);
    std::vector<TSkinControl*> skinners;
    const std::pair<TWinControl*, TSkinnerKind> all[] = {
        {edit, TSkinnerKind::Edit}, {combo, TSkinnerKind::ComBox}, {picker, TSkinnerKind::DateTime}};
    for (auto [control, kind] : all) {
      TSkinControl* s = MakeControlSkinner(kind, control);
      s->Init(host, data, &host->ControlCanvas(), false);
      skinners.push_back(s);
    }
    combo->SetDroppedDown(true);
    Pump([] { return false; }, 30);
    combo->SetDroppedDown(false);
    RedrawWindow(f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Settle(f->Handle());
    return std::make_pair(std::vector<TWinControl*>{edit, combo, picker}, skinners);
  };
  auto skinners_first = [&] {
    auto [controls, skinners] = place(form, sf, 10);
    for (TSkinControl* s : skinners) {
      s->Unsubclass();
      delete s;
    }
    EXPECT_TRUE(sf->Controllist.empty());
    for (TWinControl* c : controls) c->Free();
  };
  auto controls_first = [&] {
    for (TWinControl* c : place(form, sf, 10).first) c->Free();
    EXPECT_TRUE(sf->Controllist.empty());
  };
  auto form_first = [&] {
    TTestForm* other = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"other", 80, 80);
    TWinSkinForm* host = Attach(other);
    place(other, host, 10);
    other->Free();
    Pump([] { return false; }, 50);
  };
  auto windows_first = [&] {
    auto [controls, skinners] = place(form, sf, 10);
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

  // Unsubclassed, a combo and a picker look like twins that were never skinned.
  for (bool picker : {false, true}) {
    SCOPED_TRACE(picker ? "picker" : "combo");
    auto make = [&](int y) -> TWinControl* {
      if (picker) return Place<TDateTimePicker>(20, y, 160, 24);
      return PlaceCombo(20, y, TComboBoxStyle::csDropDownList);
    };
    TWinControl* control = make(20);
    TWinControl* twin = make(120);
    TSkinControl* s = MakeControlSkinner(picker ? TSkinnerKind::DateTime : TSkinnerKind::ComBox, control);
    s->Init(sf, data, &sf->ControlCanvas(), false);
    Repaint(control->Handle());
    Repaint(twin->Handle());
    EXPECT_FALSE(SamePicture(WindowPixels(control->Handle()), WindowPixels(twin->Handle())));
    s->Unsubclass();
    delete s;
    Repaint(control->Handle());
    EXPECT_TRUE(SamePicture(WindowPixels(control->Handle()), WindowPixels(twin->Handle())));
    control->Free();
    twin->Free();
  }
  EXPECT_TRUE(dropped.empty());
}

}  // namespace
}  // namespace qn::test
