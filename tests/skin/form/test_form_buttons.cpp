// Caption buttons, the title bar's mouse handling and hit test, hints and the skinned system
// menu of a skinned window under Wine, driven by the non-client messages the system sends.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <functional>

#include "platform/win/Subclass.h"
#include "platform/win/WinUtil.h"
#include "skin/manager/WinSkinDlg.h"
#include "tests/skin/form/FormFixture.h"

namespace qn::test {
namespace {

TWinSysButton* Button(TWinSkinForm* sf, int action) {
  for (auto& b : sf->SysBtn)
    if (b->data->Action == action && b->visible) return b.get();
  return nullptr;
}

// A point of the window (window coordinates) as the mouse messages carry it.
LPARAM At(HWND wnd, int x, int y) {
  const RECT r = HwndWindowRect(wnd);
  return MAKELPARAM(r.left + x, r.top + y);
}

LPARAM Centre(HWND wnd, const RECT& b) { return At(wnd, (b.left + b.right) / 2, (b.top + b.bottom) / 2); }

Rows ButtonPixels(HWND wnd) { return WindowPixels(wnd); }

TEST_F(FormTest, CaptionButtonsShowHotAndPressedFramesAndDoTheirWork) {
  TTestForm* f = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"青囊珍藏");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  struct Case {
    int action;
    int xcoord;  // the built-in skin's distance of the button from the right edge
    std::function<bool()> done;
    std::function<void()> undo;
  } cases[] = {
      {0, 19, [&] { return f->closes == 1; }, [&] {
         // The program refused to close: the button still sees the mouse leave.
         SetCursorPos(900, 700);
         EXPECT_TRUE(Pump([&] { return sf->ActiveBtn == nullptr; }));
       }},
      {1, 34, [&] { return IsZoomed(wnd) != FALSE; }, [&] {
         // Clicked again on the maximised window, the same button restores it.
         Activate(wnd, sf);
         TWinSysButton* max = Button(sf, 1);
         ASSERT_NE(max, nullptr);
         EXPECT_EQ(max->bounds.left, WindowRect0(wnd).right - 34);
         SendMessageW(wnd, WM_NCLBUTTONDOWN, HTCAPTION, Centre(wnd, max->bounds));
         SendMessageW(wnd, WM_NCLBUTTONUP, HTCAPTION, Centre(wnd, max->bounds));
         EXPECT_TRUE(Pump([&] { return !IsZoomed(wnd); }));
       }},
      {2, 49, [&] { return IsIconic(wnd) != FALSE; }, [&] {
         ShowWindow(wnd, SW_RESTORE);
         EXPECT_TRUE(Pump([&] { return !IsIconic(wnd); }));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "action " << c.action);
    Activate(wnd, sf);
    TWinSysButton* b = Button(sf, c.action);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->bounds.left, WindowRect0(wnd).right - c.xcoord);
    EXPECT_EQ(b->bounds.top, 7);
    EXPECT_TRUE(ButtonShows(ButtonPixels(wnd), b->bounds, *b->data, 1));

    SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, Centre(wnd, b->bounds));
    EXPECT_EQ(sf->ActiveBtn, b);
    EXPECT_TRUE(ButtonShows(ButtonPixels(wnd), b->bounds, *b->data, 3));
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTCAPTION, Centre(wnd, b->bounds));
    EXPECT_TRUE(ButtonShows(ButtonPixels(wnd), b->bounds, *b->data, 2));
    SendMessageW(wnd, WM_NCLBUTTONUP, HTCAPTION, Centre(wnd, b->bounds));
    EXPECT_TRUE(Pump(c.done)) << "no effect";
    c.undo();
  }
  // Pressed on a button and let go elsewhere: nothing happens.
  Activate(wnd, sf);
  TWinSysButton* close = Button(sf, 0);
  SendMessageW(wnd, WM_NCLBUTTONDOWN, HTCAPTION, Centre(wnd, close->bounds));
  SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, At(wnd, 100, 12));
  EXPECT_EQ(sf->ActiveBtn, nullptr);
  EXPECT_TRUE(ButtonShows(ButtonPixels(wnd), close->bounds, *close->data, 1));
  SendMessageW(wnd, WM_NCLBUTTONUP, HTCAPTION, At(wnd, 100, 12));
  MSG queued;
  EXPECT_FALSE(PeekMessageW(&queued, wnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_NOREMOVE));
  Application->ProcessMessages();
  EXPECT_EQ(f->closes, 1);
  // And let go on the button after leaving it: the press was given up when the mouse left.
  SendMessageW(wnd, WM_NCLBUTTONUP, HTCAPTION, Centre(wnd, close->bounds));
  Application->ProcessMessages();
  EXPECT_EQ(f->closes, 1);
}

