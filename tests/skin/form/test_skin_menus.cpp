// The skinned menu bar, its popups and their owner-drawn items, the skinned system menu and the
// popup-menu windows' skinned border, under Wine: real windows with native menus, the modal
// menu loops driven by a thread timer that a watchdog ends, and the pixels read back and
// compared with pictures worked out from the skin's images.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/win/ImgList.h"
#include "platform/win/Menus.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Subclass.h"
#include "platform/win/WinUtil.h"
#include "skin/form/WinSkinMenuBar.h"
#include "skin/manager/WinSkinDlg.h"
#include "tests/skin/form/FormFixture.h"

namespace qn::test {
namespace {

constexpr UINT kOpen = 101, kClose = 102, kGrey = 103, kInner = 104, kCopy = 201, kHelp = 301;

// The native menu bar of the tests: File (with a shortcut, a separator, a checked item, a
// disabled one and a submenu), Edit, and Help without subitems.
HMENU MakeBar() {
  HMENU inner = CreatePopupMenu();
  AppendMenuW(inner, MF_STRING, kInner, L"&Inner");
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kOpen, L"&Open\tCtrl+O");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING | MF_CHECKED, kClose, L"&Close");
  AppendMenuW(file, MF_STRING | MF_GRAYED, kGrey, L"&Grey");
  AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), L"&More");
  HMENU edit = CreatePopupMenu();
  AppendMenuW(edit, MF_STRING, kCopy, L"&Copy");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
  AppendMenuW(bar, MF_STRING, kHelp, L"&Help");
  return bar;
}

BOOL CALLBACK AddPopup(HWND wnd, LPARAM list) {
  if (GetWndClassName(wnd) == L"#32768" && IsWindowVisible(wnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(wnd);
  return TRUE;
}

// The open popup-menu windows of this thread, newest first.
std::vector<HWND> OpenPopups() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), AddPopup, reinterpret_cast<LPARAM>(&found));
  return found;
}

HMENU MenuOf(HWND popup) { return reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0)); }

HWND PopupShowing(HMENU menu) {
  for (HWND p : OpenPopups())
    if (MenuOf(p) == menu) return p;
  return nullptr;
}

bool Hilited(HMENU menu, int pos) { return (GetMenuState(menu, UINT(pos), MF_BYPOSITION) & MF_HILITE) != 0; }

// A script run from a thread timer inside the modal menu loops: each step runs until it says
// it is done. A watchdog ends every menu when the script takes too long.
struct TScript {
  std::vector<std::function<bool()>> steps;
  size_t at = 0;
  DWORD started = 0;
  bool timed_out = false;
};
TScript* g_script = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  TScript* s = g_script;
  static bool running = false;  // a step that pumps must not run itself again
  if (!s || running) return;
  struct TRunning {
    TRunning() { running = true; }
    ~TRunning() { running = false; }
  } guard;
  if (GetTickCount() - s->started > 8000) {
    s->timed_out = true;
    EndMenu();
    return;
  }
  while (s->at < s->steps.size() && s->steps[s->at]()) ++s->at;
}

// A step that lets the popup settle (paint) for a few ticks.
std::function<bool()> Settle() {
  auto ticks = std::make_shared<int>(0);
  return [ticks] { return ++*ticks > 8; };
}

// Runs `start` (which enters the menu loop) with the script driving the loop from inside.
void RunScript(TScript& script, const std::function<void()>& start) {
  script.started = GetTickCount();
  g_script = &script;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, ScriptTick);
  start();
  // A menu opened by a posted request opens in the message loop.
  Application->PumpUntil([&] { return script.timed_out || (script.at == script.steps.size() && OpenPopups().empty()); },
                         10000);
  KillTimer(nullptr, timer);
  g_script = nullptr;
  EXPECT_FALSE(script.timed_out) << "the menu loop was ended by the watchdog at step " << script.at;
}

// Counts the commands the window receives, before anything else sees them.
struct TCommandLog {
  explicit TCommandLog(HWND wnd) {
    (void)link.Install(wnd, [this](TMessage& m) {
      if (m.Msg == WM_COMMAND) ++counts[LOWORD(m.WParam)];
      link.CallPrevious(m);
    });
  }
  int Count(UINT id) { return counts[id]; }
  int Total() const {
    int n = 0;
    for (const auto& [id, c] : counts) n += c;
    return n;
  }
  std::map<UINT, int> counts;
  TWindowSubclass link;
};

// Pixel (x, y) of a rows picture.
TColor At(const Rows& px, int x, int y) { return px[size_t(y)][size_t(x)]; }

// A click of the popup's item at a screen point, as the menu loop takes it.
void ClickAt(HWND, POINT screen) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3] = {};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = (screen.x * 65535 + w / 2) / (w - 1);
    i.mi.dy = (screen.y * 65535 + h / 2) / (h - 1);
    i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  }
  in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

LPARAM Screen(HWND wnd, POINT frame) {
  const RECT r = HwndWindowRect(wnd);
  return MAKELPARAM(r.left + frame.x, r.top + frame.y);
}
POINT Mid(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The tests attach the form skinners themselves: the manager admits no window.
struct TNoForms {
  void Skin(TObject*, const std::wstring&, bool& skin) { skin = false; }
};

class MenuTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    if (HasFatalFailure()) return;
    data->OnFormSkin = TFormSkinEvent::Bind<&TNoForms::Skin>(&no_forms);
    // The manager skins the popup windows as they open.
    m = CreateSkinManager();
    m->AddSkinData(data);
    m->InstallHook();
    m->active = true;
    m->state = 1;
  }
  // A skinned form with the test menu bar.
  TWinSkinForm* MenuForm(TTestForm*& f) {
    f = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"菜单", 60, 60);
    SetMenu(f->Handle(), MakeBar());
    TWinSkinForm* sf = Attach(f);
    Activate(f->Handle(), sf);
    return sf;
  }
  TMenuBtn* Btn(TWinSkinForm* sf, int i) { return sf->MenuBar()->Buttons[size_t(i)].get(); }
  HMENU Sub(TWinSkinForm* sf, int i) { return Btn(sf, i)->hsubmenu; }
  // Presses the button: its popup opens inside (the call returns once it closed).
  void Press(HWND wnd, TMenuBtn* b) { SendMessageW(wnd, WM_NCLBUTTONDOWN, HTMENU, Screen(wnd, Mid(b->bounds))); }

  TSkinManage* m = nullptr;
  TNoForms no_forms;
};

