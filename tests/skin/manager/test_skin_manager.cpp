// The skin manager with real windows: which windows it admits, the actions it defers to its
// timer, the bookkeeping of open menus, and windows of a second GUI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/core/TextConv.h"
#include "platform/win/Forms.h"
#include "platform/win/StdCtrls.h"
#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinDlg.h"
#include "tests/skin/form/FormFixture.h"

namespace qn {
namespace {

using test::ButtonsAndTitle;
using test::FrameMatchesSkin;
using test::RepaintFrameFromBlack;
using test::WindowPixels;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string StoredBuiltinSkin() {
  std::vector<uint8_t> package = ReadFile(std::string(QN_SKIN_DIR) + "/builtin.skn");
  std::vector<uint8_t> stream(4);
  uint32_t n = static_cast<uint32_t>(package.size());
  std::memcpy(stream.data(), &n, 4);
  stream.insert(stream.end(), package.begin(), package.end());
  static const char* digits = "0123456789ABCDEF";
  std::string hex = "{";
  for (uint8_t b : stream) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex + "}";
}

class TMainForm : public TForm {
  QN_CLASS(TMainForm)
 public:
  explicit TMainForm(TComponent* owner) : TForm(owner) {
    PublishMethod("Changed", TMethodRef(TNotifyEvent::Bind<&TMainForm::Changed>(this)));
    PublishMethod("Veto", TMethodRef(TFormSkinEvent::Bind<&TMainForm::Veto>(this)));
  }
  void Changed(TObject*) { ++changes; }
  void Veto(TObject*, const std::wstring& cls, bool& skin) {
    if (cls == L"QnVetoed") skin = false;
  }
  int changes = 0;
};
QN_CLASS_IMPL(TMainForm, TForm)

// A plain window of our own class, optionally answering WM_SKINQUERY itself.
LRESULT CALLBACK PlainProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_SKINQUERY && GetPropW(wnd, L"QnSkinned")) return 1;
  return DefWindowProcW(wnd, msg, w, l);
}

HWND MakePlain(const wchar_t* cls, DWORD style = WS_OVERLAPPEDWINDOW, int w = 200, int h = 120,
               HINSTANCE inst = GetModuleHandleW(nullptr)) {
  WNDCLASSW wc{};
  if (!GetClassInfoW(inst, cls, &wc)) {
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = inst;
    wc.lpszClassName = cls;
    ::RegisterClassW(&wc);
  }
  return CreateWindowExW(0, cls, L"plain", style, 10, 10, w, h, nullptr, nullptr, inst, nullptr);
}

class SkinManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    RegisterSkinClasses();
    RegisterComponentClass(TMainForm::StaticClass());
    Application->MessageBoxHook = [](const std::wstring&, const std::wstring&, UINT) { return IDOK; };
    main = Application->CreateForm<TMainForm>();
    main->ReadFormText("object Main: TMainForm\n  Caption = 'main'\n  ClientWidth = 300\n  ClientHeight = 200\n"
                       "  object SkinData1: TSkinData\n    Active = True\n    OnSkinChanged = Changed\n"
                       "    OnFormSkin = Veto\n    SkinStream = " + StoredBuiltinSkin() + "\n  end\nend\n");
    data = main->Find<TSkinData>("SkinData1");
    m = SkinManager();
  }
  void TearDown() override {
    for (HWND w : plains) DestroyWindow(w);
    DoneApplication();
    FreeSkinManager();
    for (void* p : clobbered) ::operator delete(p);
    EXPECT_EQ(TWinSkinForm::ThreadFaults(), 0) << "a skinner was used from another thread than its window's";
  }
  // Writes over the block an object of `size` bytes just left, so that a later use of the freed
  // object reads nonsense and fails at once, instead of the old values the heap leaves there.
  void Clobber(size_t size) {
    void* p = ::operator new(size);
    std::memset(p, 0xCD, size);
    clobbered.push_back(p);
  }
  // Shows the main form and waits until it is skinned and running.
  TWinSkinForm* ShowMain() {
    main->Show();
    EXPECT_TRUE(Pump([&] { auto* f = m->FindForm(main->Handle()); return f && f->Skinstate == 1; }));
    return m->FindForm(main->Handle());
  }
  // A plain window of ours, shown and so admitted through the hook.
  HWND ShownPlain() {
    HWND w = Plain(L"QnPlain");
    ShowWindow(w, SW_SHOW);
    EXPECT_TRUE(Pump([&] { auto* f = m->FindForm(w); return f && f->Skinstate == 1; }));
    return w;
  }
  HWND Plain(const wchar_t* cls, DWORD style = WS_OVERLAPPEDWINDOW, int w = 200, int h = 120,
             HINSTANCE inst = GetModuleHandleW(nullptr)) {
    HWND wnd = MakePlain(cls, style, w, h, inst);
    plains.push_back(wnd);
    return wnd;
  }
  bool Pump(const std::function<bool()>& done) { return Application->PumpUntil(done, 5000); }

  TMainForm* main = nullptr;
  TSkinData* data = nullptr;
  TSkinManage* m = nullptr;
  std::vector<HWND> plains;
  std::vector<void*> clobbered;
};