TEST_F(FormTest, TheHelpButtonOfTheBuiltInSkinIsShownButDoesNotReact) {
  // Action -1: shown on windows with the context-help style, never hit.
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSingle, kSysOnly | (1u << biHelp), L"help");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  Activate(wnd, sf);
  TWinSysButton* help = Button(sf, -1);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->bounds.left, WindowRect0(wnd).right - 34);
  EXPECT_TRUE(ButtonShows(ButtonPixels(wnd), help->bounds, *help->data, 1));
  // Whatever the hit test said, the skinner finds no button there.
  SendMessageW(wnd, WM_NCMOUSEMOVE, HTNOWHERE, Centre(wnd, help->bounds));
  SendMessageW(wnd, WM_NCLBUTTONDOWN, HTNOWHERE, Centre(wnd, help->bounds));
  EXPECT_EQ(sf->ActiveBtn, nullptr);
  EXPECT_EQ(help->state, 1);
  SendMessageW(wnd, WM_NCLBUTTONUP, HTNOWHERE, Centre(wnd, help->bounds));
  EXPECT_TRUE(ButtonShows(ButtonPixels(wnd), help->bounds, *help->data, 1));
  // A click of a button of an action the skinner does not know posts that action to the
  // program; a context-help button would post its system command.
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, wnd, WM_SKINBUTTONACTION, WM_SKINBUTTONACTION, PM_NOREMOVE));
  EXPECT_FALSE(PeekMessageW(&m, wnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_NOREMOVE));
  // Without minimise and maximise boxes the maximise button, which shares its place, is gone.
  EXPECT_EQ(Button(sf, 1), nullptr);
}

TEST_F(FormTest, DoubleClicksOnTheCaptionMaximiseAndRestoreAndOnTheIconClose) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"青囊");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  SendMessageW(wnd, WM_NCLBUTTONDBLCLK, HTCAPTION, At(wnd, 150, 12));
  EXPECT_TRUE(Pump([&] { return IsZoomed(wnd) && sf->Windowstate == TSkinWindowState::swsMax; }));
  SendMessageW(wnd, WM_NCLBUTTONDBLCLK, HTCAPTION, At(wnd, 150, 12));
  EXPECT_TRUE(Pump([&] { return !IsZoomed(wnd) && sf->Windowstate == TSkinWindowState::swsNormal; }));
  // A double click on a border is no request.
  SendMessageW(wnd, WM_NCLBUTTONDBLCLK, HTBOTTOM, At(wnd, 150, WindowRect0(wnd).bottom - 1));
  Application->ProcessMessages();
  EXPECT_FALSE(IsZoomed(wnd));
  // The icon button (the built-in skin's sits at 7, 4) closes the window.
  TWinSysButton* icon = Button(sf, 3);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->bounds.left, 7);
  EXPECT_EQ(icon->bounds.top, 4);
  SendMessageW(wnd, WM_NCLBUTTONDBLCLK, HTCAPTION, Centre(wnd, icon->bounds));
  EXPECT_TRUE(Pump([&] { return f->closes == 1; }));
  EXPECT_FALSE(IsZoomed(wnd));
}

TEST_F(FormTest, HitTestAnswersCaptionInTheTitleAndKeepsTheBorders) {
  TTestForm* sizeable = MakeForm(300, 160, TFormBorderStyle::bsSizeable, kAllBoxes, L"sizeable");
  TWinSkinForm* s1 = Attach(sizeable);
  TTestForm* single = MakeForm(300, 160, TFormBorderStyle::bsSingle, kSysOnly, L"single", 400, 300);
  TWinSkinForm* s2 = Attach(single);
  struct Case {
    TTestForm* form;
    TWinSkinForm* sf;
    int x, y;  // window coordinates; negative: from the right or bottom edge
    LRESULT want;
    const char* where;
  } cases[] = {
      {sizeable, s1, 150, 12, HTCAPTION, "the title"},
      {sizeable, s1, 150, 24, HTCAPTION, "the title's last row, below the native caption"},
      {sizeable, s1, -14, 12, HTCAPTION, "the close button (the skinner's own)"},
      {sizeable, s1, 150, 60, HTCLIENT, "the client area"},
      {sizeable, s1, 1, 80, HTLEFT, "the left border"},
      {sizeable, s1, -2, 80, HTRIGHT, "the right border"},
      {sizeable, s1, 150, -2, HTBOTTOM, "the bottom border"},
      {sizeable, s1, 150, 1, HTTOP, "the top border"},
      {single, s2, 150, 12, HTCAPTION, "the title of a fixed frame"},
      {single, s2, 1, 80, HTBORDER, "the border of a fixed frame"},
  };
  for (const Case& c : cases) {
    const RECT w = WindowRect0(c.form->Handle());
    const int x = c.x < 0 ? w.right + c.x : c.x, y = c.y < 0 ? w.bottom + c.y : c.y;
    EXPECT_EQ(SendMessageW(c.form->Handle(), WM_NCHITTEST, 0, At(c.form->Handle(), x, y)), c.want) << c.where;
  }
  (void)s2;
}

