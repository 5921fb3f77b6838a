#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/data/ADODB.h"
#include "platform/win/DBGrids.h"
#include "platform/win/Forms.h"
#include "platform/win/Subclass.h"
#include "platform/win/WinUtil.h"
#include "tests/platform/data/TestDb.h"

namespace qn {
namespace {

constexpr int kRecords = 40;

class TGridForm : public TForm {
  QN_CLASS(TGridForm)
 public:
  explicit TGridForm(TComponent* owner) : TForm(owner) {
    PublishMethod("GridCellClick", TMethodRef(TDBGridClickEvent::Bind<&TGridForm::GridCellClick>(this)));
    PublishField("DBGrid1", &DBGrid1);
    PublishField("ADOConnection1", &ADOConnection1);
    PublishField("ADOQuery1", &ADOQuery1);
  }
  void GridCellClick(TColumn* column) { clicked.push_back(column); }

  TDBGrid* DBGrid1 = nullptr;
  TADOConnection* ADOConnection1 = nullptr;
  TADOQuery* ADOQuery1 = nullptr;
  std::vector<TColumn*> clicked;
};
QN_CLASS_IMPL(TGridForm, TForm)

const char* kForm = R"(object GridForm: TGridForm
  ClientWidth = 320
  ClientHeight = 320
  BorderStyle = bsSingle
  Font.Name = '宋体'
  Font.Height = -13
  object ADOConnection1: TADOConnection
    LoginPrompt = False
    Provider = 'Microsoft.Jet.OLEDB.4.0'
  end
  object ADOQuery1: TADOQuery
    Connection = ADOConnection1
    CursorType = ctStatic
    SQL.Strings = (
      'Select * from data')
  end
  object DataSource1: TDataSource
    DataSet = ADOQuery1
  end
  object DBGrid1: TDBGrid
    Left = 4
    Top = 8
    Width = 298
    Height = 294
    DataSource = DataSource1
    TabOrder = 0
    TitleFont.Charset = ANSI_CHARSET
    TitleFont.Color = clWindowText
    TitleFont.Height = -13
    TitleFont.Name = '宋体'
    TitleFont.Style = []
    OnCellClick = GridCellClick
  end
end
)";

std::vector<test::TRow> Rows() {
  std::vector<test::TRow> rows;
  for (int i = 1; i <= kRecords; ++i)
    rows.push_back({L"第" + std::to_wstring(i) + L"号酒", L"内容" + std::to_wstring(i)});
  return rows;
}

class DBGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication();
    RegisterControlClasses();
    RegisterDataClasses();
    RegisterComponentClass(TGridForm::StaticClass());
    form = Application->CreateForm<TGridForm>();
    form->ReadFormText(kForm);
    grid = form->DBGrid1;
    query = form->ADOQuery1;
    form->ADOConnection1->SetConnectionString(db.ConnectionString());
    form->Show();
    ASSERT_TRUE(Application->PumpUntil([&] { return IsWindowVisible(form->Handle()); }, 5000));
  }
  void TearDown() override { DoneApplication(); }

  // What the program does after every query.
  void Run(const std::wstring& sql) {
    query->Close();
    query->SQL().Clear();
    query->SQL().Add(sql);
    query->Open();
    grid->Columns()->Column(0)->SetVisible(false);
    grid->Columns()->Column(2)->SetVisible(false);
    grid->Columns()->Column(1)->SetWidth(300);
  }

  POINT Centre(int col, int row) {
    RECT r = grid->CellRect(col, row);
    EXPECT_FALSE(IsRectEmpty(&r)) << "cell " << col << "," << row << " is not on screen";
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Press(POINT p) { SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
  void Release(POINT p) { SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y)); }
  void Click(int col, int row) {
    Press(Centre(col, row));
    Release(Centre(col, row));
  }
  void Key(WPARAM vk) { SendMessageW(grid->Handle(), WM_KEYDOWN, vk, 0); }
  void Wheel(int delta) {
    SendMessageW(grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
  }
  SCROLLINFO VertBar() {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(grid->Handle(), SB_VERT, &si);
    return si;
  }
  bool HasHorzBar() { return GetWindowLongPtrW(grid->Handle(), GWL_STYLE) & WS_HSCROLL; }

  // The grid as it shows on screen, once every paint in hand is done.
  std::unique_ptr<TBitmap> Snapshot() {
    UpdateWindow(grid->Handle());
    EXPECT_TRUE(Application->PumpUntil([&] { return !GetUpdateRect(grid->Handle(), nullptr, FALSE); }, 5000));
    RECT c = grid->ClientRect();
    auto bmp = std::make_unique<TBitmap>(c.right, c.bottom, TPixelFormat::pf24bit);
    TWindowDC dc(grid->Handle());
    BitBlt(bmp->DC(), 0, 0, c.right, c.bottom, dc.Get(), 0, 0, SRCCOPY);
    return bmp;
  }
  static COLORREF Pixel(TBitmap& bmp, int x, int y) {
    const uint8_t* p = bmp.ScanLine(y) + x * 3;
    return RGB(p[2], p[1], p[0]);
  }
  // A point of the cell clear of its text (which is short and starts at the left).
  POINT Blank(int col, int row) {
    RECT r = grid->CellRect(col, row);
    return {r.right - 4, (r.top + r.bottom) / 2};
  }

  test::TTestDb db{Rows()};
  TGridForm* form = nullptr;
  TDBGrid* grid = nullptr;
  TADOQuery* query = nullptr;
};

