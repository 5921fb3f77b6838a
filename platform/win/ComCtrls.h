// Common controls: page controls with tab sheets, status bars with panels, date pickers, list
// views and rich edits.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win/Controls.h"
#include "platform/win/StdCtrls.h"

namespace qn {

class TPageControl;

class TTabSheet : public TCustomControl {
  QN_CLASS(TTabSheet)
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return page_control_; }
  void SetPageControl(TPageControl* pc);
  bool TabVisible() const { return tab_visible_; }
  void SetTabVisible(bool v);
  int PageIndex() const;
  void SetParent(TWinControl* parent) override;
  void SetText(const std::wstring& t) override;

 protected:
  void Paint() override;

 private:
  friend class TPageControl;
  TPageControl* page_control_ = nullptr;
  bool tab_visible_ = true;
};

// Makes the common control classes the library uses (tabs, status bars, up-down arrows, list
// views, date pickers) known; cheap after the first call.
void InitCommonControlsOnce();

enum class TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
extern const TEnumInfo kTabPositionInfo;
enum class TTabStyle { tsTabs, tsButtons, tsFlatButtons };
extern const TEnumInfo kTabStyleInfo;

// A SysTabControl32 window: tabs on one side (left and right tabs always wrap into rows),
// drawn as tabs or as buttons. Changing the side, the style or the wrapping makes the window
// again.
class TCustomTabControl : public TWinControl {
  QN_CLASS(TCustomTabControl)
 public:
  explicit TCustomTabControl(TComponent* owner);
  // The area inside the tabs and border, in client coordinates.
  RECT DisplayRect() const;
  TTabPosition TabPosition() const { return tab_position_; }
  void SetTabPosition(TTabPosition p);
  TTabStyle Style() const { return style_; }
  void SetStyle(TTabStyle s);
  bool MultiLine() const { return multi_line_; }
  void SetMultiLine(bool v);
  // Fixed tab sizes in pixels; 0 lets the tabs fit their captions (width) or the font (height).
  int TabWidth() const { return tab_width_; }
  void SetTabWidth(int w);
  int TabHeight() const { return tab_height_; }
  void SetTabHeight(int h);
  // Fired after a click or a key selected another tab.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;

 private:
  void StyleChanged();
  TTabPosition tab_position_ = TTabPosition::tpTop;
  TTabStyle style_ = TTabStyle::tsTabs;
  bool multi_line_ = false;
  int tab_width_ = 0;
  int tab_height_ = 0;
};

// A tab control without pages: a row of captions (Tabs) and the selected one (TabIndex, -1 for
// none). Aligned children are placed in the display area.
class TTabControl : public TCustomTabControl {
  QN_CLASS(TTabControl)
 public:
  explicit TTabControl(TComponent* owner);
  std::vector<std::wstring> Tabs() const { return tabs_; }
  void SetTabs(const std::vector<std::wstring>& tabs);
  int TabIndex() const;
  // Selects a tab without firing OnChange; an index out of range selects none.
  void SetTabIndex(int index);
  void Loaded() override;

 protected:
  void CreateWindowHandleDone() override;
  void AlignControls(RECT& rect) override;
  bool HandleMessage(TMessage& msg) override;

 private:
  void UpdateTabs();
  std::vector<std::wstring> tabs_;
  int tab_index_ = -1;
};

class TPageControl : public TCustomTabControl {
  QN_CLASS(TPageControl)
 public:
  explicit TPageControl(TComponent* owner);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int i) const { return pages_.at(static_cast<size_t>(i)); }
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  void Loaded() override;

 protected:
  void CreateWindowHandleDone() override;
  void AlignControls(RECT& rect) override;
  bool HandleMessage(TMessage& msg) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void UpdateTabs();
  void ShowActive();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

class TStatusPanel : public TCollectionItem {
  QN_CLASS(TStatusPanel)
 public:
  explicit TStatusPanel(TCollection* c) : TCollectionItem(c) {}
  int Width() const { return width_; }
  void SetWidth(int w);
  std::wstring Text() const { return text_; }
  void SetText(const std::wstring& t);
  void Assign(TPersistent* source) override;

 private:
  int width_ = 50;
  std::wstring text_;
};

class TCustomStatusBar : public TWinControl {
  QN_CLASS(TCustomStatusBar)
 public:
  explicit TCustomStatusBar(TComponent* owner);
  TCollection* Panels() const { return panels_.get(); }
  TStatusPanel* Panel(int i) const { return static_cast<TStatusPanel*>(panels_->Items(i)); }
  bool SimplePanel() const { return simple_panel_; }
  void SetSimplePanel(bool v);
  bool SizeGrip() const { return size_grip_; }
  void SetSizeGrip(bool v) { size_grip_ = v; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;

 private:
  void UpdatePanels();
  std::unique_ptr<TCollection> panels_;
  bool simple_panel_ = false;
  bool size_grip_ = true;
};

class TStatusBar : public TCustomStatusBar {
  QN_CLASS(TStatusBar)
 public:
  explicit TStatusBar(TComponent* owner) : TCustomStatusBar(owner) {}
};

// ---- date pickers ----

enum class TDateTimeKind { dtkDate, dtkTime };
extern const TEnumInfo kDateTimeKindInfo;
enum class TDTDateMode { dmComboBox, dmUpDown };
extern const TEnumInfo kDTDateModeInfo;

// A SysDateTimePick32 window showing a date (with a drop-down calendar or up-down arrows) or a
// time (always with arrows). Changing Kind or DateMode makes the window again. OnChange fires
// once for each change of the value the user makes.
class TDateTimePicker : public TWinControl {
  QN_CLASS(TDateTimePicker)
 public:
  explicit TDateTimePicker(TComponent* owner);
  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind k);
  TDTDateMode DateMode() const { return date_mode_; }
  void SetDateMode(TDTDateMode m);
  // Date and time of day together. Before the window exists and before a value was set, all
  // zero: the picker starts at the present moment.
  SYSTEMTIME DateTime() const;
  // False, and nothing changes, for a value that is no date.
  bool SetDateTime(const SYSTEMTIME& value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  void DestroyWnd() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  TDateTimeKind kind_ = TDateTimeKind::dtkDate;
  TDTDateMode date_mode_ = TDTDateMode::dmComboBox;
  SYSTEMTIME value_{};
  bool has_value_ = false;
  SYSTEMTIME notified_{};  // the value OnChange last reported
};

// ---- list views ----

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
extern const TEnumInfo kViewStyleInfo;

class TListColumn : public TCollectionItem {
  QN_CLASS(TListColumn)
 public:
  explicit TListColumn(TCollection* c) : TCollectionItem(c) {}
  std::wstring Caption() const { return caption_; }
  void SetCaption(const std::wstring& t);
  int Width() const { return width_; }
  void SetWidth(int w);
  void Assign(TPersistent* source) override;

