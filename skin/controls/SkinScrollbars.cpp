#include "skin/controls/SkinScrollbars.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/core/Classes.h"
#include "platform/win/GdiObjects.h"
#include "platform/win/PropAccess.h"
#include "platform/win/WinUtil.h"
#include "skin/controls/SkinHeader.h"
#include "skin/data/SkinTypes.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TWScrollbar, TCustomPanel)
QN_CLASS_IMPL(TSkinScrollbar, TSkinControl)
QN_CLASS_IMPL(TSkinListView, TSkinScrollbar)
QN_CLASS_IMPL(TSkinScrollbarH, TSkinControl)
QN_CLASS_IMPL(TSkinScControl, TSkinControl)

namespace {

// The range a stand-alone bar with equal minimum and maximum is taken to have: its thumb then
// stays at the start.
constexpr int kEmptyRange = 9999999;
// The shortest thumb of a stand-alone bar with a page.
constexpr int kMinThumb = 8;
// An arrow image this close to the system's bar width gives the bar its thickness.
constexpr int kThicknessSlack = 2;

int RectW(const RECT& r) { return r.right - r.left; }
int RectH(const RECT& r) { return r.bottom - r.top; }

// Frame `frame` of an image of `count` frames when the image has it, else its first: a state
// the skin has no picture for shows the normal one.
int ExistingFrame(const TDataSkinObject& object, int frame, int count) {
  count = std::max(1, count);
  if (object.Map.Width() / count <= 0) return 0;
  return frame >= 1 && frame <= count ? frame : 1;
}

// The control's FixedColor (grids) when it has one of integer kind.
bool HasFixedColor(TObject* control) {
  const TPropInfo* p = control ? GetPropInfo(control, "FixedColor") : nullptr;
  return p && p->kind == TTypeKind::tkInteger;
}

void SetFixedColor(TObject* control, TColor colour) {
  try {
    (void)SetPropText(control, "FixedColor", std::to_wstring(static_cast<int32_t>(colour)));
  } catch (...) {
    DropCurrentException();
  }
}

bool StyleHas(HWND wnd, LONG_PTR bits) { return wnd && (GetWindowLongPtrW(wnd, GWL_STYLE) & bits) != 0; }

}  // namespace

// ---- The overlay ----

TWScrollbar::TWScrollbar(TComponent* owner)
    : TCustomPanel(owner), CW(GetSystemMetrics(SM_CXHSCROLL)), alive_(std::make_shared<bool>(true)) {
  SetTabStop(false);
  SetVisible(false);  // shown once it lies over a bar
  SetBevelOuter(TPanelBevel::bvNone);
}

TWScrollbar::~TWScrollbar() {
  *alive_ = false;
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
}

void TWScrollbar::CreateParams(TCreateParams& p) {
  TCustomPanel::CreateParams(p);
  // Not in a parent's list of controls: a child of the bar's window's parent, found by no walk.
  p.wndParent = parent_wnd_;
  p.exStyle = WS_EX_TOOLWINDOW;
}

void TWScrollbar::Attach(TSkinControl* skinner, TWinControl* acontrol, int type) {
  obj = skinner;
  control = acontrol;
  hwnd = acontrol ? acontrol->Handle() : nullptr;
  sbType = sbDir = type;
  if (skinner) SetColor(skinner->GetParentColor(skinner->FaceColor()));
  if (type == kBarControl && acontrol) sbDir = PropEnumIs(acontrol, "Kind", "sbhorizontal") ? 0 : 1;
  SetPosition(hwnd);
}

void TWScrollbar::AttachHwnd(TSkinControl* skinner, HWND handle, int type) {
  obj = skinner;
  control = nullptr;
  hwnd = handle;
  sbType = sbDir = type;
  SetPosition(hwnd);
}

bool TWScrollbar::SkinPaintsBars() const {
  auto skin = obj ? obj->Skin() : nullptr;
  if (!skin || !skin->SArrow) return false;
  // An image narrower than its frames has frames of no width: nothing to cut the arrows from.
  return skin->SArrow->Map.Width() / kArrowFrames > 0 && skin->SArrow->Map.Height() > 0;
}

