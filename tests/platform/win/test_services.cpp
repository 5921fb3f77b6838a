#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/Blit.h"
#include "platform/win/ExtCtrls.h"
#include "platform/win/Forms.h"
#include "platform/win/Hooks.h"
#include "platform/win/PropAccess.h"
#include "platform/win/Regions.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/Subclass.h"
#include "platform/win/WinApiLookup.h"
#include "platform/win/WinUtil.h"

namespace qn {
namespace {

// The class library keeps one paint buffer (a DC and a bitmap) for the life of the process;
// painting a form once before the tests makes it, so that the counts below see only the tests.
class PaintBufferWarmUp : public ::testing::Environment {
 public:
  void SetUp() override {
    InitApplication();
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 300, 200);
    form->Show();
    UpdateWindow(form->Handle());
    DoneApplication();
  }
};
const auto* const kWarmUp = ::testing::AddGlobalTestEnvironment(new PaintBufferWarmUp);

std::vector<std::string> g_dropped;  // errors the test's callbacks dropped

// Every test ends with as many GDI and USER objects of ours alive as it started with, and with
// no subclass binding left over. (The test main fails a test that deletes a selected object or
// has a release refused.)
class ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gdi_ = LiveGdiHandles();
    user_ = LiveUserHandles();
    links_ = TWindowSubclass::LiveLinks();
    InitApplication();
    RegisterControlClasses();
    Application->MessageBoxHook = [this](const std::wstring& text, const std::wstring&, UINT) {
      boxes.push_back(text);
      return IDOK;
    };
    g_dropped.clear();
    SetCallbackErrorHandler([](const std::exception* e) { g_dropped.push_back(e ? e->what() : "?"); });
  }
  void TearDown() override {
    SetCallbackErrorHandler(nullptr);
    DoneApplication();
    EXPECT_EQ(LiveGdiHandles(), gdi_) << "GDI objects left behind";
    EXPECT_EQ(LiveUserHandles(), user_) << "hooks, menus or icons left behind";
    EXPECT_EQ(TWindowSubclass::LiveLinks(), links_) << "subclass bindings left behind";
  }
  bool Pump(const std::function<bool()>& done) { return Application->PumpUntil(done, 5000); }

  std::vector<std::wstring> boxes;  // errors that reached the application

 private:
  int gdi_ = 0, user_ = 0, links_ = 0;
};

// ---- hooks ----

struct CbtEvent {
  int code;
  HWND wnd;
  DWORD thread;
};

class HookTest : public ServicesTest {
 protected:
  // A handler that records every create, activate and destroy and passes it on.
  TThreadHook::THandler Recorder(std::vector<CbtEvent>& into) {
    return [&into](int code, WPARAM w, LPARAM, LRESULT&) {
      if (code == HCBT_CREATEWND || code == HCBT_ACTIVATE || code == HCBT_DESTROYWND)
        into.push_back({code, reinterpret_cast<HWND>(w), GetCurrentThreadId()});
      return false;
    };
  }
  static int IndexOf(const std::vector<CbtEvent>& events, int code, HWND wnd) {
    for (size_t i = 0; i < events.size(); ++i)
      if (events[i].code == code && events[i].wnd == wnd) return static_cast<int>(i);
    return -1;
  }
};

TEST_F(HookTest, CbtHookSeesCreateActivateAndDestroy) {
  const int hooks_before = LiveHandles(THandleKind::Hook);
  std::vector<CbtEvent> events;
  {
    TThreadHook hook;
    ASSERT_TRUE(hook.Install(WH_CBT, GetCurrentThreadId(), Recorder(events)));
    EXPECT_EQ(LiveHandles(THandleKind::Hook), hooks_before + 1);

    auto* form = new TForm(Application);
    form->SetCaption(L"钩子");
    form->SetBounds(10, 10, 200, 120);
    form->Show();
    HWND wnd = form->Handle();
    ASSERT_TRUE(Pump([&] { return IndexOf(events, HCBT_ACTIVATE, wnd) >= 0; }));
    form->Free();

    const int created = IndexOf(events, HCBT_CREATEWND, wnd);
    const int activated = IndexOf(events, HCBT_ACTIVATE, wnd);
    const int destroyed = IndexOf(events, HCBT_DESTROYWND, wnd);
    ASSERT_GE(created, 0);
    EXPECT_LT(created, activated);
    EXPECT_LT(activated, destroyed);
  }
  EXPECT_EQ(LiveHandles(THandleKind::Hook), hooks_before);
  // Removed with its owner: nothing more is seen.
  size_t seen = events.size();
  HWND later = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(later);
  EXPECT_EQ(events.size(), seen);
}

TEST_F(HookTest, AnsweringCreationRefusesTheWindow) {
  TThreadHook hook;
  std::wstring style_seen;
  ASSERT_TRUE(hook.Install(WH_CBT, GetCurrentThreadId(), [&](int code, WPARAM w, LPARAM l, LRESULT& result) {
    if (code != HCBT_CREATEWND || !SameTextAscii(HwndGetClassName(reinterpret_cast<HWND>(w)), std::wstring(L"Static"))) return false;
    auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(l);
    if (cbt->lpcs->style & SS_CENTER) style_seen = L"centered";
    result = 1;
    return true;
  }));
  HWND refused = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | SS_CENTER, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(style_seen, L"centered");
  HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(button, nullptr);
  DestroyWindow(button);
}

