#include "platform/win/Spin.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "platform/win/ComCtrls.h"

namespace qn {

namespace {

constexpr int kButtonWidth = 15;
// The arrows' own position never moves (each press is refused after it is counted), so it
// needs room on both sides only.
constexpr int kButtonRange = 100;

// A whole number with an optional sign, spaces around it allowed; false for anything else or
// for a number past the int range.
bool ParseWhole(const std::wstring& text, int& out) {
  size_t i = text.find_first_not_of(L' '), end = text.find_last_not_of(L' ');
  if (i == std::wstring::npos) return false;
  ++end;
  const bool negative = text[i] == L'-';
  if (text[i] == L'-' || text[i] == L'+') ++i;
  if (i == end) return false;
  int64_t v = 0;
  for (; i < end; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    v = v * 10 + (text[i] - L'0');
    if (v > int64_t(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

QN_CLASS_IMPL(TSpinEdit, TCustomEdit,
              {prop::Int("Value", &TSpinEdit::Value, &TSpinEdit::SetValue),
               prop::Int("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue),
               prop::Int("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue),
               prop::Int("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement)})

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 121, 22);
  SetTabStop(true);
  SetText(L"0");
}

void TSpinEdit::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  // The edit must not paint over its arrows.
  p.style |= WS_CLIPCHILDREN;
}

void TSpinEdit::CreateWindowHandleDone() {
  TCustomEdit::CreateWindowHandleDone();
  button_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, kButtonWidth, 0, handle_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!button_) return;
  SendMessageW(button_, UDM_SETRANGE32, static_cast<WPARAM>(-kButtonRange), kButtonRange);
  SendMessageW(button_, UDM_SETPOS32, 0, 0);
  PlaceButton();
}

void TSpinEdit::DestroyWnd() {
  // The arrows go with the edit's window.
  value_ = Value();
  button_ = nullptr;
  TCustomEdit::DestroyWnd();
}

void TSpinEdit::PlaceButton() {
  if (!handle_ || !button_) return;
  RECT client{};
  GetClientRect(handle_, &client);
  const int w = std::min<int>(kButtonWidth, client.right);
  SetWindowPos(button_, nullptr, client.right - w, 0, w, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  // The text keeps clear of the arrows.
  SendMessageW(handle_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, w + 1));
}

int TSpinEdit::Checked(int v) const {
  return max_ != min_ ? std::clamp(v, std::min(min_, max_), std::max(min_, max_)) : v;
}

int TSpinEdit::Value() const {
  int v = 0;
  return ParseWhole(GetText(), v) ? Checked(v) : value_;
}

void TSpinEdit::SetValue(int v) {
  value_ = Checked(v);
  SetText(std::to_wstring(value_));
}

void TSpinEdit::SetMinValue(int v) {
  min_ = v;
  SetValue(Value());
}

void TSpinEdit::SetMaxValue(int v) {
  max_ = v;
  SetValue(Value());
}

void TSpinEdit::StepBy(int steps) {
  if (ReadOnly()) return;
  SetValue(Value() + steps * increment_);
  SendMessageW(handle_, EM_SETSEL, 0, -1);
}

bool TSpinEdit::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_NOTIFY: {
      const auto* n = reinterpret_cast<const NMUPDOWN*>(m.LParam);
      if (!button_ || n->hdr.hwndFrom != button_) break;
      if (n->hdr.code == UDN_DELTAPOS) {
        if (n->iDelta) StepBy(n->iDelta > 0 ? 1 : -1);
        m.Result = 1;  // counted here: the arrows' own position stays
      }
      return true;
    }
    case WM_VSCROLL:
      if (!button_ || reinterpret_cast<HWND>(m.LParam) != button_) break;
      m.Result = 0;
      return true;
    case WM_KEYDOWN:
      if (m.WParam != VK_UP && m.WParam != VK_DOWN) break;
      StepBy(m.WParam == VK_UP ? 1 : -1);
      m.Result = 0;
      return true;
    case WM_SIZE:
      PlaceButton();
      break;
    default:
      break;
  }
  return TCustomEdit::HandleMessage(m);
}

}  // namespace qn
