// A small recipe database written by the test into the temp folder, removed again.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qn::test {

struct TRow {
  std::wstring title;
  std::optional<std::wstring> text;  // nullopt: NULL
};

class TTestDb {
 public:
  // Creates table data (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 标题 TEXT, 内容 TEXT) with rows.
  explicit TTestDb(const std::vector<TRow>& rows);
  ~TTestDb();
  TTestDb(const TTestDb&) = delete;
  TTestDb& operator=(const TTestDb&) = delete;

  const std::wstring& Path() const { return path_; }
  // "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<path>;Persist Security Info=False"
  std::wstring ConnectionString() const;

 private:
  std::wstring path_;
};

// A path in the temp folder, unique to the running test, that nothing exists at.
std::wstring TempPath(const std::string& suffix);
// Writes bytes to a file, replacing it.
void WriteFile(const std::wstring& path, const std::string& bytes);
void RemoveFile(const std::wstring& path);

// The pattern that finds keyword anywhere, with \, % and _ escaped for LIKE ... ESCAPE '\'.
std::wstring ContainsPattern(const std::wstring& keyword);

}  // namespace qn::test
