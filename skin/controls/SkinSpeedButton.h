// Speed buttons painted from the skin's button object. A speed button has no window: its parent
// paints it, so the skinner hooks the control object's WindowProc and paints through the
// parent. The button keeps its own press logic and makes its own click; the skinner adds the
// latched ("Down") face, the flat look (a face only while hot, pressed or latched) and hover from
// the class library's mouse-enter and mouse-leave messages.
#pragma once

#include "skin/controls/SkinButtons.h"

namespace qn {

// The face frame and the glyph cell a speed button shows.
struct TSpeedLook {
  int frame;  // of the button image: 1 normal, 2 pressed, 3 disabled, 4 hot
  int cell;   // of the glyph strip: 1 normal, 2 disabled, 3 pressed, 4 down
  bool operator==(const TSpeedLook&) const = default;
};
// Latched wins over everything, then disabled, pressed, hot.
TSpeedLook SpeedButtonLook(bool down, bool enabled, bool pressed, bool hot);

class TSkinSpeedButton : public TSkinBitButton {
  QN_CLASS(TSkinSpeedButton)
 public:
  explicit TSkinSpeedButton(TComponent* owner) : TSkinBitButton(owner) {}

  // Also makes the button see-through for the tag 5555 or the skin's transparent option.
  void InitGraphicControl(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas) override;
  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override { DrawSpeedbtn(dc, rc); }
  bool PaintsWholeControl() const override;

  // The whole button onto dc at rc: background, face, glyph cell and caption. A paint asked for
  // while one runs is dropped.
  void DrawSpeedbtn(HDC dc, const RECT& rc);

  bool FReentr = false;

 private:
  // The skin has a button image to paint with.
  bool HasFace() const;
};

}  // namespace qn
