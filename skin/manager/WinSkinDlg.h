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
#include "skin/data/SkinHost.h"
#include "skin/data/SkinTypes.h"
#include "skin/form/FormHost.h"

namespace qn {

class TSkinData;
class TWinSkinForm;
class TWinSkinPopMenu;
class TCustomForm;
class TBitmap;

// Threads. The manager, its timer and the skin-data components belong to the GUI thread (the
// one that made the manager). Further GUI threads hooked with InstallThread have their windows
// skinned too, under one rule: a skinner is made, used and freed on its window's thread only.
// - Each thread walks and frees its own skinners only (Forms(), FindForm, purges).
// - What the GUI thread's actions ask of another thread's skinners (a skin change, letting
//   go) is posted to their windows as WM_SKINREQUEST, or sent when it must be done before the
//   GUI thread goes on (a skin-data component or the manager going).
// - A skin-data component waits, before it goes, until no other thread is admitting a window.
// The lists are shared under one lock, held only while a list is read or changed, never while
// a skinner works or a message is sent, so that no thread waits for another's window.
class TSkinManage final : public TSkinHost, public TFormHost {
 public:
  // module_mode: a manager of another module (a sub-manager) makes no lists of its own.
  explicit TSkinManage(bool module_mode = false);
  TSkinManage(const TSkinManage&) = delete;
  TSkinManage& operator=(const TSkinManage&) = delete;
  ~TSkinManage();

  // ---- What the skin-data components ask (TSkinHost) ----
  void AddSkinData(TSkinData* data) override;
  void RemoveSkinData(TSkinData* data) override;
  void InstallHook() override;
  void InstallThread(DWORD thread_id) override;
  void UnInstallThread(DWORD thread_id) override;
  void Request(TSkinData* data, int action, int interval_ms, HWND target) override;
  int State() const override { return state; }
  void SetState(int s) override { state = s; }
  void SetActive(bool on) override { active = on; }
  bool AddForm(HWND wnd, bool child_forms) override;
  void DeleteSysbtn(TSkinData* data) override;

  // ---- What the form skinners ask (TFormHost) ----
  void FormAttached() override { state = 1; }
  bool HideUntilActivated() const override { return WMSetDraw; }
  void ShownOnActivation() override { WMSetDraw = false; }
  void SetMDIClient(HWND client, TCustomForm* form) override;
  HWND MDIClient() const override { return clienthwnd; }
  bool MDIMaximised() const override { return MDIMax; }
  void SetMDIMax(bool maximised) override;
  void SetMenuType(int type) override { menutype = type; }
  void SetMenuActive(bool on) override { menuactive = on; }
  uintptr_t Mode() const override { return mode; }
  void FormGone(TWinSkinForm* form) override;

  // Admits a window of the calling thread: true when a form skinner was attached.
  bool AddForm(HWND wnd) { return AddForm(wnd, skinchildform); }
  // A top-level form about to appear, still hidden (the class library's showing handler, which
  // is called for no other): admitted and skinned at once.
  void AddShowingForm(TCustomForm* form);
  // A destroyed window of another thread: its skinner, if it has a form object, goes.
  bool DeleteForm(HWND wnd);
  // A form skinner that goes by itself leaves the list (it is not freed here).
  void DeleteForm2(HWND wnd);
  // Frees the calling thread's released form skinners (state 6), whatever their mode.
  void DeleteForm3();
  // Records the action and starts the timer; before anything has started only switches
  // the manager on (1) or off (2).
  void SetAction(int action, int interval_ms);
  void AssignData(TSkinManage* main);
  void DeleteSub(TSkinManage* sub);

  // Shared state of the menu code.
  void SetPopMenu() override;
  void SetHMenu(HMENU menu) override;
  TBitmap* GetMenuBg(HMENU menu) override;
  void UpdateSkinMenu(void*) {}
  // MDI bookkeeping (the calling thread's MDI children).
  void SetMDIMax2(bool maximised);
  void SetCaption(int);
  int GetMDIChildNum();
  int initsb(HWND) { return 0; }
  int Uninitsb(HWND) { return 0; }

  // The calling thread's skinner of the window, or null.
  TWinSkinForm* FindForm(HWND wnd);
  bool HasPopupMenu(HWND wnd);
  // The calling thread's skinners, in registration order: this thread alone frees them, so
  // they stay valid while it walks them.
  std::vector<TWinSkinForm*> Forms();
  // Skinners of every thread, registered now.
  int FormCount();
  std::vector<TSkinData*> Dlist();
  int PopupCount();
  bool HookInstalled() const { return hook_.Installed(); }
  bool ThreadHooked(DWORD thread_id);
  bool TimerEnabled() const { return timer_->Enabled(); }
  // Runs the pending action now instead of at the timer's tick.
  void RunPendingAction() { DoAction(nullptr); }
  int TimerInterval() const { return timer_->Interval(); }
  DWORD GuiThread() const { return gui_thread_; }

  std::atomic<bool> active{false};
  std::atomic<bool> skinchildform{false};
  std::atomic<int> state{0};  // 0 nothing started, 1 running, 4 shutting down or detached
  std::atomic<int> menutype{0};
  std::atomic<bool> menuactive{false};
  std::atomic<bool> MDIMax{false};
  std::atomic<bool> WMSetDraw{false};
  std::atomic<int> action{kActionNone};
  // The GUI thread's own: requests come from its skin-data components.
  TSkinData* UpdateData = nullptr;
  std::atomic<TSkinData*> MainData{nullptr};
  uintptr_t mode = 0;
  HWND lpara = nullptr;
  std::atomic<HWND> clienthwnd{nullptr};
  TCustomForm* MDIForm = nullptr;
  TSkinManage* mmgr = nullptr;

 private:
  struct TShared;  // the lists, shared with sub-managers
  bool OnHook(int code, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnThreadHook(int code, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void DoAction(TObject* sender);
  void DoActionOnlyThisForm(TSkinData* data);
  void AddPopupMenu(HWND wnd);
  bool DeletePopupMenu(HWND wnd);
  TSkinData* SelectSkinData(HWND wnd, const std::wstring& class_name);
  bool CanSkinWindow(HWND wnd, const std::wstring& class_name);
  TCustomForm* FindFormObject(HWND wnd);
  void AddVisibleForm(TCustomForm* form);
  // The admission tests and the skinner's attachment, without its start: the skinner, listed,
  // or null.
  TWinSkinForm* Admit(HWND wnd, bool child_forms);
  void PurgeForms();
  void UnskinAll();
  void RemoveForm(TWinSkinForm* form);
  bool Listed(TWinSkinForm* form);
  void Unskin(TWinSkinForm* form);
  // Asks every skinner of another thread that `data` uses (null: every one of this mode) for
  // `request`: posted, or sent and waited for.
  void AskOtherThreads(TSkinData* data, TSkinRequest request, bool wait);
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

// Registers the skin-data component (and the skin store) with the form reader, lets the
// components make the manager, and routes the package reader's messages to a message box.
// A program calls it once before it reads a form that holds a skin.
void RegisterSkinClasses();

}  // namespace qn