TEST_F(SkinManagerTest, TheFirstActivationStartsTheManagerAndSkinsTheWindow) {
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->state, 0);
  EXPECT_TRUE(m->active);  // the component's request only switched it on
  main->Show();
  ASSERT_TRUE(Pump([&] { return m->FindForm(main->Handle()) != nullptr; }));
  EXPECT_EQ(m->state, 1);
  TWinSkinForm* f = m->FindForm(main->Handle());
  EXPECT_EQ(f->FForm, main);
  EXPECT_EQ(f->fsd, data);
  EXPECT_EQ(f->formclass, L"TMainForm");
  EXPECT_EQ(f->Owner(), main);  // a form owns its skinner
  // Once started the window says it is skinned, and is not taken twice.
  ASSERT_TRUE(Pump([&] { return f->Skinstate == 1; }));
  EXPECT_EQ(SendMessageW(main->Handle(), WM_SKINQUERY, 0, 0), 1);
  EXPECT_FALSE(m->AddForm(main->Handle()));
  EXPECT_EQ(m->Forms().size(), 1u);
}

// A form is dressed before it first appears: when it is shown it already has its skinned size
// and shape, so its native frame is never seen. A control its OnShow makes is skinned as well.
TEST_F(SkinManagerTest, AFormAppearsInItsSkinnedFrame) {
  struct TAtShowing {
    TMainForm* form;
    TSkinManage* m;
    TWndMethod old;
    bool seen = false, skinned = false, shaped = false;
    RECT rect{};
    void Proc(TMessage& msg) {
      if (msg.Msg == WM_SHOWWINDOW && msg.WParam && !seen) {
        seen = true;
        const HWND wnd = form->Handle();
        TWinSkinForm* f = m->FindForm(wnd);
        skinned = f && f->Skinstate == 1;
        rect = HwndWindowRect(wnd);
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        shaped = GetWindowRgn(wnd, shape) != ERROR;
        DeleteObject(shape);
      }
      old(msg);
    }
  } at{main, m, main->WindowProc};
  main->WindowProc = TWndMethod::Bind<&TAtShowing::Proc>(&at);
  TButton* made = nullptr;
  main->OnShow = TNotifyEvent(&made, [](void* out, TObject* sender) {
    auto* button = new TButton(static_cast<TComponent*>(sender));
    button->SetParent(static_cast<TWinControl*>(sender));
    *static_cast<TButton**>(out) = button;
  });
  TWinSkinForm* f = ShowMain();
  main->WindowProc = at.old;
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(at.seen);
  EXPECT_TRUE(at.skinned) << "shown before it was skinned";
  EXPECT_TRUE(at.shaped) << "shown before it was shaped";
  const RECT now = HwndWindowRect(main->Handle());
  EXPECT_EQ(at.rect.right - at.rect.left, now.right - now.left) << "resized after it was shown";
  EXPECT_EQ(at.rect.bottom - at.rect.top, now.bottom - now.top) << "resized after it was shown";
  // The frame its showing painted, as the skin has it.
  ASSERT_TRUE(Pump([&] { return !GetUpdateRect(main->Handle(), nullptr, FALSE); }));
  EXPECT_TRUE(FrameMatchesSkin(WindowPixels(main->Handle()), *data->Skin(), f->FWindowActive, f->bw, ButtonsAndTitle(f)));
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(Pump([&] { return SendMessageW(made->Handle(), WM_SKINQUERY, 0, 0) == 1; }))
      << "a button made by OnShow stays plain";
}

