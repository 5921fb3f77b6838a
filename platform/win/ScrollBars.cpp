#include "platform/win/ScrollBars.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace qn {

const TEnumInfo kScrollBarKindInfo{{"sbHorizontal", "sbVertical"}};

namespace {

// Pixels one arrow press scrolls a scroll box.
constexpr int kBoxLine = 8;

}  // namespace

// ---- TScrollBar ----

QN_CLASS_IMPL(TScrollBar, TWinControl,
              {prop::Enum("Kind", kScrollBarKindInfo, &TScrollBar::Kind, &TScrollBar::SetKind),
               prop::Int("Min", &TScrollBar::Min, &TScrollBar::SetMin),
               prop::Int("Max", &TScrollBar::Max, &TScrollBar::SetMax),
               prop::Int("Position", &TScrollBar::Position, &TScrollBar::SetPosition),
               prop::Int("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize),
               prop::Int("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange),
               prop::Int("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange),
               prop::Event("OnChange", &TScrollBar::OnChange),
               prop::Event("OnScroll", &TScrollBar::OnScroll)})

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = L"SCROLLBAR";
  p.style |= kind_ == TScrollBarKind::sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::CreateWindowHandleDone() {
  TWinControl::CreateWindowHandleDone();
  UpdateBar();
}

void TScrollBar::SetKind(TScrollBarKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  // A bar lying the other way keeps its thickness across it.
  if (!Loading()) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

int TScrollBar::Highest() const { return std::max(min_, page_size_ > 0 ? max_ - page_size_ + 1 : max_); }

void TScrollBar::SetParams(int position, int min, int max) {
  if (max < min) throw std::invalid_argument("Scroll bar property out of range");
  min_ = min;
  max_ = max;
  page_size_ = std::clamp(page_size_, 0, max_ - min_ + 1);
  position = std::clamp(position, min_, Highest());
  const bool changed = position != position_;
  position_ = position;
  UpdateBar();
  if (changed && OnChange && !Loading()) OnChange(this);
}

void TScrollBar::SetPageSize(int v) {
  page_size_ = std::clamp(v, 0, max_ - min_ + 1);
  SetParams(position_, min_, max_);
}

void TScrollBar::UpdateBar() {
  if (!HandleAllocated()) return;
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, min_, max_, static_cast<UINT>(page_size_), position_, 0};
  SetScrollInfo(handle_, SB_CTL, &si, !ScrollBarsCovered());
}

void TScrollBar::Scrolled(int code) {
  int pos = position_;
  switch (code) {
    case SB_LINEUP: pos -= small_change_; break;
    case SB_LINEDOWN: pos += small_change_; break;
    case SB_PAGEUP: pos -= large_change_; break;
    case SB_PAGEDOWN: pos += large_change_; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The 32-bit track position: the message's 16 bits run out past 65535.
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      if (GetScrollInfo(handle_, SB_CTL, &si)) pos = si.nTrackPos;
      break;
    }
    case SB_TOP: pos = min_; break;
    case SB_BOTTOM: pos = max_; break;
    case SB_ENDSCROLL: break;
    default: return;
  }
  pos = std::clamp(pos, min_, Highest());
  if (OnScroll) OnScroll(this, static_cast<TScrollCode>(code), pos);
  SetPosition(pos);
}

bool TScrollBar::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      Scrolled(LOWORD(m.WParam));
      m.Result = 0;
      return true;
    default:
      return TWinControl::HandleMessage(m);
  }
}

// ---- TScrollBox ----

QN_CLASS_IMPL(TScrollBox, TCustomControl)

