// Two small companions of the combo-box and date-picker skinners: the painter of a drop-down
// list's vertical scroll bar, which draws the skin straight over the list's own bar and drags
// the thumb itself, and the skinned arrow button laid over a date picker's drop-down button.
#pragma once

#include <windows.h>

#include <memory>

#include "skin/controls/SkinControl.h"

namespace qn {

// The vertical scroll bar of a combo box's drop-down list, painted from the skin's scroll-bar
// images over the list's own bar after every frame paint and scroll. Arrows and page areas
// stay the system's; a press on the thumb is dragged here. Attached to the list window with
// Inithwnd.
class TComboxScrollBar : public TSkinControl {
  QN_CLASS(TComboxScrollBar)
 public:
  explicit TComboxScrollBar(TComponent* owner);

  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;

  int cw = 0;         // arrow length: the system's scroll-bar width
  int len = 0;        // the bar's length at the last paint
  int scrollpos = -1; // never changes: every part is painted in its normal state
  int thumbtop = 0, thumbBottom = 0;  // along the bar, at the last paint

 private:
  // A press on the thumb (hit code HTVSCROLL, screen point in lParam): dragged here until
  // the button comes up. False when the press is not on the thumb.
  bool ThumbDrag(const TMessage& msg);
  std::unique_ptr<TBitmap> bar_;  // the bar composed off screen, resized to each paint
};

// A small child window over a date picker's own drop-down button: the skin's arrow image, hot
// while the mouse is over it; a click on it is replayed to the picker, which opens its
// drop-down as if its own button had been clicked. Owned by the picker's skinner.
class TArrowButton : public TCustomControl {
  QN_CLASS(TArrowButton)
 public:
  explicit TArrowButton(TComponent* owner);
  ~TArrowButton() override;

  // Places the button inside the picker's window, over its own button; obj paints it.
  void Attach(TSkinControl* obj, TWinControl* picker);
  // After the picker's size changed (rect: its window rectangle at the origin).
  void MoveArrow(const RECT& rect);

  int cw = 0;                   // width: the system's scroll-bar width
  TWinControl* control = nullptr;  // the picker
  TSkinControl* obj = nullptr;  // the picker's skinner, for the skin
  HWND hwnd = nullptr;          // the picker's window
  uint8_t state = 0;            // kStateHot

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void WndProc(TMessage& msg) override;

 private:
  int LeftFor(int picker_width) const;
  void SetHot(bool hot);
};

}  // namespace qn
