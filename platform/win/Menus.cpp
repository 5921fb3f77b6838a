#include "platform/win/Menus.h"

#include <algorithm>
#include <cstddef>
#include <cwctype>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/win/Controls.h"
#include "platform/win/Forms.h"
#include "platform/win/Graphics.h"
#include "platform/win/ImgList.h"
#include "platform/win/WinUtil.h"

namespace qn {

// ---- Shortcuts ----

namespace {

struct TKeyName {
  WORD key;
  const wchar_t* name;
};

constexpr TKeyName kKeyNames[] = {
    {VK_BACK, L"BkSp"},   {VK_TAB, L"Tab"},      {VK_RETURN, L"Enter"}, {VK_ESCAPE, L"Esc"},
    {VK_SPACE, L"Space"}, {VK_PRIOR, L"PgUp"},   {VK_NEXT, L"PgDn"},    {VK_END, L"End"},
    {VK_HOME, L"Home"},   {VK_LEFT, L"Left"},    {VK_UP, L"Up"},        {VK_RIGHT, L"Right"},
    {VK_DOWN, L"Down"},   {VK_INSERT, L"Ins"},   {VK_DELETE, L"Del"},   {VK_MULTIPLY, L"Num *"},
    {VK_ADD, L"Num +"},   {VK_SUBTRACT, L"Num -"}, {VK_DECIMAL, L"Num ."}, {VK_DIVIDE, L"Num /"},
};

struct TModifierName {
  TShortCut bit;
  const wchar_t* name;
};
constexpr TModifierName kModifiers[] = {{scShift, L"Shift+"}, {scCtrl, L"Ctrl+"}, {scAlt, L"Alt+"}};

std::wstring KeyText(WORD key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::wstring(1, static_cast<wchar_t>(key));
  if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return L"Num " + std::to_wstring(key - VK_NUMPAD0);
  for (const TKeyName& k : kKeyNames)
    if (k.key == key) return k.name;
  return {};
}

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

}  // namespace

TShortCut ShortCut(WORD key, unsigned shift) {
  if (key & 0xFF00) return scNone;
  TShortCut s = key;
  if (shift & ssShift) s |= scShift;
  if (shift & ssCtrl) s |= scCtrl;
  if (shift & ssAlt) s |= scAlt;
  return s;
}

std::wstring ShortCutToText(TShortCut shortcut) {
  std::wstring key = KeyText(shortcut & 0xFF);
  if (key.empty()) return {};
  std::wstring text;
  for (const TModifierName& m : kModifiers)
    if (shortcut & m.bit) text += m.name;
  return text + key;
}

TShortCut TextToShortCut(const std::wstring& text) {
  std::wstring rest = text;
  TShortCut mods = 0;
  for (bool found = true; found;) {
    found = false;
    for (const TModifierName& m : kModifiers) {
      std::wstring name = m.name;
      if (rest.size() > name.size() && SameNoCase(rest.substr(0, name.size()), name)) {
        mods |= m.bit;
        rest.erase(0, name.size());
        found = true;
      }
    }
  }
  if (rest.empty()) return scNone;
  for (unsigned key = 1; key < 0x100; ++key) {
    std::wstring name = KeyText(static_cast<WORD>(key));
    if (!name.empty() && SameNoCase(name, rest)) return static_cast<TShortCut>(key | mods);
  }
  return scNone;
}

TShortCut ShortCutFromMessage(const MSG& msg) {
  const WORD key = static_cast<WORD>(msg.wParam & 0xFF);
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == 0) return scNone;
  TShortCut s = key;
  if (GetKeyState(VK_SHIFT) < 0) s |= scShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= scCtrl;
  if (GetKeyState(VK_MENU) < 0 || (msg.message == WM_SYSKEYDOWN && (msg.lParam & (1 << 29)))) s |= scAlt;
  return s;
}

// ---- The live items and their command ids ----