TEST_F(DBGridTest, ColumnsFollowTheFieldsOfEveryQuery) {
  EXPECT_EQ(HwndGetClassName(grid->Handle()), L"TDBGrid");
  EXPECT_TRUE(grid->InheritsFrom("TCustomGrid"));
  EXPECT_EQ(GetOrdProp(grid, "FixedColor"), clBtnFace);
  EXPECT_EQ(GetEnumProp(grid, "BorderStyle"), "bsSingle");
  EXPECT_EQ(grid->TitleFont()->Name(), L"宋体");
  EXPECT_EQ(grid->TitleFont()->Height(), -13);

  // Closed: nothing to show, nothing to read.
  EXPECT_EQ(grid->Columns()->Count(), 0);
  EXPECT_EQ(grid->DataRowCount(), 0);
  EXPECT_THROW(grid->DataLink()->Fields(2), EDatabaseError);

  query->Open();
  ASSERT_EQ(grid->Columns()->Count(), 3);
  EXPECT_EQ(grid->Columns()->Column(0)->FieldName(), L"编号");
  EXPECT_EQ(grid->Columns()->Column(1)->Title()->Caption(), L"标题");
  EXPECT_EQ(grid->Columns()->Column(2)->Field(), query->Fields(2));
  EXPECT_EQ(grid->ColCount(), 4);  // the indicator column and three fields
  EXPECT_EQ(grid->DataRowCount(), kRecords);
  EXPECT_FALSE(HasHorzBar());

  Run(L"Select 编号,标题,内容 from data");
  EXPECT_EQ(grid->ColCount(), 2);
  EXPECT_EQ(grid->ColumnAt(1), grid->Columns()->Column(1));
  EXPECT_EQ(grid->Columns()->Column(1)->Width(), 300);
  EXPECT_TRUE(HasHorzBar());  // 300 pixels do not fit in a 298-pixel grid
  EXPECT_EQ(grid->DataLink()->Fields(2)->AsString(), L"内容1");

  // The same query again, as a search runs it: every field's narrow column first, then the
  // program's setup. The bar and the client area stay as they are all through.
  const RECT client = grid->ClientRect();
  int resizes = 0;
  TWindowSubclass watch;
  ASSERT_TRUE(watch.Install(grid->Handle(), [&](TMessage& m) {
    if (m.Msg == WM_SIZE) ++resizes;
    watch.CallPrevious(m);
  }));
  Run(L"Select 编号,标题,内容 from data");
  Application->ProcessMessages();
  watch.Remove();
  EXPECT_TRUE(HasHorzBar());
  EXPECT_EQ(resizes, 0);
  EXPECT_EQ(grid->ClientRect().bottom, client.bottom);

  // Another statement with other fields: the columns are made anew, in its order.
  query->Close();
  query->SQL().Clear();
  query->SQL().Add(L"Select 标题 from data where 编号 < 3");
  query->Open();
  ASSERT_EQ(grid->Columns()->Count(), 1);
  EXPECT_EQ(grid->Columns()->Column(0)->FieldName(), L"标题");
  EXPECT_TRUE(grid->Columns()->Column(0)->Visible());
  EXPECT_EQ(grid->DataRowCount(), 2);
  Application->ProcessMessages();  // a bar no longer needed goes once the burst is over
  EXPECT_FALSE(HasHorzBar());
  EXPECT_THROW(grid->Columns()->Column(1), std::out_of_range);

  query->Close();
  EXPECT_EQ(grid->Columns()->Count(), 0);
  EXPECT_EQ(grid->DataRowCount(), 0);
}

