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

// What check boxes and radio buttons share: the choice between painting the whole control and
// overlaying the picture, the see-through background, and the paint of the picture with the
// caption. A kind differs in its image and in the cell its state shows.
class TSkinCheckButton : public TSkinControl {
  QN_CLASS(TSkinCheckButton)
 public:
  // Attached to a control object, the skinner paints the whole control when the skin has the
  // picture (kind 1); otherwise, and on a bare window, it overlays the picture (kind 0).
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  bool PaintsWholeControl() const override;
  // A new skin decides again whether the control is painted whole.
  void SkinChange() override;

  bool trans = false;  // see-through: the parent's picture behind the control

 protected:
  TSkinCheckButton(TComponent* owner, bool radio) : TSkinControl(owner), radio_(radio) {}
  // The cell of an image of `cells` cells that the control's state shows.
  virtual int StateCell(int cells) = 0;

 private:
  const bool radio_;
};

class TSkinCheckBox : public TSkinCheckButton {
  QN_CLASS(TSkinCheckBox)
 public:
  explicit TSkinCheckBox(TComponent* owner) : TSkinCheckButton(owner, false) {}

  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  void AfterProc(TMessage& msg) override;

  // The last check state the window was given, plus 1: 1 unchecked, 2 checked, 3
  // indeterminate; 0 before any. Read for data-bound boxes, whose own state may lag.
  int checkstate = 0;

 protected:
  int StateCell(int cells) override;
};

class TSkinRadioButton : public TSkinCheckButton {
  QN_CLASS(TSkinRadioButton)
 public:
  explicit TSkinRadioButton(TComponent* owner) : TSkinCheckButton(owner, true) {}

 protected:
  int StateCell(int cells) override;
};

}  // namespace qn
