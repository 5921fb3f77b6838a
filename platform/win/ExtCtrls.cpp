#include "platform/win/ExtCtrls.h"

#include <algorithm>

#include "platform/win/WinUtil.h"

namespace qn {

QN_CLASS_IMPL(TImage, TGraphicControl,
              {prop::Obj("Picture", &TImage::Picture),
               prop::Bool("Stretch", &TImage::Stretch, &TImage::SetStretch),
               prop::Bool("Center", &TImage::Center, &TImage::SetCenter)})

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  SetBounds(0, 0, 105, 105);
  picture_->OnChange = [this] { Invalidate(); };
}

void TImage::SetStretch(bool v) {
  stretch_ = v;
  Invalidate();
}

void TImage::SetCenter(bool v) {
  center_ = v;
  Invalidate();
}

void TImage::Paint() {
  TBitmap* b = picture_->Bitmap();
  if (!b || b->Empty()) return;
  HDC dc = Canvas().Handle();
  if (stretch_) {
    b->StretchDraw(dc, ClientRect());
  } else {
    int x = center_ ? (Width() - b->Width()) / 2 : 0;
    int y = center_ ? (Height() - b->Height()) / 2 : 0;
    b->Draw(dc, x, y);
  }
}

const TEnumInfo kPanelBevelInfo{{"bvNone", "bvLowered", "bvRaised", "bvSpace"}};

QN_CLASS_IMPL(TCustomPanel, TCustomControl,
              {prop::Enum("Alignment", kAlignmentInfo, &TCustomPanel::Alignment, &TCustomPanel::SetAlignment),
               prop::Enum("BevelInner", kPanelBevelInfo, &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner),
               prop::Enum("BevelOuter", kPanelBevelInfo, &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter),
               prop::Int("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth),
               prop::Int("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth)})
QN_CLASS_IMPL(TPanel, TCustomPanel)

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::SetBevelInner(TPanelBevel b) {
  bevel_inner_ = b;
  FrameChanged();
}

void TCustomPanel::SetBevelOuter(TPanelBevel b) {
  bevel_outer_ = b;
  FrameChanged();
}

void TCustomPanel::SetBevelWidth(int w) {
  bevel_width_ = std::max(w, 1);
  FrameChanged();
}

void TCustomPanel::SetBorderWidth(int w) {
  border_width_ = std::max(w, 0);
  FrameChanged();
}

void TCustomPanel::SetAlignment(TAlignment a) {
  alignment_ = a;
  Invalidate();
}

int TCustomPanel::FrameWidth() const {
  int w = border_width_;
  if (bevel_outer_ != TPanelBevel::bvNone) w += bevel_width_;
  if (bevel_inner_ != TPanelBevel::bvNone) w += bevel_width_;
  return w;
}

void TCustomPanel::FrameChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::AlignControls(RECT& rect) {
  const int w = FrameWidth();
  InflateRect(&rect, -w, -w);
  TCustomControl::AlignControls(rect);
}

namespace {

// One bevel just inside r, which then shrinks past it.
void DrawBevel(HDC dc, RECT& r, TPanelBevel bevel, int width, TColor face) {
  const COLORREF light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
  switch (bevel) {
    case TPanelBevel::bvNone: return;
    case TPanelBevel::bvLowered: Frame3D(dc, r, dark, light, width); return;
    case TPanelBevel::bvRaised: Frame3D(dc, r, light, dark, width); return;
    case TPanelBevel::bvSpace: Frame3D(dc, r, ColorToRGB(face), ColorToRGB(face), width); return;
  }
}

}  // namespace

void TCustomPanel::Paint() {
  HDC dc = Canvas().Handle();
  RECT r = ClientRect();
  FillSolidRect(dc, r, ColorToRGB(Color()));
  DrawBevel(dc, r, bevel_outer_, bevel_width_, Color());
  InflateRect(&r, -border_width_, -border_width_);
  DrawBevel(dc, r, bevel_inner_, bevel_width_, Color());
  std::wstring t = Caption();
  if (t.empty()) return;
  const UINT align = alignment_ == TAlignment::taLeftJustify    ? DT_LEFT
                     : alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                                                : DT_CENTER;
  Canvas().Brush().SetStyle(TBrushStyle::bsClear);
  Canvas().DrawText(t, r, align | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
  Canvas().Brush().SetStyle(TBrushStyle::bsSolid);
}

QN_CLASS_IMPL(TTimer, TComponent,
              {prop::Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled),
               prop::Int("Interval", &TTimer::Interval, &TTimer::SetInterval),
               prop::Event("OnTimer", &TTimer::OnTimer)})

LRESULT CALLBACK TTimer::TimerWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_TIMER) {
    auto* t = reinterpret_cast<TTimer*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (t && t->OnTimer) {
      if (t->quiet_) RunQuietly([&] { t->OnTimer(t); });
      else RunGuarded([&] { t->OnTimer(t); });
    }
    return 0;
  }
  return DefWindowProcW(wnd, msg, w, l);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(inst, L"TPUtilWindow", &wc)) {
    wc.lpfnWndProc = TimerWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = L"TPUtilWindow";
    RegisterClassW(&wc);
  }
  // A message-only window: it only takes WM_TIMER, and costs no top-level window.
  wnd_ = CreateWindowExW(0, L"TPUtilWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
  SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
  if (!wnd_) return;
  // The window forgets us first: a timer freed by another thread than the one that made it
  // cannot destroy its window, and a tick that still arrives must find nothing to call.
  SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
  if (GetWindowThreadProcessId(wnd_, nullptr) == GetCurrentThreadId()) {
    KillTimer(wnd_, 1);
    DestroyWindow(wnd_);
  } else {
    PostMessageW(wnd_, WM_CLOSE, 0, 0);  // its own thread destroys it
  }
}

void TTimer::SetEnabled(bool v) {
  enabled_ = v;
  Update();
}

void TTimer::SetInterval(int v) {
  interval_ = v;
  Update();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  Update();
}

void TTimer::Update() {
  if (!wnd_) return;
  KillTimer(wnd_, 1);
  if (enabled_ && interval_ > 0 && !Loading()) SetTimer(wnd_, 1, static_cast<UINT>(interval_), nullptr);
}

}  // namespace qn
