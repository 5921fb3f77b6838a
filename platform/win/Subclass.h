// Binding an object to a window it did not create (controls, dialogs, menus, other modules'
// windows): every message of the window goes first to the object's message method, which may
// pass it on to the procedure that was in place before.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/win/Messages.h"

namespace qn {

struct TSubclassLink;

class TWindowSubclass {
 public:
  // Sets msg.Result; a message it does not pass on with CallPrevious is swallowed. An exception
  // is dropped (RunQuietly) and the message left to the window, unless it was passed on.
  using THandler = std::function<void(TMessage& msg)>;

  TWindowSubclass() = default;
  TWindowSubclass(const TWindowSubclass&) = delete;
  TWindowSubclass& operator=(const TWindowSubclass&) = delete;
  ~TWindowSubclass() { Remove(); }

  // Routes the messages of wnd (a window of the calling thread) through handler. False when
  // the window does not exist or belongs to another thread, or this object is bound already.
  [[nodiscard]] bool Install(HWND wnd, THandler handler);
  // Lets go of the window: its procedures are as if we had never been there, also when
  // others subclassed it after us. Safe from inside the handler.
  void Remove();

  bool Installed() const { return link_ != nullptr; }
  HWND Handle() const;

  // From inside the handler only: the previous procedure handles msg; its answer goes into
  // msg.Result.
  void CallPrevious(TMessage& msg);

  // Runs once the window has been let go at WM_NCDESTROY; the object may be deleted in it.
  std::function<void()> OnReleased;

  // Bindings in place or still being unwound (for tests that look for leaks).
  static int LiveLinks();

 private:
  friend LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  TSubclassLink* link_ = nullptr;
};

}  // namespace qn
