// The skinned system menu: a popup menu mirroring the window's system menu, opened from the
// icon button, a right click on the caption and Alt+Space. Its items are owner-drawn from the
// skin with the restore, maximise, minimise and close glyphs; the popup-menu skinner paints
// its window.
#include <windowsx.h>

#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinForm.h"
#include "skin/form/WinSkinMenuBar.h"

namespace qn {

namespace {

bool IsSystemCommand(UINT id) {
  switch (id) {
    case SC_SIZE: case SC_MOVE: case SC_MINIMIZE: case SC_MAXIMIZE: case SC_NEXTWINDOW: case SC_PREVWINDOW:
    case SC_CLOSE: case SC_RESTORE:
      return true;
    default:
      return false;
  }
}

// The glyph of the skin data's menu images a command shows, -1 for none.
int SystemGlyph(UINT command) {
  switch (command & 0xFFF0) {
    case SC_RESTORE: return 0;
    case SC_MAXIMIZE: return 1;
    case SC_MINIMIZE: return 2;
    case SC_CLOSE: return 3;
    default: return -1;
  }
}

}  // namespace

HMENU TWinSkinForm::BuildSystemMenu() {
  sysmenu.Reset();
  sys_entries_.clear();
  if (!hsysmenu) hsysmenu = GetSystemMenu(Hwnd, FALSE);
  if (!hsysmenu) return nullptr;
  TMenuHandle menu(CreatePopupMenu());
  if (!menu) return nullptr;
  const bool max = FormIcons & (1u << sbiMax), min = FormIcons & (1u << sbiMin);
  const int count = GetMenuItemCount(hsysmenu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[81] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
    mii.dwTypeData = text;
    mii.cch = 80;
    if (!GetMenuItemInfoW(hsysmenu, static_cast<UINT>(i), TRUE, &mii)) continue;
    auto entry = std::make_unique<TMenuEntry>();
    entry->menu = menu.Get();
    MENUITEMINFOW own{};
    own.cbSize = sizeof own;
    own.fMask = MIIM_FTYPE | MIIM_DATA;
    own.dwItemData = reinterpret_cast<ULONG_PTR>(entry.get());
    if ((mii.fType & MFT_SEPARATOR) || text[0] == 0) {
      AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
      own.fType = MFT_SEPARATOR | MFT_OWNERDRAW;
      if (SetMenuItemInfoW(menu.Get(), UINT(GetMenuItemCount(menu.Get()) - 1), TRUE, &own))
        sys_entries_.push_back(std::move(entry));
      continue;
    }
    bool enabled = true;
    switch (mii.wID & 0xFFF0) {
      case SC_SIZE: case SC_MOVE: enabled = !Maximised(); break;
      case SC_MINIMIZE: enabled = !Minimised() && min; break;
      case SC_MAXIMIZE: enabled = !Maximised() && max; break;
      case SC_RESTORE: enabled = Windowstate != TSkinWindowState::swsNormal; break;
      default: break;
    }
    if ((mii.fState & (MFS_GRAYED | MFS_DISABLED)) == (MFS_GRAYED | MFS_DISABLED)) enabled = false;
    UINT flags = MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED);
    if (mii.fState & MFS_CHECKED) flags |= MF_CHECKED;
    AppendMenuW(menu.Get(), flags, mii.wID, text);
    if (mii.fState & MFS_DEFAULT) SetMenuDefaultItem(menu.Get(), mii.wID, FALSE);
    entry->image = SystemGlyph(mii.wID);
    own.fType = MFT_STRING | MFT_OWNERDRAW;
    if (SetMenuItemInfoW(menu.Get(), UINT(GetMenuItemCount(menu.Get()) - 1), TRUE, &own))
      sys_entries_.push_back(std::move(entry));
  }
  sysmenu = std::move(menu);
  return sysmenu.Get();
}

void TWinSkinForm::PopupSystemMenu(POINT screen) {
  if (Host() ? Host()->Mode() != 0 : mode != 0) return;
  const DWORD now = GetTickCount();
  if (poptime == 0 || now - poptime > DoubleTime) {
    if (Host()) Host()->SetMenuType(2);
    poptime = now;
    HMENU menu = BuildSystemMenu();
    if (!menu) return;
    SetForegroundWindow(Hwnd);
    auto alive = alive_;
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(
        menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, Hwnd, nullptr));
    if (!*alive) return;
    if (command) PostMessageW(Hwnd, WM_SYSCOMMAND, command, 0);
  } else if (ActiveBtn) {
    // A second click on the icon within the double-click time closes the window.
    PostMessageW(Hwnd, WM_CLOSE, 0, 0);
  }
}

bool TWinSkinForm::OnCommand(TMessage& m) {
  const UINT id = LOWORD(m.WParam);
  if (!IsSystemCommand(id)) return false;
  PostMessageW(Hwnd, WM_SYSCOMMAND, id, 0);
  m.Result = 0;
  return true;
}

void TWinSkinForm::OnSysCommand(TMessage& m) {
  const UINT command = static_cast<UINT>(m.WParam) & 0xFFF0;
  if (!fInMenu && command == SC_KEYMENU && m.LParam == ' ') {
    POINT corner{0, 0};
    ClientToScreen(Hwnd, &corner);
    PopupSystemMenu(corner);
    m.Result = 0;
    return;
  }
  // F10, Alt alone and Alt with a letter open the skinned menu bar's popups; not again while
  // one is open.
  if (fInMenu && command == SC_KEYMENU && MenuBar()) {
    m.Result = 0;
    return;
  }
  if (!fInMenu && command == SC_KEYMENU && m.LParam != '-' && !GetCapture() &&
      KeyMenu(static_cast<wchar_t>(m.LParam))) {
    m.Result = 1;
    return;
  }
  switch (command) {
    case SC_MINIMIZE: Windowstate = TSkinWindowState::swsMin; break;
    case SC_MAXIMIZE: Windowstate = TSkinWindowState::swsMax; break;
    case SC_RESTORE:
      Windowstate = TSkinWindowState::swsNormal;
      if (IsMdiChild())
        if (Host() && Host()->MDIMaximised()) Host()->SetMDIMax(false);
      break;
    default: break;
  }
  Prev(m);
}

}  // namespace qn