TEST_F(SkinManagerTest, AdmissionRules) {
  m->state = 1;
  HMODULE other = GetModuleHandleW(L"kernel32.dll");
  struct Case {
    const char* what;
    std::function<HWND()> make;
    bool admitted;
  } cases[] = {
      {"a window of ours", [&] { return Plain(L"QnPlain"); }, true},
      {"a window that answers it is skinned", [&] {
         HWND w = Plain(L"QnPlain");
         SetPropW(w, L"QnSkinned", reinterpret_cast<HANDLE>(1));
         return w; }, false},
      {"no width", [&] { return Plain(L"QnPlain", WS_POPUP, 0, 50); }, false},
      {"no height", [&] { return Plain(L"QnPlain", WS_POPUP, 50, 0); }, false},
      {"another module's window", [&] { return Plain(L"QnForeign", WS_OVERLAPPEDWINDOW, 200, 120, other); }, false},
      {"another module's dialog", [&] { return Plain(L"#32770", WS_POPUP | WS_CAPTION, 200, 120, other); }, true},
      {"a dialog that forces itself to the foreground",
       [&] { return Plain(L"#32770", WS_POPUP | WS_CAPTION | DS_SETFOREGROUND, 200, 120, other); }, false},
      {"the application window", [&] { return Application->Handle(); }, false},
      {"a render window", [&] { return Plain(L"TTERenderWindowX"); }, false},
      {"a print preview", [&] { return Plain(L"QnPrintPreview"); }, true},
      {"a window the program vetoes", [&] { return Plain(L"QnVetoed"); }, false},
  };
  for (const Case& c : cases) {
    HWND wnd = c.make();
    ASSERT_TRUE(wnd) << c.what;
    EXPECT_EQ(m->AddForm(wnd), c.admitted) << c.what;
    EXPECT_EQ(m->FindForm(wnd) != nullptr, c.admitted) << c.what;
  }
  // Without the preview option windows whose class speaks of previews stay plain.
  data->SetOptions(data->Options() & ~Bit(xoPreview));
  EXPECT_FALSE(m->AddForm(Plain(L"QnOtherPreview")));
  // A form whose tag is 99 is left alone, and nothing is admitted while switched off.
  auto* tagged = Application->CreateForm<TForm>();
  tagged->SetTag(99);
  tagged->Show();
  EXPECT_FALSE(m->AddForm(tagged->Handle()));
  m->active = false;
  EXPECT_FALSE(m->AddForm(Plain(L"QnPlain")));
}

TEST_F(SkinManagerTest, DialogsUseADialogSkinWhenThereIsOne) {
  m->state = 1;
  auto* dialog_data = new TSkinData(main);
  dialog_data->SetSkinFormtype(TSkinFormType::sfDialog);
  dialog_data->LoadFromFile(Utf8ToWide(std::string(QN_SKIN_DIR) + "/ink.skn"));
  ASSERT_FALSE(dialog_data->Empty());
  m->AddSkinData(dialog_data);
  HWND dlg = Plain(L"#32770", WS_POPUP | WS_CAPTION);
  HWND plain = Plain(L"QnPlain");
  ASSERT_TRUE(m->AddForm(dlg));
  ASSERT_TRUE(m->AddForm(plain));
  EXPECT_EQ(m->FindForm(dlg)->fsd, dialog_data);
  EXPECT_EQ(m->FindForm(plain)->fsd, data);
  EXPECT_EQ(m->MainData, data);
}