TEST_F(HookTest, HooksOnOneThreadChainNewestFirst) {
  std::vector<std::string> order;
  bool refuse = false;
  TThreadHook older, newer;
  auto note = [&](const char* who, bool answer) {
    return [&order, &refuse, who, answer](int code, WPARAM w, LPARAM, LRESULT& result) {
      if (code != HCBT_CREATEWND) return false;
      order.push_back(who);
      result = 1;
      return answer && refuse;
    };
  };
  ASSERT_TRUE(older.Install(WH_CBT, GetCurrentThreadId(), note("older", false)));
  ASSERT_TRUE(newer.Install(WH_CBT, GetCurrentThreadId(), note("newer", true)));
  HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(w, nullptr);
  DestroyWindow(w);
  EXPECT_EQ(order, (std::vector<std::string>{"newer", "older"}));

  // An answer stops the event before the older hook.
  order.clear();
  refuse = true;
  EXPECT_EQ(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(order, (std::vector<std::string>{"newer"}));
}

TEST_F(HookTest, HookOnAnotherThreadSeesThatThreadOnly) {
  std::vector<CbtEvent> here, there;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND made = nullptr;
  DWORD worker_id = 0;
  std::thread worker([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // a message queue for the hook
    worker_id = GetCurrentThreadId();
    SetEvent(ready);
    WaitForSingleObject(go, 10000);
    made = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(made);
  });
  WaitForSingleObject(ready, 10000);
  TThreadHook mine, theirs;
  ASSERT_TRUE(mine.Install(WH_CBT, GetCurrentThreadId(), Recorder(here)));
  bool installed = theirs.Install(WH_CBT, worker_id, Recorder(there));
  SetEvent(go);
  worker.join();
  CloseHandle(ready);
  CloseHandle(go);
  ASSERT_TRUE(installed);
  EXPECT_EQ(theirs.ThreadId(), worker_id);
  ASSERT_GE(IndexOf(there, HCBT_CREATEWND, made), 0);
  EXPECT_GE(IndexOf(there, HCBT_DESTROYWND, made), 0);
  for (const CbtEvent& e : there) EXPECT_EQ(e.thread, worker_id);
  EXPECT_EQ(IndexOf(here, HCBT_CREATEWND, made), -1);
}

// A handler running on another thread sends this thread a message and waits for the answer
// while this thread removes the hook and waits for the handler: this thread answers meanwhile.
TEST_F(HookTest, RemovingWaitsForARunningHandlerThatSendsToTheRemovingThread) {
  HWND here = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(here);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE inside = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD worker_id = 0;
  std::atomic<bool> answered{false};
  std::thread worker([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    worker_id = GetCurrentThreadId();
    SetEvent(ready);
    WaitForSingleObject(go, 10000);
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(w);
  });
  WaitForSingleObject(ready, 10000);
  TThreadHook theirs;
  bool sent = false;
  ASSERT_TRUE(theirs.Install(WH_CBT, worker_id, [&](int code, WPARAM, LPARAM, LRESULT&) {
    if (code == HCBT_CREATEWND && !sent) {
      sent = true;
      SetEvent(inside);
      DWORD_PTR result = 0;
      answered = SendMessageTimeoutW(here, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
    }
    return false;
  }));
  SetEvent(go);
  ASSERT_EQ(WaitForSingleObject(inside, 10000), WAIT_OBJECT_0);
  theirs.Remove();
  worker.join();
  EXPECT_TRUE(answered);  // a removal that did not answer would have left the handler waiting
  for (HANDLE h : {ready, inside, go}) CloseHandle(h);
  DestroyWindow(here);
}

TEST_F(HookTest, FailingHandlerLetsTheEventGoOn) {
  TThreadHook hook;
  ASSERT_TRUE(hook.Install(WH_CBT, GetCurrentThreadId(), [](int code, WPARAM, LPARAM, LRESULT&) -> bool {
    if (code == HCBT_CREATEWND) throw std::runtime_error("hook failed");
    return false;
  }));
  HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(w, nullptr);
  DestroyWindow(w);
  EXPECT_EQ(g_dropped, std::vector<std::string>{"hook failed"});
  EXPECT_TRUE(boxes.empty()) << "a box inside a hook would run the hook again";
}

TEST_F(HookTest, InstallFailsWhenRefusedOrOutOfSlots) {
  TThreadHook twice;
  auto pass = [](int, WPARAM, LPARAM, LRESULT&) { return false; };
  ASSERT_TRUE(twice.Install(WH_CBT, GetCurrentThreadId(), pass));
  EXPECT_FALSE(twice.Install(WH_CBT, GetCurrentThreadId(), pass)) << "installed already";
  TThreadHook nowhere;
  EXPECT_FALSE(nowhere.Install(WH_CBT, 0xFFFFFFF0u, pass)) << "no such thread";
  EXPECT_FALSE(nowhere.Installed());

  std::vector<std::unique_ptr<TThreadHook>> many;
  for (;;) {
    auto h = std::make_unique<TThreadHook>();
    if (!h->Install(WH_CBT, GetCurrentThreadId(), pass)) break;
    many.push_back(std::move(h));
    ASSERT_LT(many.size(), 100u);
  }
  EXPECT_EQ(many.size() + 1, static_cast<size_t>(TThreadHook::kMaxHooks));
  many.pop_back();
  TThreadHook again;
  EXPECT_TRUE(again.Install(WH_CBT, GetCurrentThreadId(), pass)) << "a freed slot is taken again";
}

// ---- window subclassing ----

constexpr UINT kAsk = WM_APP + 1;      // the window answers 100 + wParam
constexpr UINT kSwallow = WM_APP + 2;  // our handler keeps it
std::vector<std::string> g_log;         // who saw kAsk, in order
int g_plain_ncdestroy = 0;

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kAsk || m == kSwallow) {
    g_log.push_back("plain");
    return 100 + static_cast<LRESULT>(wp);
  }
  if (m == WM_NCDESTROY) ++g_plain_ncdestroy;
  return DefWindowProcW(w, m, wp, lp);
}

