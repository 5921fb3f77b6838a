#include "skin/manager/WinSkinMenu.h"

#include "skin/manager/WinSkinDlg.h"

namespace qn {

void TWinSkinPopMenu::InitSkin(HWND wnd, TSkinData* data, HMENU menu) {
  hwnd = wnd;
  fsd = data;
  hmenu = menu;
  ownerdraw = false;
  (void)subclass_.Install(wnd, [this](TMessage& m) { WndProc(m); });
}

void TWinSkinPopMenu::UnSubClass() { subclass_.Remove(); }

void TWinSkinPopMenu::WndProc(TMessage& m) {
  if (m.Msg == WM_SKINQUERY) {
    m.Result = 1;
    return;
  }
  subclass_.CallPrevious(m);
}

}  // namespace qn
