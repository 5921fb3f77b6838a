// Range controls of the common controls: track bars (a thumb dragged along a channel), up-down
// arrows (a pair of buttons that step a number, optionally shown in a buddy control) and
// progress bars. Each keeps its values itself, so they read back before and after the window
// exists, and hands them to its window whenever it has one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win/Controls.h"

namespace qn {

enum class TTrackBarOrientation { trHorizontal, trVertical };
extern const TEnumInfo kTrackBarOrientationInfo;
enum class TTickStyle { tsNone, tsAuto, tsManual };
extern const TEnumInfo kTickStyleInfo;

// A msctls_trackbar32 window. Position follows the thumb as the user moves it (by mouse or
// keys); OnChange fires whenever it changes, by the user or by the program.
class TTrackBar : public TWinControl {
  QN_CLASS(TTrackBar)
 public:
  explicit TTrackBar(TComponent* owner);

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  void SetPosition(int v);
  // Lying the other way swaps width and height and makes the window again.
  TTrackBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation o);
  TTickStyle TickStyle() const { return tick_style_; }
  void SetTickStyle(TTickStyle s);
  // A tick every Frequency positions (automatic ticks).
  int Frequency() const { return frequency_; }
  void SetFrequency(int v);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void UpdateRange();
  // Takes the position the window shows (after the user moved the thumb).
  void FollowWindow();

  int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1;
  TTrackBarOrientation orientation_ = TTrackBarOrientation::trHorizontal;
  TTickStyle tick_style_ = TTickStyle::tsAuto;
};

enum class TUDOrientation { udVertical, udHorizontal };
extern const TEnumInfo kUDOrientationInfo;
enum class TUDBtnType { btNext, btPrev };
using TUDClickEvent = TEvent<void(TObject* sender, TUDBtnType button)>;
using TUDChangingEvent = TEvent<void(TObject* sender, bool& allow_change)>;

// A msctls_updown32 window. A press on an arrow asks OnChanging first (which may refuse), then
// moves Position by Increment within Min..Max and fires OnClick with the arrow pressed (btNext
// toward Max). With an Associate, the number also shows as that control's text.
class TUpDown : public TWinControl {
  QN_CLASS(TUpDown)
 public:
  explicit TUpDown(TComponent* owner);
  ~TUpDown() override;

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const;
  void SetPosition(int v);
  int Increment() const { return increment_; }
  void SetIncrement(int v);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation o);
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* control);
  void Notification(TComponent* component, TOperation op) override;

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void UpdateWindow();

  int min_ = 0, max_ = 100, increment_ = 1;
  mutable int position_ = 0;
  TUDOrientation orientation_ = TUDOrientation::udVertical;
  TWinControl* associate_ = nullptr;
};

enum class TProgressBarOrientation { pbHorizontal, pbVertical };
extern const TEnumInfo kProgressBarOrientationInfo;

// A msctls_progress32 window: Position within Min..Max, moved by the program (StepIt adds Step,
// wrapping to Min past Max as the system's bar does).
class TProgressBar : public TWinControl {
  QN_CLASS(TProgressBar)
 public:
  explicit TProgressBar(TComponent* owner);

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v);
  void StepIt();
  // Upright bars fill from the bottom; changing it swaps width and height and makes the window
  // again.
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation o);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;

 private:
  void UpdateWindow();

  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  TProgressBarOrientation orientation_ = TProgressBarOrientation::pbHorizontal;
  bool smooth_ = false;
};

}  // namespace qn
