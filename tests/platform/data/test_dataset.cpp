#include <gtest/gtest.h>

#include <filesystem>

#include "platform/data/ADODB.h"
#include "tests/platform/data/TestDb.h"

namespace qn {
namespace {

using test::TRow;
using test::TTestDb;

const std::vector<TRow> kRows = {
    {L"五加皮酒", L"【配方】五加皮50克<br>【制法】浸酒"},
    {L"风湿药酒", L"【主治】风湿痹痛"},
    {L"李'氏酒", L"含单引号"},
    {L"100%纯粮酒", L"含百分号"},
    {L"100克酒", L"百分号的陷阱"},
    {L"a_b酒", L"含下划线"},
    {L"aXb酒", L"下划线的陷阱"},
    {L"无内容", std::nullopt},
};

class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    conn = new TADOConnection(&root);
    conn->SetLoginPrompt(false);
    conn->SetConnectionString(db.ConnectionString());
    query = new TADOQuery(&root);
    query->SetConnection(conn);
    query->SetCursorType(TCursorType::ctStatic);
  }

  void Run(const std::wstring& sql) {
    query->Close();
    query->SQL().Clear();
    query->SQL().Add(sql);
    query->Open();
  }

  std::vector<std::wstring> Titles() {
    std::vector<std::wstring> out;
    for (query->First(); !query->Eof(); query->Next()) out.push_back(query->FieldByName(L"标题")->AsString());
    return out;
  }

  TTestDb db{kRows};
  TComponent root{nullptr};
  TADOConnection* conn = nullptr;
  TADOQuery* query = nullptr;
};

TEST_F(DataSetTest, OpeningReadsEveryRecordWithItsFields) {
  Run(L"Select * from data");
  EXPECT_TRUE(conn->Connected());  // connected on demand
  ASSERT_TRUE(query->Active());
  EXPECT_EQ(query->RecordCount(), 8);
  EXPECT_EQ(query->RecNo(), 1);
  EXPECT_TRUE(query->Bof());
  EXPECT_FALSE(query->Eof());
  ASSERT_EQ(query->FieldCount(), 3);
  EXPECT_EQ(query->Fields(0)->FieldName(), L"编号");
  EXPECT_EQ(query->Fields(1)->FieldName(), L"标题");
  EXPECT_EQ(query->Fields(2)->FieldName(), L"内容");
  EXPECT_EQ(query->Fields(0)->AsInteger(), 1);
  EXPECT_EQ(query->Fields(0)->AsString(), L"1");
  EXPECT_EQ(query->Fields(1)->AsString(), L"五加皮酒");
  EXPECT_EQ(query->Fields(2)->AsString(), L"【配方】五加皮50克<br>【制法】浸酒");
  EXPECT_EQ(query->FieldByName(L"标题"), query->Fields(1));
  EXPECT_EQ(query->FindField(L"nothing"), nullptr);
  EXPECT_THROW(query->FieldByName(L"nothing"), EDatabaseError);
  EXPECT_THROW(query->Fields(3), EDatabaseError);
  EXPECT_THROW(query->Fields(1)->AsInteger(), EDatabaseError);  // text that is no number

  query->Last();
  EXPECT_EQ(query->Fields(1)->AsString(), L"无内容");
  EXPECT_TRUE(query->Fields(2)->IsNull());
  EXPECT_EQ(query->Fields(2)->AsString(), L"");
  EXPECT_FALSE(query->Fields(1)->IsNull());
}

