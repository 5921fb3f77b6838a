// Scroll bars. A window's own scroll bars are never painted in place: an overlay, a small
// child window of ours, lies exactly over each visible bar and shows the skin's arrows, track
// and thumb. Presses on it go to the real bar underneath, so that the system keeps doing the
// scrolling, the auto-repeat and the thumb tracking; the scroll notifications the window then
// gets tell the overlay which part is active. Four skinners own overlays: one for a control
// with built-in bars, one for a list view, one for a bare window, one for a stand-alone
// scroll-bar control.
#pragma once

#include <memory>

#include "platform/win/ExtCtrls.h"
#include "skin/controls/SkinControl.h"

namespace qn {

// TWScrollbar::sbType.
constexpr int kBarHorizontal = 0;  // the window's horizontal bar
constexpr int kBarVertical = 1;    // its vertical bar
constexpr int kBarControl = 2;     // a stand-alone scroll-bar control

// TWScrollbar::scrollpos: the active part, numbered as the system's scroll codes.
constexpr int kPartNone = -1;
constexpr int kPartFirstArrow = SB_LINEUP;     // left or up
constexpr int kPartSecondArrow = SB_LINEDOWN;  // right or down
constexpr int kPartTrackBefore = SB_PAGEUP;    // track before the thumb
constexpr int kPartTrackAfter = SB_PAGEDOWN;   // track after it
constexpr int kPartThumb = SB_THUMBTRACK;

// Frames of the skin's scroll-bar arrow image (SArrow), which holds kArrowFrames side by side.
constexpr int kArrowFrames = 23;
constexpr int kArrowLeft = 1, kArrowRight = 5, kArrowUp = 9, kArrowDown = 13;  // normal; +1 pressed, +3 hot
constexpr int kGripHorizontal = 17, kGripVertical = 20;                      // normal; +1 pressed, +2 hot
constexpr int kTrackFrames = 4;  // HBar, VBar: 1 enabled, 3 disabled

// The overlay of one scroll bar.
class TWScrollbar : public TCustomPanel {
  QN_CLASS(TWScrollbar)
 public:
  explicit TWScrollbar(TComponent* owner);
  ~TWScrollbar() override;

  // Over bar `type` of the control's window (for kBarControl, over the scroll-bar control
  // itself, lying the way its Kind says); the overlay takes the colour behind the control.
  void Attach(TSkinControl* skinner, TWinControl* control, int type);
  // Over bar `type` of a bare window.
  void AttachHwnd(TSkinControl* skinner, HWND handle, int type);
  // Places the overlay over the bar of `handle`, or hides it when the window or the bar is
  // hidden or the skin has nothing to paint a bar with (the real bar then shows).
  void SetPosition(HWND handle);
  void HideScrollbar();
  // A press handed to the real bar is over.
  void ButtonUp();
  // The bar's rectangle (for kBarControl, the control's bounds in its parent), thumb and
  // state, as the system reports them for the window's bars; false when it cannot tell.
  [[nodiscard]] bool GetInfo(SCROLLBARINFO& info);
  // The part under a point of the overlay (kPart...).
  int HitTest(POINT p) const;
  // The bar's rectangle on the screen when the overlay was last placed.
  RECT ScreenRect() const { return screen_rect_; }
  void DoLog(const wchar_t*) {}

  int Len = 0;              // length along the bar
  int thumbTop = 0;         // thumb start along the bar, from the bar's start
  int thumbbottom = 0;      // thumb end (exclusive)
  POINT OffsetSC{};         // the bar's top-left corner on the screen
  POINT trackp{};           // the cursor when the left button went down (screen)
  int trackthumb = 0;       // the thumb's start the system reported then
  bool fdown = false;       // a press is with the real bar (the system is tracking it)
  int sbDir = 0;            // 0 horizontal, 1 vertical
  bool ERASEBKGND = false;  // not used
  int scrollpos = kPartNone;
  int CW = 0;               // length of an arrow: the system's scroll-bar width
  HWND hwnd = nullptr;      // the window whose bar this is (for kBarControl, the control)
  TWinControl* control = nullptr;  // its control object; null for a bare window
  TSkinControl* obj = nullptr;     // the skinner that owns the overlay
  int sbType = kBarHorizontal;
  RECT sbRect{};            // the bar in the window's client coordinates
  bool sbVisible = false;   // shown over a visible bar

  // Whether the skin has the arrow picture every bar is drawn with.
  bool SkinPaintsBars() const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& msg) override;