 private:
  std::wstring caption_;
  int width_ = 50;
};

class TCustomListView;

// One row: its caption (the first column) and the texts of the further columns.
class TListItem {
 public:
  explicit TListItem(TCustomListView* owner) : owner_(owner) {}
  TListItem(const TListItem&) = delete;
  TListItem& operator=(const TListItem&) = delete;
  int Index() const;
  std::wstring Caption() const { return caption_; }
  void SetCaption(const std::wstring& t);
  const std::vector<std::wstring>& SubItems() const { return sub_items_; }
  std::wstring SubItem(int i) const;
  // Sets the text of further column i + 1, adding empty ones before it as needed.
  void SetSubItem(int i, const std::wstring& t);
  void AddSubItem(const std::wstring& t) { SetSubItem(static_cast<int>(sub_items_.size()), t); }
  bool Selected() const;
  void SetSelected(bool v);

 private:
  friend class TCustomListView;
  TCustomListView* owner_;
  std::wstring caption_;
  std::vector<std::wstring> sub_items_;
  bool selected_ = false;  // while the list view has no window
};

// A SysListView32 window. Columns and rows are kept by the object and shown by the window,
// which is made again with them when a style changes; the column header is the window's own
// (LVM_GETHEADER). Captions can be edited in place unless ReadOnly.
class TCustomListView : public TWinControl {
  QN_CLASS(TCustomListView)
 public:
  explicit TCustomListView(TComponent* owner);
  ~TCustomListView() override;

  TCollection* Columns() const { return columns_.get(); }
  TListColumn* Column(int i) const { return static_cast<TListColumn*>(columns_->Items(i)); }
  TListColumn* AddColumn(const std::wstring& caption, int width);

  int ItemCount() const { return static_cast<int>(items_.size()); }
  TListItem* Item(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
  TListItem* AddItem(const std::wstring& caption, const std::vector<std::wstring>& sub_items = {});
  void DeleteItem(int i);
  void ClearItems();
  // Many rows at once: the window is drawn again only at the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  // The first selected row, and its index (-1 for none).
  int ItemIndex() const;
  void SetItemIndex(int i);

  TViewStyle ViewStyle() const { return view_style_; }
  void SetViewStyle(TViewStyle v);
  bool RowSelect() const { return row_select_; }
  void SetRowSelect(bool v);
  bool GridLines() const { return grid_lines_; }
  void SetGridLines(bool v);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle s);
  // The column header window, or null (no window yet, or a view without one).
  HWND HeaderHandle() const;

  // The user selected another row (fired from the message loop, once the list view is done).
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  void DestroyWnd() override;
  bool HandleMessage(TMessage& msg) override;

 private:
  friend class TListItem;
  void UpdateColumns();
  void UpdateExtendedStyle();
  void SaveSelection();
  void SelectionSettled();
  void SetItemState(int index, UINT state, UINT mask);
  void ShowItem(int index);
  void ShowItemText(int index, int column);
  std::unique_ptr<TCollection> columns_;
  std::vector<std::unique_ptr<TListItem>> items_;
  TViewStyle view_style_ = TViewStyle::vsIcon;
  bool row_select_ = false;
  bool grid_lines_ = false;
  bool read_only_ = false;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  int update_count_ = 0;
  int notified_ = -1;   // the selected row OnChange last reported
  bool quiet_ = false;  // the selection is being changed in code
  bool settle_posted_ = false;
};

class TListView : public TCustomListView {
  QN_CLASS(TListView)
 public:
  explicit TListView(TComponent* owner) : TCustomListView(owner) {}
};

// ---- rich edits ----

// Whether the rich edit library could be loaded (once; it stays for the program's life).
bool RichEditAvailable();

// A RICHEDIT20W window from riched20.dll; a plain multi-line EDIT where that library cannot be
// loaded. A memo to everyone who asks by class.
class TCustomRichEdit : public TCustomMemo {
  QN_CLASS(TCustomRichEdit)
 public:
  explicit TCustomRichEdit(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;
};

class TRichEdit : public TCustomRichEdit {
  QN_CLASS(TRichEdit)
 public:
  explicit TRichEdit(TComponent* owner) : TCustomRichEdit(owner) {}
};

}  // namespace qn
