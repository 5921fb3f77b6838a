#include "tests/platform/data/TestDb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/core/TextConv.h"

namespace qn::test {

namespace fs = std::filesystem;

std::wstring TempPath(const std::string& suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("qn_data_") + (info ? info->test_suite_name() + std::string("_") + info->name() : "x");
  for (char& c : name)
    if (c == '/' || c == '\\') c = '_';
  fs::path p = fs::temp_directory_path() / Utf8ToWide(name + suffix);
  std::error_code ec;
  fs::remove(p, ec);
  return p.wstring();
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write the test file");
}

void RemoveFile(const std::wstring& path) {
  std::error_code ec;
  fs::remove(fs::path(path), ec);
}

TTestDb::TTestDb(const std::vector<TRow>& rows) : path_(TempPath(".db")) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(WideToUtf8(path_).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot create the test database");
  auto exec = [&](const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  };
  exec("CREATE TABLE data (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 标题 TEXT, 内容 TEXT)");
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO data (标题, 内容) VALUES (?, ?)", -1, &st, nullptr);
  for (const TRow& r : rows) {
    std::string title = WideToUtf8(r.title);
    sqlite3_bind_text(st, 1, title.c_str(), -1, SQLITE_TRANSIENT);
    if (r.text) {
      std::string text = WideToUtf8(*r.text);
      sqlite3_bind_text(st, 2, text.c_str(), -1, SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(st, 2);
    }
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}

TTestDb::~TTestDb() { RemoveFile(path_); }

std::wstring TTestDb::ConnectionString() const {
  return L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ + L";Persist Security Info=False";
}

std::wstring ContainsPattern(const std::wstring& keyword) {
  std::wstring p = L"%";
  for (wchar_t c : keyword) {
    if (c == L'\\' || c == L'%' || c == L'_') p += L'\\';
    p += c;
  }
  return p + L"%";
}

}  // namespace qn::test