// A window of its own class, as a window of another module would be.
class PlainWindow {
 public:
  PlainWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QnPlainTestWindow";
    RegisterClassW(&wc);
    wnd_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance, nullptr);
  }
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;
  ~PlainWindow() {
    if (IsWindow(wnd_)) DestroyWindow(wnd_);
  }
  HWND Get() const { return wnd_; }
  WNDPROC Proc() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd_, GWLP_WNDPROC)); }
  LRESULT Ask(WPARAM w) const { return SendMessageW(wnd_, kAsk, w, 0); }

 private:
  HWND wnd_;
};

class SubclassTest : public ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    g_log.clear();
    g_plain_ncdestroy = 0;
  }
  // Our handler: notes kAsk, passes it on and adds 1000 to the answer; keeps kSwallow.
  TWindowSubclass::THandler Ours(TWindowSubclass& self) {
    return [&self](TMessage& m) {
      if (m.Msg == kSwallow) {
        m.Result = 7;
        return;
      }
      if (m.Msg == kAsk) g_log.push_back("ours");
      self.CallPrevious(m);
      if (m.Msg == kAsk) m.Result += 1000;
    };
  }
};

TEST_F(SubclassTest, HandlerSeesMessagesFirstAndMayPassThemOn) {
  PlainWindow plain;
  TWindowSubclass sub;
  ASSERT_TRUE(sub.Install(plain.Get(), Ours(sub)));
  EXPECT_EQ(sub.Handle(), plain.Get());
  EXPECT_EQ(plain.Ask(5), 1105);
  EXPECT_EQ(g_log, (std::vector<std::string>{"ours", "plain"}));
  g_log.clear();
  EXPECT_EQ(SendMessageW(plain.Get(), kSwallow, 0, 0), 7);
  EXPECT_TRUE(g_log.empty()) << "a kept message does not reach the window";
}

TEST_F(SubclassTest, RemoveRestoresTheWindowProcedure) {
  PlainWindow plain;
  const WNDPROC original = plain.Proc();
  {
    TWindowSubclass sub;
    ASSERT_TRUE(sub.Install(plain.Get(), Ours(sub)));
    EXPECT_NE(plain.Proc(), original);
  }
  EXPECT_EQ(plain.Proc(), original);
  g_log.clear();
  EXPECT_EQ(plain.Ask(1), 101);
  EXPECT_EQ(g_log, (std::vector<std::string>{"plain"}));
}

// Others who subclass the window after us, in the two ways a window procedure is replaced.
WNDPROC g_raw_previous = nullptr;
LRESULT CALLBACK RawProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kAsk) g_log.push_back("later");
  return CallWindowProcW(g_raw_previous, w, m, wp, lp);
}
LRESULT CALLBACK LaterSubclassProc(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (m == kAsk) g_log.push_back("later");
  return DefSubclassProc(w, m, wp, lp);
}

struct LaterParty {
  const char* what;
  void (*add)(HWND);
  void (*remove)(HWND);
};
const LaterParty kLaterParties[] = {
    {"SetWindowSubclass", [](HWND w) { SetWindowSubclass(w, LaterSubclassProc, 1, 0); },
     [](HWND w) { RemoveWindowSubclass(w, LaterSubclassProc, 1); }},
    {"SetWindowLongPtr",
     [](HWND w) {
       g_raw_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RawProc)));
     },
     [](HWND w) { SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_raw_previous)); }},
};

TEST_F(SubclassTest, RemovalIsExactWhenAnotherSubclassCameAfterUs) {
  for (const LaterParty& later : kLaterParties) {
    SCOPED_TRACE(later.what);
    PlainWindow plain;
    const WNDPROC original = plain.Proc();
    auto sub = std::make_unique<TWindowSubclass>();
    ASSERT_TRUE(sub->Install(plain.Get(), Ours(*sub)));
    later.add(plain.Get());
    g_log.clear();
    EXPECT_EQ(plain.Ask(2), 1102);
    EXPECT_EQ(g_log, (std::vector<std::string>{"later", "ours", "plain"}));

    sub.reset();
    g_log.clear();
    EXPECT_EQ(plain.Ask(3), 103);
    EXPECT_EQ(g_log, (std::vector<std::string>{"later", "plain"}));

    later.remove(plain.Get());
    g_log.clear();
    EXPECT_EQ(plain.Ask(4), 104);
    EXPECT_EQ(g_log, (std::vector<std::string>{"plain"}));
    EXPECT_EQ(plain.Proc(), original);
  }
}

