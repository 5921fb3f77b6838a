#include "skin/controls/SkinRanges.h"

#include <algorithm>
#include <cstdint>

#include "platform/win/GdiObjects.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinBoxes.h"
#include "skin/data/ImgUtil.h"
#include "skin/data/SkinTypes.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TSkinTrackBar, TSkinControl)
QN_CLASS_IMPL(TSkinUpDown, TSkinControl)
QN_CLASS_IMPL(TSkinProgress, TSkinControl)

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

DWORD StyleOf(HWND wnd) { return static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE)); }

// An image that holds at least one pixel column for each of its `frames` frames.
bool HasFrames(const TBitmap& image, int frames) {
  return !image.Empty() && frames >= 1 && image.Width() / frames >= 1;
}

// A skin colour of the scheme, or the system's when there is no skin.
TColor SchemeColor(const TSkinControl& skinner, int index, TColor fallback) {
  auto skin = skinner.Skin();
  return skin ? skin->Colors[static_cast<size_t>(index)] : fallback;
}

// Copies a source band of the image stretched onto dest; nothing for an empty side.
void Stretch(HDC dc, const RECT& dest, HDC image, const RECT& source) {
  if (Width(dest) <= 0 || Height(dest) <= 0 || Width(source) <= 0 || Height(source) <= 0) return;
  StretchBlt(dc, dest.left, dest.top, Width(dest), Height(dest), image, source.left, source.top, Width(source),
             Height(source), SRCCOPY);
}

// The up-down's frames: a group of four per button, within it +0 normal, +1 pressed,
// +2 disabled, +3 hot.
constexpr int kUpDownNormal = 1, kUpDownPressed = 2, kUpDownDisabled = 3, kUpDownHot = 4;
constexpr int kUpDownFrames = 8;

// The track bar's thumb image holds five frames; the second is drawn in every state.
constexpr int kThumbFrames = 5, kThumbFrame = 2;

}  // namespace

// ---- Track bars ----

bool TSkinTrackBar::BeforeProc(TMessage& msg) {
  if (msg.Msg == WM_NOTIFY || msg.Msg == CN_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(msg.LParam);
    // Only the track bar's own drawing: its tooltip, if it has one, asks the same question.
    if (!hdr || hdr->code != static_cast<UINT>(NM_CUSTOMDRAW) || hdr->hwndFrom != hwnd) return true;
    msg.Result = CustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(msg.LParam));
    return false;
  }
  if (msg.Msg == CN_CTLCOLORSTATIC) {
    // Around the channel the control shows what its (skinned) parent shows.
    if (HBRUSH brush = Background(reinterpret_cast<HDC>(msg.WParam))) {
      msg.Result = reinterpret_cast<LRESULT>(brush);
      return false;
    }
    return true;
  }
  return TSkinControl::BeforeProc(msg);
}

HBRUSH TSkinTrackBar::Background(HDC dc) {
  const TColor colour = GetParentColor(FaceColor());
  if (!background_ || colour != background_colour_) {
    background_ = MakeSolidBrush(ColorToRGB(colour));
    background_colour_ = colour;
  }
  if (dc) SetBkColor(dc, ColorToRGB(colour));
  return background_.Get();
}

LRESULT TSkinTrackBar::CustomDraw(const NMCUSTOMDRAW& cd) {
  switch (cd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      switch (cd.dwItemSpec) {
        case TBCD_THUMB:
          DrawThumb(cd.hdc);
          return CDRF_SKIPDEFAULT;
        case TBCD_CHANNEL:
          // Skipped even when the skin has no channel image: the system's sunken channel would
          // not fit any skin.
          DrawChannel(cd.hdc);
          return CDRF_SKIPDEFAULT;
        default:
          return CDRF_DODEFAULT;  // the ticks stay the control's
      }
    default:
      return CDRF_DODEFAULT;
  }
}

