#include "platform/win/WinUtil.h"

#include <atomic>

namespace qn {

TExceptionSink g_exception_sink = nullptr;

void SetExceptionSink(TExceptionSink sink) { g_exception_sink = sink; }

namespace {
std::atomic<TCallbackErrorHandler> g_callback_error_handler{nullptr};
}

void SetCallbackErrorHandler(TCallbackErrorHandler handler) { g_callback_error_handler = handler; }

namespace detail {

void DropCallbackError(const std::exception* e) noexcept {
  try {
    std::wstring text = L"Error in a callback, dropped: ";
    text += e ? Utf8ToWide(e->what()) : L"unknown error";
    text += L"\n";
    OutputDebugStringW(text.c_str());
  } catch (...) {
  }
  if (TCallbackErrorHandler handler = g_callback_error_handler.load()) {
    try {
      handler(e);
    } catch (...) {
    }
  }
}

}  // namespace detail

void DropCurrentException() noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    detail::DropCallbackError(&e);
  } catch (...) {
    detail::DropCallbackError(nullptr);
  }
}

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
