#include "platform/win/GlyphChecks.h"

#include <windowsx.h>

#include "platform/win/Blit.h"
#include "platform/win/GdiObjects.h"

namespace qn {

namespace {

constexpr int kPlainBox = 13;  // the system's check box, in pixels
constexpr int kCaptionGap = 4;

}  // namespace

// ---- TGlyphCheckControl ----

QN_CLASS_IMPL(TGlyphCheckControl, TCustomControl,
              {prop::Bool("Checked", &TGlyphCheckControl::Checked, &TGlyphCheckControl::SetChecked)})

TGlyphCheckControl::TGlyphCheckControl(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 120, 20);
  SetTabStop(true);
}

void TGlyphCheckControl::SetState(TCheckBoxState state) {
  if (state == state_) return;
  state_ = state;
  Invalidate();
}

void TGlyphCheckControl::SetChecked(bool checked) {
  SetState(checked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void TGlyphCheckControl::Click() {
  if (IsRadio()) {
    SetChecked(true);
  } else {
    switch (state_) {
      case TCheckBoxState::cbUnchecked: SetState(TCheckBoxState::cbChecked); break;
      case TCheckBoxState::cbChecked:
        SetState(allow_grayed_ ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked);
        break;
      default: SetState(TCheckBoxState::cbUnchecked); break;
    }
  }
  TCustomControl::Click();
}

int TGlyphCheckControl::CellIndex() const {
  const int columns = IsRadio() ? 2 : 3;
  const int rows = StripCells() / columns;
  const int column = IsRadio() ? (Checked() ? 1 : 0) : static_cast<int>(state_);
  int row = 0;
  if (!Enabled()) row = rows > 2 ? 2 : 0;
  else if (pressed_ && rows > 1) row = 1;
  return row * columns + column;
}

void TGlyphCheckControl::DrawBox(HDC dc, const RECT& box) {
  TBitmap* strip = Strip();
  const int cells = StripCells();
  if (strip && !strip->Empty() && strip->Width() / cells > 0) {
    const int w = strip->Width() / cells, h = strip->Height();
    const TColor key = StripKey();
    const TColor cut = key == clDefault ? static_cast<TColor>(GetPixel(strip->DC(), 0, h - 1))
                                        : static_cast<TColor>(ColorToRGB(key));
    TBitmapHandle mask = strip->MakeMask(cut);
    if (mask) BlitTransparent(dc, box.left, box.top, w, h, strip->DC(), CellIndex() * w, 0, mask.Get());
    return;
  }
  UINT look = IsRadio() ? DFCS_BUTTONRADIO
                        : (state_ == TCheckBoxState::cbGrayed ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK);
  if (state_ != TCheckBoxState::cbUnchecked) look |= DFCS_CHECKED;
  if (!Enabled()) look |= DFCS_INACTIVE;
  if (pressed_) look |= DFCS_PUSHED;
  RECT r = box;
  DrawFrameControl(dc, &r, DFC_BUTTON, look);
}

void TGlyphCheckControl::Paint() {
  HDC dc = Canvas().Handle();
  if (!dc) return;
  const RECT client = ClientRect();
  FillSolidRect(dc, client, ColorToRGB(Color()));

  SIZE box{kPlainBox, kPlainBox};
  if (TBitmap* strip = Strip(); strip && !strip->Empty() && strip->Width() / StripCells() > 0)
    box = SIZE{strip->Width() / StripCells(), strip->Height()};
  const int top = (client.bottom - box.cy) / 2;
  DrawBox(dc, RECT{0, top, box.cx, top + box.cy});

  const std::wstring caption = Caption();
  if (caption.empty()) return;
  TScopedSelect font(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Enabled() ? ColorToRGB(Font()->Color()) : GetSysColor(COLOR_GRAYTEXT));
  RECT text{box.cx + kCaptionGap, 0, client.right, client.bottom};
  const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
  if (handle_ && GetFocus() == handle_) {
    RECT ring = text;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &ring, format | DT_CALCRECT);
    OffsetRect(&ring, 0, (client.bottom - (ring.bottom - ring.top)) / 2 - ring.top);
    InflateRect(&ring, 1, 1);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &ring);
  }
}