// ---- The bar ----

TEST_F(MenuTest, TheBarTakesTheNativeMenusPlaceAndGivesItBack) {
  TTestForm* f = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"菜单", 60, 60);
  HWND wnd = f->Handle();
  HMENU bar = MakeBar();
  SetMenu(wnd, bar);
  const RECT client = HwndClientRect(wnd);
  TWinSkinForm* sf = Attach(f);
  ASSERT_NE(sf->MenuBar(), nullptr);
  EXPECT_EQ(GetMenu(wnd), nullptr);  // detached while skinned
  EXPECT_EQ(sf->MenuHeight, GetSystemMetrics(SM_CYMENU));
  ASSERT_EQ(sf->MenuBar()->Count(), 3);
  const wchar_t* captions[] = {L"&File", L"&Edit", L"&Help"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Btn(sf, i)->caption, captions[i]);
    EXPECT_EQ(Btn(sf, i)->hsubmenu, GetSubMenu(bar, i));
  }
  EXPECT_EQ(Btn(sf, 2)->mid, kHelp);
  // The client area keeps its size inside the frame and the menu line.
  EXPECT_EQ(HwndClientRect(wnd).bottom, client.bottom);
  EXPECT_EQ(HwndClientRect(wnd).right, client.right);
  // Laid out one after another in the menu line.
  for (int i = 0; i < 3; ++i) {
    const RECT& r = Btn(sf, i)->bounds;
    EXPECT_EQ(r.top, sf->bw.top);
    EXPECT_EQ(r.bottom, sf->bw.top + sf->MenuHeight - 1);
    if (i > 0) {
      EXPECT_EQ(r.left, Btn(sf, i - 1)->bounds.right);
    }
  }
  sf->UnSubclass();
  delete sf;
  EXPECT_EQ(GetMenu(wnd), bar);
  EXPECT_EQ(HwndClientRect(wnd).bottom, client.bottom);
}

// The bar as painted: its background from the Menubar image (ends as they are, the middle
// stretched), each button's place plain, hot or open.
::testing::AssertionResult BarShows(const Rows& px, TSkinObjects& skin, const RECT& bar, const RECT& button, int state,
                                    bool active, const std::vector<RECT>& captions) {
  TDataSkinObject& mb = *skin.Menubar;
  const int fw = mb.Map.Width(), fh = mb.Map.Height() / 2, oy = active ? 0 : fh;
  const int h = bar.bottom - bar.top, w = bar.right - bar.left;
  const TColor frame = ColorToRGB(skin.Colors[skin::kcButtonHilight]);
  int bad = 0;
  std::string report;
  auto fail = [&](int x, int y, TColor got, const char* what) {
    if (bad++ < 6) report += "\n  (" + std::to_string(x) + "," + std::to_string(y) + ") " + what + " " + std::to_string(got);
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const POINT p{bar.left + x, bar.top + y};
      const TColor got = At(px, p.x, p.y);
      const bool edge = p.x == button.left || p.x == button.right - 1 || p.y == button.top || p.y == button.bottom - 1;
      const bool inside = PtInRect(&button, p);
      if (inside && !edge) continue;  // the caption
      if (std::any_of(captions.begin(), captions.end(), [&](const RECT& c) { return PtInRect(&c, p); })) continue;
      if (inside && edge && state != 1) {
        if (got != frame) fail(p.x, p.y, got, "frame expected");
        continue;
      }
      // The background: fixed ends, the middle one of its columns; rows as the image's.
      // Rows are stretched: any row of the frame's column (or of its middle columns).
      std::vector<TColor> choices;
      const int x0 = x < mb.r.Left ? x : x >= w - mb.r.Right ? fw - (w - x) : mb.r.Left;
      const int x1 = x < mb.r.Left || x >= w - mb.r.Right ? x0 + 1 : fw - mb.r.Right;
      for (int sy = oy; sy < oy + fh; ++sy)
        for (int sx = x0; sx < x1; ++sx) choices.push_back(ImagePixel(mb.Map, sx, sy));
      if (std::find(choices.begin(), choices.end(), got) == choices.end()) fail(p.x, p.y, got, "not the bar's");
    }
  }
  if (!bad) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " bar pixels differ" << report;
}

TEST_F(MenuTest, BarButtonsShowPlainHotAndOpen) {
  TTestForm* f = nullptr;
  TWinSkinForm* sf = MenuForm(f);
  HWND wnd = f->Handle();
  TSkinObjects& skin = *sf->SkinObjects();
  ASSERT_TRUE(skin.Menubar && !skin.Menubar->Map.Empty());
  const RECT bar{sf->bw.left, sf->bw.top, WindowRect0(wnd).right - sf->bw.right, sf->bw.top + sf->MenuHeight};
  TMenuBtn* edit = Btn(sf, 1);
  std::vector<RECT> captions;  // the other buttons' captions
  for (int i : {0, 2}) {
    RECT r = Btn(sf, i)->bounds;
    InflateRect(&r, -1, -1);
    captions.push_back(r);
  }
  EXPECT_TRUE(BarShows(WindowPixels(wnd), skin, bar, edit->bounds, 1, true, captions)) << "plain";

  SendMessageW(wnd, WM_NCMOUSEMOVE, HTMENU, Screen(wnd, Mid(edit->bounds)));
  EXPECT_EQ(edit->state, 3);
  EXPECT_TRUE(BarShows(WindowPixels(wnd), skin, bar, edit->bounds, 3, true, captions)) << "hot";

  Rows open;
  TScript script;
  script.steps = {[&] {
    if (!PopupShowing(edit->hsubmenu)) return false;
    open = WindowPixels(wnd);
    PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
  }};
  RunScript(script, [&] { Press(wnd, edit); });
  ASSERT_FALSE(open.empty());
  EXPECT_TRUE(BarShows(open, skin, bar, edit->bounds, 2, true, captions)) << "open";
  // Closed, the button is plain again.
  EXPECT_FALSE(sf->InMenu());
  EXPECT_EQ(edit->state, 1);
  SaveShot(wnd, "menubar");
}