 private:
  void PaintBar(HDC target);
  void TrackThumb();
  void Pressed(const TMessage& msg);
  void Released(const TMessage& msg);
  void MouseMoved(const TMessage& msg);

  HWND parent_wnd_ = nullptr;  // the window the overlay is a child of
  RECT screen_rect_{};
  std::unique_ptr<TBitmap> buffer_;  // the composed bar, resized to each paint
  std::shared_ptr<bool> alive_;
};

// The skinner of a control object with built-in scroll bars (memos, list boxes, grids ...):
// overlays over both bars, the control's frame in the skin's colours, and a grid's fixed
// cells in the skin's face colour.
class TSkinScrollbar : public TSkinControl {
  QN_CLASS(TSkinScrollbar)
 public:
  explicit TSkinScrollbar(TComponent* owner);
  ~TSkinScrollbar() override;

  // Attaches to the control (the skinner's owner): its WindowProc is hooked and its bars get
  // their overlays. Init does the same.
  virtual void InitScrollbar(TWinControl* acontrol, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf);
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  void Unsubclass() override;
  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  // The overlays follow the bars; the corner between two bars takes the face colour. Nothing
  // else of the control is painted, so nothing of it is copied.
  void PaintControl(HDC adc) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  void SkinChange() override;
  // The window the skinner was attached to, also once it is gone (WM_SKINRECREATED names it).
  HWND AttachedWindow() const { return attached_; }

  bool nobe = true;      // not used
  TWScrollbar* hb = nullptr;
  TWScrollbar* vb = nullptr;
  int postype = 0;       // not used
  bool painted = false;  // not used
  bool border = false;   // the control's frame is drawn in the skin's colours

 protected:
  // Both overlays placed again, or hidden.
  void PlaceBars();
  void HideBars();
  // The square between two visible bars, in window coordinates; empty when there is none.
  RECT Corner() const;
  // The two-pixel frame of the control's window on dc (window coordinates).
  void DrawBorder(HDC dc);

 private:
  void FreeBars();
  void FollowBars();
  // While the overlays paint the bars, the control has the system draw them no more.
  void CoverBars(bool covered);
  HWND attached_ = nullptr;
};

// A list view: as TSkinScrollbar, and its column header gets a header skinner.
class TSkinListView : public TSkinScrollbar {
  QN_CLASS(TSkinListView)
 public:
  explicit TSkinListView(TComponent* owner) : TSkinScrollbar(owner) {}
  void InitScrollbar(TWinControl* acontrol, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) override;

  void* FHeaderInstance = nullptr;  // not used
  void* FDefHeaderProc = nullptr;   // not used
  HWND hHwnd = nullptr;             // not used
  TSkinControl* header = nullptr;   // the header's skinner, once there is one
};

// A bare window (no control object) with built-in scroll bars; also what the combo-box
// skinner puts on its drop-down list.
class TSkinScrollbarH : public TSkinControl {
  QN_CLASS(TSkinScrollbarH)
 public:
  explicit TSkinScrollbarH(TComponent* owner);
  ~TSkinScrollbarH() override;
  void Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) override;
  void Unsubclass() override;
  void AfterProc(TMessage& msg) override;
  void PaintControl(HDC adc) override;
  void DrawControl(HDC dc, const RECT& rc) override;

  TWScrollbar* hb = nullptr;
  TWScrollbar* vb = nullptr;
  int postype = 0;  // not used

 private:
  void FreeBars();
};

// Record of the original's scroll-bar control skinner; not used.
struct TScrollBarPos {
  int Btn = 0, ScrollArea = 0, Thumb = 0, ThumbPos = 0, MsgID = 0;
};

// A stand-alone scroll-bar control (the class library's TScrollBar): one overlay over all of it.
class TSkinScControl : public TSkinControl {
  QN_CLASS(TSkinScControl)
 public:
  explicit TSkinScControl(TComponent* owner);
  ~TSkinScControl() override;
  void InitScrollbar(TWinControl* acontrol, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf);
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  void Unsubclass() override;
  void AfterProc(TMessage& msg) override;
  void PaintControl(HDC adc) override;
  void DrawControl(HDC dc, const RECT& rc) override;

  int downBtn = 0;  // not used
  TScrollBarPos SP;  // not used
  TWScrollbar* sb = nullptr;

 private:
  void FreeBar();
  void CoverBar(bool covered);
};

}  // namespace qn
