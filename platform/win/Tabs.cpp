#include "platform/win/Tabs.h"

#include <algorithm>

namespace qn {

namespace {

constexpr int kTabPadding = 9;  // a tab is its caption's width and this much
constexpr int kSlant = 3;       // how far each side of a tab leans in, from the page to its end

}  // namespace

// ---- TTabScroller ----

QN_CLASS_IMPL(TTabScroller, TWinControl)

TTabScroller::TTabScroller(TTabSet* tab_set) : TWinControl(tab_set), tab_set_(tab_set) {
  InitCommonControlsOnce();
  TControl::SetVisible(false);
  SetParent(tab_set);
}

void TTabScroller::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = UPDOWN_CLASSW;
  p.style |= UDS_HORZ;
}

void TTabScroller::CreateWindowHandleDone() { SetRange(count_, position_); }

void TTabScroller::SetRange(int count, int position) {
  count_ = count;
  position_ = position;
  if (!HandleAllocated()) return;
  SendMessageW(handle_, UDM_SETRANGE32, 0, std::max(count - 1, 0));
  SendMessageW(handle_, UDM_SETPOS32, 0, position);
}

bool TTabScroller::HandleMessage(TMessage& m) {
  if (m.Msg == CN_HSCROLL) {
    if (LOWORD(m.WParam) == SB_THUMBPOSITION) {
      position_ = static_cast<int>(SendMessageW(handle_, UDM_GETPOS32, 0, 0));
      tab_set_->SetFirstIndex(position_);
    }
    return true;
  }
  return TWinControl::HandleMessage(m);
}

// ---- TTabSet ----

const TEnumInfo kTabSetPositionInfo{{"tpTop", "tpBottom"}};

// Tabs first: the indexes stored after them are checked against them.
QN_CLASS_IMPL(TTabSet, TCustomControl,
              {prop::Strings("Tabs", &TTabSet::Tabs, &TTabSet::SetTabs),
               prop::Int("EndMargin", &TTabSet::EndMargin, &TTabSet::SetEndMargin),
               prop::Int("FirstIndex", &TTabSet::FirstIndex, &TTabSet::SetFirstIndex),
               prop::Int("StartMargin", &TTabSet::StartMargin, &TTabSet::SetStartMargin),
               prop::Int("TabIndex", &TTabSet::TabIndex, &TTabSet::SetTabIndex),
               prop::Enum("TabPosition", kTabSetPositionInfo, &TTabSet::TabPosition, &TTabSet::SetTabPosition),
               prop::Event("OnChange", &TTabSet::OnChange)})

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner) {
  scroller_ = new TTabScroller(this);
  SetBounds(0, 0, 185, 21);
  SetColor(clBtnFace);
}

void TTabSet::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.style |= WS_CLIPCHILDREN;  // the arrows paint themselves
}

void TTabSet::SetTabs(const std::vector<std::wstring>& tabs) {
  tabs_ = tabs;
  measured_ = false;
  if (!Loading()) {
    const int n = static_cast<int>(tabs_.size());
    if (tab_index_ >= n) tab_index_ = -1;
    first_index_ = std::clamp(first_index_, 0, std::max(n - 1, 0));
  }
  Arrange();
  Invalidate();
}

void TTabSet::SetTabIndex(int index) {
  if (index == tab_index_) return;
  if (Loading()) {
    tab_index_ = index;
    return;
  }
  if (index < -1 || index >= static_cast<int>(tabs_.size())) return;
  bool allow = true;
  if (OnChange) OnChange(this, index, allow);
  if (!allow) return;
  tab_index_ = index;
  if (index >= 0) {
    // Into view: back to it, or on until it is laid out.
    if (index < first_index_) first_index_ = index;
    Arrange();
    while (first_index_ < index && IsRectEmpty(&rects_[static_cast<size_t>(index)])) {
      ++first_index_;
      Arrange();
    }
  }
  Invalidate();
}

void TTabSet::SetFirstIndex(int index) {
  if (Loading()) {
    first_index_ = index;  // checked in Loaded
    return;
  }
  index = std::clamp(index, 0, std::max(static_cast<int>(tabs_.size()) - 1, 0));
  if (index == first_index_) return;
  first_index_ = index;
  Arrange();
  Invalidate();
}

void TTabSet::SetStartMargin(int margin) {
  start_margin_ = std::max(margin, 0);
  Arrange();
  Invalidate();
}

void TTabSet::SetEndMargin(int margin) {
  end_margin_ = std::max(margin, 0);
  Arrange();
  Invalidate();
}

void TTabSet::SetTabPosition(TTabPosition position) {
  tab_position_ = position == TTabPosition::tpTop ? position : TTabPosition::tpBottom;
  Invalidate();
}

void TTabSet::Loaded() {
  TCustomControl::Loaded();
  const int n = static_cast<int>(tabs_.size());
  if (tab_index_ < -1 || tab_index_ >= n) tab_index_ = -1;
  first_index_ = std::clamp(first_index_, 0, std::max(n - 1, 0));
  Arrange();
}

void TTabSet::FontChanged() {
  TCustomControl::FontChanged();
  measured_ = false;
  Arrange();
}

