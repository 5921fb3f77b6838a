// Check boxes and radio buttons of other component families that can draw their box from a
// glyph strip a program gives them, in place of the system's box: TRzCheckBox and
// TRzRadioButton with "CustomGlyphs" (used while "UseCustomGlyphs" is on, "TransparentColor"
// left out), and TcxCheckBox with "Properties"."Glyph". Without a strip they draw the system's
// box. A click, or the space bar, moves them to their next state and fires OnClick.
//
// A strip's cells lie side by side: for a check box unchecked, checked and grayed, for a radio
// button unchecked and checked; that row first as it looks normally, then while pressed, then
// disabled. A strip with fewer rows shows its first row where a row is missing.
#pragma once

#include <functional>
#include <memory>

#include "platform/win/Controls.h"
#include "platform/win/StdCtrls.h"

namespace qn {

class TGlyphCheckControl : public TCustomControl {
  QN_CLASS(TGlyphCheckControl)
 public:
  explicit TGlyphCheckControl(TComponent* owner);

  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState state);
  bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
  virtual void SetChecked(bool checked);
  // Clicks pass through the grayed state too (check boxes only).
  bool AllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool allow) { allow_grayed_ = allow; }

  // The left button or the space bar is held down on the control.
  bool Pressed() const { return pressed_; }

  // The next state, then OnClick.
  void Click() override;

 protected:
  // The strip to draw the box from now: null (or empty) for the system's box.
  virtual TBitmap* Strip() const { return nullptr; }
  virtual int StripCells() const { return 9; }
  // The strip's colour that is left out; clDefault for its bottom-left pixel.
  virtual TColor StripKey() const { return clDefault; }
  virtual bool IsRadio() const { return false; }
  // The strip cell (from 0) of the state as it is now.
  int CellIndex() const;

  void Paint() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void DrawBox(HDC dc, const RECT& box);
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
  bool allow_grayed_ = false;
  bool pressed_ = false;
};

// The part the check box and the radio button below share: "CustomGlyphs" drawn while
// "UseCustomGlyphs" is on, with "TransparentColor" left out.
class TRzGlyphCheck : public TGlyphCheckControl {
  QN_CLASS(TRzGlyphCheck)
 public:
  explicit TRzGlyphCheck(TComponent* owner);
  TBitmap* CustomGlyphs() const { return glyphs_.get(); }
  void SetCustomGlyphs(TBitmap* glyphs);  // copied; null empties it
  bool UseCustomGlyphs() const { return use_; }
  void SetUseCustomGlyphs(bool use);
  TColor TransparentColor() const { return key_; }
  void SetTransparentColor(TColor key);

 protected:
  TBitmap* Strip() const override { return use_ ? glyphs_.get() : nullptr; }
  TColor StripKey() const override { return key_; }

 private:
  std::unique_ptr<TBitmap> glyphs_ = std::make_unique<TBitmap>();
  bool use_ = false;
  TColor key_ = clOlive;
};

class TRzCheckBox : public TRzGlyphCheck {
  QN_CLASS(TRzCheckBox)
 public:
  explicit TRzCheckBox(TComponent* owner) : TRzGlyphCheck(owner) {}
};

// Checking one unchecks the other radio buttons of its kind on the same parent.
class TRzRadioButton : public TRzGlyphCheck {
  QN_CLASS(TRzRadioButton)
 public:
  explicit TRzRadioButton(TComponent* owner) : TRzGlyphCheck(owner) {}
  void SetChecked(bool checked) override;

 protected:
  int StripCells() const override { return 6; }
  bool IsRadio() const override { return true; }
};

// The settings object of TcxCheckBox: "Glyph", six cells (the normal and the pressed row), its
// own transparent colour left out.
class TcxCheckBoxProperties : public TPersistent {
  QN_CLASS(TcxCheckBoxProperties)
 public:
  TcxCheckBoxProperties();
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* glyph);  // copied; null empties it
  void Assign(TPersistent* source) override;
  std::function<void()> OnChange;

 private:
  std::unique_ptr<TBitmap> glyph_ = std::make_unique<TBitmap>();
};

class TcxCheckBox : public TGlyphCheckControl {
  QN_CLASS(TcxCheckBox)
 public:
  explicit TcxCheckBox(TComponent* owner);
  TcxCheckBoxProperties* Properties() const { return properties_.get(); }
  void SetProperties(TcxCheckBoxProperties* properties);  // copied

 protected:
  TBitmap* Strip() const override { return properties_->Glyph(); }
  int StripCells() const override { return 6; }
  TColor StripKey() const override { return properties_->Glyph()->TransparentColor(); }

 private:
  std::unique_ptr<TcxCheckBoxProperties> properties_ = std::make_unique<TcxCheckBoxProperties>();
};

}  // namespace qn