TScrollBox::TScrollBox(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TScrollBox::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.style |= WS_CLIPCHILDREN;
  p.exStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::CreateWindowHandleDone() {
  TCustomControl::CreateWindowHandleDone();
  hpos_ = vpos_ = 0;  // a new window has bars of its own
}

void TScrollBox::Paint() { Canvas().FillRect(ClientRect()); }

SIZE TScrollBox::ContentExtent() const {
  SIZE extent{0, 0};
  for (int i = 0; i < ControlCount(); ++i) {
    const TControl* c = Controls(i);
    if (!c->Visible()) continue;
    extent.cx = std::max<LONG>(extent.cx, c->Left() + c->Width() + hpos_);
    extent.cy = std::max<LONG>(extent.cy, c->Top() + c->Height() + vpos_);
  }
  return extent;
}

void TScrollBox::UpdateScrollBars() {
  if (!HandleAllocated() || updating_) return;
  updating_ = true;
  const SIZE extent = ContentExtent();
  // A bar that comes takes room from the other direction, which may then need its bar too:
  // twice settles it.
  for (int round = 0; round < 2; ++round) {
    const RECT client = ClientRect();
    // A page larger than the range hides the bar.
    SCROLLINFO h{sizeof h, SIF_RANGE | SIF_PAGE, 0, std::max<int>(0, extent.cx - 1), static_cast<UINT>(client.right), 0, 0};
    SCROLLINFO v{sizeof v, SIF_RANGE | SIF_PAGE, 0, std::max<int>(0, extent.cy - 1), static_cast<UINT>(client.bottom), 0, 0};
    SetScrollInfo(handle_, SB_HORZ, &h, !ScrollBarsCovered());
    SetScrollInfo(handle_, SB_VERT, &v, !ScrollBarsCovered());
  }
  updating_ = false;
  // Content that shrank, or a box that grew, leaves no space beyond the content's end.
  ScrollTo(hpos_, vpos_);
}

void TScrollBox::ScrollTo(int x, int y) {
  if (!HandleAllocated()) return;
  const SIZE extent = ContentExtent();
  const RECT client = ClientRect();
  x = std::clamp(x, 0, std::max<int>(0, extent.cx - client.right));
  y = std::clamp(y, 0, std::max<int>(0, extent.cy - client.bottom));
  const int dx = hpos_ - x, dy = vpos_ - y;
  hpos_ = x;
  vpos_ = y;
  if (dx || dy) {
    const bool was = std::exchange(updating_, true);  // the children's moves change no range
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
    updating_ = was;
    Invalidate();
  }
  SCROLLINFO pos{sizeof pos, SIF_POS, 0, 0, 0, 0, 0};
  pos.nPos = hpos_;
  SetScrollInfo(handle_, SB_HORZ, &pos, !ScrollBarsCovered());
  pos.nPos = vpos_;
  SetScrollInfo(handle_, SB_VERT, &pos, !ScrollBarsCovered());
}

void TScrollBox::Scroll(int bar, int code) {
  const RECT client = ClientRect();
  const int page = bar == SB_HORZ ? client.right : client.bottom;
  int pos = bar == SB_HORZ ? hpos_ : vpos_;
  switch (code) {
    case SB_LINEUP: pos -= kBoxLine; break;
    case SB_LINEDOWN: pos += kBoxLine; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      if (GetScrollInfo(handle_, bar, &si)) pos = si.nTrackPos;
      break;
    }
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = bar == SB_HORZ ? ContentExtent().cx : ContentExtent().cy; break;
    default: return;
  }
  if (bar == SB_HORZ) ScrollTo(pos, vpos_);
  else ScrollTo(hpos_, pos);
}

void TScrollBox::AlignControls(RECT& rect) {
  TCustomControl::AlignControls(rect);
  UpdateScrollBars();
}

bool TScrollBox::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (m.LParam) return TCustomControl::HandleMessage(m);  // a scroll-bar control's, handed back to it
      Scroll(m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(m.WParam));
      m.Result = 0;
      return true;
    case WM_SIZE:
      UpdateScrollBars();
      return false;
    default:
      return TCustomControl::HandleMessage(m);
  }
}

}  // namespace qn
