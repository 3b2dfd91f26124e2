// Reading an SQLite transfer log: the file is opened read-only and never
// created; a missing file or table is an error, not an empty log.
#include <sqlite3.h>

#include <string>

#include "db/sql_status.h"
#include "db/transfer_log_reader.h"
#include "platform/cp1252.h"

namespace {

constexpr char kSelectAll[] =
    "SELECT TrsDat, TrsUsr, TrsTyp, TrsFile, TrsTrm, TrsSta FROM O2008TRANSPROT "
    "WHERE TrsDat >= ?1 ORDER BY TrsDat, rowid";
constexpr char kSelectTerminal[] =
    "SELECT TrsDat, TrsUsr, TrsTyp, TrsFile, TrsTrm, TrsSta FROM O2008TRANSPROT "
    "WHERE TrsDat >= ?1 AND TrsTrm = ?2 ORDER BY TrsDat, rowid";
// Another run may be writing the file.
constexpr int kBusyTimeoutMs = 10000;

std::string Column(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text == nullptr
             ? std::string()
             : std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The status and message of a failed step, taken before anything is
// released; then releases the statement and the connection.
int Fail(sqlite3* db, sqlite3_stmt* statement, int code, std::string& message) {
  message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
  const int status =
      StatusFromSqliteCode(db != nullptr ? sqlite3_extended_errcode(db) : code, message);
  sqlite3_finalize(statement);
  sqlite3_close_v2(db);
  return status;
}

}  // namespace

int ReadTransferLogSqlite(std::string_view path, const TransferLogQuery& query,
                          std::vector<TransferLogRow>& rows, std::string& message) {
  // The run's path rules: backslashes separate, the name is Windows-1252.
  std::string slashed(path);
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  std::string fileName;
  Cp1252ToUtf8(slashed, fileName);
  sqlite3* db = nullptr;
  int code = sqlite3_open_v2(fileName.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  if (code != SQLITE_OK) return Fail(db, nullptr, code, message);
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);

  sqlite3_stmt* statement = nullptr;
  code = sqlite3_prepare_v2(db, query.terminal.empty() ? kSelectAll : kSelectTerminal, -1,
                            &statement, nullptr);
  if (code != SQLITE_OK) return Fail(db, statement, code, message);
  sqlite3_bind_text(statement, 1, query.since.data(), static_cast<int>(query.since.size()),
                    SQLITE_TRANSIENT);
  if (!query.terminal.empty()) {
    sqlite3_bind_text(statement, 2, query.terminal.data(), static_cast<int>(query.terminal.size()),
                      SQLITE_TRANSIENT);
  }
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
    rows.push_back({Column(statement, 0), Column(statement, 1), Column(statement, 2),
                    Column(statement, 3), Column(statement, 4), Column(statement, 5)});
  }
  if (code != SQLITE_DONE) {
    rows.clear();
    return Fail(db, statement, code, message);
  }
  sqlite3_finalize(statement);
  sqlite3_close_v2(db);
  return 0;
}