TEST_F(SkinManagerTest, ActionsRunOneTimerTickLaterAndTheLastRequestWins) {
  main->Show();
  ASSERT_TRUE(Pump([&] { auto* f = m->FindForm(main->Handle()); return f && f->Skinstate == 1; }));
  HWND plain = Plain(L"QnPlain");
  ShowWindow(plain, SW_SHOW);  // activated, and so admitted through the hook
  ASSERT_TRUE(Pump([&] { auto* f = m->FindForm(plain); return f && f->Skinstate == 1; }));

  // Switching off, then on again before the timer fires: only the last request runs.
  data->Uninstall();
  data->Install();
  EXPECT_EQ(m->action, kActionSkinAll);
  ASSERT_TRUE(Pump([&] { return main->changes == 1; }));
  EXPECT_EQ(m->Forms().size(), 2u);

  // Unskinning everything lets every window go.
  data->SetActive(false);
  ASSERT_TRUE(Pump([&] { return main->changes == 2; }));
  EXPECT_TRUE(m->Forms().empty());
  EXPECT_FALSE(m->active);
  EXPECT_NE(SendMessageW(main->Handle(), WM_SKINQUERY, 0, 0), 1);

  // Skinning everything again takes the visible forms of the program.
  data->SetActive(true);
  ASSERT_TRUE(Pump([&] { return main->changes == 3; }));
  EXPECT_NE(m->FindForm(main->Handle()), nullptr);
  EXPECT_EQ(m->FindForm(plain), nullptr);  // not a form of the program

  // Re-skinning one window replaces its skinner without reporting a change.
  ASSERT_TRUE(Pump([&] { return m->FindForm(main->Handle())->Skinstate == 1; }));
  m->FindForm(main->Handle())->formclass = L"the old skinner";  // a mark the new one lacks
  data->ChangeForm(main);
  ASSERT_TRUE(Pump([&] {
    TWinSkinForm* f = m->FindForm(main->Handle());
    return f && f->formclass == L"TMainForm" && f->Skinstate == 1;
  }));
  EXPECT_EQ(main->changes, 3);
  EXPECT_EQ(m->UpdateData, data);
  EXPECT_EQ(SendMessageW(main->Handle(), WM_SKINQUERY, 0, 0), 1);
}

// While a context menu is open its window is known to the manager; once it closes the
// menu bookkeeping is reset. A thread timer looks during the menu loop, then closes the menu.
std::function<void()>* g_in_menu = nullptr;
void CALLBACK InMenuTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_in_menu) (*g_in_menu)();
}

TEST_F(SkinManagerTest, OpenMenusAreKeptAndForgottenWhenTheyClose) {
  main->Show();
  m->state = 1;
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, L"打开");
  AppendMenuW(menu, MF_STRING, 2, L"关闭");
  int seen = -1, type_seen = -1;
  std::function<void()> look = [&] {
    if (seen >= 0) return;
    seen = m->PopupCount();
    type_seen = m->menutype;
    EndMenu();
  };
  g_in_menu = &look;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, InMenuTimer);
  m->menutype = 0;
  TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, main->Handle(), nullptr);
  KillTimer(nullptr, timer);
  g_in_menu = nullptr;
  DestroyMenu(menu);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(type_seen, 1);  // a popup of a skinned form: the form's skinner said so
  ASSERT_TRUE(Pump([&] { return m->PopupCount() == 0; }));
  EXPECT_EQ(m->menutype, 0);
  EXPECT_FALSE(m->menuactive);
}

// A second GUI thread makes, activates and destroys windows while this one does the same:
// its windows are skinned on its thread and let go there; the shared lists stay whole.
TEST_F(SkinManagerTest, WindowsOfASecondGuiThreadAreSkinnedOnThatThread) {
  main->Show();
  ASSERT_TRUE(Pump([&] { auto* f = m->FindForm(main->Handle()); return f && f->Skinstate == 1; }));
  std::atomic<DWORD> other_id{0};
  std::atomic<bool> hooked{false}, stop{false}, finished{false};
  std::atomic<int> skinned{0}, made{0};
  std::thread other([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // a message queue for this thread
    other_id = GetCurrentThreadId();
    while (!hooked) Sleep(1);
    for (int i = 0; i < 20 && !stop; ++i) {
      HWND w = MakePlain(L"QnThreadWindow");
      ShowWindow(w, SW_SHOW);
      SetActiveWindow(w);
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      if (m->FindForm(w)) ++skinned;
      ++made;
      DestroyWindow(w);
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    finished = true;
  });
  while (!other_id) Sleep(1);
  data->InstallThread(other_id);
  EXPECT_TRUE(m->ThreadHooked(other_id));
  hooked = true;
  // Meanwhile this thread skins and releases windows of its own.
  for (int i = 0; i < 20; ++i) {
    HWND w = Plain(L"QnPlain");
    m->AddForm(w);
    DestroyWindow(w);
    plains.pop_back();
    Application->ProcessMessages();
  }
  // Activation moves between the threads: this one keeps answering while the other works.
  EXPECT_TRUE(Application->PumpUntil([&] { return finished.load(); }, 60000));
  stop = true;
  other.join();
  EXPECT_EQ(made, 20);
  EXPECT_EQ(skinned, 20);
  data->UnInstallThread(other_id);
  EXPECT_FALSE(m->ThreadHooked(other_id));
  // Released skinners of both threads are freed with the next purge.
  m->DeleteForm3();
  std::vector<TWinSkinForm*> left = m->Forms();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0]->Hwnd, main->Handle());
}

