// Standard controls: labels, edits, memos, push buttons, check boxes, radio buttons and group
// boxes.
#pragma once

#include "platform/win/Controls.h"

namespace qn {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
extern const TEnumInfo kAlignmentInfo;

class TCustomLabel : public TGraphicControl {
  QN_CLASS(TCustomLabel)
 public:
  explicit TCustomLabel(TComponent* owner);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);
  void SetText(const std::wstring& t) override;
  void Loaded() override;

 protected:
  void Paint() override;
  void FontChanged() override;
  void AdjustBounds();

 private:
  bool auto_size_ = true;
  bool transparent_ = false;
  bool word_wrap_ = false;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TLabel : public TCustomLabel {
  QN_CLASS(TLabel)
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

class TCustomEdit : public TWinControl {
  QN_CLASS(TCustomEdit)
 public:
  explicit TCustomEdit(TComponent* owner);
  std::wstring Text() const { return GetText(); }
  void SetTextProp(const std::wstring& t) { SetText(t); }
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle s);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int v);

  void SelectAll();
  void CopyToClipboard();
  void Clear() { SetText(L""); }
  int SelStart() const;
  int SelLength() const;
  std::wstring SelText() const;

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  bool HandleMessage(TMessage& msg) override;

 private:
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  bool read_only_ = false;
  int max_length_ = 0;
};

class TEdit : public TCustomEdit {
  QN_CLASS(TEdit)
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
extern const TEnumInfo kScrollStyleInfo;

class TCustomMemo : public TCustomEdit {
  QN_CLASS(TCustomMemo)
 public:
  explicit TCustomMemo(TComponent* owner);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle s);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);
  bool WantTabs() const { return want_tabs_; }
  void SetWantTabs(bool v) { want_tabs_ = v; }
  // The text split into lines at line breaks, and back.
  std::vector<std::wstring> Lines() const;
  void SetLines(const std::vector<std::wstring>& lines);

 protected:
  void CreateParams(TCreateParams& params) override;
  bool HandleMessage(TMessage& msg) override;

 private:
  TScrollStyle scroll_bars_ = TScrollStyle::ssNone;
  bool word_wrap_ = true;
  bool want_tabs_ = false;
};

class TMemo : public TCustomMemo {
  QN_CLASS(TMemo)
 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

class TButtonControl : public TWinControl {
  QN_CLASS(TButtonControl)
 public:
  explicit TButtonControl(TComponent* owner);
};

class TButton : public TButtonControl {
  QN_CLASS(TButton)
 public:
  explicit TButton(TComponent* owner);
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int v) { modal_result_ = v; }

 protected:
  void CreateParams(TCreateParams& params) override;
  bool HandleMessage(TMessage& msg) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  int modal_result_ = 0;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
extern const TEnumInfo kCheckBoxStateInfo;
// Where a check box or radio button puts its caption: taLeftJustify before the box,
// taRightJustify after it.
extern const TEnumInfo kLeftRightInfo;

// A check box over BUTTON: a click moves it to its next state and fires OnClick, and so does a
// change made in code (not while the form is read).
class TCustomCheckBox : public TButtonControl {
  QN_CLASS(TCustomCheckBox)
 public:
  explicit TCustomCheckBox(TComponent* owner);
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState state);
  bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
  void SetChecked(bool v) { SetState(v ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked); }
  // Clicks pass through the grayed state too.
  bool AllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  DWORD ButtonStyle() const;
  void UpdateButton();
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
  bool allow_grayed_ = false;
  TAlignment alignment_ = TAlignment::taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  QN_CLASS(TCheckBox)
 public:
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

// A radio button over BUTTON. Checking it, by a click or in code, unchecks the other radio
// buttons of its parent and fires OnClick; unchecking fires nothing.
class TRadioButton : public TButtonControl {
  QN_CLASS(TRadioButton)
 public:
  explicit TRadioButton(TComponent* owner);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  bool checked_ = false;
  TAlignment alignment_ = TAlignment::taRightJustify;
};

class TCustomGroupBox : public TCustomControl {
  QN_CLASS(TCustomGroupBox)
 public:
  explicit TCustomGroupBox(TComponent* owner);

 protected:
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
  QN_CLASS(TGroupBox)
 public:
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

}  // namespace qn
