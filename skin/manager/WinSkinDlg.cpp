#include "skin/manager/WinSkinDlg.h"

#include <algorithm>

#include "platform/core/TextConv.h"
#include "platform/win/Forms.h"
#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"
#include "skin/form/WinSkinForm.h"
#include "skin/manager/WinSkinMenu.h"
#include "skin/package/WinSkinStore.h"

namespace qn {

namespace {

TSkinManage* g_manager = nullptr;
// Set once a manager has gone: from then on the hooks only pass events on.
std::atomic<bool> g_hooks_off{false};

using TLock = std::lock_guard<std::recursive_mutex>;

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

// How long the GUI thread waits for another thread's window to let go before it goes on.
constexpr UINT kRequestTimeoutMs = 10000;

// Waits until done(), handling the messages other threads send to this one meanwhile (a
// thread that waits for us while we wait for it would otherwise never get its answer).
void WaitHandlingSentMessages(const std::function<bool()>& done) {
  while (!done()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

struct TSkinManage::TShared {
  std::recursive_mutex mutex;
  std::vector<TWinSkinForm*> flist;
  std::vector<std::unique_ptr<TWinSkinPopMenu>> mlist;
  std::vector<TSkinData*> dlist;
  struct TThread {
    DWORD id;
    std::unique_ptr<TThreadHook> hook;
  };
  std::vector<TThread> threads;
  // Threads other than the GUI thread now admitting a window, with a skin-data component in
  // hand: a component waits for them before it goes.
  int foreign_admissions = 0;
};

TSkinManage* SkinManager() { return g_manager; }

namespace {

// Failures the engine dropped in a callback go to the main skin-data component's event.
void ReportEngineError(const std::exception* e) {
  TSkinManage* m = g_manager;
  TSkinData* main = m ? m->MainData.load() : nullptr;
  if (!main || !main->OnEngineError) return;
  const std::wstring text = e ? Utf8ToWide(e->what()) : L"unknown error";
  try {
    main->OnEngineError(main, text);
  } catch (...) {  // a handler that fails in turn is not asked again for this one
  }
}

}  // namespace

TSkinManage* CreateSkinManager() {
  if (!g_manager) {
    g_hooks_off = false;
    g_manager = new TSkinManage(false);
    SetSkinHost(g_manager);
    SetCallbackErrorHandler(ReportEngineError);
    SetFormShowingHandler([](TCustomForm* form) {
      if (g_manager && !g_hooks_off) g_manager->AddShowingForm(form);
    });
  }
  return g_manager;
}

void FreeSkinManager() {
  TSkinManage* m = std::exchange(g_manager, nullptr);
  SetSkinHost(nullptr);
  SetCallbackErrorHandler(nullptr);
  SetFormShowingHandler(nullptr);
  delete m;
}

namespace {

TSkinHost* MakeManager() { return CreateSkinManager(); }

void ShowSkinMessage(const std::string& text) {
  std::wstring w = AnsiToWide(text);
  if (Application) Application->MessageBox(w, Application->Title(), MB_OK);
  else ::MessageBoxW(nullptr, w.c_str(), L"", MB_OK);
}

}  // namespace

void RegisterSkinClasses() {
  RegisterComponentClass(TSkinData::StaticClass());
  RegisterSkinStoreClasses();
  SetSkinMessageSink(ShowSkinMessage);
  SetSkinHostFactory(MakeManager);
}

TSkinManage::TSkinManage(bool module_mode) : timer_(std::make_unique<TTimer>(nullptr)) {
  if (module_mode) {
    mode = reinterpret_cast<uintptr_t>(ProgramInstance());
  } else {
    shared_ = std::make_shared<TShared>();
  }
  gui_thread_ = GetCurrentThreadId();
  timer_->SetQuiet(true);  // the engine's: a failed action is dropped, never shown
  timer_->SetEnabled(false);
  timer_->SetInterval(100);
  timer_->OnTimer = TNotifyEvent::Bind<&TSkinManage::DoAction>(this);
}

TSkinManage::~TSkinManage() {
  state = 4;
  active = false;
  timer_.reset();
  if (mode == 0) {
    std::vector<TShared::TThread> threads;
    {
      TLock lock(shared_->mutex);
      threads.swap(shared_->threads);
    }
    // Outside the lock: removing a hook waits for its running events, which may be waiting
    // for the lock.
    threads.clear();
    UnskinAll();
    FreePopupMenus();
    for (TSkinData* d : Dlist()) d->ManagerGone();
    {
      TLock lock(shared_->mutex);
      shared_->dlist.clear();
    }
    for (TSkinManage* sub : std::vector<TSkinManage*>(sublist_)) sub->AssignData(nullptr);
    sublist_.clear();
  } else if (hook_.Installed() && mmgr) {
    mmgr->DeleteSub(this);
    mmgr->DropModuleForms(mode);
  }
  hook_.Remove();
  g_hooks_off = true;
}

// ---- hooks ----

void TSkinManage::InstallHook() {
  if (hook_.Installed()) return;
  (void)hook_.Install(WH_CBT, GetCurrentThreadId(),
                      [this](int code, WPARAM w, LPARAM l, LRESULT& r) { return OnHook(code, w, l, r); });
}

bool TSkinManage::OnHook(int code, WPARAM wparam, LPARAM lparam, LRESULT&) {
  if (g_hooks_off) return false;
  HWND wnd = reinterpret_cast<HWND>(wparam);
  switch (code) {
    case HCBT_CREATEWND: {
      const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lparam)->lpcs;
      const std::wstring cls = GetWndClassName(wnd);
      if (cls == L"ScrollBar" && (cs->style & SBS_SIZEGRIP)) {
        if (TWinSkinForm* f = FindForm(cs->hwndParent)) f->AddControlh(wnd);
      }
      if (!(cs->style & WS_CHILD) && cls == L"#32768" && !mmgr) AddPopupMenu(wnd);
      if (cs->dwExStyle & WS_EX_MDICHILD) AddForm(wnd);
      break;
    }
    case HCBT_DESTROYWND:
      DeletePopupMenu(wnd);
      break;
    case HCBT_ACTIVATE:
      if (state == 0) state = 1;
      AddForm(wnd);
      break;
    default:
      break;
  }
  return false;  // every event goes on to the next hook
}

bool TSkinManage::OnThreadHook(int code, WPARAM wparam, LPARAM lparam, LRESULT&) {
  if (state == 4) return false;
  HWND wnd = reinterpret_cast<HWND>(wparam);
  switch (code) {
    case HCBT_CREATEWND: {
      const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lparam)->lpcs;
      const std::wstring cls = GetWndClassName(wnd);
      // A scroll bar in a skinned window of another thread is created like on the main
      // thread: refusing it (as the engine once did) breaks the dialog that wanted it.
      if (cls == L"ScrollBar" && (cs->style & SBS_SIZEGRIP)) {
        if (TWinSkinForm* f = FindForm(cs->hwndParent)) f->AddControlh(wnd);
      }
      if (cls == L"#32768") AddPopupMenu(wnd);
      if (cs->dwExStyle & WS_EX_MDICHILD) AddForm(wnd);
      break;
    }
    case HCBT_DESTROYWND:
      DeletePopupMenu(wnd);
      DeleteForm(wnd);
      break;
    case HCBT_ACTIVATE:
      if (state == 0) state = 1;
      AddForm(wnd);
      break;
    default:
      break;
  }
  return false;
}

void TSkinManage::InstallThread(DWORD thread_id) {
  if (!shared_) return;
  TLock lock(shared_->mutex);
  for (const auto& t : shared_->threads)
    if (t.id == thread_id) return;
  TShared::TThread t{thread_id, std::make_unique<TThreadHook>()};
  // A hook the system refuses stays listed without a handle.
  (void)t.hook->Install(WH_CBT, thread_id,
                        [this](int code, WPARAM w, LPARAM l, LRESULT& r) { return OnThreadHook(code, w, l, r); });
  shared_->threads.push_back(std::move(t));
}

void TSkinManage::UnInstallThread(DWORD thread_id) {
  if (!shared_) return;
  std::unique_ptr<TThreadHook> going;
  {
    TLock lock(shared_->mutex);
    auto& list = shared_->threads;
    auto it = std::find_if(list.begin(), list.end(), [&](const TShared::TThread& t) { return t.id == thread_id; });
    if (it == list.end()) return;
    going = std::move(it->hook);
    list.erase(it);
  }
  going.reset();  // outside the lock: removing waits for the hook's running events
}

bool TSkinManage::ThreadHooked(DWORD thread_id) {
  if (!shared_) return false;
  TLock lock(shared_->mutex);
  for (const auto& t : shared_->threads)
    if (t.id == thread_id) return t.hook->Installed();
  return false;
}

// ---- admission ----

bool TSkinManage::OwnThread(HWND wnd) const { return GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId(); }

TWinSkinForm* TSkinManage::FindForm(HWND wnd) {
  if (!shared_ || !wnd) return nullptr;
  const DWORD me = GetCurrentThreadId();
  TLock lock(shared_->mutex);
  for (TWinSkinForm* f : shared_->flist)
    if (f->Hwnd == wnd && f->ThreadId() == me) return f;
  return nullptr;
}

TCustomForm* TSkinManage::FindFormObject(HWND wnd) {
  // The application's forms live on its thread; other threads go by the window property.
  if (Application && GetCurrentThreadId() == gui_thread_) {
    for (TCustomForm* f : Application->Forms())
      if (f->HandleAllocated() && f->Handle() == wnd) return f;
  }
  return dynamic_cast<TCustomForm*>(ControlOfWindow(wnd));
}

namespace {

// Counts a thread other than the GUI thread as admitting a window for as long as it is in
// scope; refuses when the manager is going.
class TForeignAdmission {
 public:
  TForeignAdmission(std::recursive_mutex* mutex, int* count, bool foreign, const std::atomic<int>& state)
      : mutex_(foreign ? mutex : nullptr), count_(count) {
    if (!mutex_) return;
    TLock lock(*mutex_);
    if (state == 4) {
      refused_ = true;
      mutex_ = nullptr;
      return;
    }
    ++*count_;
  }
  TForeignAdmission(const TForeignAdmission&) = delete;
  TForeignAdmission& operator=(const TForeignAdmission&) = delete;
  ~TForeignAdmission() {
    if (!mutex_) return;
    TLock lock(*mutex_);
    --*count_;
  }
  bool Refused() const { return refused_; }

