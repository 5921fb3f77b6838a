#include "platform/win/Hooks.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/win/WinUtil.h"

namespace qn {

namespace {

// A hook procedure gets no user data, so each installed hook takes a slot whose own procedure
// knows its index: one procedure per slot, made at compile time.
struct TSlot {
  std::mutex lock;  // guards used, handler and hook
  bool used = false;
  std::shared_ptr<const TThreadHook::THandler> handler;
  HHOOK hook = nullptr;
  std::atomic<int> busy{0};  // handler calls in progress, on any thread
};

TSlot g_slots[TThreadHook::kMaxHooks];
thread_local int t_inside[TThreadHook::kMaxHooks];  // handler calls in progress on this thread

LRESULT Dispatch(int slot, int code, WPARAM w, LPARAM l) {
  TSlot& s = g_slots[slot];
  std::shared_ptr<const TThreadHook::THandler> handler;
  HHOOK hook;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    hook = s.hook;
    if (code >= 0 && s.handler) {
      // The copy keeps the handler alive even if its owner goes while it runs.
      handler = s.handler;
      ++s.busy;
    }
  }
  if (!handler) return CallNextHookEx(hook, code, w, l);
  ++t_inside[slot];
  LRESULT result = 0;
  bool answered = false;
  RunQuietly([&] { answered = (*handler)(code, w, l, result); });
  --t_inside[slot];
  --s.busy;
  return answered ? result : CallNextHookEx(hook, code, w, l);
}

template <int N>
LRESULT CALLBACK SlotProc(int code, WPARAM w, LPARAM l) {
  return Dispatch(N, code, w, l);
}

template <int... N>
constexpr auto MakeProcs(std::integer_sequence<int, N...>) {
  return std::array<HOOKPROC, sizeof...(N)>{&SlotProc<N>...};
}

constexpr auto kProcs = MakeProcs(std::make_integer_sequence<int, TThreadHook::kMaxHooks>());

}  // namespace

bool TThreadHook::Install(int type, DWORD thread_id, THandler handler) {
  if (slot_ >= 0 || !handler) return false;
  int slot = -1;
  for (int i = 0; i < kMaxHooks && slot < 0; ++i) {
    std::lock_guard<std::mutex> guard(g_slots[i].lock);
    if (!g_slots[i].used) {
      g_slots[i].used = true;
      g_slots[i].handler = std::make_shared<const THandler>(std::move(handler));
      slot = i;
    }
  }
  if (slot < 0) return false;
  TSlot& s = g_slots[slot];
  // The slot is ready before the hook exists: the first event may come at once.
  HHOOK h = SetWindowsHookExW(type, kProcs[static_cast<size_t>(slot)], nullptr, thread_id);
  std::lock_guard<std::mutex> guard(s.lock);
  if (!h) {
    s.handler.reset();
    s.used = false;
    return false;
  }
  s.hook = h;
  hook_ = THookHandle(h);
  slot_ = slot;
  thread_ = thread_id;
  return true;
}

void TThreadHook::Remove() {
  if (slot_ < 0) return;
  TSlot& s = g_slots[slot_];
  hook_.Reset();  // no new events from here on
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.handler.reset();
  }
  // Calls already running on other threads finish before the handler's object may go. One of
  // them may be sending this thread a message and waiting for the answer: sent messages are
  // handled while we wait.
  while (s.busy.load() > t_inside[slot_]) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.hook = nullptr;
    s.used = false;
  }
  slot_ = -1;
  thread_ = 0;
}

}  // namespace qn
