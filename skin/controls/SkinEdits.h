// Skinners of text-entry controls: edits and memos (a thin frame), combo boxes (frame and
// drop-down button from the skin, the scroll bars of their lists) and date pickers (a frame and
// a skinned arrow button over their own). They paint over what the control painted, so the
// text, the selection and the caret stay the control's own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/win/Subclass.h"
#include "skin/controls/SkinControl.h"

namespace qn {

class TArrowButton;
class TComboxScrollBar;

// Single-line and multi-line edits (and date pickers without a drop-down button): a frame of
// the skin's shadow colour with two white lines inside, over the edit's border. A borderless
// edit keeps its own look.
class TSkinEdit : public TSkinControl {
  QN_CLASS(TSkinEdit)
 public:
  explicit TSkinEdit(TComponent* owner) : TSkinControl(owner) {}
  bool BeforeProc(TMessage& msg) override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;

  TSkinControl* updown = nullptr;  // the skinner of a spin child, once there is one
  HWND spin = nullptr;             // the spin child found at the first paint

 private:
  void FindSpinChild();
  // The frame of a WM_PRINT, on dc with its own brush inside.
  void DrawPrintFrame(HDC dc);
  int print_state_ = 0;  // the printing DC's state saved before the edit prints
};

// Combo boxes: the skin's frame and drop-down button in the button's state (normal, pressed,
// disabled, hot or focused), laid out for right-to-left windows too; a simple combo's list and
// a drop-down list get skinned scroll bars.
class TSkinComBox : public TSkinControl {
  QN_CLASS(TSkinComBox)
 public:
  explicit TSkinComBox(TComponent* owner);
  ~TSkinComBox() override;

  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  void Inithwnd(HWND ahwnd, TSkinData* sd, TCanvas* acanvas, TSkinControlHost* sf) override;
  // Also lets go of the first child and of the lists' scroll bars.
  void Unsubclass() override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  void Notification(TComponent* component, TOperation op) override;

  uint32_t dwStyle = 0;   // the combo's style (a simple combo's list's, after attaching)
  uint32_t ExStyle = 0;   // WS_EX_LEFTSCROLLBAR: the button is at the left
  HWND hlist = nullptr;   // a simple combo's list
  HWND hbtn = nullptr;    // the combo's first child, when its procedure is hooked
  bool isDrop = false;    // the drop-down list is open
  TSkinControl* vb = nullptr;      // the scroll bars of a simple combo's list
  TComboxScrollBar* db = nullptr;  // the scroll bar of the drop-down list
  COMBOBOXINFO info{};
  RECT rBtn{};            // the drop-down button, client coordinates, as last painted
  bool HasButton = false; // the button is a child window of its own (set before attaching)

 private:
  // What both ways of attaching do once the base has attached.
  void Attached(bool with_lists);
  // The first child's messages: it repaints the combo after painting itself, and shows the
  // press of the button.
  void ButtonProc(TMessage& msg);
  // A left-button press or release on the combo or its button shows in the button's frame.
  void FollowPress(UINT message);
  void ReleaseChildren();
  void DrawStyle1(HDC dc, const RECT& rc);
  // The button as a window of its own (combo boxes of the extended kind).
  void DrawSeparateButton(HDC dc, const RECT& r, int frame);
  // The frame the button state shows: 1 normal, 2 pressed, 3 disabled, 4 hot or focused.
  int ButtonFrame(bool style1) const;
  bool RightToLeft() const { return (ExStyle & WS_EX_LEFTSCROLLBAR) != 0; }

  TWindowSubclass btn_link_;
};

// Date pickers with a drop-down button: a frame like an edit's, and the skin's arrow button
// over the picker's own.
class TSkinDateTime : public TSkinControl {
  QN_CLASS(TSkinDateTime)
 public:
  explicit TSkinDateTime(TComponent* owner) : TSkinControl(owner) {}
  ~TSkinDateTime() override;
  void Init(TSkinControlHost* sf, TSkinData* sd, TCanvas* acanvas, bool acolor) override;
  // Also takes the arrow button away, so that the picker's own shows again.
  void Unsubclass() override;
  void AfterProc(TMessage& msg) override;
  void DrawControl(HDC dc, const RECT& rc) override;
  void Notification(TComponent* component, TOperation op) override;

  TArrowButton* arrow = nullptr;

 private:
  bool clip_children_added_ = false;
};

}  // namespace qn
