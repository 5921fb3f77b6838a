// What a form skinner needs of the skin manager that attached it: the shared menu and MDI
// state, and the list it is registered in. The manager sits above the form skinner and
// implements this; a form skinner without a host (attached by hand) skins its window alone.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qn {

class TBitmap;
class TCustomForm;
class TWinSkinForm;

class TFormHost {
 public:
  TFormHost() = default;
  TFormHost(const TFormHost&) = delete;
  TFormHost& operator=(const TFormHost&) = delete;

  // A window was attached: the manager is running.
  virtual void FormAttached() = 0;
  // Windows are kept hidden until they are first activated (the manager's skin-all action
  // clears this); the first activation takes it back.
  virtual bool HideUntilActivated() const = 0;
  virtual void ShownOnActivation() = 0;
  // The MDI frame's client window and form, recorded by the frame's skinner.
  virtual void SetMDIClient(HWND client, TCustomForm* form) = 0;
  virtual HWND MDIClient() const = 0;
  // MDI children are shown maximised.
  virtual bool MDIMaximised() const = 0;
  virtual void SetMDIMax(bool maximised) = 0;
  // The kind of menu about to open: 0 popup, 1 menu-bar drop-down, 2 system menu.
  virtual void SetMenuType(int type) = 0;
  // The menu about to open has items the form skinner draws (its popup windows are told so).
  virtual void SetMenuActive(bool active) = 0;
  // An open menu's items are being drawn: every popup-menu skinner learns it (SetPopMenu).
  virtual void SetPopMenu() = 0;
  // The newest popup-menu window that shows no known menu yet shows `menu`.
  virtual void SetHMenu(HMENU menu) = 0;
  // The skinned background of the popup window that shows `menu`, or null: its items are
  // drawn over it (offset by the window's three-pixel border).
  virtual TBitmap* GetMenuBg(HMENU menu) = 0;
  // The manager's mode: 0 for the program's own manager, a module's instance otherwise.
  virtual uintptr_t Mode() const = 0;
  // The skinner is going: it leaves the manager's list (the manager does not free it).
  virtual void FormGone(TWinSkinForm* form) = 0;

 protected:
  ~TFormHost() = default;
};

}  // namespace qn