namespace {

constexpr UINT kLastCommand = 0x7FFF;

struct TItemRegistry {
  std::mutex lock;
  std::unordered_set<const TMenuItem*> items;
  std::unordered_map<UINT, TMenuItem*> commands;
  UINT next = 1;
};

TItemRegistry& Registry() {
  static TItemRegistry r;
  return r;
}

UINT RegisterItem(TMenuItem* item) {
  TItemRegistry& r = Registry();
  std::lock_guard<std::mutex> hold(r.lock);
  r.items.insert(item);
  for (UINT n = 0; n < kLastCommand; ++n) {
    UINT c = r.next;
    r.next = r.next % kLastCommand + 1;
    if (r.commands.emplace(c, item).second) return c;
  }
  return 0;  // every id taken: the item has no entry that can be chosen
}

void UnregisterItem(TMenuItem* item, UINT command) {
  TItemRegistry& r = Registry();
  std::lock_guard<std::mutex> hold(r.lock);
  r.items.erase(item);
  if (command) r.commands.erase(command);
}

// The menu font of the system; the larger structure of newer systems first.
bool MenuLogFont(LOGFONTW& out) {
  struct {
    NONCLIENTMETRICSW ncm;
    int padding;
  } metrics{};
  const UINT older = static_cast<UINT>(offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW));
  for (UINT size : {static_cast<UINT>(sizeof metrics.ncm), older}) {
    metrics.ncm.cbSize = size;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0)) {
      out = metrics.ncm.lfMenuFont;
      return true;
    }
  }
  return false;
}

}  // namespace

void AssignMenuFont(TCanvas& canvas) {
  LOGFONTW lf{};
  if (!MenuLogFont(lf)) return;
  TFont& f = canvas.Font();
  f.SetName(lf.lfFaceName);
  f.SetHeight(lf.lfHeight);
  f.SetCharset(lf.lfCharSet);
  TFontStyles style = 0;
  if (lf.lfWeight >= FW_BOLD) style |= 1u << fsBold;
  if (lf.lfItalic) style |= 1u << fsItalic;
  f.SetStyle(style);
  f.SetColor(clMenuText);
}

// ---- TMenuItem ----

QN_CLASS_IMPL(TMenuItem, TComponent,
              {prop::Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption),
               prop::Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled),
               prop::Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked),
               prop::Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible),
               prop::Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault),
               prop::Bool("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem),
               prop::Bool("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck),
               prop::Int("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex),
               prop::Int("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex),
               prop::Int("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut),
               prop::Str("Hint", &TMenuItem::Hint, &TMenuItem::SetHint),
               prop::Event("OnClick", &TMenuItem::OnClick)})

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) { command_ = RegisterItem(this); }

TMenuItem::~TMenuItem() {
  dying_ = true;
  // The entry goes from the parent's menu first, so that no menu refers to ours when it is
  // destroyed; the subitems go next, each taking its own submenu with it.
  if (parent_) parent_->Remove(this);
  while (!items_.empty()) {
    TMenuItem* c = items_.back();
    items_.pop_back();
    c->parent_ = nullptr;
    c->Free();
  }
  if (handle_) {
    // Entries the system put in (an MDI child's menu) belong to their windows: removed, not
    // destroyed with ours.
    for (int i = GetMenuItemCount(handle_.Get()) - 1; i >= 0; --i) RemoveMenu(handle_.Get(), i, MF_BYPOSITION);
    handle_.Reset();
  }
  bitmap_.Reset();
  UnregisterItem(this, command_);
}

TMenuItem* TMenuItem::FromItemData(ULONG_PTR data) {
  if (!data) return nullptr;
  auto* item = reinterpret_cast<TMenuItem*>(data);
  TItemRegistry& r = Registry();
  std::lock_guard<std::mutex> hold(r.lock);
  return r.items.count(item) ? item : nullptr;
}

TMenuItem* TMenuItem::FromCommand(UINT command) {
  TItemRegistry& r = Registry();
  std::lock_guard<std::mutex> hold(r.lock);
  auto it = r.commands.find(command);
  return it == r.commands.end() ? nullptr : it->second;
}

void TMenuItem::SetCaption(const std::wstring& c) {
  if (c == caption_) return;
  caption_ = c;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut s) {
  if (s == shortcut_) return;
  shortcut_ = s;
  Changed();
}

void TMenuItem::SetChecked(bool c) {
  if (c == checked_) return;
  checked_ = c;
  if (c && radio_) TurnSiblingsOff();
  Changed();
}

void TMenuItem::TurnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* s : parent_->items_)
    if (s != this && s->radio_ && s->group_ == group_) s->checked_ = false;
}

void TMenuItem::SetRadioItem(bool r) {
  if (r == radio_) return;
  radio_ = r;
  if (r && checked_) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetGroupIndex(int g) {
  if (g == group_) return;
  group_ = g;
  if (radio_ && checked_) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  Changed();
}

void TMenuItem::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
}

