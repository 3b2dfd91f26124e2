// Reading the transfer log back: the rows of O2008TRANSPROT since a moment,
// through the same settings file and the same back ends as the run that
// writes them (an SQLite file for "sqlite:" names, an ODBC data source
// otherwise). Reading is read-only: one SELECT with bound parameters on a
// session that is never committed.
#ifndef DATENSCHLEUSE_DB_TRANSFER_LOG_READER_H
#define DATENSCHLEUSE_DB_TRANSFER_LOG_READER_H

#include <string>
#include <string_view>
#include <vector>

// One row, texts as the database hands them out: UTF-8 from PostgreSQL and
// from newer SQLite files, possibly Windows-1252 from older rows (the reader
// does not guess; see TransferLogText in the report).
struct TransferLogRow {
  std::string trsDat;  // "YYYY-MM-DD HH:MM:SS", the database's local time
  std::string trsUsr, trsTyp, trsFile, trsTrm, trsSta;
};

struct TransferLogQuery {
  std::string since;     // "YYYY-MM-DD HH:MM:SS": rows at or after it
  std::string terminal;  // UTF-8; empty: every terminal
};

// The credentials a run would use, read from the settings file with the
// session's rules: user name and password cut to 199 characters, a database
// name used only when it has 1 to 41 characters. Texts are Windows-1252.
struct TransferLogSource {
  std::string userName, password, databaseName;
};
TransferLogSource ReadTransferLogSource(std::string_view settingsPath);

// Reads the rows that match query into rows, oldest first. Returns 0, or the
// status of the failing step (the negative Oracle number, as the run's
// failure line gives it) with the database's own words in message (UTF-8).
int ReadTransferLog(const TransferLogSource& source, const TransferLogQuery& query,
                    std::vector<TransferLogRow>& rows, std::string& message);

// The two back ends behind ReadTransferLog.
int ReadTransferLogSqlite(std::string_view path, const TransferLogQuery& query,
                          std::vector<TransferLogRow>& rows, std::string& message);
int ReadTransferLogOdbc(const TransferLogSource& source, const TransferLogQuery& query,
                        std::vector<TransferLogRow>& rows, std::string& message);

#endif  // DATENSCHLEUSE_DB_TRANSFER_LOG_READER_H