 private:
  std::recursive_mutex* mutex_;
  int* count_;
  bool refused_ = false;
};

}  // namespace

bool TSkinManage::AddForm(HWND wnd, bool child_forms) {
  if (!Admit(wnd, child_forms)) return false;
  PostMessageW(wnd, WM_SKINSTART, 0, 1000);
  return true;
}

// A form about to appear is dressed while it is still hidden: it then shows at its skinned
// size and shape from its first frame. Admitted at its activation instead, it would appear in
// the native frame and be resized, reshaped and painted again a moment later.
void TSkinManage::AddShowingForm(TCustomForm* form) {
  if (!active || !form || !form->HandleAllocated()) return;
  const HWND wnd = form->Handle();
  // Another thread's windows are skinned only where the program asked for its hook.
  const DWORD me = GetCurrentThreadId();
  if (me != gui_thread_ && !ThreadHooked(me)) return;
  TWinSkinForm* sf = Admit(wnd, false);
  if (!sf) return;
  auto alive = sf->Alive();
  SendMessageW(wnd, WM_SKINSTART, 0, 1000);
  // Controls the program makes while the form is being shown are found by a second walk.
  if (*alive) PostMessageW(wnd, WM_SKINWALK, 0, kSkinMessageCheck);
}

TWinSkinForm* TSkinManage::Admit(HWND wnd, bool child_forms) {
  if (!active || !wnd || !shared_) return nullptr;
  if (!OwnThread(wnd)) return nullptr;  // a window is subclassed by its own thread only
  TForeignAdmission admitting(&shared_->mutex, &shared_->foreign_admissions, GetCurrentThreadId() != gui_thread_,
                              state);
  if (admitting.Refused()) return nullptr;
  PurgeForms();
  if (SendMessageW(wnd, WM_SKINQUERY, 0, 0) == 1) return nullptr;
  if (FindForm(wnd)) return nullptr;
  TCustomForm* form = FindFormObject(wnd);
  const std::wstring cls = GetWndClassName(wnd);
  const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  const LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
  if (!child_forms && (style & WS_CHILD) && !(ex & WS_EX_MDICHILD) &&
      LowerAscii(GetWndClassName(GetParent(wnd))) == L"mdiclient")
    return nullptr;
  if (!form && reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(wnd, GWLP_HINSTANCE)) != ProgramInstance() &&
      cls != L"#32770")
    return nullptr;
  RECT r = HwndWindowRect(wnd);
  if ((r.right == r.left || r.bottom == r.top) && !(ex & WS_EX_MDICHILD)) return nullptr;
  if (form && form->Tag() == 99) return nullptr;
  if (Contains(cls, L"TcxPopupEditPopupWindow") || Contains(cls, L"TTERenderWindow") || cls == L"TApplication")
    return nullptr;
  if (!CanSkinWindow(wnd, cls)) return nullptr;
  TSkinData* data = SelectSkinData(wnd, cls);
  if (!data || data->Empty()) return nullptr;

