// Media players: a panel of the skinner's own lies over the player's row of buttons and draws
// them from the skin's button faces with the player's glyphs; presses on the panel are handed
// to the player, which does the work.
#pragma once

#include <array>

#include "platform/win/ExtCtrls.h"
#include "platform/win/MPlayer.h"
#include "skin/controls/SkinControl.h"

namespace qn {

class TWMediaPlayer : public TCustomPanel {
  QN_CLASS(TWMediaPlayer)
 public:
  explicit TWMediaPlayer(TComponent* owner);

  struct TMPButton {
    bool visible = false, enabled = false, colored = false;
    TBitmap glyph_enabled, glyph_disabled, glyph_colored;
  };
  // Over `control` on its parent, as the skinner's.
  void Attach(TSkinControl* skinner, TWinControl* control);
  // The control's bounds.
  void SetPosition(TWinControl* control);
  // The visible button under a panel x (both edges of a button count), 9 for none.
  int ButtonAt(int x) const;

  std::array<TMPButton, kMPButtonCount> Buttons;
  int count = 0;  // visible buttons at the last paint
  TSkinData* fsd = nullptr;
  bool IsDown = false;
  int BtnClick = kMPButtonCount;
  int BtnFocuse = kMPButtonCount;  // under the last mouse event, 9 for none
  int BtnWidth = 0;
  TWinControl* obj = nullptr;
  TSkinControl* skincontrol = nullptr;

 protected:
  void Paint() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void PaintButtons();
  void ReadButtons();
  void DrawButton(HDC dc, const RECT& r, int i);
};

class TSkinMP : public TSkinControl {
  QN_CLASS(TSkinMP)
 public:
  explicit TSkinMP(TComponent* owner) : TSkinControl(owner) {}
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  void Unsubclass() override;
  void AfterProc(TMessage& msg) override;
  void SkinChange() override;

  TWMediaPlayer* mp = nullptr;  // owned by the skinner
};

}  // namespace qn
