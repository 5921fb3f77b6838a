// The skinner of an open menu's window ("#32768"): for now it marks the window as known to
// the skin engine and passes every message on; the skinned menu background arrives with the
// menu painters.
#pragma once

#include <windows.h>

#include "platform/win/Subclass.h"

namespace qn {

class TSkinData;

class TWinSkinPopMenu {
 public:
  TWinSkinPopMenu() = default;
  TWinSkinPopMenu(const TWinSkinPopMenu&) = delete;
  TWinSkinPopMenu& operator=(const TWinSkinPopMenu&) = delete;

  void InitSkin(HWND wnd, TSkinData* data, HMENU menu);
  void UnSubClass();

  HWND hwnd = nullptr;
  TSkinData* fsd = nullptr;
  HMENU hmenu = nullptr;
  bool ownerdraw = false;
  int SelIndex = -1;

 private:
  void WndProc(TMessage& msg);
  TWindowSubclass subclass_;
};

}  // namespace qn
