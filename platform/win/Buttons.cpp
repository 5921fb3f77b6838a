#include "platform/win/Buttons.h"

#include <windowsx.h>

#include <algorithm>
#include <array>

#include "platform/win/Blit.h"
#include "platform/win/Forms.h"
#include "platform/win/PaintBuffer.h"

namespace qn {

const TEnumInfo kButtonLayoutInfo{{"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};
const TEnumInfo kBitBtnKindInfo{
    {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry", "bkIgnore", "bkAll"}};

namespace {

// Brush where the source is white, the target kept where it is black.
constexpr DWORD kRopBrushWhereWhite = 0x00E20746;

// Below this sum of red, green and blue a pixel shows in the embossed (disabled) copy.
constexpr int kDarkSum = 3 * 0xC0;

}  // namespace

// ---- TButtonGlyph ----

TButtonGlyph::TButtonGlyph() : bitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = [this] {
    // A strip of square cells tells how many it holds; a NumGlyphs stored after the picture
    // still has the last word.
    const int w = bitmap_->Width(), h = bitmap_->Height();
    if (h > 0 && w % h == 0 && w / h <= 4) num_glyphs_ = w / h;
    Changed();
  };
}

void TButtonGlyph::Changed() {
  prepared_ = false;
  if (OnChange) OnChange();
}

void TButtonGlyph::SetNumGlyphs(int n) {
  n = std::clamp(n, 1, 4);
  if (n == num_glyphs_) return;
  num_glyphs_ = n;
  Changed();
}

SIZE TButtonGlyph::CellSize() const {
  if (bitmap_->Empty()) return {0, 0};
  const int w = bitmap_->Width() / num_glyphs_;
  return w > 0 ? SIZE{w, bitmap_->Height()} : SIZE{0, 0};
}

void TButtonGlyph::Prepare() {
  if (prepared_) return;
  prepared_ = true;
  mask_.Reset();
  shape_.Reset();
  const SIZE cell = CellSize();
  if (cell.cx == 0) return;
  TBitmap rows;
  rows.Assign(bitmap_.get());
  rows.SetPixelFormat(TPixelFormat::pf24bit);
  const int h = rows.Height();
  COLORREF key;
  if (bitmap_->TransparentColor() != clDefault) {
    key = ColorToRGB(bitmap_->TransparentColor());
  } else {
    const uint8_t* corner = rows.ScanLine(h - 1);
    key = RGB(corner[2], corner[1], corner[0]);
  }
  mask_ = rows.MakeMask(static_cast<TColor>(key));

  TBitmap shape(cell.cx, h, TPixelFormat::pf24bit);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = rows.ScanLine(y);
    uint8_t* dst = shape.ScanLine(y);
    for (int x = 0; x < cell.cx; ++x, src += 3, dst += 3) {
      const bool opaque = RGB(src[2], src[1], src[0]) != key;
      const bool shows = opaque && src[0] + src[1] + src[2] < kDarkSum;
      dst[0] = dst[1] = dst[2] = shows ? 0xFF : 0x00;
    }
  }
  shape_ = shape.MakeMask(clWhite);
}

void TButtonGlyph::Draw(HDC dc, int x, int y, TGlyphState state) {
  Prepare();
  if (!mask_) return;
  const SIZE cell = CellSize();
  if (state == TGlyphState::gsDisabled && num_glyphs_ < 2) {
    if (!shape_) return;
    TMemDCHandle source = MakeMemDC(dc);
    TScopedSelect shape(source.Get(), shape_.Get());
    TScopedSelect brush(dc, GetStockObject(DC_BRUSH));
    // A monochrome source: 1 bits become the background colour (white), 0 bits the text colour.
    const COLORREF old_text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF old_back = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF old_brush = SetDCBrushColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    BitBlt(dc, x + 1, y + 1, cell.cx, cell.cy, source.Get(), 0, 0, kRopBrushWhereWhite);
    SetDCBrushColor(dc, GetSysColor(COLOR_BTNSHADOW));
    BitBlt(dc, x, y, cell.cx, cell.cy, source.Get(), 0, 0, kRopBrushWhereWhite);
    SetDCBrushColor(dc, old_brush);
    SetBkColor(dc, old_back);
    SetTextColor(dc, old_text);
    return;
  }
  int index = static_cast<int>(state);
  if (index >= num_glyphs_) index = 0;
  BlitTransparent(dc, x, y, cell.cx, cell.cy, bitmap_->DC(), index * cell.cx, 0, mask_.Get());
}

// ---- layout ----

TGlyphPlacement PlaceGlyphAndCaption(HDC dc, SIZE client, SIZE glyph, const std::wstring& caption,
                                     TButtonLayout layout, int margin, int spacing) {
  const bool across = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
  RECT room{2, 2, client.cx - 2, client.cy - 2};
  if (across) room.right -= glyph.cx + 2;
  else room.bottom -= glyph.cy + 2;
  SIZE text{0, 0};
  if (!caption.empty()) {
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &room, DT_CALCRECT | DT_WORDBREAK);
    text = {room.right - room.left, room.bottom - room.top};
  }

  TGlyphPlacement out;
  POINT at{0, 0};  // the caption's top-left corner
  if (across) {
    out.glyph.y = (client.cy - glyph.cy + 1) / 2;
    at.y = (client.cy - text.cy + 1) / 2;
  } else {
    out.glyph.x = (client.cx - glyph.cx + 1) / 2;
    at.x = (client.cx - text.cx + 1) / 2;
  }
  // Along the layout's axis.
  const int room_size = across ? client.cx : client.cy;
  const int glyph_size = across ? glyph.cx : glyph.cy;
  const int text_size = across ? text.cx : text.cy;
  if (text.cx == 0 || glyph.cx == 0) spacing = 0;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (room_size - (glyph_size + text_size)) / 3;
      spacing = margin;
    } else {
      margin = (room_size - (glyph_size + spacing + text_size)) / 2;
    }
  } else if (spacing == -1) {
    spacing = (room_size - (margin + glyph_size) - text_size) / 2;
  }
  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      out.glyph.x = margin;
      at.x = margin + glyph.cx + spacing;
      out.text_format = DT_LEFT;
      break;
    case TButtonLayout::blGlyphRight:
      out.glyph.x = client.cx - margin - glyph.cx;
      at.x = out.glyph.x - spacing - text.cx;
      out.text_format = DT_RIGHT;
      break;
    case TButtonLayout::blGlyphTop:
      out.glyph.y = margin;
      at.y = margin + glyph.cy + spacing;
      out.text_format = DT_CENTER;
      break;
    case TButtonLayout::blGlyphBottom:
      out.glyph.y = client.cy - margin - glyph.cy;
      at.y = out.glyph.y - spacing - text.cy;
      out.text_format = DT_CENTER;
      break;
  }
  out.text = {at.x, at.y, at.x + text.cx, at.y + text.cy};
  return out;
}

