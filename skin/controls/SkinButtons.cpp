#include "skin/controls/SkinButtons.h"

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

QN_CLASS_IMPL(TSkinButton, TSkinControl)
QN_CLASS_IMPL(TSkinBitButton, TSkinButton)
QN_CLASS_IMPL(TSkinMenuButton, TSkinButton)

namespace {

constexpr int kTransparentTag = 5555;  // a button with this tag shows its parent behind its face
constexpr DWORD kRopDSPDxax = 0xE20746;  // the brush where the source is white, else the target

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

HFONT WindowFont(HWND wnd) {
  return wnd ? reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0)) : nullptr;
}

// The control's published font, or null.
TFont* PublishedFont(TObject* target) { return dynamic_cast<TFont*>(GetPropObject(target, "Font")); }

SIZE MeasureCaption(HDC dc, const std::wstring& caption, RECT room) {
  if (caption.empty()) return SIZE{0, 0};
  SkinDrawText(dc, caption, room, DT_CALCRECT | DT_WORDBREAK);
  return SIZE{Width(room), Height(room)};
}

// The layout a button's "Layout" enumeration names, lower-cased; the glyph on the left for
// anything else.
TButtonLayout LayoutOf(const std::string& layout) {
  if (layout == "blglyphright") return TButtonLayout::blGlyphRight;
  if (layout == "blglyphtop") return TButtonLayout::blGlyphTop;
  if (layout == "blglyphbottom") return TButtonLayout::blGlyphBottom;
  return TButtonLayout::blGlyphLeft;
}

}  // namespace

int PushButtonFrame(bool focused_or_default, bool pressed, bool hot, bool disabled) {
  int frame = kFrameNormal;
  if (focused_or_default) frame = kFrameFocused;
  if (pressed) frame = kFramePressed;
  else if (hot) frame = kFrameHot;
  if (disabled) frame = kFrameDisabled;
  return frame;
}

std::wstring ReplaceFirst(const std::wstring& text, const std::wstring& find, const std::wstring& replacement) {
  if (find.empty()) return text;
  const size_t at = text.find(find);
  if (at == std::wstring::npos) return text;
  std::wstring out = text;
  out.replace(at, find.size(), replacement);
  return out;
}

std::unique_ptr<TBitmap> MakeDisabledGlyph(TBitmap& source) {
  const int w = source.Width(), h = source.Height();
  auto result = std::make_unique<TBitmap>(w, h, TPixelFormat::pfDevice);
  if (source.Empty()) return result;
  HDC src = source.DC();
  const COLORREF key = GetPixel(src, 0, h - 1);
  // 1 where the glyph vanishes (its transparent colour, and white), 0 where it has ink.
  TBitmapHandle mono(CreateBitmap(w, h, 1, 1, nullptr));
  TMemDCHandle mono_dc = MakeMemDC();
  if (!mono || !mono_dc) return result;
  TScopedSelect mono_in(mono_dc.Get(), mono.Get());
  const COLORREF old_bk = SetBkColor(src, key);
  BitBlt(mono_dc.Get(), 0, 0, w, h, src, 0, 0, SRCCOPY);
  SetBkColor(src, RGB(255, 255, 255));
  BitBlt(mono_dc.Get(), 0, 0, w, h, src, 0, 0, SRCPAINT);
  SetBkColor(src, old_bk);

  HDC dc = result->DC();
  FillColor(dc, RECT{0, 0, w, h}, clBtnFace);
  // The ink's 0 bits come out white and so take the brush; the rest keeps the face.
  const COLORREF old_text = SetTextColor(dc, RGB(255, 255, 255));
  const COLORREF old_back = SetBkColor(dc, RGB(0, 0, 0));
  auto emboss = [&](int offset, int system_colour) {
    TBrushHandle brush = MakeSolidBrush(GetSysColor(system_colour));
    if (!brush) return;
    TScopedSelect in(dc, brush.Get());
    BitBlt(dc, offset, offset, w, h, mono_dc.Get(), 0, 0, kRopDSPDxax);
  };
  emboss(1, COLOR_BTNHIGHLIGHT);
  emboss(0, COLOR_BTNSHADOW);
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_back);
  return result;
}

