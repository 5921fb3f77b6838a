#include "platform/win/RangeCtrls.h"

#include <algorithm>
#include <utility>

#include "platform/win/ComCtrls.h"

namespace qn {

namespace {

// The position kept inside min..max (a range given upside down keeps it as it is).
int Within(int v, int min, int max) { return min <= max ? std::clamp(v, min, max) : v; }

}  // namespace

// ---- TTrackBar ----

const TEnumInfo kTrackBarOrientationInfo{{"trHorizontal", "trVertical"}};
const TEnumInfo kTickStyleInfo{{"tsNone", "tsAuto", "tsManual"}};

QN_CLASS_IMPL(TTrackBar, TWinControl,
              {prop::Int("Min", &TTrackBar::Min, &TTrackBar::SetMin),
               prop::Int("Max", &TTrackBar::Max, &TTrackBar::SetMax),
               prop::Int("Position", &TTrackBar::Position, &TTrackBar::SetPosition),
               prop::Enum("Orientation", kTrackBarOrientationInfo, &TTrackBar::Orientation,
                          &TTrackBar::SetOrientation),
               prop::Enum("TickStyle", kTickStyleInfo, &TTrackBar::TickStyle, &TTrackBar::SetTickStyle),
               prop::Int("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency),
               prop::Event("OnChange", &TTrackBar::OnChange)})

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 150, 45);
  SetTabStop(true);
}

void TTrackBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = TRACKBAR_CLASSW;
  p.style |= orientation_ == TTrackBarOrientation::trVertical ? TBS_VERT : TBS_HORZ;
  if (tick_style_ == TTickStyle::tsAuto) p.style |= TBS_AUTOTICKS;
  if (tick_style_ == TTickStyle::tsNone) p.style |= TBS_NOTICKS;
}

void TTrackBar::CreateWindowHandleDone() {
  TWinControl::CreateWindowHandleDone();
  UpdateRange();
}

void TTrackBar::UpdateRange() {
  if (!HandleAllocated()) return;
  SendMessageW(handle_, TBM_SETRANGEMIN, FALSE, min_);
  SendMessageW(handle_, TBM_SETRANGEMAX, FALSE, max_);
  if (tick_style_ == TTickStyle::tsAuto) SendMessageW(handle_, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
  SendMessageW(handle_, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetMin(int v) {
  min_ = v;
  SetPosition(position_);
  UpdateRange();
}

void TTrackBar::SetMax(int v) {
  max_ = v;
  SetPosition(position_);
  UpdateRange();
}

void TTrackBar::SetPosition(int v) {
  v = Within(v, min_, max_);
  const bool changed = v != position_;
  position_ = v;
  if (HandleAllocated()) SendMessageW(handle_, TBM_SETPOS, TRUE, position_);
  if (changed && OnChange && !Loading()) OnChange(this);
}

void TTrackBar::SetOrientation(TTrackBarOrientation o) {
  if (o == orientation_) return;
  orientation_ = o;
  // A bar lying the other way keeps its thickness across it.
  if (!Loading()) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

void TTrackBar::SetTickStyle(TTickStyle s) {
  if (s == tick_style_) return;
  tick_style_ = s;
  RecreateWnd();
}

void TTrackBar::SetFrequency(int v) {
  frequency_ = std::max(1, v);
  UpdateRange();
}

void TTrackBar::FollowWindow() {
  if (!HandleAllocated()) return;
  const int pos = static_cast<int>(SendMessageW(handle_, TBM_GETPOS, 0, 0));
  if (pos == position_) return;
  position_ = pos;
  if (OnChange && !Loading()) OnChange(this);
}

bool TTrackBar::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      FollowWindow();
      m.Result = 0;
      return true;
    default:
      return TWinControl::HandleMessage(m);
  }
}

// ---- TUpDown ----

const TEnumInfo kUDOrientationInfo{{"udVertical", "udHorizontal"}};

QN_CLASS_IMPL(TUpDown, TWinControl,
              {prop::Int("Min", &TUpDown::Min, &TUpDown::SetMin),
               prop::Int("Max", &TUpDown::Max, &TUpDown::SetMax),
               prop::Int("Position", &TUpDown::Position, &TUpDown::SetPosition),
               prop::Int("Increment", &TUpDown::Increment, &TUpDown::SetIncrement),
               prop::Enum("Orientation", kUDOrientationInfo, &TUpDown::Orientation, &TUpDown::SetOrientation),
               prop::Obj("Associate", &TUpDown::Associate, &TUpDown::SetAssociate),
               prop::Event("OnClick", &TUpDown::OnClick),
               prop::Event("OnChanging", &TUpDown::OnChanging)})

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 17, 25);
}

TUpDown::~TUpDown() {
  if (associate_) RemoveFreeNotification(associate_);
}

void TUpDown::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = UPDOWN_CLASSW;
  // The number shows in the associate without thousands separators, which it could not read
  // back; the arrow keys in the associate step it too.
  p.style |= UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_ARROWKEYS;
  if (orientation_ == TUDOrientation::udHorizontal) p.style |= UDS_HORZ;
}

void TUpDown::CreateWindowHandleDone() {
  TWinControl::CreateWindowHandleDone();
  UpdateWindow();
}