bool TGlyphCheckControl::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDBLCLK:
      // A quick second click is a click of its own.
      m.Msg = WM_LBUTTONDOWN;
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      if (!Enabled()) break;
      if (CanFocus()) SetFocus();
      pressed_ = true;
      SetCapture(handle_);
      Invalidate();
      break;
    case WM_MOUSEMOVE:
      if (handle_ && GetCapture() == handle_) {
        const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        const RECT client = ClientRect();
        const bool inside = PtInRect(&client, p) != FALSE;
        if (inside != pressed_) {
          pressed_ = inside;
          Invalidate();
        }
      }
      break;
    case WM_LBUTTONUP:
      if (handle_ && GetCapture() == handle_) ReleaseCapture();
      pressed_ = false;
      Invalidate();
      break;  // the click comes from the release inside
    case WM_KEYDOWN:
      if (m.WParam != VK_SPACE) break;
      if (!pressed_ && Enabled()) {
        pressed_ = true;
        Invalidate();
      }
      return true;
    case WM_KEYUP:
      if (m.WParam != VK_SPACE) break;
      if (pressed_) {
        pressed_ = false;
        Invalidate();
        Click();
      }
      return true;
    case WM_KILLFOCUS:
      pressed_ = false;
      Invalidate();
      break;
    case WM_SETFOCUS:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case WM_SETTEXT:
      Invalidate();
      break;
    default:
      break;
  }
  return TCustomControl::HandleMessage(m);
}

// ---- TRzGlyphCheck, TRzCheckBox, TRzRadioButton ----

QN_CLASS_IMPL(TRzGlyphCheck, TGlyphCheckControl,
              {prop::Obj("CustomGlyphs", &TRzGlyphCheck::CustomGlyphs, &TRzGlyphCheck::SetCustomGlyphs),
               prop::Bool("UseCustomGlyphs", &TRzGlyphCheck::UseCustomGlyphs, &TRzGlyphCheck::SetUseCustomGlyphs),
               prop::Int("TransparentColor", &TRzGlyphCheck::TransparentColor, &TRzGlyphCheck::SetTransparentColor,
                         &kColorIdents)})
QN_CLASS_IMPL(TRzCheckBox, TRzGlyphCheck,
              {prop::Bool("AllowGrayed", &TGlyphCheckControl::AllowGrayed, &TGlyphCheckControl::SetAllowGrayed),
               prop::Enum("State", kCheckBoxStateInfo, &TGlyphCheckControl::State, &TGlyphCheckControl::SetState)})
QN_CLASS_IMPL(TRzRadioButton, TRzGlyphCheck)

TRzGlyphCheck::TRzGlyphCheck(TComponent* owner) : TGlyphCheckControl(owner) {
  glyphs_->OnChange = [this] { Invalidate(); };
}

void TRzGlyphCheck::SetCustomGlyphs(TBitmap* glyphs) {
  TBitmap empty;
  glyphs_->Assign(glyphs ? glyphs : &empty);
}

void TRzGlyphCheck::SetUseCustomGlyphs(bool use) {
  if (use == use_) return;
  use_ = use;
  Invalidate();
}

void TRzGlyphCheck::SetTransparentColor(TColor key) {
  key_ = key;
  Invalidate();
}

void TRzRadioButton::SetChecked(bool checked) {
  TGlyphCheckControl::SetChecked(checked);
  if (!checked || !Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* other = dynamic_cast<TRzRadioButton*>(Parent()->Controls(i));
    if (other && other != this) other->TGlyphCheckControl::SetChecked(false);
  }
}

// ---- TcxCheckBox ----

QN_CLASS_IMPL(TcxCheckBoxProperties, TPersistent,
              {prop::Obj("Glyph", &TcxCheckBoxProperties::Glyph, &TcxCheckBoxProperties::SetGlyph)})
QN_CLASS_IMPL(TcxCheckBox, TGlyphCheckControl,
              {prop::Obj("Properties", &TcxCheckBox::Properties, &TcxCheckBox::SetProperties),
               prop::Enum("State", kCheckBoxStateInfo, &TGlyphCheckControl::State, &TGlyphCheckControl::SetState)})

TcxCheckBoxProperties::TcxCheckBoxProperties() {
  glyph_->OnChange = [this] {
    if (OnChange) OnChange();
  };
}

void TcxCheckBoxProperties::SetGlyph(TBitmap* glyph) {
  TBitmap empty;
  glyph_->Assign(glyph ? glyph : &empty);
}

void TcxCheckBoxProperties::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TcxCheckBoxProperties*>(source);
  if (!other) return TPersistent::Assign(source);
  SetGlyph(other->Glyph());
}

TcxCheckBox::TcxCheckBox(TComponent* owner) : TGlyphCheckControl(owner) {
  properties_->OnChange = [this] { Invalidate(); };
}

void TcxCheckBox::SetProperties(TcxCheckBoxProperties* properties) {
  if (properties) properties_->Assign(properties);
}

}  // namespace qn
