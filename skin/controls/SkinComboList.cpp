#include "skin/controls/SkinComboList.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "platform/win/GdiObjects.h"
#include "platform/win/WinApiLookup.h"
#include "skin/data/WinSkinData.h"
#include "skin/draw/SkinDraw.h"

namespace qn {

QN_CLASS_IMPL(TComboxScrollBar, TSkinControl)
QN_CLASS_IMPL(TArrowButton, TCustomControl)

namespace {

// The scroll-bar arrows image holds every arrow and grip in 23 frames side by side.
constexpr int kArrowFrames = 23;
constexpr int kUpArrow = 9, kDownArrow = 13, kVerticalGrip = 20;
// Scroll-bar tracks hold enabled, (unused) and disabled states in four frames.
constexpr int kBarFrames = 4;
constexpr int kBarEnabled = 1, kBarDisabled = 3;
// The list box's own message when it starts tracking (sent to itself).
constexpr UINT kListTrackStart = 0x1AE;
// Arrow button frames: normal and hot.
constexpr int kArrowNormal = 1, kArrowHot = 4;

// An image that holds at least one whole pixel column for each of its frames.
bool HasFrames(const TDataSkinObject* o, int frames) {
  return o && !o->Map.Empty() && frames >= 1 && o->Map.Width() / frames >= 1;
}

bool BarInfo(TSkinData* sd, HWND wnd, SCROLLBARINFO& info) {
  if (sd) return sd->GetScrollBarInfo(wnd, OBJID_VSCROLL, info);
  return User32GetScrollBarInfo(wnd, OBJID_VSCROLL, info);
}

// Where a mouse message says the cursor is, on the screen.
POINT ScreenPoint(const MSG& m) {
  POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
  if (m.message == WM_MOUSEMOVE) ClientToScreen(m.hwnd, &p);
  return p;
}

}  // namespace

// ---- The drop-down list's scroll bar ----

TComboxScrollBar::TComboxScrollBar(TComponent* owner) : TSkinControl(owner), cw(GetSystemMetrics(SM_CXHSCROLL)) {}

bool TComboxScrollBar::BeforeProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_NCPAINT:
      return true;  // the list paints its frame and bar; AfterProc paints over the bar
    case WM_NCMOUSEMOVE:
      // No hot look on the bar: the system would paint its own over ours.
      if (msg.WParam == HTHSCROLL || msg.WParam == HTVSCROLL) {
        msg.Result = 0;
        return false;
      }
      return true;
    case WM_NCLBUTTONDOWN:
      if (ThumbDrag(msg)) {
        msg.Result = 0;
        return false;
      }
      return true;
    default:
      return TSkinControl::BeforeProc(msg);
  }
}

void TComboxScrollBar::AfterProc(TMessage& msg) {
  switch (msg.Msg) {
    case WM_NCPAINT:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case kListTrackStart:
      PaintControl(nullptr);
      return;
    default:
      TSkinControl::AfterProc(msg);
  }
}

