// Windows XP lacks two functions that the static runtime libraries import: GetTickCount64
// (the POSIX thread library's timed waits) and _putenv_s (the JPEG library). The 32-bit
// program defines their import slots itself (XpCompat_win.cpp), so the loader never asks the
// system for them: the system's own function is looked up at run time and used where it exists,
// and a fallback runs where it does not.
#pragma once

#include <cstdint>

namespace qn::compat {

// The 64-bit tick count after `last` (0 before the first read), given the 32-bit count read
// now, which wraps every 49.7 days. A count up to half a wrap behind `last` was read before
// another thread stored a newer one and gives `last` itself; reads must come at least every
// 24.8 days, as the POSIX thread library's waits do.
uint64_t ExtendTickCount(uint64_t last, uint32_t now);

#ifdef _WIN32
// The fallbacks themselves, for tests: they run on any Windows.
uint64_t TickCount64Fallback();
int PutEnvFallback(const char* name, const char* value);
#endif

}  // namespace qn::compat