void TSkinTrackBar::DrawChannel(HDC dc) {
  auto skin = Skin();
  if (!dc || !hwnd || !skin) return;
  RECT r{};
  SendMessageW(hwnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&r));
  auto lock = skin->PaintLock();
  const bool vertical = StyleOf(hwnd) & TBS_VERT;
  TDataSkinObject* upright = skin->TrackBarVert.get();
  TDataSkinObject* lying = skin->TrackBar.get();
  const int old_mode = SetStretchBltMode(dc, COLORONCOLOR);
  if (vertical && upright && !upright->Map.Empty()) {
    // Some versions of the control report an upright channel lying down: it is used turned
    // back then.
    if (Width(r) > Height(r)) r = RECT{r.top, r.left, r.bottom, r.right};
    TBitmap& image = upright->Map;
    const int w = image.Width(), h = image.Height();
    int t = std::max(0, upright->r.Top), b = std::max(0, upright->r.Bottom);
    if (t + b > h) t = b = 0;  // caps the image cannot hold: stretched whole
    const int x = r.left + (w < Width(r) ? (Width(r) - w) / 2 : 0);
    HDC src = image.DC();
    Stretch(dc, RECT{x, r.top, x + w, r.top + t}, src, RECT{0, 0, w, t});
    Stretch(dc, RECT{x, r.top + t, x + w, r.bottom - b}, src, RECT{0, t, w, h - b});
    Stretch(dc, RECT{x, r.bottom - b, x + w, r.bottom}, src, RECT{0, h - b, w, h});
  } else if (lying && !lying->Map.Empty()) {
    TBitmap& image = lying->Map;
    const int w = image.Width(), h = image.Height();
    int l = std::max(0, lying->r.Left), rt = std::max(0, lying->r.Right);
    if (l + rt > w) l = rt = 0;
    const int y = r.top + (h < Height(r) ? (Height(r) - h) / 2 : 0);
    HDC src = image.DC();
    Stretch(dc, RECT{r.left, y, r.left + l, y + h}, src, RECT{0, 0, l, h});
    Stretch(dc, RECT{r.left + l, y, r.right - rt, y + h}, src, RECT{l, 0, w - rt, h});
    Stretch(dc, RECT{r.right - rt, y, r.right, y + h}, src, RECT{w - rt, 0, w, h});
  }
  SetStretchBltMode(dc, old_mode);
}

void TSkinTrackBar::DrawThumb(HDC dc) {
  auto skin = Skin();
  if (!dc || !hwnd || !IsWindow(hwnd) || !skin) return;
  RECT r{};
  SendMessageW(hwnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
  const bool vertical = StyleOf(hwnd) & TBS_VERT;
  TBitmap* image = nullptr;
  if (vertical && skin->TrackVert) image = &skin->TrackVert->Map;
  else if (skin->TrackHorz) image = &skin->TrackHorz->Map;
  if (image && HasFrames(*image, kThumbFrames)) {
    DrawSkinMap1(dc, r, *image, kThumbFrame, kThumbFrames);
    return;
  }
  // No thumb image: an outlined box where the thumb is.
  TPenHandle pen = MakePen(PS_SOLID, 1, ColorToRGB(SchemeColor(*this, skin::kcButtonShadow, clBtnShadow)));
  TBrushHandle brush = MakeSolidBrush(ColorToRGB(FaceColor()));
  if (!pen || !brush) return;
  TScopedSelect with_pen(dc, pen.Get());
  TScopedSelect with_brush(dc, brush.Get());
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

// ---- Up-downs ----

TSkinUpDown* TSkinUpDown::OwnedBy(TComponent* owner, HWND wnd) {
  if (!owner || !wnd) return nullptr;
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    auto* skinner = dynamic_cast<TSkinUpDown*>(owner->Components(i));
    if (skinner && skinner->hwnd == wnd) return skinner;
  }
  return nullptr;
}

bool TSkinUpDown::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT:
      WMPaint(msg);
      msg.Result = 0;
      return false;
    case WM_ERASEBKGND:
      // The paint covers everything; a bare window is cleared to white meanwhile.
      if (!control && msg.WParam && hwnd) FillColor(reinterpret_cast<HDC>(msg.WParam), HwndClientRect(hwnd), clWhite);
      msg.Result = 1;
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      auto alive = alive_;
      CallOldProc(msg);  // the arrows step first, as unskinned
      if (!*alive) return false;
      state |= kStatePressed;
      PaintControl(nullptr);
      return false;
    }
    case WM_LBUTTONUP: {
      state &= static_cast<uint8_t>(~kStatePressed);
      auto alive = alive_;
      CallOldProc(msg);
      if (*alive) PaintControl(nullptr);
      return false;
    }
    case WM_CAPTURECHANGED:
      // The press ends without a release when another window takes the mouse.
      if (state & kStatePressed) {
        state &= static_cast<uint8_t>(~kStatePressed);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return true;
    default:
      return TSkinControl::BeforeProc(msg);
  }
}