void TComboxScrollBar::DrawControl(HDC dc, const RECT&) {
  auto skin = Skin();
  if (!skin || !HasFrames(skin->SArrow.get(), kArrowFrames) || !hwnd) return;
  TDataSkinObject& arrows = *skin->SArrow;
  SCROLLBARINFO info;
  if (!BarInfo(fsd, hwnd, info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return;
  const bool bar_enabled = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
  RECT window;
  if (!GetWindowRect(hwnd, &window)) return;
  const int w = window.right - window.left, h = window.bottom - window.top;
  RECT r = info.rcScrollBar;
  OffsetRect(&r, -r.left, -r.top);
  if (r.bottom < 0 || r.right < 0 || r.bottom > h || r.right > w) return;
  // The skin's own thickness when it is close to the system's.
  int t = arrows.Map.Height();
  if (std::abs(t - cw) > 2) t = cw;
  r.right = t;
  len = r.bottom;
  if (t <= 0 || len <= 0) return;

  if (!bar_) bar_ = std::make_unique<TBitmap>(0, 0, TPixelFormat::pfDevice);
  if (bar_->Width() != t || bar_->Height() != len) bar_->SetSize(t, len);
  HDC b = bar_->DC();
  if (!b) return;
  SetStretchBltMode(b, COLORONCOLOR);
  FillFace(b, r);
  auto lock = skin->PaintLock();
  if (TDataSkinObject* track = skin->VBar.get(); HasFrames(track, kBarFrames)) {
    DrawSkinRect(b, RECT{0, cw, t, len - cw}, track->Map, MarginRect(track->r), bar_enabled ? kBarEnabled : kBarDisabled,
                 kBarFrames, track->trans == 1, track->Tile != 0, false);
  }
  // Two arrows of half the bar each when it is too short for whole ones.
  const int a = len < 2 * cw ? len / 2 : cw;
  DrawSkinMap1(b, RECT{0, 0, t, a}, arrows.Map, kUpArrow, kArrowFrames);
  DrawSkinMap1(b, RECT{0, len - a, t, len}, arrows.Map, kDownArrow, kArrowFrames);
  thumbtop = info.xyThumbTop;
  thumbBottom = info.xyThumbBottom;
  if (bar_enabled) {
    if (TDataSkinObject* slider = skin->VSlider.get(); HasFrames(slider, std::max(slider ? slider->frame : 1, 1))) {
      if (thumbtop < h && thumbBottom < h)
        DrawSkinRect(b, RECT{0, thumbtop, t, thumbBottom}, slider->Map, MarginRect(slider->r), 1, slider->frame,
                     slider->trans == 1, false, false);
    }
    const int g = arrows.Map.Height(), thumb = thumbBottom - thumbtop;
    if (g < thumb + 2) {
      const int o = (thumb - g) / 2;
      if (thumbtop + o < h && thumbtop + o + g < h)
        DrawSkinMap1(b, RECT{0, thumbtop + o, t, thumbtop + o + g}, arrows.Map, kVerticalGrip, kArrowFrames);
    }
  }
  BitBlt(dc, info.rcScrollBar.left - window.left, info.rcScrollBar.top - window.top, t, len, b, 0, 0, SRCCOPY);
}

bool TComboxScrollBar::ThumbDrag(const TMessage& press) {
  if (press.WParam != HTVSCROLL || !hwnd) return false;
  SCROLLBARINFO bar;
  if (!BarInfo(fsd, hwnd, bar)) return false;
  const POINT start{GET_X_LPARAM(press.LParam), GET_Y_LPARAM(press.LParam)};
  const int a = static_cast<int>(start.y - bar.rcScrollBar.top);
  if (a < bar.xyThumbTop || a > bar.xyThumbBottom) return false;

  const HWND list = hwnd;
  auto alive = alive_;
  SetCapture(list);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  GetScrollInfo(list, SB_VERT, &si);
  const int thumb0 = bar.xyThumbTop - cw;
  const int track = (bar.rcScrollBar.bottom - bar.rcScrollBar.top) - 2 * cw;
  const int thumb_len = bar.xyThumbBottom - bar.xyThumbTop;
  const int page = static_cast<int>(si.nPage);
  int last = si.nPos, pos = si.nPos;

  auto follow = [&](int y) {
    int n = std::max(thumb0 + (y - static_cast<int>(start.y)), 0);
    if (page != 0) {
      const int d = track - thumb_len;
      if (n > d) n = d + 1;
      // A thumb filling the whole track has nowhere to go.
      pos = d > 0 ? MulDiv(n, si.nMax - si.nMin - page, d) + si.nMin : si.nMin;
      if (int64_t{pos} >= int64_t{si.nMax} - page) pos = si.nMax - page + 1;
    } else {
      n = std::min(n, track - thumb_len);
      pos = track > 0 ? MulDiv(n, si.nMax - si.nMin, track) + si.nMin : si.nMin;
      if (pos > si.nMax) pos = si.nMax;
    }
    if (pos < si.nMin) pos = si.nMin;
    if (pos != last) SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos), 0);
    last = pos;
  };
  // The drag is over when the button comes up, and also when the list loses the mouse or
  // goes (it closed up, or the program took the capture).
  auto still_ours = [&] { return *alive && IsWindow(list) && GetCapture() == list; };
  while (still_ours()) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      // What Peek handled may have ended the drag; otherwise sleep until something arrives.
      if (!still_ours()) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
      continue;
    }
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));  // for the loop that is waiting for it
      break;
    }
    if (m.message == WM_NCLBUTTONUP || m.message == WM_LBUTTONUP) break;
    TranslateMessage(&m);
    DispatchMessageW(&m);
    if (!*alive || !IsWindow(list)) break;
    if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) follow(ScreenPoint(m).y);
  }
  if (!*alive || !IsWindow(list)) return true;
  // Released or not, the drag ends where the thumb was taken.
  SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos), 0);
  if (IsWindow(list)) PostMessageW(list, WM_VSCROLL, SB_ENDSCROLL, 0);
  if (GetCapture() == list) ReleaseCapture();
  return true;
}

