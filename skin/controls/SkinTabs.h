// Skinners of tabbed controls: the system tab control of page and tab controls (tabs on any
// side, close marks), page controls shown as buttons, the pages themselves, the library's
// owner-painted tab set, and third-party page controls that only take tab pictures.
#pragma once

#include <windows.h>

#include <vector>

#include "skin/controls/SkinControl.h"

namespace qn {

class TWinControl;

enum class TSkinTabPosition { StTop, Stbottom, Stleft, Stright };

// The side of the tabs of a SysTabControl32 window, from its style.
TSkinTabPosition TabPositionOf(HWND wnd);

// The system tab control: the tab row composed off screen from the skin's tab object and the
// pane's border from its border image. The scroll arrows of a long tab row have a skinner of
// their own (an up-down's, side by side): the row is never painted over them.
class TSkinTab : public TSkinControl {
  QN_CLASS(TSkinTab)
 public:
  explicit TSkinTab(TComponent* owner);
  ~TSkinTab() override;

  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  void Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) override;
  bool BeforeProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  void SkinChange() override;
  // Whether the tab row's scroll arrows are showing.
  bool CheckUpDown();

  std::vector<RECT> CloseRect;  // per tab, its close mark as last drawn (client, one lower)
  TSkinTabPosition Position = TSkinTabPosition::StTop;
  bool unicode = false;
  TBitmap tabbmp;     // the tab image, flipped for bottom tabs
  TBitmap borderbmp;  // the pane's border image, turned toward the tabs
  TBitmap Drawtemp;   // the tab row, composed lying down
  bool showclose = false;

 private:
  // Takes the images of the current skin, turned for the current side.
  void inittab();
  // A press on a close mark: the page goes, if the form agrees; true when one was hit.
  bool ClickClose(const TMessage& msg);
  void DrawCloseMark(HDC dc, const RECT& r, int i);
  TSkinTabPosition inited_position_ = TSkinTabPosition::StTop;
};

// Page controls whose tabs are buttons: the buttons from the skin's button object.
class TSkinTabBtn : public TSkinControl {
  QN_CLASS(TSkinTabBtn)
 public:
  explicit TSkinTabBtn(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
};

// The pages of a page control: the skin's face colour, with their window-less children.
class TSkinTabSheet : public TSkinControl {
  QN_CLASS(TSkinTabSheet)
 public:
  explicit TSkinTabSheet(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
};

// The library's tab set (tabs hanging from its top edge). Bound to its window, not to the
// control object's hook.
class TSkinTab31 : public TSkinControl {
  QN_CLASS(TSkinTab31)
 public:
  explicit TSkinTab31(TComponent* owner) : TSkinControl(owner) {}
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  bool BeforeProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  void SkinChange() override;
  // Lets go of the tab set and of the arrows' skinner it gave them.
  void Unsubclass() override;

  TBitmap tabbmp;                   // the tab image, flipped
  TWinControl* scroller = nullptr;  // the tab set's scroll arrows, if it has them

 private:
  void inittab();
  void AttachArrows();
};

// Page controls that paint themselves: they are given the skin's tab pictures through their
// "TabBackGround" and "TabBackGroundActive" bitmap properties (kind 4).
class TSkinAdvPage : public TSkinControl {
  QN_CLASS(TSkinAdvPage)
 public:
  explicit TSkinAdvPage(TComponent* owner) : TSkinControl(owner) {}
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  // Takes the pictures back; the control goes on painting itself as it always did.
  void Unsubclass() override;
  void DrawControl(HDC dc, const RECT& rc) override;
  void SkinChange() override;

 private:
  void ApplyTabImages();
};

}  // namespace qn
