// Thin helpers over Win32 calls that the class library and the skin engine share.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "platform/core/TextConv.h"

namespace qn {

std::wstring HwndGetText(HWND wnd);
std::wstring HwndGetClassName(HWND wnd);
RECT HwndWindowRect(HWND wnd);  // screen coordinates
RECT HwndClientRect(HWND wnd);

// What happens to an exception that reaches a window procedure or a timer: the application
// shows it; before there is one it is dropped.
using TExceptionSink = void (*)(const std::exception* e);
void SetExceptionSink(TExceptionSink sink);

// Runs f and hands any exception to the sink: nothing crosses a window procedure.
template <class F>
void RunGuarded(F&& f) noexcept {
  extern TExceptionSink g_exception_sink;
  try {
    f();
  } catch (const std::exception& e) {
    if (g_exception_sink) g_exception_sink(&e);
  } catch (...) {
    if (g_exception_sink) g_exception_sink(nullptr);
  }
}

}  // namespace qn
