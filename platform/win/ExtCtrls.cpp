#include "platform/win/ExtCtrls.h"

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

QN_CLASS_IMPL(TCustomPanel, TCustomControl)
QN_CLASS_IMPL(TPanel, TCustomPanel)

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::Paint() {
  RECT r = ClientRect();
  Canvas().Brush().SetColor(Color());
  Canvas().FillRect(r);
  DrawEdge(Canvas().Handle(), &r, BDR_RAISEDOUTER, BF_RECT);
  std::wstring t = Caption();
  if (!t.empty()) {
    Canvas().Brush().SetStyle(TBrushStyle::bsClear);
    Canvas().DrawText(t, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
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