void TMenuItem::SetDefault(bool d) {
  if (d == default_) return;
  default_ = d;
  if (d && parent_)
    for (TMenuItem* s : parent_->items_)
      if (s != this) s->default_ = false;
  Changed();
}

void TMenuItem::SetImageIndex(int i) {
  if (i == image_index_) return;
  image_index_ = i;
  Changed();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw std::runtime_error("The menu item is in a menu already");
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == item) throw std::runtime_error("A menu item cannot hold itself");
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  if (item->radio_ && item->checked_) item->TurnSiblingsOff();
  ItemsChanged(Count() == 1);
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  if (dying_) return;
  ItemsChanged(items_.empty());
}

void TMenuItem::Clear() {
  while (!items_.empty()) items_.back()->Free();
}

void TMenuItem::SetMenuIndex(int index) {
  if (!parent_) return;
  TMenuItem* p = parent_;
  auto& list = p->items_;
  list.erase(std::find(list.begin(), list.end(), this));
  index = std::clamp(index, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + index, this);
  p->ItemsChanged(false);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

TCustomImageList* TMenuItem::Images() const {
  TMenu* m = GetParentMenu();
  return m ? m->Images() : nullptr;
}

HMENU TMenuItem::Handle() {
  if (!handle_ && (menu_ || !items_.empty())) {
    const bool bar = menu_ && menu_->IsBar();
    handle_ = TMenuHandle(bar ? CreateMenu() : CreatePopupMenu());
    RebuildHandle();
  }
  return handle_.Get();
}

void TMenuItem::Changed() {
  if (dying_ || !parent_ || parent_->dying_) return;
  parent_->RebuildHandle();
  if (TMenu* m = GetParentMenu()) m->MenuChanged(this);
}

void TMenuItem::ItemsChanged(bool entry_too) {
  if (dying_) return;
  RebuildHandle();
  if (entry_too && parent_ && !parent_->dying_) parent_->RebuildHandle();
  if (TMenu* m = GetParentMenu()) m->MenuChanged(this);
}

void TMenuItem::RebuildTree() {
  RebuildHandle();
  for (TMenuItem* c : items_) c->RebuildTree();
}

void TMenuItem::RebuildHandle() {
  if (!handle_) return;
  HMENU h = handle_.Get();
  // Our entries go; entries the system added (an MDI child's buttons on a frame's bar, the
  // list of MDI children) stay where they are.
  int first = -1;
  for (int i = GetMenuItemCount(h) - 1; i >= 0; --i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (!GetMenuItemInfoW(h, static_cast<UINT>(i), TRUE, &info)) continue;
    // Ours: our subitems, and an item just taken out of this one.
    TMenuItem* owner = FromItemData(info.dwItemData);
    if (!owner || (owner->parent_ != this && owner->parent_ != nullptr)) continue;
    RemoveMenu(h, static_cast<UINT>(i), MF_BYPOSITION);
    first = i;
  }
  UINT pos = first < 0 ? 0 : static_cast<UINT>(first);
  TMenu* menu = GetParentMenu();
  const bool owner_draw = menu && menu->OwnerDraw();
  const bool top_level = menu_ && menu_->IsBar();
  for (TMenuItem* c : items_) {
    if (!c->visible_) continue;
    MENUITEMINFOW info{};
    std::wstring text;
    c->FillEntry(info, text, owner_draw, top_level);
    if (InsertMenuItemW(h, pos, TRUE, &info)) ++pos;
  }
}

void TMenuItem::FillEntry(MENUITEMINFOW& info, std::wstring& text, bool owner_draw, bool top_level) {
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
  // The bar's own entries stay the system's: the bar is drawn by the system (or a skinner).
  const bool drawn = owner_draw && !top_level;
  if (IsLine()) {
    info.fType = MFT_SEPARATOR;
  } else {
    info.fType = MFT_STRING;
    if (radio_) info.fType |= MFT_RADIOCHECK;
  }
  if (drawn) info.fType |= MFT_OWNERDRAW;
  text = caption_;
  if (shortcut_ != scNone && !top_level && !IsLine()) text += L"\t" + ShortCutToText(shortcut_);
  info.dwTypeData = text.data();
  info.cch = static_cast<UINT>(text.size());
  info.fState = (checked_ ? MFS_CHECKED : 0) | (enabled_ ? 0 : MFS_GRAYED) | (default_ ? MFS_DEFAULT : 0);
  info.wID = command_;
  if (items_.empty() && handle_ && !menu_) handle_.Reset();  // the submenu went with its last item
  info.hSubMenu = items_.empty() ? nullptr : Handle();
  info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  if (!drawn && !IsLine() && !top_level) {
    if (HBITMAP b = EntryBitmap()) {
      info.fMask |= MIIM_BITMAP;
      info.hbmpItem = b;
    }
  } else {
    bitmap_.Reset();
  }
}

HBITMAP TMenuItem::EntryBitmap() {
  TCustomImageList* images = Images();
  if (!images || image_index_ < 0 || image_index_ >= images->Count()) {
    bitmap_.Reset();
    return nullptr;
  }
  // The image over the menu's colour, once per rebuild: a plain menu shows bitmaps as they are.
  TWindowDC screen(nullptr);
  if (!screen.Get()) return nullptr;
  TBitmapHandle bmp = MakeCompatibleBitmap(screen.Get(), images->Width(), images->Height());
  TMemDCHandle dc = MakeMemDC(screen.Get());
  if (!bmp || !dc) return nullptr;
  {
    TScopedSelect select(dc.Get(), bmp.Get());
    RECT r{0, 0, images->Width(), images->Height()};
    FillSolidRect(dc.Get(), r, GetSysColor(COLOR_MENU));
    images->Draw(dc.Get(), 0, 0, image_index_, enabled_);
  }
  bitmap_ = std::move(bmp);
  return bitmap_.Get();
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (auto_check_) SetChecked(radio_ ? true : !checked_);
  if (OnClick) OnClick(this);
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, canvas, width, height);
  else DefaultMeasure(canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas* canvas, const RECT& r, bool selected) {
  if (OnDrawItem) OnDrawItem(this, canvas, r, selected);
  else DefaultDraw(canvas, r, selected);
}

namespace {

constexpr int kTextGap = 4;       // between glyph column and caption
constexpr int kShortCutGap = 16;  // between caption and shortcut
constexpr int kRightMargin = 12;  // after the shortcut (room for a submenu arrow)

int GlyphSize(TCustomImageList* images, bool height) {
  int size = images ? (height ? images->Height() : images->Width()) : 0;
  return std::max(size, 16);
}

std::wstring MeasuredCaption(const std::wstring& caption) {
  // An empty caption or a lone accelerator mark would measure nothing.
  if (caption.empty() || caption == L"&") return caption + L" ";
  return caption;
}

}  // namespace

void TMenuItem::DefaultMeasure(TCanvas* canvas, int& width, int& height) {
  if (!canvas) return;
  if (IsLine()) {
    width = 16;
    height = 8;
    return;
  }
  HDC dc = canvas->Handle();
  const bool top_level = parent_ && parent_->menu_ && parent_->menu_->IsBar();
  std::wstring caption = MeasuredCaption(caption_);
  TFontStyles keep = canvas->Font().Style();
  if (default_) canvas->Font().SetStyle(keep | (1u << fsBold));
  RECT r{0, 0, 0, 0};
  canvas->DrawText(caption, r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (shortcut_ != scNone && !top_level) {
    RECT s{0, 0, 0, 0};
    canvas->DrawText(ShortCutToText(shortcut_), s, DT_CALCRECT | DT_SINGLELINE);
    w += kShortCutGap + (s.right - s.left);
  }
  canvas->Font().SetStyle(keep);
  (void)dc;
  TCustomImageList* images = Images();
  if (top_level) {
    width = w + 8;
    height = std::max(h + 4, GetSystemMetrics(SM_CYMENU));
    return;
  }
  width = 2 + GlyphSize(images, false) + kTextGap + w + kRightMargin;
  height = std::max(h + 6, GlyphSize(images, true) + 4);
}

void TMenuItem::DefaultDraw(TCanvas* canvas, const RECT& r, bool selected) {
  if (!canvas) return;
  HDC dc = canvas->Handle();
  FillSolidRect(dc, r, GetSysColor(selected && !IsLine() ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (IsLine()) {
    RECT line = r;
    line.top += (r.bottom - r.top) / 2 - 1;
    line.left += 2;
    line.right -= 2;
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  TCustomImageList* images = Images();
  const int gw = GlyphSize(images, false), gh = GlyphSize(images, true);
  RECT glyph{r.left + 2, r.top + (r.bottom - r.top - gh) / 2, r.left + 2 + gw, 0};
  glyph.bottom = glyph.top + gh;
  if (images && image_index_ >= 0 && image_index_ < images->Count()) {
    if (checked_) {
      RECT box = glyph;
      InflateRect(&box, 1, 1);
      DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
    }
    images->Draw(dc, glyph.left + (gw - images->Width()) / 2, glyph.top + (gh - images->Height()) / 2, image_index_,
                 enabled_);
  } else if (checked_) {
    // The system's own mark, drawn in the text colour through a monochrome mask.
    const int cx = GetSystemMetrics(SM_CXMENUCHECK), cy = GetSystemMetrics(SM_CYMENUCHECK);
    TBitmapHandle mono(CreateBitmap(cx, cy, 1, 1, nullptr));
    TMemDCHandle mdc = MakeMemDC(dc);
    if (mono && mdc) {
      {
        TScopedSelect select(mdc.Get(), mono.Get());
        RECT m{0, 0, cx, cy};
        DrawFrameControl(mdc.Get(), &m, DFC_MENU, radio_ ? DFCS_MENUBULLET : DFCS_MENUCHECK);
        const COLORREF ink = GetSysColor(!enabled_ ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        const COLORREF old_text = SetTextColor(dc, ink);
        const COLORREF old_back = SetBkColor(dc, RGB(255, 255, 255));
        // Mono source: black (the mark) takes the text colour; white leaves the target.
        const int x = glyph.left + (gw - cx) / 2, y = glyph.top + (gh - cy) / 2;
        BitBlt(dc, x, y, cx, cy, mdc.Get(), 0, 0, SRCAND);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, ink);
        BitBlt(dc, x, y, cx, cy, mdc.Get(), 0, 0, SRCPAINT);
        SetTextColor(dc, old_text);
        SetBkColor(dc, old_back);
      }
    }
  }
  RECT text{glyph.right + kTextGap, r.top, r.right - kRightMargin, r.bottom};
  TFontStyles keep = canvas->Font().Style();
  if (default_) canvas->Font().SetStyle(keep | (1u << fsBold));
  canvas->Brush().SetStyle(TBrushStyle::bsClear);
  canvas->Font().SetColor(!enabled_ ? (selected ? clGrayText : clBtnShadow) : selected ? clHighlightText : clMenuText);
  canvas->DrawText(caption_, text, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | DT_LEFT);
  if (shortcut_ != scNone) canvas->DrawText(ShortCutToText(shortcut_), text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  canvas->Font().SetStyle(keep);
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* m = dynamic_cast<TMenu*>(parent)) m->Items()->Add(this);
  else if (auto* i = dynamic_cast<TMenuItem*>(parent)) i->Add(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

// ---- TMenu ----

QN_CLASS_IMPL(TMenu, TComponent,
              {prop::Obj("Images", &TMenu::Images, &TMenu::SetImages),
               prop::Bool("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw)})

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) { items_->menu_ = this; }

TMenu::~TMenu() {
  // The root goes while this is still a menu, so that nothing it does reaches a dead one.
  items_->menu_ = nullptr;
  items_->dying_ = true;
  items_->Free();
  items_ = nullptr;
}

void TMenu::SetImages(TCustomImageList* images) {
  if (images == images_) return;
  if (images_) RemoveFreeNotification(images_);
  images_ = images;
  if (images_) FreeNotification(images_);
  if (items_) {
    items_->RebuildTree();
    MenuChanged(nullptr);
  }
}

void TMenu::SetOwnerDraw(bool on) {
  if (on == owner_draw_) return;
  owner_draw_ = on;
  items_->RebuildTree();
  MenuChanged(nullptr);
}

void TMenu::Notification(TComponent* component, TOperation op) {
  TComponent::Notification(component, op);
  if (op == TOperation::opRemove && component == images_) {
    images_ = nullptr;
    if (items_ && !Destroying()) items_->RebuildTree();
  }
}

namespace {

TMenuItem* FindIn(TMenuItem* item, UINT_PTR value, TFindItemKind kind) {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* c = item->Items(i);
    switch (kind) {
      case TFindItemKind::fkCommand:
        if (c->Command() == value) return c;
        break;
      case TFindItemKind::fkHandle:
        if (c->HandleAllocated() && reinterpret_cast<UINT_PTR>(c->Handle()) == value) return c;
        break;
      case TFindItemKind::fkShortCut:
        if (c->ShortCut() != scNone && c->ShortCut() == value) return c;
        break;
    }
    if (TMenuItem* found = FindIn(c, value, kind)) return found;
  }
  return nullptr;
}

// The enabled, visible item with a shortcut, its parents enabled and visible too.
TMenuItem* FindRunnable(TMenuItem* item, TShortCut s) {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* c = item->Items(i);
    if (!c->Enabled() || !c->Visible()) continue;
    if (c->ShortCut() == s) return c;
    if (TMenuItem* found = FindRunnable(c, s)) return found;
  }
  return nullptr;
}

}  // namespace

TMenuItem* TMenu::FindItem(UINT_PTR value, TFindItemKind kind) const {
  if (kind == TFindItemKind::fkHandle && items_->HandleAllocated() &&
      reinterpret_cast<UINT_PTR>(items_->Handle()) == value)
    return items_;
  return FindIn(items_, value, kind);
}

bool TMenu::IsShortCut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  TShortCut s = ShortCutFromMessage(msg);
  if (s == scNone) return false;
  TMenuItem* item = FindRunnable(items_, s);
  if (!item) return false;
  item->Click();
  return true;
}

HWND TMenu::WindowHandle() const {
  for (TComponent* o = Owner(); o; o = o->Owner())
    if (auto* f = dynamic_cast<TCustomForm*>(o)) return f->HandleAllocated() ? f->Handle() : nullptr;
  return nullptr;
}

void TMenu::MenuChanged(TMenuItem* item) {}

// ---- TMainMenu ----

QN_CLASS_IMPL(TMainMenu, TMenu)

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
  // The window lets go of the bar before the bar is destroyed.
  if (form_) form_->SetMenu(nullptr);
}

HWND TMainMenu::WindowHandle() const {
  if (form_) return form_->HandleAllocated() ? form_->Handle() : nullptr;
  return TMenu::WindowHandle();
}

void TMainMenu::MenuChanged(TMenuItem* item) {
  if (!form_ || !form_->HandleAllocated() || Destroying()) return;
  HWND wnd = form_->Handle();
  if (Items()->HandleAllocated() && GetMenu(wnd) == Items()->Handle()) DrawMenuBar(wnd);
  SendMessageW(wnd, CM_MENUCHANGED, 0, reinterpret_cast<LPARAM>(item));
}

// ---- TPopupMenu ----

QN_CLASS_IMPL(TPopupMenu, TMenu, {prop::Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup),
                                  prop::Event("OnPopup", &TPopupMenu::OnPopup)})

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Notification(TComponent* component, TOperation op) {
  TMenu::Notification(component, op);
  if (op == TOperation::opRemove && component == popup_component_) popup_component_ = nullptr;
}

HWND TPopupMenu::WindowHandle() const {
  // The form of the control it pops up for, when that form is a window of this thread.
  if (auto* c = dynamic_cast<TControl*>(popup_component_)) {
    TControl* top = c;
    while (top->Parent()) top = top->Parent();
    if (auto* f = dynamic_cast<TCustomForm*>(top); f && f->HandleAllocated()) {
      HWND wnd = f->Handle();
      if (GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId()) return wnd;
    }
  }
  return nullptr;
}

namespace {

constexpr wchar_t kPopupOwnerClass[] = L"TPopupOwner";

LRESULT CALLBACK PopupOwnerProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  TMessage m{msg, w, l, 0};
  bool handled = false;
  RunGuarded([&] { handled = DispatchMenuMessage(m); });
  return handled ? m.Result : DefWindowProcW(wnd, msg, w, l);
}

// A hidden window that owns a popup shown for no form, made for that popup alone.
class TPopupOwner {
 public:
  TPopupOwner() {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(inst, kPopupOwnerClass, &wc)) {
      wc.lpfnWndProc = PopupOwnerProc;
      wc.hInstance = inst;
      wc.lpszClassName = kPopupOwnerClass;
      RegisterClassW(&wc);
    }
    wnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kPopupOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);
  }
  TPopupOwner(const TPopupOwner&) = delete;
  TPopupOwner& operator=(const TPopupOwner&) = delete;
  ~TPopupOwner() {
    if (wnd_) DestroyWindow(wnd_);
  }
  HWND Get() const { return wnd_; }

 private:
  HWND wnd_ = nullptr;
};

}  // namespace

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  HMENU menu = Handle();
  if (!menu || GetMenuItemCount(menu) <= 0) return;
  std::unique_ptr<TPopupOwner> own;
  HWND owner = WindowHandle();
  if (!owner) {
    own = std::make_unique<TPopupOwner>();
    owner = own->Get();
    if (!owner) return;
    // A popup closes on a click elsewhere only while its owner is the foreground window.
    SetForegroundWindow(owner);
  }
  UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON;
  switch (alignment_) {
    case TPopupAlignment::paLeft: flags |= TPM_LEFTALIGN; break;
    case TPopupAlignment::paRight: flags |= TPM_RIGHTALIGN; break;
    case TPopupAlignment::paCenter: flags |= TPM_CENTERALIGN; break;
  }
  // The chosen command comes back here rather than as WM_COMMAND, so it runs exactly once.
  const UINT command = static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
  if (own) PostMessageW(owner, WM_NULL, 0, 0);
  own.reset();
  TMenuItem* item = command ? FindItem(command, TFindItemKind::fkCommand) : nullptr;
  if (item) item->Click();
}

