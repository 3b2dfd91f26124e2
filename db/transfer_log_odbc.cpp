// Reading a transfer log through ODBC: the table KVSYSTEM.O2008TRANSPROT of
// the data source, on a read-only session that is rolled back at the end.
#include <cstdio>
#include <string>

#include "db/sql_dialects.h"
#include "db/sql_status.h"
#include "db/transfer_log_reader.h"
#include "platform/odbc.h"

namespace {

constexpr char kSelectAll[] =
    "SELECT TrsDat, TrsUsr, TrsTyp, TrsFile, TrsTrm, TrsSta FROM KVSYSTEM.O2008TRANSPROT "
    "WHERE TrsDat >= ? ORDER BY TrsDat";
constexpr char kSelectTerminal[] =
    "SELECT TrsDat, TrsUsr, TrsTyp, TrsFile, TrsTrm, TrsSta FROM KVSYSTEM.O2008TRANSPROT "
    "WHERE TrsDat >= ? AND TrsTrm = ? ORDER BY TrsDat";
// PostgreSQL converts every stored text to UTF-8 for the reader, whatever
// client encoding the writing runs used.
constexpr char kPostgresUtf8[] = "SET client_encoding TO 'UTF8'";

struct OdbcHandles {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  bool connected = false;
  bool oracleStatus = false;
  OdbcHandles() = default;
  OdbcHandles(const OdbcHandles&) = delete;
  OdbcHandles& operator=(const OdbcHandles&) = delete;
  // Nothing was changed, so nothing is committed.
  ~OdbcHandles() {
    if (statement != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, statement);
    if (connected) {
      SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
      SQLDisconnect(dbc);
    }
    if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
};

// The status and message of the first diagnostic record of a handle.
int Diagnostic(SQLSMALLINT type, SQLHANDLE handle, bool oracleStatus, std::string& message) {
  SQLCHAR state[6] = {};
  SQLINTEGER nativeError = 0;
  SQLCHAR text[1024] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &nativeError, text,
                                   static_cast<SQLSMALLINT>(sizeof text), &length))) {
    message = "ODBC error without a diagnostic record";
    return kStatusUnmapped;
  }
  message = reinterpret_cast<const char*>(text);
  return StatusFromOdbcDiagnostic(reinterpret_cast<const char*>(state), nativeError, message,
                                  oracleStatus);
}

SQLCHAR* Text(std::string& text) {
  return reinterpret_cast<SQLCHAR*>(text.data());
}

// Connects and prepares a read-only session; 0 or the status.
int Connect(OdbcHandles& h, const TransferLogSource& source, std::string& message) {
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.env))) {
    message = "no ODBC environment";
    return kStatusUnmapped;
  }
  SQLSetEnvAttr(h.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, h.env, &h.dbc))) {
    return Diagnostic(SQL_HANDLE_ENV, h.env, false, message);
  }
  std::string dsn = source.databaseName, user = source.userName, password = source.password;
  if (!SQL_SUCCEEDED(SQLConnect(h.dbc, Text(dsn), static_cast<SQLSMALLINT>(dsn.size()), Text(user),
                                static_cast<SQLSMALLINT>(user.size()), Text(password),
                                static_cast<SQLSMALLINT>(password.size())))) {
    return Diagnostic(SQL_HANDLE_DBC, h.dbc, false, message);
  }
  h.connected = true;
  SQLCHAR dbmsName[128] = {};
  SQLSMALLINT length = 0;
  SQLGetInfo(h.dbc, SQL_DBMS_NAME, dbmsName, static_cast<SQLSMALLINT>(sizeof dbmsName), &length);
  const std::string_view dbms = reinterpret_cast<const char*>(dbmsName);
  h.oracleStatus = FindDialect(dbms).oracleStatus;
  // A driver that cannot mark the session read-only still only reads.
  SQLSetConnectAttr(h.dbc, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY),
                    0);
  SQLSetConnectAttr(h.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                    0);
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, h.dbc, &h.statement))) {
    return Diagnostic(SQL_HANDLE_DBC, h.dbc, h.oracleStatus, message);
  }
  if (dbms.substr(0, 10) == "PostgreSQL") {
    std::string setup = kPostgresUtf8;
    if (!SQL_SUCCEEDED(SQLExecDirect(h.statement, Text(setup), SQL_NTS))) {
      return Diagnostic(SQL_HANDLE_STMT, h.statement, h.oracleStatus, message);
    }
    SQLFreeStmt(h.statement, SQL_CLOSE);
  }
  return 0;
}