  auto* sf = new TWinSkinForm(form, this);  // a form owns its skinner; the list owns the others'
  sf->Hwnd = wnd;
  sf->mode = mode;
  sf->formclass = cls;
  // Released skinners of the GUI thread wait for its purges; other threads have none, so
  // theirs go at once.
  sf->free_when_released = GetCurrentThreadId() != gui_thread_;
  auto alive = sf->Alive();
  bool failed = false;
  try {
    if (form) sf->InitTform(data, form);
    else sf->InitDlg(data);
  } catch (...) {
    DropCurrentException();
    failed = true;
  }
  if (!*alive) return nullptr;
  // A skinner that did not get hold of its window, listed, would block every later try.
  if (failed || !sf->Subclassed()) {
    if (sf->Subclassed()) sf->UnSubclass();
    delete sf;
    return nullptr;
  }
  {
    TLock lock(shared_->mutex);
    shared_->flist.push_back(sf);
  }
  return sf;
}

TSkinData* TSkinManage::SelectSkinData(HWND wnd, const std::wstring& class_name) {
  std::vector<TSkinData*> list = Dlist();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    auto* owner = dynamic_cast<TWinControl*>((*it)->Owner());
    if ((*it)->SkinFormtype() == TSkinFormType::sfOnlyThisForm && owner && owner->HandleAllocated() &&
        owner->Handle() == wnd)
      return *it;
  }
  const std::wstring lower = LowerAscii(class_name);
  if (lower == L"tmessageform" || lower == L"#32770") {
    for (auto it = list.rbegin(); it != list.rend(); ++it)
      if ((*it)->SkinFormtype() == TSkinFormType::sfDialog) return *it;
  }
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if ((*it)->SkinFormtype() == TSkinFormType::sfMainform) return *it;
  return list.empty() ? nullptr : list.front();
}

