// Standard controls: labels, edits, memos, push buttons and group boxes.
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