// ---- Choosing ----

TEST_F(MenuTest, AnItemChosenByMouseOrKeyboardRunsItsCommandOnce) {
  TTestForm* f = nullptr;
  TWinSkinForm* sf = MenuForm(f);
  HWND wnd = f->Handle();
  HMENU file = Sub(sf, 0);
  TCommandLog log(wnd);
  struct Case {
    const char* name;
    std::function<void()> open;     // enters the menu loop
    std::function<bool()> choose;   // a script step inside it
    UINT command;
  } cases[] = {
      {"mouse", [&] { Press(wnd, Btn(sf, 0)); },
       [&] {
         HWND popup = PopupShowing(file);
         RECT item;
         if (!popup || !GetMenuItemRect(nullptr, file, 0, &item)) return false;
         ClickAt(popup, Mid(item));
         return true;
       },
       kOpen},
      // Alt+E as the window gets it: the system's keyboard menu command with the letter.
      {"Alt+E, Enter", [&] {
         PostMessageW(wnd, WM_SYSCHAR, 'e', 1 << 29);
         ASSERT_TRUE(Pump([&] { return !g_script || g_script->at > 0; }));
       },
       [&] {
         if (!PopupShowing(Sub(sf, 1)) || !Hilited(Sub(sf, 1), 0)) return false;
         PostMessageW(wnd, WM_KEYDOWN, VK_RETURN, 0);
         return true;
       },
       kCopy},
      // F10 opens the first button with its first item selected; the separator is skipped.
      {"F10, Down, Down, Enter", [&] { SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, 0); },
       [&] {
         if (!PopupShowing(file) || !Hilited(file, 0)) return false;
         PostMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
         PostMessageW(wnd, WM_KEYDOWN, VK_RETURN, 0);
         return true;
       },
       kClose},
  };
  for (const Case& c : cases) {
    log.counts.clear();
    TScript script;
    script.steps = {c.choose};
    RunScript(script, c.open);
    EXPECT_TRUE(Pump([&] { return log.Count(c.command) > 0; }, 2000)) << c.name;
    Pump([] { return false; }, 200);  // anything more would have come by now
    EXPECT_EQ(log.Count(c.command), 1) << c.name;
    EXPECT_EQ(log.Total(), 1) << c.name;
    EXPECT_FALSE(sf->InMenu()) << c.name;
  }
  // The menus are the program's own again: no item is owner-drawn any more.
  for (HMENU menu : {file, Sub(sf, 1)})
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      MENUITEMINFOW mii{};
      mii.cbSize = sizeof mii;
      mii.fMask = MIIM_FTYPE | MIIM_DATA;
      ASSERT_TRUE(GetMenuItemInfoW(menu, UINT(i), TRUE, &mii));
      EXPECT_FALSE(mii.fType & MFT_OWNERDRAW);
      EXPECT_EQ(mii.dwItemData, 0u);
    }
}

// Moving the selection one item down a long popup repaints the two items concerned, not the
// whole menu: the window is asked to draw exactly two items.
TEST_F(MenuTest, MovingTheSelectionRepaintsTwoItems) {
  TTestForm* f = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"长菜单", 60, 60);
  HMENU bar = CreateMenu(), file = CreatePopupMenu();
  for (UINT i = 0; i < 20; ++i) AppendMenuW(file, MF_STRING, 100 + i, (L"药酒 &" + std::to_wstring(i + 1)).c_str());
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  SetMenu(f->Handle(), bar);
  TWinSkinForm* sf = Attach(f);
  Activate(f->Handle(), sf);
  HWND wnd = f->Handle();
  int drawn = 0;
  TWindowSubclass spy;
  (void)spy.Install(wnd, [&](TMessage& m) {
    if (m.Msg == WM_DRAWITEM) ++drawn;
    spy.CallPrevious(m);
  });
  int after_move = -1, at_open = -1;
  auto settled = [&](int item) {
    HWND popup = PopupShowing(file);
    return popup && Hilited(file, item) && !GetUpdateRect(popup, nullptr, FALSE);
  };
  TScript script;
  script.steps = {[&] {
                    if (!settled(0)) return false;
                    at_open = drawn;
                    drawn = 0;
                    PostMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
                    return true;
                  },
                  [&] {
                    if (!settled(1)) return false;
                    Pump([] { return false; }, 100);
                    after_move = drawn;
                    PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
                    PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
                    return true;
                  }};
  RunScript(script, [&] { SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, 0); });
  EXPECT_GE(at_open, 20) << "every item drawn once as the menu opened";
  EXPECT_EQ(after_move, 2);
  spy.Remove();
  sf->UnSubclass();
  delete sf;
}

TEST_F(MenuTest, ATopEntryWithoutSubitemsPostsItsCommandOnceAndOpensNothing) {
  TTestForm* f = nullptr;
  TWinSkinForm* sf = MenuForm(f);
  HWND wnd = f->Handle();
  TCommandLog log(wnd);
  Press(wnd, Btn(sf, 2));
  EXPECT_TRUE(Pump([&] { return log.Count(kHelp) > 0; }, 2000));
  Pump([] { return false; }, 200);
  EXPECT_EQ(log.Count(kHelp), 1);
  EXPECT_EQ(log.Total(), 1);
  EXPECT_TRUE(OpenPopups().empty());
  // Disabled, it runs nothing.
  EnableMenuItem(sf->MenuBar()->hmenu, 2, MF_BYPOSITION | MF_GRAYED);
  sf->UpdateMainMenu();
  EXPECT_FALSE(Btn(sf, 2)->enabled);
  Press(wnd, Btn(sf, 2));
  Pump([] { return false; }, 200);
  EXPECT_EQ(log.Count(kHelp), 1);
}

