#include "skin/controls/SkinChecks.h"

#include <algorithm>
#include <utility>

#include "platform/core/TextConv.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/Messages.h"
#include "platform/win/PropAccess.h"
#include "skin/data/SkinTypes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TSkinCheckButton, TSkinControl)
QN_CLASS_IMPL(TSkinCheckBox, TSkinCheckButton)
QN_CLASS_IMPL(TSkinRadioButton, TSkinCheckButton)

namespace {

constexpr int kSeeThroughTag = 5555;  // a box with this tag shows its parent behind it
// Another library's notice after which its box has drawn itself.
constexpr UINT kForeignRepaint = 0xB0D0;

int Height(const RECT& r) { return r.bottom - r.top; }

// The skin's check or radio image with its cell count, when it has a cell to draw.
struct TCheckPicture {
  TBitmap* image = nullptr;
  int cells = 1;
};

TCheckPicture PictureOf(TSkinObjects* skin, bool radio) {
  TCheckPicture picture;
  if (!skin || !skin->Button) return picture;
  TDataSkinButton& button = *skin->Button;
  TBitmap& image = radio ? button.RadioMap : button.CheckMap;
  // A count below one names one cell; one too large for the image leaves no pixel to a cell.
  const int cells = std::max(1, radio ? button.radioframe : button.checkframe);
  if (image.Empty() || image.Width() / cells <= 0) return picture;
  picture.image = &image;
  picture.cells = cells;
  return picture;
}

bool HasPicture(const TSkinControl& skinner, bool radio) {
  auto skin = skinner.Skin();
  return PictureOf(skin.get(), radio).image != nullptr;
}

bool Declares(TObject* object, const char* property) { return object && GetPropInfo(object, property); }

// Decides at attach time and at each new skin: painted whole with a picture to paint, else
// only overlaid (with nothing to overlay).
void ChooseKind(TSkinControl& skinner, bool radio) {
  if (skinner.control) skinner.kind = HasPicture(skinner, radio) ? 1 : 0;
}

// Paints for WM_PAINT and WM_PRINT itself while it has the whole box to paint; the first paint
// without a picture hands the box back to its own painting until a skin brings one again.
bool TakePaint(TSkinControl& skinner, TMessage& msg, bool radio, bool pass) {
  if (skinner.kind != 1 || !pass) return pass;
  if (!HasPicture(skinner, radio)) {
    skinner.kind = 0;
    return pass;
  }
  skinner.WMPaint(msg);
  return false;
}

// Messages after which the button may have drawn itself straight onto the screen (its pressed
// look, a check mark, focus cues): the skin goes over it again.
bool DrawsItself(UINT msg) {
  switch (msg) {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_UPDATEUISTATE:
    case CM_EXIT:
    case kForeignRepaint:
      return true;
    default:
      return false;
  }
}

// The picture of cell `cell` at the box's edge; with the whole box to paint (kind 1) also the
// background and the caption beside the picture.
void PaintCheck(TSkinControl& s, HDC dc, const RECT& rc, const TCheckPicture& picture, int cell, bool radio,
                bool trans) {
  const int w = picture.image->Width() / picture.cells, h = picture.image->Height();
  const LONG_PTR style = GetWindowLongPtrW(s.hwnd, GWL_STYLE);
  // The button puts its box on the right for either.
  const bool right = (style & BS_LEFTTEXT) || (GetWindowLongPtrW(s.hwnd, GWL_EXSTYLE) & WS_EX_RIGHT);
  const bool rtl = (s.CheckBiDi(0) & DT_RTLREADING) != 0;
  RECT box{0, rc.top + (Height(rc) - h) / 2, 0, 0};
  box.bottom = box.top + h;
  RECT text = rc;
  UINT format = 0;
  if (right) {
    // A radio button's round picture keeps clear of the edge by one pixel.
    box.right = radio ? rc.right - 1 : rc.right;
    box.left = box.right - w;
    text.right = box.left - 2;
    if (rtl) format = DT_RIGHT | DT_RTLREADING;
  } else {
    box.left = rc.left;
    box.right = rc.left + w;
    text.left = box.right + 2;
    if (rtl) format = DT_RTLREADING;
  }
  format |= DT_EXPANDTABS | DT_WORDBREAK;

  if (s.kind == 1 && !trans) s.FillFace(dc, rc);
  s.DrawSkinMap2(dc, box, *picture.image, ExistingCell(cell, picture.cells), picture.cells);
  if (s.kind != 1) return;

  s.caption = s.control ? GetPropText(s.control, "Caption") : GetWndText(s.hwnd);
  auto* font = dynamic_cast<TFont*>(GetPropObject(s.Target(), "Font"));
  s.enabled = !(style & WS_DISABLED);
  s.focused = s.HasFocus();
  const TColor colour = s.enabled ? (font ? font->Color() : clBtnText) : clBtnShadow;
  TScopedSelect font_in(dc, font ? font->Handle() : reinterpret_cast<HFONT>(SendMessageW(s.hwnd, WM_GETFONT, 0, 0)));
  const COLORREF old_text = SetTextColor(dc, ColorToRGB(colour));
  const COLORREF old_back = SetBkColor(dc, ColorToRGB(s.FaceColor()));
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  // Centred vertically in the room beside the picture as the caption wraps there.
  RECT measured = text;
  SkinDrawText(dc, s.caption, measured, format | DT_CALCRECT | DT_NOCLIP);
  OffsetRect(&text, 0, (Height(text) - Height(measured)) / 2);
  // Version 6 systems show the focus on a box without a rectangle.
  if (s.focused && !s.caption.empty() && NotVersion6()) s.DrawCaptionFocus(dc, format, text);
  SkinDrawText(dc, s.caption, text, format);
  SetBkMode(dc, old_mode);
  SetBkColor(dc, old_back);
  SetTextColor(dc, old_text);
}

}  // namespace

