#include "platform/win/GdiObjects.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace qn {

namespace {

std::atomic<int> g_live[static_cast<int>(THandleKind::Count)];
std::atomic<int> g_failed_releases{0};
std::atomic<int> g_selected_deletes{0};
std::atomic<bool> g_checks{false};

const char* KindName(THandleKind kind) {
  static const char* const kNames[] = {"font", "brush", "pen", "bitmap", "region", "DC", "hook", "menu", "icon"};
  return kNames[static_cast<int>(kind)];
}

struct TWatchedDC {
  HDC dc;
  DWORD thread;  // that got it
};

// What the checks keep while they are on. Never freed: objects with static lifetime release
// their handles after everything else is gone.
struct TChecks {
  std::mutex lock;
  std::vector<TWatchedDC> dcs;  // a DC got twice is listed twice
  std::vector<std::string> faults;
};

TChecks& Checks() {
  static TChecks* checks = new TChecks;
  return *checks;
}

void NoteFault(std::string text) {
  // A fault repeated on every paint would otherwise grow the list without end.
  constexpr size_t kMaxFaults = 64;
  TChecks& c = Checks();
  std::lock_guard<std::mutex> guard(c.lock);
  if (c.faults.size() < kMaxFaults) c.faults.push_back(std::move(text));
}

void Watch(HDC dc, bool on) {
  if (!g_checks.load(std::memory_order_relaxed)) return;
  TChecks& c = Checks();
  std::lock_guard<std::mutex> guard(c.lock);
  if (on) {
    c.dcs.push_back({dc, GetCurrentThreadId()});
  } else if (auto it = std::find_if(c.dcs.begin(), c.dcs.end(), [dc](const TWatchedDC& w) { return w.dc == dc; });
             it != c.dcs.end()) {
    *it = c.dcs.back();
    c.dcs.pop_back();
  }
}

// Fonts, brushes, pens and bitmaps are what a DC holds; a region given to SelectObject is
// copied into the clipping region, so it is never in use.
UINT SelectableType(THandleKind kind) {
  switch (kind) {
    case THandleKind::Font: return OBJ_FONT;
    case THandleKind::Brush: return OBJ_BRUSH;
    case THandleKind::Pen: return OBJ_PEN;
    case THandleKind::Bitmap: return OBJ_BITMAP;
    default: return 0;
  }
}

void CheckNotSelected(THandleKind kind, HGDIOBJ obj) {
  const UINT type = SelectableType(kind);
  if (!type) return;
  // Only this thread's DCs are asked: a DC serves one thread at a time, and a question from
  // here while its own thread draws with it makes that thread's call fail (a SelectObject
  // that should have put the old brush back leaves ours in, for one).
  const DWORD self = GetCurrentThreadId();
  bool held = false;
  {
    TChecks& c = Checks();
    std::lock_guard<std::mutex> guard(c.lock);
    for (const TWatchedDC& w : c.dcs)
      if (w.thread == self && GetCurrentObject(w.dc, type) == obj) held = true;
  }
  if (!held) return;
  ++g_selected_deletes;
  NoteFault(std::string(KindName(kind)) + " deleted while still selected into a device context");
}

void CountFailedRelease(THandleKind kind, const char* call) {
  ++g_failed_releases;
  if (g_checks.load(std::memory_order_relaxed)) NoteFault(std::string(KindName(kind)) + " not released: " + call + " failed");
}

}  // namespace

int LiveHandles(THandleKind kind) { return g_live[static_cast<int>(kind)].load(); }

int LiveGdiHandles() {
  int n = 0;
  for (THandleKind k : {THandleKind::Font, THandleKind::Brush, THandleKind::Pen, THandleKind::Bitmap,
                        THandleKind::Region, THandleKind::DC})
    n += LiveHandles(k);
  return n;
}

int LiveUserHandles() {
  return LiveHandles(THandleKind::Hook) + LiveHandles(THandleKind::Menu) + LiveHandles(THandleKind::Icon);
}

