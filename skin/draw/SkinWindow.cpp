#include <algorithm>
#include <vector>

#include "platform/win/WinUtil.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

namespace {

// Controls whose parent is being painted behind them. The parent paints its graphic children
// too, and a see-through one among them asks for its parent again: that nested request draws
// nothing instead of recursing without end.
std::vector<TControl*> g_painting;

class TPaintingParentOf {
 public:
  explicit TPaintingParentOf(TControl* control) : control_(control) { g_painting.push_back(control); }
  TPaintingParentOf(const TPaintingParentOf&) = delete;
  TPaintingParentOf& operator=(const TPaintingParentOf&) = delete;
  ~TPaintingParentOf() { g_painting.erase(std::find(g_painting.begin(), g_painting.end(), control_)); }
  static bool Active(TControl* control) {
    return std::find(g_painting.begin(), g_painting.end(), control) != g_painting.end();
  }

 private:
  TControl* control_;
};

class TSavedDC {
 public:
  explicit TSavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;
  ~TSavedDC() {
    if (saved_) RestoreDC(dc_, saved_);
  }

 private:
  HDC dc_;
  int saved_;
};

}  // namespace

void DrawParentImage(TControl* control, HDC dc) {
  if (!control || !dc || TPaintingParentOf::Active(control)) return;
  TWinControl* parent = control->Parent();
  if (!parent) return;
  TPaintingParentOf painting(control);
  TSavedDC saved(dc);
  // The parent's coordinates land on the control, clipped to the control's client area.
  POINT origin;
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x - control->Left(), origin.y - control->Top(), nullptr);
  RECT r = control->ClientRect();
  OffsetRect(&r, control->Left(), control->Top());
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  try {
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  } catch (...) {  // a parent that fails to paint leaves what it drew
  }
}

std::wstring GetWndClassName(HWND wnd) {
  wchar_t name[100];
  const int n = wnd ? GetClassNameW(wnd, name, 100) : 0;
  return std::wstring(name, static_cast<size_t>(std::max(n, 0)));
}

bool IsNT() {
  static const bool nt = [] {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
    return GetVersionExW(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_NT;
  }();
  return nt;
}

bool NotVersion6() {
  static const bool not6 = [] {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
    return !GetVersionExW(&v) || v.dwMajorVersion != 6;
  }();
  return not6;
}

std::wstring GetWndText(HWND wnd) { return HwndGetText(wnd); }

void CopyBitmap(TBitmap& source, TBitmap& dest) {
  dest.SetPixelFormat(source.PixelFormat());
  dest.SetSize(source.Width(), source.Height());
  source.Draw(dest.DC(), 0, 0);
}

bool IsDropDownWindow(HWND wnd) {
  return (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_POPUP) != 0 ||
         reinterpret_cast<uintptr_t>(GetParent(wnd)) == 0x10014;
}

}  // namespace qn