bool TWScrollbar::GetInfo(SCROLLBARINFO& info) {
  info = SCROLLBARINFO{};
  info.cbSize = sizeof info;
  if (!hwnd || !IsWindow(hwnd)) return false;
  if (sbType != kBarControl) {
    if (!obj || !obj->fsd) return false;
    return obj->fsd->GetScrollBarInfo(hwnd, sbType == kBarHorizontal ? OBJID_HSCROLL : OBJID_VSCROLL, info);
  }
  // A scroll-bar control: its bounds in its parent, and the thumb worked out from its range.
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(hwnd, SB_CTL, &si)) return false;
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  info.rcScrollBar = r;
  Len = sbDir == 1 ? RectH(r) : RectW(r);
  // Equal ends (or a maximum below the minimum) leave nothing to divide by.
  const int64_t span = int64_t{si.nMax} - si.nMin;
  const int range = span > 0 && span <= INT32_MAX ? static_cast<int>(span) : kEmptyRange;
  const int track = std::max(0, Len - 2 * CW);
  const int pos = std::max(0, si.nPos - si.nMin);
  int length, start;
  if (si.nPage != 0) {
    length = MulDiv(track, static_cast<int>(si.nPage) - 1, range);
    if (length > kMinThumb - 1) {
      start = pos == 0 ? CW : MulDiv(track, pos, range) + CW;
    } else {
      length = kMinThumb;
      start = pos == 0 ? CW : MulDiv(std::max(0, track - kMinThumb), pos, range) + CW;
    }
  } else {
    length = CW;
    start = pos == 0 ? CW : MulDiv(std::max(0, Len - 3 * CW), pos, range) + CW;
  }
  info.xyThumbTop = start;
  info.xyThumbBottom = start + length;
  if (!IsWindowEnabled(hwnd)) info.rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
  return true;
}

void TWScrollbar::SetPosition(HWND handle) {
  hwnd = handle;
  const HWND parent = hwnd ? GetParent(hwnd) : nullptr;
  if (parent && parent_wnd_ != parent) {
    parent_wnd_ = parent;
    if (HandleAllocated()) ::SetParent(Handle(), parent);
  }
  SCROLLBARINFO info;
  if (!GetInfo(info)) {
    sbVisible = false;
    return;
  }
  if (!StyleHas(hwnd, WS_VISIBLE) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) || !SkinPaintsBars() || !parent) {
    HideScrollbar();
    return;
  }
  RECT bar = info.rcScrollBar;
  POINT at{bar.left, bar.top};
  if (sbType == kBarControl) {
    sbRect = RECT{0, 0, RectW(bar), RectH(bar)};
    POINT screen = at;
    ::ClientToScreen(parent, &screen);
    OffsetSC = screen;
    screen_rect_ = RECT{screen.x, screen.y, screen.x + RectW(bar), screen.y + RectH(bar)};
  } else {
    screen_rect_ = bar;
    sbRect = bar;
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&sbRect), 2);
    OffsetSC = at;
    ::ScreenToClient(parent, &at);
  }
  Len = sbDir == 1 ? RectH(bar) : RectW(bar);
  const HWND overlay = Handle();
  // Directly above the bar's window among its siblings, so that the bar never shows through.
  HWND after = GetWindow(hwnd, GW_HWNDPREV);
  UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
  if (after == overlay) flags |= SWP_NOZORDER;
  else if (!after) after = HWND_TOP;
  SetWindowPos(overlay, after, at.x, at.y, RectW(bar), RectH(bar), flags);
  SetVisible(true);  // shown already, in its place
  sbVisible = true;
  InvalidateRect(overlay, nullptr, FALSE);
}

void TWScrollbar::HideScrollbar() {
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
  sbVisible = false;
  SetVisible(false);
}

void TWScrollbar::ButtonUp() {
  fdown = false;
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  if (sbType == kBarControl) Invalidate();
}

int TWScrollbar::HitTest(POINT p) const {
  const int a = sbDir != 0 ? p.y : p.x;
  if (a < CW) return kPartFirstArrow;
  if (a < thumbTop) return kPartTrackBefore;
  if (a < thumbbottom) return kPartThumb;
  if (a < Len - CW) return kPartTrackAfter;
  return kPartSecondArrow;
}

