#include "skin/controls/SkinSpeedButton.h"

#include <algorithm>

#include "platform/core/TextConv.h"
#include "platform/win/Buttons.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/Messages.h"
#include "platform/win/PropAccess.h"
#include "skin/data/SkinTypes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TSkinSpeedButton, TSkinBitButton)

namespace {

constexpr int kTransparentTag = 5555;  // the button shows its parent behind its face

TButtonLayout LayoutOf(const std::string& layout) {
  if (layout == "blglyphright") return TButtonLayout::blGlyphRight;
  if (layout == "blglyphtop") return TButtonLayout::blGlyphTop;
  if (layout == "blglyphbottom") return TButtonLayout::blGlyphBottom;
  return TButtonLayout::blGlyphLeft;
}

// A published bitmap, or the bitmap of a published picture; null when empty or absent.
TBitmap* PublishedBitmap(TObject* target, const std::string& name) {
  TObject* value = GetPropObject(target, name);
  TBitmap* bitmap = dynamic_cast<TBitmap*>(value);
  if (auto* picture = dynamic_cast<TPicture*>(value)) bitmap = picture->Bitmap();
  return bitmap && !bitmap->Empty() ? bitmap : nullptr;
}

}  // namespace

TSpeedLook SpeedButtonLook(bool down, bool enabled, bool pressed, bool hot) {
  if (down) return {kFramePressed, 4};
  if (!enabled) return {kFrameDisabled, 2};
  if (pressed) return {kFramePressed, 3};
  if (hot) return {kFrameHot, 1};
  return {kFrameNormal, 1};
}

void TSkinSpeedButton::InitGraphicControl(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas) {
  TSkinBitButton::InitGraphicControl(sf, sd, acanvas);
  if (!GControl) return;
  if (GControl->Tag() == kTransparentTag || (sd && Has(sd->Options(), xoTransparent))) trans = true;
}

bool TSkinSpeedButton::HasFace() const {
  auto skin = Skin();
  return skin && ButtonObject(*skin);
}

// A paint inside a paint (the parent's picture drawn behind a see-through button paints the
// button too) draws nothing: the picture under it must then be kept.
bool TSkinSpeedButton::PaintsWholeControl() const { return HasFace() && !FReentr; }

bool TSkinSpeedButton::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT:
      // Without a face to paint the button keeps its own plain look.
      if (!HasFace()) return true;
      if (msg.WParam) PaintControl(reinterpret_cast<HDC>(msg.WParam));
      msg.Result = 1;
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // The button runs its own press first; its handlers may free it.
      auto alive = alive_;
      CallOldProc(msg);
      if (!*alive) return false;
      state |= kStatePressed;
      PaintControl(nullptr);
      return false;
    }
    case WM_LBUTTONUP:
      return true;  // the button makes its own click
    default:
      return TSkinButton::BeforeProc(msg);
  }
}

void TSkinSpeedButton::AfterProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_ENABLE:
    case CM_FOCUSCHANGED:
    case CM_ENABLEDCHANGED:
    case WM_PAINT:
    case WM_MOUSEMOVE:  // hover comes from the enter and leave messages alone
      return;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (msg.WParam != VK_SPACE) return TSkinButton::AfterProc(msg);
      if (msg.Msg == WM_KEYDOWN) state |= kStatePressed;
      else state &= ~kStatePressed;
      PaintControl(nullptr);
      return;
    case WM_LBUTTONUP:
      state &= ~kStatePressed;
      PaintControl(nullptr);
      return;
    case CM_MOUSEENTER:
      state |= kStateHot;
      PaintControl(nullptr);
      return;
    case CM_MOUSELEAVE:
      state &= ~(kStateHot | kStatePressed);
      if (GControl && GControl->Visible()) PaintControl(nullptr);
      return;
    default:
      TSkinButton::AfterProc(msg);
  }
}

