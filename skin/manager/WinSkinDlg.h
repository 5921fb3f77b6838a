// The skin manager: the one registry of the program's skin-data components, form skinners
// and popup-menu skinners, the window hooks that find new windows, and the deferred skinning
// actions the skin-data components ask for.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/ExtCtrls.h"
#include "platform/win/Hooks.h"

namespace qn {

class TSkinData;
class TWinSkinForm;
class TWinSkinPopMenu;
class TCustomForm;

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

// Form skinners of windows that belong to other GUI threads than the one that runs the
// manager's timer are attached and detached on their own threads, by the hooks installed
// there: the timer's actions pass them by (a window can only be subclassed by its own thread).
// The lists are shared with those threads under one lock, held only while a list is read or
// changed, never while a skinner works, so that no thread waits for another's window.
class TSkinManage {
 public:
  // module_mode: a manager of another module (a sub-manager) makes no lists of its own.
  explicit TSkinManage(bool module_mode = false);
  TSkinManage(const TSkinManage&) = delete;
  TSkinManage& operator=(const TSkinManage&) = delete;
  ~TSkinManage();

  void InstallHook();
  void InstallThread(DWORD thread_id);
  void UnInstallThread(DWORD thread_id);
  // Admits a window: true when a form skinner was attached.
  bool AddForm(HWND wnd);
  // A destroyed window of another thread: its skinner, if it has a form object, goes.
  bool DeleteForm(HWND wnd);
  // A form skinner that goes by itself leaves the list (it is not freed here).
  void DeleteForm2(HWND wnd);
  // Frees every released form skinner (state 6), whatever its mode.
  void DeleteForm3();
  void AddSkinData(TSkinData* data);
  void RemoveSkinData(TSkinData* data);
  // Records the action and starts the timer; before anything has started only switches
  // the manager on (1) or off (2).
  void SetAction(int action, int interval_ms);
  void AssignData(TSkinManage* main);
  void DeleteSub(TSkinManage* sub);

  // Shared state of the menu code.
  void SetPopMenu();
  void SetHMenu(HMENU menu);
  TBitmap* GetMenuBg(HMENU menu);
  void UpdateSkinMenu(void*) {}
  // MDI bookkeeping.
  void SetMDIMax(bool maximised);
  void SetMDIMax2(bool maximised);
  void SetCaption(int);
  int GetMDIChildNum();
  void DeleteSysbtn();
  int initsb(HWND) { return 0; }
  int Uninitsb(HWND) { return 0; }

  TWinSkinForm* FindForm(HWND wnd);
  bool HasPopupMenu(HWND wnd);
  // Copies of the lists, for walks that call into skinners without holding the lock.
  std::vector<TWinSkinForm*> Forms();
  std::vector<TSkinData*> Dlist();
  int PopupCount();
  bool HookInstalled() const { return hook_.Installed(); }
  bool ThreadHooked(DWORD thread_id);
  bool TimerEnabled() const { return timer_->Enabled(); }
  // Runs the pending action now instead of at the timer's tick.
  void RunPendingAction() { DoAction(nullptr); }
  int TimerInterval() const { return timer_->Interval(); }

  std::atomic<bool> active{false};
  std::atomic<bool> skinchildform{false};
  std::atomic<int> state{0};  // 0 nothing started, 1 running, 4 shutting down or detached
  std::atomic<int> menutype{0};
  std::atomic<bool> menuactive{false};
  std::atomic<bool> MDIMax{false};
  std::atomic<bool> WMSetDraw{false};
  std::atomic<int> action{kActionNone};
  TSkinData* UpdateData = nullptr;
  TSkinData* MainData = nullptr;
  uintptr_t mode = 0;
  HWND lpara = nullptr;
  HWND clienthwnd = nullptr;
  TCustomForm* MDIForm = nullptr;
  TSkinManage* mmgr = nullptr;

 private:
  struct TShared;  // the lists, shared with sub-managers
  bool OnHook(int code, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnThreadHook(int code, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void DoAction(TObject* sender);
  void DoActionOnlyThisForm();
  void AddPopupMenu(HWND wnd);
  bool DeletePopupMenu(HWND wnd);
  TSkinData* SelectSkinData(HWND wnd, const std::wstring& class_name);
  bool CanSkinWindow(HWND wnd, const std::wstring& class_name);
  TCustomForm* FindFormObject(HWND wnd);
  void AddVisibleForm(TCustomForm* form);
  void PurgeForms();
  void UnskinAll();
  void RemoveForm(TWinSkinForm* form);
  void FreePopupMenus();
  void DropModuleForms(uintptr_t module);
  bool OwnThread(HWND wnd) const;

  std::unique_ptr<TTimer> timer_;
  TThreadHook hook_;
  std::shared_ptr<TShared> shared_;
  std::vector<TSkinManage*> sublist_;
  DWORD gui_thread_ = 0;
};

// The program's manager, made by the first skin-data component that finishes loading.
TSkinManage* SkinManager();
TSkinManage* CreateSkinManager();
void FreeSkinManager();

// Helpers of the control skinners.
std::wstring GetWndText(HWND wnd);
class TBitmap;
void CopyBitmap(TBitmap& source, TBitmap& dest);
bool IsDropDownWindow(HWND wnd);
// Whether the system is of the NT family (set when the unit starts), and whether its major
// version differs from 6.
bool IsNT();
bool NotVersion6();

}  // namespace qn