void CountHandle(THandleKind kind, int delta) { g_live[static_cast<int>(kind)] += delta; }

int FailedReleases() { return g_failed_releases.load(); }

void SetGdiChecks(bool on) {
  TChecks& c = Checks();
  std::lock_guard<std::mutex> guard(c.lock);
  g_checks = on;
  // DCs got while the checks were off are not known to them.
  c.dcs.clear();
}

int SelectedDeletes() { return g_selected_deletes.load(); }

namespace {
std::atomic<int> g_screen_draws{0};
}  // namespace

BOOL ScreenBlt(HDC target, int x, int y, int w, int h, HDC source, int sx, int sy) {
  if (GetObjectType(target) == OBJ_DC) ++g_screen_draws;
  return BitBlt(target, x, y, w, h, source, sx, sy, SRCCOPY);
}

int ScreenDraws() { return g_screen_draws.load(); }

std::vector<std::string> TakeGdiFaults() {
  TChecks& c = Checks();
  std::lock_guard<std::mutex> guard(c.lock);
  return std::exchange(c.faults, {});
}

namespace detail {

void AdoptHandle(THandleKind kind, void* h) {
  CountHandle(kind, 1);
  if (kind == THandleKind::DC) Watch(static_cast<HDC>(h), true);
}

void DisownHandle(THandleKind kind, void* h) {
  CountHandle(kind, -1);
  if (kind == THandleKind::DC) Watch(static_cast<HDC>(h), false);
}

void ReleaseHandle(THandleKind kind, void* h) {
  const char* call = "DeleteObject";
  BOOL ok = FALSE;
  switch (kind) {
    case THandleKind::DC:
      Watch(static_cast<HDC>(h), false);
      call = "DeleteDC";
      ok = DeleteDC(static_cast<HDC>(h));
      break;
    case THandleKind::Hook:
      call = "UnhookWindowsHookEx";
      // A hook on a thread that has ended went with that thread: nothing is left to leak.
      ok = UnhookWindowsHookEx(static_cast<HHOOK>(h)) || GetLastError() == ERROR_INVALID_HOOK_HANDLE;
      break;
    case THandleKind::Menu:
      call = "DestroyMenu";
      ok = DestroyMenu(static_cast<HMENU>(h));
      break;
    case THandleKind::Icon:
      call = "DestroyIcon";
      ok = DestroyIcon(static_cast<HICON>(h));
      break;
    default:
      if (g_checks.load(std::memory_order_relaxed)) CheckNotSelected(kind, static_cast<HGDIOBJ>(h));
      ok = DeleteObject(static_cast<HGDIOBJ>(h));
      break;
  }
  if (ok) CountHandle(kind, -1);
  else CountFailedRelease(kind, call);
}

void ReleaseWindowDC(HWND wnd, HDC dc) {
  Watch(dc, false);
  if (ReleaseDC(wnd, dc)) CountHandle(THandleKind::DC, -1);
  else CountFailedRelease(THandleKind::DC, "ReleaseDC");
}

void WatchDC(HDC dc, bool on) { Watch(dc, on); }

}  // namespace detail

TMemDCHandle MakeMemDC(HDC compatible) { return TMemDCHandle(CreateCompatibleDC(compatible)); }
TBrushHandle MakeSolidBrush(COLORREF color) { return TBrushHandle(CreateSolidBrush(color)); }
TPenHandle MakePen(int style, int width, COLORREF color) { return TPenHandle(CreatePen(style, width, color)); }
TRegionHandle MakeRectRgn(int l, int t, int r, int b) { return TRegionHandle(CreateRectRgn(l, t, r, b)); }
TBitmapHandle MakeCompatibleBitmap(HDC dc, int w, int h) { return TBitmapHandle(CreateCompatibleBitmap(dc, w, h)); }

}  // namespace qn