// ---- Moving along the bar ----

TEST_F(MenuTest, ArrowsAndTheMouseMoveTheOpenPopupAlongTheBarAndEscapeClosesIt) {
  TTestForm* f = nullptr;
  TWinSkinForm* sf = MenuForm(f);
  HWND wnd = f->Handle();
  TCommandLog log(wnd);
  std::vector<int> opened;  // the open button at each step
  auto now_open = [&](int index) {
    return [&, index] {
      if (sf->OpenButton() != index || !PopupShowing(Sub(sf, index))) return false;
      opened.push_back(index);
      return true;
    };
  };
  auto key = [&](WPARAM k) {
    return [&, k] {
      PostMessageW(wnd, WM_KEYDOWN, k, 0);
      return true;
    };
  };
  // The mouse over another button, as the menu loop sees it (client coordinates).
  auto hover = [&](int index) {
    return [&, index] {
      POINT p = Mid(Btn(sf, index)->bounds);
      const RECT wr = HwndWindowRect(wnd);
      p.x += wr.left;
      p.y += wr.top;
      ScreenToClient(wnd, &p);
      PostMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
      return true;
    };
  };
  TScript script;
  // Help has no popup: Right from Edit wraps round to File, Left from File to Edit.
  script.steps = {now_open(0), key(VK_RIGHT), now_open(1), key(VK_RIGHT), now_open(0), key(VK_LEFT), now_open(1),
                  hover(0),    now_open(0),   key(VK_ESCAPE)};
  RunScript(script, [&] { Press(wnd, Btn(sf, 0)); });
  EXPECT_EQ(opened, (std::vector<int>{0, 1, 0, 1, 0}));
  EXPECT_FALSE(sf->InMenu());
  EXPECT_EQ(sf->OpenButton(), -1);
  EXPECT_TRUE(OpenPopups().empty());
  Pump([] { return false; }, 200);
  EXPECT_EQ(log.Total(), 0);  // moving and closing run nothing
}

// An accelerator typed in a secondary window that has no use for it reaches the main window:
// with Alt alone held, the main window's bar opens the entry it names. With Ctrl as well it is
// nobody's.
TEST_F(MenuTest, AnAcceleratorUnusedByASecondaryWindowOpensTheMainWindowsBarEntry) {
  TTestForm* main = nullptr;
  TWinSkinForm* msf = MenuForm(main);
  TTestForm* second = MakeForm(200, 100, TFormBorderStyle::bsSizeable, kAllBoxes, L"副窗", 440, 80);
  auto* edit = new TEdit(second);
  edit->SetParent(second);
  edit->SetBounds(8, 8, 120, 24);
  TWinSkinForm* ssf = Attach(second);
  Activate(second->Handle(), ssf);
  ::SetFocus(edit->Handle());
  Application->SetMainForm(main);
  BYTE keys[256] = {}, saved[256] = {};
  ASSERT_TRUE(GetKeyboardState(saved));
  struct Row {
    const char* what;
    BYTE ctrl;
    bool opens;
  } rows[] = {{"Alt alone", 0, true}, {"Ctrl+Alt", 0x80, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    memcpy(keys, saved, sizeof keys);
    keys[VK_MENU] = 0x80;
    keys[VK_CONTROL] = r.ctrl;
    ASSERT_TRUE(SetKeyboardState(keys));
    bool opened = false;
    TScript script;
    script.steps = {[&] {
      if (!PopupShowing(Sub(msf, 1))) return false;
      opened = true;
      PostMessageW(main->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
      return true;
    }};
    if (r.opens) {
      RunScript(script, [&] { PostMessageW(edit->Handle(), WM_SYSCHAR, 'e', 1 << 29); });
    } else {
      PostMessageW(edit->Handle(), WM_SYSCHAR, 'e', 1 << 29);
      Pump([] { return false; }, 300);
      opened = !OpenPopups().empty();
      for (HWND p : OpenPopups()) PostMessageW(p, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    EXPECT_EQ(opened, r.opens);
    SetKeyboardState(saved);
  }
  Application->SetMainForm(nullptr);
  ssf->UnSubclass();
  delete ssf;
  msf->UnSubclass();
  delete msf;
}

// ---- A form's own menu object ----

struct TClicks {
  void Hit(TObject*) { ++count; }
  TNotifyEvent Event() { return TNotifyEvent::Bind<&TClicks::Hit>(this); }
  int count = 0;
};

TEST_F(MenuTest, AFormsMainMenuBecomesTheBarAndItsItemsClickOnce) {
  TTestForm* f = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"表单", 60, 60);
  auto* main = new TMainMenu(f);
  auto add = [&](TMenuItem* parent, const wchar_t* caption) {
    auto* item = new TMenuItem(f);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  };
  TMenuItem* file = add(main->Items(), L"&File");
  TMenuItem* open = add(file, L"&Open");
  open->SetShortCut(ShortCut('O', ssCtrl));
  TClicks clicks;
  open->OnClick = clicks.Event();
  add(main->Items(), L"&Tools");
  f->SetMenu(main);
  TWinSkinForm* sf = Attach(f);
  Activate(f->Handle(), sf);
  HWND wnd = f->Handle();
  ASSERT_NE(sf->MenuBar(), nullptr);
  ASSERT_EQ(sf->MenuBar()->Count(), 2);
  EXPECT_EQ(GetMenu(wnd), nullptr);
  // An item the program renames shows at once.
  main->Items()->Items(1)->SetCaption(L"&Extras");
  EXPECT_EQ(Btn(sf, 1)->caption, L"&Extras");

  TScript script;
  script.steps = {[&] {
    if (!PopupShowing(file->Handle()) || !Hilited(file->Handle(), 0)) return false;
    PostMessageW(wnd, WM_KEYDOWN, VK_RETURN, 0);
    return true;
  }};
  RunScript(script, [&] { PostMessageW(wnd, WM_SYSCHAR, 'f', 1 << 29); });
  EXPECT_TRUE(Pump([&] { return clicks.count > 0; }, 2000));
  Pump([] { return false; }, 200);
  EXPECT_EQ(clicks.count, 1);
  // The library still knows its entries: it finds the item by its entry's data.
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_DATA | MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(file->Handle(), 0, TRUE, &mii));
  EXPECT_EQ(TMenuItem::FromItemData(mii.dwItemData), open);
  EXPECT_FALSE(mii.fType & MFT_OWNERDRAW);
  sf->UnSubclass();
  delete sf;
  EXPECT_EQ(GetMenu(wnd), main->Handle());
}

TEST_F(MenuTest, AFormsPopupMenuIsDrawnFromTheSkinWhileOpenUnlessTaggedToStayPlain) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"弹出");
  auto* popup = new TPopupMenu(f);
  auto* item = new TMenuItem(f);
  item->SetCaption(L"&Run");
  popup->Items()->Add(item);
  TClicks clicks;
  item->OnClick = clicks.Event();
  popup->SetPopupComponent(f);
  TWinSkinForm* sf = Attach(f);
  Activate(f->Handle(), sf);
  HWND wnd = f->Handle();
  for (int tag : {0, data->DisableTag()}) {
    popup->SetTag(tag);
    bool drawn = false;
    TScript script;
    script.steps = {[&] {
      if (!PopupShowing(popup->Handle())) return false;
      MENUITEMINFOW mii{};
      mii.cbSize = sizeof mii;
      mii.fMask = MIIM_FTYPE;
      GetMenuItemInfoW(popup->Handle(), 0, TRUE, &mii);
      drawn = (mii.fType & MFT_OWNERDRAW) != 0;
      PostMessageW(wnd, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(wnd, WM_KEYDOWN, VK_RETURN, 0);
      return true;
    }};
    const int before = clicks.count;
    RunScript(script, [&] { popup->Popup(100, 100); });
    EXPECT_TRUE(Pump([&] { return clicks.count > before; }, 2000)) << tag;
    EXPECT_EQ(clicks.count, before + 1) << tag;
    EXPECT_EQ(drawn, tag == 0) << tag;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoW(popup->Handle(), 0, TRUE, &mii));
    EXPECT_FALSE(mii.fType & MFT_OWNERDRAW) << tag;  // the program's own again
    EXPECT_EQ(TMenuItem::FromItemData(mii.dwItemData), item) << tag;
  }
}

