#include "platform/core/XpCompat.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace qn::compat {

uint64_t TickCount64Fallback() {
  static std::atomic<uint64_t> g_last{0};
  uint64_t last = g_last.load();
  for (;;) {
    const uint64_t next = ExtendTickCount(last, GetTickCount());
    if (next == last || g_last.compare_exchange_weak(last, next)) return next;
  }
}

int PutEnvFallback(const char* name, const char* value) {
  if (!name || !*name || !value) return EINVAL;
  // _putenv copies the text; an empty value removes the variable, as _putenv_s does.
  const std::string entry = std::string(name) + "=" + value;
  return _putenv(entry.c_str()) == 0 ? 0 : errno;
}

}  // namespace qn::compat

#if defined(__i386__)
namespace {

using TTickFn = ULONGLONG(WINAPI*)();
using TPutEnvFn = errno_t(__cdecl*)(const char*, const char*);

// The system's function where it has one. A race only looks it up twice.
template <class F>
F Lookup(const wchar_t* module, const char* name, std::atomic<F>& cache, std::atomic<bool>& looked) {
  if (!looked.load(std::memory_order_acquire)) {
    HMODULE m = GetModuleHandleW(module);
    cache.store(m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr);
    looked.store(true, std::memory_order_release);
  }
  return cache.load();
}

std::atomic<TTickFn> g_tick{nullptr};
std::atomic<bool> g_tick_looked{false};
std::atomic<TPutEnvFn> g_putenv{nullptr};
std::atomic<bool> g_putenv_looked{false};

ULONGLONG WINAPI TickCount64() {
  if (TTickFn f = Lookup(L"kernel32.dll", "GetTickCount64", g_tick, g_tick_looked)) return f();
  return qn::compat::TickCount64Fallback();
}

errno_t __cdecl PutEnvS(const char* name, const char* value) {
  if (TPutEnvFn f = Lookup(L"msvcrt.dll", "_putenv_s", g_putenv, g_putenv_looked)) return f(name, value);
  return qn::compat::PutEnvFallback(name, value);
}

}  // namespace

// The import slots that kernel32's and msvcrt's import libraries would otherwise supply. The
// build links them into every program (-u in the top-level CMakeLists.txt).
extern "C" {
TTickFn qn_imp_GetTickCount64 __asm__("__imp__GetTickCount64@0") = &TickCount64;
TPutEnvFn qn_imp_putenv_s __asm__("__imp___putenv_s") = &PutEnvS;
}
#endif
