#include "skin/manager/WinSkinDlg.h"

#include <algorithm>

#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"

namespace qn {

namespace {
TSkinManage* g_manager = nullptr;
}

TSkinManage* SkinManager() { return g_manager; }

TSkinManage* CreateSkinManager() {
  if (!g_manager) g_manager = new TSkinManage(false);
  return g_manager;
}

void FreeSkinManager() {
  delete g_manager;
  g_manager = nullptr;
}

TSkinManage::TSkinManage(bool module_mode) : timer_(std::make_unique<TTimer>(nullptr)) {
  if (module_mode) mode = reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr));
  timer_->SetEnabled(false);
  timer_->SetInterval(100);
  timer_->OnTimer = TNotifyEvent::Bind<&TSkinManage::DoAction>(this);
}

TSkinManage::~TSkinManage() {
  state = 4;
  active = false;
  timer_.reset();
  threads_.clear();  // each unhooks as it goes
  for (TSkinData* d : std::vector<TSkinData*>(dlist_)) d->ManagerGone();
  dlist_.clear();
  hook_.Remove();
}

void TSkinManage::InstallHook() {
  if (hook_.Installed()) return;
  (void)hook_.Install(WH_CBT, GetCurrentThreadId(), [this](int code, WPARAM w, LPARAM l, LRESULT& r) {
    return OnHook(code, w, l, r);
  });
}

bool TSkinManage::OnHook(int code, WPARAM wparam, LPARAM, LRESULT&) {
  if (code == HCBT_ACTIVATE) {
    if (state == 0) state = 1;
    AddForm(reinterpret_cast<HWND>(wparam));
  }
  return false;  // every event goes on to the next hook
}

void TSkinManage::AddSkinData(TSkinData* data) {
  std::lock_guard<std::recursive_mutex> lock(lists_);
  dlist_.push_back(data);
  if (!MainData && data->SkinFormtype() == TSkinFormType::sfMainform) MainData = data;
}

void TSkinManage::RemoveSkinData(TSkinData* data) {
  std::lock_guard<std::recursive_mutex> lock(lists_);
  auto it = std::find(dlist_.begin(), dlist_.end(), data);
  if (it != dlist_.end()) dlist_.erase(it);
  if (UpdateData == data) UpdateData = nullptr;
  // MainData keeps pointing at it in the original; a dangling pointer helps nobody.
  if (MainData == data) MainData = nullptr;
}

void TSkinManage::SetAction(int act, int interval_ms) {
  action = act;
  timer_->SetInterval(interval_ms);
  if (state == 0) {
    if (act == kActionSkinAll) active = true;
    if (act == kActionUnskinAll) active = false;
    return;
  }
  timer_->SetEnabled(true);
}

void TSkinManage::DoAction(TObject*) {
  timer_->SetEnabled(false);
  if (!UpdateData) return;
  switch (action) {
    case kActionSkinAll: active = true; break;
    case kActionUnskinAll: active = false; break;
    default: break;
  }
  // Attaching and detaching form skinners comes with the form skinner itself; until then
  // an action only switches the manager and reports that it ran.
  if (action == kActionReskinForm) return;
  TSkinData* data = std::exchange(UpdateData, nullptr);
  data->DoSkinChanged();
}

void TSkinManage::InstallThread(DWORD thread_id) {
  std::lock_guard<std::recursive_mutex> lock(lists_);
  for (const TSkinThread& t : threads_)
    if (t.ThreadID == thread_id) return;
  TSkinThread t{thread_id, std::make_unique<TThreadHook>()};
  // A hook the system refuses stays listed with no handle.
  (void)t.hook->Install(WH_CBT, thread_id, [](int, WPARAM, LPARAM, LRESULT&) { return false; });
  threads_.push_back(std::move(t));
}

void TSkinManage::UnInstallThread(DWORD thread_id) {
  std::lock_guard<std::recursive_mutex> lock(lists_);
  for (auto it = threads_.begin(); it != threads_.end(); ++it) {
    if (it->ThreadID == thread_id) {
      threads_.erase(it);
      return;
    }
  }
}

bool TSkinManage::AddForm(HWND) {
  // Admission arrives with the form skinner.
  return false;
}

void TSkinManage::DeleteSysbtn() {}

std::wstring GetWndText(HWND wnd) { return HwndGetText(wnd); }

bool IsDropDownWindow(HWND wnd) {
  return (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_POPUP) != 0 ||
         reinterpret_cast<uintptr_t>(GetParent(wnd)) == 0x10014;
}

}  // namespace qn
