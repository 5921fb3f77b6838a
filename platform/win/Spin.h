// A spin edit: an edit of whole numbers with an up-down of its own inside its right edge. The
// arrows (and the Up and Down keys) step the number by Increment, kept within MinValue ..
// MaxValue unless both are equal (no limits then); typed text is read as the number.
#pragma once

#include <windows.h>

#include "platform/win/StdCtrls.h"

namespace qn {

class TSpinEdit : public TCustomEdit {
  QN_CLASS(TSpinEdit)
 public:
  explicit TSpinEdit(TComponent* owner);

  // The number shown; text that is no number reads as the last number set.
  int Value() const;
  void SetValue(int v);
  int MinValue() const { return min_; }
  void SetMinValue(int v);
  int MaxValue() const { return max_; }
  void SetMaxValue(int v);
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  // The up-down window inside the edit (a bare msctls_updown32 child); null before the edit's
  // window exists.
  HWND Button() const { return button_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  void DestroyWnd() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  int Checked(int v) const;
  void StepBy(int steps);
  void PlaceButton();

  int value_ = 0, min_ = 0, max_ = 0, increment_ = 1;
  HWND button_ = nullptr;
};

}  // namespace qn