TEST_F(SubclassTest, ReleasedAtNcDestroyEvenWhenTheHandlerKeepsEverything) {
  PlainWindow plain;
  int released = 0;
  TWindowSubclass sub;
  ASSERT_TRUE(sub.Install(plain.Get(), [](TMessage& m) { m.Result = 0; }));
  sub.OnReleased = [&] { ++released; };
  DestroyWindow(plain.Get());
  EXPECT_EQ(released, 1);
  EXPECT_FALSE(sub.Installed());
  EXPECT_EQ(sub.Handle(), nullptr);
  EXPECT_EQ(g_plain_ncdestroy, 1) << "the window's own teardown ran";
  sub.Remove();  // nothing left to do

  // An object that goes in its own handler at WM_NCDESTROY, under someone else's procedure,
  // leaves no binding behind either (the fixture counts them).
  PlainWindow other;
  auto* gone = new TWindowSubclass;
  ASSERT_TRUE(gone->Install(other.Get(), [&gone](TMessage& m) {
    if (m.Msg == WM_NCDESTROY) {
      delete gone;
      gone = nullptr;
    }
  }));
  kLaterParties[1].add(other.Get());
  DestroyWindow(other.Get());
  EXPECT_EQ(gone, nullptr);
  EXPECT_EQ(g_plain_ncdestroy, 2);
}

TEST_F(SubclassTest, ObjectMayGoInsideItsOwnHandler) {
  PlainWindow plain;
  auto* sub = new TWindowSubclass;
  ASSERT_TRUE(sub->Install(plain.Get(), [&sub](TMessage& m) {
    if (m.Msg == kAsk) {
      delete sub;
      sub = nullptr;
      m.Result = 9;
    }
  }));
  EXPECT_EQ(plain.Ask(1), 9);
  EXPECT_EQ(sub, nullptr);
  g_log.clear();
  EXPECT_EQ(plain.Ask(1), 101);
  EXPECT_EQ(g_log, (std::vector<std::string>{"plain"}));

  // Removing itself first, it can still hand the message on.
  TWindowSubclass self;
  ASSERT_TRUE(self.Install(plain.Get(), [&self](TMessage& m) {
    if (m.Msg != kAsk) return self.CallPrevious(m);
    self.Remove();
    self.CallPrevious(m);
  }));
  EXPECT_EQ(plain.Ask(6), 106);
  EXPECT_FALSE(self.Installed());
}

TEST_F(SubclassTest, FailingHandlerLeavesTheMessageToTheWindow) {
  PlainWindow plain;
  TWindowSubclass sub;
  ASSERT_TRUE(sub.Install(plain.Get(), [&sub](TMessage& m) {
    if (m.Msg == kAsk) throw std::runtime_error("paint failed");
    sub.CallPrevious(m);
  }));
  EXPECT_EQ(plain.Ask(8), 108);
  EXPECT_EQ(g_dropped, std::vector<std::string>{"paint failed"});
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SubclassTest, WorksBesideAClassLibraryControlsOwnMessageMethod) {
  auto* form = new TForm(Application);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  HWND wnd = edit->Handle();
  std::vector<std::wstring> texts;
  TWindowSubclass sub;
  ASSERT_TRUE(sub.Install(wnd, [&](TMessage& m) {
    if (m.Msg == WM_SETTEXT) texts.push_back(reinterpret_cast<const wchar_t*>(m.LParam));
    sub.CallPrevious(m);
  }));
  edit->SetText(L"当归");
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"当归"}));
  EXPECT_EQ(HwndGetText(wnd), L"当归");
  EXPECT_EQ(FindControl(wnd), edit);
  form->Free();  // the edit's window goes first: the binding lets go at WM_NCDESTROY
  EXPECT_FALSE(sub.Installed());
}

TEST_F(SubclassTest, InstallRefusesWhatItCannotBind) {
  PlainWindow plain;
  TWindowSubclass sub;
  auto pass = [&sub](TMessage& m) { sub.CallPrevious(m); };
  EXPECT_FALSE(sub.Install(nullptr, pass));
  HWND foreign = nullptr;
  HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread owner([&] {
    foreign = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetEvent(made);
    WaitForSingleObject(done, 10000);
    DestroyWindow(foreign);
  });
  WaitForSingleObject(made, 10000);
  EXPECT_TRUE(IsWindow(foreign));
  EXPECT_FALSE(sub.Install(foreign, pass)) << "a window of another thread";
  SetEvent(done);
  owner.join();
  CloseHandle(made);
  CloseHandle(done);
  ASSERT_TRUE(sub.Install(plain.Get(), pass));
  EXPECT_FALSE(sub.Install(plain.Get(), pass)) << "bound already";
}

// ---- timers ----

int TimerWindows() {
  int n = 0;
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, L"TPUtilWindow", nullptr)) != nullptr;) ++n;
  return n;
}

