// The skinned menu bar: while a window is skinned its native menu bar is detached and its
// entries become buttons painted in the frame's menu line; a button opens its entry's submenu
// as a popup whose items the form skinner draws from the skin (FormMenu.cpp). Also the item
// painter those popups and the skinned system menu share.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win/GdiObjects.h"
#include "platform/win/Graphics.h"
#include "skin/form/WinSkinForm.h"

namespace qn {

class TWinSkinMenu;
struct TSkinObjects;
class TMenuItem;
class TCustomImageList;

// One entry of the bar.
class TMenuBtn : public TNCObject {
 public:
  TMenuBtn(TWinSkinForm* form, TWinSkinMenu* bar) : TNCObject(form), Bar(bar) {}
  void Draw() override;

  TWinSkinMenu* Bar;
  int index = 0;            // place in the bar
  std::wstring caption;
  HMENU hsubmenu = nullptr; // none for an entry without subitems
  UINT mid = 0;             // the entry's command
};

class TWinSkinMenu {
 public:
  explicit TWinSkinMenu(TWinSkinForm* form);
  TWinSkinMenu(const TWinSkinMenu&) = delete;
  TWinSkinMenu& operator=(const TWinSkinMenu&) = delete;

  // The buttons from the native menu bar `from` (the window's current one when null, else the
  // one remembered); the window's native bar is then detached. False when there is none.
  bool UpdataBtn(HMENU from = nullptr);
  // Lays the buttons out in the menu line without painting.
  void SetMenuRect();
  // Paints the bar into rc of dc (window coordinates).
  void DrawMenu(HDC dc, const RECT& rc);
  // The button under a point in window coordinates, with a caption; null when none.
  TMenuBtn* FindBtn(POINT p);
  // The visible, enabled button whose caption underlines ch; null when none.
  TMenuBtn* FindAccel(wchar_t ch);
  int Count() const { return static_cast<int>(Buttons.size()); }
  bool IsButton(const TNCObject* object) const;
  // The system's menu font.
  TFont& MenuFont() { return font_; }

  std::vector<std::unique_ptr<TMenuBtn>> Buttons;
  HMENU hmenu = nullptr;  // the native menu bar, detached while skinned
  RECT Bar{};             // window coordinates, at the last paint
  TBitmap bkmap;          // the bar's background without captions, from the last paint
  bool topmenu = false;

 private:
  friend class TMenuBtn;
  // Lays the buttons out over `bar`; measures captions on dc.
  void Layout(HDC dc, const RECT& bar);
  int StartMargin(int bar_width) const;
  void DrawMdiButtons(HDC dc, const RECT& rc);
  TWinSkinForm* SF;
  TFont font_;
};

// A menu entry the form skinner made owner-drawn: what it was, so that it can be given back,
// and the glyph it shows. Its address is the item's data while it is owner-drawn.
// An entry of a class-library menu keeps its data (the library finds its entries by it) and
// is known by it instead.
struct TMenuEntry {
  HMENU menu = nullptr;   // the menu that holds it
  UINT type = 0;          // its own type flags and data, given back afterwards
  ULONG_PTR data = 0;
  int image = -1;         // glyph of the skin data's menu images (the system menu's)
  TMenuItem* item = nullptr;  // the class-library item behind it, if any
  // The item data the entry has while owner-drawn.
  ULONG_PTR Key() const { return item ? data : reinterpret_cast<ULONG_PTR>(this); }
};

// What an item shows, wherever it comes from (a native menu's entry, the skinned system menu).
struct TMenuItemLook {
  std::wstring caption;   // "-" for a separator
  std::wstring shortcut;
  bool enabled = true;
  bool checked = false;
  bool radio = false;
  bool isdefault = false;
  int image = -1;         // glyph of `images`, -1 for none
  TBitmap* images = nullptr;  // glyphs side by side, each as wide as high; white is transparent
  TCustomImageList* list = nullptr;  // or the images of a class-library menu
};

// The painter of owner-drawn menu items over the skin's MenuItem image.
class TMenuItemPainter {
 public:
  // scratch: a picture the painter may compose items in (it only grows), kept by the caller so
  // that a popup's items do not each make one; null for one of the painter's own.
  TMenuItemPainter(TSkinObjects& skin, TFont& font, TBitmap* scratch = nullptr)
      : skin_(skin), font_(font), scratch_(scratch) {}
  // The size an item needs, no wider than max_width: a longer caption ends in an ellipsis.
  SIZE Measure(HDC dc, const TMenuItemLook& item, int max_width);
  // The item into r of dc; background: the popup window's skinned background, whose (0, 0)
  // lies at `bg_origin` of dc, or the menu colour when null.
  void Draw(HDC dc, const RECT& r, const TMenuItemLook& item, bool selected, TBitmap* background, POINT bg_origin);

 private:
  void DrawSeparator(HDC dc, const RECT& r);
  void DrawContent(HDC dc, const RECT& r, const TMenuItemLook& item, bool selected);
  void DrawGlyph(HDC dc, const RECT& box, const TMenuItemLook& item, COLORREF color);
  int LeftMargin() const;
  TSkinObjects& skin_;
  TFont& font_;
  TBitmap* scratch_;
};

// The system's menu font into a font object.
void LoadMenuFont(TFont& font);
// The character a caption underlines ("&File" gives 'F'), 0 when none.
wchar_t MenuAccelerator(const std::wstring& caption);
wchar_t UpperChar(wchar_t c);

}  // namespace qn
