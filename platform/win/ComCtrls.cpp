#include "platform/win/ComCtrls.h"

#include <richedit.h>

#include <algorithm>

#include "platform/win/Forms.h"
#include "platform/win/WinUtil.h"

namespace qn {

void InitCommonControlsOnce() {
  static bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_DATE_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

// ---- tab sheets ----

QN_CLASS_IMPL(TTabSheet, TCustomControl,
              {prop::Bool("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)})

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) {
  SetColor(clBtnFace);
  TControl::SetVisible(false);
}

TTabSheet::~TTabSheet() {
  if (page_control_) page_control_->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* parent) {
  if (page_control_ && parent != page_control_) page_control_->RemovePage(this);
  TCustomControl::SetParent(parent);
  if (auto* pc = dynamic_cast<TPageControl*>(parent); pc && pc != page_control_) pc->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc) { SetParent(pc); }

void TTabSheet::SetTabVisible(bool v) {
  tab_visible_ = v;
  if (page_control_) page_control_->UpdateTabs();
}

int TTabSheet::PageIndex() const {
  if (!page_control_) return -1;
  auto& p = page_control_->pages_;
  return static_cast<int>(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetText(const std::wstring& t) {
  TCustomControl::SetText(t);
  if (page_control_) page_control_->UpdateTabs();
}

void TTabSheet::Paint() {
  RECT r = ClientRect();
  Canvas().Brush().SetColor(Color());
  Canvas().FillRect(r);
}

// ---- tab and page controls ----

const TEnumInfo kTabPositionInfo{{"tpTop", "tpBottom", "tpLeft", "tpRight"}};
const TEnumInfo kTabStyleInfo{{"tsTabs", "tsButtons", "tsFlatButtons"}};

QN_CLASS_IMPL(TCustomTabControl, TWinControl,
              {prop::Bool("MultiLine", &TCustomTabControl::MultiLine, &TCustomTabControl::SetMultiLine),
               prop::Enum("Style", kTabStyleInfo, &TCustomTabControl::Style, &TCustomTabControl::SetStyle),
               prop::Int("TabHeight", &TCustomTabControl::TabHeight, &TCustomTabControl::SetTabHeight),
               prop::Enum("TabPosition", kTabPositionInfo, &TCustomTabControl::TabPosition,
                          &TCustomTabControl::SetTabPosition),
               prop::Int("TabWidth", &TCustomTabControl::TabWidth, &TCustomTabControl::SetTabWidth),
               prop::Event("OnChange", &TCustomTabControl::OnChange)})

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  SetColor(clBtnFace);
}

void TCustomTabControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = WC_TABCONTROLW;
  p.style |= WS_CLIPCHILDREN;
  switch (style_) {
    case TTabStyle::tsTabs: p.style |= TCS_TABS; break;
    case TTabStyle::tsButtons: p.style |= TCS_BUTTONS; break;
    case TTabStyle::tsFlatButtons: p.style |= TCS_BUTTONS | TCS_FLATBUTTONS; break;
  }
  switch (tab_position_) {
    case TTabPosition::tpTop: break;
    case TTabPosition::tpBottom: p.style |= TCS_BOTTOM; break;
    case TTabPosition::tpLeft: p.style |= TCS_VERTICAL; break;
    case TTabPosition::tpRight: p.style |= TCS_VERTICAL | TCS_RIGHT; break;
  }
  // Side tabs stand in rows of their own: the control has no single-row form of them.
  if (multi_line_ || tab_position_ == TTabPosition::tpLeft || tab_position_ == TTabPosition::tpRight)
    p.style |= TCS_MULTILINE;
  if (tab_width_ > 0) p.style |= TCS_FIXEDWIDTH;
}

void TCustomTabControl::CreateWindowHandleDone() {
  if (tab_width_ > 0 || tab_height_ > 0)
    SendMessageW(handle_, TCM_SETITEMSIZE, 0, MAKELPARAM(tab_width_, tab_height_));
}

void TCustomTabControl::StyleChanged() {
  RecreateWnd();
  Realign();
}

void TCustomTabControl::SetTabPosition(TTabPosition p) {
  if (p == tab_position_) return;
  tab_position_ = p;
  StyleChanged();
}

void TCustomTabControl::SetStyle(TTabStyle s) {
  if (s == style_) return;
  style_ = s;
  StyleChanged();
}

void TCustomTabControl::SetMultiLine(bool v) {
  if (v == multi_line_) return;
  multi_line_ = v;
  StyleChanged();
}

// Sizes take a new window: a fixed width is a window style, and a size set back to 0 must not
// keep the one the control was last given.
void TCustomTabControl::SetTabWidth(int w) {
  w = std::max(w, 0);
  if (w == tab_width_) return;
  tab_width_ = w;
  StyleChanged();
}

void TCustomTabControl::SetTabHeight(int h) {
  h = std::max(h, 0);
  if (h == tab_height_) return;
  tab_height_ = h;
  StyleChanged();
}

RECT TCustomTabControl::DisplayRect() const {
  RECT r = ClientRect();
  if (handle_) {
    SendMessageW(handle_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  } else {
    r.left += 4;
    r.right -= 4;
    r.top += 24;
    r.bottom -= 4;
  }
  return r;
}

QN_CLASS_IMPL(TPageControl, TCustomTabControl,
              {prop::Obj("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)})

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

void TPageControl::InsertPage(TTabSheet* page) {
  page->page_control_ = this;
  pages_.push_back(page);
  UpdateTabs();
  if (!active_ && !Loading()) SetActivePage(page);
  else page->TControl::SetVisible(page == active_);
  Realign();
}

void TPageControl::RemovePage(TTabSheet* page) {
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  page->page_control_ = nullptr;
  if (active_ == page) active_ = pages_.empty() ? nullptr : pages_.front();
  if (!Destroying()) {
    UpdateTabs();
    ShowActive();
  }
}

int TPageControl::ActivePageIndex() const {
  auto it = std::find(pages_.begin(), pages_.end(), active_);
  return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

void TPageControl::SetActivePageIndex(int i) {
  if (i >= 0 && i < PageCount()) SetActivePage(pages_[static_cast<size_t>(i)]);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->page_control_ != this) return;
  active_ = page;
  if (Loading()) return;
  if (handle_ && page) {
    int tab = 0;
    for (TTabSheet* p : pages_) {
      if (p == page) break;
      if (p->tab_visible_) ++tab;
    }
    SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
  }
  ShowActive();
}

void TPageControl::ShowActive() {
  for (TTabSheet* p : pages_) {
    if (p != active_) p->SetVisible(false);
  }
  if (active_) {
    active_->SetVisible(true);
    active_->BringToFront();
  }
}

void TPageControl::Loaded() {
  TCustomTabControl::Loaded();
  if (!active_ && !pages_.empty()) active_ = pages_.front();
  SetActivePage(active_);
}

void TPageControl::UpdateTabs() {
  if (!handle_) return;
  SendMessageW(handle_, TCM_DELETEALLITEMS, 0, 0);
  int tab = 0, sel = -1;
  for (TTabSheet* p : pages_) {
    if (!p->tab_visible_) continue;
    std::wstring caption = p->Caption();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(handle_, TCM_INSERTITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
    if (p == active_) sel = tab;
    ++tab;
  }
  if (sel >= 0) SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(sel), 0);
  Realign();
}

void TPageControl::CreateWindowHandleDone() {
  TCustomTabControl::CreateWindowHandleDone();
  UpdateTabs();
  ShowActive();
}

void TPageControl::AlignControls(RECT& rect) {
  RECT d = DisplayRect();
  for (TTabSheet* p : pages_) p->SetBounds(d.left, d.top, d.right - d.left, d.bottom - d.top);
  TCustomTabControl::AlignControls(rect);
}

bool TPageControl::HandleMessage(TMessage& m) {
  if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
    int sel = static_cast<int>(SendMessageW(handle_, TCM_GETCURSEL, 0, 0));
    int tab = 0;
    for (TTabSheet* p : pages_) {
      if (!p->tab_visible_) continue;
      if (tab++ == sel) {
        active_ = p;
        ShowActive();
        break;
      }
    }
    if (OnChange) OnChange(this);
    return true;
  }
  return TCustomTabControl::HandleMessage(m);
}

// ---- stand-alone tab controls ----

// Tabs first: the index stored after them is checked against them.
QN_CLASS_IMPL(TTabControl, TCustomTabControl,
              {prop::Strings("Tabs", &TTabControl::Tabs, &TTabControl::SetTabs),
               prop::Int("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex)})

TTabControl::TTabControl(TComponent* owner) : TCustomTabControl(owner) {}

void TTabControl::SetTabs(const std::vector<std::wstring>& tabs) {
  const int keep = TabIndex();
  tabs_ = tabs;
  tab_index_ = keep;
  UpdateTabs();
}

int TTabControl::TabIndex() const {
  if (!handle_) return tab_index_;
  return static_cast<int>(SendMessageW(handle_, TCM_GETCURSEL, 0, 0));
}

void TTabControl::SetTabIndex(int index) {
  tab_index_ = index;
  // While the form is read, the tabs may still come after the index.
  if (!handle_ || Loading()) return;
  if (index < 0 || index >= static_cast<int>(tabs_.size())) tab_index_ = -1;
  SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(tab_index_), 0);
}

void TTabControl::Loaded() {
  TCustomTabControl::Loaded();
  if (tab_index_ >= static_cast<int>(tabs_.size())) tab_index_ = -1;
  UpdateTabs();
}

void TTabControl::UpdateTabs() {
  if (!handle_) return;
  SendMessageW(handle_, TCM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < tabs_.size(); ++i) {
    std::wstring caption = tabs_[i];
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(handle_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  if (tab_index_ >= static_cast<int>(tabs_.size())) tab_index_ = -1;
  SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(tab_index_), 0);
  Realign();
}

void TTabControl::CreateWindowHandleDone() {
  TCustomTabControl::CreateWindowHandleDone();
  UpdateTabs();
}

void TTabControl::AlignControls(RECT& rect) {
  rect = DisplayRect();
  TCustomTabControl::AlignControls(rect);
}

bool TTabControl::HandleMessage(TMessage& m) {
  if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
    tab_index_ = static_cast<int>(SendMessageW(handle_, TCM_GETCURSEL, 0, 0));
    Realign();
    if (OnChange) OnChange(this);
    return true;
  }
  return TCustomTabControl::HandleMessage(m);
}

// ---- status bars ----

QN_CLASS_IMPL(TStatusPanel, TCollectionItem,
              {prop::Int("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth),
               prop::Str("Text", &TStatusPanel::Text, &TStatusPanel::SetText)})

void TStatusPanel::SetWidth(int w) {
  width_ = w;
  Changed();
}

void TStatusPanel::SetText(const std::wstring& t) {
  text_ = t;
  Changed();
}

void TStatusPanel::Assign(TPersistent* source) {
  auto* p = dynamic_cast<TStatusPanel*>(source);
  if (!p) return TCollectionItem::Assign(source);
  width_ = p->width_;
  text_ = p->text_;
  Changed();
}

QN_CLASS_IMPL(TCustomStatusBar, TWinControl,
              {prop::Obj("Panels", &TCustomStatusBar::Panels),
               prop::Bool("SimplePanel", &TCustomStatusBar::SimplePanel, &TCustomStatusBar::SetSimplePanel),
               prop::Bool("SizeGrip", &TCustomStatusBar::SizeGrip, &TCustomStatusBar::SetSizeGrip)})
QN_CLASS_IMPL(TStatusBar, TCustomStatusBar)

TCustomStatusBar::TCustomStatusBar(TComponent* owner)
    : TWinControl(owner), panels_(std::make_unique<TCollection>(this, [](TCollection* c) { return new TStatusPanel(c); })) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 185, 19);
  SetAlign(TAlign::alBottom);
  SetColor(clBtnFace);
  panels_->OnUpdate = [this](TCollectionItem*) { UpdatePanels(); };
}

void TCustomStatusBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = STATUSCLASSNAMEW;
  p.style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  TWinControl* top = this;
  while (top->Parent()) top = top->Parent();
  auto* form = dynamic_cast<TCustomForm*>(top);
  if (size_grip_ && form && form->BorderStyle() == TFormBorderStyle::bsSizeable) p.style |= SBARS_SIZEGRIP;
}

void TCustomStatusBar::SetSimplePanel(bool v) {
  simple_panel_ = v;
  UpdatePanels();
}

void TCustomStatusBar::CreateWindowHandleDone() { UpdatePanels(); }

void TCustomStatusBar::UpdatePanels() {
  if (!handle_) return;
  SendMessageW(handle_, SB_SIMPLE, simple_panel_, 0);
  int n = panels_->Count();
  if (n == 0) return;
  std::vector<int> edges(static_cast<size_t>(n));
  int pos = 0;
  for (int i = 0; i < n; ++i) {
    pos += Panel(i)->Width();
    edges[static_cast<size_t>(i)] = i == n - 1 ? -1 : pos;
  }
  SendMessageW(handle_, SB_SETPARTS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(edges.data()));
  for (int i = 0; i < n; ++i)
    SendMessageW(handle_, SB_SETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(Panel(i)->Text().c_str()));
}

// ---- date pickers ----

const TEnumInfo kDateTimeKindInfo{{"dtkDate", "dtkTime"}};
const TEnumInfo kDTDateModeInfo{{"dmComboBox", "dmUpDown"}};

namespace {

// The same moment to the second (the picker keeps no milliseconds, and works out the weekday).
bool SameMoment(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

}  // namespace

QN_CLASS_IMPL(TDateTimePicker, TWinControl,
              {prop::Enum("Kind", kDateTimeKindInfo, &TDateTimePicker::Kind, &TDateTimePicker::SetKind),
               prop::Enum("DateMode", kDTDateModeInfo, &TDateTimePicker::DateMode, &TDateTimePicker::SetDateMode),
               prop::Event("OnChange", &TDateTimePicker::OnChange)})

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 186, 21);
  SetParentColor(false);
  SetTabStop(true);
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = DATETIMEPICK_CLASSW;
  // A time always has arrows: DTS_TIMEFORMAT holds DTS_UPDOWN.
  if (kind_ == TDateTimeKind::dtkTime) p.style |= DTS_TIMEFORMAT;
  if (date_mode_ == TDTDateMode::dmUpDown) p.style |= DTS_UPDOWN;
}

void TDateTimePicker::CreateWindowHandleDone() {
  if (has_value_) SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value_));
  notified_ = DateTime();
}

void TDateTimePicker::DestroyWnd() {
  if (handle_) {
    value_ = DateTime();
    has_value_ = true;
  }
  TWinControl::DestroyWnd();
}

void TDateTimePicker::SetKind(TDateTimeKind k) {
  if (k == kind_) return;
  kind_ = k;
  RecreateWnd();
}

void TDateTimePicker::SetDateMode(TDTDateMode m) {
  if (m == date_mode_) return;
  date_mode_ = m;
  RecreateWnd();
}

SYSTEMTIME TDateTimePicker::DateTime() const {
  if (!handle_) return has_value_ ? value_ : SYSTEMTIME{};
  SYSTEMTIME st{};
  if (SendMessageW(handle_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return value_;
  return st;
}

bool TDateTimePicker::SetDateTime(const SYSTEMTIME& value) {
  FILETIME checked;
  if (!SystemTimeToFileTime(&value, &checked)) return false;
  if (handle_) {
    // Reported already: a change made in code is no change by the user.
    const SYSTEMTIME before = std::exchange(notified_, value);
    if (!SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value))) {
      notified_ = before;
      return false;
    }
    notified_ = DateTime();
  }
  value_ = value;
  has_value_ = true;
  return true;
}

bool TDateTimePicker::HandleMessage(TMessage& m) {
  if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(DTN_DATETIMECHANGE)) {
    // The calendar reports one pick twice; OnChange hears of each new value once.
    const SYSTEMTIME now = DateTime();
    if (!SameMoment(now, notified_)) {
      notified_ = now;
      if (OnChange && !Loading()) OnChange(this);
    }
    m.Result = 0;
    return true;
  }
  return TWinControl::HandleMessage(m);
}

// ---- list views ----

namespace {
// Posted by a list view to itself once the user changed its selection.
constexpr UINT kSelectionSettled = CM_BASE + 0x60;
}  // namespace

const TEnumInfo kViewStyleInfo{{"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};

QN_CLASS_IMPL(TListColumn, TCollectionItem,
              {prop::Str("Caption", &TListColumn::Caption, &TListColumn::SetCaption),
               prop::Int("Width", &TListColumn::Width, &TListColumn::SetWidth)})

void TListColumn::SetCaption(const std::wstring& t) {
  caption_ = t;
  Changed();
}

void TListColumn::SetWidth(int w) {
  width_ = w;
  Changed();
}

void TListColumn::Assign(TPersistent* source) {
  auto* c = dynamic_cast<TListColumn*>(source);
  if (!c) return TCollectionItem::Assign(source);
  caption_ = c->caption_;
  width_ = c->width_;
  Changed();
}

int TListItem::Index() const {
  const auto& items = owner_->items_;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].get() == this) return static_cast<int>(i);
  return -1;
}

void TListItem::SetCaption(const std::wstring& t) {
  caption_ = t;
  owner_->ShowItemText(Index(), 0);
}

std::wstring TListItem::SubItem(int i) const {
  return i >= 0 && static_cast<size_t>(i) < sub_items_.size() ? sub_items_[static_cast<size_t>(i)] : std::wstring();
}

void TListItem::SetSubItem(int i, const std::wstring& t) {
  if (i < 0) return;
  if (static_cast<size_t>(i) >= sub_items_.size()) sub_items_.resize(static_cast<size_t>(i) + 1);
  sub_items_[static_cast<size_t>(i)] = t;
  owner_->ShowItemText(Index(), i + 1);
}

bool TListItem::Selected() const {
  if (!owner_->handle_) return selected_;
  return (SendMessageW(owner_->handle_, LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void TListItem::SetSelected(bool v) {
  selected_ = v;
  owner_->SetItemState(Index(), v ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

QN_CLASS_IMPL(TCustomListView, TWinControl,
              {prop::Obj("Columns", &TCustomListView::Columns),
               prop::Enum("ViewStyle", kViewStyleInfo, &TCustomListView::ViewStyle, &TCustomListView::SetViewStyle),
               prop::Bool("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect),
               prop::Bool("GridLines", &TCustomListView::GridLines, &TCustomListView::SetGridLines),
               prop::Bool("ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly),
               prop::Enum("BorderStyle", kBorderStyleInfo, &TCustomListView::BorderStyle, &TCustomListView::SetBorderStyle),
               prop::Event("OnChange", &TCustomListView::OnChange)})
QN_CLASS_IMPL(TListView, TCustomListView)

TCustomListView::TCustomListView(TComponent* owner)
    : TWinControl(owner), columns_(std::make_unique<TCollection>(this, [](TCollection* c) { return new TListColumn(c); })) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 250, 150);
  SetParentColor(false);
  SetTabStop(true);
  columns_->OnUpdate = [this](TCollectionItem*) { UpdateColumns(); };
}

TCustomListView::~TCustomListView() { columns_->OnUpdate = nullptr; }

void TCustomListView::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = WC_LISTVIEWW;
  p.style |= LVS_SINGLESEL | LVS_SHAREIMAGELISTS;
  switch (view_style_) {
    case TViewStyle::vsIcon: p.style |= LVS_ICON; break;
    case TViewStyle::vsSmallIcon: p.style |= LVS_SMALLICON; break;
    case TViewStyle::vsList: p.style |= LVS_LIST; break;
    case TViewStyle::vsReport: p.style |= LVS_REPORT; break;
  }
  if (!read_only_) p.style |= LVS_EDITLABELS;
  if (border_style_ == TBorderStyle::bsSingle) p.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWindowHandleDone() {
  settle_posted_ = false;  // a message posted to the window before went with it
  UpdateExtendedStyle();
  UpdateColumns();
  if (update_count_ > 0) SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
}

void TCustomListView::DestroyWnd() {
  SaveSelection();
  TWinControl::DestroyWnd();
}

void TCustomListView::SaveSelection() {
  // A window just made has no rows yet: the object's selection is the one to keep.
  if (!handle_ || SendMessageW(handle_, LVM_GETITEMCOUNT, 0, 0) != ItemCount()) return;
  for (size_t i = 0; i < items_.size(); ++i)
    items_[i]->selected_ = (SendMessageW(handle_, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

// Columns and rows shown again from the object: column changes move every sub-item.
void TCustomListView::UpdateColumns() {
  if (!handle_) return;
  SaveSelection();
  quiet_ = true;
  SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(handle_, LVM_DELETEALLITEMS, 0, 0);
  while (SendMessageW(handle_, LVM_DELETECOLUMN, 0, 0)) {
  }
  for (int i = 0; i < columns_->Count(); ++i) {
    std::wstring caption = Column(i)->Caption();
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.cx = Column(i)->Width();
    col.pszText = caption.data();
    col.iSubItem = i;
    SendMessageW(handle_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
  }
  for (int i = 0; i < ItemCount(); ++i) ShowItem(i);
  quiet_ = false;
  notified_ = ItemIndex();
  if (update_count_ == 0) {
    SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle_, nullptr, TRUE);
  }
}

void TCustomListView::ShowItem(int index) {
  if (!handle_) return;
  const TListItem& item = *items_[static_cast<size_t>(index)];
  std::wstring caption = item.caption_;
  LVITEMW it{};
  it.mask = LVIF_TEXT | LVIF_STATE;
  it.iItem = index;
  it.pszText = caption.data();
  it.state = item.selected_ ? LVIS_SELECTED : 0;
  it.stateMask = LVIS_SELECTED;
  SendMessageW(handle_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
  // Not every list view takes the state from the insertion.
  if (item.selected_) {
    LVITEMW state{};
    state.state = state.stateMask = LVIS_SELECTED;
    SendMessageW(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
  }
  for (size_t k = 0; k < item.sub_items_.size(); ++k) ShowItemText(index, static_cast<int>(k) + 1);
}

void TCustomListView::ShowItemText(int index, int column) {
  // A sub-item waits for its column; the caption needs none.
  if (!handle_ || index < 0 || (column > 0 && column >= columns_->Count())) return;
  const TListItem& item = *items_[static_cast<size_t>(index)];
  std::wstring text = column == 0 ? item.caption_ : item.sub_items_[static_cast<size_t>(column - 1)];
  LVITEMW it{};
  it.iSubItem = column;
  it.pszText = text.data();
  SendMessageW(handle_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
}

TListColumn* TCustomListView::AddColumn(const std::wstring& caption, int width) {
  auto* col = static_cast<TListColumn*>(columns_->Add());
  col->SetCaption(caption);
  col->SetWidth(width);
  return col;
}

TListItem* TCustomListView::AddItem(const std::wstring& caption, const std::vector<std::wstring>& sub_items) {
  auto item = std::make_unique<TListItem>(this);
  item->caption_ = caption;
  item->sub_items_ = sub_items;
  items_.push_back(std::move(item));
  ShowItem(ItemCount() - 1);
  return items_.back().get();
}

void TCustomListView::DeleteItem(int i) {
  if (i < 0 || i >= ItemCount()) return;
  if (handle_) SendMessageW(handle_, LVM_DELETEITEM, static_cast<WPARAM>(i), 0);
  items_.erase(items_.begin() + i);
  notified_ = ItemIndex();
}

void TCustomListView::ClearItems() {
  if (handle_) SendMessageW(handle_, LVM_DELETEALLITEMS, 0, 0);
  items_.clear();
  notified_ = -1;
}

void TCustomListView::BeginUpdate() {
  if (update_count_++ == 0 && handle_) SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
}

void TCustomListView::EndUpdate() {
  if (update_count_ == 0 || --update_count_ > 0 || !handle_) return;
  SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(handle_, nullptr, TRUE);
}

int TCustomListView::ItemIndex() const {
  if (handle_) return static_cast<int>(SendMessageW(handle_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->selected_) return static_cast<int>(i);
  return -1;
}

void TCustomListView::SetItemState(int index, UINT state, UINT mask) {
  if (!handle_) return;
  quiet_ = true;
  LVITEMW it{};
  it.state = state;
  it.stateMask = mask;
  SendMessageW(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
  quiet_ = false;
  notified_ = ItemIndex();
}

void TCustomListView::SetItemIndex(int i) {
  for (auto& item : items_) item->selected_ = false;
  const bool valid = i >= 0 && i < ItemCount();
  if (valid) items_[static_cast<size_t>(i)]->selected_ = true;
  SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (!valid || !handle_) return;
  SetItemState(i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(handle_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(i), FALSE);
}

void TCustomListView::SetViewStyle(TViewStyle v) {
  if (v == view_style_) return;
  view_style_ = v;
  RecreateWnd();
}

void TCustomListView::UpdateExtendedStyle() {
  if (!handle_) return;
  const DWORD mask = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
  const DWORD value = (row_select_ ? LVS_EX_FULLROWSELECT : 0) | (grid_lines_ ? LVS_EX_GRIDLINES : 0);
  SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, value);
}

void TCustomListView::SetRowSelect(bool v) {
  row_select_ = v;
  UpdateExtendedStyle();
}

void TCustomListView::SetGridLines(bool v) {
  grid_lines_ = v;
  UpdateExtendedStyle();
}

// The list view asks for LVS_EDITLABELS each time an edit would start.
void TCustomListView::SetReadOnly(bool v) {
  read_only_ = v;
  if (!handle_) return;
  const LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
  SetWindowLongPtrW(handle_, GWL_STYLE, v ? style & ~LVS_EDITLABELS : style | LVS_EDITLABELS);
}

void TCustomListView::SetBorderStyle(TBorderStyle s) {
  if (s == border_style_) return;
  border_style_ = s;
  RecreateWnd();
}

HWND TCustomListView::HeaderHandle() const {
  return handle_ ? reinterpret_cast<HWND>(SendMessageW(handle_, LVM_GETHEADER, 0, 0)) : nullptr;
}

void TCustomListView::SelectionSettled() {
  settle_posted_ = false;
  const int now = ItemIndex();
  if (now == notified_) return;
  notified_ = now;
  if (OnChange && !Loading()) OnChange(this);
}

bool TCustomListView::HandleMessage(TMessage& m) {
  if (m.Msg == kSelectionSettled) {
    SelectionSettled();
    return true;
  }
  if (m.Msg != CN_NOTIFY) return TWinControl::HandleMessage(m);
  const NMHDR& hdr = *reinterpret_cast<NMHDR*>(m.LParam);
  m.Result = 0;
  switch (hdr.code) {
    case LVN_ITEMCHANGED: {
      // A move is two changes, the old row's and the new one's: the selection is looked at
      // once both are done.
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(hdr);
      if (quiet_ || !(change.uChanged & LVIF_STATE) || settle_posted_) break;
      settle_posted_ = PostMessageW(handle_, kSelectionSettled, 0, 0) != FALSE;
      break;
    }
    case LVN_BEGINLABELEDITW:
      m.Result = read_only_;
      break;
    case LVN_ENDLABELEDITW: {
      const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(hdr);
      // A null text is an edit given up.
      const int index = info.item.iItem;
      if (!info.item.pszText || index < 0 || index >= ItemCount()) break;
      items_[static_cast<size_t>(index)]->caption_ = info.item.pszText;
      m.Result = TRUE;
      break;
    }
    default: return TWinControl::HandleMessage(m);
  }
  return true;
}

// ---- rich edits ----

bool RichEditAvailable() {
  static const bool available = [] {
    WNDCLASSW wc{};
    return LoadLibraryW(L"riched20.dll") != nullptr && GetClassInfoW(nullptr, RICHEDIT_CLASSW, &wc) != FALSE;
  }();
  return available;
}

QN_CLASS_IMPL(TCustomRichEdit, TCustomMemo)
QN_CLASS_IMPL(TRichEdit, TCustomRichEdit)

TCustomRichEdit::TCustomRichEdit(TComponent* owner) : TCustomMemo(owner) { SetParentColor(false); }

void TCustomRichEdit::CreateParams(TCreateParams& p) {
  TCustomMemo::CreateParams(p);
  if (!RichEditAvailable()) return;
  p.baseClassName = RICHEDIT_CLASSW;
  // The scroll bars asked for stay, as a memo's do, rather than come and go with the text.
  if (p.style & (WS_HSCROLL | WS_VSCROLL)) p.style |= ES_DISABLENOSCROLL;
}

void TCustomRichEdit::CreateWindowHandleDone() {
  TCustomMemo::CreateWindowHandleDone();
  if (!RichEditAvailable()) return;
  // The control's own limit is 32K characters; ours is what MaxLength says, or none.
  SendMessageW(handle_, EM_EXLIMITTEXT, 0, MaxLength() > 0 ? MaxLength() : 0x7FFFFFFE);
  // A null target device wraps at the window's width (0) or not at all (1).
  SendMessageW(handle_, EM_SETTARGETDEVICE, 0, WordWrap() ? 0 : 1);
  SendMessageW(handle_, EM_SETEVENTMASK, 0, ENM_CHANGE);
  SendMessageW(handle_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

bool TCustomRichEdit::HandleMessage(TMessage& m) {
  // The control paints its own background: it never asks its parent for a colour.
  if (m.Msg == CM_COLORCHANGED && handle_ && RichEditAvailable())
    SendMessageW(handle_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
  return TCustomMemo::HandleMessage(m);
}

}  // namespace qn
