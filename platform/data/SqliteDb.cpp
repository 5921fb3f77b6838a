#include "platform/data/SqliteDb.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/core/TextConv.h"

namespace qn {

namespace {

struct StmtFree {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using TStmt = std::unique_ptr<sqlite3_stmt, StmtFree>;

std::string Quoted(const std::wstring& path) { return "'" + WideToUtf8(path) + "'"; }

[[noreturn]] void CannotOpen(const std::wstring& path) {
  throw EDatabaseError("The database engine cannot open the file " + Quoted(path) +
                       ". It is already opened exclusively by another user, or you need permission to view its data.");
}

TDataValue ColumnValue(sqlite3_stmt* st, int col) {
  switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER:
      return static_cast<int64_t>(sqlite3_column_int64(st, col));
    case SQLITE_FLOAT:
      return sqlite3_column_double(st, col);
    case SQLITE_NULL:
      return {};
    default: {  // text, and blobs read as text
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
      int n = sqlite3_column_bytes(st, col);
      return p ? Utf8ToWide(std::string(p, static_cast<size_t>(n))) : std::wstring();
    }
  }
}

}  // namespace

TSqliteDatabase::TSqliteDatabase(const std::wstring& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path p(path);
  if (path.empty() || !fs::exists(p, ec)) throw EDatabaseError("Could not find file " + Quoted(path) + ".");
  if (fs::is_directory(p, ec)) CannotOpen(path);
  // SQLite takes an empty file for an empty database; no database we can read is empty.
  if (fs::file_size(p, ec) == 0 && !ec) throw EDatabaseError("Unrecognized database format " + Quoted(path) + ".");

  int rc = sqlite3_open_v2(WideToUtf8(path).c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
  if (rc == SQLITE_OK) {
    // The file is only read when first used: make it show now whether it is a database.
    rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    if (rc == SQLITE_NOTADB) throw EDatabaseError("Unrecognized database format " + Quoted(path) + ".");
    CannotOpen(path);
  }
}

TSqliteDatabase::~TSqliteDatabase() { sqlite3_close(db_); }

void TSqliteDatabase::Query(const std::wstring& sql, const TParamLookup& param, TRecordData& out) {
  auto fail = [&] { throw EDatabaseError(sqlite3_errmsg(db_)); };
  std::string text = WideToUtf8(sql);
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()), &raw, &tail) != SQLITE_OK) fail();
  TStmt st(raw);
  if (!st) throw EDatabaseError("Command text was not set for the command object.");
  // A second statement would be ignored silently; refuse it instead.
  if (tail && *tail) {
    sqlite3_stmt* next = nullptr;
    int rc = sqlite3_prepare_v2(db_, tail, static_cast<int>(text.c_str() + text.size() - tail), &next, nullptr);
    TStmt guard(next);
    if (rc != SQLITE_OK || next) throw EDatabaseError("Characters found after end of SQL statement.");
  }
  const int cols = sqlite3_column_count(st.get());
  if (cols == 0) throw EDatabaseError("Command text does not return a result set.");

  for (int i = 1, n = sqlite3_bind_parameter_count(st.get()); i <= n; ++i) {
    const char* name = sqlite3_bind_parameter_name(st.get(), i);
    const TDataValue* v = name && name[1] ? param(Utf8ToWide(name + 1)) : nullptr;
    if (!v) throw EDatabaseError("No value given for one or more required parameters.");
    int rc = SQLITE_OK;
    if (const auto* iv = std::get_if<int64_t>(v)) {
      rc = sqlite3_bind_int64(st.get(), i, *iv);
    } else if (const auto* dv = std::get_if<double>(v)) {
      rc = sqlite3_bind_double(st.get(), i, *dv);
    } else if (const auto* sv = std::get_if<std::wstring>(v)) {
      std::string s = WideToUtf8(*sv);
      rc = sqlite3_bind_text(st.get(), i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    } else {
      rc = sqlite3_bind_null(st.get(), i);
    }
    if (rc != SQLITE_OK) fail();
  }

  TRecordData data;
  for (int c = 0; c < cols; ++c) {
    const char* name = sqlite3_column_name(st.get(), c);
    data.fieldNames.push_back(name ? Utf8ToWide(name) : std::wstring());
  }
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    std::vector<TDataValue> row;
    row.reserve(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c) row.push_back(ColumnValue(st.get(), c));
    data.records.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) fail();
  out = std::move(data);
}

}  // namespace qn
