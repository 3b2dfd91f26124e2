#include "db/sql_status.h"

#include <sqlite3.h>

namespace {

struct SqlStateStatus {
  std::string_view sqlState;
  int status;
};

// SQLSTATE (ODBC and SQL standard, plus PostgreSQL's own) -> Oracle number.
constexpr SqlStateStatus kSqlStateTable[] = {
    {"28000", kOraLogonDenied},               // invalid authorization
    {"28P01", kOraLogonDenied},               // invalid password
    {"IM002", kOraUnknownConnectIdentifier},  // data source not found
    {"IM010", kOraUnknownConnectIdentifier},  // data source name too long
    {"08001", kOraNoListener},                // client unable to establish connection
    {"08004", kOraLogonDenied},               // server rejected the connection
    {"08006", kOraEndOfFileOnChannel},        // connection failure
    {"08S01", kOraEndOfFileOnChannel},        // communication link failure
    {"08003", kOraNotLoggedOn},               // connection does not exist
    {"42P01", kOraTableMissing},              // undefined table
    {"42S02", kOraTableMissing},              // base table or view not found
    {"3F000", kOraUserMissing},               // invalid schema name
    {"22001", kOraValueTooLarge},             // string data, right truncation
    {"42501", kOraInsufficientPrivileges},    // insufficient privilege
    {"23505", kOraUniqueViolated},            // unique violation
    {"23502", kOraCannotInsertNull},          // not null violation
    {"23514", kOraCheckViolated},             // check violation
    {"23503", kOraParentKeyMissing},          // foreign key violation
    {"42703", kOraInvalidIdentifier},         // undefined column
    {"55P03", kOraResourceBusy},              // lock not available
    {"25006", kOraReadOnlyDatabase},          // read-only transaction
};

struct MessageStatus {
  std::string_view fragment;
  int status;
};

// Some drivers (psqlODBC among them) report every refused connection as
// 08001; the server's message tells a refused login from an unknown database
// or an absent server. Servers that translate their messages fall back to the
// SQLSTATE.
constexpr MessageStatus kConnectMessageTable[] = {
    {"authentication failed", kOraLogonDenied},
    {"no password supplied", kOraLogonDenied},
    {"role \"", kOraLogonDenied},
    {"database \"", kOraUnknownService},
};

// The number of an "ORA-nnnnn" in the message, negated; 0 when there is none.
int OracleNumberIn(std::string_view message) {
  for (std::size_t at = message.find("ORA-"); at != std::string_view::npos;
       at = message.find("ORA-", at + 1)) {
    int number = 0;
    std::size_t i = at + 4;
    for (; i < message.size() && i < at + 9 && message[i] >= '0' && message[i] <= '9'; ++i) {
      number = number * 10 + (message[i] - '0');
    }
    if (i == at + 9 && number != 0) return -number;
  }
  return 0;
}

}  // namespace

int StatusFromOdbcDiagnostic(std::string_view sqlState, long nativeError, std::string_view message,
                             bool oracleDatabase) {
  if (const int oracle = OracleNumberIn(message); oracle != 0) return oracle;
  if (oracleDatabase && nativeError > 0 && nativeError < 100000)
    return -static_cast<int>(nativeError);
  if (sqlState == "08001") {
    for (const MessageStatus& entry : kConnectMessageTable) {
      if (message.find(entry.fragment) != std::string_view::npos) return entry.status;
    }
  }
  for (const SqlStateStatus& entry : kSqlStateTable) {
    if (entry.sqlState == sqlState) return entry.status;
  }
  return kStatusUnmapped;
}

int StatusFromOdbcConnectDiagnostic(std::string_view sqlState, long nativeError,
                                    std::string_view message) {
  if (sqlState == "HY090" && OracleNumberIn(message) == 0) return kOraUnknownConnectIdentifier;
  return StatusFromOdbcDiagnostic(sqlState, nativeError, message, false);
}

int StatusFromSqliteCode(int code, std::string_view message) {
  switch (code & 0xFF) {
    case SQLITE_OK:
      return 0;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
      return kOraUnknownConnectIdentifier;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return kOraResourceBusy;
    case SQLITE_READONLY:
      return kOraReadOnlyDatabase;
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return kOraInsufficientPrivileges;
    case SQLITE_TOOBIG:
      return kOraValueTooLarge;
    default:
      break;
  }
  // SQLite reports a missing table or column as a plain SQL error.
  if ((code & 0xFF) == SQLITE_ERROR) {
    if (message.find("no such table") != std::string_view::npos) return kOraTableMissing;
    if (message.find("no column named") != std::string_view::npos) return kOraInvalidIdentifier;
  }
  if (code == SQLITE_CONSTRAINT_NOTNULL) return kOraCannotInsertNull;
  if (code == SQLITE_CONSTRAINT_CHECK) return kOraCheckViolated;
  if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) {
    return kOraUniqueViolated;
  }
  return kStatusUnmapped;
}

int StatusFromSqliteStatementCode(int code, std::string_view message) {
  if ((code & 0xFF) == SQLITE_CANTOPEN) return kOraReadOnlyDatabase;
  return StatusFromSqliteCode(code, message);
}