// ---- Items ----

// Checks the painted item against the MenuItem image's frame: its corners as they are
// (where not magenta), its left edge one of the image's left-edge pixels.
::testing::AssertionResult ItemFrameShows(const Rows& px, const RECT& item, TDataSkinObject& mi, int frame) {
  const int fw = mi.Map.Width() / 5, fh = mi.Map.Height(), ox = (frame - 1) * fw;
  const int w = item.right - item.left, h = item.bottom - item.top;
  const int l = mi.r.Left, t = mi.r.Top, r = mi.r.Right, b = mi.r.Bottom;
  int bad = 0;
  std::string report;
  auto check = [&](int x, int y, int sx, int sy) {
    const TColor want = ImagePixel(mi.Map, ox + sx, sy);
    if (want == kMagenta) return;
    const TColor got = At(px, item.left + x, item.top + y);
    if (got != want && bad++ < 6)
      report += "\n  (" + std::to_string(x) + "," + std::to_string(y) + "): " + std::to_string(got) + " not " +
                std::to_string(want);
  };
  for (int y = 0; y < t; ++y)
    for (int x = 0; x < l; ++x) {
      check(x, y, x, y);                                // top left
      check(w - l + x, y, fw - l + x, y);               // top right
    }
  for (int y = 0; y < b; ++y)
    for (int x = 0; x < l; ++x) check(x, h - b + y, x, fh - b + y);  // bottom left
  (void)r;
  if (!bad) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels of frame " << frame << " differ" << report;
}

// How many pixels of a colour lie in a rectangle.
int CountColor(const Rows& px, const RECT& r, TColor c) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += At(px, x, y) == c;
  return n;
}

