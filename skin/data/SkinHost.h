// What a skin-data component asks of the skin manager. The manager sits above the skin data and
// implements this; the component reaches the program's one manager through SkinHost(), and has
// it made by the factory the engine registers (RegisterSkinClasses) when there is none yet.
#pragma once

#include <windows.h>

namespace qn {

class TSkinData;

class TSkinHost {
 public:
  TSkinHost() = default;
  TSkinHost(const TSkinHost&) = delete;
  TSkinHost& operator=(const TSkinHost&) = delete;

  virtual void AddSkinData(TSkinData* data) = 0;
  // The component is going: once this returns nothing uses it any more, on any thread.
  virtual void RemoveSkinData(TSkinData* data) = 0;
  virtual void InstallHook() = 0;
  virtual void InstallThread(DWORD thread_id) = 0;
  virtual void UnInstallThread(DWORD thread_id) = 0;
  // A request concerning `data` (a TSkinAction), carried out `interval_ms` later; `target` is
  // the window of kActionReskinForm. kActionNone only names `data` as the component the next
  // action concerns.
  virtual void Request(TSkinData* data, int action, int interval_ms, HWND target = nullptr) = 0;
  // 0 before anything started, 1 running, 4 shutting down.
  virtual int State() const = 0;
  virtual void SetState(int state) = 0;
  // Skinning switched on or off for new windows.
  virtual void SetActive(bool on) = 0;
  // Admits a window now; child_forms also admits plain children of an MDI client.
  virtual bool AddForm(HWND wnd, bool child_forms) = 0;
  // The skinners that use `data` drop their caption buttons: its skin is being replaced.
  virtual void DeleteSysbtn(TSkinData* data) = 0;

 protected:
  ~TSkinHost() = default;
};

// The program's manager, or null.
TSkinHost* SkinHost();
// The program's manager, made now when there is none; null when no engine registered a
// factory.
TSkinHost* MakeSkinHost();
// The manager's side: how to make one, and which one is the program's.
void SetSkinHostFactory(TSkinHost* (*make)());
void SetSkinHost(TSkinHost* host);

}  // namespace qn