// ---- TSkinButton ----

TSkinButton::TSkinButton(TComponent* owner) : TSkinControl(owner) {}

void TSkinButton::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) {
  TSkinControl::Init(sf, sd, acanvas, acolor);
  kind = 0;
  TControl* target = Target();
  if (!target) return;
  // These libraries' buttons fire their mouse-down event themselves.
  const std::string name = LowerAscii(target->ClassName());
  if (name.rfind("trz", 0) == 0 || name.rfind("tel", 0) == 0) kind = 1;
  if (target->Tag() == kTransparentTag || (sd && Has(sd->Options(), xoTransparent))) trans = true;
}

bool TSkinButton::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT:
      WMPaint(msg);
      return false;
    case WM_ERASEBKGND:
      msg.Result = 1;
      return false;
    case WM_TIMER: {
      if (hwnd) {
        KillTimer(hwnd, 1);
        LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        if (std::exchange(redraw, false)) style |= WS_VISIBLE;
        SetWindowLongW(hwnd, GWL_STYLE, style);
      }
      return false;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The native button never sees the press: it would show its own pressed look.
      if (hwnd && GetFocus() != hwnd) {
        // The program's handlers of the focus change may free the control.
        auto alive = alive_;
        SetFocus(hwnd);
        if (!*alive) return false;
      }
      if (!hwnd) return false;
      state |= kStatePressed;
      PaintControl(nullptr);
      if (kind == 0 && control) RunTheirs([&] { ForwardMouseDown(msg); });
      return false;
    default:
      return TSkinControl::BeforeProc(msg);
  }
}

void TSkinButton::AfterProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_SETTEXT:
    case CM_TEXTCHANGED:
      text_known_ = false;
      PaintControl(nullptr);
      return;
    case WM_KEYDOWN:
    case WM_KEYUP:
      // The native button makes the space bar's click; the skinner shows the press.
      if (msg.WParam != VK_SPACE) return TSkinControl::AfterProc(msg);
      if (msg.Msg == WM_KEYDOWN) state |= kStatePressed;
      else state &= ~kStatePressed;
      Redraw();
      return;
    case WM_MOUSEMOVE:
      if (enabled && !(state & kStateHot)) {
        state |= kStateHot;
        Redraw();
      }
      if (hwnd) TrackMouseLeave(hwnd);
      return;
    case WM_MOUSELEAVE:
      state &= ~(kStateHot | kStatePressed);
      Redraw();
      return;
    case WM_LBUTTONUP:
      if (!(state & kStatePressed)) return;
      state &= ~kStatePressed;
      Redraw();
      Click();
      return;
    case WM_SETFONT:
    case CM_FONTCHANGED:
    case CM_PARENTFONTCHANGED:
    case WM_SYSCOLORCHANGE:
      // A font changed in place may come back under its old handle.
      ForgetPicture();
      TSkinControl::AfterProc(msg);
      return;
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case CM_DIALOGKEY:
    case CM_FOCUSCHANGED:
      // The native button paints its own look straight onto the screen for these.
      Redraw();
      return;
    default:
      TSkinControl::AfterProc(msg);
  }
}

void TSkinButton::Click() {
  if (control) {
    RunTheirs([&] { control->Click(); });
    return;
  }
  if (!hwnd) return;
  const HWND parent = GetParent(hwnd);
  if (LowerAscii(GetWndClassName(hwnd)) == L"tbutton") {
    PostMessageW(parent, WM_COMMAND, 0, reinterpret_cast<LPARAM>(hwnd));
  } else {
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
  }
}

TDataSkinButton* TSkinButton::ButtonObject(TSkinObjects& skin) const {
  TDataSkinButton* button = skin.Button.get();
  if (!button || button->Map.Empty()) return nullptr;
  return button;
}

bool TSkinButton::PaintsWholeControl() const {
  auto skin = Skin();
  if (!skin || !ButtonObject(*skin)) return false;
  return !(GControl && PropEnumIs(GControl, "Visible", "false"));
}

