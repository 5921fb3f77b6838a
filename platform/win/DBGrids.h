// Grids: TCustomGrid is a window of cells in columns and rows with a fixed title row and a
// fixed indicator column, grid lines, scroll bars and a current row that the keyboard, the
// mouse and the scroll bars move. TDBGrid shows the records of a data source in it, one row
// per record, one column per field, and moves the data set's record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/data/DB.h"
#include "platform/win/Controls.h"
#include "platform/win/StdCtrls.h"

namespace qn {

enum TGridDrawFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

class TCustomGrid : public TCustomControl {
  QN_CLASS(TCustomGrid)
 public:
  explicit TCustomGrid(TComponent* owner);

  TColor FixedColor() const { return fixed_color_; }
  void SetFixedColor(TColor c);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle s);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle s);

  // Columns and rows count the fixed ones first: column 0 is the indicator column and
  // row 0 the title row when the grid has them.
  int ColCount() const { return static_cast<int>(col_widths_.size()); }
  int FixedCols() const { return fixed_cols_; }
  int FixedRows() const { return fixed_rows_; }
  // Data rows, fixed ones not counted.
  int DataRowCount() const { return row_count_; }
  // The current data row, -1 when there is none.
  int CurrentRow() const { return current_; }
  // The first data row on screen.
  int TopRow() const { return top_; }
  // Data rows that fit whole in the window (at least 1).
  int VisibleRowCount() const;
  // Horizontal scroll position, in pixels, of the columns right of the fixed ones.
  int LeftOffset() const { return left_offset_; }
  void SetLeftOffset(int offset);

  // The client rectangle of a cell; empty when it is not on screen.
  RECT CellRect(int col, int row) const;
  // The cell under a client point; false when there is none.
  [[nodiscard]] bool MouseCoord(int x, int y, int& col, int& row) const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandleDone() override;
  bool HandleMessage(TMessage& msg) override;
  void Paint() override;

  // Paints the inside of one cell (its lines are the grid's).
  virtual void DrawCell(HDC dc, int col, int row, const RECT& rect, TGridDrawState state) = 0;
  // Moves the current row; the default moves it at once, a data grid moves its data set
  // and follows when told.
  virtual void MoveCurrent(int delta);
  virtual void MoveCurrentTo(int row);
  // A press and release of the left button on a data cell of this column.
  virtual void CellClicked(int col) {}

  // The shape, set by subclasses: column widths (fixed columns first), row heights and
  // which lines to draw. LayoutChanged applies them.
  void SetColumns(std::vector<int> widths, int fixed_cols);
  void SetRowHeights(int fixed_row_height, int row_height, int fixed_rows);
  void SetLines(bool row_lines, bool col_lines);
  void SetRowCount(int rows, int current);
  // Keeps the current row in view, sets the scroll bars and repaints.
  void LayoutChanged();
  // LayoutChanged with the scroll bars left for a moment: a data set closed and opened
  // again within one handler then shows or hides them once, not twice.
  void DeferLayout();
  // Asks for the scroll bars to be brought up to date once the messages waiting are handled.
  void PostLayout();
  // Makes row current and scrolls it into view. Only what the move changes is repainted:
  // rows still in view are scrolled on screen, and the rows that come into view and the old and
  // new current rows are painted.
  void SetCurrent(int row);

  // Fills a rectangle and draws text in it without making any GDI object.
  static void FillSolid(HDC dc, const RECT& r, TColor color);
  static void DrawCellText(HDC dc, const RECT& r, const std::wstring& text, TFont& font, TColor color);

 private:
  int FixedWidth() const;
  int ScrollWidth() const;
  int ColLeft(int col) const;  // client x of a column's left edge
  int RowTop(int row) const;   // client y of a row's top edge; data rows relative to TopRow
  int LineWidth(bool row) const { return row ? (row_lines_ ? 1 : 0) : (col_lines_ ? 1 : 0); }
  void KeepCurrentVisible();
  void InvalidateMove(int old_top, int old_current);
  void InvalidateRow(int data_row);
  void UpdateScrollBars();
  void SetBar(int bar, const SCROLLINFO& info);
  void DoKeyDown(TMessage& msg);
  void DoMouse(TMessage& msg);
  void DoScroll(TMessage& msg, int bar);
  void DoWheel(TMessage& msg);

  TColor fixed_color_ = clBtnFace;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  TScrollStyle scroll_bars_ = TScrollStyle::ssBoth;
  std::vector<int> col_widths_;
  int fixed_cols_ = 0;
  int fixed_rows_ = 0;
  int fixed_row_height_ = 18;
  int row_height_ = 18;
  bool row_lines_ = true;
  bool col_lines_ = true;
  int row_count_ = 0;
  int current_ = -1;
  int top_ = 0;
  int left_offset_ = 0;
  int wheel_delta_ = 0;
  bool updating_bars_ = false;
  SCROLLINFO last_vert_{}, last_horz_{};  // what the bars were last given
  bool bars_stale_ = false;                // an update is posted (DeferLayout, a bar to hide)
  bool settling_ = false;                  // that posted update is running
  bool pressed_ = false;  // the left button went down on a data cell
};

