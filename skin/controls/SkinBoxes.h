// Skinners of container-like controls, which have no per-state faces: group boxes (a rounded
// frame and the caption over it), panels (recoloured only), bare container windows and size
// grips (the face colour), and status bars (skin panels, captions and the size grip). Also the
// small drawing helpers the menu bar and the up-down painters share with them.
#pragma once

#include <string>

#include "skin/controls/SkinControl.h"

namespace qn {

// Group boxes and radio groups: the face colour, a rounded frame in the skin's shadow colour
// and the caption over the frame line. The control's own paint is replaced.
class TSkinGroupBox : public TSkinControl {
  QN_CLASS(TSkinGroupBox)
 public:
  explicit TSkinGroupBox(TComponent* owner) : TSkinControl(owner) {}
  // Attached to a control object, the skinner paints the box alone (kind 1); on a bare window
  // it paints over the window's own picture (kind 0).
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  bool BeforeProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;

  int border = 0;  // not used
};

// Panels and other containers: they only wear the skin's face colour while skinned. Their
// window is never hooked.
class TSkinBox : public TSkinControl {
  QN_CLASS(TSkinBox)
 public:
  explicit TSkinBox(TComponent* owner) : TSkinControl(owner) {}
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  // Gives the control its own colour back.
  void Unsubclass() override;
  void AfterProc(TMessage&) override {}
  void SkinChange() override;

  int border = 0;  // not used
};

// A bare container window (a nested dialog, a tool bar without a control object): its
// background and its static children's backgrounds in the face colour.
class TSkinBoxH : public TSkinControl {
  QN_CLASS(TSkinBoxH)
 public:
  explicit TSkinBoxH(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeProc(TMessage& msg) override;
};

// A bare window of the system scroll-bar class, such as a dialog's size grip: shown as a plain
// face-coloured rectangle.
class TSkinSizer : public TSkinControl {
  QN_CLASS(TSkinSizer)
 public:
  explicit TSkinSizer(TComponent* owner) : TSkinControl(owner) {}
  void DrawControl(HDC dc, const RECT& rc) override;
};

// What a status bar's OnDrawPanel handler is called with: the control, the panel and the
// panel's rectangle inside its frame, in client coordinates. Called after the skinned paint.
using TDrawPanelEvent = TEvent<void(TObject* status_bar, TObject* panel, const RECT& rect)>;

// Status bars: each panel on the skin's panel image (or a bevel without one), its text, and
// the skin's size grip. The control's own paint is replaced.
class TSkinStatusBar : public TSkinControl {
  QN_CLASS(TSkinStatusBar)
 public:
  explicit TSkinStatusBar(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;

  bool SizeGrip = false;  // not used: the window style says whether there is a grip

 private:
  // The panel's background: frame `frame` of the skin's panel image, or a bevel.
  void DrawPanelBack(HDC dc, const RECT& r, int frame);
  // The program's own drawing of each panel, after the skinned paint.
  void CallDrawPanel();
  TCanvas canvas_;  // on the composed picture while painting
};

// The group-box frame of the skinner's control on dc: face, rounded frame, caption, and the
// control's window-less children.
void DrawGroupFrame(TSkinControl& skinner, HDC dc, const RECT& rect);

// text centred both ways in rect (alignment 0 left, 1 right, 2 centre only matters for text
// wider than rect), in the canvas's font, or the button-shadow colour when not enabled.
void DrawCenterText(TCanvas& canvas, const RECT& rect, const std::wstring& text, int alignment, bool enabled);

// A small arrow with the canvas's pen: 0 up (tip at (x, y)), 1 down (tip at (x, y + 3)),
// 2 a triangle pointing left, 3 one pointing right; any other kind draws nothing.
void DrawArrowMark(TCanvas& canvas, int x, int y, int kind);

}  // namespace qn