TEST_F(DataSetTest, MovingStopsAtTheEnds) {
  Run(L"Select 编号 from data");
  struct Step {
    int distance, moved, recno;
    bool bof, eof;
  } steps[] = {
      {1, 1, 2, false, false},   {-1, -1, 1, false, false}, {-1, 0, 1, true, false},
      {-5, 0, 1, true, false},   {3, 3, 4, false, false},   {100, 4, 8, false, true},
      {1, 0, 8, false, true},    {-2, -2, 6, false, false}, {2, 2, 8, false, false},
      {INT32_MIN, -7, 1, true, false}, {INT32_MAX, 7, 8, false, true}, {0, 0, 8, false, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "step #" << (&s - steps) << " MoveBy(" << s.distance << ")");
    EXPECT_EQ(query->MoveBy(s.distance), s.moved);
    EXPECT_EQ(query->RecNo(), s.recno);
    EXPECT_EQ(query->Fields(0)->AsInteger(), s.recno);
    EXPECT_EQ(query->Bof(), s.bof);
    EXPECT_EQ(query->Eof(), s.eof);
  }
  query->First();
  EXPECT_TRUE(query->Bof());
  EXPECT_EQ(query->RecNo(), 1);
  query->SetRecNo(5);
  EXPECT_EQ(query->Fields(0)->AsInteger(), 5);
}

TEST_F(DataSetTest, AnEmptyResultIsAtItsEndRightAfterOpening) {
  Run(L"Select * from data where 标题 = '没有这条'");
  EXPECT_TRUE(query->Active());
  EXPECT_EQ(query->RecordCount(), 0);
  EXPECT_TRUE(query->Eof());
  EXPECT_TRUE(query->Bof());
  EXPECT_EQ(query->RecNo(), 0);
  EXPECT_EQ(query->MoveBy(1), 0);
  EXPECT_EQ(query->FieldCount(), 3);
  EXPECT_TRUE(query->Fields(1)->IsNull());
  EXPECT_EQ(query->Fields(1)->AsString(), L"");
}