class TDBGrid;
class TDBGridColumns;
class TColumn;

class TColumnTitle : public TPersistent {
  QN_CLASS(TColumnTitle)
 public:
  explicit TColumnTitle(TColumn* column) : column_(column) {}
  // The field name unless set.
  std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);

 private:
  TColumn* column_;
  std::wstring caption_;
  bool caption_set_ = false;
};

class TColumn : public TCollectionItem {
  QN_CLASS(TColumn)
 public:
  explicit TColumn(TCollection* collection);

  std::wstring FieldName() const { return field_name_; }
  void SetFieldName(const std::wstring& name);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  // The width set, else one that fits the title.
  int Width() const { return width_ > 0 ? width_ : default_width_; }
  void SetWidth(int w);
  TColumnTitle* Title() const { return title_.get(); }
  // The field this column shows; null while the data set is closed or lacks it.
  TField* Field() const;
  TDBGrid* Grid() const;

  std::wstring DisplayName() const override { return field_name_; }

 private:
  friend class TDBGrid;
  friend class TColumnTitle;
  void TitleChanged() { Changed(); }

  std::wstring field_name_;
  bool visible_ = true;
  int width_ = 0;
  int default_width_ = 64;
  int field_index_ = -1;  // in the open data set
  std::unique_ptr<TColumnTitle> title_;
};

// Default columns follow the fields of the open data set and are made again whenever it
// opens; columns added by the program or read from a form description stay (customized).
enum class TDBGridColumnsState { csDefault, csCustomized };

class TDBGridColumns : public TCollection {
  QN_CLASS(TDBGridColumns)
 public:
  explicit TDBGridColumns(TDBGrid* grid);

  TDBGrid* Grid() const { return grid_; }
  // Raises std::out_of_range for a column that does not exist.
  TColumn* Column(int index) const { return static_cast<TColumn*>(Items(index)); }
  TColumn* AddColumn() { return static_cast<TColumn*>(Add()); }
  TDBGridColumnsState State() const { return state_; }
  // Back to default: the columns follow the fields again.
  void SetState(TDBGridColumnsState state);

 private:
  friend class TDBGrid;
  TDBGrid* grid_;
  TDBGridColumnsState state_ = TDBGridColumnsState::csDefault;
  bool rebuilding_ = false;
};

// The grid's tie to its data source.
class TGridDataLink : public TDataLink {
 public:
  explicit TGridDataLink(TDBGrid* grid) : grid_(grid) {}
  // The field shown by column index, at the current record. Raises EDatabaseError when the
  // data set is closed or there is no such column or field.
  TField* Fields(int index) const;
  int FieldCount() const;

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;

 private:
  TDBGrid* grid_;
};

enum TDBGridOption : unsigned {
  dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
  dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect
};
using TDBGridOptions = unsigned;  // bit (1 << TDBGridOption)
extern const TEnumInfo kDBGridOptionInfo;

using TDBGridClickEvent = TEvent<void(TColumn* column)>;

class TDBGrid : public TCustomGrid {
  QN_CLASS(TDBGrid)
 public:
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;

  TDataSource* DataSource() const { return link_->DataSource(); }
  void SetDataSource(TDataSource* source);
  TGridDataLink* DataLink() const { return link_.get(); }
  TDBGridColumns* Columns() const { return columns_.get(); }
  // Follows the grid's font until set itself.
  TFont* TitleFont() const { return title_font_.get(); }
  void SetTitleFont(TFont* font) {
    if (font) title_font_->Assign(font);
  }
  TDBGridOptions Options() const { return options_; }
  void SetOptions(TDBGridOptions options);
  // Stored only: the grid never edits.
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v) { read_only_ = v; }

  // The visible column shown at grid column col (fixed columns included); null for the
  // indicator column.
  TColumn* ColumnAt(int col) const;
  // The grid row of a data set record (0-based), counting the title row.
  int RecordToRow(int record) const { return record + FixedRows(); }

  TDBGridClickEvent OnCellClick;

  void Notification(TComponent* component, TOperation op) override;

 protected:
  void DrawCell(HDC dc, int col, int row, const RECT& rect, TGridDrawState state) override;
  void MoveCurrent(int delta) override;
  void MoveCurrentTo(int row) override;
  void CellClicked(int col) override;
  void FontChanged() override;

 private:
  friend class TGridDataLink;
  friend class TDBGridColumns;
  void LinkActive(bool active);
  void DataChanged();
  void Scrolled();
  void ColumnsChanged(TCollectionItem* item);
  void RebuildColumns();
  void MapFields();
  void Relayout();

  std::unique_ptr<TGridDataLink> link_;
  std::unique_ptr<TDBGridColumns> columns_;
  std::unique_ptr<TFont> title_font_;
  bool title_font_set_ = false;
  TDBGridOptions options_;
  bool read_only_ = false;
  std::vector<TColumn*> shown_;  // visible columns in grid order
  bool relayout_ = false;
};

// Makes the data grid and the data components known to the form reader.
void RegisterDataClasses();

}  // namespace qn
