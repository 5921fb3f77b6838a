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

namespace qn {
namespace {

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

}  // namespace
}  // namespace qn
