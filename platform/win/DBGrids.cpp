#include "platform/win/DBGrids.h"

#include <algorithm>
#include <cstdlib>

#include "platform/data/ADODB.h"
#include "platform/win/WinUtil.h"

namespace qn {

namespace {

constexpr int kIndicatorWidth = 11;
constexpr int kMinColumnWidth = 64;
constexpr int kLineScroll = 16;  // pixels per arrow press on the horizontal bar
constexpr int kTextPad = 2;

bool Has(TScrollStyle s, bool vertical) {
  return s == TScrollStyle::ssBoth || s == (vertical ? TScrollStyle::ssVertical : TScrollStyle::ssHorizontal);
}

int TextHeight(HDC dc, TFont& font) {
  TScopedSelect sel(dc, font.Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return tm.tmHeight;
}

int TextWidth(HDC dc, TFont& font, const std::wstring& text) {
  TScopedSelect sel(dc, font.Handle());
  SIZE s{0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
  return s.cx;
}

}  // namespace

// ---- TCustomGrid ----

QN_CLASS_IMPL(TCustomGrid, TCustomControl,
              {prop::Int("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor, &kColorIdents),
               prop::Enum("BorderStyle", kBorderStyleInfo, &TCustomGrid::BorderStyle, &TCustomGrid::SetBorderStyle),
               prop::Enum("ScrollBars", kScrollStyleInfo, &TCustomGrid::ScrollBars, &TCustomGrid::SetScrollBars)})

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 320, 120);
  SetParentColor(false);  // a grid keeps its window colour inside any parent
  SetTabStop(true);
}

void TCustomGrid::SetFixedColor(TColor c) {
  if (c == fixed_color_) return;
  fixed_color_ = c;
  Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle s) {
  if (s == border_style_) return;
  border_style_ = s;
  RecreateWnd();
}

void TCustomGrid::SetScrollBars(TScrollStyle s) {
  if (s == scroll_bars_) return;
  scroll_bars_ = s;
  RecreateWnd();
}

void TCustomGrid::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  // The horizontal bar comes and goes with the width of the columns; the vertical one
  // stays, disabled when there is nothing to move.
  if (Has(scroll_bars_, true)) p.style |= WS_VSCROLL;
  if (border_style_ == TBorderStyle::bsSingle) p.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateWindowHandleDone() {
  TCustomControl::CreateWindowHandleDone();
  last_vert_ = last_horz_ = {};  // a new window has bars of its own
  LayoutChanged();
}

void TCustomGrid::SetColumns(std::vector<int> widths, int fixed_cols) {
  for (int& w : widths) w = std::max(0, w);
  col_widths_ = std::move(widths);
  fixed_cols_ = std::clamp(fixed_cols, 0, ColCount());
}

void TCustomGrid::SetRowHeights(int fixed_row_height, int row_height, int fixed_rows) {
  fixed_row_height_ = std::max(1, fixed_row_height);
  row_height_ = std::max(1, row_height);
  fixed_rows_ = std::clamp(fixed_rows, 0, 1);
}

void TCustomGrid::SetLines(bool row_lines, bool col_lines) {
  row_lines_ = row_lines;
  col_lines_ = col_lines;
}

void TCustomGrid::SetRowCount(int rows, int current) {
  row_count_ = std::max(0, rows);
  current_ = row_count_ == 0 ? -1 : std::clamp(current, 0, row_count_ - 1);
}

namespace {
constexpr UINT kLayoutMessage = WM_USER + 0x700;  // the grid's own: apply a deferred layout
}

void TCustomGrid::LayoutChanged() {
  KeepCurrentVisible();
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::DeferLayout() {
  KeepCurrentVisible();
  Invalidate();
  PostLayout();
}

void TCustomGrid::PostLayout() {
  if (bars_stale_ || !HandleAllocated()) return;
  bars_stale_ = true;
  PostMessageW(handle_, kLayoutMessage, 0, 0);
}

void TCustomGrid::SetCurrent(int row) {
  const int old_top = top_, old_current = current_;
  current_ = row_count_ == 0 ? -1 : std::clamp(row, 0, row_count_ - 1);
  KeepCurrentVisible();
  UpdateScrollBars();
  InvalidateMove(old_top, old_current);
}

void TCustomGrid::InvalidateMove(int old_top, int old_current) {
  if (!HandleAllocated()) return;
  const RECT client = ClientRect();
  const RECT data{0, RowTop(fixed_rows_ + top_), client.right, client.bottom};
  const int pitch = row_height_ + LineWidth(true);
  const int shift = (old_top - top_) * pitch;
  if (shift == 0) {
    if (old_current != current_) {
      InvalidateRow(old_current);
      InvalidateRow(current_);
    }
    return;
  }
  // Pixels still to be painted would be scrolled as if they were right: a paint in hand, or a
  // move of more than the view, repaints every data row instead.
  if (GetUpdateRect(handle_, nullptr, FALSE) || std::abs(shift) >= data.bottom - data.top) {
    InvalidateRect(handle_, &data, FALSE);
    return;
  }
  ScrollWindowEx(handle_, 0, shift, &data, &data, nullptr, nullptr, SW_INVALIDATE);
  InvalidateRow(old_current);
  InvalidateRow(current_);
}

void TCustomGrid::InvalidateRow(int data_row) {
  if (data_row < top_ || data_row >= row_count_) return;
  const int top = RowTop(fixed_rows_ + data_row);
  const RECT row{0, top, ClientRect().right, top + row_height_ + LineWidth(true)};
  InvalidateRect(handle_, &row, FALSE);
}

int TCustomGrid::FixedWidth() const {
  int w = 0;
  for (int c = 0; c < fixed_cols_; ++c) w += col_widths_[static_cast<size_t>(c)] + LineWidth(false);
  return w;
}

int TCustomGrid::ScrollWidth() const {
  int w = 0;
  for (int c = fixed_cols_; c < ColCount(); ++c) w += col_widths_[static_cast<size_t>(c)] + LineWidth(false);
  return w;
}

int TCustomGrid::ColLeft(int col) const {
  int x = col < fixed_cols_ ? 0 : FixedWidth() - left_offset_;
  for (int c = col < fixed_cols_ ? 0 : fixed_cols_; c < col; ++c) x += col_widths_[static_cast<size_t>(c)] + LineWidth(false);
  return x;
}

int TCustomGrid::RowTop(int row) const {
  if (row < fixed_rows_) return row * (fixed_row_height_ + LineWidth(true));
  return fixed_rows_ * (fixed_row_height_ + LineWidth(true)) + (row - fixed_rows_ - top_) * (row_height_ + LineWidth(true));
}

int TCustomGrid::VisibleRowCount() const {
  RECT c = ClientRect();
  int fixed = fixed_rows_ * (fixed_row_height_ + LineWidth(true));
  return std::max(1, static_cast<int>(c.bottom - fixed) / (row_height_ + LineWidth(true)));
}

RECT TCustomGrid::CellRect(int col, int row) const {
  RECT none{0, 0, 0, 0};
  if (col < 0 || col >= ColCount() || row < 0 || row >= fixed_rows_ + row_count_) return none;
  if (row >= fixed_rows_ && row - fixed_rows_ < top_) return none;
  RECT r{ColLeft(col), RowTop(row), 0, 0};
  r.right = r.left + col_widths_[static_cast<size_t>(col)];
  r.bottom = r.top + (row < fixed_rows_ ? fixed_row_height_ : row_height_);
  // What shows: inside the window, and a scrolled column not under the fixed ones.
  RECT view = ClientRect();
  if (col >= fixed_cols_) view.left = FixedWidth();
  if (row >= fixed_rows_) view.top = RowTop(fixed_rows_ + top_);
  RECT out;
  return IntersectRect(&out, &r, &view) ? out : none;
}

bool TCustomGrid::MouseCoord(int x, int y, int& col, int& row) const {
  for (int r = 0; r < fixed_rows_ + row_count_; ++r) {
    if (r >= fixed_rows_ && r - fixed_rows_ < top_) r = fixed_rows_ + top_;
    if (r >= fixed_rows_ + row_count_) break;
    int t = RowTop(r), b = t + (r < fixed_rows_ ? fixed_row_height_ : row_height_) + LineWidth(true);
    if (y < t) break;
    if (y >= b) continue;
    for (int c = 0; c < ColCount(); ++c) {
      RECT cell = CellRect(c, r);
      if (IsRectEmpty(&cell)) continue;
      cell.right += LineWidth(false);
      cell.bottom += LineWidth(true);
      POINT p{x, y};
      if (PtInRect(&cell, p)) {
        col = c;
        row = r;
        return true;
      }
    }
    return false;
  }
  return false;
}

void TCustomGrid::KeepCurrentVisible() {
  int visible = VisibleRowCount();
  if (current_ >= 0) {
    if (current_ < top_) top_ = current_;
    else if (current_ >= top_ + visible) top_ = current_ - visible + 1;
  }
  top_ = std::clamp(top_, 0, std::max(0, row_count_ - visible));
}

void TCustomGrid::SetLeftOffset(int offset) {
  RECT c = ClientRect();
  int view = std::max(0, static_cast<int>(c.right) - FixedWidth());
  offset = std::clamp(offset, 0, std::max(0, ScrollWidth() - view));
  if (offset == left_offset_) return;
  left_offset_ = offset;
  UpdateScrollBars();
  Invalidate();
}

void TCustomGrid::UpdateScrollBars() {
  if (!HandleAllocated() || updating_bars_) return;
  updating_bars_ = true;
  bars_stale_ = false;
  // Showing or hiding the horizontal bar resizes the client area and comes back here
  // through WM_SIZE: the flag keeps that from recursing.
  RECT c = ClientRect();
  int view = std::max(0, static_cast<int>(c.right) - FixedWidth());
  bool want_h = Has(scroll_bars_, false) && ScrollWidth() > view;
  bool has_h = (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_HSCROLL) != 0;
  // Columns come and go in bursts (a search opens the data with every field, then hides
  // some and widens one): a bar no longer needed goes once the burst is over, rather than
  // go and come back, with the client area it takes, at each step.
  const bool hide_later = has_h && !want_h && !settling_;
  if (want_h != has_h && !hide_later) {
    ShowScrollBar(handle_, SB_HORZ, want_h);
    last_horz_ = {};
    c = ClientRect();
  }
  left_offset_ = want_h ? std::clamp(left_offset_, 0, ScrollWidth() - view) : 0;
  if (want_h) {
    SCROLLINFO h{sizeof h, SIF_RANGE | SIF_PAGE | SIF_POS, 0, ScrollWidth() - 1, static_cast<UINT>(view), left_offset_, 0};
    SetBar(SB_HORZ, h);
  }
  KeepCurrentVisible();
  if (Has(scroll_bars_, true)) {
    // The range runs over the rows and the position is the current one: every row can be
    // reached, and the thumb is as long as the rows on screen.
    int page = VisibleRowCount();
    SCROLLINFO v{sizeof v, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, 0, 1, 0, 0};
    if (row_count_ > 0) {
      v.nMax = row_count_ - 1 + page - 1;
      v.nPage = static_cast<UINT>(page);
      v.nPos = std::max(0, current_);
    }
    SetBar(SB_VERT, v);
  }
  updating_bars_ = false;
  if (hide_later) PostLayout();
}

void TCustomGrid::SetBar(int bar, const SCROLLINFO& info) {
  // Moves set the bars many times over; only a change reaches the window, and then only the
  // bar that changed is drawn again: the whole frame, both bars, costs twice as much.
  SCROLLINFO& last = bar == SB_VERT ? last_vert_ : last_horz_;
  if (last.cbSize && last.nMin == info.nMin && last.nMax == info.nMax && last.nPage == info.nPage &&
      last.nPos == info.nPos && last.fMask == info.fMask)
    return;
  last = info;
  SetScrollInfo(handle_, bar, &info, !ScrollBarsCovered());
}

void TCustomGrid::MoveCurrent(int delta) {
  if (row_count_ > 0) SetCurrent(current_ + delta);
}

void TCustomGrid::MoveCurrentTo(int row) {
  if (row_count_ > 0) SetCurrent(row);
}

void TCustomGrid::FillSolid(HDC dc, const RECT& r, TColor color) {
  SetDCBrushColor(dc, ColorToRGB(color));
  ::FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void TCustomGrid::DrawCellText(HDC dc, const RECT& r, const std::wstring& text, TFont& font, TColor color) {
  if (text.empty()) return;
  RECT t{r.left + kTextPad, r.top, r.right - kTextPad, r.bottom};
  if (t.right <= t.left) return;
  // No glyph is narrower than a pixel: the rest of a long text could never show.
  size_t n = std::min(text.size(), static_cast<size_t>(t.right - t.left) + 1);
  if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;
  TScopedSelect sel(dc, font.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(color));
  ::DrawTextW(dc, text.c_str(), static_cast<int>(n), &t, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_LEFT);
}

void TCustomGrid::Paint() {
  HDC dc = Canvas().Handle();
  int saved = SaveDC(dc);
  RECT client = ClientRect();
  FillSolid(dc, client, Color());
  const TColor data_line = ColorToRGB(Color()) == ColorToRGB(clSilver) ? clGray : clSilver;
  const int fixed_w = FixedWidth();
  const bool focused = Focused();
  auto paint_cell = [&](int col, int row) {
    RECT r{ColLeft(col), RowTop(row), 0, 0};
    r.right = r.left + col_widths_[static_cast<size_t>(col)];
    r.bottom = r.top + (row < fixed_rows_ ? fixed_row_height_ : row_height_);
    if (r.left >= client.right || r.top >= client.bottom) return;
    if (col >= fixed_cols_ && r.right + LineWidth(false) <= fixed_w) return;  // scrolled out
    bool fixed = col < fixed_cols_ || row < fixed_rows_;
    TGridDrawState state = fixed ? TGridDrawState{gdFixed} : 0u;
    if (row - fixed_rows_ == current_ && row >= fixed_rows_) state |= gdSelected | (focused ? TGridDrawState{gdFocused} : 0u);
    DrawCell(dc, col, row, r, state);
    TColor line = fixed ? clBtnShadow : data_line;
    if (col_lines_) FillSolid(dc, {r.right, r.top, r.right + 1, r.bottom + LineWidth(true)}, line);
    if (row_lines_) FillSolid(dc, {r.left, r.bottom, r.right + LineWidth(false), r.bottom + 1}, line);
  };
  auto paint_row = [&](int row) {
    // Scrolled columns first: the fixed ones cover whatever slid under them.
    for (int c = fixed_cols_; c < ColCount(); ++c) paint_cell(c, row);
    for (int c = 0; c < fixed_cols_; ++c) paint_cell(c, row);
  };
  // Rows outside the part being painted are skipped: a scroll paints only the rows it uncovers.
  auto shows = [&](int row) {
    const int top = RowTop(row);
    const RECT band{0, top, client.right, top + (row < fixed_rows_ ? fixed_row_height_ : row_height_) + LineWidth(true)};
    return RectVisible(dc, &band) != FALSE;
  };
  for (int r = 0; r < fixed_rows_; ++r)
    if (shows(r)) paint_row(r);
  for (int r = fixed_rows_ + top_; r < fixed_rows_ + row_count_ && RowTop(r) < client.bottom; ++r)
    if (shows(r)) paint_row(r);
  RestoreDC(dc, saved);
}

bool TCustomGrid::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return true;
    case WM_KEYDOWN: {
      bool handled = true;
      switch (m.WParam) {
        case VK_UP: MoveCurrent(-1); break;
        case VK_DOWN: MoveCurrent(1); break;
        case VK_PRIOR: MoveCurrent(-VisibleRowCount()); break;
        case VK_NEXT: MoveCurrent(VisibleRowCount()); break;
        case VK_HOME: MoveCurrentTo(0); break;
        case VK_END: MoveCurrentTo(row_count_ - 1); break;
        case VK_LEFT: SetLeftOffset(left_offset_ - kLineScroll); break;
        case VK_RIGHT: SetLeftOffset(left_offset_ + kLineScroll); break;
        default: handled = false;
      }
      return handled;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      DoMouse(m);
      return false;  // the control's own mouse events follow
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return false;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (m.LParam) return TCustomControl::HandleMessage(m);  // a scroll-bar control's
      DoScroll(m, m.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ);
      return true;
    case WM_MOUSEWHEEL:
      DoWheel(m);
      return true;
    case WM_SIZE:
      LayoutChanged();
      return false;
    case kLayoutMessage:
      if (bars_stale_) {
        settling_ = true;
        LayoutChanged();
        settling_ = false;
      }
      return true;
    default:
      return TCustomControl::HandleMessage(m);
  }
}

void TCustomGrid::DoMouse(TMessage& m) {
  const int x = static_cast<short>(LOWORD(m.LParam)), y = static_cast<short>(HIWORD(m.LParam));
  int col = -1, row = -1;
  const bool on_cell = MouseCoord(x, y, col, row);
  if (m.Msg == WM_LBUTTONUP) {
    if (!pressed_) return;
    pressed_ = false;
    if (GetCapture() == handle_) ReleaseCapture();
    if (on_cell && row >= fixed_rows_ && col >= fixed_cols_) CellClicked(col);
    return;
  }
  if (CanFocus() && GetFocus() != handle_) ::SetFocus(handle_);
  if (!on_cell || row < fixed_rows_) return;
  MoveCurrentTo(row - fixed_rows_);
  if (col >= fixed_cols_) {
    pressed_ = true;
    SetCapture(handle_);
  }
}

void TCustomGrid::DoScroll(TMessage& m, int bar) {
  const int code = LOWORD(m.WParam);
  if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
    // The 32-bit track position: the 16 bits in the message run out past 65535 rows.
    SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(handle_, bar, &si);
    if (bar == SB_VERT) MoveCurrentTo(si.nTrackPos);
    else SetLeftOffset(si.nTrackPos);
    return;
  }
  if (bar == SB_VERT) {
    switch (code) {
      case SB_LINEUP: MoveCurrent(-1); break;
      case SB_LINEDOWN: MoveCurrent(1); break;
      case SB_PAGEUP: MoveCurrent(-VisibleRowCount()); break;
      case SB_PAGEDOWN: MoveCurrent(VisibleRowCount()); break;
      case SB_TOP: MoveCurrentTo(0); break;
      case SB_BOTTOM: MoveCurrentTo(row_count_ - 1); break;
      default: break;
    }
    return;
  }
  const int view = std::max(1, static_cast<int>(ClientRect().right) - FixedWidth());
  switch (code) {
    case SB_LINELEFT: SetLeftOffset(left_offset_ - kLineScroll); break;
    case SB_LINERIGHT: SetLeftOffset(left_offset_ + kLineScroll); break;
    case SB_PAGELEFT: SetLeftOffset(left_offset_ - view); break;
    case SB_PAGERIGHT: SetLeftOffset(left_offset_ + view); break;
    case SB_LEFT: SetLeftOffset(0); break;
    case SB_RIGHT: SetLeftOffset(ScrollWidth()); break;
    default: break;
  }
}

void TCustomGrid::DoWheel(TMessage& m) {
  // One row per notch; finer wheels add up to a notch first.
  wheel_delta_ += static_cast<short>(HIWORD(m.WParam));
  int notches = wheel_delta_ / WHEEL_DELTA;
  wheel_delta_ -= notches * WHEEL_DELTA;
  if (notches) MoveCurrent(-notches);
  m.Result = 0;
}

// ---- columns ----

QN_CLASS_IMPL(TColumnTitle, TPersistent, {prop::Str("Caption", &TColumnTitle::Caption, &TColumnTitle::SetCaption)})

std::wstring TColumnTitle::Caption() const { return caption_set_ ? caption_ : column_->FieldName(); }

void TColumnTitle::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  caption_set_ = true;
  column_->TitleChanged();
}

QN_CLASS_IMPL(TColumn, TCollectionItem,
              {prop::Str("FieldName", &TColumn::FieldName, &TColumn::SetFieldName),
               prop::Bool("Visible", &TColumn::Visible, &TColumn::SetVisible),
               prop::Int("Width", &TColumn::Width, &TColumn::SetWidth),
               prop::Obj("Title", &TColumn::Title)})

TColumn::TColumn(TCollection* collection)
    : TCollectionItem(collection), title_(std::make_unique<TColumnTitle>(this)) {}

void TColumn::SetFieldName(const std::wstring& name) {
  if (name == field_name_) return;
  field_name_ = name;
  Changed();
}

void TColumn::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
}

