// Pictures, panels and timers.
#pragma once

#include "platform/win/Controls.h"

namespace qn {

class TImage : public TGraphicControl {
  QN_CLASS(TImage)
 public:
  explicit TImage(TComponent* owner);
  TPicture* Picture() const { return picture_.get(); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool center_ = false;
};

class TCustomPanel : public TCustomControl {
  QN_CLASS(TCustomPanel)
 public:
  explicit TCustomPanel(TComponent* owner);

 protected:
  void Paint() override;
};

class TPanel : public TCustomPanel {
  QN_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// Calls OnTimer every Interval milliseconds while enabled, through a message-only window.
class TTimer : public TComponent {
  QN_CLASS(TTimer)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  int Interval() const { return interval_; }
  void SetInterval(int v);
  // A quiet timer belongs to library or engine code: an exception from its OnTimer is dropped
  // (RunQuietly) instead of reaching the application's error box.
  bool Quiet() const { return quiet_; }
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  void Loaded() override;
  TNotifyEvent OnTimer;

 private:
  static LRESULT CALLBACK TimerWndProc(HWND, UINT, WPARAM, LPARAM);
  void Update();
  HWND wnd_ = nullptr;
  bool enabled_ = true;
  bool quiet_ = false;
  int interval_ = 1000;
};

}  // namespace qn