TEST_F(MenuTest, ItemsAreDrawnFromTheSkinsMenuItemImage) {
  TTestForm* f = nullptr;
  TWinSkinForm* sf = MenuForm(f);
  HWND wnd = f->Handle();
  HMENU file = Sub(sf, 0);
  TSkinObjects& skin = *sf->SkinObjects();
  TDataSkinObject& mi = *skin.MenuItem;
  ASSERT_FALSE(mi.Map.Empty());
  Rows px;
  HWND popup = nullptr;
  std::vector<RECT> items;  // in popup-window coordinates
  TScript script;
  script.steps = {Settle(), [&] {
    popup = PopupShowing(file);
    if (!popup || !Hilited(file, 0)) return false;
    const RECT wr = HwndWindowRect(popup);
    for (int i = 0; i < GetMenuItemCount(file); ++i) {
      RECT r{};
      GetMenuItemRect(nullptr, file, UINT(i), &r);
      OffsetRect(&r, -wr.left, -wr.top);
      items.push_back(r);
    }
    px = WindowPixels(popup);
    SaveShot(popup, "menu-items");
    PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
  }};
  RunScript(script, [&] { Press(wnd, Btn(sf, 0)); });
  ASSERT_EQ(items.size(), 5u);
  const TColor text = ColorToRGB(skin.Colors[skin::kcMenuText]);
  const TColor shadow = ColorToRGB(skin.Colors[skin::kcButtonShadow]);
  const TColor hilight_text = ColorToRGB(skin.Colors[skin::kcHilightText]);
  // Item 0 is selected (frame 4), the others plain (frame 1).
  EXPECT_TRUE(ItemFrameShows(px, items[0], mi, 4)) << "selected";
  EXPECT_TRUE(ItemFrameShows(px, items[2], mi, 1)) << "normal";
  EXPECT_TRUE(ItemFrameShows(px, items[3], mi, 1)) << "disabled";
  auto text_area = [&](const RECT& r) { return RECT{r.left + 24, r.top + 2, r.right - 12, r.bottom - 2}; };
  EXPECT_GT(CountColor(px, text_area(items[0]), hilight_text), 5) << "selected text";
  EXPECT_GT(CountColor(px, text_area(items[2]), text), 5) << "normal text";
  EXPECT_GT(CountColor(px, text_area(items[3]), shadow), 5) << "disabled text";
  EXPECT_EQ(CountColor(px, text_area(items[3]), text), 0) << "disabled text";
  // The checked item shows the check mark in its glyph box, the others nothing there.
  auto box = [&](const RECT& r) {
    const int l = r.left + 1 + mi.r.Left;
    return RECT{l, r.top + 1, l + 18, r.bottom - 1};
  };
  EXPECT_GT(CountColor(px, box(items[2]), text), 3) << "check mark";
  EXPECT_EQ(CountColor(px, box(items[4]), text), 0) << "no mark";

  // The separator: frame 2's bottom rows, its ends as they are.
  const RECT& sep = items[1];
  const int fw = mi.Map.Width() / 5, fh = mi.Map.Height(), h = sep.bottom - sep.top, w = sep.right - sep.left;
  ASSERT_LE(h, fh);
  int bad = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int sx;
      if (x < mi.r.Left) sx = x;
      else if (x >= w - mi.r.Right) sx = fw - (w - x);
      else continue;
      const TColor want = ImagePixel(mi.Map, fw + sx, fh - h + y);
      if (want != kMagenta && At(px, sep.left + x, sep.top + y) != want) ++bad;
    }
  EXPECT_EQ(bad, 0) << "separator ends";
}

// The popup window's border is the MenuBackground image's, sliced to the window.
::testing::AssertionResult BorderShows(const Rows& px, TDataSkinObject& bg) {
  const int H = int(px.size()), W = H ? int(px[0].size()) : 0;
  const int fw = bg.Map.Width(), fh = bg.Map.Height();
  const int l = bg.r.Left, t = bg.r.Top, r = bg.r.Right, b = bg.r.Bottom;
  int bad = 0;
  std::string report;
  auto source = [&](int x, int y, int& sx, int& sy) {
    sx = x < l ? x : x >= W - r ? fw - (W - x) : -1;
    sy = y < t ? y : y >= H - b ? fh - (H - y) : -1;
  };
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      if (x >= 3 && x < W - 3 && y >= 3 && y < H - 3) continue;  // inside the border
      int sx, sy;
      source(x, y, sx, sy);
      std::vector<TColor> choices;
      const int x0 = sx >= 0 ? sx : l, x1 = sx >= 0 ? sx + 1 : fw - r;
      const int y0 = sy >= 0 ? sy : t, y1 = sy >= 0 ? sy + 1 : fh - b;
      for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) choices.push_back(ImagePixel(bg.Map, xx, yy));
      const TColor got = At(px, x, y);
      if (std::find(choices.begin(), choices.end(), got) == choices.end() && bad++ < 6)
        report += "\n  (" + std::to_string(x) + "," + std::to_string(y) + "): " + std::to_string(got);
    }
  if (!bad) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " border pixels differ" << report;
}

TEST_F(MenuTest, ThePopupWindowShowsTheSkinsBorder) {
  TTestForm* f = nullptr;
  TWinSkinForm* sf = MenuForm(f);
  HWND wnd = f->Handle();
  Rows px;
  bool skinned = false;
  TScript script;
  script.steps = {Settle(), [&] {
    HWND popup = PopupShowing(Sub(sf, 1));
    if (!popup || !Hilited(Sub(sf, 1), 0)) return false;
    skinned = m->PopupCount() > 0 && SendMessageW(popup, WM_SKINQUERY, 0, 0) == 1;
    px = WindowPixels(popup);
    PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
  }};
  RunScript(script, [&] { Press(wnd, Btn(sf, 1)); });
  EXPECT_TRUE(skinned);
  ASSERT_FALSE(px.empty());
  EXPECT_TRUE(BorderShows(px, *sf->SkinObjects()->MenuitemBG));
  EXPECT_TRUE(Pump([&] { return m->PopupCount() == 0; }));
}

// ---- The system menu ----

TEST_F(MenuTest, TheSystemMenuShowsItsGlyphsAndItsCloseClosesTheWindow) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"系统");
  TWinSkinForm* sf = Attach(f);
  HWND wnd = f->Handle();
  Activate(wnd, sf);
  HMENU menu = nullptr;
  Rows px;
  RECT close{};
  int close_pos = -1;
  TScript script;
  script.steps = {Settle(), [&] {
    std::vector<HWND> popups = OpenPopups();
    if (popups.empty()) return false;
    HWND popup = popups[0];
    menu = MenuOf(popup);
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i)
      if (GetMenuItemID(menu, i) == SC_CLOSE) close_pos = i;
    if (close_pos < 0) return false;
    px = WindowPixels(popup);
    GetMenuItemRect(nullptr, menu, UINT(close_pos), &close);
    RECT item = close;
    const RECT wr = HwndWindowRect(popup);
    OffsetRect(&close, -wr.left, -wr.top);
    ClickAt(popup, Mid(item));  // Close chosen with the mouse
    return true;
  }};
  RunScript(script, [&] { SendMessageW(wnd, WM_NCRBUTTONDOWN, HTCAPTION, Screen(wnd, POINT{150, 12})); });
  EXPECT_TRUE(Pump([&] { return f->closes == 1; }));
  ASSERT_FALSE(px.empty());
  // The close glyph (the fourth): its dark pixels in the menu text colour, in the glyph box.
  TSkinObjects& skin = *sf->SkinObjects();
  TBitmap& glyphs = data->bmpmenu;
  ASSERT_EQ(glyphs.Height(), 16);
  const int h = close.bottom - close.top;
  const int bx = close.left + 1 + skin.MenuItem->r.Left, by = close.top + (h - 16) / 2;
  const TColor text = ColorToRGB(skin.Colors[skin::kcMenuText]);
  int dark = 0, shown = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      if (ImagePixel(glyphs, 48 + x, y) == 0xFFFFFF) continue;
      ++dark;
      shown += At(px, bx + x, by + y) == text;
    }
  EXPECT_GT(dark, 10);
  EXPECT_EQ(shown, dark);
}