// ---- TBitBtn ----

QN_CLASS_IMPL(TBitBtn, TButton,
              {prop::Obj("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph),
               prop::Enum("Kind", kBitBtnKindInfo, &TBitBtn::Kind, &TBitBtn::SetKind),
               prop::Enum("Layout", kButtonLayoutInfo, &TBitBtn::Layout, &TBitBtn::SetLayout),
               prop::Int("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin),
               prop::Int("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs),
               prop::Int("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing)})

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
  glyph_.OnChange = [this] { Invalidate(); };
}

void TBitBtn::SetGlyph(TBitmap* glyph) {
  TBitmap empty;
  glyph_.Bitmap()->Assign(glyph ? glyph : &empty);
}

void TBitBtn::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  Invalidate();
}

void TBitBtn::SetMargin(int margin) {
  margin_ = std::max(margin, -1);
  Invalidate();
}

void TBitBtn::SetSpacing(int spacing) {
  spacing_ = std::max(spacing, -1);
  Invalidate();
}

namespace {

struct TKindDefaults {
  const wchar_t* caption;
  int modal_result;
};

constexpr std::array<TKindDefaults, 11> kKindDefaults{{
    {L"", mrNone},          {L"OK", mrOk},           {L"Cancel", mrCancel},  {L"&Help", mrNone},
    {L"&Yes", mrYes},       {L"&No", mrNo},          {L"&Close", mrNone},    {L"Abort", mrAbort},
    {L"&Retry", mrRetry},   {L"&Ignore", mrIgnore},  {L"&All", mrAll},
}};

}  // namespace

void TBitBtn::SetKind(TBitBtnKind kind) {
  kind_ = kind;
  if (kind == TBitBtnKind::bkCustom) return;
  const TKindDefaults& d = kKindDefaults[static_cast<size_t>(kind)];
  const bool is_default = kind == TBitBtnKind::bkOK || kind == TBitBtnKind::bkYes;
  const bool is_cancel = kind == TBitBtnKind::bkCancel || kind == TBitBtnKind::bkNo;
  // What the form description stored, before or after Kind, wins over the kind's defaults.
  const bool fill_only = Loading();
  if (!fill_only || Caption().empty()) SetCaption(d.caption);
  if (!fill_only || ModalResult() == mrNone) SetModalResult(d.modal_result);
  if (!fill_only || !Default()) SetDefault(is_default);
  if (!fill_only || !Cancel()) SetCancel(is_cancel);
}

void TBitBtn::Click() {
  TButton::Click();
  if (kind_ != TBitBtnKind::bkClose) return;
  TWinControl* top = Parent();
  while (top && top->Parent()) top = top->Parent();
  if (auto* form = dynamic_cast<TCustomForm*>(top)) form->Close();
}

void TBitBtn::CreateParams(TCreateParams& p) {
  TButton::CreateParams(p);
  p.style = (p.style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

bool TBitBtn::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam));
      m.Result = TRUE;
      return true;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button takes a quick second press as a double-click and does not
      // press; as a push button it must press again.
      m.Msg = WM_LBUTTONDOWN;
      return TButton::HandleMessage(m);
    default:
      return TButton::HandleMessage(m);
  }
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
  const RECT& area = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool thick = focused || Default();

  TPaintBuffer buffer(item.hDC, area);
  HDC dc = buffer.DC();
  TScopedSelect font(dc, Font()->Handle());

  // The frame: a black line around the default or focused button, then the raised edge, or
  // when pressed a flat shadow line (default) or a sunken edge.
  FillSolidRect(dc, area, GetSysColor(COLOR_BTNFACE));
  RECT edge = area;
  if (thick) {
    const COLORREF black = GetSysColor(COLOR_WINDOWFRAME);
    Frame3D(dc, edge, black, black, 1);
  }
  if (pressed && thick) {
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    Frame3D(dc, edge, shadow, shadow, 1);
  } else {
    DrawEdge(dc, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }

  const SIZE size{area.right - area.left, area.bottom - area.top};
  const std::wstring caption = Caption();
  const TGlyphPlacement at = PlaceGlyphAndCaption(dc, size, glyph_.CellSize(), caption, layout_, margin_, spacing_);
  const int shift = pressed ? 1 : 0;
  const int x0 = area.left + shift, y0 = area.top + shift;

  const TGlyphState state = disabled  ? TGlyphState::gsDisabled
                            : pressed ? TGlyphState::gsPressed
                                      : TGlyphState::gsNormal;
  glyph_.Draw(dc, x0 + at.glyph.x, y0 + at.glyph.y, state);

  if (!caption.empty()) {
    RECT text = at.text;
    OffsetRect(&text, x0, y0);
    const UINT format = at.text_format | DT_WORDBREAK;
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
      RECT light = text;
      OffsetRect(&light, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &light, format);
      SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
      SetTextColor(dc, ColorToRGB(Font()->Color()));
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
  }

  if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT ring = area;
    InflateRect(&ring, -4, -4);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &ring);
  }
  buffer.CopyOut();
}


// ---- TSpeedButton ----

QN_CLASS_IMPL(TSpeedButton, TGraphicControl,
              {prop::Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp),
               // Stored before Down: only a grouped button can be Down.
               prop::Int("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex),
               prop::Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown),
               prop::Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat),
               prop::Obj("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph),
               prop::Enum("Layout", kButtonLayoutInfo, &TSpeedButton::Layout, &TSpeedButton::SetLayout),
               prop::Int("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin),
               prop::Int("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs),
               prop::Int("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing)})

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 23, 22);
  // The release makes the click here, after the group has latched.
  SetClickEvents(false);
  glyph_.OnChange = [this] { Invalidate(); };
}

void TSpeedButton::SetGlyph(TBitmap* glyph) {
  TBitmap empty;
  glyph_.Bitmap()->Assign(glyph ? glyph : &empty);
}

void TSpeedButton::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  Invalidate();
}

void TSpeedButton::SetMargin(int margin) {
  margin_ = std::max(margin, -1);
  Invalidate();
}

void TSpeedButton::SetSpacing(int spacing) {
  spacing_ = std::max(spacing, -1);
  Invalidate();
}

void TSpeedButton::SetFlat(bool flat) {
  flat_ = flat;
  Invalidate();
}

template <class F>
void TSpeedButton::ForEachInGroup(F&& f) {
  if (!parent_ || group_index_ == 0) return;
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    auto* other = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
    if (other && other != this && other->group_index_ == group_index_) f(*other);
  }
}

void TSpeedButton::LetUp() {
  if (!down_) return;
  down_ = false;
  Invalidate();
}

void TSpeedButton::SetDown(bool down) {
  if (group_index_ == 0) down = false;
  if (down == down_) return;
  if (down_ && !allow_all_up_) return;
  down_ = down;
  if (down_) ForEachInGroup([](TSpeedButton& other) { other.LetUp(); });
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int index) {
  group_index_ = std::max(index, 0);
  if (group_index_ == 0) LetUp();
  else if (down_) ForEachInGroup([](TSpeedButton& other) { other.LetUp(); });
}

void TSpeedButton::SetAllowAllUp(bool allow) {
  allow_all_up_ = allow;
  ForEachInGroup([allow](TSpeedButton& other) { other.allow_all_up_ = allow; });
}

void TSpeedButton::WndProc(TMessage& m) {
  const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  const RECT client = ClientRect();
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Enabled()) {
        dragging_ = true;
        inside_ = true;
        Invalidate();
      }
      break;
    case WM_MOUSEMOVE:
      // The parent holds the mouse for the press: moves away from the button still come here.
      if (dragging_ && PtInRect(&client, p) != inside_) {
        inside_ = !inside_;
        Invalidate();
      }
      break;
    case WM_LBUTTONUP: {
      if (!dragging_) break;
      dragging_ = false;
      inside_ = false;
      const bool click = PtInRect(&client, p) != FALSE;
      if (click) SetDown(!down_);
      Invalidate();
      TGraphicControl::WndProc(m);
      if (click) Click();
      return;
    }
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      mouse_in_ = m.Msg == CM_MOUSEENTER;
      if (flat_ && Enabled()) Invalidate();
      break;
    default:
      break;
  }
  TGraphicControl::WndProc(m);
}