// "YYYY-MM-DD HH:MM:SS" as a timestamp; false when it is not one.
bool ParseStamp(const std::string& text, SQL_TIMESTAMP_STRUCT& stamp) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute,
                  &second) != 6) {
    return false;
  }
  stamp = {};
  stamp.year = static_cast<SQLSMALLINT>(year);
  stamp.month = static_cast<SQLUSMALLINT>(month);
  stamp.day = static_cast<SQLUSMALLINT>(day);
  stamp.hour = static_cast<SQLUSMALLINT>(hour);
  stamp.minute = static_cast<SQLUSMALLINT>(minute);
  stamp.second = static_cast<SQLUSMALLINT>(second);
  return true;
}

std::string StampText(const SQL_TIMESTAMP_STRUCT& stamp) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", stamp.year, stamp.month,
                stamp.day, stamp.hour, stamp.minute, stamp.second);
  return text;
}

// One text column of the current row, in as many pieces as it takes; false
// on an error.
bool TextColumn(SQLHSTMT statement, SQLUSMALLINT column, std::string& value) {
  value.clear();
  char piece[1024];
  for (;;) {
    SQLLEN length = 0;
    const SQLRETURN code = SQLGetData(statement, column, SQL_C_CHAR, piece, sizeof piece, &length);
    if (code == SQL_NO_DATA) return true;
    if (!SQL_SUCCEEDED(code)) return false;
    if (length == SQL_NULL_DATA) return true;
    const bool more = length == SQL_NO_TOTAL || length >= static_cast<SQLLEN>(sizeof piece);
    value.append(piece, more ? sizeof piece - 1 : static_cast<std::size_t>(length));
    if (code == SQL_SUCCESS) return true;
  }
}

// Reads every row of the executed statement; false on an error.
bool FetchRows(SQLHSTMT statement, std::vector<TransferLogRow>& rows) {
  SQLRETURN code;
  while (SQL_SUCCEEDED(code = SQLFetch(statement))) {
    TransferLogRow row;
    SQL_TIMESTAMP_STRUCT stamp{};
    SQLLEN length = 0;
    if (!SQL_SUCCEEDED(
            SQLGetData(statement, 1, SQL_C_TYPE_TIMESTAMP, &stamp, sizeof stamp, &length))) {
      return false;
    }
    row.trsDat = StampText(stamp);
    std::string* texts[] = {&row.trsUsr, &row.trsTyp, &row.trsFile, &row.trsTrm, &row.trsSta};
    for (SQLUSMALLINT i = 0; i < 5; ++i) {
      if (!TextColumn(statement, static_cast<SQLUSMALLINT>(i + 2), *texts[i])) return false;
    }
    rows.push_back(std::move(row));
  }
  return code == SQL_NO_DATA;
}

}  // namespace

int ReadTransferLogOdbc(const TransferLogSource& source, const TransferLogQuery& query,
                        std::vector<TransferLogRow>& rows, std::string& message) {
  OdbcHandles h;
  int status = Connect(h, source, message);
  if (status != 0) return status;

  SQL_TIMESTAMP_STRUCT since{};
  if (!ParseStamp(query.since, since)) {
    message = "not a point in time: " + query.since;
    return kStatusUnmapped;
  }
  SQLLEN sinceLength = sizeof since;
  std::string terminal = query.terminal;
  SQLLEN terminalLength = static_cast<SQLLEN>(terminal.size());
  SQLRETURN code = SQLBindParameter(h.statement, 1, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP,
                                    SQL_TYPE_TIMESTAMP, 19, 0, &since, 0, &sinceLength);
  if (SQL_SUCCEEDED(code) && !terminal.empty()) {
    code = SQLBindParameter(h.statement, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                            terminal.size(), 0, terminal.data(), terminalLength, &terminalLength);
  }
  std::string select = terminal.empty() ? kSelectAll : kSelectTerminal;
  if (SQL_SUCCEEDED(code)) code = SQLExecDirect(h.statement, Text(select), SQL_NTS);
  if (!SQL_SUCCEEDED(code) || !FetchRows(h.statement, rows)) {
    rows.clear();
    return Diagnostic(SQL_HANDLE_STMT, h.statement, h.oracleStatus, message);
  }
  return 0;
}