void TSkinUpDown::DrawControl(HDC dc, const RECT& rc) {
  if (!hwnd) return;
  RECT area = rc;
  if (inedit) {
    FillColor(dc, HwndClientRect(hwnd), clWhite);
    // The edit's skinned frame is three pixels wide: the arrows stay inside it.
    RECT p{}, o{};
    HWND parent = GetParent(hwnd);
    if (parent && GetWindowRect(parent, &p) && GetWindowRect(hwnd, &o)) {
      if (o.top - p.top < 3) area.top += 3 - (o.top - p.top);
      if (p.bottom - o.bottom < 3) area.bottom -= 3 - (p.bottom - o.bottom);
      if (p.right - o.right < 3) area.right -= 3 - (p.right - o.right);
    }
  }
  if (Width(area) <= 0 || Height(area) <= 0) return;
  FillFace(dc, area);

  POINT cursor{};
  GetCursorPos(&cursor);
  ScreenToClient(hwnd, &cursor);
  const DWORD style = StyleOf(hwnd);
  enabled = !(style & WS_DISABLED);
  const bool horizontal = (style & UDS_HORZ) || dir == 1;

  RECT first = area, second = area;
  int along = 0, half = 0;
  if (horizontal) {
    half = Width(area) / 2;
    first.right = second.left = area.left + half;
    along = cursor.x - area.left;
  } else {
    half = Height(area) / 2;
    first.bottom = second.top = area.top + half;
    along = cursor.y - area.top;
  }
  const bool in_first = along < half;
  auto state_of = [&](bool is_first) {
    if (!enabled) return kUpDownDisabled;
    if (in_first != is_first) return kUpDownNormal;
    if (state & kStatePressed) return kUpDownPressed;
    if (state & kStateHot) return kUpDownHot;
    return kUpDownNormal;
  };
  const int part = horizontal ? 2 : 0;
  DrawButton(dc, first, part, state_of(true));
  DrawButton(dc, second, part + 1, state_of(false));
}

void TSkinUpDown::DrawButton(HDC dc, const RECT& r, int part, int state) {
  auto skin = Skin();
  TDataSkinBorder* spin = nullptr;
  if (skin) spin = part < 2 ? skin->VSpin.get() : skin->HSpin.get();
  if (spin && HasFrames(spin->Map, std::max(1, spin->frame))) {
    auto lock = skin->PaintLock();
    const int frames = std::max(1, spin->frame);
    // A picture of fewer frames than the eight shows its last for the ones it lacks.
    const int index = std::min(state + 4 * (part % 2), std::min(frames, kUpDownFrames));
    DrawSkinFrame(dc, r, spin->Map, index, frames, true);
    if (HasFrames(spin->MaskMap, frames)) {
      const int gw = spin->MaskMap.Width() / frames, gh = spin->MaskMap.Height();
      const int x = r.left + (Width(r) - gw) / 2, y = r.top + (Height(r) - gh) / 2;
      DrawSkinFrame(dc, RECT{x, y, x + gw, y + gh}, spin->MaskMap, index, frames, true);
    }
    return;
  }
  // No spin picture: a flat box with a small arrow.
  const TColor face = FaceColor();
  const TColor down = SchemeColor(*this, skin::kcButtonShadow, clBtnShadow);
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.Brush().SetColor(state == kUpDownNormal || state == kUpDownDisabled ? face : down);
  canvas.Pen().SetColor(SchemeColor(*this, skin::kcButtonDkShadow, cl3DDkShadow));
  canvas.Rectangle(r.left, r.top, r.right, r.bottom);
  const int x = r.left + Width(r) / 2;
  const int y = r.top + Height(r) / 2 - (part < 2 ? 2 : 0);
  DrawArrowMark(canvas, x, y, part);
  canvas.SetHandle(nullptr);
}

// ---- Progress bars ----

bool TSkinProgress::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_PAINT:
      if (!CanPaint()) return true;
      WMPaint(msg);
      msg.Result = 0;
      return false;
    case WM_ERASEBKGND:
      msg.Result = 1;  // the paint covers everything
      return false;
    default:
      return TSkinControl::BeforeProc(msg);
  }
}

bool TSkinProgress::CanPaint() const {
  auto skin = Skin();
  if (!skin || !skin->progress || skin->progress->Map.Empty()) return false;
  if (skin->progress->style == 1) return skin->progresschunk && !skin->progresschunk->Map.Empty();
  return HasFrames(skin->progress->Map, 2);
}