// The timers of a thread tick through one window, each for itself. One freed by another thread
// never ticks again, and the window goes with the thread's last timer.
TEST_F(ServicesTest, TimersOfAThreadShareOneWindowAndTickEachForItself) {
  const int windows = TimerWindows();
  int ticks[2] = {0, 0};
  auto count = [](void* n, TObject*) { ++*static_cast<int*>(n); };
  auto first = std::make_unique<TTimer>(nullptr);
  auto second = std::make_unique<TTimer>(nullptr);
  first->OnTimer = TNotifyEvent(&ticks[0], count);
  second->OnTimer = TNotifyEvent(&ticks[1], count);
  first->SetInterval(1);
  second->SetInterval(1);
  EXPECT_LE(TimerWindows(), windows + 1);
  ASSERT_TRUE(Pump([&] { return ticks[0] >= 2 && ticks[1] >= 2; }));

  second->SetEnabled(false);
  const int stopped = ticks[1];
  ASSERT_TRUE(Pump([&] { return ticks[0] >= stopped + 5; }));
  EXPECT_EQ(ticks[1], stopped) << "a disabled timer ticked";

  second->SetEnabled(true);
  std::thread([&] { second.reset(); }).join();
  const int freed = ticks[1], now = ticks[0];
  ASSERT_TRUE(Pump([&] { return ticks[0] >= now + 5; }));
  EXPECT_EQ(ticks[1], freed) << "a timer freed by another thread ticked";

  first.reset();
  Application->ProcessMessages();
  EXPECT_EQ(TimerWindows(), windows) << "the timers' window outlived them";
}

// ---- errors in callbacks ----

// The user hears of errors in the application's own handlers only. Library and engine callbacks
// (the hooks and subclasses above, quiet timers) drop theirs: a box there would open inside the
// callback that failed.
TEST_F(ServicesTest, OnlyTheApplicationsOwnHandlersReportErrors) {
  auto* form = new TForm(Application);
  Application->SetMainForm(form);
  form->OnClose = TCloseEvent(nullptr, [](void*, TObject*, TCloseAction&) { throw std::runtime_error("close failed"); });
  auto* button = new TButton(form);
  button->SetParent(form);
  button->OnClick = TNotifyEvent(nullptr, [](void*, TObject*) { throw std::runtime_error("click failed"); });
  auto tick = [&](bool quiet) {
    TTimer timer(nullptr);
    timer.SetQuiet(quiet);
    timer.SetInterval(1);
    timer.OnTimer = TNotifyEvent(&timer, [](void* t, TObject*) {
      static_cast<TTimer*>(t)->SetEnabled(false);  // one tick
      throw std::runtime_error("tick failed");
    });
    EXPECT_TRUE(Pump([&] { return !boxes.empty() || !g_dropped.empty(); }));
  };
  struct Case {
    const char* what;
    std::function<void()> fail;
    bool reported;  // to the application's sink; else dropped
    const char* error;
  } cases[] = {
      {"quiet timer", [&] { tick(true); }, false, "tick failed"},
      {"application timer", [&] { tick(false); }, true, "tick failed"},
      {"button's OnClick", [&] { SendMessageW(button->Handle(), BM_CLICK, 0, 0); }, true, "click failed"},
      {"main form's OnClose through the application window",
       [&] { SendMessageW(Application->Handle(), WM_CLOSE, 0, 0); }, true, "close failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.clear();
    g_dropped.clear();
    EXPECT_NO_THROW(c.fail());
    if (c.reported) {
      EXPECT_EQ(boxes, std::vector<std::wstring>{Utf8ToWide(c.error) + L"."});
      EXPECT_TRUE(g_dropped.empty());
    } else {
      EXPECT_EQ(g_dropped, std::vector<std::string>{c.error});
      EXPECT_TRUE(boxes.empty());
    }
  }
  EXPECT_FALSE(Application->Terminated()) << "the failed OnClose did not end the program";
}

// ---- properties by name ----

class PropTest : public ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    form = new TForm(Application);
    form->SetCaption(L"配方");
    form->SetTag(7);
    button = new TButton(form);
    button->SetParent(form);
    button->SetCaption(L"确定");
    edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetText(L"黄芪");
    label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption(L"风湿");
    label->SetLeft(12);
  }
  TForm* form = nullptr;
  TButton* button = nullptr;
  TEdit* edit = nullptr;
  TLabel* label = nullptr;
};

TEST_F(PropTest, ReadsEachKindByName) {
  EXPECT_EQ(GetPropText(button, "Caption"), L"确定");
  EXPECT_EQ(GetPropText(edit, "Text"), L"黄芪");
  EXPECT_EQ(GetPropText(label, "caption"), L"风湿") << "names compare without case";
  EXPECT_EQ(GetPropText(form, "Caption"), L"配方");

  EXPECT_EQ(GetPropInt(form, "Tag"), 7);
  EXPECT_EQ(GetPropInt(label, "Left"), 12);
  EXPECT_EQ(GetPropInt(button, "Color"), button->Color());
  EXPECT_LT(GetPropInt(form, "Color"), 0) << "a system colour stays a system colour code";

  EXPECT_EQ(GetPropEnum(button, "Enabled"), "True");
  EXPECT_EQ(GetPropEnum(label, "Alignment"), "taLeftJustify");
  EXPECT_TRUE(PropEnumIs(edit, "BorderStyle", "bssingle"));
  EXPECT_FALSE(PropEnumIs(edit, "BorderStyle", "bsnone"));

  EXPECT_EQ(GetPropObject(button, "Font"), button->Font());
  EXPECT_EQ(GetPropObject(label, "Font", "TFont"), label->Font());
  EXPECT_EQ(GetPropObject(label, "Font", "TPersistent"), label->Font()) << "an ancestor class will do";
}

