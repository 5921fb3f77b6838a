// Menus: items in a tree, the native menus built from them, main menus on forms and popup
// menus on controls; shortcuts and their text. Each menu object owns the HMENUs it made.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/Messages.h"

namespace qn {

class TCanvas;
class TControl;
class TCustomForm;
class TCustomImageList;
class TMenu;
class TWinControl;

// A key with its modifiers: the virtual key in the low byte, scShift | scCtrl | scAlt above.
using TShortCut = WORD;
constexpr TShortCut scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
// Modifier bits as the class library's shift states give them (as in mouse events).
constexpr unsigned ssShift = 1, ssAlt = 2, ssCtrl = 4;

TShortCut ShortCut(WORD key, unsigned shift);
// "Ctrl+S", "F5", "Shift+Del", "Ctrl+Shift+N"; empty for scNone.
std::wstring ShortCutToText(TShortCut shortcut);
// The reverse, ignoring case and spaces around '+'; scNone for text it does not know.
TShortCut TextToShortCut(const std::wstring& text);
// The shortcut of a key message (WM_KEYDOWN / WM_SYSKEYDOWN) with the modifiers held now;
// scNone for a modifier key alone.
TShortCut ShortCutFromMessage(const MSG& msg);

// The caption that makes an item a separator.
inline constexpr wchar_t kLineCaption[] = L"-";

using TMenuDrawItemEvent = std::function<void(TObject* sender, TCanvas* canvas, const RECT& r, bool selected)>;
using TMenuMeasureItemEvent = std::function<void(TObject* sender, TCanvas* canvas, int& width, int& height)>;

class TMenuItem : public TComponent {
  QN_CLASS(TMenuItem)
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  std::wstring Caption() const { return caption_; }
  void SetCaption(const std::wstring& c);
  bool IsLine() const { return caption_ == kLineCaption; }
  TShortCut ShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut s);
  bool Checked() const { return checked_; }
  // Checking a radio item unchecks the other radio items of its group under the same parent.
  void SetChecked(bool c);
  bool RadioItem() const { return radio_; }
  void SetRadioItem(bool r);
  int GroupIndex() const { return group_; }
  void SetGroupIndex(int g);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Default() const { return default_; }
  void SetDefault(bool d);
  bool AutoCheck() const { return auto_check_; }
  void SetAutoCheck(bool a) { auto_check_ = a; }
  int ImageIndex() const { return image_index_; }  // -1: none
  void SetImageIndex(int i);
  std::wstring Hint() const { return hint_; }
  void SetHint(const std::wstring& h) { hint_ = h; }

  // The command id of the native entry, unique in the program (1..0x7FFF).
  UINT Command() const { return command_; }
  // The native popup menu of the subitems; made on first call. Null for an item without
  // subitems, except the root item of a menu.
  HMENU Handle();
  bool HandleAllocated() const { return static_cast<bool>(handle_); }
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const { return items_.at(static_cast<size_t>(i)); }
  int IndexOf(const TMenuItem* item) const;
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);  // leaves the item alive, without parent
  void Clear();                  // frees every subitem
  TMenuItem* Parent() const { return parent_; }
  TMenu* GetParentMenu() const;
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  void SetMenuIndex(int index);
  // The images of the menu it is in, or null.
  TCustomImageList* Images() const;

  // Runs AutoCheck and OnClick; an item that is disabled does nothing.
  virtual void Click();
  // A click; an item with subitems hears it also just before its submenu opens, to update them.
  TNotifyEvent OnClick;

  // Owner drawing. Handlers win; without one the item measures and draws itself.
  TMenuDrawItemEvent OnDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;
  void MeasureItem(TCanvas* canvas, int& width, int& height);
  void DrawItem(TCanvas* canvas, const RECT& r, bool selected);
  // What the item measures and draws without handlers: caption and shortcut in the canvas
  // font, room for the check or the image; separators are a thin etched line.
  void DefaultMeasure(TCanvas* canvas, int& width, int& height);
  void DefaultDraw(TCanvas* canvas, const RECT& r, bool selected);

  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;

  // The item whose native entry or submenu this is, among the live items of this thread.
  static TMenuItem* FromItemData(ULONG_PTR data);
  static TMenuItem* FromCommand(UINT command);

 protected:
  // The native entries of this item's submenu are out of date.
  void RebuildHandle();
  // Something this item shows changed: its entry in the parent is made again and the menu
  // tells its window.
  void Changed();
  // The subitems changed.
  void ItemsChanged(bool entry_too);

 private:
  friend class TMenu;
  void TurnSiblingsOff();
  void FillEntry(MENUITEMINFOW& info, std::wstring& text, bool owner_draw, bool top_level);
  HBITMAP EntryBitmap();
  void RebuildTree();

  std::wstring caption_;
  std::wstring hint_;
  TShortCut shortcut_ = scNone;
  bool checked_ = false, radio_ = false, enabled_ = true, visible_ = true, default_ = false;
  bool auto_check_ = false;
  int group_ = 0;
  int image_index_ = -1;
  UINT command_ = 0;
  TMenuHandle handle_;
  TBitmapHandle bitmap_;  // the image of the plain entry, when the menu has images
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item only
  std::vector<TMenuItem*> items_;
  bool dying_ = false;
};

