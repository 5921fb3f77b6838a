// Windows hooks on one thread whose events go to an object: the skin manager's CBT hook on the
// GUI thread and on further threads, a form's message-filter hook while a menu is open.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/win/GdiObjects.h"

namespace qn {

class TThreadHook {
 public:
  // Handles one event with a non-negative code. Returning true answers it with `result` and
  // stops it there (for HCBT_CREATEWND a non-zero result refuses the window); false passes it
  // on to the next hook, whose answer is returned. An exception is dropped (RunQuietly) and the
  // event passed on.
  using THandler = std::function<bool(int code, WPARAM wparam, LPARAM lparam, LRESULT& result)>;

  // How many hooks of this kind may be installed in the process at once.
  static constexpr int kMaxHooks = 32;

  TThreadHook() = default;
  TThreadHook(const TThreadHook&) = delete;
  TThreadHook& operator=(const TThreadHook&) = delete;
  ~TThreadHook() { Remove(); }

  // Hooks events of `type` (WH_CBT, WH_MSGFILTER …) on thread `thread_id` of this process.
  // False when the system refuses, every slot is taken, or this hook is installed already.
  [[nodiscard]] bool Install(int type, DWORD thread_id, THandler handler);
  // Unhooks. Events already being handled on other threads are waited for, so that the
  // handler's object may go once this returns; it may also be called from the handler itself.
  void Remove();

  bool Installed() const { return slot_ >= 0; }
  HHOOK Handle() const { return hook_.Get(); }
  DWORD ThreadId() const { return thread_; }

 private:
  int slot_ = -1;
  THookHandle hook_;
  DWORD thread_ = 0;
};

}  // namespace qn
