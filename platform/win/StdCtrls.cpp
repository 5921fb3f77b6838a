#include "platform/win/StdCtrls.h"

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
  if (HandleAllocated()) SendMessageW(handle_, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool TButton::HandleMessage(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    Click();
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