void TColumn::SetWidth(int w) {
  if (w == width_) return;
  width_ = std::max(0, w);
  Changed();
}

TDBGrid* TColumn::Grid() const { return static_cast<TDBGridColumns*>(Collection())->Grid(); }

TField* TColumn::Field() const {
  TDataSet* ds = Grid()->DataLink()->DataSet();
  return ds && ds->Active() ? ds->FindField(field_name_) : nullptr;
}

QN_CLASS_IMPL(TDBGridColumns, TCollection)

TDBGridColumns::TDBGridColumns(TDBGrid* grid)
    : TCollection(grid, [](TCollection* c) -> TCollectionItem* { return new TColumn(c); }), grid_(grid) {}

void TDBGridColumns::SetState(TDBGridColumnsState state) {
  if (state == state_) return;
  state_ = state;
  if (state_ == TDBGridColumnsState::csDefault) {
    grid_->RebuildColumns();
    grid_->Relayout();
  }
}

// ---- the data link ----

TField* TGridDataLink::Fields(int index) const {
  if (!Active() || index < 0 || index >= grid_->Columns()->Count())
    throw EDatabaseError("Field index " + std::to_string(index) + " out of range");
  TField* f = grid_->Columns()->Column(index)->Field();
  if (!f) throw EDatabaseError("Field '" + WideToUtf8(grid_->Columns()->Column(index)->FieldName()) + "' not found");
  return f;
}

