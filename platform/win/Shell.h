// Opening documents and web pages with the user's default programs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace qn {

// Seam for tests and tools: when set, receives every request instead of the shell.
using TShellOpenHook = std::function<void(HWND owner, const std::wstring& target)>;
void SetShellOpenHook(TShellOpenHook hook);

// ShellExecuteW with the default verb, no parameters, no directory, shown normally.
void ShellOpen(HWND owner, const std::wstring& target);

}  // namespace qn
