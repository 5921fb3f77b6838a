#include <gtest/gtest.h>

#include "platform/data/ADODB.h"
#include "platform/data/ConnectionString.h"

namespace qn {
namespace {

TEST(ConnectionStringTest, ValuesByKey) {
  struct Case {
    const wchar_t* text;
    const wchar_t* key;
    std::optional<std::wstring> want;
  } cases[] = {
      {L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\windows\\_.dll;Persist Security Info=False",
       L"data source", L"C:\\windows\\_.dll"},
      {L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\windows\\_.dll", L"PROVIDER", L"Microsoft.Jet.OLEDB.4.0"},
      {L"  Provider = Jet ; Data Source =  a b.mdb  ", L"Data Source", L"a b.mdb"},
      {L"Data Source=\"C:\\x;y.mdb\";Mode=Read", L"Data Source", L"C:\\x;y.mdb"},
      {L"Data Source='it''s.mdb'", L"Data Source", L"it's.mdb"},
      {L"Data Source=a.mdb;Data Source=b.mdb", L"Data Source", L"b.mdb"},
      {L"junk;Data Source=a.mdb;;", L"Data Source", L"a.mdb"},
      {L"Data Source=", L"Data Source", L""},
      {L"Provider=Jet", L"Data Source", std::nullopt},
      {L"", L"Provider", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "text #" << (&c - cases));
    EXPECT_EQ(ConnectionStringValue(c.text, c.key), c.want);
  }
}

TEST(ConnectionStringTest, ParameterNamesSkipQuotedTextAndComments) {
  struct Case {
    const wchar_t* sql;
    std::vector<std::wstring> want;
  } cases[] = {
      {L"select * from data where 标题 like :kw escape '\\' or 内容 like :KW escape '\\'", {L"kw"}},
      {L"select :a, :b2, :a", {L"a", L"b2"}},
      {L"select ':x', \":y\", [:z], `:w` from t where c = :关键词", {L"关键词"}},
      {L"select 1 -- :gone\n, 2 /* :gone */ where c = :here", {L"here"}},
      {L"select 'it''s :inside' where a = :after", {L"after"}},
      {L"select 'open :quote", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "sql #" << (&c - cases));
    EXPECT_EQ(SqlParamNames(c.sql), c.want);
  }
}

}  // namespace
}  // namespace qn
