// Header controls painted from the skin's header image: one nine-sliced cell per item (the one
// under the mouse in its hot frame), the item's picture and caption on it, and the image again
// over the empty space after the last item. Stand-alone headers get one from control discovery,
// a list view's column header from the list view's skinner.
#pragma once

#include <vector>

#include "skin/controls/SkinControl.h"

namespace qn {

//
// Known to the class library (and to control discovery's rules) as "TSkinHeader"; in C++ that
// name belongs to the skin archive's head record.
class TSkinHeaderCtrl : public TSkinControl {
  QN_CLASS(TSkinHeaderCtrl)
 public:
  explicit TSkinHeaderCtrl(TComponent* owner) : TSkinControl(owner) {}

  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  void Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) override;
  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  bool PaintsWholeControl() const override { return HasImage(); }

  // Hover rectangle of every item (its rectangle less 3 pixels at each side) at the last paint.
  std::vector<RECT> Items;
  int indexitem = -1;  // the hot item, -1 for none

 private:
  // The skin has a header image to paint with; without one the header paints itself.
  bool HasImage() const;
  void Hover(POINT p);
  void DrawItem(HDC dc, int i, const RECT& r, HIMAGELIST images);
  void DrawCaption(HDC dc, const RECT& c, int alignment, const std::wstring& text, int index, HIMAGELIST images);
};

}  // namespace qn
