// Builds the program's recipe database from its readable source: "### title" starts a
// record, the lines after it (joined without separators) are its text, ";" lines are notes.
// Usage: recipedb SOURCE.txt OUT.db
//        recipedb --empty OUT.db     (the same table without records, for benchmarks)
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

struct Recipe {
  std::string title;
  std::string text;
  int line;
};

bool Fail(const std::string& what) {
  std::fprintf(stderr, "recipedb: %s\n", what.c_str());
  return false;
}

bool Parse(const char* path, std::vector<Recipe>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(std::string("cannot read ") + path);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (n == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.empty() || line[0] == ';') continue;
    if (line.rfind("### ", 0) == 0) {
      out.push_back({line.substr(4), "", n});
      continue;
    }
    if (out.empty()) return Fail(std::string(path) + ":" + std::to_string(n) + ": text before the first title");
    out.back().text += line;
  }
  std::set<std::string> titles;
  for (const Recipe& r : out) {
    std::string at = std::string(path) + ":" + std::to_string(r.line) + ": ";
    if (r.title.empty()) return Fail(at + "empty title");
    if (r.text.empty()) return Fail(at + "record without text");
    if (!titles.insert(r.title).second) return Fail(at + "title used twice: " + r.title);
  }
  if (out.empty()) return Fail(std::string(path) + ": no records");
  return true;
}

bool Exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) == SQLITE_OK) return true;
  Fail(err ? err : "sqlite error");
  sqlite3_free(err);
  return false;
}

bool Write(const char* path, const std::vector<Recipe>& recipes) {
  std::remove(path);
  sqlite3* db = nullptr;
  if (sqlite3_open(path, &db) != SQLITE_OK) {
    sqlite3_close(db);
    return Fail(std::string("cannot create ") + path);
  }
  bool ok = Exec(db, "PRAGMA page_size=4096; PRAGMA journal_mode=OFF;") &&
            Exec(db,
                 "CREATE TABLE data (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 标题 VARCHAR(255), 内容 TEXT);"
                 "BEGIN;");
  sqlite3_stmt* st = nullptr;
  if (ok && sqlite3_prepare_v2(db, "INSERT INTO data (标题, 内容) VALUES (?, ?)", -1, &st, nullptr) != SQLITE_OK)
    ok = Fail(sqlite3_errmsg(db));
  for (size_t i = 0; ok && i < recipes.size(); ++i) {
    sqlite3_bind_text(st, 1, recipes[i].title.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, recipes[i].text.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(st) != SQLITE_DONE) ok = Fail(sqlite3_errmsg(db));
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  ok = ok && Exec(db, "COMMIT; VACUUM;");
  sqlite3_close(db);
  if (!ok) std::remove(path);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: recipedb SOURCE.txt OUT.db\n       recipedb --empty OUT.db\n");
    return 2;
  }
  std::vector<Recipe> recipes;
  bool empty = std::string(argv[1]) == "--empty";
  if ((!empty && !Parse(argv[1], recipes)) || !Write(argv[2], recipes)) return 1;
  std::printf("recipedb: %zu records\n", recipes.size());
  return 0;
}