int TGridDataLink::FieldCount() const { return Active() ? grid_->Columns()->Count() : 0; }

void TGridDataLink::ActiveChanged() { grid_->LinkActive(Active()); }
void TGridDataLink::DataSetChanged() { grid_->DataChanged(); }
void TGridDataLink::DataSetScrolled(int) { grid_->Scrolled(); }

// ---- TDBGrid ----

const TEnumInfo kDBGridOptionInfo{{"dgEditing", "dgAlwaysShowEditor", "dgTitles", "dgIndicator", "dgColumnResize",
                                   "dgColLines", "dgRowLines", "dgTabs", "dgRowSelect", "dgAlwaysShowSelection",
                                   "dgConfirmDelete", "dgCancelOnExit", "dgMultiSelect"}};

QN_CLASS_IMPL(TDBGrid, TCustomGrid,
              {prop::Obj("DataSource", &TDBGrid::DataSource, &TDBGrid::SetDataSource),
               prop::Obj("Columns", &TDBGrid::Columns),
               prop::Obj("TitleFont", &TDBGrid::TitleFont, &TDBGrid::SetTitleFont),
               prop::Set("Options", kDBGridOptionInfo, &TDBGrid::Options, &TDBGrid::SetOptions),
               prop::Bool("ReadOnly", &TDBGrid::ReadOnly, &TDBGrid::SetReadOnly),
               prop::Event("OnCellClick", &TDBGrid::OnCellClick)})