TEST_F(SkinManagerTest, FreeingTheManagerUnhooksAndGivesEveryWindowBack) {
  main->Show();
  ASSERT_TRUE(Pump([&] { auto* f = m->FindForm(main->Handle()); return f && f->Skinstate == 1; }));
  EXPECT_TRUE(m->HookInstalled());
  const int hooks = LiveUserHandles();
  FreeSkinManager();
  EXPECT_EQ(SkinManager(), nullptr);
  EXPECT_NE(SendMessageW(main->Handle(), WM_SKINQUERY, 0, 0), 1);
  EXPECT_LT(LiveUserHandles(), hooks);  // the hook went
  // The component outlives the manager and lets go of it quietly.
  data->SetActive(false);
}

// ---- Lifetimes ----

TEST_F(SkinManagerTest, FreeingTheSkinDataFirstLetsEveryWindowGoBeforeItGoes) {
  ShowMain();
  HWND plain = ShownPlain();
  ASSERT_EQ(m->FormCount(), 2);
  // The component goes while its form stays, its windows open and active, their timers on.
  delete data;
  Clobber(sizeof(TSkinData));
  data = nullptr;
  EXPECT_EQ(m->FormCount(), 0);
  EXPECT_TRUE(m->Dlist().empty());
  EXPECT_EQ(m->MainData, nullptr);
  for (HWND w : {main->Handle(), plain}) EXPECT_NE(SendMessageW(w, WM_SKINQUERY, 0, 0), 1);
  // Painted, activated and left to the timers: nothing reaches the component that went.
  for (HWND w : {plain, main->Handle()}) {
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SetForegroundWindow(w);
    Pump([&] { return GetForegroundWindow() == w; });
  }
  Application->PumpUntil([] { return false; }, 700);
  EXPECT_EQ(m->FormCount(), 0);  // and nothing new is skinned without a component
}

TEST_F(SkinManagerTest, ASkinLoadedLaterReachesTheWindowsAtTheTimersTick) {
  TWinSkinForm* f = ShowMain();
  ASSERT_NE(f, nullptr);
  HWND plain = ShownPlain();
  const std::shared_ptr<TSkinObjects> before = f->SkinObjects();
  data->LoadFromFile(Utf8ToWide(std::string(QN_SKIN_DIR) + "/ink.skn"));
  ASSERT_FALSE(data->Empty());
  EXPECT_EQ(m->action, kActionSkinChanged);
  EXPECT_TRUE(m->TimerEnabled());
  // Until then the windows paint with the skin they have, whole.
  EXPECT_EQ(f->SkinObjects(), before);
  ASSERT_TRUE(Pump([&] { return main->changes == 1; }));
  for (HWND w : {main->Handle(), plain}) {
    TWinSkinForm* s = m->FindForm(w);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->SkinObjects(), data->Skin());
    EXPECT_EQ(s->Skinstate, 1);
  }
  SetForegroundWindow(main->Handle());
  ASSERT_TRUE(Pump([&] { return GetForegroundWindow() == main->Handle() && f->FWindowActive; }));
  RepaintFrameFromBlack(main->Handle());
  EXPECT_TRUE(FrameMatchesSkin(WindowPixels(main->Handle()), *data->Skin(), true, f->bw, ButtonsAndTitle(f)));
}

