// Standard controls: labels, edits, memos, push buttons, check boxes, radio buttons, group
// boxes, list boxes and combo boxes.
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
  // Keeps what the user typed: a style change makes the window again.
  void DestroyWnd() override;
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

// A check box over BUTTON: a click, the space bar or its accelerator moves it to its next state
// and fires OnClick, and so does a change made in code (not while the form is read).
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
  // Where a click takes the box: unchecked, checked, grayed (when allowed), unchecked.
  TCheckBoxState NextState() const;
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
  bool allow_grayed_ = false;
  TAlignment alignment_ = TAlignment::taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  QN_CLASS(TCheckBox)
 public:
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

// A radio button over BUTTON. Checking it, by a click, its accelerator or in code, unchecks the
// other radio buttons of its parent and fires OnClick; unchecking fires nothing. The arrow keys
// move the focus to the previous or next radio button of its parent, which they check.
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
  // The arrow keys' move within the group; false when there is no other button to go to.
  bool MoveInGroup(bool forward);
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

// ---- lists ----

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed };
extern const TEnumInfo kListBoxStyleInfo;

// Draws item index of an owner-drawn list into rect on the list's Canvas(); state holds the
// ODS_ flags of the item.
using TDrawItemEvent = TEvent<void(TObject* sender, int index, const RECT& rect, UINT state)>;

// A LISTBOX window. It scrolls both ways: the horizontal extent follows the widest item. The
// items live in the window while there is one, and in the object otherwise. OnClick fires once
// for each change of the selection the user makes (not for changes made in code).
class TCustomListBox : public TWinControl {
  QN_CLASS(TCustomListBox)
 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  std::vector<std::wstring> Items() const;
  void SetItems(const std::vector<std::wstring>& items);
  int Count() const;
  std::wstring Item(int index) const;
  // The index the item got: its sorted place once a sorted list has its window.
  int AddItem(const std::wstring& text);
  void DeleteItem(int index);
  void Clear();

  // The selected item (the focused one of a multi-select list); -1 for none.
  int ItemIndex() const;
  void SetItemIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool v);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle s);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle s);
  int ItemHeight() const;
  void SetItemHeight(int h);
  // Bound to the item's DC while OnDrawItem runs.
  TCanvas& Canvas() { return canvas_; }
  void Loaded() override;

  TDrawItemEvent OnDrawItem;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  void DestroyWnd() override;
  void FontChanged() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void UpdateExtent();
  void DrawItem(const DRAWITEMSTRUCT& item);
  // Whether the window there is one of several selected items (the style may be about to change).
  bool WindowMultiSelect() const;
  std::vector<int> Selection() const;
  std::vector<std::wstring> items_;  // while there is no window
  std::vector<int> selection_;       // likewise
  int item_index_ = -1;
  std::vector<int> notified_;  // the selection OnClick last reported
  bool sorted_ = false;
  bool multi_select_ = false;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  TListBoxStyle style_ = TListBoxStyle::lbStandard;
  int item_height_ = 16;
  TCanvas canvas_;
};

class TListBox : public TCustomListBox {
  QN_CLASS(TListBox)
 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList };
extern const TEnumInfo kComboBoxStyleInfo;

// A COMBOBOX window. Its notifications come back to it as CN_COMMAND (from its parent), so a
// hook on WindowProc sees the list open and close. OnSelect fires once for each item the user
// picks that differs from the one before; OnChange whenever the user changes the text, by typing
// or by picking. Changes made in code fire neither.
class TCustomComboBox : public TWinControl {
  QN_CLASS(TCustomComboBox)
 public:
  explicit TCustomComboBox(TComponent* owner);

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);
  std::vector<std::wstring> Items() const;
  void SetItems(const std::vector<std::wstring>& items);
  int Count() const;
  std::wstring Item(int index) const;
  int AddItem(const std::wstring& text);
  void DeleteItem(int index);
  void Clear();
  int ItemIndex() const;
  void SetItemIndex(int index);
  // A drop-down list shows an item or nothing: text that is no item selects none.
  std::wstring Text() const { return GetText(); }
  void SetTextProp(const std::wstring& t) { SetText(t); }
  void SetText(const std::wstring& t) override;
  std::wstring GetText() const override;
  // Items the open list shows before it scrolls.
  int DropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int n);
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  void Loaded() override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  void DestroyWnd() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void Selected();
  void SizeDropDown();
  void SetEditText(const std::wstring& t);
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  std::vector<std::wstring> items_;  // while there is no window
  int item_index_ = -1;
  int notified_ = -1;  // the item OnSelect last reported
  int drop_down_count_ = 8;
  bool quiet_ = false;  // the text is being set in code
};

class TComboBox : public TCustomComboBox {
  QN_CLASS(TComboBox)
 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

}  // namespace qn
