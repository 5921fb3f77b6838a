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

// What happens to an exception that reaches the application's own event handlers (the window
// procedure of class-library controls, a form's OnDestroy, application timers): the
// application shows it; before there is one it is dropped. e is null for one of no known type.
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

// Where an exception goes that reaches a callback of the system into library or engine code
// (hooks, subclass procedures, engine timers), besides the debugger output. A message box
// there would open inside the hook or paint that failed, and its own activation would run
// the engine again, so the user is never told. Called on the thread that failed.
using TCallbackErrorHandler = void (*)(const std::exception* e);
void SetCallbackErrorHandler(TCallbackErrorHandler handler);

namespace detail {
void DropCallbackError(const std::exception* e) noexcept;
}

// From inside a catch block of library or engine code: the exception being handled is dropped
// and reported as SetCallbackErrorHandler says.
void DropCurrentException() noexcept;

// Runs f for a callback of the system into library or engine code; an exception is dropped and
// reported as SetCallbackErrorHandler says.
template <class F>
void RunQuietly(F&& f) noexcept {
  try {
    f();
  } catch (const std::exception& e) {
    detail::DropCallbackError(&e);
  } catch (...) {
    detail::DropCallbackError(nullptr);
  }
}

}  // namespace qn