TDBGrid::TDBGrid(TComponent* owner)
    : TCustomGrid(owner),
      link_(std::make_unique<TGridDataLink>(this)),
      columns_(std::make_unique<TDBGridColumns>(this)),
      title_font_(std::make_unique<TFont>()),
      options_((1u << dgEditing) | (1u << dgTitles) | (1u << dgIndicator) | (1u << dgColumnResize) |
               (1u << dgColLines) | (1u << dgRowLines) | (1u << dgTabs) | (1u << dgConfirmDelete) |
               (1u << dgCancelOnExit)) {
  title_font_->Assign(Font());
  title_font_->OnChange = [this] {
    title_font_set_ = true;
    Relayout();
  };
  columns_->OnUpdate = [this](TCollectionItem* item) { ColumnsChanged(item); };
  Relayout();
}

TDBGrid::~TDBGrid() {
  // Let go of the data source without hearing back from it.
  link_.reset();
  columns_->OnUpdate = nullptr;
}

void TDBGrid::SetDataSource(TDataSource* source) {
  TDataSource* old = DataSource();
  if (source == old) return;
  if (old) RemoveFreeNotification(old);
  if (source) FreeNotification(source);
  link_->SetDataSource(source);
}

void TDBGrid::Notification(TComponent* component, TOperation op) {
  TCustomGrid::Notification(component, op);
  if (op == TOperation::opRemove && component && link_ && component == DataSource()) SetDataSource(nullptr);
}

