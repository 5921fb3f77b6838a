#include "platform/win/StdCtrls.h"

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
  return TButtonControl::HandleMessage(m);
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

}  // namespace qn