TEST_F(SkinManagerTest, ASkinFileThatFailsToLoadLeavesTheWindowsInThePreviousSkin) {
  TWinSkinForm* f = ShowMain();
  ASSERT_NE(f, nullptr);
  const std::shared_ptr<TSkinObjects> before = data->Skin();
  const RECT bw = f->bw;
  // The first bytes of a skin package: not an archive.
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring path = std::wstring(temp) + L"qn-damaged-head.skn";
  {
    std::vector<uint8_t> bytes = ReadFile(std::string(QN_SKIN_DIR) + "/ink.skn");
    ASSERT_GT(bytes.size(), 64u);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), 64, &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, 64u);
  }
  data->LoadFromFile(path);
  DeleteFileW(path.c_str());
  EXPECT_TRUE(data->Empty());
  EXPECT_EQ(data->Skin(), before);
  ASSERT_TRUE(Pump([&] { return main->changes == 1; }));  // the skin change ran all the same
  ASSERT_EQ(m->FindForm(main->Handle()), f);
  EXPECT_EQ(f->SkinObjects(), before);
  EXPECT_EQ(f->bw.top, bw.top);
  EXPECT_FALSE(f->SysBtn.empty());
  // The window still shows a whole frame of the skin it had, caption buttons included.
  RepaintFrameFromBlack(main->Handle());
  EXPECT_TRUE(FrameMatchesSkin(WindowPixels(main->Handle()), *before, f->FWindowActive, f->bw, ButtonsAndTitle(f)));
  TWinSysButton* close = nullptr;
  for (const auto& b : f->SysBtn)
    if (b->visible && b->Definition() && b->Definition()->Action == 0) close = b.get();
  ASSERT_NE(close, nullptr);
  EXPECT_TRUE(test::ButtonShows(WindowPixels(main->Handle()), close->bounds, *close->Definition(), 1));
  // A new window is not skinned by an empty component.
  HWND plain = Plain(L"QnPlain");
  ShowWindow(plain, SW_SHOW);
  Application->PumpUntil([] { return false; }, 300);
  EXPECT_EQ(m->FindForm(plain), nullptr);
}

TEST_F(SkinManagerTest, AComponentFreedByTheProgramDuringAnActionIsNotToldTheActionEnded) {
  ShowMain();
  data->LoadFromFile(Utf8ToWide(std::string(QN_SKIN_DIR) + "/jade.skn"));
  bool freed = false;
  struct TKiller {
    TSkinData** data;
    std::function<void()> clobber;
    bool* freed;
    void AfterSkin(TObject*, HWND, const std::wstring&) {
      if (*freed) return;
      *freed = true;
      delete *data;
      *data = nullptr;
      clobber();
    }
  } killer{&data, [&] { Clobber(sizeof(TSkinData)); }, &freed};
  data->OnAfterSkinForm = TSkinFormEvent::Bind<&TKiller::AfterSkin>(&killer);
  ASSERT_TRUE(Pump([&] { return freed && !m->TimerEnabled(); }));
  Application->PumpUntil([] { return false; }, 300);
  EXPECT_EQ(main->changes, 0);
  EXPECT_EQ(m->UpdateData, nullptr);
  EXPECT_EQ(m->FormCount(), 0);
}

TEST_F(SkinManagerTest, ReleasedSkinnersArePurgedAtTheNextAdmission) {
  m->state = 1;
  HWND a = Plain(L"QnPlain");
  ASSERT_TRUE(m->AddForm(a));
  TWinSkinForm* released = m->FindForm(a);
  DestroyWindow(a);
  plains.erase(std::find(plains.begin(), plains.end(), a));
  // Released at its window's end, it waits in the list for the next purge.
  ASSERT_EQ(m->Forms().size(), 1u);
  EXPECT_EQ(m->Forms()[0], released);
  EXPECT_EQ(released->Skinstate, 6);
  HWND b = Plain(L"QnPlain");
  ASSERT_TRUE(m->AddForm(b));
  ASSERT_EQ(m->Forms().size(), 1u);
  EXPECT_EQ(m->Forms()[0]->Hwnd, b);
}