// ---- Menus the program did not build ----

TEST_F(MenuTest, AnEditsOwnContextMenuOpensSkinnedAndPastes) {
  TTestForm* f = MakeForm(300, 150, TFormBorderStyle::bsSizeable, kAllBoxes, L"编辑");
  auto* edit = new TEdit(f);
  edit->SetParent(f);
  edit->SetBounds(10, 10, 200, 24);
  TWinSkinForm* sf = Attach(f);
  Activate(f->Handle(), sf);
  HWND e = edit->Handle();
  ASSERT_TRUE(OpenClipboard(e));
  EmptyClipboard();
  const wchar_t text[] = L"药酒";
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  memcpy(GlobalLock(mem), text, sizeof text);
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
  SetFocus(e);
  bool skinned = false;
  Rows px;
  TScript script;
  script.steps = {Settle(), [&] {
    std::vector<HWND> popups = OpenPopups();
    if (popups.empty()) return false;
    HWND popup = popups[0];
    HMENU menu = MenuOf(popup);
    int paste = -1;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i)
      if (GetMenuItemID(menu, i) == WM_PASTE) paste = i;
    if (paste < 0) return false;
    skinned = SendMessageW(popup, WM_SKINQUERY, 0, 0) == 1;
    px = WindowPixels(popup);
    RECT item;
    GetMenuItemRect(nullptr, menu, UINT(paste), &item);
    ClickAt(popup, Mid(item));
    return true;
  }};
  RECT er = HwndWindowRect(e);
  RunScript(script, [&] { SendMessageW(e, WM_CONTEXTMENU, WPARAM(e), MAKELPARAM(er.left + 20, er.top + 10)); });
  EXPECT_TRUE(skinned);
  EXPECT_TRUE(Pump([&] { return HwndGetText(e) == text; }));
  ASSERT_FALSE(px.empty());
  EXPECT_TRUE(BorderShows(px, *sf->SkinObjects()->MenuitemBG));
}

// ---- A damaged skin ----

TEST_F(MenuTest, ASkinWithoutMenuImagesDrawsPlainItems) {
  // The loaded set's menu objects taken away, or left too small to cut frames from.
  struct Case {
    const char* name;
    std::function<void(TSkinObjects&)> damage;
  } cases[] = {
      {"no menu objects", [](TSkinObjects& s) {
         s.Menubar.reset();
         s.MenuItem.reset();
         s.MenuitemBG.reset();
       }},
      {"short images", [](TSkinObjects& s) {
         for (auto* o : {s.Menubar.get(), s.MenuItem.get(), s.MenuitemBG.get()}) o->Map.SetSize(0, 0);
         s.MenuItem->Map.SetSize(3, 2);
         s.Menubar->Map.SetSize(1, 1);
         s.MenuitemBG->Map.SetSize(1, 1);
       }},
  };
  for (const Case& c : cases) {
    data->LoadFromFile(SkinFile("builtin"));
    c.damage(*data->Skin());
    TTestForm* f = nullptr;
    TWinSkinForm* sf = MenuForm(f);
    HWND wnd = f->Handle();
    TSkinObjects& skin = *sf->SkinObjects();
    Rows px;
    RECT item{};
    TScript script;
    script.steps = {Settle(), [&] {
      HWND popup = PopupShowing(Sub(sf, 0));
      if (!popup || !Hilited(Sub(sf, 0), 0)) return false;
        px = WindowPixels(popup);
      GetMenuItemRect(nullptr, Sub(sf, 0), 2, &item);
      const RECT wr = HwndWindowRect(popup);
      OffsetRect(&item, -wr.left, -wr.top);
      PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
      return true;
    }};
    RunScript(script, [&] { Press(wnd, Btn(sf, 0)); });
    ASSERT_FALSE(px.empty()) << c.name;
    // A plain item: the menu colour with its text.
    const TColor menu_color = ColorToRGB(skin.Colors[skin::kcMenu]);
    EXPECT_EQ(At(px, item.left + 1, item.top + 1), menu_color) << c.name;
    EXPECT_EQ(At(px, item.right - 2, item.bottom - 2), menu_color) << c.name;
    f->Free();
  }
}

// ---- Leaks ----