int CheckBoxCell(int cell, bool disabled, bool indeterminate, int cells) {
  if (disabled) cell += 2;
  if (indeterminate) cell = 4;
  // Grayed by its own state while disabled: the short layout has one cell for both.
  if (cell > 4) cell = 4;
  if (cells != 12) return cell;
  if (indeterminate) return disabled ? 12 : 9;
  switch (cell) {
    case 2: return 5;
    case 3: return 4;
    case 4: return 8;
    default: return cell;
  }
}

int RadioButtonCell(bool checked, bool disabled, int cells) {
  const int cell = (checked ? 2 : 1) + (disabled ? 2 : 0);
  if (cells != 8) return cell;
  switch (cell) {
    case 2: return 5;
    case 3: return 4;
    case 4: return 8;
    default: return cell;
  }
}

int ExistingCell(int cell, int cells) {
  if (cells < 1) cells = 1;
  if (cell >= 1 && cell <= cells) return cell;
  if (cell - 2 >= 1 && cell - 2 <= cells) return cell - 2;
  return 1;
}

// ---- Both kinds ----

void TSkinCheckButton::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  if (Inited) return;
  TSkinControl::Init(sf, sd, acanvas, acolor);
  kind = 0;
  if (!control) return;
  ChooseKind(*this, radio_);
  trans = control->Tag() == kSeeThroughTag || (sd && Has(sd->Options(), xoTransparent));
}

bool TSkinCheckButton::BeforeProc(TMessage& msg) {
  const bool pass = TSkinControl::BeforeProc(msg);
  switch (msg.Msg) {
    case WM_PAINT:
    case WM_PRINT:
      return TakePaint(*this, msg, radio_, pass);
    case WM_ERASEBKGND:
      if (!trans || !pass) return pass;
      WMEraseBkgnd(msg);
      return false;
    default:
      return pass;
  }
}

void TSkinCheckButton::AfterProc(TMessage& msg) {
  if (DrawsItself(msg.Msg)) Redraw();
  else TSkinControl::AfterProc(msg);
}

bool TSkinCheckButton::PaintsWholeControl() const { return kind == 1 && !trans && HasPicture(*this, radio_); }

void TSkinCheckButton::SkinChange() {
  ChooseKind(*this, radio_);
  TSkinControl::SkinChange();
}

void TSkinCheckButton::DrawControl(HDC dc, const RECT& rc) {
  auto skin = Skin();
  const TCheckPicture picture = PictureOf(skin.get(), radio_);
  if (!picture.image) {
    // Nothing to paint with: the control paints itself from its next paint on.
    if (kind == 1 && !trans) FillFace(dc, rc);
    if (std::exchange(kind, 0) == 1 && hwnd) InvalidateRect(hwnd, nullptr, TRUE);
    return;
  }
  PaintCheck(*this, dc, rc, picture, StateCell(picture.cells), radio_, trans);
}

// ---- TSkinCheckBox ----

void TSkinCheckBox::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  if (Inited) return;
  checkstate = 0;
  TSkinCheckButton::Init(sf, sd, acanvas, acolor);
}

void TSkinCheckBox::AfterProc(TMessage& msg) {
  if (msg.Msg == BM_SETCHECK) checkstate = static_cast<int>(std::min<WPARAM>(msg.WParam, BST_INDETERMINATE)) + 1;
  TSkinCheckButton::AfterProc(msg);
}

int TSkinCheckBox::StateCell(int cells) {
  const LRESULT got = SendMessageW(hwnd, BM_GETSTATE, 0, 0);
  int cell = (got & BST_CHECKED) ? 2 : 1;
  if (control) {
    // A control's own state wins over its window's: other libraries' boxes may paint theirs.
    if (Declares(control, "State")) {
      const std::string value = LowerAscii(GetPropEnum(control, "State"));
      if (value.find("uncheck") != std::string::npos) cell = 1;
      else if (value.find("check") != std::string::npos) cell = 2;
      else if (value.find("gray") != std::string::npos) cell = 4;
    } else if (Declares(control, "Checked")) {
      cell = PropEnumIs(control, "Checked", "true") ? 2 : 1;
    }
    if (Declares(control, "DataField") && checkstate != 0) cell = checkstate == 3 ? 4 : checkstate;
    if (Declares(control, "DataBinding")) cell = 1;
  }
  const bool disabled = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_DISABLED) != 0;
  return CheckBoxCell(cell, disabled, (got & BST_INDETERMINATE) != 0, cells);
}

// ---- TSkinRadioButton ----

int TSkinRadioButton::StateCell(int cells) {
  bool checked = (SendMessageW(hwnd, BM_GETCHECK, 0, 0) & BST_CHECKED) != 0;
  if (control && Declares(control, "Checked")) checked = PropEnumIs(control, "Checked", "true");
  const bool disabled = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_DISABLED) != 0;
  return RadioButtonCell(checked, disabled, cells);
}

}  // namespace qn