TEST_F(FormTest, ACaptionButtonShowsItsHintWhileTheMouseRestsOnIt) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSingle, kSysOnly, L"hint");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  Activate(wnd, sf);
  TWinSysButton* close = Button(sf, 0);
  ASSERT_NE(close, nullptr);
  const LPARAM p = Centre(wnd, close->bounds);
  SetCursorPos(GET_X_LPARAM(p), GET_Y_LPARAM(p));
  SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, p);
  EXPECT_TRUE(Pump([&] { return data->IsHint(); }, 4000));
  // The mouse gone, the next tick lets go of the button and hides the hint.
  SetCursorPos(900, 700);
  EXPECT_TRUE(Pump([&] { return !data->IsHint() && sf->ActiveBtn == nullptr; }, 2000));
  EXPECT_EQ(close->state, 1);
  EXPECT_TRUE(ButtonShows(ButtonPixels(wnd), close->bounds, *close->data, 1));
}

UINT StateOf(HMENU menu, UINT command) { return GetMenuState(menu, command, MF_BYCOMMAND); }

TEST_F(FormTest, TheSkinnedSystemMenuMirrorsTheWindowsAndEnablesByItsState) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"menu");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  HMENU native = GetSystemMenu(wnd, FALSE);
  HMENU menu = sf->BuildSystemMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), GetMenuItemCount(native));
  for (int i = 0; i < GetMenuItemCount(native); ++i) {
    wchar_t a[81] = {}, b[81] = {};
    GetMenuStringW(native, UINT(i), a, 80, MF_BYPOSITION);
    GetMenuStringW(menu, UINT(i), b, 80, MF_BYPOSITION);
    EXPECT_STREQ(a, b);
    EXPECT_EQ(GetMenuItemID(native, i), GetMenuItemID(menu, i));
  }
  struct Case {
    UINT command;
    bool normal, maximised;  // enabled
  } cases[] = {
      {SC_RESTORE, false, true}, {SC_MOVE, true, false},     {SC_SIZE, true, false},
      {SC_MINIMIZE, true, true}, {SC_MAXIMIZE, true, false}, {SC_CLOSE, true, true},
  };
  for (const Case& c : cases) EXPECT_EQ(!(StateOf(menu, c.command) & MF_GRAYED), c.normal) << std::hex << c.command;
  ShowWindow(wnd, SW_MAXIMIZE);
  ASSERT_TRUE(Pump([&] { return sf->Windowstate == TSkinWindowState::swsMax; }));
  menu = sf->BuildSystemMenu();
  for (const Case& c : cases) EXPECT_EQ(!(StateOf(menu, c.command) & MF_GRAYED), c.maximised) << std::hex << c.command;
  ShowWindow(wnd, SW_RESTORE);

  // Without the boxes, minimising and maximising are not offered.
  TTestForm* plain = MakeForm(200, 100, TFormBorderStyle::bsSingle, kSysOnly, L"plain", 500, 400);
  TWinSkinForm* sp = Attach(plain);
  menu = sp->BuildSystemMenu();
  EXPECT_TRUE(StateOf(menu, SC_MINIMIZE) == UINT(-1) || (StateOf(menu, SC_MINIMIZE) & MF_GRAYED));
  EXPECT_TRUE(StateOf(menu, SC_MAXIMIZE) == UINT(-1) || (StateOf(menu, SC_MAXIMIZE) & MF_GRAYED));
}

// What the menu loop showed, found from inside it; then Close chosen with the keyboard.
struct TMenuWatch {
  int menutype = -1;
  bool popup = false;
  int downs = 0;  // arrow presses that reach Close (separators are skipped)
  static BOOL CALLBACK Find(HWND wnd, LPARAM self) {
    if (GetWndClassName(wnd) == L"#32768" && IsWindowVisible(wnd)) reinterpret_cast<TMenuWatch*>(self)->popup = true;
    return TRUE;
  }
};
TMenuWatch* g_menu = nullptr;
HWND g_owner = nullptr;