TEST_F(SkinManagerTest, AWindowIsAdmittedOnlyByItsOwnThread) {
  m->state = 1;
  std::atomic<HWND> foreign{nullptr};
  std::atomic<bool> done{false}, admitted{false};
  std::thread other([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    HWND w = MakePlain(L"QnThreadWindow");
    foreign = w;
    while (!done) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(1);
    }
    // On its own thread it is admitted, once and for all.
    admitted = m->AddForm(w);
    DestroyWindow(w);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  });
  while (!foreign) Sleep(1);
  // Another thread cannot bind itself to the window: nothing is listed that would block a
  // later try.
  EXPECT_FALSE(m->AddForm(foreign));
  EXPECT_EQ(m->FormCount(), 0);
  done = true;
  other.join();
  EXPECT_TRUE(admitted);
  EXPECT_EQ(m->FormCount(), 0);  // freed at its window's end on its thread
}

// A second GUI thread opens, activates and closes skinned windows without a pause while this
// thread changes the skin again and again: each skinner is made, used and freed on its own
// thread, and the skin objects a window paints with are never freed under it.
TEST_F(SkinManagerTest, ASecondGuiThreadOpensAndClosesSkinnedWindowsWhileTheSkinChanges) {
  constexpr int kWindows = 30;
  ShowMain();
  std::atomic<DWORD> other_id{0};
  std::atomic<bool> hooked{false}, finished{false};
  std::atomic<int> skinned{0};
  std::thread other([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    other_id = GetCurrentThreadId();
    while (!hooked) Sleep(1);
    std::vector<HWND> open;
    auto pump = [&](int ms) {
      const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
      do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
      } while (static_cast<int>(GetTickCount() - end) < 0);
    };
    for (int i = 0; i < kWindows; ++i) {
      HWND w = MakePlain(L"QnThreadWindow");
      ShowWindow(w, SW_SHOW);
      SetActiveWindow(w);
      pump(20);
      // Activated while a skin was loading, a window is taken at its next activation (or here).
      for (int tries = 0; tries < 50 && !m->FindForm(w); ++tries) {
        m->AddForm(w);
        pump(10);
      }
      if (m->FindForm(w)) {
        ++skinned;
        RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
      }
      open.push_back(w);
      // A few stay open across the skin changes; the oldest goes.
      if (open.size() > 3) {
        DestroyWindow(open.front());
        open.erase(open.begin());
      }
    }
    for (HWND w : open) DestroyWindow(w);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    finished = true;
  });
  while (!other_id) Sleep(1);
  data->InstallThread(other_id);
  hooked = true;
  const char* skins[] = {"ink", "jade", "builtin"};
  int changes = 0;
  for (; !finished; ++changes) {
    data->LoadFromFile(Utf8ToWide(std::string(QN_SKIN_DIR) + "/" + skins[changes % 3] + ".skn"));
    m->RunPendingAction();
    Application->PumpUntil([&] { return finished.load(); }, 40);
  }
  other.join();
  data->UnInstallThread(other_id);
  EXPECT_GT(changes, 3);
  EXPECT_EQ(skinned, kWindows);
  // Every skinner of the other thread went with its window, on that thread.
  EXPECT_EQ(m->FormCount(), 1);
  ASSERT_EQ(m->Forms().size(), 1u);
  EXPECT_EQ(m->Forms()[0]->Hwnd, main->Handle());
}

// The program's handler fails inside the engine's activation of a window: the engine drops the
// failure, tells the program's error event (never the user), and the window is skinned.
TEST_F(SkinManagerTest, AFailureInsideTheEngineGoesToTheErrorEventAndNeverToTheUser) {
  int boxes = 0;
  Application->MessageBoxHook = [&](const std::wstring&, const std::wstring&, UINT) {
    ++boxes;
    return IDOK;
  };
  struct TProgram {
    std::vector<std::wstring> errors;
    void AfterSkin(TObject*, HWND, const std::wstring&) { throw std::runtime_error("the program failed"); }
    void Error(TObject*, const std::wstring& text) { errors.push_back(text); }
  } program;
  data->OnAfterSkinForm = TSkinFormEvent::Bind<&TProgram::AfterSkin>(&program);
  data->OnEngineError = TSkinErrorEvent::Bind<&TProgram::Error>(&program);
  TWinSkinForm* f = ShowMain();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Skinstate, 1);
  ASSERT_FALSE(program.errors.empty());
  EXPECT_EQ(program.errors[0], L"the program failed");
  EXPECT_EQ(boxes, 0);
}

}  // namespace
}  // namespace qn