TEST_F(PropTest, AbsentPropertiesAndOtherKindsGiveTheAbsentAnswer) {
  struct Case {
    TObject* obj;
    const char* name;
  } cases[] = {
      {button, "Glyph"}, {label, "Glyph"}, {nullptr, "Caption"}, {button, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GetPropInt(c.obj, c.name), -1);
    EXPECT_EQ(GetPropEnum(c.obj, c.name), "");
    EXPECT_EQ(GetPropText(c.obj, c.name), L"");
    EXPECT_EQ(GetPropObject(c.obj, c.name), nullptr);
    EXPECT_FALSE(SetPropText(c.obj, c.name, L"1"));
  }
  // A property of another kind than asked for reads as absent.
  EXPECT_EQ(GetPropInt(button, "Enabled"), -1);
  EXPECT_EQ(GetPropInt(button, "Caption"), -1);
  EXPECT_EQ(GetPropInt(button, "Font"), -1);
  EXPECT_EQ(GetPropEnum(button, "Color"), "");
  EXPECT_EQ(GetPropText(button, "Left"), L"");
  EXPECT_EQ(GetPropObject(button, "Caption"), nullptr);
  EXPECT_EQ(GetPropObject(label, "Font", "TBrush"), nullptr);
}

TEST_F(PropTest, WritesFromText) {
  EXPECT_TRUE(SetPropText(label, "Caption", L"补肾"));
  EXPECT_EQ(label->Caption(), L"补肾");
  EXPECT_TRUE(SetPropText(edit, "Text", L"枸杞"));
  EXPECT_EQ(HwndGetText(edit->Handle()), L"枸杞");

  EXPECT_TRUE(SetPropText(form, "Color", L"255"));
  EXPECT_EQ(form->Color(), 255);
  EXPECT_TRUE(SetPropText(button, "Color", L"-16777201"));
  EXPECT_EQ(button->Color(), clBtnFace);

  HWND wnd = button->Handle();
  EXPECT_TRUE(SetPropText(button, "Enabled", L"False"));
  EXPECT_FALSE(button->Enabled());
  EXPECT_FALSE(IsWindowEnabled(wnd));
  EXPECT_FALSE(SetPropText(button, "Enabled", L"Maybe")) << "unknown value name";
  EXPECT_FALSE(button->Enabled());

  // Kinds that are not written from text.
  EXPECT_FALSE(SetPropText(button, "Font", L"x"));
  EXPECT_FALSE(SetPropText(button->Font(), "Style", L"[fsBold]"));
  EXPECT_EQ(button->Font()->Style(), 0u);
}

TEST_F(PropTest, IntegerFromTextThatIsNotOneFails) {
  for (const wchar_t* text : {L"abc", L"", L"-", L"12x", L" 12", L"2147483648", L"$FF", L"1.5"}) {
    EXPECT_THROW(SetPropText(form, "Tag", text), EConvertError) << WideToUtf8(text);
  }
  EXPECT_EQ(form->Tag(), 7);
  EXPECT_TRUE(SetPropText(form, "Tag", L"-2147483648"));
  EXPECT_EQ(form->Tag(), INT32_MIN);
  EXPECT_TRUE(SetPropText(form, "Tag", L"+99"));
  EXPECT_EQ(form->Tag(), 99);
}

// ---- entry points looked up at run time ----

class LookupTest : public ServicesTest {
 protected:
  void TearDown() override {
    for (auto e : {TUser32Entry::GetScrollBarInfo, TUser32Entry::TrackMouseEvent, TUser32Entry::GetComboBoxInfo})
      User32SimulateMissing(e, false);
    ServicesTest::TearDown();
  }
};

