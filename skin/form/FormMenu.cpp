// The skinned menu bar as the form skinner drives it: built from the window's native menu bar,
// painted in the menu line, opened by the mouse, Alt+letter, F10 and the arrow keys; and the
// owner-drawn items of the popups it opens and of the skinned system menu.
#include <windowsx.h>

#include <algorithm>

#include "platform/win/Forms.h"
#include "platform/win/ImgList.h"
#include "platform/win/Menus.h"
#include "platform/win/WinUtil.h"
#include "skin/data/WinSkinData.h"
#include "skin/form/WinSkinMenuBar.h"

namespace qn {

namespace {

constexpr int kMenuBorder = 3;  // a popup menu's items start this far inside its window

bool AltAlone() { return GetKeyState(VK_MENU) < 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0; }

// The screen point of a mouse message the menu loop retrieved.
POINT MessagePoint(const MSG& msg) {
  POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  const bool nonclient = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCXBUTTONDBLCLK;
  if (!nonclient && msg.hwnd) ClientToScreen(msg.hwnd, &p);
  return p;
}

}  // namespace

// ---- The bar's life ----

void TWinSkinForm::InitMenuBar(HMENU native) {
  if (!native || IsMdiChild()) return;
  menu = std::make_unique<TWinSkinMenu>(this);
  MenuHeight = GetSystemMetrics(SM_CYMENU);
  const int before = HwndClientRect(Hwnd).bottom;
  if (!menu->UpdataBtn(native)) {
    menu.reset();
    MenuHeight = 0;
    return;
  }
  // Fitting to the skinned frame takes a form's client area to be taller by the menu line
  // than it was with the native bar (as the system leaves it once the bar is gone) and a plain
  // window's to be as it was: the window is sized so, whatever the detaching did to it.
  const int wanted = before + (FForm ? MenuHeight : 0), now = HwndClientRect(Hwnd).bottom;
  if (now != wanted && !IsIconic(Hwnd) && !IsZoomed(Hwnd)) {
    const RECT r = HwndWindowRect(Hwnd);
    SetWindowPos(Hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + wanted - now,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TWinSkinForm::FreeMenuBar(bool give_back) {
  if (!menu) return;
  if (ActiveBtn && menu->IsButton(ActiveBtn)) ActiveBtn = nullptr;
  const HMENU native = menu->hmenu;
  menu.reset();
  MenuHeight = 0;
  if (give_back && IsWindow(Hwnd) && native && IsMenu(native) && !GetMenu(Hwnd)) SetMenu(Hwnd, native);
}

bool TWinSkinForm::IsMenuButton(const TNCObject* object) const { return menu && menu->IsButton(object); }

void TWinSkinForm::DrawMenuLine(HDC dc, const RECT& line) {
  if (menu) menu->DrawMenu(dc, line);
}

void TWinSkinForm::UpdateMainMenu() {
  if (!menu) return;
  if (fInMenu) {  // the open popup's button stays until it closed
    rebuild_bar_ = true;
    return;
  }
  wTr = HwndWindowRect(Hwnd);
  fwidth = wTr.right - wTr.left;
  fheight = wTr.bottom - wTr.top;
  menu->UpdataBtn();
  PaintFrame();
}

void TWinSkinForm::OnMenuChanged() {
  if (IsMdiChild()) return;
  HMENU now = GetMenu(Hwnd);
  if (!menu) {
    if (!now) return;
    // A window that got its menu bar after it was skinned: the skinned bar takes its place.
    InitMenuBar(now);
    Refresh();
    return;
  }
  // A form's menu object changes its entries in place, without putting its bar back.
  HMENU from = now;
  if (!from && FForm) {
    if (TMainMenu* main = FForm->Menu()) from = main->Handle();
    if (!from) {  // the form lost its menu
      if (!fInMenu) {
        FreeMenuBar(false);
        Refresh();
      }
      return;
    }
  }
  if (fsd->MenuUpdate() && from) {
    if (fInMenu) {
      rebuild_bar_ = true;
    } else {
      menu->UpdataBtn(from);
      PaintFrame();
    }
  }
  if (GetMenu(Hwnd)) SetMenu(Hwnd, nullptr);
}

// ---- Opening popups ----

bool TWinSkinForm::CanSwitchTo(int index) const {
  if (!menu || index < 0 || index >= menu->Count()) return false;
  const TMenuBtn& b = *menu->Buttons[size_t(index)];
  // Only an entry with a popup: running another entry's command as the pointer passes it
  // would be no menu at all.
  return b.visible && b.enabled && b.hsubmenu && !b.caption.empty();
}

int TWinSkinForm::NeighbourButton(int dir) const {
  const int n = menu ? menu->Count() : 0;
  if (n == 0 || open_index_ < 0) return -1;
  for (int step = 1; step < n; ++step) {
    const int i = ((open_index_ + dir * step) % n + n) % n;
    if (CanSwitchTo(i)) return i;
  }
  return -1;
}

bool TWinSkinForm::CheckMenu(TMenuBtn* button) {
  switching_ = false;
  if (!button || !menu || !menu->IsButton(button)) return false;
  if (!button->hsubmenu) {
    // A disabled entry runs nothing.
    if (button->enabled) PostMessageW(Hwnd, WM_COMMAND, MAKEWPARAM(button->mid, 0), 0);
    return false;
  }
  auto alive = alive_;
  int index = button->index;
  for (int rounds = 0; rounds < 1000 && index >= 0 && index < menu->Count(); ++rounds) {
    TMenuBtn* b = menu->Buttons[size_t(index)].get();
    open_index_ = index;
    activemenu = b->hsubmenu;
    current_menu_ = b->hsubmenu;
    current_flags_ = 0;
    switch_to_ = -1;
    GetCursorPos(&last_mouse_);
    MakeOwnerDrawn(b->hsubmenu, true);
    fInMenu = true;
    const RECT wr = HwndWindowRect(Hwnd);
    POINT at{wr.left + (bidileft ? b->bounds.right : b->bounds.left), wr.top + b->bounds.bottom + 1};
    if (Host()) {
      Host()->SetMenuType(1);
      Host()->SetMenuActive(true);
    }
    if (ActiveBtn && ActiveBtn != b) ActiveBtn->MouseLeave();
    ActiveBtn = b;
    b->state = 2;
    b->Draw();
    (void)track_hook_.Install(WH_MSGFILTER, GetCurrentThreadId(), [this](int code, WPARAM, LPARAM l, LRESULT& r) {
      return MenuTrackHook(code, l, r);
    });
    if (b->enabled) {
      SetForegroundWindow(Hwnd);
      // The menu loop takes this first: the popup opens with its first item selected.
      PostMessageW(Hwnd, WM_KEYDOWN, VK_DOWN, 0);
      const UINT flags = TPM_RIGHTBUTTON | (bidileft ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
      TrackPopupMenuEx(b->hsubmenu, flags, at.x, at.y, Hwnd, nullptr);
    }
    if (!*alive) return true;  // freed from inside the loop: its hook went with it
    track_hook_.Remove();
    GiveBackOwnerDrawn();
    fInMenu = false;
    open_index_ = -1;
    activemenu = nullptr;
    current_menu_ = nullptr;
    if (menu && menu->IsButton(b)) {
      b->state = 1;
      b->Draw();
      if (ActiveBtn == b) ActiveBtn = nullptr;
    }
    if (!menu || switch_to_ < 0 || rebuild_bar_) break;
    index = switch_to_;
  }
  switching_ = false;
  if (rebuild_bar_ && menu) {
    rebuild_bar_ = false;
    UpdateMainMenu();
  }
  return true;
}

void TWinSkinForm::ClickButton(TMenuBtn* button) {
  if (!button || !menu || !menu->IsButton(button)) return;
  const RECT wr = HwndWindowRect(Hwnd);
  const POINT p{wr.left + button->bounds.left + 1, wr.top + button->bounds.top + 1};
  PostMessageW(Hwnd, WM_SKINMENUPOPUP, 0, MAKELPARAM(p.x, p.y));
}

void TWinSkinForm::OnMenuPopupAt(POINT screen) {
  if (!menu || fInMenu) return;
  TMenuBtn* b = menu->FindBtn(ScreenToFrame(screen));
  if (!b) return;
  b->MouseDown();
  CheckMenu(b);
}

bool TWinSkinForm::OnMenuBarMouse(TMessage& m, POINT p) {
  if (!menu) return false;
  TMenuBtn* b = menu->FindBtn(p);
  if (!b) return false;
  switch (m.Msg) {
    case WM_NCMOUSEMOVE:
      if (!FWindowActive) return false;
      b->MouseEnter();
      break;
    case WM_NCLBUTTONDOWN: {
      fsd->HideHint();
      if (!FWindowActive || GetForegroundWindow() != Hwnd) SetForegroundWindow(Hwnd);
      auto alive = alive_;
      b->MouseDown();
      CheckMenu(b);
      if (!*alive) return true;
      break;
    }
    default:  // a release or a double click on a bar button does nothing more
      break;
  }
  m.Result = 0;
  return true;
}

bool TWinSkinForm::KeyMenu(wchar_t ch) {
  if (!menu || menu->Count() == 0) return false;
  TMenuBtn* b = nullptr;
  if (ch) {
    b = menu->FindAccel(ch);
  } else {
    for (auto& candidate : menu->Buttons) {
      if (candidate->visible && candidate->enabled && !candidate->caption.empty()) {
        b = candidate.get();
        break;
      }
    }
  }
  if (b) ClickButton(b);
  return true;
}

void TWinSkinForm::OnDialogChar(TMessage& m, const TWndMethod& form) {
  if (form) form(m);
  if (m.Result != 0) return;
  if (menu && AltAlone()) {
    if (TMenuBtn* b = menu->FindAccel(static_cast<wchar_t>(m.WParam))) {
      ClickButton(b);
      m.Result = 1;
      return;
    }
  }
  // Not this window's: an MDI child offers it to its frame (whose menu bar it shows), another
  // secondary window to the program's main window, unless a modal window holds that one.
  HWND to = nullptr;
  if (IsMdiChild()) {
    to = GetParent(GetParent(Hwnd));
  } else if (TCustomForm* main = Application ? Application->MainForm() : nullptr;
             main && main != FForm && main->HandleAllocated() && IsWindowEnabled(main->Handle())) {
    to = main->Handle();
  }
  // The answer of the window it went to stands: a key it used is not used again here.
  if (to && to != Hwnd) m.Result = SendMessageW(to, CM_DIALOGCHAR, m.WParam, m.LParam) == 1 ? 1 : 0;
}

// ---- Tracking an open bar popup ----

void TWinSkinForm::OnMenuSelect(const TMessage& m) {
  if (!fInMenu) return;
  const UINT flags = HIWORD(m.WParam);
  if (flags == 0xFFFF && m.LParam == 0) return;  // the menu is closing
  switching_ = false;
  current_menu_ = reinterpret_cast<HMENU>(m.LParam);
  current_flags_ = flags;
}

bool TWinSkinForm::IsFormPopupMenu(HMENU popup) const {
  if (!FForm || !fsd || !Has(fsd->SkinControls(), xcPopupMenu)) return false;
  for (int i = 0; i < FForm->ComponentCount(); ++i) {
    auto* p = dynamic_cast<TPopupMenu*>(FForm->Components(i));
    if (!p || p->Tag() == fsd->DisableTag()) continue;
    if (p->Items()->HandleAllocated() && (p->Handle() == popup || p->FindItem(reinterpret_cast<UINT_PTR>(popup),
                                                                            TFindItemKind::fkHandle)))
      return true;
  }
  return false;
}

void TWinSkinForm::OnInitMenuPopup(HMENU popup) {
  item_width_cap_ = 0;  // the screen may have changed since the last popup
  // Entries the program put in as a bar popup opens are drawn like the others; the form's
  // popup menus are drawn so while they are open.
  if (!popup) return;
  if (fInMenu || IsFormPopupMenu(popup)) MakeOwnerDrawn(popup, false);
}

void TWinSkinForm::OnExitMenuLoop() {
  if (!fInMenu) GiveBackOwnerDrawn();
}

bool TWinSkinForm::MenuTrackHook(int code, LPARAM lparam, LRESULT& result) {
  if (code != MSGF_MENU || !menu || open_index_ < 0) return false;
  const MSG& msg = *reinterpret_cast<const MSG*>(lparam);
  int target = -1;
  switch (msg.message) {
    case WM_KEYDOWN: {
      WPARAM key = msg.wParam;
      if (bidileft && (key == VK_LEFT || key == VK_RIGHT)) key = key == VK_LEFT ? VK_RIGHT : VK_LEFT;
      if (key == VK_RETURN || key == VK_ESCAPE) {
        switching_ = false;
      } else if (key == VK_LEFT) {
        // Inside a submenu Left goes back to its parent: the system's.
        if (current_menu_ && current_menu_ != activemenu) return false;
        target = NeighbourButton(-1);
      } else if (key == VK_RIGHT) {
        if (current_flags_ & MF_POPUP) return false;  // opens the item's submenu
        target = NeighbourButton(+1);
      }
      break;
    }
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: {
      const POINT p = MessagePoint(msg);
      if (p.x == last_mouse_.x && p.y == last_mouse_.y) return false;
      last_mouse_ = p;
      if (TMenuBtn* b = menu->FindBtn(ScreenToFrame(p))) target = b->index;
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: {
      TMenuBtn* b = menu->FindBtn(ScreenToFrame(MessagePoint(msg)));
      if (!b) return false;
      // A press on the open button closes its popup, one on another opens that one.
      if (b->index == open_index_ || !CanSwitchTo(b->index)) {
        EndMenu();
        result = 1;
        return true;
      }
      target = b->index;
      break;
    }
    default:
      return false;
  }
  if (target < 0 || target == open_index_ || !CanSwitchTo(target)) return false;
  switch_to_ = target;
  switching_ = true;
  EndMenu();
  result = 1;
  return true;
}

// ---- Owner-drawn items ----

TFont& TWinSkinForm::MenuFont() {
  if (menu) return menu->MenuFont();
  if (!menu_font_) {
    menu_font_ = std::make_unique<TFont>();
    LoadMenuFont(*menu_font_);
  }
  return *menu_font_;
}

void TWinSkinForm::MakeOwnerDrawn(HMENU popup, bool deep) {
  if (!popup || !IsMenu(popup)) return;
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &mii)) continue;
    if (deep && mii.hSubMenu) MakeOwnerDrawn(mii.hSubMenu, true);
    // The program's own owner-drawn and picture items stay its own.
    if (mii.fType & (MFT_OWNERDRAW | MFT_BITMAP)) continue;
    auto entry = std::make_unique<TMenuEntry>();
    entry->menu = popup;
    entry->type = mii.fType;
    entry->data = mii.dwItemData;
    entry->item = TMenuItem::FromItemData(mii.dwItemData);
    MENUITEMINFOW set{};
    set.cbSize = sizeof set;
    set.fMask = entry->item ? MIIM_FTYPE : MIIM_FTYPE | MIIM_DATA;
    set.fType = mii.fType | MFT_OWNERDRAW;
    set.dwItemData = entry->Key();
    if (SetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &set)) entries_.push_back(std::move(entry));
  }
}

void TWinSkinForm::GiveBackOwnerDrawn() {
  for (const auto& e : entries_) {
    if (!IsMenu(e->menu)) continue;
    const int count = GetMenuItemCount(e->menu);
    for (int i = 0; i < count; ++i) {
      MENUITEMINFOW mii{};
      mii.cbSize = sizeof mii;
      mii.fMask = MIIM_DATA;
      if (!GetMenuItemInfoW(e->menu, static_cast<UINT>(i), TRUE, &mii)) continue;
      if (mii.dwItemData != e->Key()) continue;
      MENUITEMINFOW set{};
      set.cbSize = sizeof set;
      set.fMask = e->item ? MIIM_FTYPE : MIIM_FTYPE | MIIM_DATA;
      set.fType = e->type;
      set.dwItemData = e->data;
      SetMenuItemInfoW(e->menu, static_cast<UINT>(i), TRUE, &set);
      break;
    }
  }
  entries_.clear();
}

TMenuEntry* TWinSkinForm::FindEntry(ULONG_PTR data) const {
  if (!data) return nullptr;
  for (const auto* list : {&entries_, &sys_entries_})
    for (const auto& e : *list)
      if (e->Key() == data) return e.get();
  return nullptr;
}

bool TWinSkinForm::LookOf(const TMenuEntry& entry, UINT item_state, TMenuItemLook& look) const {
  if (!IsMenu(entry.menu)) return false;
  // The entry's text now: the program may have changed it as the popup opened.
  const int count = GetMenuItemCount(entry.menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA | MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
    mii.dwTypeData = text;
    mii.cch = 255;
    if (!GetMenuItemInfoW(entry.menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    if (mii.dwItemData != entry.Key()) continue;
    const std::wstring all = text;
    const size_t tab = all.find(L'\t');
    look.caption = all.substr(0, tab);
    look.shortcut = tab == std::wstring::npos ? std::wstring() : all.substr(tab + 1);
    if ((mii.fType & MFT_SEPARATOR) || look.caption.empty()) look.caption = L"-";
    look.enabled = !(item_state & (ODS_GRAYED | ODS_DISABLED));
    look.checked = (item_state & ODS_CHECKED) != 0;
    look.isdefault = (item_state & ODS_DEFAULT) || (mii.fState & MFS_DEFAULT);
    look.radio = (mii.fType & MFT_RADIOCHECK) != 0;
    look.image = entry.image;
    look.images = entry.image >= 0 && fsd && !fsd->bmpmenu.Empty() ? &fsd->bmpmenu : nullptr;
    if (TMenuItem* item = TMenuItem::FromItemData(entry.data); item && item == entry.item) {
      // A class-library item: its image from its menu's images.
      look.caption = item->IsLine() ? std::wstring(kLineCaption) : item->Caption();
      look.shortcut = ShortCutToText(item->ShortCut());
      look.radio = item->RadioItem();
      look.isdefault = item->Default();
      look.image = item->ImageIndex();
      look.list = item->Images();
      look.images = nullptr;
    }
    return true;
  }
  return false;
}

bool TWinSkinForm::OnMeasureItem(TMessage& m) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
  if (!mis || mis->CtlType != ODT_MENU || !skin_) return false;
  TMenuEntry* entry = FindEntry(mis->itemData);
  if (!entry) return false;
  TMenuItemLook look;
  if (!LookOf(*entry, 0, look)) return false;
  // Measured on a memory DC of the screen's format: no window DC is taken for each item.
  if (menu_scratch_.Empty()) menu_scratch_.SetSize(1, 1);
  if (!menu_scratch_.DC()) return false;
  // No wider than the screen, with the room the menu adds (check-mark column, borders). The
  // screen's width is read once a popup, not for each item: the system may ask the display.
  if (item_width_cap_ <= 0) item_width_cap_ = GetSystemMetrics(SM_CXSCREEN) - 64;
  TMenuItemPainter painter(*skin_, MenuFont());
  const SIZE size = painter.Measure(menu_scratch_.DC(), look, item_width_cap_);
  mis->itemWidth = static_cast<UINT>(size.cx);
  mis->itemHeight = static_cast<UINT>(size.cy);
  m.Result = TRUE;
  return true;
}

bool TWinSkinForm::OnDrawItem(TMessage& m) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
  if (!dis || dis->CtlType != ODT_MENU || !skin_) return false;
  TMenuEntry* entry = FindEntry(dis->itemData);
  if (!entry) return false;
  TMenuItemLook look;
  if (!LookOf(*entry, dis->itemState, look)) return false;
  HMENU owner_menu = reinterpret_cast<HMENU>(dis->hwndItem);
  TBitmap* background = nullptr;
  if (Host()) {
    Host()->SetPopMenu();
    Host()->SetHMenu(owner_menu);
    background = Host()->GetMenuBg(owner_menu);
  }
  // Where the popup window's (0, 0) lies in the item's DC: its client area starts inside the
  // window's border.
  POINT origin{kMenuBorder, kMenuBorder};
  if (HWND popup = WindowFromDC(dis->hDC)) {
    POINT client{0, 0};
    ClientToScreen(popup, &client);
    const RECT wr = HwndWindowRect(popup);
    origin = POINT{client.x - wr.left, client.y - wr.top};
  }
  TMenuItemPainter painter(*skin_, MenuFont(), &menu_scratch_);
  painter.Draw(dis->hDC, dis->rcItem, look, (dis->itemState & ODS_SELECTED) != 0, background, origin);
  m.Result = TRUE;
  return true;
}

}  // namespace qn