// ---- Dispatch ----

namespace {

// A canvas over a DC it does not own, in the menu font; everything it or the handler
// selected is put back when it goes.
class TMenuCanvas {
 public:
  explicit TMenuCanvas(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {
    canvas_.SetHandle(dc);
    AssignMenuFont(canvas_);
  }
  TMenuCanvas(const TMenuCanvas&) = delete;
  TMenuCanvas& operator=(const TMenuCanvas&) = delete;
  ~TMenuCanvas() {
    canvas_.SetHandle(nullptr);
    if (saved_) RestoreDC(dc_, saved_);
  }
  TCanvas* Get() { return &canvas_; }

 private:
  HDC dc_;
  int saved_;
  TCanvas canvas_;
};

TMenuItem* ItemOf(ULONG_PTR data, UINT id) {
  if (TMenuItem* item = TMenuItem::FromItemData(data)) return item;
  return TMenuItem::FromCommand(id);
}

}  // namespace

bool DispatchMenuMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND: {
      // From a menu: notification code 0 (1 is an accelerator), no control window.
      if (m.LParam != 0 || HIWORD(m.WParam) > 1) return false;
      TMenuItem* item = TMenuItem::FromCommand(LOWORD(m.WParam));
      if (!item) return false;
      item->Click();
      m.Result = 0;
      return true;
    }
    case WM_INITMENUPOPUP: {
      // The item whose submenu opens hears its OnClick first, to bring its subitems up to date.
      HMENU menu = reinterpret_cast<HMENU>(m.WParam);
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_DATA;
      if (GetMenuItemCount(menu) > 0 && GetMenuItemInfoW(menu, 0, TRUE, &info))
        if (TMenuItem* first = TMenuItem::FromItemData(info.dwItemData); first && first->Parent()) {
          TMenuItem* owner = first->Parent();
          if (owner->Parent() && owner->OnClick) owner->OnClick(owner);
        }
      return false;  // the window's default handling goes on
    }
    case WM_MEASUREITEM: {
      auto* ms = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      if (!ms || ms->CtlType != ODT_MENU) return false;
      TMenuItem* item = ItemOf(ms->itemData, ms->itemID);
      if (!item) return false;
      TWindowDC screen(nullptr);
      if (!screen.Get()) return false;
      int w = static_cast<int>(ms->itemWidth), h = static_cast<int>(ms->itemHeight);
      {
        TMenuCanvas canvas(screen.Get());
        item->MeasureItem(canvas.Get(), w, h);
      }
      ms->itemWidth = static_cast<UINT>(std::max(w, 0));
      ms->itemHeight = static_cast<UINT>(std::max(h, 0));
      m.Result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* ds = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      if (!ds || ds->CtlType != ODT_MENU || !ds->hDC) return false;
      TMenuItem* item = ItemOf(ds->itemData, ds->itemID);
      if (!item) return false;
      {
        TMenuCanvas canvas(ds->hDC);
        item->DrawItem(canvas.Get(), ds->rcItem, (ds->itemState & ODS_SELECTED) != 0);
      }
      m.Result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

void RegisterMenuClasses() {
  for (const TClassInfo* c : {&TMainMenu::StaticClass(), &TPopupMenu::StaticClass(), &TMenuItem::StaticClass()})
    RegisterComponentClass(*c);
}

}  // namespace qn