TEST_F(LookupTest, EachEntryWorksAndMissingGivesTheFallback) {
  auto* form = new TForm(Application);
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetScrollBars(TScrollStyle::ssVertical);
  HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWN, 0, 0, 100, 120, form->Handle(),
                               nullptr, nullptr, nullptr);
  ASSERT_NE(combo, nullptr);

  struct Case {
    TUser32Entry entry;
    const char* what;
    std::function<bool()> call;
  } cases[] = {
      {TUser32Entry::GetScrollBarInfo, "GetScrollBarInfo",
       [&] {
         SCROLLBARINFO info;
         bool ok = User32GetScrollBarInfo(memo->Handle(), OBJID_VSCROLL, info);
         EXPECT_EQ(info.cbSize, 60u);
         if (!ok) {
           EXPECT_EQ(info.rcScrollBar.bottom, 0);
         }
         return ok;
       }},
      {TUser32Entry::TrackMouseEvent, "TrackMouseEvent",
       [&] {
         TRACKMOUSEEVENT tme{};
         tme.dwFlags = TME_LEAVE;
         tme.hwndTrack = memo->Handle();
         return User32TrackMouseEvent(tme);
       }},
      {TUser32Entry::GetComboBoxInfo, "GetComboBoxInfo",
       [&] {
         COMBOBOXINFO info;
         bool ok = User32GetComboBoxInfo(combo, info);
         EXPECT_EQ(ok, info.hwndList != nullptr);
         return ok;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(User32HasEntry(c.entry)) << "the system has it";
    EXPECT_TRUE(c.call());
    User32SimulateMissing(c.entry, true);
    EXPECT_FALSE(User32HasEntry(c.entry));
    EXPECT_FALSE(c.call());
    User32SimulateMissing(c.entry, false);
    EXPECT_TRUE(c.call());
  }
  DestroyWindow(combo);
}

// ---- GDI objects ----

class GdiTest : public ServicesTest {};

// A canvas keeps its font, brush and pen selected between drawing calls. Changing one makes a
// new object; the old one may go only once the canvas has let go of it, since Windows refuses
// to delete a selected object and it leaks.
TEST_F(GdiTest, ChangingASelectedToolDeletesTheOldOneAfterTheCanvasLetsGo) {
  TFont big;
  big.SetHeight(-24);
  struct Case {
    const char* what;
    std::function<void(TCanvas&)> change;
  } cases[] = {
      {"font name", [](TCanvas& c) { c.Font().SetName(L"Tahoma"); }},
      {"font assigned", [&](TCanvas& c) { c.Font().Assign(&big); }},
      {"brush colour", [](TCanvas& c) { c.Brush().SetColor(clRed); }},
      {"brush style", [](TCanvas& c) { c.Brush().SetStyle(TBrushStyle::bsClear); }},
      {"pen colour", [](TCanvas& c) { c.Pen().SetColor(clBlue); }},
      {"pen width", [](TCanvas& c) { c.Pen().SetWidth(3); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TBitmap bmp(16, 16);
    TCanvas& canvas = bmp.Canvas();
    canvas.TextOut(0, 0, L"酒");  // font, brush and pen selected
    const int selected = SelectedDeletes(), failed = FailedReleases();
    c.change(canvas);
    canvas.Rectangle(0, 0, 8, 8);  // with the new one
    EXPECT_EQ(SelectedDeletes(), selected);
    EXPECT_EQ(FailedReleases(), failed);
  }
}

// What the test main relies on: deleting an object still selected into a DC of the library is
// caught, in memory DCs and window DCs alike.
TEST_F(GdiTest, DeletingAnObjectStillSelectedIsCaught) {
  auto* form = new TForm(Application);
  TWindowDC window(form->Handle());
  TMemDCHandle memory = MakeMemDC();
  auto check = [](HDC dc, auto owned, THandleKind kind, const std::string& name) {
    SCOPED_TRACE(name);
    const int selected = SelectedDeletes(), failed = FailedReleases();
    HGDIOBJ obj = owned.Get();
    HGDIOBJ old = SelectObject(dc, obj);
    owned.Reset();
    SelectObject(dc, old);
    EXPECT_EQ(SelectedDeletes(), selected + 1);
    std::vector<std::string> faults = TakeGdiFaults();
    ASSERT_FALSE(faults.empty());
    EXPECT_EQ(faults[0], name + " deleted while still selected into a device context");
    if (FailedReleases() > failed) {  // Windows refused it (Wine puts it off): out now, so free it
      EXPECT_TRUE(DeleteObject(obj));
      CountHandle(kind, -1);
    }
  };
  check(memory.Get(), TFontHandle(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体")),
        THandleKind::Font, "font");
  check(memory.Get(), MakeSolidBrush(RGB(1, 2, 3)), THandleKind::Brush, "brush");
  check(memory.Get(), MakePen(PS_SOLID, 2, RGB(1, 2, 3)), THandleKind::Pen, "pen");
  check(memory.Get(), MakeCompatibleBitmap(memory.Get(), 4, 4), THandleKind::Bitmap, "bitmap");
  check(window.Get(), MakeSolidBrush(RGB(4, 5, 6)), THandleKind::Brush, "brush");
}

// A release the system refuses is a leak: the object stays counted as live, and the refusal is
// counted and reported.
TEST_F(GdiTest, RefusedReleaseLeavesTheObjectCountedAsLive) {
  auto refuse = [](auto owned, THandleKind kind, auto free_behind, const std::string& fault) {
    SCOPED_TRACE(fault);
    const int live = LiveHandles(kind), failed = FailedReleases();
    free_behind(owned.Get());  // someone else frees it behind the owner's back
    owned.Reset();
    EXPECT_EQ(FailedReleases(), failed + 1);
    EXPECT_EQ(LiveHandles(kind), live);
    EXPECT_EQ(TakeGdiFaults(), std::vector<std::string>{fault});
    CountHandle(kind, -1);  // it is gone in truth: the books as they were
  };
  refuse(MakeSolidBrush(RGB(1, 2, 3)), THandleKind::Brush, [](HBRUSH h) { DeleteObject(h); },
         "brush not released: DeleteObject failed");
  refuse(MakeMemDC(), THandleKind::DC, [](HDC h) { DeleteDC(h); }, "DC not released: DeleteDC failed");
  refuse(TMenuHandle(CreatePopupMenu()), THandleKind::Menu, [](HMENU h) { DestroyMenu(h); },
         "menu not released: DestroyMenu failed");
  refuse(TIconHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))), THandleKind::Icon,
         [](HICON h) { DestroyIcon(h); }, "icon not released: DestroyIcon failed");
}

// ---- regions and blits ----

class RegionBlitTest : public ServicesTest {};

TEST_F(RegionBlitTest, RegionsFromRectanglesAndRuns) {
  TRegionHandle rects = MakeRegionFromRects({{0, 0, 10, 5}, {20, 20, 20, 30}, {5, 5, 8, 15}});
  ASSERT_TRUE(rects);
  EXPECT_TRUE(PtInRegion(rects.Get(), 9, 4));
  EXPECT_TRUE(PtInRegion(rects.Get(), 6, 14));
  EXPECT_FALSE(PtInRegion(rects.Get(), 9, 10));
  EXPECT_FALSE(PtInRegion(rects.Get(), 20, 25)) << "an empty rectangle adds nothing";

  TRegionHandle none = MakeRegionFromRects({});
  RECT box;
  ASSERT_TRUE(none);
  EXPECT_EQ(GetRgnBox(none.Get(), &box), NULLREGION);

  // More runs than one system call is given at once.
  std::vector<TPixelRun> runs;
  for (int y = 0; y < 5000; ++y) runs.push_back({y, y % 7, y % 7 + 3});
  TRegionHandle many = MakeRegionFromRuns(runs);
  ASSERT_TRUE(many);
  EXPECT_EQ(GetRgnBox(many.Get(), &box), COMPLEXREGION);
  EXPECT_EQ(box.bottom, 5000);
  EXPECT_EQ(box.right, 9);
  EXPECT_TRUE(PtInRegion(many.Get(), 4999 % 7 + 2, 4999));
  EXPECT_FALSE(PtInRegion(many.Get(), 4999 % 7 + 3, 4999));
  EXPECT_TRUE(PtInRegion(many.Get(), 2001 % 7, 2001));
  EXPECT_FALSE(PtInRegion(many.Get(), 2001 % 7 - 1, 2001));

  ASSERT_TRUE(CombineRegions(rects.Get(), rects.Get(), none.Get(), RGN_OR));
  TRegionHandle hole = MakeRectRgn(0, 0, 3, 3);
  ASSERT_TRUE(CombineRegions(rects.Get(), rects.Get(), hole.Get(), RGN_DIFF));
  EXPECT_FALSE(PtInRegion(rects.Get(), 1, 1));
  EXPECT_TRUE(PtInRegion(rects.Get(), 4, 1));
  EXPECT_FALSE(CombineRegions(rects.Get(), rects.Get(), nullptr, RGN_OR));
}

TEST_F(RegionBlitTest, WindowTakesItsRegion) {
  HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
  const int regions = LiveHandles(THandleKind::Region);
  TRegionHandle shape = MakeRegionFromRects({{0, 0, 40, 20}, {10, 20, 30, 40}});
  ASSERT_TRUE(SetWindowRegion(wnd, shape, false));
  EXPECT_FALSE(shape) << "the window owns it";
  EXPECT_EQ(LiveHandles(THandleKind::Region), regions);

  TRegionHandle probe = MakeRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(wnd, probe.Get()), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(probe.Get(), 15, 30));
  EXPECT_FALSE(PtInRegion(probe.Get(), 5, 30));

  TRegionHandle nothing;
  ASSERT_TRUE(SetWindowRegion(wnd, nothing, false));
  EXPECT_EQ(GetWindowRgn(wnd, probe.Get()), ERROR) << "the shape is gone";

  TRegionHandle kept = MakeRectRgn(0, 0, 5, 5);
  EXPECT_FALSE(SetWindowRegion(nullptr, kept, false));
  EXPECT_TRUE(kept) << "a refused region stays ours";
  DestroyWindow(wnd);
}