void TDBGrid::SetOptions(TDBGridOptions options) {
  if (options == options_) return;
  options_ = options;
  Relayout();
}

void TDBGrid::FontChanged() {
  TCustomGrid::FontChanged();
  if (!title_font_set_) {
    auto keep = std::move(title_font_->OnChange);
    title_font_->OnChange = nullptr;
    title_font_->Assign(Font());
    title_font_->OnChange = std::move(keep);
  }
  Relayout();
}

TColumn* TDBGrid::ColumnAt(int col) const {
  int i = col - FixedCols();
  return i >= 0 && i < static_cast<int>(shown_.size()) ? shown_[static_cast<size_t>(i)] : nullptr;
}

void TDBGrid::LinkActive(bool active) {
  if (columns_->State() == TDBGridColumnsState::csDefault) RebuildColumns();
  Relayout();
}

void TDBGrid::DataChanged() {
  // A re-query may bring other fields: default columns follow them.
  if (columns_->State() == TDBGridColumnsState::csDefault) {
    TDataSet* ds = link_->DataSet();
    bool same = ds && ds->FieldCount() == columns_->Count();
    for (int i = 0; same && i < columns_->Count(); ++i)
      same = columns_->Column(i)->FieldName() == ds->Fields(i)->FieldName();
    if (!same) RebuildColumns();
  }
  Relayout();
}

