// A database file read through the embedded SQLite engine: opened read-only, one statement
// at a time, every row read at once. Text is wide in and out, UTF-8 to the engine.
#pragma once

#include <functional>
#include <string>

#include "platform/data/DB.h"

struct sqlite3;

namespace qn {

class TSqliteDatabase {
 public:
  // Raises EDatabaseError naming the file when it is missing, cannot be opened or is not a
  // database.
  explicit TSqliteDatabase(const std::wstring& path);
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;
  ~TSqliteDatabase();

  // The value of a named parameter (name without its ':'), or null when it has none.
  using TParamLookup = std::function<const TDataValue*(const std::wstring& name)>;
  // Runs one statement that returns rows and reads them all into out. Raises
  // EDatabaseError with the engine's message when the statement is rejected or fails.
  void Query(const std::wstring& sql, const TParamLookup& param, TRecordData& out);

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace qn