void TTabSet::AlignControls(RECT& rect) {
  Arrange();
  TCustomControl::AlignControls(rect);
}

void TTabSet::Measure() {
  if (measured_) return;
  measured_ = true;
  widths_.clear();
  TWindowDC screen(nullptr);
  TScopedSelect font(screen.Get(), Font()->Handle());
  for (const std::wstring& t : tabs_) {
    SIZE s{0, 0};
    GetTextExtentPoint32W(screen.Get(), t.c_str(), static_cast<int>(t.size()), &s);
    widths_.push_back(s.cx);
  }
}

void TTabSet::LayOut(int limit) {
  Measure();
  rects_.assign(tabs_.size(), RECT{0, 0, 0, 0});
  const int height = ClientHeight();
  int x = start_margin_;
  for (size_t i = static_cast<size_t>(first_index_); i < tabs_.size(); ++i) {
    const int w = widths_[i] + kTabPadding;
    if (x + w > limit) break;
    rects_[i] = {x, 0, x + w, height};
    x += w;
  }
}

void TTabSet::Arrange() {
  if (Loading() || !scroller_) return;
  const int width = ClientWidth();
  LayOut(width - end_margin_);
  const bool all_shown = tabs_.empty() || (first_index_ == 0 && !IsRectEmpty(&rects_.back()));
  if (all_shown) {
    scroller_->SetVisible(false);
    return;
  }
  const int h = std::max(ClientHeight() - 4, 8);
  const int w = 2 * h;
  LayOut(width - end_margin_ - w);
  scroller_->SetBounds(width - w, (ClientHeight() - h) / 2, w, h);
  scroller_->SetRange(static_cast<int>(tabs_.size()), first_index_);
  scroller_->SetVisible(true);
}

RECT TTabSet::TabRect(int i) {
  if (rects_.size() != tabs_.size()) Arrange();
  if (i < 0 || i >= static_cast<int>(rects_.size())) return {0, 0, 0, 0};
  return rects_[static_cast<size_t>(i)];
}

int TTabSet::TabAt(int x, int y) {
  for (int i = 0; i < static_cast<int>(tabs_.size()); ++i) {
    const RECT r = TabRect(i);
    if (PtInRect(&r, POINT{x, y})) return i;
  }
  return -1;
}

void TTabSet::MouseDown(TMouseButton button, unsigned shift, int x, int y) {
  if (button == TMouseButton::mbLeft) {
    const int i = TabAt(x, y);
    if (i >= 0) SetTabIndex(i);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

// A tab hangs from the page edge (row 0) or, for tpTop, stands on it (the last row); its sides
// lean in by kSlant towards its far end.
void TTabSet::DrawTab(HDC dc, const RECT& r, int index) {
  const int height = r.bottom - r.top;
  const int far_row = height - 2;
  if (far_row <= 0) return;
  const bool top = tab_position_ == TTabPosition::tpTop;
  auto row = [&](int y) { return top ? r.bottom - 1 - y : r.top + y; };
  const COLORREF face = ColorToRGB(Color()), line = GetSysColor(COLOR_WINDOWFRAME);
  for (int y = 0; y < far_row; ++y) {
    const int inset = kSlant * y / far_row;
    const int l = r.left + inset, rr = r.right - 1 - inset, at = row(y);
    FillSolidRect(dc, {l + 1, at, rr, at + 1}, face);
    FillSolidRect(dc, {l, at, l + 1, at + 1}, line);
    FillSolidRect(dc, {rr, at, rr + 1, at + 1}, line);
  }
  const int end = row(far_row);
  FillSolidRect(dc, {r.left + kSlant, end, r.right - kSlant, end + 1}, line);

  const std::wstring& text = tabs_[static_cast<size_t>(index)];
  RECT box = r;
  if (top) box.top += 2;
  else box.bottom -= 2;
  TCanvas& c = Canvas();
  c.Font().SetColor(Enabled() ? Font()->Color() : clGrayText);
  c.Brush().SetStyle(TBrushStyle::bsClear);
  c.DrawText(text, box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  c.Brush().SetStyle(TBrushStyle::bsSolid);
}

void TTabSet::Paint() {
  if (rects_.size() != tabs_.size()) Arrange();
  HDC dc = Canvas().Handle();
  const RECT client = ClientRect();
  FillSolidRect(dc, client, ColorToRGB(Color()));
  for (int i = 0; i < static_cast<int>(rects_.size()); ++i) {
    const RECT& r = rects_[static_cast<size_t>(i)];
    if (i != tab_index_ && !IsRectEmpty(&r)) DrawTab(dc, r, i);
  }
  // The page's edge runs behind the other tabs and is broken by the selected one, drawn last.
  const int edge = tab_position_ == TTabPosition::tpTop ? client.bottom - 1 : client.top;
  FillSolidRect(dc, {client.left, edge, client.right, edge + 1}, GetSysColor(COLOR_WINDOWFRAME));
  if (tab_index_ >= 0 && tab_index_ < static_cast<int>(rects_.size())) {
    const RECT& r = rects_[static_cast<size_t>(tab_index_)];
    if (!IsRectEmpty(&r)) DrawTab(dc, r, tab_index_);
  }
}

}  // namespace qn