bool TSkinManage::CanSkinWindow(HWND wnd, const std::wstring& class_name) {
  bool verdict = true;
  TSkinData* main = MainData;
  if (!main) return verdict;
  const std::wstring lower = LowerAscii(class_name);
  if (Contains(lower, L"preview") && !Has(main->Options(), xoPreview)) verdict = false;
  if (lower == L"#32770" && (GetWindowLongPtrW(wnd, GWL_STYLE) & DS_SETFOREGROUND)) verdict = false;
  if (lower == L"tpopupdbtreeview") verdict = false;
  main->DoFormSkin(wnd, class_name, verdict);
  return verdict;
}

void TSkinManage::AddVisibleForm(TCustomForm* form) {
  if (form->HandleAllocated() && IsWindowVisible(form->Handle()) &&
      !(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CHILD))
    AddForm(form->Handle(), skinchildform);
}

// ---- removal ----

std::vector<TWinSkinForm*> TSkinManage::Forms() {
  if (!shared_) return {};
  const DWORD me = GetCurrentThreadId();
  std::vector<TWinSkinForm*> mine;
  TLock lock(shared_->mutex);
  for (TWinSkinForm* f : shared_->flist)
    if (f->ThreadId() == me) mine.push_back(f);
  return mine;
}

int TSkinManage::FormCount() {
  if (!shared_) return 0;
  TLock lock(shared_->mutex);
  return static_cast<int>(shared_->flist.size());
}

std::vector<TSkinData*> TSkinManage::Dlist() {
  if (!shared_) return {};
  TLock lock(shared_->mutex);
  return shared_->dlist;
}

// Takes a skinner out of the list. Whoever takes it out frees it.
void TSkinManage::RemoveForm(TWinSkinForm* form) {
  if (!shared_) return;
  TLock lock(shared_->mutex);
  auto& list = shared_->flist;
  auto it = std::find(list.begin(), list.end(), form);
  if (it != list.end()) list.erase(it);
}

