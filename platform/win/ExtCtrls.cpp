#include "platform/win/ExtCtrls.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/win/GdiObjects.h"
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

namespace {

// Every timer of a thread ticks through one message-only window of that thread: a window of its
// own for each timer would cost as much to make as a control. The window goes with the
// thread's last timer.
constexpr UINT kForgetTimer = WM_APP + 1;  // a timer freed by another thread (wParam its id)

struct TTimerWindow {
  HWND wnd = nullptr;
  int users = 0;
};
thread_local TTimerWindow t_timer_window;

// The live timers by id, read by the windows' threads and changed by whichever thread frees one.
std::mutex g_timers_mutex;
std::unordered_map<UINT_PTR, TTimer*> g_timers;
UINT_PTR g_next_timer_id = 1;

TTimer* LiveTimer(UINT_PTR id) {
  std::lock_guard<std::mutex> lock(g_timers_mutex);
  auto it = g_timers.find(id);
  return it == g_timers.end() ? nullptr : it->second;
}

// One timer fewer on this thread's window; the last one takes the window along.
void ReleaseTimerWindow(UINT_PTR id) {
  TTimerWindow& w = t_timer_window;
  if (!w.wnd) return;
  KillTimer(w.wnd, id);
  if (--w.users > 0) return;
  DestroyWindow(std::exchange(w.wnd, nullptr));
}

}  // namespace

LRESULT CALLBACK TTimer::TimerWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_TIMER) {
    TTimer* t = LiveTimer(w);
    if (t && t->OnTimer) {
      if (t->quiet_) RunQuietly([&] { t->OnTimer(t); });
      else RunGuarded([&] { t->OnTimer(t); });
    }
    return 0;
  }
  if (msg == kForgetTimer) {
    ReleaseTimerWindow(w);
    return 0;
  }
  return DefWindowProcW(wnd, msg, w, l);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  TTimerWindow& w = t_timer_window;
  if (!w.wnd) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(inst, L"TPUtilWindow", &wc)) {
      wc.lpfnWndProc = TimerWndProc;
      wc.hInstance = inst;
      wc.lpszClassName = L"TPUtilWindow";
      RegisterClassW(&wc);
    }
    w.wnd = CreateWindowExW(0, L"TPUtilWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
    if (!w.wnd) return;  // a timer without a window never ticks
  }
  ++w.users;
  wnd_ = w.wnd;
  std::lock_guard<std::mutex> lock(g_timers_mutex);
  id_ = g_next_timer_id++;
  g_timers[id_] = this;
}

TTimer::~TTimer() {
  if (!wnd_) return;
  // Forgotten first: a tick that still arrives must find nothing to call.
  {
    std::lock_guard<std::mutex> lock(g_timers_mutex);
    g_timers.erase(id_);
  }
  // A timer freed by another thread than the one that made it cannot touch that thread's
  // window: its own thread lets go of it.
  if (GetWindowThreadProcessId(wnd_, nullptr) == GetCurrentThreadId()) ReleaseTimerWindow(id_);
  else PostMessageW(wnd_, kForgetTimer, id_, 0);
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
  KillTimer(wnd_, id_);
  if (enabled_ && interval_ > 0 && !Loading()) SetTimer(wnd_, id_, static_cast<UINT>(interval_), nullptr);
}

// ---- radio groups ----

QN_CLASS_IMPL(TCustomRadioGroup, TCustomGroupBox,
              {prop::Strings("Items", &TCustomRadioGroup::Items, &TCustomRadioGroup::SetItems),
               prop::Int("Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns),
               prop::Int("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex)})
QN_CLASS_IMPL(TRadioGroup, TCustomRadioGroup)

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner) : TCustomGroupBox(owner) { SetTabStop(false); }

TRadioButton* TCustomRadioGroup::Buttons(int i) const {
  return i >= 0 && i < static_cast<int>(buttons_.size()) ? buttons_[static_cast<size_t>(i)] : nullptr;
}

void TCustomRadioGroup::SetItems(const std::vector<std::wstring>& items) {
  items_ = items;
  updating_ = true;
  while (buttons_.size() > items_.size()) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  while (buttons_.size() < items_.size()) {
    auto* button = new TRadioButton(this);
    button->OnClick = TNotifyEvent::Bind<&TCustomRadioGroup::ButtonClicked>(this);
    button->SetParent(this);
    buttons_.push_back(button);
  }
  for (size_t i = 0; i < items_.size(); ++i) buttons_[i]->SetCaption(items_[i]);
  // The choice stays with its index while the items last; one past them is gone.
  if (item_index_ >= static_cast<int>(buttons_.size()) && !Loading()) item_index_ = -1;
  for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetChecked(static_cast<int>(i) == item_index_);
  updating_ = false;
  Arrange();
}

void TCustomRadioGroup::SetColumns(int n) {
  columns_ = std::clamp(n, 1, 16);
  Arrange();
}

void TCustomRadioGroup::SetItemIndex(int index) {
  // Read before its items, the index waits for them.
  if (Loading()) {
    item_index_ = index;
    return;
  }
  if (index < -1 || index >= static_cast<int>(buttons_.size())) index = -1;
  if (index == item_index_) return;
  if (index == -1) {
    updating_ = true;
    if (TRadioButton* was = Buttons(item_index_)) was->SetChecked(false);
    updating_ = false;
    item_index_ = -1;
    return;
  }
  // Checking the button unchecks the others and reports the choice through ButtonClicked.
  buttons_[static_cast<size_t>(index)]->SetChecked(true);
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  const int index = item_index_;
  item_index_ = -1;
  updating_ = true;
  for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetChecked(static_cast<int>(i) == index);
  updating_ = false;
  if (Buttons(index)) item_index_ = index;
}

void TCustomRadioGroup::ButtonClicked(TObject* sender) {
  if (updating_) return;
  const auto at = std::find(buttons_.begin(), buttons_.end(), sender);
  if (at == buttons_.end() || !(*at)->Checked()) return;
  item_index_ = static_cast<int>(at - buttons_.begin());
  if (!Loading()) Click();
}

void TCustomRadioGroup::BoundsChanged() {
  TCustomGroupBox::BoundsChanged();
  Arrange();
}

void TCustomRadioGroup::FontChanged() {
  TCustomGroupBox::FontChanged();
  Arrange();
}

void TCustomRadioGroup::Arrange() {
  if (buttons_.empty()) return;
  const int count = static_cast<int>(buttons_.size());
  const int per_column = (count + columns_ - 1) / columns_;
  // Below the caption, the rows share the height; what is left over goes half above them.
  int caption = 13;
  if (TMemDCHandle dc = MakeMemDC()) {
    TScopedSelect font_in(dc.Get(), Font()->Handle());
    TEXTMETRICW tm{};
    if (GetTextMetricsW(dc.Get(), &tm)) caption = tm.tmHeight;
  }
  const int room = std::max(Height() - caption - 5, 0);
  const int row = room / per_column;
  const int top = caption + 1 + (room % per_column) / 2;
  const int width = std::max((Width() - 10) / columns_, 0);
  for (int i = 0; i < count; ++i)
    buttons_[static_cast<size_t>(i)]->SetBounds(8 + (i / per_column) * width, top + (i % per_column) * row, width, row);
}

}  // namespace qn
