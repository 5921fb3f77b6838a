// The base of every control skinner: one companion per skinned control, owned by the control
// it skins (by the form skinner for a bare window). It sees each of the control's messages
// before and after the control's own handling, lets the control do its work and paints it from
// the skin, after its own painting or instead of it. The concrete skinners override
// BeforeProc, AfterProc and DrawControl.
//
// A skinner is made, used and freed on its control's thread. Nothing it does while handling a
// message escapes as an exception: its own failures are dropped and reported (the control then
// handles the message as if unskinned), while the control's own failures go on to where they
// would go without the skinner.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win/Controls.h"
#include "platform/win/Graphics.h"
#include "platform/win/Subclass.h"
#include "skin/controls/SkinControlHost.h"
#include "skin/data/SkinObjects.h"

namespace qn {

class TMethodHook;
class TSkinData;

// Bits of TSkinControl::state, set and cleared by the concrete skinners.
constexpr uint8_t kStateHot = 1;      // the mouse is over the control
constexpr uint8_t kStatePressed = 2;  // the left button is held down on it

// TSkinControl::skinstate.
constexpr int kSkinCreated = 0;     // not attached
constexpr int kSkinAttached = 1;    // Init, Inithwnd or InitGraphicControl ran
constexpr int kSkinColorBack = 2;   // a panel skinner that never hooks gave the colour back
constexpr int kSkinWindowGone = 6;  // the control's window is being destroyed

class TSkinControl : public TComponent {
  QN_CLASS(TSkinControl)
 public:
  explicit TSkinControl(TComponent* owner);
  ~TSkinControl() override;

