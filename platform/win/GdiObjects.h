// Owners of GDI and USER handles. Every object the class library and the skin engine create
// goes through these, so that tests can count what is alive (Wine has no GetGuiResources).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace qn {

enum class THandleKind { Font, Brush, Pen, Bitmap, Region, DC, Hook, Menu, Icon, Count };

// Objects of that kind created through the wrappers and not yet released.
int LiveHandles(THandleKind kind);
int LiveGdiHandles();   // fonts, brushes, pens, bitmaps, regions and DCs together
int LiveUserHandles();  // hooks, menus and icons together
void CountHandle(THandleKind kind, int delta);
// Releases the system refused (DeleteObject, DeleteDC, ReleaseDC, DestroyMenu, DestroyIcon or
// UnhookWindowsHookEx failing). The object stays counted as live: on Windows it has leaked.
int FailedReleases();

// Checks for test programs, off in the shipped one (then they cost one flag test). While on,
// the wrappers keep a list of the DCs the library makes or gets, and deleting a font, brush,
// pen or bitmap still selected into one of them is recorded: Windows refuses that delete and
// the object leaks, while Wine only puts it off, so nothing else would show it.
void SetGdiChecks(bool on);
int SelectedDeletes();

// A copy onto the screen: BitBlt to a window's DC (not to a memory DC), counted so that tests
// can see how many draws a change of look takes to reach the screen.
BOOL ScreenBlt(HDC target, int x, int y, int w, int h, HDC source, int sx, int sy);
int ScreenDraws();
// What the checks found since the last call, one line each (selected deletes and refused
// releases); the list is emptied.
std::vector<std::string> TakeGdiFaults();

namespace detail {
void AdoptHandle(THandleKind kind, void* handle);    // counts it; a DC joins the checked list
void DisownHandle(THandleKind kind, void* handle);   // handed over undeleted
void ReleaseHandle(THandleKind kind, void* handle);  // deletes it, or counts the failure
void ReleaseWindowDC(HWND wnd, HDC dc);
void WatchDC(HDC dc, bool on);  // a DC the library holds without counting it (BeginPaint)
}  // namespace detail

// Sole owner of one handle; move-only. Release() hands the handle over without deleting it
// (a region given to SetWindowRgn belongs to the window from then on).
template <class H, THandleKind K>
class TOwnedHandle {
 public:
  TOwnedHandle() = default;
  // Adopts a handle just created by the caller.
  explicit TOwnedHandle(H h) : h_(h) {
    if (h_) detail::AdoptHandle(K, h_);
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;
  TOwnedHandle(TOwnedHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  TOwnedHandle& operator=(TOwnedHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  ~TOwnedHandle() { Reset(); }

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset(H h = nullptr) {
    if (h_) detail::ReleaseHandle(K, h_);
    h_ = h;
    if (h_) detail::AdoptHandle(K, h_);
  }
  [[nodiscard]] H Release() {
    if (h_) detail::DisownHandle(K, h_);
    return std::exchange(h_, nullptr);
  }

 private:
  H h_ = nullptr;
};

using TFontHandle = TOwnedHandle<HFONT, THandleKind::Font>;
using TBrushHandle = TOwnedHandle<HBRUSH, THandleKind::Brush>;
using TPenHandle = TOwnedHandle<HPEN, THandleKind::Pen>;
using TBitmapHandle = TOwnedHandle<HBITMAP, THandleKind::Bitmap>;
using TRegionHandle = TOwnedHandle<HRGN, THandleKind::Region>;
using TMemDCHandle = TOwnedHandle<HDC, THandleKind::DC>;  // from CreateCompatibleDC
using THookHandle = TOwnedHandle<HHOOK, THandleKind::Hook>;
using TMenuHandle = TOwnedHandle<HMENU, THandleKind::Menu>;
using TIconHandle = TOwnedHandle<HICON, THandleKind::Icon>;

// Selects an object into a DC for the scope of this object.
class TScopedSelect {
 public:
  TScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  TScopedSelect(const TScopedSelect&) = delete;
  TScopedSelect& operator=(const TScopedSelect&) = delete;
  ~TScopedSelect() {
    if (old_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A DC from GetDC / GetWindowDC, released at the end of the scope.
class TWindowDC {
 public:
  // whole: the DC covers the frame too (GetWindowDC), else only the client area.
  explicit TWindowDC(HWND wnd, bool whole = false)
      : wnd_(wnd), dc_(whole ? GetWindowDC(wnd) : GetDC(wnd)) {
    if (dc_) detail::AdoptHandle(THandleKind::DC, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  ~TWindowDC() {
    if (dc_) detail::ReleaseWindowDC(wnd_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class TPaintDC {
 public:
  explicit TPaintDC(HWND wnd) : wnd_(wnd) {
    dc_ = BeginPaint(wnd, &ps_);
    if (dc_) detail::WatchDC(dc_, true);
  }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  ~TPaintDC() {
    if (dc_) detail::WatchDC(dc_, false);
    EndPaint(wnd_, &ps_);
  }
  HDC Get() const { return dc_; }
  const PAINTSTRUCT& Info() const { return ps_; }

 private:
  HWND wnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

TMemDCHandle MakeMemDC(HDC compatible = nullptr);
TBrushHandle MakeSolidBrush(COLORREF color);
TPenHandle MakePen(int style, int width, COLORREF color);
TRegionHandle MakeRectRgn(int left, int top, int right, int bottom);
TBitmapHandle MakeCompatibleBitmap(HDC dc, int width, int height);

}  // namespace qn
