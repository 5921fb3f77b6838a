// The skin manager: the one registry of the program's skin-data components, form skinners
// and popup-menu skinners, the window hooks that find new windows, and the deferred skinning
// actions the skin-data components ask for.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/ExtCtrls.h"
#include "platform/win/Hooks.h"

namespace qn {

class TSkinData;
class TWinSkinForm;

// Private messages of the skin engine's windows.
constexpr UINT WM_SKINSTART = 0x3503;
constexpr UINT WM_SKINENABLE = 0x3506;
constexpr UINT WM_SKINTABCLOSE = 0x3507;
constexpr UINT WM_SKINRECREATED = 0x3517;
constexpr UINT WM_SKINQUERY = 0x3523;
constexpr UINT WM_SKINPAINTCLIENT = 0xBC4A;
constexpr UINT WM_SKINDRAWBORDER = 0xBC4B;
constexpr LPARAM kSkinMessageCheck = 0x41A2;

// Pending actions of the manager's timer.
enum TSkinAction : int {
  kActionNone = 0, kActionSkinAll = 1, kActionUnskinAll = 2, kActionSkinChanged = 3,
  kActionFreeReleased = 6, kActionReskinForm = 7,
};

class TSkinManage {
 public:
  // module_mode: a manager of another module (a sub-manager) makes no lists of its own.
  explicit TSkinManage(bool module_mode = false);
  TSkinManage(const TSkinManage&) = delete;
  TSkinManage& operator=(const TSkinManage&) = delete;
  ~TSkinManage();

  void InstallHook();
  void AddSkinData(TSkinData* data);
  void RemoveSkinData(TSkinData* data);
  // Records the action and starts the timer; before anything has started only switches
  // the manager on (1) or off (2).
  void SetAction(int action, int interval_ms);
  void InstallThread(DWORD thread_id);
  void UnInstallThread(DWORD thread_id);
  // Admits a window: true when a form skinner was attached.
  bool AddForm(HWND wnd);
  void DeleteSysbtn();

  const std::vector<TSkinData*>& Dlist() const { return dlist_; }
  std::vector<TWinSkinForm*>& Flist() { return flist_; }
  bool HookInstalled() const { return hook_.Installed(); }
  bool TimerEnabled() const { return timer_->Enabled(); }
  int TimerInterval() const { return timer_->Interval(); }

  bool active = false;
  bool skinchildform = false;
  int state = 0;  // 0 nothing started, 1 running, 4 shutting down
  int menutype = 0;
  bool menuactive = false;
  bool MDIMax = false;
  bool WMSetDraw = false;
  int action = kActionNone;
  TSkinData* UpdateData = nullptr;
  TSkinData* MainData = nullptr;
  uintptr_t mode = 0;
  HWND lpara = nullptr;

 private:
  void DoAction(TObject* sender);
  bool OnHook(int code, WPARAM wparam, LPARAM lparam, LRESULT& result);

  std::unique_ptr<TTimer> timer_;
  TThreadHook hook_;
  std::recursive_mutex lists_;  // guards the lists against further GUI threads
  std::vector<TSkinData*> dlist_;
  std::vector<TWinSkinForm*> flist_;
  struct TSkinThread {
    DWORD ThreadID;
    std::unique_ptr<TThreadHook> hook;
  };
  std::vector<TSkinThread> threads_;
};

// The program's manager, made by the first skin-data component that finishes loading.
TSkinManage* SkinManager();
TSkinManage* CreateSkinManager();
void FreeSkinManager();

// Helpers of the control skinners.
std::wstring GetWndText(HWND wnd);
bool IsDropDownWindow(HWND wnd);

}  // namespace qn