TEST_F(DBGridTest, ClickingARowMovesTheRecordAndReportsTheColumn) {
  Run(L"Select * from data");
  TColumn* title = grid->Columns()->Column(1);

  Click(1, grid->RecordToRow(3));
  EXPECT_EQ(query->RecNo(), 4);
  EXPECT_EQ(form->clicked, std::vector<TColumn*>{title});
  EXPECT_EQ(grid->DataLink()->Fields(2)->AsString(), L"内容4");
  EXPECT_EQ(GetFocus(), grid->Handle());

  // The indicator column moves the record but is no data cell; the title row is neither.
  Click(0, grid->RecordToRow(6));
  EXPECT_EQ(query->RecNo(), 7);
  Click(1, 0);
  EXPECT_EQ(query->RecNo(), 7);
  EXPECT_EQ(form->clicked.size(), 1u);

  // Pressed on a cell, released outside the grid: the record moved, no click.
  Press(Centre(1, grid->RecordToRow(1)));
  Release({-5, -5});
  EXPECT_EQ(query->RecNo(), 2);
  EXPECT_EQ(form->clicked.size(), 1u);

  // A click on another column of the same row reports that column.
  query->Close();
  query->Open();
  Click(3, grid->RecordToRow(0));
  ASSERT_EQ(form->clicked.size(), 2u);
  EXPECT_EQ(form->clicked.back(), grid->Columns()->Column(2));
  EXPECT_EQ(query->RecNo(), 1);
}

TEST_F(DBGridTest, KeysWheelAndScrollBarMoveTheRecord) {
  Run(L"Select * from data");
  EXPECT_TRUE(SendMessageW(grid->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
  const int page = grid->VisibleRowCount();
  ASSERT_GT(page, 3);
  ASSERT_LT(page, kRecords);
  struct Step {
    const char* what;
    std::function<void()> act;
    int recno;
  } steps[] = {
      {"down", [&] { Key(VK_DOWN); }, 2},
      {"down", [&] { Key(VK_DOWN); }, 3},
      {"up", [&] { Key(VK_UP); }, 2},
      {"page down", [&] { Key(VK_NEXT); }, 2 + page},
      {"page up", [&] { Key(VK_PRIOR); }, 2},
      {"end", [&] { Key(VK_END); }, kRecords},
      {"down at the end", [&] { Key(VK_DOWN); }, kRecords},
      {"home", [&] { Key(VK_HOME); }, 1},
      {"up at the start", [&] { Key(VK_UP); }, 1},
      {"wheel towards the user", [&] { Wheel(-WHEEL_DELTA); }, 2},
      {"wheel away", [&] { Wheel(WHEEL_DELTA); }, 1},
      {"two half notches", [&] { Wheel(-WHEEL_DELTA / 2); Wheel(-WHEEL_DELTA / 2); }, 2},
      {"three notches at once", [&] { Wheel(-3 * WHEEL_DELTA); }, 5},
      {"scroll bar arrow", [&] { SendMessageW(grid->Handle(), WM_VSCROLL, SB_LINEDOWN, 0); }, 6},
      {"scroll bar page", [&] { SendMessageW(grid->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0); }, 6 + page},
      {"scroll bar bottom", [&] { SendMessageW(grid->Handle(), WM_VSCROLL, SB_BOTTOM, 0); }, kRecords},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    EXPECT_EQ(query->RecNo(), s.recno);
    EXPECT_EQ(grid->CurrentRow(), s.recno - 1);
  }

  // A closed data set is left alone: no error reaches the user.
  query->Close();
  Key(VK_DOWN);
  Wheel(-WHEEL_DELTA);
  EXPECT_FALSE(query->Active());
}

TEST_F(DBGridTest, AReplacedMessageMethodSeesTheWheelFirst) {
  Run(L"Select * from data");
  struct Spy {
    TWndMethod old;
    int wheels = 0;
    void Proc(TMessage& m) {
      if (m.Msg == WM_MOUSEWHEEL) {
        ++wheels;
        return;
      }
      old(m);
    }
  } spy;
  spy.old = grid->WindowProc;
  grid->WindowProc = TWndMethod::Bind<&Spy::Proc>(&spy);
  Wheel(-WHEEL_DELTA);
  Key(VK_DOWN);  // everything else still reaches the grid
  grid->WindowProc = spy.old;
  EXPECT_EQ(spy.wheels, 1);
  EXPECT_EQ(query->RecNo(), 2);
}

TEST_F(DBGridTest, TheGridFollowsTheRecordMovedFromCode) {
  Run(L"Select * from data");
  struct Case {
    int move;
    int recno;
  } cases[] = {{30, 31}, {-5, 26}, {-100, 1}, {100, kRecords}, {-1, kRecords - 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "MoveBy(" << c.move << ")");
    query->MoveBy(c.move);
    ASSERT_EQ(query->RecNo(), c.recno);
    const int row = c.recno - 1;
    EXPECT_EQ(grid->CurrentRow(), row);
    EXPECT_LE(grid->TopRow(), row);
    EXPECT_LT(row, grid->TopRow() + grid->VisibleRowCount());
    RECT cell = grid->CellRect(1, grid->RecordToRow(row));
    EXPECT_FALSE(IsRectEmpty(&cell));
    SCROLLINFO si = VertBar();
    EXPECT_EQ(si.nPos, row);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax - static_cast<int>(si.nPage) + 1, kRecords - 1);  // the last position is the last record
  }
}

TEST_F(DBGridTest, PaintedPixelsShowTheCurrentRecord) {
  const COLORREF window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT),
                 face = GetSysColor(COLOR_BTNFACE);
  ASSERT_NE(window, highlight);
  {
    // Closed: an empty grid on the window colour.
    auto shot = Snapshot();
    EXPECT_EQ(Pixel(*shot, shot->Width() / 2, shot->Height() / 2), window);
  }
  Run(L"Select * from data");
  query->MoveBy(2);
  auto shot = Snapshot();
  POINT cur = Blank(1, grid->RecordToRow(2)), other = Blank(1, grid->RecordToRow(5));
  POINT title = Blank(1, 0);
  EXPECT_EQ(Pixel(*shot, cur.x, cur.y), highlight);
  EXPECT_EQ(Pixel(*shot, other.x, other.y), window);
  EXPECT_EQ(Pixel(*shot, title.x, title.y), face);

  // Moved far down: the grid scrolled and the highlight went with the record.
  query->MoveBy(30);
  shot = Snapshot();
  cur = Blank(1, grid->RecordToRow(32));
  EXPECT_EQ(Pixel(*shot, cur.x, cur.y), highlight);
  POINT above = Blank(1, grid->RecordToRow(31));
  EXPECT_EQ(Pixel(*shot, above.x, above.y), window);

  // The fixed colour is the skinners' to change.
  SetOrdProp(grid, "FixedColor", clRed);
  shot = Snapshot();
  EXPECT_EQ(Pixel(*shot, title.x, title.y), RGB(255, 0, 0));
}