void TSkinManage::FormGone(TWinSkinForm* form) { RemoveForm(form); }

bool TSkinManage::Listed(TWinSkinForm* form) {
  if (!shared_) return false;
  TLock lock(shared_->mutex);
  return std::find(shared_->flist.begin(), shared_->flist.end(), form) != shared_->flist.end();
}

// Lets go of one of this thread's windows and repaints it in its own look.
void TSkinManage::Unskin(TWinSkinForm* f) {
  const HWND wnd = f->Hwnd;
  RemoveForm(f);
  f->UnSubclass();
  delete f;
  TWinSkinForm::RePaint(wnd);
}

void TSkinManage::PurgeForms() {
  if (state == 4 || !shared_) return;
  const DWORD me = GetCurrentThreadId();
  std::vector<TWinSkinForm*> released;
  {
    TLock lock(shared_->mutex);
    auto& list = shared_->flist;
    for (size_t i = list.size(); i-- > 0;) {
      // Another thread's skinner may still be inside its own WM_NCDESTROY: it is that
      // thread's to free.
      if (list[i]->Skinstate == 6 && list[i]->mode == mode && list[i]->ThreadId() == me) {
        released.push_back(list[i]);
        list.erase(list.begin() + static_cast<ptrdiff_t>(i));
      }
    }
  }
  for (TWinSkinForm* f : released) delete f;
}

bool TSkinManage::DeleteForm(HWND wnd) {
  if (state == 4 || !shared_) return false;
  TWinSkinForm* f = FindForm(wnd);
  if (!f || !f->FForm) return false;
  RemoveForm(f);
  f->Skinstate = 4;
  f->UnSubclass();
  delete f;
  return true;
}

void TSkinManage::DeleteForm2(HWND wnd) {
  if (state == 4 || !shared_) return;
  if (TWinSkinForm* f = FindForm(wnd)) RemoveForm(f);
}

void TSkinManage::DeleteForm3() {
  if (state == 4 || !shared_) return;
  const DWORD me = GetCurrentThreadId();
  std::vector<TWinSkinForm*> released;
  {
    TLock lock(shared_->mutex);
    auto& list = shared_->flist;
    for (size_t i = list.size(); i-- > 0;) {
      if (list[i]->Skinstate == 6 && list[i]->ThreadId() == me) {
        released.push_back(list[i]);
        list.erase(list.begin() + static_cast<ptrdiff_t>(i));
      }
    }
  }
  for (TWinSkinForm* f : released) delete f;
}

void TSkinManage::AskOtherThreads(TSkinData* data, TSkinRequest request, bool wait) {
  if (!shared_) return;
  const DWORD me = GetCurrentThreadId();
  std::vector<HWND> windows;
  {
    TLock lock(shared_->mutex);
    for (TWinSkinForm* f : shared_->flist)
      if (f->ThreadId() != me && f->mode == mode && (!data || f->fsd == data)) windows.push_back(f->Hwnd);
  }
  const auto w = static_cast<WPARAM>(request);
  for (HWND wnd : windows) {
    if (!wait) {
      PostMessageW(wnd, WM_SKINREQUEST, w, kSkinMessageCheck);
      continue;
    }
    // Sent: the skinner has let go when this returns. A thread that is hung is not waited
    // for without end.
    DWORD_PTR result = 0;
    (void)SendMessageTimeoutW(wnd, WM_SKINREQUEST, w, kSkinMessageCheck, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                              kRequestTimeoutMs, &result);
  }
}

void TSkinManage::UnskinAll() {
  active = false;
  if (!shared_) return;
  // Other threads' windows let go on their threads, before this manager goes.
  AskOtherThreads(nullptr, TSkinRequest::srUnskin, true);
  const DWORD me = GetCurrentThreadId();
  for (;;) {
    TWinSkinForm* f = nullptr;
    {
      TLock lock(shared_->mutex);
      auto& list = shared_->flist;
      for (size_t i = list.size(); i-- > 0 && !f;) {
        if (list[i]->mode == mode && list[i]->ThreadId() == me) {
          f = list[i];
          list.erase(list.begin() + static_cast<ptrdiff_t>(i));
        }
      }
    }
    if (!f) break;
    f->UnSubclass3();
    delete f;
  }
  // A thread that did not answer keeps its skinner; it must not reach a manager that is gone.
  TLock lock(shared_->mutex);
  for (TWinSkinForm* f : shared_->flist)
    if (f->mode == mode) f->ForgetHost();
}

