// The embedded SQLite back end: one database file per transfer log. SQLite has
// no user accounts and one schema per file; texts are stored as UTF-8.
#include <sqlite3.h>

#include <string>

#include "db/sql_dialects.h"
#include "db/sql_runtime.h"
#include "db/sql_status.h"
#include "platform/cp1252.h"

namespace {

constexpr char kCreateTable[] =
    "CREATE TABLE IF NOT EXISTS O2008TRANSPROT ("
    "TrsDat TEXT NOT NULL, TrsUsr VARCHAR(50), TrsTyp VARCHAR(50), TrsFile VARCHAR(255), "
    "TrsTrm VARCHAR(255), TrsSta VARCHAR(2000))";
// Concurrent runs that log into the same file wait for each other this long.
constexpr int kBusyTimeoutMs = 10000;

// SQLite takes UTF-8 file names on every system and accepts '/' everywhere.
std::string SqliteFileName(std::string_view path) {
  std::string slashed(path);
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  std::string utf8;
  Cp1252ToUtf8(slashed, utf8);
  return utf8;
}

class SqliteBackend final : public SqlBackend {
 public:
  explicit SqliteBackend(sqlite3* db) : db_(db) {}
  ~SqliteBackend() override { sqlite3_close_v2(db_); }  // rolls back what is open
  SqliteBackend(const SqliteBackend&) = delete;
  SqliteBackend& operator=(const SqliteBackend&) = delete;

  int Execute(std::string_view statement) override {
    for (const std::string& text : TranslateStatement(Dialect(), statement)) {
      const int status = Run(text);
      if (status != 0) return status;
    }
    return 0;
  }

  int Insert(std::string_view statement, const SqlTexts& values) override {
    const std::vector<std::string> texts = TranslateStatement(Dialect(), statement);
    sqlite3_stmt* prepared = nullptr;
    int code = sqlite3_prepare_v2(db_, texts.front().c_str(), -1, &prepared, nullptr);
    for (std::size_t i = 0; code == SQLITE_OK && i < values.size(); ++i) {
      std::string utf8;
      Cp1252ToUtf8(values[i], utf8);
      const std::string marker = ":b" + std::to_string(i);
      code = sqlite3_bind_text(prepared, sqlite3_bind_parameter_index(prepared, marker.c_str()),
                               utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    if (code == SQLITE_OK) code = sqlite3_step(prepared);
    if (code == SQLITE_DONE) code = SQLITE_OK;
    const int status = Status(code);
    sqlite3_finalize(prepared);
    return status;
  }

  int Commit() override { return Run("COMMIT"); }

  // Creates the table when the file has none and opens the transaction that
  // the commit ends.
  int Prepare() {
    const int status = Run(kCreateTable);
    return status != 0 ? status : Run("BEGIN");
  }

 private:
  static const SqlDialect& Dialect() { return FindDialect("SQLite"); }

  int Status(int code) const {
    return code == SQLITE_OK
               ? 0
               : StatusFromSqliteStatementCode(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
  }

  int Run(const std::string& text) {
    return Status(sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr));
  }

  sqlite3* db_;
};

}  // namespace

std::unique_ptr<SqlBackend> ConnectSqlite(std::string_view path, int& status) {
  // An empty name would give SQLite's private temporary database, which no
  // one could read afterwards.
  if (path.empty()) {
    status = kOraUnknownConnectIdentifier;
    return nullptr;
  }
  sqlite3* db = nullptr;
  const int code = sqlite3_open_v2(SqliteFileName(path).c_str(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code != SQLITE_OK) {
    status = StatusFromSqliteCode(code, db != nullptr ? sqlite3_errmsg(db) : "");
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  auto backend = std::make_unique<SqliteBackend>(db);
  status = backend->Prepare();
  if (status != 0) return nullptr;
  return backend;
}
