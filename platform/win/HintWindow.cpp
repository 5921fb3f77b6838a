#include "platform/win/HintWindow.h"

#include "platform/win/PaintBuffer.h"

namespace qn {

namespace {
constexpr wchar_t kClass[] = L"THintWindow";
constexpr int kPadX = 2, kPadY = 1;
}  // namespace

THintWindow::THintWindow() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) {
    font_.SetName(ncm.lfStatusFont.lfFaceName);
    font_.SetHeight(ncm.lfStatusFont.lfHeight);
  }
  font_.SetColor(clInfoText);
}

THintWindow::~THintWindow() {
  if (wnd_) DestroyWindow(wnd_);
}

RECT THintWindow::CalcHintRect(int max_width, const std::wstring& text) {
  TWindowDC screen(nullptr);
  TScopedSelect sel(screen.Get(), font_.Handle());
  RECT r{0, 0, max_width, 0};
  DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.right += 2 * kPadX + 4;
  r.bottom += 2 * kPadY + 2;
  return r;
}

void THintWindow::ActivateHint(const RECT& rect, const std::wstring& text) {
  text_ = text;
  if (!wnd_) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(inst, kClass, &wc)) {
      wc.style = CS_SAVEBITS;
      wc.lpfnWndProc = WndProc;
      wc.hInstance = inst;
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.lpszClassName = kClass;
      RegisterClassW(&wc);
    }
    wnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr,
                           nullptr, inst, nullptr);
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  SetWindowPos(wnd_, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  InvalidateRect(wnd_, nullptr, FALSE);
}

void THintWindow::ReleaseHandle() {
  if (wnd_) ShowWindow(wnd_, SW_HIDE);
}

void THintWindow::Paint() {
  TPaintDC pdc(wnd_);
  RECT r;
  GetClientRect(wnd_, &r);
  TPaintBuffer buf(pdc.Get(), r);
  HDC dc = buf.DC();
  TBrushHandle bg = MakeSolidBrush(ColorToRGB(clInfoBk));
  FillRect(dc, &r, bg.Get());
  TScopedSelect sel(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(clInfoText));
  InflateRect(&r, -kPadX, -kPadY);
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  buf.CopyOut();
}

LRESULT CALLBACK THintWindow::WndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<THintWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT:
      if (self) {
        self->Paint();
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
  }
  return DefWindowProcW(wnd, msg, w, l);
}

}  // namespace qn
