// Skinners of the controls that show a value within a range: track bars (channel and thumb
// from the skin through the control's custom drawing, its ticks its own), up-down arrows (also
// those inside spin edits and on a long tab row) and progress bars (painted whole).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win/GdiObjects.h"
#include "skin/controls/SkinControl.h"

namespace qn {

// Track bars: the control draws itself but asks, part by part, whether to; the channel and the
// thumb come from the skin, the ticks stay the control's.
class TSkinTrackBar : public TSkinControl {
  QN_CLASS(TSkinTrackBar)
 public:
  explicit TSkinTrackBar(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeProc(TMessage& msg) override;

  // The answer to one custom-draw notification of the track bar.
  LRESULT CustomDraw(const NMCUSTOMDRAW& cd);

 private:
  void DrawChannel(HDC dc);
  void DrawThumb(HDC dc);
  // The brush the control fills its background with: the colour its parent shows.
  HBRUSH Background(HDC dc);

  TBrushHandle background_;
  TColor background_colour_ = clNone;
};

// Up-down arrows: two buttons from the skin's spin images (VSpin upright, HSpin side by side),
// or flat boxes with small arrow marks when the skin has none. The press shows on the button
// under the cursor.
class TSkinUpDown : public TSkinControl {
  QN_CLASS(TSkinUpDown)
 public:
  explicit TSkinUpDown(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  bool PaintsWholeControl() const override { return true; }

  // The up-down skinner among owner's components that skins wnd, if there is one.
  static TSkinUpDown* OwnedBy(TComponent* owner, HWND wnd);

  bool inedit = false;  // sits inside an edit: keeps clear of the edit's three-pixel frame
  int dir = 0;          // 1: the buttons side by side, whatever the control's style

 private:
  // `part`: 0 up, 1 down, 2 left, 3 right; state 1 normal, 2 pressed, 3 disabled, 4 hot.
  void DrawButton(HDC dc, const RECT& r, int part, int state);
};

// Progress bars, painted whole from the skin's progress image: its first frame the background
// and its second the bar (or, for skins of the chunk layout, the chunk image repeated or
// stretched over the background). Upright bars fill from the bottom.
class TSkinProgress : public TSkinControl {
  QN_CLASS(TSkinProgress)
 public:
  explicit TSkinProgress(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  // The chunk layout.
  void DrawControl1(HDC dc, const RECT& rc);
  // Only when the skin has what the layout needs: else the bar keeps its own look.
  bool PaintsWholeControl() const override { return CanPaint(); }

 private:
  bool CanPaint() const;
  // The bar's length along `length` pixels: its position's share of the range.
  int Filled(int length) const;

  TBitmap picture_{0, 0, TPixelFormat::pf24bit};  // the bar composed lying down
  TBitmap chunks_{0, 0, TPixelFormat::pf24bit};   // the chunk layout's bar before it goes on
};

}  // namespace qn