int TSkinProgress::Filled(int length) const {
  if (!hwnd) return 0;
  const int pos = static_cast<int>(SendMessageW(hwnd, PBM_GETPOS, 0, 0));
  const int hi = static_cast<int>(SendMessageW(hwnd, PBM_GETRANGE, FALSE, 0));
  const int lo = static_cast<int>(SendMessageW(hwnd, PBM_GETRANGE, TRUE, 0));
  // The position's share of the range, from the low limit (which may be below 0); an empty
  // range shows no bar.
  if (hi <= lo || pos <= lo) return 0;
  const int64_t share = int64_t(length) * (int64_t(pos) - lo) / (int64_t(hi) - lo);
  return static_cast<int>(std::min<int64_t>(length, share));
}

void TSkinProgress::DrawControl(HDC dc, const RECT& rc) {
  if (!hwnd || !CanPaint()) return;
  auto skin = Skin();
  if (skin->progress->style == 1) {
    DrawControl1(dc, rc);
    return;
  }
  auto lock = skin->PaintLock();
  TDataSkinBorder& image = *skin->progress;
  const bool vertical = StyleOf(hwnd) & PBS_VERTICAL;
  const int w = Width(rc), h = Height(rc);
  // Composed lying down, and turned upright at the end.
  const RECT r = vertical ? RECT{0, 0, h, w} : RECT{0, 0, w, h};
  picture_.SetSize(r.right, r.bottom);
  HDC pic = picture_.DC();
  if (!pic) return;
  FillFace(pic, r);
  const RECT margins = MarginRect(image.r);
  if (TSkinBitmap back = MakeSkinBitmap(r, image.Map, margins, 1, 2, image.Tile != 0, false); back && !back->Empty())
    DrawTransparent(pic, r, *back, kSkinTransparent);
  if (const int filled = Filled(r.right); filled > 0) {
    const RECT bar{0, 0, filled, r.bottom};
    if (TSkinBitmap b = MakeSkinBitmap(bar, image.Map, margins, 2, 2, image.Tile != 0, false); b && !b->Empty())
      DrawTransparent(pic, bar, *b, kSkinTransparent);
  }
  if (vertical) RotateBitmapLeft(picture_);
  BitBlt(dc, rc.left, rc.top, w, h, picture_.DC(), 0, 0, SRCCOPY);
}

void TSkinProgress::DrawControl1(HDC dc, const RECT& rc) {
  if (!hwnd || !CanPaint()) return;
  auto skin = Skin();
  auto lock = skin->PaintLock();
  TDataSkinBorder& image = *skin->progress;
  TDataSkinObject& chunk = *skin->progresschunk;
  const bool vertical = StyleOf(hwnd) & PBS_VERTICAL;
  const int w = Width(rc), h = Height(rc);
  const RECT r = vertical ? RECT{0, 0, h, w} : RECT{0, 0, w, h};
  picture_.SetSize(r.right, r.bottom);
  HDC pic = picture_.DC();
  if (!pic) return;
  FillFace(pic, r);
  if (TSkinBitmap back = MakeSkinBitmap(r, image.Map, MarginRect(image.r), 1, 1, false, false); back && !back->Empty())
    DrawTransparent(pic, r, *back, kSkinTransparent);

  if (const int filled = Filled(r.right); filled > 0) {
    const int cw = chunk.Map.Width(), ch = chunk.Map.Height();
    const int dy = (r.bottom - ch) / 2;
    if (chunk.Tile == 1) {
      // Chunks side by side at their own size, centred across the bar.
      chunks_.SetSize(filled, ch);
      if (HDC strip = chunks_.DC()) {
        HDC src = chunk.Map.DC();
        for (int x = 0; x < filled; x += cw) BitBlt(strip, x, 0, cw, ch, src, 0, 0, SRCCOPY);
        const int x = chunk.r.Left + 2;
        DrawTransparent(pic, RECT{x, dy, x + filled, dy + ch}, chunks_, kSkinTransparent);
      }
    } else if (r.bottom > 4) {
      // One chunk stretched along the bar, two pixels in from the edges.
      chunks_.SetSize(filled, r.bottom - 4);
      if (HDC bar = chunks_.DC()) {
        DrawSkinBarH(bar, RECT{0, 0, filled, r.bottom}, chunk.Map, MarginRect(chunk.r), 1, 1, chunk.Tile != 0, false);
        DrawTransparent(pic, RECT{2, 2, 2 + filled, r.bottom - 2}, chunks_, kSkinTransparent);
      }
    }
  }
  if (vertical) RotateBitmapLeft(picture_);
  BitBlt(dc, rc.left, rc.top, w, h, picture_.DC(), 0, 0, SRCCOPY);
}

}  // namespace qn
