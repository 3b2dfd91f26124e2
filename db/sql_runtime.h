// The database runtime: the embedded statements the session and the transfer
// record issue (connect, prepare and execute a dynamic statement, insert with
// bound texts, commit), carried out on one session by one of two back ends,
// each leaving its status in sqlStatus.
//
// The database name chooses the back end: "sqlite:" followed by a file path is
// an embedded SQLite file; every other name is an ODBC data source.
#ifndef DATENSCHLEUSE_DB_SQL_RUNTIME_H
#define DATENSCHLEUSE_DB_SQL_RUNTIME_H

#include <array>
#include <memory>
#include <string_view>

// Status of the last statement: 0 for success, otherwise the negative Oracle
// error number (see sql_status.h).
extern int sqlStatus;

inline constexpr std::string_view kSqliteNamePrefix = "sqlite:";

// The five texts an insert binds, in the order of its markers :b0 to :b4.
using SqlTexts = std::array<std::string_view, 5>;

// One open session of a back end. Statements come in Oracle's form; each
// returns its status. Texts are Windows-1252.
class SqlBackend {
 public:
  virtual ~SqlBackend() = default;
  // Runs a dynamic statement (the schema switch).
  virtual int Execute(std::string_view statement) = 0;
  // Runs an insert whose markers :b0 to :b4 take values.
  virtual int Insert(std::string_view statement, const SqlTexts& values) = 0;
  virtual int Commit() = 0;
};

// Opens a session; on failure returns null and leaves the status in status.
std::unique_ptr<SqlBackend> ConnectSqlite(std::string_view path, int& status);
std::unique_ptr<SqlBackend> ConnectOdbc(std::string_view dataSourceName, std::string_view userName,
                                        std::string_view password, int& status);

// The embedded statements. Each sets sqlStatus and returns it. Without a
// session every statement but the connect fails with "not logged on".
int SqlConnect(std::string_view userName, std::string_view password, std::string_view databaseName);
// Keeps the statement for SqlExecute; a faulty text shows up there.
int SqlPrepare(std::string_view statement);
int SqlExecute();
int SqlInsert(std::string_view statement, const SqlTexts& values);
int SqlCommit();

// Ends the session, dropping work not committed. The process end does the
// same.
void SqlDisconnect();

#endif  // DATENSCHLEUSE_DB_SQL_RUNTIME_H