void TSkinButton::ReadState() {
  focused = HasFocus();
  enabled = !hwnd || !(GetWindowLongW(hwnd, GWL_STYLE) & WS_DISABLED);
  TControl* target = Target();
  if (!text_known_) {
    text_ = target ? GetPropText(target, "Caption") : GetWndText(hwnd);
    text_known_ = true;
  }
  caption = text_;
  if (target) MultiLine = PropEnumIs(target, "MultiLine", "true");
}

bool TSkinButton::Defaulted() const { return PropEnumIs(Target(), "Default", "true"); }

bool TSkinButton::ShowsFocusRect() const { return focused && !(fsd && Has(fsd->Options(), xoNoFocusRect)); }

void TSkinButton::DrawFace(HDC dc, const RECT& rc, TDataSkinButton& button, int frame) {
  TControl* target = Target();
  if (trans && target) DrawParentImage(target, dc);
  else FillFace(dc, rc);
  // A skin with fewer faces than the state asks for shows its first.
  const int frames = std::max(1, button.frame);
  DrawSkinMap(dc, rc, button, frame > frames ? kFrameNormal : frame, frames);
}

TColor TSkinButton::CaptionColor(TDataSkinButton& button, int frame, TColor normal) const {
  TColor color = normal;
  if (button.newnormal) color = button.Normalcolor2;
  if (frame == kFrameHot && button.newover) color = button.Overcolor2;
  if (frame == kFramePressed && button.newdown) color = button.Downcolor2;
  if (!enabled) color = clBtnShadow;
  return color;
}

void TSkinButton::ReadFace(TSkinObjects& skin, TDataSkinButton& button, const RECT& rc, TFace& face) {
  ReadState();
  face.skin = &skin;
  face.width = Width(rc);
  face.height = Height(rc);
  face.frame = PushButtonFrame(focused || Defaulted(), state & kStatePressed, state & kStateHot, !enabled);
  face.focus_rect = ShowsFocusRect();
  face.multiline = MultiLine;
  TColor color;
  if (TControl* target = Target()) {
    TFont* published = PublishedFont(target);
    face.font = published ? published->Handle() : WindowFont(hwnd);
    color = published ? published->Color() : clBtnText;
  } else {
    face.font = WindowFont(hwnd);
    color = skin.Colors[4];
  }
  face.colour = ColorToRGB(CaptionColor(button, face.frame, color));
  face.bidi = CheckBiDi(0);
  face.caption = caption;
}

bool TSkinButton::PictureUnchanged(const RECT& rc) {
  if (!drawn_known_ || trans || &ClassType() != &TSkinButton::StaticClass()) return false;
  auto skin = Skin();
  TDataSkinButton* button = skin ? ButtonObject(*skin) : nullptr;
  if (!button || drawn_skin_.lock() != skin) return false;
  TFace now;
  ReadFace(*skin, *button, rc, now);
  return now == drawn_;
}

void TSkinButton::DrawControl(HDC dc, const RECT& rc) {
  drawn_known_ = false;
  auto skin = Skin();
  TDataSkinButton* button = skin ? ButtonObject(*skin) : nullptr;
  if (!button) return;
  TFace face;
  ReadFace(*skin, *button, rc, face);
  DrawFace(dc, rc, *button, face.frame);
  TScopedSelect font_in(dc, face.font);
  const COLORREF old_color = SetTextColor(dc, face.colour);
  DrawButtonCaption(dc, rc, DT_CENTER);
  SetTextColor(dc, old_color);
  drawn_ = std::move(face);
  drawn_skin_ = skin;
  drawn_known_ = true;
}

void TSkinButton::DrawButtonCaption(HDC dc, const RECT& rect, UINT alignment) {
  const UINT flags = alignment | DT_EXPANDTABS | DT_WORDBREAK;
  caption = ReplaceFirst(caption, L"||", L"\r\n");
  RECT t = rect;
  InflateRect(&t, -2, -2);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  SkinDrawText(dc, caption, t, flags | DT_CALCRECT | DT_NOCLIP);
  OffsetRect(&t, rect.left - t.left, rect.top - t.top);
  const int dy = (Height(rect) - Height(t)) / 2 - 1;
  if (alignment == DT_CENTER) {
    OffsetRect(&t, (Width(rect) - Width(t)) / 2, dy);
  } else {
    OffsetRect(&t, 0, dy);
    t.left = rect.left;
    t.right = rect.right;
  }
  SkinDrawText(dc, caption, t, CheckBiDi(flags));
  SetBkMode(dc, old_mode);
  if (ShowsFocusRect()) {
    InflateRect(&t, 2, 2);
    DrawFocusRect(dc, &t);
  }
}