enum class TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
  QN_CLASS(TMenu)
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  TMenuItem* Items() const { return items_; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* images);
  bool OwnerDraw() const { return owner_draw_; }
  void SetOwnerDraw(bool on);
  HMENU Handle() { return items_->Handle(); }
  // value: a command id, an HMENU or a TShortCut, as kind says.
  TMenuItem* FindItem(UINT_PTR value, TFindItemKind kind) const;
  // Runs the enabled, visible item with the shortcut of a key message; true when one ran.
  bool IsShortCut(const MSG& msg);
  // The window that hears about changes (CM_MENUCHANGED) and owns the popups' messages.
  virtual HWND WindowHandle() const;

  void Notification(TComponent* component, TOperation op) override;

 protected:
  friend class TMenuItem;
  // An item of this menu changed its entries: the window is told (CM_MENUCHANGED).
  virtual void MenuChanged(TMenuItem* item);
  // Whether the root's own entries are a menu bar (CreateMenu) or a popup.
  virtual bool IsBar() const { return false; }

 private:
  TMenuItem* items_;
  TCustomImageList* images_ = nullptr;
  bool owner_draw_ = false;
};

class TMainMenu : public TMenu {
  QN_CLASS(TMainMenu)
 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  // The form whose menu bar this is (TCustomForm::SetMenu), or null.
  TCustomForm* Form() const { return form_; }
  HWND WindowHandle() const override;

 protected:
  bool IsBar() const override { return true; }
  void MenuChanged(TMenuItem* item) override;

 private:
  friend class TCustomForm;
  TCustomForm* form_ = nullptr;
};

enum class TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
  QN_CLASS(TPopupMenu)
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  // Shows the menu at a screen point and runs the chosen item once the menu closed.
  virtual void Popup(int x, int y);
  bool AutoPopup() const { return auto_popup_; }
  void SetAutoPopup(bool v) { auto_popup_ = v; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment a) { alignment_ = a; }
  // The control whose context menu is being shown.
  TComponent* PopupComponent() const { return popup_component_; }
  void SetPopupComponent(TComponent* c) { popup_component_ = c; }
  HWND WindowHandle() const override;
  void Notification(TComponent* component, TOperation op) override;

  TNotifyEvent OnPopup;

 private:
  TComponent* popup_component_ = nullptr;
  bool auto_popup_ = true;
  TPopupAlignment alignment_ = TPopupAlignment::paLeft;
};

// Menu messages a window receives, handed to the items they concern: WM_COMMAND from a
// menu, WM_INITMENUPOPUP, WM_MEASUREITEM and WM_DRAWITEM of menu entries. True when handled
// (msg.Result set).
bool DispatchMenuMessage(TMessage& msg);

// The menu font of the system, as a canvas takes it.
void AssignMenuFont(TCanvas& canvas);

// Registers the menu classes with the form reader.
void RegisterMenuClasses();

}  // namespace qn