void CALLBACK MenuTick(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (!g_menu) return;
  if (TSkinManage* m = SkinManager()) g_menu->menutype = m->menutype;
  EnumThreadWindows(GetCurrentThreadId(), TMenuWatch::Find, reinterpret_cast<LPARAM>(g_menu));
  for (int i = 0; i < g_menu->downs; ++i) PostMessageW(g_owner, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(g_owner, WM_KEYDOWN, g_menu->downs ? VK_RETURN : VK_ESCAPE, 0);
}

TEST_F(FormTest, ARightClickOnTheCaptionOpensTheSystemMenuWhoseItemsAreSystemCommands) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"menu");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  Activate(wnd, sf);
  TMenuWatch watch;
  HMENU native = GetSystemMenu(wnd, FALSE);
  for (int i = 0; i < GetMenuItemCount(native); ++i) {
    if (!(GetMenuState(native, UINT(i), MF_BYPOSITION) & MF_SEPARATOR)) ++watch.downs;
    if (GetMenuItemID(native, i) == SC_CLOSE) break;
  }
  g_menu = &watch;
  g_owner = wnd;
  SetTimer(nullptr, 0, 100, MenuTick);
  SendMessageW(wnd, WM_NCRBUTTONDOWN, HTCAPTION, At(wnd, 150, 12));
  g_menu = nullptr;
  EXPECT_TRUE(watch.popup);
  EXPECT_EQ(watch.menutype, 2);
  // Close was chosen: the window is asked to close as by its system menu.
  EXPECT_TRUE(Pump([&] { return f->closes == 1; }));
}

// An icon of one colour throughout.
TIconHandle SolidIcon(int size, TColor color) {
  TBitmap picture(size, size, TPixelFormat::pf24bit);
  TBrushHandle brush = MakeSolidBrush(color);
  RECT all{0, 0, size, size};
  FillRect(picture.DC(), &all, brush.Get());
  const std::vector<BYTE> opaque(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
  TBitmapHandle mask(CreateBitmap(size, size, 1, 1, opaque.data()));
  ICONINFO info{TRUE, 0, 0, mask.Get(), picture.Handle()};
  return TIconHandle(CreateIconIndirect(&info));
}

TEST_F(FormTest, TheTitleIconIsRedrawnWhenTheWindowGetsAnotherIcon) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSingle, kSysOnly, L"青囊");
  HWND wnd = f->Handle();
  TWinSkinForm* sf = Attach(f);
  Activate(wnd, sf);
  const int cx = GetSystemMetrics(SM_CXSMICON);
  struct Case {
    const char* name;
    int size;
    TColor color;
  } const cases[] = {
      {"small icon", cx, RGB(200, 0, 0)},
      {"another small icon", cx, RGB(0, 0, 200)},
      {"a large icon, shrunk", cx * 2, RGB(0, 160, 0)},
      {"the first colour again, in a new icon", cx, RGB(200, 0, 0)},
  };
  std::vector<TIconHandle> icons;  // kept while the window may use them
  for (const Case& c : cases) {
    icons.push_back(SolidIcon(c.size, c.color));
    SendMessageW(wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.back().Get()));
    ASSERT_EQ(sf->FormIconPicture().Width(), cx) << c.name;
    EXPECT_EQ(ImagePixel(sf->FormIconPicture(), cx / 2, cx / 2), c.color) << c.name;
  }
  f->Free();  // before the icons it shows
}

TEST_F(FormTest, AttachingPaintingAndDetachingLeaveNoHandlesBehind) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"青囊");
  HWND wnd = f->Handle();
  auto cycle = [&] {
    TWinSkinForm* sf = Attach(f);
    Activate(wnd, sf);
    if (TWinSysButton* close = Button(sf, 0)) {
      SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, Centre(wnd, close->bounds));
      SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, At(wnd, 100, 12));
    }
    (void)sf->BuildSystemMenu();
    sf->UnSubclass();
    delete sf;
  };
  cycle();  // the drawing routines keep their buffers from the first paint on
  const int gdi = LiveGdiHandles(), user = LiveUserHandles(), links = TWindowSubclass::LiveLinks();
  for (int i = 0; i < 30; ++i) cycle();
  EXPECT_EQ(LiveGdiHandles(), gdi);
  EXPECT_EQ(LiveUserHandles(), user);
  EXPECT_EQ(TWindowSubclass::LiveLinks(), links);
  // A skinned window destroyed with its skinner attached lets go of everything too.
  TWinSkinForm* sf = Attach(f);
  (void)sf;
  f->Free();  // frees the skinner it owns
  EXPECT_EQ(TWindowSubclass::LiveLinks(), links);
  EXPECT_LE(LiveGdiHandles(), gdi);
}

}  // namespace
}  // namespace qn::test