void TDBGrid::Scrolled() {
  TDataSet* ds = link_->DataSet();
  if (ds) SetCurrent(ds->RecNo() - 1);
}

void TDBGrid::ColumnsChanged(TCollectionItem* item) {
  if (columns_->rebuilding_) return;
  if (!item) {
    // The list itself changed from outside: those columns stay until reset.
    columns_->state_ = columns_->Count() > 0 ? TDBGridColumnsState::csCustomized : TDBGridColumnsState::csDefault;
    if (columns_->Count() == 0) RebuildColumns();
  }
  Relayout();
}

void TDBGrid::RebuildColumns() {
  struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
  } guard(columns_->rebuilding_);
  columns_->Clear();
  TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  if (!ds) return;
  for (int i = 0; i < ds->FieldCount(); ++i) columns_->AddColumn()->SetFieldName(ds->Fields(i)->FieldName());
}

void TDBGrid::MapFields() {
  TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  for (int i = 0; i < columns_->Count(); ++i) {
    TColumn* c = columns_->Column(i);
    TField* f = ds ? ds->FindField(c->FieldName()) : nullptr;
    c->field_index_ = f ? f->Index() : -1;
  }
}

void TDBGrid::Relayout() {
  if (relayout_) return;
  relayout_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{relayout_};

  MapFields();
  const bool titles = options_ & (1u << dgTitles);
  const bool indicator = options_ & (1u << dgIndicator);
  TWindowDC screen(nullptr);
  const int title_h = TextHeight(screen.Get(), *title_font_) + 4;
  const int row_h = TextHeight(screen.Get(), *Font()) + 4;

  shown_.clear();
  std::vector<int> widths;
  if (indicator) widths.push_back(kIndicatorWidth);
  for (int i = 0; i < columns_->Count(); ++i) {
    TColumn* c = columns_->Column(i);
    c->default_width_ = std::max(kMinColumnWidth, TextWidth(screen.Get(), *title_font_, c->Title()->Caption()) + 2 * kTextPad + 4);
    if (!c->Visible()) continue;
    shown_.push_back(c);
    widths.push_back(c->Width());
  }
  SetColumns(std::move(widths), indicator ? 1 : 0);
  SetRowHeights(title_h, row_h, titles ? 1 : 0);
  SetLines(options_ & (1u << dgRowLines), options_ & (1u << dgColLines));
  TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  SetRowCount(ds ? ds->RecordCount() : 0, ds ? ds->RecNo() - 1 : -1);
  if (ds) LayoutChanged();
  else DeferLayout();  // closed: most often opened again at once
}

