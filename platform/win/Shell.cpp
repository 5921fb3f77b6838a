#include "platform/win/Shell.h"

#include <shellapi.h>

namespace qn {

namespace {
TShellOpenHook& Hook() {
  static TShellOpenHook hook;
  return hook;
}
}  // namespace

void SetShellOpenHook(TShellOpenHook hook) { Hook() = std::move(hook); }

void ShellOpen(HWND owner, const std::wstring& target) {
  if (Hook()) {
    Hook()(owner, target);
    return;
  }
  ShellExecuteW(owner, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace qn
