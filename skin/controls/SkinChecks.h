// Check boxes and radio buttons painted from the skin's button object: a small state picture,
// one cell of its check or radio image, at the left (or right) edge and centred vertically,
// and the caption beside it. On a control object the skinner paints the whole control when the
// skin has the picture; on a bare button window it paints only the picture over the window's
// own drawing. Clicks, keys and accelerators stay the control's own.
#pragma once

#include "skin/controls/SkinControl.h"

namespace qn {

// The check image's cell (from 1) for a box: `cell` is 1 unchecked, 2 checked or 4 grayed as
// the box reads; disabled and the window's indeterminate state are then applied for an image
// of `cells` cells (12 cells: unchecked, checked and indeterminate rows of four, each with its
// disabled cell last; any other count: unchecked, checked, and their disabled cells).
int CheckBoxCell(int cell, bool disabled, bool indeterminate, int cells);
// The radio image's cell (from 1): 8 cells are two rows of four as above; any other count is
// unchecked, checked, and their disabled cells.
int RadioButtonCell(bool checked, bool disabled, int cells);
// The cell actually drawn from an image of `cells` cells: a disabled cell the image lacks
// falls back to the enabled one, anything else it lacks to the first.
int ExistingCell(int cell, int cells);

class TSkinCheckBox : public TSkinControl {
  QN_CLASS(TSkinCheckBox)
 public:
  explicit TSkinCheckBox(TComponent* owner) : TSkinControl(owner) {}

  // Attached to a control object, the skinner paints the whole box when the skin has a check
  // picture (kind 1); otherwise, and on a bare window, it overlays the picture (kind 0).
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  bool PaintsWholeControl() const override;
  // A new skin decides again whether the box is painted whole.
  void SkinChange() override;

  // The last check state the window was given, plus 1: 1 unchecked, 2 checked, 3
  // indeterminate; 0 before any. Read for data-bound boxes, whose own state may lag.
  int checkstate = 0;
  bool trans = false;  // see-through: the parent's picture behind the box
};

class TSkinRadioButton : public TSkinControl {
  QN_CLASS(TSkinRadioButton)
 public:
  explicit TSkinRadioButton(TComponent* owner) : TSkinControl(owner) {}

  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  bool PaintsWholeControl() const override;
  void SkinChange() override;

  bool trans = false;
};

}  // namespace qn
