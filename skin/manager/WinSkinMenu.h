// The skinner of an open menu's window ("#32768"): the whole window, its three-pixel border
// included, shows the skin's menu background; the items are drawn over that background by the
// form skinner's owner-draw code, which finds it through the manager (GetMenuBg).
#pragma once

#include <windows.h>

#include "platform/win/Graphics.h"
#include "platform/win/Subclass.h"

namespace qn {

class TSkinData;

class TWinSkinPopMenu {
 public:
  TWinSkinPopMenu() = default;
  TWinSkinPopMenu(const TWinSkinPopMenu&) = delete;
  TWinSkinPopMenu& operator=(const TWinSkinPopMenu&) = delete;

  void InitSkin(HWND wnd, TSkinData* data, HMENU menu);
  // Lets go of the window; a second call does nothing.
  void UnSubClass();
  bool Subclassed() const { return subclass_.Installed(); }
  // The menu the window shows: the one the form skinner named, else the window's own answer.
  HMENU Menu();
  // The background at the window's current size (rebuilt when the size changed); null when
  // the skin has no usable menu background.
  TBitmap* Background();

  HWND hwnd = nullptr;
  TSkinData* fsd = nullptr;
  HMENU hmenu = nullptr;
  bool ownerdraw = false;
  int SelIndex = -1;
  TBitmap MenuBg;

 private:
  void WndProc(TMessage& msg);
  // Whether the skin gives a menu background to paint with.
  bool CanPaint() const;
  void RebuildBackground(int w, int h);
  void OnNcPaint(TMessage& msg);
  void OnPrint(TMessage& msg);
  // The three-pixel border from the background, over whatever the system drew there.
  void PaintBorder();
  TWindowSubclass subclass_;
};

}  // namespace qn