void TSpeedButton::Paint() {
  HDC target = Canvas().Handle();
  const RECT area{0, 0, Width(), Height()};
  if (!target || IsRectEmpty(&area)) return;
  TPaintBuffer buffer(target, area);
  HDC dc = buffer.DC();
  TScopedSelect font(dc, Font()->Handle());

  const bool enabled = Enabled();
  const bool sunk = Pressed() || down_;
  FillSolidRect(dc, area, GetSysColor(COLOR_BTNFACE));
  RECT edge = area;
  if (sunk) DrawEdge(dc, &edge, flat_ ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
  else if (!flat_) DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
  else if (mouse_in_ && enabled) DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);

  const std::wstring caption = Caption();
  const TGlyphPlacement at =
      PlaceGlyphAndCaption(dc, SIZE{area.right, area.bottom}, glyph_.CellSize(), caption, layout_, margin_, spacing_);
  const int shift = sunk ? 1 : 0;
  const TGlyphState state = !enabled   ? TGlyphState::gsDisabled
                            : Pressed() ? TGlyphState::gsPressed
                            : down_     ? TGlyphState::gsDown
                                        : TGlyphState::gsNormal;
  glyph_.Draw(dc, at.glyph.x + shift, at.glyph.y + shift, state);

  if (!caption.empty()) {
    RECT text = at.text;
    OffsetRect(&text, shift, shift);
    const UINT format = at.text_format | DT_WORDBREAK;
    SetBkMode(dc, TRANSPARENT);
    if (!enabled) {
      RECT light = text;
      OffsetRect(&light, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &light, format);
      SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
      SetTextColor(dc, ColorToRGB(Font()->Color()));
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
  }
  buffer.CopyOut();
}

}  // namespace qn