TEST_F(DataSetTest, KeywordParameterIsSearchedLiterally) {
  struct Case {
    const wchar_t* keyword;
    std::vector<std::wstring> titles;
  } cases[] = {
      {L"风湿", {L"风湿药酒"}},
      {L"'", {L"李'氏酒"}},
      {L"100%", {L"100%纯粮酒"}},
      {L"a_b", {L"a_b酒"}},
      {L"%", {L"100%纯粮酒"}},
      {L"_", {L"a_b酒"}},
      {L"\\", {}},
      {L"' or 1=1 --", {}},
      {L"百分号", {L"100%纯粮酒", L"100克酒"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "keyword #" << (&c - cases));
    query->Close();
    query->SQL().Clear();
    query->SQL().Add(L"Select * from data where 标题 like :kw escape '\\' or 内容 like :kw escape '\\' ");
    ASSERT_EQ(query->Parameters()->Count(), 1);
    query->Parameters()->ParamByName(L"KW")->SetValue(test::ContainsPattern(c.keyword));
    query->Open();
    EXPECT_EQ(query->RecordCount(), static_cast<int>(c.titles.size()));
    EXPECT_EQ(query->Eof(), c.titles.empty());
    EXPECT_EQ(Titles(), c.titles);
  }
}

TEST_F(DataSetTest, ParametersKeepTheirValuesWhileTheStatementStillNamesThem) {
  query->SQL().Add(L"Select * from data where 编号 = :id");
  query->Parameters()->ParamByName(L"id")->SetValue(3);
  query->SQL().Add(L"or 编号 = :other");
  ASSERT_EQ(query->Parameters()->Count(), 2);
  EXPECT_TRUE(query->Parameters()->ParamByName(L"id")->Assigned());
  EXPECT_FALSE(query->Parameters()->ParamByName(L"other")->Assigned());
  EXPECT_THROW(query->Parameters()->ParamByName(L"missing"), EDatabaseError);

  // Running with a parameter that has no value is refused rather than read as null.
  EXPECT_THROW(query->Open(), EDatabaseError);
  EXPECT_FALSE(query->Active());
  query->Parameters()->ParamByName(L"other")->SetNull();
  query->Open();
  EXPECT_EQ(Titles(), std::vector<std::wstring>{L"李'氏酒"});
}

TEST_F(DataSetTest, FailuresRaiseAndLeaveTheDataSetClosed) {
  const std::wstring garbage = test::TempPath(".garbage");
  test::WriteFile(garbage, std::string(4096, 'x'));
  const std::wstring empty = test::TempPath(".empty");
  test::WriteFile(empty, "");
  const std::wstring folder = test::TempPath(".folder");
  std::filesystem::create_directory(folder);
  const std::wstring jet = L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
  struct Case {
    std::wstring connection;
    const wchar_t* sql;
    const char* message;  // a part of it
  } cases[] = {
      {L"Provider=SQLOLEDB;Data Source=" + db.Path(), L"select * from data", "Provider cannot be found"},
      {L"Data Source=" + db.Path(), L"select * from data", "Provider cannot be found"},
      {jet + db.Path() + L".missing", L"select * from data", "Could not find file"},
      {jet, L"select * from data", "Could not find file"},
      {jet + garbage, L"select * from data", "Unrecognized database format"},
      {jet + empty, L"select * from data", "Unrecognized database format"},
      {jet + folder, L"select * from data", "cannot open the file"},
      {db.ConnectionString(), L"select * from datum", "no such table"},
      {db.ConnectionString(), L"selec * from data", "syntax error"},
      {db.ConnectionString(), L"select * from data; delete from data", "after end of SQL statement"},
      {db.ConnectionString(), L"delete from data", "does not return a result set"},
      {db.ConnectionString(), L"  -- nothing", "Command text was not set"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case #" << (&c - cases));
    conn->Close();
    conn->SetConnectionString(c.connection);
    query->SQL().Clear();
    query->SQL().Add(c.sql);
    try {
      query->Open();
      ADD_FAILURE() << "no error raised";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_FALSE(query->Active());
    EXPECT_EQ(query->RecordCount(), 0);
    EXPECT_EQ(query->FieldCount(), 0);
    EXPECT_TRUE(query->Eof());
    EXPECT_THROW(query->MoveBy(1), EDatabaseError);
  }
  test::RemoveFile(garbage);
  test::RemoveFile(empty);
  test::RemoveFile(folder);

  // Nothing half-open is left behind: the same components work once the input is right.
  conn->Close();
  conn->SetConnectionString(db.ConnectionString());
  Run(L"select * from data");
  EXPECT_EQ(query->RecordCount(), 8);
  // The database is opened read-only: even a statement that returns rows cannot write.
  query->Close();
  query->SQL().Clear();
  query->SQL().Add(L"delete from data returning 编号");
  EXPECT_THROW(query->Open(), EDatabaseError);
  Run(L"select * from data");
  EXPECT_EQ(query->RecordCount(), 8);
}

TEST_F(DataSetTest, ClosingTheConnectionClosesItsDataSets) {
  auto* table = new TADOTable(&root);
  table->SetConnection(conn);
  table->SetTableName(L"data");
  Run(L"Select * from data");
  table->Open();
  EXPECT_EQ(table->RecordCount(), 8);
  EXPECT_EQ(table->Fields(1)->AsString(), L"五加皮酒");
  EXPECT_EQ(conn->DataSetCount(), 2);

  EXPECT_THROW(conn->SetConnectionString(L"Provider=x"), EDatabaseError);  // not while open
  conn->Close();
  EXPECT_FALSE(conn->Connected());
  EXPECT_FALSE(query->Active());
  EXPECT_FALSE(table->Active());
  EXPECT_EQ(query->RecordCount(), 0);

  // The file is let go: it can be replaced, and the connection opens again on demand.
  test::RemoveFile(db.Path());
  EXPECT_FALSE(std::filesystem::exists(db.Path()));
  TTestDb other(std::vector<TRow>{{L"新酒", L"新内容"}});
  conn->SetConnectionString(other.ConnectionString());
  Run(L"Select * from data");
  EXPECT_EQ(query->RecordCount(), 1);

  // A table name is a name, never more statement.
  table->SetTableName(L"data\" where 1=0 --");
  EXPECT_THROW(table->Open(), EDatabaseError);

  // A connection that goes takes its data sets down first and leaves no dangling pointer.
  delete conn;
  EXPECT_FALSE(query->Active());
  EXPECT_EQ(query->Connection(), nullptr);
  EXPECT_EQ(table->Connection(), nullptr);
  EXPECT_THROW(query->Open(), EDatabaseError);
}

}  // namespace
}  // namespace qn