void TSkinButton::DrawPlacedCaption(HDC dc, const RECT& rect, UINT format, TColor colour) {
  if (caption.empty()) return;
  const COLORREF old_color = SetTextColor(dc, ColorToRGB(colour));
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  RECT t = rect;
  SkinDrawText(dc, caption, t, format);
  SetBkMode(dc, old_mode);
  SetTextColor(dc, old_color);
  if (ShowsFocusRect()) {
    RECT f = rect;
    InflateRect(&f, 2, 2);
    DrawFocusRect(dc, &f);
  }
}

// ---- TSkinBitButton ----

void TSkinBitButton::DrawGlyph(HDC dc, POINT at, int count, int index, TBitmap& bitmap) {
  if (count < 1) count = 1;
  // A one-cell glyph has no disabled cell of its own: it is embossed instead.
  const bool embossed = index == 2 && count == 1;
  if (index > count || index < 1) index = 1;
  const int w = bitmap.Width() / count, h = bitmap.Height();
  if (w <= 0 || h <= 0) return;
  std::unique_ptr<TBitmap> picture;
  if (embossed) {
    picture = MakeDisabledGlyph(bitmap);
  } else {
    picture = std::make_unique<TBitmap>(w, h, TPixelFormat::pfDevice);
    if (picture->Empty()) return;
    BitBlt(picture->DC(), 0, 0, w, h, bitmap.DC(), (index - 1) * w, 0, SRCCOPY);
  }
  if (picture->Empty()) return;
  const COLORREF key = GetPixel(picture->DC(), 0, picture->Height() - 1);
  DrawTransparent(dc, RECT{at.x, at.y, at.x + picture->Width(), at.y + picture->Height()}, *picture,
                  static_cast<TColor>(key));
}

void TSkinBitButton::DrawControl(HDC dc, const RECT& rc) {
  auto skin = Skin();
  TDataSkinButton* button = skin ? ButtonObject(*skin) : nullptr;
  if (!button) return;
  if (GControl && PropEnumIs(GControl, "Visible", "false")) return;
  // A picture button draws the picture property PicField names, whole, instead of a cell of
  // the glyph strip, and shows the focused face for the focus alone, never for the default.
  const bool picture_path = !PicField.empty();
  ReadState();
  const int frame = PushButtonFrame(focused || (!picture_path && Defaulted()), state & kStatePressed,
                                    state & kStateHot, !enabled);
  const int cell = frame == kFrameDisabled ? 2 : frame == kFramePressed ? 3 : 1;
  DrawFace(dc, rc, *button, frame);

  TControl* target = Target();
  TFont* published = PublishedFont(target);
  TScopedSelect font_in(dc, published ? published->Handle() : WindowFont(hwnd));
  auto* picture = dynamic_cast<TBitmap*>(GetPropObject(target, picture_path ? WideToUtf8(PicField) : "Glyph"));
  if (picture && picture->Empty()) picture = nullptr;
  // No cell count, or a nonsensical one, is one cell.
  const int cells = picture_path ? 1 : std::max(1, GetPropInt(target, "NumGlyphs"));
  const int margin = GetPropInt(target, "Margin"), spacing = GetPropInt(target, "Spacing");
  const TButtonLayout layout = LayoutOf(LowerAscii(GetPropEnum(target, "Layout")));
  // Centred, the margin is worked out as when it is not set.
  const bool centred = LowerAscii(GetPropEnum(target, "Alignment")) == "tacenter";

  const SIZE g = picture ? SIZE{picture->Width() / cells, picture->Height()} : SIZE{0, 0};
  caption = ReplaceFirst(caption, L"||", L"\r\n");
  const TGlyphPlacement place =
      PlaceGlyphAndCaption(dc, SIZE{Width(rc), Height(rc)}, g, caption, layout, centred ? -1 : margin, spacing);

  if (picture && picture_path) picture->Draw(dc, place.glyph.x, place.glyph.y);
  else if (picture) DrawGlyph(dc, place.glyph, cells, cell, *picture);
  const UINT format = DT_WORDBREAK | place.text_format;
  DrawPlacedCaption(dc, place.text, picture_path ? format : CheckBiDi(format),
                    CaptionColor(*button, frame, published ? published->Color() : clBtnText));
}