// Menus a program may well make: each opens, is drawn whole, stays on the screen, and closes,
// with nothing thrown and nothing left open.
TEST_F(MenuTest, OddMenusOpenAndDrawWithoutHarm) {
  constexpr int kDepth = 20;
  struct Row {
    const char* what;
    std::function<void(TTestForm*)> build;  // gives the form a bar whose first entry is the odd one
    int popups;                             // open at once at the deepest point
  } rows[] = {
      {"a popup with no items", [](TTestForm* f) {
         HMENU bar = CreateMenu();
         AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"&Empty");
         SetMenu(f->Handle(), bar);
       }, 0},
      {"an item with an empty caption", [](TTestForm* f) {
         HMENU bar = CreateMenu(), sub = CreatePopupMenu();
         AppendMenuW(sub, MF_STRING, 101, L"");
         AppendMenuW(sub, MF_STRING, 102, L"&Next");
         AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"&File");
         SetMenu(f->Handle(), bar);
       }, 1},
      {"a caption of 1,000 characters", [](TTestForm* f) {
         HMENU bar = CreateMenu(), sub = CreatePopupMenu();
         std::wstring caption;
         for (int i = 0; i < 1000; ++i) caption += static_cast<wchar_t>(i % 3 == 0 ? L'酒' : L'a' + i % 26);
         AppendMenuW(sub, MF_STRING, 101, caption.c_str());
         AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"&File");
         SetMenu(f->Handle(), bar);
       }, 1},
      {"submenus nested 20 deep", [](TTestForm* f) {
         HMENU inner = CreatePopupMenu();
         AppendMenuW(inner, MF_STRING, 101, L"&Bottom");
         for (int level = kDepth - 1; level > 0; --level) {
           HMENU outer = CreatePopupMenu();
           AppendMenuW(outer, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), (L"&Level " + std::to_wstring(level)).c_str());
           inner = outer;
         }
         HMENU bar = CreateMenu();
         AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), L"&Deep");
         SetMenu(f->Handle(), bar);
       }, kDepth},
      {"an image index outside the image list", [](TTestForm* f) {
         auto* images = new TImageList(f);
         TBitmap glyph(16, 16, TPixelFormat::pf24bit);
         images->AddMasked(&glyph, clFuchsia);
         auto* main = new TMainMenu(f);
         main->SetImages(images);
         auto* file = new TMenuItem(f);
         file->SetCaption(L"&File");
         main->Items()->Add(file);
         for (int index : {0, 99, -5}) {
           auto* item = new TMenuItem(f);
           item->SetCaption(L"Image " + std::to_wstring(index));
           item->SetImageIndex(index);
           file->Add(item);
         }
         f->SetMenu(main);
       }, 1},
  };
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TTestForm* f = MakeForm(360, 200, TFormBorderStyle::bsSizeable, kAllBoxes, L"菜单", 60, 60);
    r.build(f);
    TWinSkinForm* sf = Attach(f);
    Activate(f->Handle(), sf);
    HWND wnd = f->Handle();
    ASSERT_NE(sf->MenuBar(), nullptr);
    int deepest = 0, widest = 0;
    bool drawn = true;
    TScript script;
    auto open_now = [&] {
      const std::vector<HWND> open = OpenPopups();
      for (HWND p : open) {
        const RECT pr = HwndWindowRect(p);
        widest = std::max(widest, static_cast<int>(pr.right - pr.left));
        drawn = drawn && !GetUpdateRect(p, nullptr, FALSE);
      }
      deepest = std::max(deepest, static_cast<int>(open.size()));
      return static_cast<int>(open.size());
    };
    if (r.popups == 0) {
      script.steps = {[&] {
        Pump([] { return false; }, 200);
        open_now();
        if (sf->InMenu()) PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
      }};
    } else {
      // Down into each submenu once the one above is shown, then out again.
      for (int level = 1; level <= r.popups; ++level)
        script.steps.push_back([&, level] {
          if (open_now() < level) return false;
          PostMessageW(wnd, WM_KEYDOWN, level < r.popups ? VK_RIGHT : VK_ESCAPE, 0);
          return true;
        });
      for (int level = r.popups - 1; level >= 0; --level)
        script.steps.push_back([&, level] {
          if (open_now() > level) return false;
          if (level > 0) PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
          return true;
        });
    }
    RunScript(script, [&] { Press(wnd, Btn(sf, 0)); });
    EXPECT_EQ(deepest, r.popups);
    EXPECT_TRUE(drawn) << "every popup painted whole";
    EXPECT_LE(widest, screen_w) << "within the screen";
    EXPECT_TRUE(Pump([&] { return !sf->InMenu() && OpenPopups().empty(); }, 2000));
    sf->UnSubclass();
    delete sf;
  }
}

TEST_F(MenuTest, MenusOpenedAndFormsSkinnedManyTimesLeaveNothingBehind) {
  TTestForm* f = nullptr;
  TWinSkinForm* sf = MenuForm(f);
  HWND wnd = f->Handle();
  auto open_and_close = [&](int i) {
    TScript script;
    HMENU sub = Sub(sf, i % 2);
    script.steps = {[&] {
      if (!PopupShowing(sub)) return false;
      PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
      return true;
    }};
    if (i % 2) {
      RunScript(script, [&] { Press(wnd, Btn(sf, 1)); });
    } else {
      RunScript(script, [&] {
        SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, 'f');
        Pump([&] { return script.at > 0; });
      });
    }
  };
  open_and_close(0);
  open_and_close(1);
  Pump([&] { return m->PopupCount() == 0; });
  Pump([] { return false; }, 300);
  DoneSkinDraw();
  InitSkinDraw();
  const int gdi = LiveGdiHandles(), user = LiveUserHandles(), links = TWindowSubclass::LiveLinks();
  for (int i = 0; i < 200 && !HasFailure(); ++i) open_and_close(i);
  EXPECT_TRUE(Pump([&] { return m->PopupCount() == 0; }));
  Pump([] { return false; }, 300);
  DoneSkinDraw();
  InitSkinDraw();
  EXPECT_EQ(LiveGdiHandles(), gdi);
  EXPECT_EQ(LiveUserHandles(), user);
  EXPECT_EQ(TWindowSubclass::LiveLinks(), links);

  sf->UnSubclass();
  delete sf;
  const HMENU bar = GetMenu(wnd);
  ASSERT_NE(bar, nullptr);
  auto cycle = [&] {
    TWinSkinForm* again = Attach(f);
    ASSERT_EQ(GetMenu(wnd), nullptr);
    again->UnSubclass();
    delete again;
    ASSERT_EQ(GetMenu(wnd), bar);
  };
  cycle();
  DoneSkinDraw();
  InitSkinDraw();
  const int gdi2 = LiveGdiHandles(), user2 = LiveUserHandles(), links2 = TWindowSubclass::LiveLinks();
  for (int i = 0; i < 200 && !HasFailure(); ++i) {
    cycle();
  }
  DoneSkinDraw();
  InitSkinDraw();
  EXPECT_EQ(LiveGdiHandles(), gdi2);
  EXPECT_EQ(LiveUserHandles(), user2);
  EXPECT_EQ(TWindowSubclass::LiveLinks(), links2);
}

}  // namespace
}  // namespace qn::test
