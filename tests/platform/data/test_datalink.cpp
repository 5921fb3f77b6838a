#include <gtest/gtest.h>

#include "platform/core/FormText.h"
#include "platform/core/TextConv.h"
#include "platform/data/ADODB.h"
#include "tests/platform/data/TestDb.h"

namespace qn {
namespace {

using test::TTestDb;

// Writes down what it hears, in order.
class TRecordingLink : public TDataLink {
 public:
  std::vector<std::string> heard;

 protected:
  void ActiveChanged() override { heard.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { heard.push_back("changed"); }
  void DataSetScrolled(int distance) override { heard.push_back("scrolled " + std::to_string(distance)); }
};

class DataLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    conn = new TADOConnection(&root);
    conn->SetConnectionString(db.ConnectionString());
    query = new TADOQuery(&root);
    query->SetConnection(conn);
    query->SQL().Add(L"select * from data");
    source = new TDataSource(&root);
    source->SetDataSet(query);
    link.SetDataSource(source);
  }

  std::vector<std::string> Take() { return std::exchange(link.heard, {}); }

  TTestDb db{{{L"一", L"1"}, {L"二", L"2"}, {L"三", L"3"}, {L"四", L"4"}}};
  TComponent root{nullptr};
  TADOConnection* conn = nullptr;
  TADOQuery* query = nullptr;
  TDataSource* source = nullptr;
  TRecordingLink link;
};

TEST_F(DataLinkTest, LinksHearOpenScrollRequeryAndCloseInOrder) {
  std::vector<std::string> events;
  struct Spy {
    std::vector<std::string>* out;
    void AfterOpen(TDataSet* d) { out->push_back("AfterOpen " + std::to_string(d->RecordCount())); }
    void AfterScroll(TDataSet* d) { out->push_back("AfterScroll " + std::to_string(d->RecNo())); }
  } spy{&events};
  query->AfterOpen = TDataSetNotifyEvent::Bind<&Spy::AfterOpen>(&spy);
  query->AfterScroll = TDataSetNotifyEvent::Bind<&Spy::AfterScroll>(&spy);

  query->Open();
  EXPECT_TRUE(link.Active());
  EXPECT_EQ(Take(), (std::vector<std::string>{"active", "changed"}));
  EXPECT_EQ(events, (std::vector<std::string>{"AfterOpen 4", "AfterScroll 1"}));

  query->MoveBy(2);
  query->MoveBy(5);   // stops at the last record: one step
  query->MoveBy(1);   // already there: nothing to hear
  query->First();
  EXPECT_EQ(Take(), (std::vector<std::string>{"scrolled 2", "scrolled 1", "scrolled -3"}));

  query->SetRecNo(3);
  query->Requery();
  EXPECT_EQ(query->RecNo(), 3);
  EXPECT_EQ(Take(), (std::vector<std::string>{"scrolled 2", "changed"}));

  conn->Close();
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(Take(), (std::vector<std::string>{"inactive"}));
}

TEST_F(DataLinkTest, LinksFollowTheDataSourceAndLetGoOfWhatIsFreed) {
  query->Open();
  Take();
  auto* other = new TADOQuery(&root);
  other->SetConnection(conn);
  source->SetDataSet(other);  // closed: the link goes inactive
  EXPECT_EQ(Take(), (std::vector<std::string>{"inactive"}));
  source->SetDataSet(query);
  EXPECT_EQ(Take(), (std::vector<std::string>{"active", "changed"}));

  // Another link on the same source hears the same things.
  TRecordingLink second;
  second.SetDataSource(source);
  EXPECT_EQ(second.heard, (std::vector<std::string>{"active", "changed"}));
  query->MoveBy(1);
  EXPECT_EQ(second.heard.back(), "scrolled 1");
  EXPECT_EQ(Take(), (std::vector<std::string>{"scrolled 1"}));

  // The data set goes: the source forgets it and the links go inactive.
  delete query;
  query = nullptr;
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(Take(), (std::vector<std::string>{"inactive"}));

  // The source goes: links are left without one.
  delete source;
  EXPECT_EQ(link.DataSource(), nullptr);
  EXPECT_EQ(second.DataSource(), nullptr);
}

// A form description holding the data components, read without any window.
TEST(DataFormTextTest, ComponentsAndReferencesComeFromTheDescription) {
  RegisterDBClasses();
  TTestDb db(std::vector<test::TRow>{{L"五加皮酒", L"内容"}, {L"风湿药酒", L"内容"}});
  std::string path = WideToUtf8(db.Path());
  std::string quoted;
  for (char c : path) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  const std::string text =
      "object DataModule1: TComponent\n"
      "  object ADOConnection1: TADOConnection\n"
      "    ConnectionString = 'Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + quoted + ";Persist Security Info=False'\n"
      "    LoginPrompt = False\n"
      "    Provider = 'Microsoft.Jet.OLEDB.4.0'\n"
      "  end\n"
      "  object ADOTable1: TADOTable\n"
      "    Connection = ADOConnection1\n"
      "    CursorType = ctStatic\n"
      "    TableName = 'data'\n"
      "  end\n"
      "  object ADOQuery1: TADOQuery\n"
      "    Connection = ADOConnection1\n"
      "    CursorType = ctStatic\n"
      "    Parameters = <\n"
      "      item\n"
      "        Name = 'kw'\n"
      "        Value = '%风湿%'\n"
      "      end>\n"
      "    SQL.Strings = (\n"
      "      'Select * from data'\n"
      "      'where 标题 like :kw')\n"
      "    Active = True\n"
      "  end\n"
      "  object DataSource1: TDataSource\n"
      "    DataSet = ADOQuery1\n"
      "  end\n"
      "end\n";
  TComponent root(nullptr);
  ReadComponentText(&root, text);

  auto* conn = root.Find<TADOConnection>("ADOConnection1");
  auto* table = root.Find<TADOTable>("ADOTable1");
  auto* query = root.Find<TADOQuery>("ADOQuery1");
  auto* source = root.Find<TDataSource>("DataSource1");
  ASSERT_TRUE(conn && table && query && source);
  EXPECT_FALSE(conn->LoginPrompt());
  EXPECT_EQ(conn->Provider(), L"Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(table->Connection(), conn);
  EXPECT_EQ(table->CursorType(), TCursorType::ctStatic);
  EXPECT_EQ(table->TableName(), L"data");
  EXPECT_FALSE(table->Active());
  EXPECT_EQ(source->DataSet(), query);
  EXPECT_EQ(query->SQL().Count(), 2);
  EXPECT_EQ(GetEnumProp(query, "CursorType"), "ctStatic");
  // Opened once everything was read, with the stored parameter value kept.
  ASSERT_TRUE(query->Active());
  EXPECT_EQ(query->RecordCount(), 1);
  EXPECT_EQ(query->Fields(1)->AsString(), L"风湿药酒");
  EXPECT_TRUE(conn->Connected());
}

}  // namespace
}  // namespace qn