// ---- TSkinMenuButton ----

void TSkinMenuButton::DrawControl(HDC dc, const RECT& rc) {
  auto skin = Skin();
  TDataSkinButton* button = skin ? ButtonObject(*skin) : nullptr;
  if (!button) return;
  ReadState();
  // The focused face is the hot one here.
  int frame = kFrameNormal;
  if (focused) frame = kFrameHot;
  if (state & kStatePressed) frame = kFramePressed;
  else if (state & kStateHot) frame = kFrameHot;
  if (!enabled) frame = kFrameDisabled;
  DrawFace(dc, rc, *button, frame);

  TControl* target = Target();
  TFont* published = PublishedFont(target);
  TScopedSelect font_in(dc, published ? published->Handle() : WindowFont(hwnd));
  auto* glyph = dynamic_cast<TBitmap*>(GetPropObject(target, "Glyph"));
  if (glyph && glyph->Empty()) glyph = nullptr;
  int margin = GetPropInt(target, "Margin"), spacing = GetPropInt(target, "Spacing");
  const SIZE client{Width(rc), Height(rc)};
  const SIZE g = glyph ? SIZE{glyph->Width(), glyph->Height()} : SIZE{0, 0};
  const SIZE arrow{8, 3};
  caption = ReplaceFirst(caption, L"||", L"\r\n");
  RECT room{2, 2, rc.right - g.cx - arrow.cx - 2, rc.bottom - 2};
  const SIZE s = MeasureCaption(dc, caption, room);
  if (margin == -1 && spacing == -1) {
    margin = (client.cx - (g.cx + s.cx + arrow.cx)) / 4;
    spacing = margin;
  } else if (margin == -1) {
    margin = (client.cx - (g.cx + s.cx + arrow.cx + 2 * spacing)) / 2;
  } else if (spacing == -1) {
    spacing = ((client.cx - (2 * margin + g.cx - arrow.cx)) - s.cx) / 2;
  }
  const POINT glyph_at{margin, (client.cy - g.cy) / 2};
  const POINT text_at{margin + g.cx + spacing, (client.cy - s.cy + 1) / 2};
  const POINT anchor{text_at.x + 2 * spacing + s.cx, (client.cy - arrow.cy) / 2};
  if (glyph) TSkinBitButton::DrawGlyph(dc, glyph_at, 1, 1, *glyph);

  TColor text_color = published ? published->Color() : clBtnText;
  if (frame == kFrameNormal && button->newnormal) text_color = button->Normalcolor2;
  if (frame == kFrameHot && button->newover) text_color = button->Overcolor2;
  if (frame == kFramePressed && button->newdown) text_color = button->Downcolor2;
  TColor mark = clWindowText;
  if (!enabled) text_color = mark = clBtnShadow;
  {
    TBrushHandle brush = MakeSolidBrush(ColorToRGB(mark));
    TPenHandle pen = MakePen(PS_SOLID, 1, ColorToRGB(mark));
    if (brush && pen) {
      TScopedSelect brush_in(dc, brush.Get());
      TScopedSelect pen_in(dc, pen.Get());
      const POINT corners[3] = {{anchor.x, anchor.y + 2}, {anchor.x - 3, anchor.y - 1}, {anchor.x + 3, anchor.y - 1}};
      Polygon(dc, corners, 3);
    }
  }
  DrawPlacedCaption(dc, RECT{text_at.x, text_at.y, text_at.x + s.cx, text_at.y + s.cy}, DT_WORDBREAK, text_color);
}

}  // namespace qn