// ---- The date picker's arrow button ----

TArrowButton::TArrowButton(TComponent* owner) : TCustomControl(owner), cw(GetSystemMetrics(SM_CXHSCROLL)) {
  SetTabStop(false);
}

TArrowButton::~TArrowButton() = default;

void TArrowButton::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  // A window inside the picker's, unknown to the picker's control list.
  params.wndParent = hwnd;
}

int TArrowButton::LeftFor(int picker_width) const {
  if (hwnd && (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR)) return 2;
  return picker_width - cw - 4;
}

void TArrowButton::Attach(TSkinControl* skinner, TWinControl* picker) {
  obj = skinner;
  control = picker;
  hwnd = picker ? picker->Handle() : nullptr;
  if (!hwnd) return;
  RECT r{};
  GetWindowRect(hwnd, &r);
  SetBounds(LeftFor(r.right - r.left), 0, cw, (r.bottom - r.top) - 4);
  SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
  HandleNeeded();
}

void TArrowButton::MoveArrow(const RECT& rect) {
  if (!hwnd) return;
  SetBounds(LeftFor(rect.right), Top(), Width(), Height());
}

void TArrowButton::Paint() {
  HDC dc = Canvas().Handle();
  if (!dc || !obj || !hwnd) return;
  RECT picker{};
  GetWindowRect(hwnd, &picker);
  const RECT r{0, 0, Width(), (picker.bottom - picker.top) - 4};
  obj->FillFace(dc, r);
  auto skin = obj->Skin();
  if (skin) skin->PrepareComboImages();
  TDataSkinObject* arrow = skin ? skin->comboxarrow.get() : nullptr;
  if (!arrow || !HasFrames(arrow, arrow->frame)) return;
  // The hot frame, when the image holds one.
  const int index = (state & kStateHot) && arrow->frame >= kArrowHot ? kArrowHot : kArrowNormal;
  auto lock = skin->PaintLock();
  DrawSkinFrame(dc, r, arrow->Map, index, arrow->frame, false);
}

void TArrowButton::SetHot(bool hot) {
  if (hot == ((state & kStateHot) != 0)) return;
  if (hot) state |= kStateHot;
  else state &= ~kStateHot;
  Invalidate();
}

void TArrowButton::WndProc(TMessage& msg) {
  switch (msg.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (hwnd && IsWindowEnabled(hwnd)) SetHot(msg.Msg == CM_MOUSEENTER);
      break;
    case WM_MOUSEMOVE:
      // The class library tells only window-less controls that the mouse came and went.
      if (hwnd && IsWindowEnabled(hwnd) && !(state & kStateHot)) {
        SetHot(true);
        TrackMouseLeave(Handle());
      }
      break;
    case WM_MOUSELEAVE:
      SetHot(false);
      break;
    case WM_LBUTTONDOWN: {
      TCustomControl::WndProc(msg);
      if (!hwnd) return;
      // The press, where it lies in the picker's client area, given to the picker.
      const LPARAM at = MAKELPARAM(GET_X_LPARAM(msg.LParam) + Left(), GET_Y_LPARAM(msg.LParam) + Top());
      PostMessageW(hwnd, WM_LBUTTONDOWN, msg.WParam, at);
      PostMessageW(hwnd, WM_LBUTTONUP, msg.WParam, at);
      Invalidate();
      return;
    }
    case WM_LBUTTONUP:
      TCustomControl::WndProc(msg);
      if (hwnd && IsWindow(hwnd)) ::SetFocus(hwnd);
      return;
    default:
      break;
  }
  TCustomControl::WndProc(msg);
}

}  // namespace qn
