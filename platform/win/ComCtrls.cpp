#include "platform/win/ComCtrls.h"

#include <algorithm>

#include "platform/win/Forms.h"

namespace qn {

void InitCommonControlsOnce() {
  static bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
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

}  // namespace qn