void TSkinManage::DropModuleForms(uintptr_t module) {
  for (TWinSkinForm* f : Forms()) {
    if (f->mode != module) continue;
    RemoveForm(f);
    if (f->FForm) f->FForm->Free();  // which frees the skinner it owns
    else delete f;
  }
}

// ---- popup menus ----

void TSkinManage::AddPopupMenu(HWND wnd) {
  if (!active || !shared_) return;
  TForeignAdmission admitting(&shared_->mutex, &shared_->foreign_admissions, GetCurrentThreadId() != gui_thread_,
                              state);
  if (admitting.Refused()) return;
  if (SendMessageW(wnd, WM_SKINQUERY, 0, 0) == 1 || HasPopupMenu(wnd)) return;
  TSkinData* data = SelectSkinData(wnd, GetWndClassName(wnd));
  if (!data || data->Empty()) return;
  const TSkinControlTypes set = data->SkinControls();
  bool allowed = false;
  switch (menutype) {
    case 0: allowed = Has(set, xcPopupMenu); break;
    case 1: allowed = Has(set, xcMainMenu) || Has(set, xcMenuItem); break;
    case 2: allowed = Has(set, xcSystemMenu); break;
    default: break;
  }
  if (!allowed) return;
  auto m = std::make_unique<TWinSkinPopMenu>();
  m->InitSkin(wnd, data, nullptr);
  if (menuactive) m->ownerdraw = true;
  TLock lock(shared_->mutex);
  shared_->mlist.push_back(std::move(m));
}

bool TSkinManage::DeletePopupMenu(HWND wnd) {
  if (!shared_) return false;
  std::unique_ptr<TWinSkinPopMenu> going;
  bool empty;
  {
    TLock lock(shared_->mutex);
    auto& list = shared_->mlist;
    for (auto it = list.begin(); it != list.end(); ++it) {
      if ((*it)->hwnd == wnd) {
        going = std::move(*it);
        list.erase(it);
        break;
      }
    }
    empty = list.empty();
  }
  if (going) going->UnSubClass();
  if (empty) {
    menuactive = false;
    menutype = 0;
  }
  return going != nullptr;
}

bool TSkinManage::HasPopupMenu(HWND wnd) {
  if (!shared_) return false;
  TLock lock(shared_->mutex);
  for (const auto& m : shared_->mlist)
    if (m->hwnd == wnd) return true;
  return false;
}

int TSkinManage::PopupCount() {
  if (!shared_) return 0;
  TLock lock(shared_->mutex);
  return static_cast<int>(shared_->mlist.size());
}

void TSkinManage::FreePopupMenus() {
  if (!shared_) return;
  std::vector<std::unique_ptr<TWinSkinPopMenu>> going;
  {
    TLock lock(shared_->mutex);
    going.swap(shared_->mlist);
  }
  // A menu window of another thread cannot be let go from here: its binding stays in the
  // window's chain, passing messages on, and goes with the window.
  for (auto& m : going) m->UnSubClass();
}

void TSkinManage::SetPopMenu() {
  if (!shared_) return;
  TLock lock(shared_->mutex);
  for (auto& m : shared_->mlist) m->ownerdraw = true;
}

void TSkinManage::SetHMenu(HMENU menu) {
  if (!shared_ || !menu) return;
  TLock lock(shared_->mutex);
  auto& list = shared_->mlist;
  // A menu drawn again (a parent whose item is highlighted while its submenu is open) is not
  // handed to the newer window of that submenu.
  for (const auto& m : list)
    if (m->hmenu == menu) return;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (!(*it)->hmenu) {
      (*it)->hmenu = menu;
      return;
    }
  }
}

TBitmap* TSkinManage::GetMenuBg(HMENU menu) {
  if (!shared_ || !menu) return nullptr;
  TLock lock(shared_->mutex);
  // Only a menu window of the calling thread: its background is built on that thread.
  const DWORD thread = GetCurrentThreadId();
  for (const auto& m : shared_->mlist) {
    if (GetWindowThreadProcessId(m->hwnd, nullptr) != thread || m->Menu() != menu) continue;
    return m->Background();
  }
  return nullptr;
}