void TUpDown::UpdateWindow() {
  if (!HandleAllocated()) return;
  SendMessageW(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  UDACCEL accel{0, static_cast<UINT>(std::max(1, increment_))};
  SendMessageW(handle_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  HWND buddy = associate_ && associate_->HandleAllocated() ? associate_->Handle() : nullptr;
  SendMessageW(handle_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  SendMessageW(handle_, UDM_SETPOS32, 0, position_);
}

int TUpDown::Position() const {
  // The associate's text may have been typed into since: the window reads it back.
  if (handle_) position_ = static_cast<int>(SendMessageW(handle_, UDM_GETPOS32, 0, 0));
  return position_;
}

void TUpDown::SetMin(int v) {
  min_ = v;
  position_ = Within(position_, min_, max_);
  UpdateWindow();
}

void TUpDown::SetMax(int v) {
  max_ = v;
  position_ = Within(position_, min_, max_);
  UpdateWindow();
}

void TUpDown::SetPosition(int v) {
  position_ = Within(v, min_, max_);
  if (HandleAllocated()) SendMessageW(handle_, UDM_SETPOS32, 0, position_);
}

void TUpDown::SetIncrement(int v) {
  increment_ = std::max(1, v);
  UpdateWindow();
}

void TUpDown::SetOrientation(TUDOrientation o) {
  if (o == orientation_) return;
  orientation_ = o;
  if (!Loading()) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

void TUpDown::SetAssociate(TWinControl* control) {
  if (control == associate_) return;
  if (associate_) RemoveFreeNotification(associate_);
  associate_ = control;
  if (associate_) FreeNotification(associate_);
  UpdateWindow();
}

void TUpDown::Notification(TComponent* component, TOperation op) {
  TWinControl::Notification(component, op);
  if (op == TOperation::opRemove && component == associate_) {
    associate_ = nullptr;
    if (HandleAllocated()) SendMessageW(handle_, UDM_SETBUDDY, 0, 0);
  }
}

bool TUpDown::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: {
      const auto* n = reinterpret_cast<const NMUPDOWN*>(m.LParam);
      if (n->hdr.code != UDN_DELTAPOS) break;
      bool allow = true;
      if (OnChanging) OnChanging(this, allow);
      m.Result = allow ? 0 : 1;  // non-zero keeps the position
      return true;
    }
    case CN_HSCROLL:
    case CN_VSCROLL: {
      if (LOWORD(m.WParam) != SB_THUMBPOSITION) break;
      const int before = position_;
      const int now = Position();
      m.Result = 0;
      if (now != before && OnClick) OnClick(this, now > before ? TUDBtnType::btNext : TUDBtnType::btPrev);
      return true;
    }
    default:
      break;
  }
  return TWinControl::HandleMessage(m);
}

// ---- TProgressBar ----

const TEnumInfo kProgressBarOrientationInfo{{"pbHorizontal", "pbVertical"}};

QN_CLASS_IMPL(TProgressBar, TWinControl,
              {prop::Int("Min", &TProgressBar::Min, &TProgressBar::SetMin),
               prop::Int("Max", &TProgressBar::Max, &TProgressBar::SetMax),
               prop::Int("Position", &TProgressBar::Position, &TProgressBar::SetPosition),
               prop::Int("Step", &TProgressBar::Step, &TProgressBar::SetStep),
               prop::Enum("Orientation", kProgressBarOrientationInfo, &TProgressBar::Orientation,
                          &TProgressBar::SetOrientation),
               prop::Bool("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth)})

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  InitCommonControlsOnce();
  SetBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.baseClassName = PROGRESS_CLASSW;
  if (orientation_ == TProgressBarOrientation::pbVertical) p.style |= PBS_VERTICAL;
  if (smooth_) p.style |= PBS_SMOOTH;
}

void TProgressBar::CreateWindowHandleDone() {
  TWinControl::CreateWindowHandleDone();
  UpdateWindow();
}

void TProgressBar::UpdateWindow() {
  if (!HandleAllocated()) return;
  SendMessageW(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  SendMessageW(handle_, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
  SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMin(int v) {
  min_ = v;
  position_ = Within(position_, min_, max_);
  UpdateWindow();
}

void TProgressBar::SetMax(int v) {
  max_ = v;
  position_ = Within(position_, min_, max_);
  UpdateWindow();
}

void TProgressBar::SetPosition(int v) {
  position_ = Within(v, min_, max_);
  if (HandleAllocated()) SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetStep(int v) {
  step_ = v;
  if (HandleAllocated()) SendMessageW(handle_, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
}

void TProgressBar::StepIt() {
  // Past either end the bar starts again from the other, as the system's own does.
  int next = position_ + step_;
  if (min_ <= max_ && next > max_) next = min_;
  else if (min_ <= max_ && next < min_) next = max_;
  SetPosition(next);
}

void TProgressBar::SetOrientation(TProgressBarOrientation o) {
  if (o == orientation_) return;
  orientation_ = o;
  if (!Loading()) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

void TProgressBar::SetSmooth(bool v) {
  if (v == smooth_) return;
  smooth_ = v;
  RecreateWnd();
}

}  // namespace qn
