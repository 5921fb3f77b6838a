#include "platform/win/StdCtrls.h"

#include <algorithm>
#include <cwctype>

#include "platform/win/WinUtil.h"

namespace qn {

const TEnumInfo kAlignmentInfo{{"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo kScrollStyleInfo{{"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};

// ---- labels ----

QN_CLASS_IMPL(TCustomLabel, TGraphicControl,
              {prop::Bool("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize),
               prop::Bool("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent),
               prop::Enum("Alignment", kAlignmentInfo, &TCustomLabel::Alignment, &TCustomLabel::SetAlignment),
               prop::Bool("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap)})
QN_CLASS_IMPL(TLabel, TCustomLabel)

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 65, 17); }

void TCustomLabel::SetAutoSize(bool v) {
  auto_size_ = v;
  AdjustBounds();
}

void TCustomLabel::SetTransparent(bool v) {
  transparent_ = v;
  Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment a) {
  alignment_ = a;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  word_wrap_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetText(const std::wstring& t) {
  TGraphicControl::SetText(t);
  AdjustBounds();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TCustomLabel::AdjustBounds() {
  if (!auto_size_ || Loading() || word_wrap_) return;
  TWindowDC screen(nullptr);
  TScopedSelect sel(screen.Get(), Font()->Handle());
  RECT r{0, 0, 0, 0};
  std::wstring t = text_.empty() ? L" " : text_;
  DrawTextW(screen.Get(), t.c_str(), static_cast<int>(t.size()), &r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  SetBounds(left_, top_, r.right, r.bottom);
}

void TCustomLabel::Paint() {
  TCanvas& c = Canvas();
  RECT r = ClientRect();
  if (!transparent_) {
    c.Brush().SetStyle(TBrushStyle::bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
  }
  c.Brush().SetStyle(TBrushStyle::bsClear);
  UINT fmt = DT_NOPREFIX | DT_EXPANDTABS | (word_wrap_ ? DT_WORDBREAK : 0) |
             (alignment_ == TAlignment::taCenter ? DT_CENTER : alignment_ == TAlignment::taRightJustify ? DT_RIGHT : DT_LEFT);
  if (!Enabled()) {
    OffsetRect(&r, 1, 1);
    c.Font().SetColor(clBtnHighlight);
    c.DrawText(text_, r, fmt);
    OffsetRect(&r, -1, -1);
    c.Font().SetColor(clBtnShadow);
  }
  c.DrawText(text_, r, fmt);
}

// ---- edits ----

QN_CLASS_IMPL(TCustomEdit, TWinControl,
              {prop::Str("Text", &TCustomEdit::Text, &TCustomEdit::SetTextProp),
               prop::Enum("BorderStyle", kBorderStyleInfo, &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle),
               prop::Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly),
               prop::Int("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength),
               prop::Event("OnChange", &TCustomEdit::OnChange)})
QN_CLASS_IMPL(TEdit, TCustomEdit)

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  // An edit keeps the window colour inside any parent.
  SetParentColor(false);
  SetColor(clWindow);
  SetTabStop(true);
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = L"EDIT";
  p.style |= ES_AUTOHSCROLL | ES_LEFT;
  if (read_only_) p.style |= ES_READONLY;
  if (border_style_ == TBorderStyle::bsSingle) p.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::DestroyWnd() {
  if (handle_) text_ = HwndGetText(handle_);
  TWinControl::DestroyWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle s) {
  if (s == border_style_) return;
  border_style_ = s;
  RecreateWnd();
}

void TCustomEdit::SetReadOnly(bool v) {
  read_only_ = v;
  if (HandleAllocated()) SendMessageW(handle_, EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetMaxLength(int v) {
  max_length_ = v;
  if (HandleAllocated()) SendMessageW(handle_, EM_LIMITTEXT, static_cast<WPARAM>(v), 0);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(handle_, EM_SETSEL, 0, -1);
}

void TCustomEdit::CopyToClipboard() {
  if (HandleAllocated()) SendMessageW(handle_, WM_COPY, 0, 0);
}

int TCustomEdit::SelStart() const {
  DWORD s = 0, e = 0;
  if (handle_) SendMessageW(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<int>(s);
}

int TCustomEdit::SelLength() const {
  DWORD s = 0, e = 0;
  if (handle_) SendMessageW(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<int>(e - s);
}

std::wstring TCustomEdit::SelText() const {
  std::wstring t = GetText();
  size_t s = static_cast<size_t>(SelStart()), n = static_cast<size_t>(SelLength());
  return s < t.size() ? t.substr(s, n) : std::wstring();
}

bool TCustomEdit::HandleMessage(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
    if (OnChange && !Loading()) OnChange(this);
    return true;
  }
  return TWinControl::HandleMessage(m);
}

QN_CLASS_IMPL(TCustomMemo, TCustomEdit,
              {prop::Enum("ScrollBars", kScrollStyleInfo, &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars),
               prop::Bool("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap),
               prop::Bool("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs),
               prop::Strings("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines)})
QN_CLASS_IMPL(TMemo, TCustomMemo)

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner) { SetBounds(0, 0, 185, 89); }

void TCustomMemo::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.style &= ~ES_AUTOHSCROLL;
  p.style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  if (!word_wrap_) p.style |= ES_AUTOHSCROLL;
  if (scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth) p.style |= WS_VSCROLL;
  if (scroll_bars_ == TScrollStyle::ssHorizontal || scroll_bars_ == TScrollStyle::ssBoth) p.style |= WS_HSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle s) {
  if (s == scroll_bars_) return;
  scroll_bars_ = s;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool v) {
  if (v == word_wrap_) return;
  word_wrap_ = v;
  RecreateWnd();
}

std::vector<std::wstring> TCustomMemo::Lines() const {
  std::vector<std::wstring> lines;
  std::wstring t = GetText();
  size_t start = 0;
  while (start < t.size()) {
    size_t end = t.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) {
      lines.push_back(t.substr(start));
      break;
    }
    lines.push_back(t.substr(start, end - start));
    start = end + (t.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

void TCustomMemo::SetLines(const std::vector<std::wstring>& lines) {
  std::wstring t;
  for (const auto& l : lines) t += l + L"\r\n";
  SetText(t);
}

bool TCustomMemo::HandleMessage(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    DefaultHandler(m);
    if (want_tabs_) m.Result |= DLGC_WANTTAB;
    else m.Result &= ~DLGC_WANTTAB;
    return true;
  }
  return TCustomEdit::HandleMessage(m);
}

// ---- buttons ----

namespace {

// Whether the caption underlines ch: "&X" marks X, "&&" is a plain ampersand.
bool IsAccelerator(wchar_t ch, const std::wstring& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return std::towupper(ch) == std::towupper(caption[i + 1]);
  }
  return false;
}

}  // namespace

QN_CLASS_IMPL(TButtonControl, TWinControl)
TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) { SetClickEvents(false); }

QN_CLASS_IMPL(TButton, TButtonControl,
              {prop::Bool("Default", &TButton::Default, &TButton::SetDefault),
               prop::Bool("Cancel", &TButton::Cancel, &TButton::SetCancel),
               prop::Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult)})

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.baseClassName = L"BUTTON";
  p.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
  default_ = v;
  if (!HandleAllocated()) return;
  // An owner-drawn button shows the default look itself; a push-button style would undo that.
  if ((GetWindowLongPtrW(handle_, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) Invalidate();
  else SendMessageW(handle_, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool TButton::HandleMessage(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    Click();
    return true;
  }
  if (m.Msg == CM_DIALOGKEY) {
    // Enter clicks the focused button, else the default one; Esc the cancel button.
    HWND focus = GetFocus();
    const bool focused = HandleAllocated() && focus == handle_;
    const bool on_button = dynamic_cast<TButton*>(FindControl(focus)) != nullptr;
    const bool active = focused || (default_ && !on_button);
    if ((m.WParam == VK_RETURN && active) || (m.WParam == VK_ESCAPE && cancel_)) {
      m.Result = 1;
      Click();
      return true;
    }
  }
  if (m.Msg == CM_DIALOGCHAR && IsAccelerator(static_cast<wchar_t>(m.WParam), Caption())) {
    if (CanFocus()) SetFocus();
    m.Result = 1;
    Click();
    return true;
  }
  return TButtonControl::HandleMessage(m);
}

// ---- check boxes and radio buttons ----

const TEnumInfo kCheckBoxStateInfo{{"cbUnchecked", "cbChecked", "cbGrayed"}};
const TEnumInfo kLeftRightInfo{{"taLeftJustify", "taRightJustify"}};

namespace {

TAlignment LeftOrRight(TAlignment a) {
  return a == TAlignment::taLeftJustify ? a : TAlignment::taRightJustify;
}

WPARAM CheckOf(TCheckBoxState s) {
  return s == TCheckBoxState::cbChecked ? BST_CHECKED : s == TCheckBoxState::cbGrayed ? BST_INDETERMINATE : BST_UNCHECKED;
}

}  // namespace

QN_CLASS_IMPL(TCustomCheckBox, TButtonControl,
              {prop::Enum("Alignment", kLeftRightInfo, &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment),
               prop::Bool("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed),
               prop::Bool("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked),
               prop::Enum("State", kCheckBoxStateInfo, &TCustomCheckBox::State, &TCustomCheckBox::SetState)})
QN_CLASS_IMPL(TCheckBox, TCustomCheckBox)

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

DWORD TCustomCheckBox::ButtonStyle() const {
  // The grayed state exists only for three-state buttons; one set in code gets that style
  // for as long as it lasts.
  const bool three = allow_grayed_ || state_ == TCheckBoxState::cbGrayed;
  return (three ? BS_AUTO3STATE : BS_AUTOCHECKBOX) | (alignment_ == TAlignment::taLeftJustify ? BS_LEFTTEXT : 0);
}

void TCustomCheckBox::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.baseClassName = L"BUTTON";
  p.style |= ButtonStyle();
}

void TCustomCheckBox::CreateWindowHandleDone() { UpdateButton(); }

void TCustomCheckBox::UpdateButton() {
  if (!HandleAllocated()) return;
  const DWORD style = ButtonStyle();
  if ((GetWindowLongPtrW(handle_, GWL_STYLE) & BS_TYPEMASK) != (style & BS_TYPEMASK))
    SendMessageW(handle_, BM_SETSTYLE, style, TRUE);
  SendMessageW(handle_, BM_SETCHECK, CheckOf(state_), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState s) {
  if (s == state_) return;
  state_ = s;
  UpdateButton();
  if (!Loading()) Click();
}

void TCustomCheckBox::SetAllowGrayed(bool v) {
  allow_grayed_ = v;
  UpdateButton();
}

TCheckBoxState TCustomCheckBox::NextState() const {
  switch (state_) {
    case TCheckBoxState::cbUnchecked: return TCheckBoxState::cbChecked;
    case TCheckBoxState::cbChecked: return allow_grayed_ ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked;
    default: return TCheckBoxState::cbUnchecked;
  }
}

void TCustomCheckBox::SetAlignment(TAlignment a) {
  a = LeftOrRight(a);
  if (a == alignment_) return;
  alignment_ = a;
  RecreateWnd();
}

bool TCustomCheckBox::HandleMessage(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    // The button has moved itself on; its state is the one to keep.
    const LRESULT check = SendMessageW(handle_, BM_GETCHECK, 0, 0);
    const TCheckBoxState now = check == BST_CHECKED         ? TCheckBoxState::cbChecked
                               : check == BST_INDETERMINATE ? TCheckBoxState::cbGrayed
                                                            : TCheckBoxState::cbUnchecked;
    if (now != state_) {
      state_ = now;
      UpdateButton();
      Click();
    }
    return true;
  }
  if (m.Msg == CM_DIALOGCHAR && IsAccelerator(static_cast<wchar_t>(m.WParam), Caption())) {
    if (CanFocus()) SetFocus();
    m.Result = 1;
    SetState(NextState());
    return true;
  }
  return TButtonControl::HandleMessage(m);
}

QN_CLASS_IMPL(TRadioButton, TButtonControl,
              {prop::Enum("Alignment", kLeftRightInfo, &TRadioButton::Alignment, &TRadioButton::SetAlignment),
               prop::Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked)})

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 113, 17);
  SetTabStop(true);
}

void TRadioButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.baseClassName = L"BUTTON";
  p.style |= BS_AUTORADIOBUTTON | (alignment_ == TAlignment::taLeftJustify ? BS_LEFTTEXT : 0);
}

void TRadioButton::CreateWindowHandleDone() { SendMessageW(handle_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (HandleAllocated()) SendMessageW(handle_, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!v) return;
  if (TWinControl* parent = Parent()) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i));
      if (other && other != this) other->SetChecked(false);
    }
  }
  if (!Loading()) Click();
}

void TRadioButton::SetAlignment(TAlignment a) {
  a = LeftOrRight(a);
  if (a == alignment_) return;
  alignment_ = a;
  RecreateWnd();
}

bool TRadioButton::HandleMessage(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    // The button has checked itself already; the object follows, with its siblings.
    SetChecked(true);
    return true;
  }
  if (m.Msg == CM_DIALOGCHAR && IsAccelerator(static_cast<wchar_t>(m.WParam), Caption())) {
    if (CanFocus()) SetFocus();
    m.Result = 1;
    SetChecked(true);
    return true;
  }
  if (m.Msg == WM_KEYDOWN) {
    const bool back = m.WParam == VK_LEFT || m.WParam == VK_UP;
    const bool on = m.WParam == VK_RIGHT || m.WParam == VK_DOWN;
    if ((back || on) && MoveInGroup(on)) {
      m.Result = 0;
      return true;
    }
  }
  return TButtonControl::HandleMessage(m);
}

bool TRadioButton::MoveInGroup(bool forward) {
  TWinControl* parent = Parent();
  if (!parent) return false;
  std::vector<TRadioButton*> group;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i));
    if (other && (other == this || other->CanFocus())) group.push_back(other);
  }
  std::stable_sort(group.begin(), group.end(),
                   [](TRadioButton* a, TRadioButton* b) { return a->TabOrder() < b->TabOrder(); });
  const auto at = std::find(group.begin(), group.end(), this);
  if (group.size() < 2 || at == group.end()) return false;
  const size_t here = static_cast<size_t>(at - group.begin());
  TRadioButton* next = group[(here + (forward ? 1 : group.size() - 1)) % group.size()];
  // Taking the focus may check it already (the button's own rule); checking again does nothing.
  next->SetFocus();
  next->SetChecked(true);
  return true;
}

// ---- group boxes ----

QN_CLASS_IMPL(TCustomGroupBox, TCustomControl)
QN_CLASS_IMPL(TGroupBox, TCustomGroupBox)

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 105); }

void TCustomGroupBox::Paint() {
  TCanvas& c = Canvas();
  RECT r = ClientRect();
  c.Brush().SetStyle(TBrushStyle::bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(r);
  int h = c.TextHeight(L"0");
  RECT frame{0, h / 2 - 1, r.right, r.bottom};
  DrawEdge(c.Handle(), &frame, EDGE_ETCHED, BF_RECT);
  std::wstring t = Caption();
  if (!t.empty()) {
    SIZE s = c.TextExtent(t);
    RECT tr{8, 0, 8 + s.cx, h};
    c.Brush().SetColor(Color());
    c.FillRect(tr);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    c.DrawText(t, tr, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  }
}

// ---- list boxes ----

const TEnumInfo kListBoxStyleInfo{{"lbStandard", "lbOwnerDrawFixed"}};

namespace {

std::wstring ListText(HWND wnd, UINT len_msg, UINT text_msg, int index) {
  const LRESULT len = SendMessageW(wnd, len_msg, static_cast<WPARAM>(index), 0);
  if (len < 0) return {};
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  const LRESULT got = SendMessageW(wnd, text_msg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got < 0 ? 0 : std::min(static_cast<size_t>(got), static_cast<size_t>(len)));
  return text;
}

bool InRange(int index, size_t count) { return index >= 0 && static_cast<size_t>(index) < count; }

}  // namespace

// Items first: the index stored after them is checked against them.
QN_CLASS_IMPL(TCustomListBox, TWinControl,
              {prop::Strings("Items", &TCustomListBox::Items, &TCustomListBox::SetItems),
               prop::Int("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex),
               prop::Bool("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted),
               prop::Bool("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect),
               prop::Enum("BorderStyle", kBorderStyleInfo, &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle),
               prop::Enum("Style", kListBoxStyleInfo, &TCustomListBox::Style, &TCustomListBox::SetStyle),
               prop::Int("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight),
               prop::Event("OnDrawItem", &TCustomListBox::OnDrawItem)})
QN_CLASS_IMPL(TListBox, TCustomListBox)

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 97);
  // The window colour is the default colour already: only the parent's must be refused.
  SetParentColor(false);
  SetTabStop(true);
  // The list reports its own selection changes; a press alone is no click.
  SetClickEvents(false);
}

TCustomListBox::~TCustomListBox() { canvas_.SetHandle(nullptr); }

void TCustomListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = L"LISTBOX";
  p.style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_VSCROLL | WS_HSCROLL;
  if (sorted_) p.style |= LBS_SORT;
  if (multi_select_) p.style |= LBS_EXTENDEDSEL;
  if (style_ == TListBoxStyle::lbOwnerDrawFixed) p.style |= LBS_OWNERDRAWFIXED;
  if (border_style_ == TBorderStyle::bsSingle) p.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWindowHandleDone() {
  if (style_ == TListBoxStyle::lbOwnerDrawFixed) SendMessageW(handle_, LB_SETITEMHEIGHT, 0, item_height_);
  // Each item carries its old index, so that the selection follows it into a sorted order.
  for (size_t i = 0; i < items_.size(); ++i) {
    const LRESULT at = SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items_[i].c_str()));
    if (at >= 0) SendMessageW(handle_, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
  }
  const std::vector<int> selection = std::exchange(selection_, {});
  const int focused = std::exchange(item_index_, -1);
  if (!items_.empty()) {
    for (int at = 0; at < Count(); ++at) {
      const int old = static_cast<int>(SendMessageW(handle_, LB_GETITEMDATA, static_cast<WPARAM>(at), 0));
      SendMessageW(handle_, LB_SETITEMDATA, static_cast<WPARAM>(at), 0);
      if (old == focused) item_index_ = at;
      if (multi_select_ && std::find(selection.begin(), selection.end(), old) != selection.end())
        SendMessageW(handle_, LB_SETSEL, TRUE, at);
    }
  } else {
    item_index_ = focused;  // the window was made before the items came
  }
  items_.clear();
  if (multi_select_) {
    if (item_index_ >= 0) SendMessageW(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(item_index_), FALSE);
  } else {
    // Of several selected items, the focused one stays selected.
    SendMessageW(handle_, LB_SETCURSEL, static_cast<WPARAM>(item_index_), 0);
  }
  notified_ = Selection();
  UpdateExtent();
}

bool TCustomListBox::WindowMultiSelect() const {
  if (!handle_) return multi_select_;
  return (GetWindowLongPtrW(handle_, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) != 0;
}

void TCustomListBox::DestroyWnd() {
  if (handle_) {
    std::vector<std::wstring> items = Items();
    selection_ = Selection();
    item_index_ = ItemIndex();
    items_ = std::move(items);
  }
  TWinControl::DestroyWnd();
}

void TCustomListBox::Loaded() {
  TWinControl::Loaded();
  // The index may have been read before the items.
  if (item_index_ >= 0) SetItemIndex(item_index_);
}

std::vector<std::wstring> TCustomListBox::Items() const {
  if (!handle_) return items_;
  std::vector<std::wstring> items;
  const int n = Count();
  items.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) items.push_back(ListText(handle_, LB_GETTEXTLEN, LB_GETTEXT, i));
  return items;
}

void TCustomListBox::SetItems(const std::vector<std::wstring>& items) {
  if (!handle_) {
    items_ = items;
    selection_.clear();
    return;
  }
  SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items) SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(handle_, nullptr, TRUE);
  notified_.clear();
  UpdateExtent();
}

int TCustomListBox::Count() const {
  if (!handle_) return static_cast<int>(items_.size());
  return std::max(0, static_cast<int>(SendMessageW(handle_, LB_GETCOUNT, 0, 0)));
}

std::wstring TCustomListBox::Item(int index) const {
  if (!handle_) return InRange(index, items_.size()) ? items_[static_cast<size_t>(index)] : std::wstring();
  if (index < 0 || index >= Count()) return {};
  return ListText(handle_, LB_GETTEXTLEN, LB_GETTEXT, index);
}

int TCustomListBox::AddItem(const std::wstring& text) {
  if (!handle_) {
    items_.push_back(text);
    return static_cast<int>(items_.size()) - 1;
  }
  const LRESULT at = SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  UpdateExtent();
  notified_ = Selection();  // a sorted insert moves the selected indices
  return at < 0 ? -1 : static_cast<int>(at);
}

void TCustomListBox::DeleteItem(int index) {
  if (!handle_) {
    if (!InRange(index, items_.size())) return;
    items_.erase(items_.begin() + index);
    std::erase(selection_, index);
    for (int& i : selection_)
      if (i > index) --i;
    if (item_index_ == index) item_index_ = -1;
    else if (item_index_ > index) --item_index_;
    return;
  }
  if (SendMessageW(handle_, LB_DELETESTRING, static_cast<WPARAM>(index), 0) == LB_ERR) return;
  notified_ = Selection();
  UpdateExtent();
}

void TCustomListBox::Clear() { SetItems({}); }

std::vector<int> TCustomListBox::Selection() const {
  if (!handle_) {
    if (multi_select_) return selection_;
    return InRange(item_index_, items_.size()) ? std::vector<int>{item_index_} : std::vector<int>{};
  }
  if (!WindowMultiSelect()) {
    const int sel = static_cast<int>(SendMessageW(handle_, LB_GETCURSEL, 0, 0));
    return sel >= 0 ? std::vector<int>{sel} : std::vector<int>{};
  }
  const LRESULT n = SendMessageW(handle_, LB_GETSELCOUNT, 0, 0);
  if (n <= 0) return {};
  std::vector<int> sel(static_cast<size_t>(n));
  const LRESULT got = SendMessageW(handle_, LB_GETSELITEMS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(sel.data()));
  sel.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return sel;
}

int TCustomListBox::ItemIndex() const {
  if (!handle_) return InRange(item_index_, items_.size()) ? item_index_ : -1;
  if (!WindowMultiSelect()) return static_cast<int>(SendMessageW(handle_, LB_GETCURSEL, 0, 0));
  // The focused item when it is selected, else the first selected one.
  const int caret = static_cast<int>(SendMessageW(handle_, LB_GETCARETINDEX, 0, 0));
  if (caret >= 0 && SendMessageW(handle_, LB_GETSEL, static_cast<WPARAM>(caret), 0) > 0) return caret;
  const std::vector<int> sel = Selection();
  return sel.empty() ? -1 : sel.front();
}

void TCustomListBox::SetItemIndex(int index) {
  item_index_ = index;
  if (!handle_) {
    selection_.clear();
    if (index >= 0) selection_.push_back(index);
    return;
  }
  if (multi_select_) {
    SendMessageW(handle_, LB_SETSEL, FALSE, -1);
    if (index >= 0) {
      SendMessageW(handle_, LB_SETSEL, TRUE, index);
      SendMessageW(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
    }
  } else {
    SendMessageW(handle_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  notified_ = Selection();
}

bool TCustomListBox::Selected(int index) const {
  if (handle_) return SendMessageW(handle_, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
  const std::vector<int> sel = Selection();
  return std::find(sel.begin(), sel.end(), index) != sel.end();
}

void TCustomListBox::SetSelected(int index, bool selected) {
  if (!multi_select_) {
    if (selected) SetItemIndex(index);
    else if (ItemIndex() == index) SetItemIndex(-1);
    return;
  }
  if (!handle_) {
    std::erase(selection_, index);
    if (selected && InRange(index, items_.size())) selection_.push_back(index);
    return;
  }
  SendMessageW(handle_, LB_SETSEL, selected, index);
  notified_ = Selection();
}

int TCustomListBox::SelCount() const { return static_cast<int>(Selection().size()); }

void TCustomListBox::SetSorted(bool v) {
  if (v == sorted_) return;
  sorted_ = v;
  RecreateWnd();
}

void TCustomListBox::SetMultiSelect(bool v) {
  if (v == multi_select_) return;
  multi_select_ = v;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle s) {
  if (s == border_style_) return;
  border_style_ = s;
  RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle s) {
  if (s == style_) return;
  style_ = s;
  RecreateWnd();
}

int TCustomListBox::ItemHeight() const {
  if (handle_ && style_ == TListBoxStyle::lbStandard) return static_cast<int>(SendMessageW(handle_, LB_GETITEMHEIGHT, 0, 0));
  return item_height_;
}

void TCustomListBox::SetItemHeight(int h) {
  if (h <= 0) return;
  item_height_ = h;
  if (handle_ && style_ == TListBoxStyle::lbOwnerDrawFixed) {
    SendMessageW(handle_, LB_SETITEMHEIGHT, 0, h);
    Invalidate();
  }
}

void TCustomListBox::FontChanged() {
  TWinControl::FontChanged();
  UpdateExtent();
}

// The horizontal scroll bar shows when the widest item does not fit.
void TCustomListBox::UpdateExtent() {
  if (!handle_) return;
  int widest = 0;
  {
    TWindowDC dc(handle_);
    TScopedSelect font(dc.Get(), Font()->Handle());
    for (const std::wstring& item : Items()) {
      SIZE size{0, 0};
      GetTextExtentPoint32W(dc.Get(), item.c_str(), static_cast<int>(item.size()), &size);
      widest = std::max<int>(widest, size.cx);
    }
  }
  // The list leaves a little room left of the text, and the last letter needs its own.
  SendMessageW(handle_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest > 0 ? widest + 6 : 0), 0);
}

void TCustomListBox::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const int index = static_cast<int>(item.itemID);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  canvas_.SetHandle(item.hDC);
  canvas_.Font().Assign(Font());
  canvas_.Brush().SetStyle(TBrushStyle::bsSolid);
  canvas_.Brush().SetColor(selected ? clHighlight : Color());
  if (selected) canvas_.Font().SetColor(clHighlightText);
  RunGuarded([&] {
    if (OnDrawItem) {
      OnDrawItem(this, index, item.rcItem, item.itemState);
    } else {
      canvas_.TextRect(item.rcItem, item.rcItem.left + 2, item.rcItem.top, Item(index));
    }
  });
  canvas_.SetHandle(nullptr);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

bool TCustomListBox::HandleMessage(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == LBN_SELCHANGE) {
      // A click on the item already selected, or an arrow key at the end of the list, says
      // "changed" too.
      std::vector<int> now = Selection();
      if (now != notified_) {
        notified_ = std::move(now);
        if (!Loading()) Click();
      }
    }
    return true;
  }
  if (m.Msg == CN_DRAWITEM) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam));
    m.Result = TRUE;
    return true;
  }
  return TWinControl::HandleMessage(m);
}

// ---- combo boxes ----

const TEnumInfo kComboBoxStyleInfo{{"csDropDown", "csSimple", "csDropDownList"}};

QN_CLASS_IMPL(TCustomComboBox, TWinControl,
              {prop::Enum("Style", kComboBoxStyleInfo, &TCustomComboBox::Style, &TCustomComboBox::SetStyle),
               prop::Strings("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems),
               prop::Int("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex),
               prop::Str("Text", &TCustomComboBox::Text, &TCustomComboBox::SetTextProp),
               prop::Int("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount),
               prop::Event("OnChange", &TCustomComboBox::OnChange),
               prop::Event("OnSelect", &TCustomComboBox::OnSelect),
               prop::Event("OnDropDown", &TCustomComboBox::OnDropDown),
               prop::Event("OnCloseUp", &TCustomComboBox::OnCloseUp)})
QN_CLASS_IMPL(TComboBox, TCustomComboBox)

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 145, 21);
  SetParentColor(false);
  SetTabStop(true);
  SetClickEvents(false);
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = L"COMBOBOX";
  p.style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
  switch (style_) {
    case TComboBoxStyle::csDropDown: p.style |= CBS_DROPDOWN; break;
    case TComboBoxStyle::csSimple: p.style |= CBS_SIMPLE; break;
    case TComboBoxStyle::csDropDownList: p.style |= CBS_DROPDOWNLIST; break;
  }
}

void TCustomComboBox::CreateWindowHandleDone() {
  for (const std::wstring& item : items_)
    SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  items_.clear();
  if (item_index_ >= 0) SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(item_index_), 0);
  else if (style_ != TComboBoxStyle::csDropDownList) SetEditText(text_);
  notified_ = ItemIndex();
}

void TCustomComboBox::DestroyWnd() {
  if (handle_) {
    std::vector<std::wstring> items = Items();
    item_index_ = ItemIndex();
    text_ = GetText();
    items_ = std::move(items);
  }
  TWinControl::DestroyWnd();
}

void TCustomComboBox::Loaded() {
  TWinControl::Loaded();
  if (item_index_ >= 0) SetItemIndex(item_index_);
}

void TCustomComboBox::SetStyle(TComboBoxStyle s) {
  if (s == style_) return;
  style_ = s;
  RecreateWnd();
}

std::vector<std::wstring> TCustomComboBox::Items() const {
  if (!handle_) return items_;
  std::vector<std::wstring> items;
  const int n = Count();
  items.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) items.push_back(ListText(handle_, CB_GETLBTEXTLEN, CB_GETLBTEXT, i));
  return items;
}

void TCustomComboBox::SetItems(const std::vector<std::wstring>& items) {
  if (!handle_) {
    items_ = items;
    return;
  }
  const std::wstring text = GetText();
  SendMessageW(handle_, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items) SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  // An edit keeps what it showed; a list shows nothing now.
  if (style_ != TComboBoxStyle::csDropDownList) SetEditText(text);
  notified_ = -1;
}

int TCustomComboBox::Count() const {
  if (!handle_) return static_cast<int>(items_.size());
  return std::max(0, static_cast<int>(SendMessageW(handle_, CB_GETCOUNT, 0, 0)));
}

std::wstring TCustomComboBox::Item(int index) const {
  if (!handle_) return InRange(index, items_.size()) ? items_[static_cast<size_t>(index)] : std::wstring();
  if (index < 0 || index >= Count()) return {};
  return ListText(handle_, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

int TCustomComboBox::AddItem(const std::wstring& text) {
  if (!handle_) {
    items_.push_back(text);
    return static_cast<int>(items_.size()) - 1;
  }
  const LRESULT at = SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return at < 0 ? -1 : static_cast<int>(at);
}

void TCustomComboBox::DeleteItem(int index) {
  if (!handle_) {
    if (!InRange(index, items_.size())) return;
    items_.erase(items_.begin() + index);
    if (item_index_ == index) item_index_ = -1;
    else if (item_index_ > index) --item_index_;
    return;
  }
  if (SendMessageW(handle_, CB_DELETESTRING, static_cast<WPARAM>(index), 0) == CB_ERR) return;
  notified_ = ItemIndex();
}

void TCustomComboBox::Clear() {
  SetItems({});
  SetText(L"");
}

int TCustomComboBox::ItemIndex() const {
  if (!handle_) return InRange(item_index_, items_.size()) ? item_index_ : -1;
  return static_cast<int>(SendMessageW(handle_, CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int index) {
  item_index_ = index;
  if (!handle_) {
    if (InRange(index, items_.size())) text_ = items_[static_cast<size_t>(index)];
    return;
  }
  SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  notified_ = ItemIndex();
}

std::wstring TCustomComboBox::GetText() const {
  if (handle_) return HwndGetText(handle_);
  if (style_ == TComboBoxStyle::csDropDownList) return Item(item_index_);
  return text_;
}

void TCustomComboBox::SetText(const std::wstring& t) {
  if (style_ != TComboBoxStyle::csDropDownList) {
    quiet_ = true;
    TWinControl::SetText(t);
    quiet_ = false;
    return;
  }
  // Exactly the item's text: the list's own search ignores case.
  const std::vector<std::wstring> items = Items();
  const auto it = std::find(items.begin(), items.end(), t);
  SetItemIndex(it == items.end() ? -1 : static_cast<int>(it - items.begin()));
  text_ = it == items.end() ? std::wstring() : t;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomComboBox::SetDropDownCount(int n) { drop_down_count_ = std::max(1, n); }

bool TCustomComboBox::DroppedDown() const {
  return handle_ && SendMessageW(handle_, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

void TCustomComboBox::SetDroppedDown(bool v) {
  if (HandleAllocated() || v) SendMessageW(Handle(), CB_SHOWDROPDOWN, v, 0);
}

// The list opens as high as the window is beyond its closed height: DropDownCount items.
void TCustomComboBox::SizeDropDown() {
  if (style_ == TComboBoxStyle::csSimple) return;
  const int items = std::clamp(Count(), 1, drop_down_count_);
  const int item_height = std::max(1, static_cast<int>(SendMessageW(handle_, CB_GETITEMHEIGHT, 0, 0)));
  const RECT r = HwndWindowRect(handle_);
  SetWindowPos(handle_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + items * item_height + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

// Text set in code is no change by the user.
void TCustomComboBox::SetEditText(const std::wstring& t) {
  quiet_ = true;
  SetWindowTextW(handle_, t.c_str());
  quiet_ = false;
}

void TCustomComboBox::Selected() {
  const int index = ItemIndex();
  if (index == notified_) return;
  notified_ = index;
  // While the notification runs, the edit still shows the text from before.
  if (style_ != TComboBoxStyle::csDropDownList && index >= 0) {
    const std::wstring item = Item(index);
    text_ = item;
    SetEditText(item);
  }
  if (Loading()) return;
  Click();
  if (OnSelect) OnSelect(this);
  if (OnChange) OnChange(this);
}

bool TCustomComboBox::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      switch (HIWORD(m.WParam)) {
        case CBN_SELCHANGE: Selected(); break;
        case CBN_EDITCHANGE:
          if (OnChange && !Loading() && !quiet_) OnChange(this);
          break;
        case CBN_DROPDOWN:
          SizeDropDown();
          if (OnDropDown) OnDropDown(this);
          break;
        case CBN_CLOSEUP:
          if (OnCloseUp) OnCloseUp(this);
          break;
        default: break;
      }
      return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
      // The combo's own edit and list ask it, not its parent, for their colours.
      if (FindControl(reinterpret_cast<HWND>(m.LParam))) return TWinControl::HandleMessage(m);
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      m.Result = reinterpret_cast<LRESULT>(BrushHandle());
      return true;
    }
    default:
      return TWinControl::HandleMessage(m);
  }
}

}  // namespace qn