void TSkinSpeedButton::DrawSpeedbtn(HDC dc, const RECT& rc) {
  auto skin = Skin();
  TDataSkinButton* button = skin ? ButtonObject(*skin) : nullptr;
  TControl* target = Target();
  if (!button || !target) return;
  const bool picture_path = !PicField.empty();
  if (!picture_path && PropEnumIs(target, "Visible", "false")) return;
  if (FReentr) return;
  FReentr = true;
  struct TClear {
    bool& flag;
    ~TClear() { flag = false; }
  } clear{FReentr};

  focused = false;
  enabled = PropEnumIs(target, "Enabled", "true");
  const TSpeedLook look = SpeedButtonLook(PropEnumIs(target, "Down", "true"), enabled, state & kStatePressed,
                                          state & kStateHot);
  caption = GetPropText(target, "Caption");
  auto* font = dynamic_cast<TFont*>(GetPropObject(target, "Font"));
  TBitmap* glyph = PublishedBitmap(target, picture_path ? WideToUtf8(PicField) : "Glyph");
  const int cells = std::max(1, GetPropInt(target, "NumGlyphs"));
  const bool flat = PropEnumIs(target, "Flat", "true");
  const int margin = GetPropInt(target, "Margin"), spacing = GetPropInt(target, "Spacing");
  const TButtonLayout layout = LayoutOf(LowerAscii(GetPropEnum(target, "Layout")));

  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w < 1 || h < 1) return;
  TScopedSelect font_in(dc, font ? font->Handle() : nullptr);
  if (trans) DrawParentImage(target, dc);
  else FillFace(dc, rc);
  // A flat button shows its face only while hot, pressed or latched.
  if (look.frame == kFramePressed || look.frame == kFrameHot || !flat) {
    // A skin with fewer faces than the state asks for shows its first.
    const int frames = std::max(1, button->frame);
    DrawSkinMap(dc, rc, *button, look.frame > frames ? kFrameNormal : look.frame, frames);
  }

  const TColor text = font ? font->Color() : clBtnText;
  // The caption beside a glyph takes the skin's normal colour in the normal face only.
  auto placed_colour = [&] {
    TColor c = text;
    if (look.frame == kFrameNormal && button->newnormal) c = button->Normalcolor2;
    if (look.frame == kFrameHot && button->newover) c = button->Overcolor2;
    if (look.frame == kFramePressed && button->newdown) c = button->Downcolor2;
    if (!enabled) c = clBtnShadow;
    return c;
  };
  const SIZE g = glyph ? SIZE{glyph->Width() / cells, glyph->Height()} : SIZE{0, 0};
  if (g.cx <= 0 || g.cy <= 0) {
    const TColor c = picture_path ? placed_colour() : CaptionColor(*button, look.frame, text);
    const COLORREF old = SetTextColor(dc, ColorToRGB(c));
    DrawButtonCaption(dc, rc, DT_CENTER);
    SetTextColor(dc, old);
    return;
  }
  TGlyphPlacement place = PlaceGlyphAndCaption(dc, SIZE{w, h}, g, caption, layout, margin, spacing);
  // A centred glyph with a set gap (or no caption) sits one pixel further along than a
  // bitmap button's.
  const bool across = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
  const bool text_empty = place.text.right == place.text.left;
  if (margin == -1 && (spacing != -1 || text_empty)) {
    const int step = (layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphTop) ? 1 : -1;
    const int dx = across ? step : 0, dy = across ? 0 : step;
    place.glyph.x += dx;
    place.glyph.y += dy;
    OffsetRect(&place.text, dx, dy);
  }
  OffsetRect(&place.text, rc.left, rc.top);
  const POINT at{rc.left + place.glyph.x, rc.top + place.glyph.y};
  if (picture_path) glyph->Draw(dc, at.x, at.y);
  else DrawGlyph(dc, at, cells, look.cell, *glyph);
  DrawPlacedCaption(dc, place.text, CheckBiDi(DT_WORDBREAK | place.text_format), placed_colour());
}

}  // namespace qn