// A move repaints only what it changes and scrolls the rows still in view on screen; whatever
// the move, the grid then shows what a paint of the whole grid draws.
TEST_F(DBGridTest, AfterEveryMoveTheGridShowsWhatAWholePaintDraws) {
  Run(L"Select * from data");
  const int page = grid->VisibleRowCount();
  ASSERT_GT(page, 4);
  auto move = [&](int by) { return [this, by] { query->MoveBy(by); }; };
  auto track = [&](int rows) {
    return [this, rows] {
      const int pos = GetScrollPos(grid->Handle(), SB_VERT) + rows;
      SetScrollPos(grid->Handle(), SB_VERT, pos, FALSE);  // outside a drag the track position is the bar's
      SendMessageW(grid->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos), 0);
    };
  };
  struct Move {
    const char* what;
    std::function<void()> act;
  } moves[] = {
      {"one down, in view", move(1)},
      {"down past the last row in view", move(page)},
      {"three down at the bottom", move(3)},
      {"one up, in view", move(-1)},
      {"up past the top row", move(-page)},
      {"a thumb drag of three rows", track(3)},
      {"three rows back", track(-3)},
      {"more than a view", move(2 * page)},
      {"two moves before a paint", [&] {
         query->MoveBy(2);
         query->MoveBy(3);
       }},
      {"end", [&] { Key(VK_END); }},
      {"home", [&] { Key(VK_HOME); }},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(m.what);
    m.act();
    auto shown = Snapshot();
    InvalidateRect(grid->Handle(), nullptr, TRUE);
    auto whole = Snapshot();
    int differing_rows = 0;
    for (int y = 0; y < whole->Height(); ++y)
      differing_rows += memcmp(shown->ScanLine(y), whole->ScanLine(y), static_cast<size_t>(whole->Width()) * 3) != 0;
    EXPECT_EQ(differing_rows, 0);
  }
}

TEST_F(DBGridTest, OpeningPaintingAndClosingLeakNoGdiObject) {
  auto cycle = [&] {
    Run(L"Select * from data");
    query->MoveBy(25);
    RedrawWindow(grid->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    query->Close();
    RedrawWindow(grid->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  };
  cycle();  // fonts and the paint buffer are made once, on first use
  const int before = LiveGdiHandles();
  for (int i = 0; i < 50; ++i) cycle();
  EXPECT_EQ(LiveGdiHandles(), before);
}

}  // namespace
}  // namespace qn