void TWScrollbar::TrackThumb() {
  POINT cursor{};
  GetCursorPos(&cursor);
  const int c = sbDir == 1 ? cursor.y : cursor.x, c0 = sbDir == 1 ? trackp.y : trackp.x;
  const int s0 = thumbTop, e0 = thumbbottom;
  // Never into the arrows, whatever the cursor does.
  thumbTop = std::min(std::max(trackthumb + c - c0, CW), Len - CW - (e0 - s0));
  thumbbottom = e0 + thumbTop - s0;
}

void TWScrollbar::PaintBar(HDC target) {
  auto skin = obj ? obj->Skin() : nullptr;
  if (!skin || !SkinPaintsBars()) return;
  SCROLLBARINFO info;
  if (!GetInfo(info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return;
  const bool enabled = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
  const bool vertical = sbDir == 1;
  RECT r = info.rcScrollBar;
  OffsetRect(&r, -r.left, -r.top);
  const RECT own = ClientRect();
  if (r.bottom < 0 || r.right < 0 || r.bottom > own.bottom || r.right > own.right) return;
  Len = vertical ? r.bottom : r.right;
  auto lock = skin->PaintLock();
  TDataSkinObject& arrows = *skin->SArrow;
  const int grip = arrows.Map.Height();
  const int t = std::abs(grip - CW) > kThicknessSlack ? CW : grip;

  if (!buffer_) buffer_ = std::make_unique<TBitmap>(0, 0, TPixelFormat::pfDevice);
  if (buffer_->Width() != r.right || buffer_->Height() != r.bottom) buffer_->SetSize(r.right, r.bottom);
  HDC dc = buffer_->DC();
  if (!dc) return;
  SetStretchBltMode(dc, COLORONCOLOR);
  // Pixels of a bar thicker than its arrows keep the face colour.
  FillColor(dc, r, obj->FaceColor());
  auto along = [&](int from, int to) { return vertical ? RECT{0, from, t, to} : RECT{from, 0, to, t}; };

  if (TDataSkinObject* bar = (vertical ? skin->VBar : skin->HBar).get()) {
    const int frame = ExistingFrame(*bar, enabled ? 1 : 3, kTrackFrames);
    if (frame) {
      DrawSkinRect(dc, along(CW, Len - CW), bar->Map, MarginRect(bar->r), frame, kTrackFrames, bar->trans == 1,
                   bar->Tile != 0, false);
    }
  }

  // Arrows of half the bar each when it is shorter than two.
  const int a = Len < 2 * CW ? Len / 2 : CW;
  auto arrow_frame = [&](int base, int part) {
    if (!enabled || scrollpos != part) return base;
    return base + (fdown ? 1 : 3);
  };
  obj->DrawSkinMap1(dc, along(0, a), arrows.Map, arrow_frame(vertical ? kArrowUp : kArrowLeft, kPartFirstArrow),
                    kArrowFrames);
  obj->DrawSkinMap1(dc, along(Len - a, Len), arrows.Map,
                    arrow_frame(vertical ? kArrowDown : kArrowRight, kPartSecondArrow), kArrowFrames);

  if (fdown && scrollpos == kPartThumb && sbType != kBarControl) {
    TrackThumb();
  } else {
    thumbTop = info.xyThumbTop;
    thumbbottom = info.xyThumbBottom;
  }
  const int extent = vertical ? r.bottom : r.right;
  if (enabled && thumbTop < extent && thumbbottom < extent) {
    const bool on_thumb = scrollpos == kPartThumb;
    const int state = on_thumb ? (fdown ? 2 : 3) : 1;
    const RECT thumb = along(thumbTop, thumbbottom);
    TDataSkinObject* slider = (vertical ? skin->VSlider : skin->HSlider).get();
    const int frame = slider ? ExistingFrame(*slider, state, slider->frame) : 0;
    if (frame) {
      DrawSkinRect(dc, thumb, slider->Map, MarginRect(slider->r), frame, slider->frame, slider->trans == 1, false,
                   false);
    } else {
      // No thumb picture: the system's raised thumb, so that the position still shows.
      RECT plain = thumb;
      DrawEdge(dc, &plain, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
    const int length = thumbbottom - thumbTop;
    if (grip < length + 2) {
      const int o = (length - grip) / 2;
      const int from = thumbTop + o, to = from + grip;
      if (from < extent && to < extent) {
        const int base = vertical ? kGripVertical : kGripHorizontal;
        obj->DrawSkinMap1(dc, along(from, to), arrows.Map, base + (on_thumb ? (fdown ? 1 : 2) : 0), kArrowFrames);
      }
    }
  }
  ScreenBlt(target, 0, 0, r.right, r.bottom, dc, 0, 0);
}

void TWScrollbar::MouseMoved(const TMessage& m) {
  const int part = HitTest(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
  if (part != scrollpos) {
    scrollpos = part;
    Invalidate();
  }
  TrackMouseLeave(Handle());
}

void TWScrollbar::Pressed(const TMessage& m) {
  auto alive = alive_;
  GetCursorPos(&trackp);
  POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (sbType != kBarControl) {
    SCROLLBARINFO info;
    if (GetInfo(info)) {
      trackthumb = info.xyThumbTop;
      OffsetSC = POINT{info.rcScrollBar.left, info.rcScrollBar.top};
    }
  }
  scrollpos = HitTest(p);
  POINT at = p;
  if (sbType != kBarControl) at = POINT{p.x + OffsetSC.x, p.y + OffsetSC.y};
  fdown = true;
  Invalidate();
  ReleaseCapture();
  // The system tracks the press from here until the button is released: the scrolling, the
  // auto-repeat and the thumb dragging are its own, and its notifications repaint us meanwhile.
  if (sbType == kBarControl) {
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  } else {
    SendMessageW(hwnd, WM_NCLBUTTONDOWN, sbType == kBarHorizontal ? HTHSCROLL : HTVSCROLL, MAKELPARAM(at.x, at.y));
  }
  if (!*alive) return;
  fdown = false;
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  Invalidate();
}

void TWScrollbar::Released(const TMessage& m) {
  POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  fdown = false;
  if (GetCapture() == Handle()) ReleaseCapture();
  if (sbType == kBarControl) {
    PostMessageW(hwnd, WM_LBUTTONUP, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    Invalidate();
    return;
  }
  PostMessageW(hwnd, WM_NCLBUTTONUP, sbType == kBarVertical ? HTVSCROLL : HTHSCROLL,
               MAKELPARAM(p.x + OffsetSC.x, p.y + OffsetSC.y));
}

void TWScrollbar::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND:
      m.Result = 1;  // the paint covers everything, in one blit
      return;
    case WM_PAINT:
      try {
        if (m.WParam) {
          PaintBar(reinterpret_cast<HDC>(m.WParam));
        } else {
          TPaintDC paint(Handle());
          PaintBar(paint.Get());
        }
      } catch (...) {
        DropCurrentException();
      }
      m.Result = 0;
      return;
    default:
      break;
  }
  auto alive = alive_;
  TCustomPanel::WndProc(m);
  if (!*alive) return;
  switch (m.Msg) {
    case WM_MOUSEMOVE:
      MouseMoved(m);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Pressed(m);
      return;
    case WM_LBUTTONUP:
      Released(m);
      return;
    case WM_MOUSELEAVE:
      if (!fdown) {
        scrollpos = kPartNone;
        Invalidate();
      }
      return;
    default:
      return;
  }
}

// ---- Controls with built-in bars ----

TSkinScrollbar::TSkinScrollbar(TComponent* owner) : TSkinControl(owner) {}

TSkinScrollbar::~TSkinScrollbar() { FreeBars(); }

void TSkinScrollbar::FreeBars() {
  delete std::exchange(hb, nullptr);
  delete std::exchange(vb, nullptr);
}

void TSkinScrollbar::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool) {
  InitScrollbar(dynamic_cast<TWinControl*>(Owner()), sd, acanvas, sf);
}

void TSkinScrollbar::InitScrollbar(TWinControl* acontrol, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) {
  // The skinner belongs to the control it skins.
  if (Inited || !acontrol || acontrol != Owner()) return;
  TSkinControl::Init(sf, sd, acanvas, false);
  if (!Inited) return;  // refused: a window of another thread, or one that is gone
  attached_ = hwnd;
  border = !PropEnumIs(control, "BorderStyle", "bsnone") && control->ClassName() != "TImageScrollBox" && kind != 1;
  if (HasFixedColor(control)) {
    oldcolor = GetPropInt(control, "FixedColor");
    newColor = true;
    SetFixedColor(control, FaceColor());
  }
  hb = new TWScrollbar(this);
  vb = new TWScrollbar(this);
  hb->Attach(this, control, kBarHorizontal);
  vb->Attach(this, control, kBarVertical);
  CoverBars(true);
  hb->SetEnabled(control->Enabled());
  vb->SetEnabled(control->Enabled());
  if (!control->Visible()) HideBars();
  // The frame takes the skin's colours now.
  if (border) RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TSkinListView::InitScrollbar(TWinControl* acontrol, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) {
  TSkinScrollbar::InitScrollbar(acontrol, sd, acanvas, sf);
  if (!hwnd || header) return;
  HWND column_header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
  if (!column_header) return;
  // Owned by the list view: it goes with it.
  auto* skinner = new TSkinHeaderCtrl(acontrol);
  skinner->Inithwnd(column_header, sd, acanvas, sf);
  header = skinner;
}

void TSkinScrollbar::PlaceBars() {
  if (hb) hb->SetPosition(hwnd);
  if (vb) vb->SetPosition(hwnd);
  CoverBars(true);  // unless the skin has no pictures for them
}

void TSkinScrollbar::CoverBars(bool covered) {
  // A control whose window is gone may be on its way out: it is not touched.
  if (!control || skinstate == kSkinWindowGone) return;
  control->SetScrollBarsCovered(covered && vb && vb->SkinPaintsBars());
}

void TSkinScrollbar::HideBars() {
  if (hb) hb->HideScrollbar();
  if (vb) vb->HideScrollbar();
}

void TSkinScrollbar::Unsubclass() {
  if (newColor && control) SetFixedColor(control, oldcolor);
  newColor = false;
  CoverBars(false);
  TSkinControl::Unsubclass();
  // A dying window takes its bars along: the overlays go with the skinner, hidden meanwhile.
  if (skinstate == kSkinWindowGone) HideBars();
  else FreeBars();
}

bool TSkinScrollbar::BeforeProc(TMessage& m) {
  if (m.Msg == WM_NCPAINT && border) {
    CallOldProc(m);
    if (hwnd) {
      try {
        TWindowDC dc(hwnd, true);
        DrawBorder(dc.Get());
      } catch (...) {
        DropCurrentException();
      }
    }
    return false;
  }
  return TSkinControl::BeforeProc(m);
}

namespace {

// The part a scroll notification names, shown active on the overlay of that bar. A
// scroll-bar control's notification, handed on by its parent, is not about the window's bars.
void ShowScrollPart(const TMessage& m, TWScrollbar* hb, TWScrollbar* vb) {
  if (m.LParam) return;
  TWScrollbar* bar = m.Msg == WM_HSCROLL ? hb : vb;
  if (!bar) return;
  bar->scrollpos = LOWORD(m.WParam);
  bar->Invalidate();
}

}  // namespace

void TSkinScrollbar::AfterProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      sizing = true;
      PlaceBars();
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
      ShowScrollPart(m, hb, vb);
      return;
    case WM_MOUSEWHEEL:
      for (TWScrollbar* bar : {hb, vb})
        if (bar && bar->sbVisible) bar->Invalidate();
      return;
    case CM_VISIBLECHANGED:
      if (m.WParam) PlaceBars();
      else HideBars();
      return;
    case CM_ENABLEDCHANGED:
      if (control) {
        for (TWScrollbar* bar : {hb, vb})
          if (bar) bar->SetEnabled(control->Enabled());
      }
      return;
    case CM_RECREATEWND:
      if (control && skinform && skinform->FormWindow())
        PostMessageW(skinform->FormWindow(), WM_SKINRECREATED, reinterpret_cast<WPARAM>(attached_), 0);
      return;
    case WM_SKINDRAWBORDER:
      if (m.LParam != kSkinMessageCheck) break;
      if (m.WParam) DrawBorder(reinterpret_cast<HDC>(m.WParam));
      m.Result = kSkinMessageCheck;
      return;
    default:
      break;
  }
  TSkinControl::AfterProc(m);
}

void TSkinScrollbar::FollowBars() {
  // A bar that has come (its style says so) gets its overlay placed; a shown one repaints.
  if (vb) {
    if (vb->sbVisible) vb->Invalidate();
    else if (StyleHas(hwnd, WS_VSCROLL)) vb->SetPosition(hwnd);
  }
  if (hb) {
    if (hb->sbVisible) hb->Invalidate();
    else if (StyleHas(hwnd, WS_HSCROLL)) hb->SetPosition(hwnd);
  }
}

RECT TSkinScrollbar::Corner() const {
  RECT window;
  if (!hb || !vb || !hb->sbVisible || !vb->sbVisible || !GetWindowRect(hwnd, &window)) return RECT{};
  const RECT h = hb->ScreenRect(), v = vb->ScreenRect();
  RECT corner{v.left, h.top, v.right, h.bottom};
  OffsetRect(&corner, -window.left, -window.top);
  return corner;
}

void TSkinScrollbar::PaintControl(HDC) {
  try {
    FollowBars();
    const RECT corner = Corner();
    if (IsRectEmpty(&corner)) return;
    TWindowDC dc(hwnd, true);
    FillFace(dc.Get(), corner);
  } catch (...) {
    DropCurrentException();
  }
}

void TSkinScrollbar::DrawControl(HDC dc, const RECT&) {
  FollowBars();
  const RECT corner = Corner();
  if (!IsRectEmpty(&corner)) FillFace(dc, corner);
}

void TSkinScrollbar::DrawBorder(HDC dc) {
  RECT r;
  if (!dc || !GetWindowRect(hwnd, &r)) return;
  OffsetRect(&r, -r.left, -r.top);
  auto skin = Skin();
  const TColor outer = skin ? skin->Colors[skin::kcButtonShadow] : clBtnShadow;
  TBrushHandle line = MakeSolidBrush(ColorToRGB(outer));
  if (line) FrameRect(dc, &r, line.Get());
  InflateRect(&r, -1, -1);
  TBrushHandle face = MakeSolidBrush(ColorToRGB(FaceColor()));
  if (face) FrameRect(dc, &r, face.Get());
}

void TSkinScrollbar::SkinChange() {
  if (HasFixedColor(control)) {
    if (!newColor) oldcolor = GetPropInt(control, "FixedColor");
    newColor = true;
    SetFixedColor(control, FaceColor());
  }
  for (TWScrollbar* bar : {hb, vb})
    if (bar) bar->SetColor(GetParentColor(FaceColor()));
  TSkinControl::SkinChange();
  PlaceBars();  // the new skin may show or hide them, or be thicker
  if (border && hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

// ---- Bare windows ----

TSkinScrollbarH::TSkinScrollbarH(TComponent* owner) : TSkinControl(owner) {}

TSkinScrollbarH::~TSkinScrollbarH() { FreeBars(); }

void TSkinScrollbarH::FreeBars() {
  delete std::exchange(hb, nullptr);
  delete std::exchange(vb, nullptr);
}

void TSkinScrollbarH::Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) {
  if (Inited) return;
  TSkinControl::Inithwnd(ahwnd, sd, acanvas, sf);
  if (!Inited) return;
  control = nullptr;
  hb = new TWScrollbar(this);
  vb = new TWScrollbar(this);
  hb->AttachHwnd(this, hwnd, kBarHorizontal);
  vb->AttachHwnd(this, hwnd, kBarVertical);
}

void TSkinScrollbarH::Unsubclass() {
  TSkinControl::Unsubclass();
  if (skinstate != kSkinWindowGone) {
    FreeBars();
    return;
  }
  for (TWScrollbar* bar : {hb, vb})
    if (bar) bar->HideScrollbar();
}

void TSkinScrollbarH::AfterProc(TMessage& m) {
  // A hidden window hides both of its bars.
  if (hwnd && !StyleHas(hwnd, WS_VISIBLE)) {
    for (TWScrollbar* bar : {hb, vb})
      if (bar && bar->sbVisible) bar->HideScrollbar();
  }
  switch (m.Msg) {
    case WM_SIZE:
    case WM_NCPAINT:
    case WM_WINDOWPOSCHANGED:  // moved without a new size: no WM_SIZE
      for (TWScrollbar* bar : {hb, vb})
        if (bar) bar->SetPosition(hwnd);
      if (m.Msg != WM_WINDOWPOSCHANGED) Redraw();
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
      ShowScrollPart(m, hb, vb);
      return;
    default:
      TSkinControl::AfterProc(m);
  }
}

void TSkinScrollbarH::PaintControl(HDC) {
  try {
    RECT window;
    if (!hwnd || !GetWindowRect(hwnd, &window)) return;
    TWindowDC dc(hwnd, true);
    DrawControl(dc.Get(), RECT{0, 0, RectW(window), RectH(window)});
  } catch (...) {
    DropCurrentException();
  }
}

void TSkinScrollbarH::DrawControl(HDC dc, const RECT&) {
  for (TWScrollbar* bar : {hb, vb})
    if (bar && bar->sbVisible) bar->Invalidate();
  RECT window;
  if (!hb || !vb || !hb->sbVisible || !vb->sbVisible || !GetWindowRect(hwnd, &window)) return;
  const RECT h = hb->ScreenRect(), v = vb->ScreenRect();
  RECT corner{v.left, h.top, v.right, h.bottom};
  OffsetRect(&corner, -window.left, -window.top);
  FillFace(dc, corner);
}

// ---- Stand-alone scroll-bar controls ----

TSkinScControl::TSkinScControl(TComponent* owner) : TSkinControl(owner) {}

TSkinScControl::~TSkinScControl() { FreeBar(); }

void TSkinScControl::FreeBar() { delete std::exchange(sb, nullptr); }

void TSkinScControl::Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool) {
  InitScrollbar(dynamic_cast<TWinControl*>(Owner()), sd, acanvas, sf);
}

void TSkinScControl::InitScrollbar(TWinControl* acontrol, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) {
  if (Inited || !acontrol || acontrol != Owner()) return;
  TSkinControl::Init(sf, sd, acanvas, false);
  if (!Inited) return;
  sb = new TWScrollbar(this);
  sb->SetShowHint(control->ShowHint());
  sb->SetHint(control->Hint());
  sb->Attach(this, control, kBarControl);
  CoverBar(true);
  sb->SetEnabled(control->Enabled());
  if (!control->Visible()) sb->HideScrollbar();
}

void TSkinScControl::CoverBar(bool covered) {
  if (!control || skinstate == kSkinWindowGone) return;
  control->SetScrollBarsCovered(covered && sb && sb->SkinPaintsBars());
}

void TSkinScControl::Unsubclass() {
  CoverBar(false);
  TSkinControl::Unsubclass();
  if (skinstate != kSkinWindowGone) FreeBar();
  else if (sb) sb->HideScrollbar();
}

void TSkinScControl::AfterProc(TMessage& m) {
  switch (m.Msg) {
    case WM_WINDOWPOSCHANGED:
      if (sb) sb->SetPosition(hwnd);
      CoverBar(true);
      return;
    case WM_NCPAINT:
      if (control && control->HandleAllocated()) hwnd = control->Handle();
      if (sb) sb->SetPosition(hwnd);
      CoverBar(true);
      return;
    case SBM_SETSCROLLINFO:
    case SBM_SETPOS:
    case SBM_SETRANGE:
    case CN_HSCROLL:
    case CN_VSCROLL:
      if (sb) sb->Invalidate();
      return;
    case CM_VISIBLECHANGED:
      if (!sb) return;
      if (m.WParam) sb->SetPosition(hwnd);
      else sb->HideScrollbar();
      return;
    case CM_ENABLEDCHANGED:
      if (sb && control) sb->SetEnabled(control->Enabled());
      if (sb) sb->Invalidate();
      return;
    default:
      TSkinControl::AfterProc(m);
  }
}

void TSkinScControl::PaintControl(HDC) {
  // The overlay covers the whole control: it is all there is to paint.
  if (sb && sb->sbVisible) sb->Invalidate();
}

void TSkinScControl::DrawControl(HDC, const RECT&) {
  if (sb && sb->sbVisible) sb->Invalidate();
}

}  // namespace qn