// ---- data components and actions ----

void TSkinManage::AddSkinData(TSkinData* data) {
  if (!shared_) return;
  TLock lock(shared_->mutex);
  shared_->dlist.push_back(data);
  if (!MainData && data->SkinFormtype() == TSkinFormType::sfMainform) MainData = data;
}

void TSkinManage::RemoveSkinData(TSkinData* data) {
  if (shared_) {
    TLock lock(shared_->mutex);
    auto& list = shared_->dlist;
    list.erase(std::remove(list.begin(), list.end(), data), list.end());
    // The original kept pointing at a component that is gone; nobody gains from that.
    if (MainData == data) MainData = nullptr;
    for (auto& m : shared_->mlist)
      if (m->fsd == data) m->fsd = nullptr;
  }
  if (UpdateData == data) UpdateData = nullptr;
  if (!shared_) return;
  // No thread picks the component from here on; those that picked it already finish first.
  WaitHandlingSentMessages([&] {
    TLock lock(shared_->mutex);
    return shared_->foreign_admissions == 0;
  });
  // Every skinner that uses the component lets go of its window before the component goes:
  // this thread's here, other threads' on their own threads, waited for.
  for (TWinSkinForm* f : Forms())
    if (f->fsd == data) Unskin(f);
  AskOtherThreads(data, TSkinRequest::srUnskin, true);
}

void TSkinManage::Request(TSkinData* data, int act, int interval_ms, HWND target) {
  UpdateData = data;
  if (act == kActionReskinForm) lpara = target;
  if (act != kActionNone) SetAction(act, interval_ms);
}

void TSkinManage::SetAction(int act, int interval_ms) {
  action = act;
  timer_->SetInterval(interval_ms);
  if (state == 0) {
    if (act == kActionSkinAll) active = true;
    if (act == kActionUnskinAll) active = false;
    return;
  }
  if (mode == 0) {
    for (TSkinManage* sub : sublist_) {
      sub->UpdateData = UpdateData;
      if (act == kActionSkinAll) {
        sub->active = true;
        sub->SetAction(kActionSkinAll, 300);
      } else if (act == kActionUnskinAll) {
        sub->active = false;
      }
    }
  }
  timer_->SetEnabled(true);
}

void TSkinManage::DoActionOnlyThisForm(TSkinData* data) {
  switch (action) {
    case kActionSkinAll: {
      active = true;
      skinchildform = true;
      if (Application) {
        const auto& forms = Application->Forms();
        for (size_t i = forms.size(); i-- > 0;) {
          if (forms[i] == data->Owner()) {
            AddVisibleForm(forms[i]);
            break;
          }
        }
      }
      skinchildform = false;
      break;
    }
    case kActionUnskinAll: {
      active = false;
      PurgeForms();
      std::vector<TWinSkinForm*> list = Forms();
      for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if ((*it)->fsd != data) continue;
        Unskin(*it);
        break;
      }
      break;
    }
    case kActionSkinChanged: {
      PurgeForms();
      for (TWinSkinForm* f : Forms()) {
        if (f->fsd != data) continue;
        f->DeleteSysbtn();
        try {
          f->InitSkinData();
        } catch (...) {  // the window keeps the skin it has; SkinChange settles its frame
          DropCurrentException();
        }
        f->SkinChange();
        break;
      }
      break;
    }
    case kActionFreeReleased:
      DeleteForm3();
      break;
    default:
      break;
  }
}