void TDBGrid::MoveCurrent(int delta) {
  // A closed data set is never touched: the grid is empty then.
  if (link_->Active() && delta) link_->DataSet()->MoveBy(delta);
}

void TDBGrid::MoveCurrentTo(int row) {
  if (link_->Active() && !link_->DataSet()->IsEmpty()) link_->DataSet()->SetRecNo(row + 1);
}

void TDBGrid::CellClicked(int col) {
  if (OnCellClick) OnCellClick(ColumnAt(col));
}

void TDBGrid::DrawCell(HDC dc, int col, int row, const RECT& rect, TGridDrawState state) {
  TColumn* column = ColumnAt(col);
  const bool title = row < FixedRows();
  if (state & gdFixed) {
    FillSolid(dc, rect, FixedColor());
    RECT edge = rect;
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    if (title && column) {
      DrawCellText(dc, rect, column->Title()->Caption(), *title_font_, title_font_->Color());
    } else if (!title && !column && row - FixedRows() == CurrentRow()) {
      // The current-record mark: a small triangle pointing at the row.
      int x = rect.left + (rect.right - rect.left - 4) / 2, cy = (rect.top + rect.bottom) / 2;
      for (int k = 0; k < 4; ++k) FillSolid(dc, {x + k, cy - 3 + k, x + k + 1, cy + 4 - k}, clWindowText);
    }
    return;
  }
  const bool selected = state & gdSelected;
  FillSolid(dc, rect, selected ? clHighlight : Color());
  TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  if (!ds || !column || column->field_index_ < 0) return;
  const TDataValue& v = ds->RecordValue(row - FixedRows(), column->field_index_);
  DrawCellText(dc, rect, DataValueToText(v), *Font(), selected ? clHighlightText : Font()->Color());
}

void RegisterDataClasses() {
  RegisterDBClasses();
  RegisterComponentClass(TDBGrid::StaticClass());
}

}  // namespace qn