TEST_F(RegionBlitTest, StretchKeepsWholePixelsAndTheTargetsMode) {
  TBitmap src(2, 1), dst(4, 1);
  SetPixelV(src.DC(), 0, 0, RGB(255, 0, 255));
  SetPixelV(src.DC(), 1, 0, RGB(0, 0, 255));
  SetStretchBltMode(dst.DC(), HALFTONE);
  ASSERT_TRUE(StretchBlit(dst.DC(), {0, 0, 4, 1}, src.DC(), {0, 0, 2, 1}));
  EXPECT_EQ(GetStretchBltMode(dst.DC()), HALFTONE);
  const COLORREF expected[] = {RGB(255, 0, 255), RGB(255, 0, 255), RGB(0, 0, 255), RGB(0, 0, 255)};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(GetPixel(dst.DC(), x, 0), expected[x]) << x;

  TBitmap copy(4, 1);
  ASSERT_TRUE(Blit(copy.DC(), 0, 0, 4, 1, dst.DC(), 0, 0));
  EXPECT_EQ(GetPixel(copy.DC(), 3, 0), RGB(0, 0, 255));
}

TEST_F(RegionBlitTest, MaskedCopyLeavesTheTransparentColourOut) {
  TBitmap src(3, 1), dst(3, 1);
  const COLORREF magenta = RGB(255, 0, 255), green = RGB(0, 128, 0), white = RGB(255, 255, 255);
  SetPixelV(src.DC(), 0, 0, magenta);
  SetPixelV(src.DC(), 1, 0, green);
  SetPixelV(src.DC(), 2, 0, magenta);
  for (int x = 0; x < 3; ++x) SetPixelV(dst.DC(), x, 0, white);
  TBitmapHandle mask = src.MakeMask(clFuchsia);
  ASSERT_TRUE(mask);
  ASSERT_TRUE(BlitTransparent(dst.DC(), 0, 0, 3, 1, src.DC(), 0, 0, mask.Get()));
  EXPECT_EQ(GetPixel(dst.DC(), 0, 0), white);
  EXPECT_EQ(GetPixel(dst.DC(), 1, 0), green);
  EXPECT_EQ(GetPixel(dst.DC(), 2, 0), white);
}

}  // namespace
}  // namespace qn