void TSkinManage::DoAction(TObject*) {
  timer_->SetEnabled(false);
  TSkinData* data = UpdateData;
  if (!data) return;
  if (data->SkinFormtype() == TSkinFormType::sfOnlyThisForm) {
    DoActionOnlyThisForm(data);
  } else {
    switch (action) {
      case kActionSkinAll: {
        active = true;
        WMSetDraw = false;
        skinchildform = true;
        PurgeForms();
        if (Application) {
          std::vector<TCustomForm*> forms = Application->Forms();
          for (size_t i = forms.size(); i-- > 0;) AddVisibleForm(forms[i]);
        }
        skinchildform = false;
        if (mode == 0) {
          for (TSkinManage* sub : sublist_) {
            sub->UpdateData = UpdateData;
            sub->active = true;
            sub->SetAction(kActionSkinAll, 300);
          }
        }
        break;
      }
      case kActionUnskinAll: {
        active = false;
        PurgeForms();
        for (TWinSkinForm* f : Forms())
          if (f->mode == mode) Unskin(f);
        AskOtherThreads(nullptr, TSkinRequest::srUnskin, false);
        if (mode == 0)
          for (TSkinManage* sub : sublist_) sub->active = false;
        break;
      }
      case kActionSkinChanged: {
        PurgeForms();
        std::vector<TWinSkinForm*> mine;
        for (TWinSkinForm* f : Forms())
          if (f->fsd == data) mine.push_back(f);
        for (TWinSkinForm* f : mine) {
          f->DeleteSysbtn();
          try {
            f->InitSkinData();
          } catch (...) {  // that window keeps the skin it has; SkinChange settles its frame
            DropCurrentException();
          }
        }
        // The program's handlers may free skinners on the way.
        for (TWinSkinForm* f : mine)
          if (Listed(f)) f->SkinChange();
        AskOtherThreads(data, TSkinRequest::srSkinChanged, false);
        break;
      }
      case kActionFreeReleased:
        DeleteForm3();
        break;
      case kActionReskinForm: {
        TWinSkinForm* f = FindForm(lpara);
        if (!f) return;
        f->UnSubclass();
        f->Skinstate = 6;
        PurgeForms();
        AddForm(lpara, skinchildform);
        return;
      }
      default:
        break;
    }
  }
  // The program's handlers of the actions above may have freed the component: the event
  // goes only to one that is still registered.
  UpdateData = nullptr;
  const std::vector<TSkinData*> list = Dlist();
  if (std::find(list.begin(), list.end(), data) != list.end()) data->DoSkinChanged();
}

void TSkinManage::AssignData(TSkinManage* main) {
  if (main) {
    shared_ = main->shared_;
    MainData = main->MainData.load();
    mmgr = main;
    state = 1;
    active = main->active.load();
    main->sublist_.push_back(this);
    return;
  }
  shared_.reset();
  MainData = nullptr;
  active = false;
  state = 4;
  hook_.Remove();
}

void TSkinManage::DeleteSub(TSkinManage* sub) {
  auto it = std::find(sublist_.begin(), sublist_.end(), sub);
  if (it != sublist_.end()) sublist_.erase(it);
}

// ---- MDI ----

void TSkinManage::SetMDIClient(HWND client, TCustomForm* form) {
  clienthwnd = client;
  MDIForm = form;
}

void TSkinManage::SetMDIMax(bool maximised) {
  if (maximised == MDIMax) return;
  MDIMax = maximised;
  if (TSkinData* main = MainData; main && Has(main->Options(), xoMDIChildBorder)) return;
  SetMDIMax2(maximised);
}

void TSkinManage::SetMDIMax2(bool maximised) {
  MDIMax = maximised;
  for (TWinSkinForm* f : Forms()) {
    if (f->FormStyle != TSkinFormStyle::sfsMDIChild) continue;
    if (maximised) {
      if (f->crop) f->Uncropwindow();
      f->EnableSysbtn(true);
    } else if (f->Windowstate == TSkinWindowState::swsMin) {
      f->EnableSysbtn(true);
    } else {
      f->Windowstate = TSkinWindowState::swsNormal;
      f->Cropwindow();
      f->EnableSysbtn(false);
      if (!f->crop) f->Refresh();
    }
  }
}

void TSkinManage::SetCaption(int) {
  for (TWinSkinForm* f : Forms()) {
    if (f->FormStyle != TSkinFormStyle::sfsMDIChild) continue;
    SetWindowLongPtrW(f->Hwnd, GWL_STYLE, GetWindowLongPtrW(f->Hwnd, GWL_STYLE) | WS_CAPTION);
  }
}

int TSkinManage::GetMDIChildNum() {
  if (!shared_) return 0;
  TLock lock(shared_->mutex);
  // Whether a skinner skins an MDI child is settled before it is listed.
  return static_cast<int>(std::count_if(shared_->flist.begin(), shared_->flist.end(), [](TWinSkinForm* f) {
    return f->FormStyle == TSkinFormStyle::sfsMDIChild;
  }));
}

void TSkinManage::DeleteSysbtn(TSkinData* data) {
  for (TWinSkinForm* f : Forms())
    if (f->fsd == data) f->DeleteSysbtn();
}

}  // namespace qn
