#include "platform/win/WinUtil.h"

namespace qn {

TExceptionSink g_exception_sink = nullptr;

void SetExceptionSink(TExceptionSink sink) { g_exception_sink = sink; }

std::wstring HwndGetText(HWND wnd) {
  int n = GetWindowTextLengthW(wnd);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(wnd, s.data(), n + 1);
  s.resize(static_cast<size_t>(n > 0 ? n : 0));
  return s;
}

std::wstring HwndGetClassName(HWND wnd) {
  wchar_t name[256];
  int n = GetClassNameW(wnd, name, 256);
  return std::wstring(name, static_cast<size_t>(n > 0 ? n : 0));
}

RECT HwndWindowRect(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return r;
}

RECT HwndClientRect(HWND wnd) {
  RECT r{};
  GetClientRect(wnd, &r);
  return r;
}

}  // namespace qn