  // ---- Attaching (each once) ----
  // To the owner, a windowed control of the class library: its WindowProc is hooked. With
  // acolor the control wears the skin's face colour while skinned. sf lists the skinner.
  virtual void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor);
  // To a bare window of this thread: its window procedure is subclassed.
  virtual void Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf);
  // To the owner, a window-less control: its WindowProc is hooked, and it is painted through
  // its parent's window.
  virtual void InitGraphicControl(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas);
  // Stops skinning: from now on the hook hands every message straight to the control, which
  // gets its colour back and repaints itself (not when its window is being destroyed). The hook
  // itself goes with the skinner.
  virtual void Unsubclass();

  // ---- Messages ----
  // Before the control's own handling; false keeps the message from the control and from
  // AfterProc (msg.Result is then the answer). The base answers WM_SKINQUERY and lets go of a
  // window being destroyed.
  virtual bool BeforeProc(TMessage& msg);
  // After the control's own handling; the base repaints on focus, enabling, text and WM_PAINT.
  virtual void AfterProc(TMessage& msg);
  // From BeforeProc or AfterProc only: the control's own (previous) handling of msg.
  void CallOldProc(TMessage& msg);

  // ---- Painting ----
  // The whole control from the skin, onto adc or the window's own DC. Failures are dropped.
  virtual void PaintControl(HDC adc);
  // The painter of one kind of control: dc is an off-screen picture of the control as it looks
  // now, rc its rectangle (at the origin); what it draws reaches the screen in one blit.
  virtual void DrawControl(HDC dc, const RECT& rc) {}
  // The painter covers every pixel of rc itself: the off-screen picture then starts empty
  // instead of as a copy of the screen, which is slow to read.
  virtual bool PaintsWholeControl() const { return false; }
  // True when DrawControl would draw, over rc, exactly the picture it drew last time: that
  // picture, still in the off-screen buffer, is then shown again without drawing.
  virtual bool PictureUnchanged(const RECT& rc) { return false; }
  // The next paint draws afresh (something the picture depends on changed unseen).
  void ForgetPicture() { picture_kept_ = false; }
  // The skin was replaced: the control takes the new face colour (if it wears the skin's) and
  // is repainted.
  virtual void SkinChange();
  virtual int GetState() { return 1; }
  // Repaints now (a window-less control: asks its parent to).
  void Redraw();
  // Tells the control that the mouse has left it.
  void MouseLeave();
  // WM_PAINT taken over by a skinner's BeforeProc: painted through DrawControl alone.
  void WMPaint(TMessage& msg);
  // WM_ERASEBKGND of a see-through control: its parent's picture behind it.
  void WMEraseBkgnd(TMessage& msg);

  // ---- Colours ----
  TColor FaceColor() const;  // the skin's button face, painted behind skinned controls
  // The colour the control's parent shows (the skin's face for a skinned parent), or acolor
  // when it has none that can be read.
  TColor GetParentColor(TColor acolor) const;
  void FillFace(HDC dc, const RECT& rect) const;
  void FillParentColor(HDC dc, const RECT& rect) const;

  // ---- Skin images (frames numbered from 1, side by side) ----
  // Frame i of n of a skin object nine-sliced onto rc; magenta is left out when the object says so.
  void DrawSkinMap(HDC dc, const RECT& rc, TDataSkinObject& object, int i, int n) const;
  // Frame i of n of a plain bitmap stretched onto rc, magenta left out.
  void DrawSkinMap1(HDC dc, const RECT& rc, TBitmap& bmp, int i, int n) const;
  void DrawSkinMap2(HDC dc, const RECT& rc, TBitmap& bmp, int i, int n) const;
  void DrawSkinMap3(TCanvas& canvas, const RECT& rc, TBitmap& bmp, int i, int n) const;

  // ---- Captions (in the canvas's font) ----
  // dw with right-to-left reading added for a control that reads right to left.
  UINT CheckBiDi(UINT dw) const;
  static int TextHeight(HDC dc, const std::wstring& text);
  // Text centred vertically one pixel high, aligned by alignment (DT_LEFT, DT_CENTER,
  // DT_RIGHT) within rc; grey when not enabled. defaulted is not used.
  void DrawCaption(TCanvas& canvas, const RECT& rc, const std::wstring& text, bool enabled, bool defaulted,
                   UINT alignment);
  // A picture of the image list followed by the text, placed as one block by talign (0 left,
  // 1 centre, 2 right); without a picture (index -1 or no list) the text alone.
  void DrawImgCaption(TCanvas& canvas, const RECT& rc, HIMAGELIST images, int index, const std::wstring& text,
                      int talign);
  // The focus rectangle around `caption` as drawn with flags in rect.
  void DrawCaptionFocus(HDC dc, UINT flags, const RECT& rect);

  // A left-button press the skinner kept from the control, given to the control's mouse-down
  // handling (its OnMouseDown fires) at the press's client position.
  void ForwardMouseDown(const TMessage& msg);

  // The skin objects the skinner paints with: its form skinner's set (kept by the caller for
  // as long as it paints).
  std::shared_ptr<TSkinObjects> Skin() const;
  // The control object: the windowed one or the window-less one; null for a bare window.
  TControl* Target() const;

  // ---- State (the concrete skinners and the form skinner read and write these) ----
  uint8_t state = 0;               // kStateHot | kStatePressed
  TCanvas* fCanvas = nullptr;      // the form skinner's canvas
  bool done = false;               // cleared at every message; a skinner may set it
  bool enabled = true;             // at the last paint
  bool focused = false;            // at the last paint
  std::wstring caption;            // as last read
  bool skinned = true;             // false: messages go straight to the control
  bool isunicode = false;
  TSkinData* fsd = nullptr;
  HWND hwnd = nullptr;
  TWinControl* control = nullptr;  // null for a bare window and a window-less control
  RECT boundsrect{};               // screen coordinates, at the last paint
  TGraphicControl* GControl = nullptr;
  bool newColor = false;           // the control wears the skin's face colour while skinned
  TColor oldcolor = clDefault;     // its own colour
  bool Inited = false;
  int skinstate = kSkinCreated;
  TSkinControlHost* skinform = nullptr;
  int kind = 0;                    // variant, per skinner
  bool sizing = false;
  bool parentbk = false;           // set before Init: kind becomes 1

  // The control's window has the keyboard focus; followed from its focus messages, which is
  // cheaper than asking the system at each paint.
  bool HasFocus() const { return has_focus_; }

 protected:
  // Every message of the control passes through here while the skinner is attached.
  void NewWndProc(TMessage& msg);
  // Runs the program's own code for the control (its click or mouse-down event) from
  // BeforeProc or AfterProc: a failure there goes on to the program, as the control's own
  // handling's would.
  template <class F>
  void RunTheirs(F&& f) {
    TDispatch* d = dispatch_;
    try {
      f();
    } catch (...) {
      if (d) d->theirs = true;
      throw;
    }
  }
  // False once the skinner is freed: code that may run the program's handlers keeps a copy.
  std::shared_ptr<bool> alive_;

 private:
  // One message being handled, innermost last.
  struct TDispatch {
    bool passed;  // the control has handled the message
    bool theirs;  // the control's own handling failed
    TDispatch* outer;
  };
  void Dispatch(TMessage& msg);
  void PassOn(TMessage& msg);
  // draw paints on an off-screen copy of rc of target, which then goes back in one blit.
  template <class F>
  void Compose(HDC target, const RECT& rc, F&& draw);
  // DrawControl's picture of rc onto target: the kept one when it is unchanged.
  void ComposeControl(HDC target, const RECT& rc);
  // Joins the form skinner's list and marks the skinner attached.
  void Attached(TSkinControlHost* sf);

  TMethodHook* hook_ = nullptr;  // the control's WindowProc hook; belongs to the control
  TWindowSubclass subclass_;     // a bare window's
  bool recolored_ = false;       // the control wears the face colour and has its own to get back
  TDispatch* dispatch_ = nullptr;
  std::unique_ptr<TBitmap> buffer_;  // the off-screen picture, resized to each paint
  bool buffer_busy_ = false;
  bool picture_kept_ = false;  // buffer_ holds DrawControl's last picture
  bool has_focus_ = false;
};

// Fills rect with a solid brush of colour.
void FillColor(HDC dc, const RECT& rect, TColor colour);

}  // namespace qn
