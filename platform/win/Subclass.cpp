#include "platform/win/Subclass.h"

#include <commctrl.h>

#include <utility>

#include "platform/win/WinUtil.h"

namespace qn {

// What the system keeps for one binding (its dwRefData). It outlives the object when the
// object goes while one of the window's messages is still being handled.
struct TSubclassLink {
  HWND wnd;
  TWindowSubclass* owner;  // null once the object has let go
  TWindowSubclass::THandler handler;
  int depth = 0;  // messages of this binding being handled
  bool installed = false;
  WNDPROC chain = nullptr;  // the window procedure that runs the subclass chain
};

namespace {

int g_links = 0;

// One message being handled, innermost last: CallPrevious finds its window here.
struct TDispatchFrame {
  const TWindowSubclass* owner;
  HWND wnd;
  bool passed;  // the previous procedure has seen the message
  TDispatchFrame* outer;
};
thread_local TDispatchFrame* t_frame = nullptr;

UINT_PTR IdOf(TSubclassLink* link) { return reinterpret_cast<UINT_PTR>(link); }

void Unhook(TSubclassLink* link, bool dying);

// A binding whose object has let go is taken out of the chain and freed once none of its
// messages is in progress and the chain can be left exactly.
void FreeIfDone(TSubclassLink* link, bool dying = false) {
  if (link->owner || link->depth > 0) return;
  Unhook(link, dying);
  if (link->installed) return;
  delete link;
  --g_links;
}

}  // namespace

LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) {
  auto* link = reinterpret_cast<TSubclassLink*>(ref);
  if (!link->owner) {
    // Let go but still in the chain: pass everything on until it can leave.
    const LRESULT result = DefSubclassProc(wnd, msg, w, l);
    FreeIfDone(link, msg == WM_NCDESTROY);
    return result;
  }

  TDispatchFrame frame{link->owner, wnd, false, t_frame};
  t_frame = &frame;
  ++link->depth;
  TMessage m{msg, w, l, 0};
  bool completed = false;
  RunQuietly([&] {
    link->handler(m);
    completed = true;
  });
  --link->depth;
  t_frame = frame.outer;

  // A handler that failed before passing the message on leaves it to the window as if we
  // were not there; the window's own teardown at WM_NCDESTROY always runs.
  if ((!completed || msg == WM_NCDESTROY) && !frame.passed) m.Result = DefSubclassProc(wnd, msg, w, l);
  if (msg == WM_NCDESTROY && link->owner) {
    TWindowSubclass* owner = std::exchange(link->owner, nullptr);
    owner->link_ = nullptr;
    FreeIfDone(link, true);
    if (owner->OnReleased) {
      auto released = owner->OnReleased;  // the object may go inside
      RunQuietly(released);
    }
    return m.Result;
  }
  FreeIfDone(link, msg == WM_NCDESTROY);
  return m.Result;
}

namespace {

void Unhook(TSubclassLink* link, bool dying) {
  if (!link->installed) return;
  // When someone replaced the window procedure after the chain was set up, removing the last
  // entry of the chain may put the original procedure back over theirs: stay in the chain,
  // passing messages on, until their procedure is gone again or the window goes.
  if (!dying && IsWindow(link->wnd) &&
      reinterpret_cast<WNDPROC>(GetWindowLongPtrW(link->wnd, GWLP_WNDPROC)) != link->chain)
    return;
  RemoveWindowSubclass(link->wnd, SubclassProc, IdOf(link));
  link->installed = false;
}

}  // namespace

bool TWindowSubclass::Install(HWND wnd, THandler handler) {
  if (link_ || !handler || !IsWindow(wnd)) return false;
  if (GetWindowThreadProcessId(wnd, nullptr) != GetCurrentThreadId()) return false;
  auto* link = new TSubclassLink{wnd, this, std::move(handler)};
  ++g_links;
  if (!SetWindowSubclass(wnd, SubclassProc, IdOf(link), reinterpret_cast<DWORD_PTR>(link))) {
    delete link;
    --g_links;
    return false;
  }
  link->installed = true;
  link->chain = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC));
  link_ = link;
  return true;
}

void TWindowSubclass::Remove() {
  if (!link_) return;
  TSubclassLink* link = std::exchange(link_, nullptr);
  // Out of the chain now where that is exact; the record goes once no message of ours is in
  // progress.
  Unhook(link, false);
  link->owner = nullptr;
  FreeIfDone(link);
}

HWND TWindowSubclass::Handle() const { return link_ ? link_->wnd : nullptr; }

void TWindowSubclass::CallPrevious(TMessage& msg) {
  TDispatchFrame* f = t_frame;
  if (!f || f->owner != this) return;
  f->passed = true;
  msg.Result = DefSubclassProc(f->wnd, msg.Msg, msg.WParam, msg.LParam);
}

int TWindowSubclass::LiveLinks() { return g_links; }

}  // namespace qn
