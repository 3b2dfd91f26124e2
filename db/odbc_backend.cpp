// The ODBC back end for server databases: the database name is an ODBC data
// source, connected with the user name and the password. The statements go
// to the server in the form of its system's entry in the dialect table.
#include <string>
#include <vector>

#include "db/sql_dialects.h"
#include "db/sql_runtime.h"
#include "db/sql_status.h"
#include "platform/cp1252.h"
#include "platform/odbc.h"

namespace {

bool Succeeded(SQLRETURN code) {
  return SQL_SUCCEEDED(code) || code == SQL_NO_DATA;
}

// The status for the first diagnostic record of a handle; a refused connect
// reads some records its own way.
int DiagnosticStatus(SQLSMALLINT handleType, SQLHANDLE handle, bool oracleDatabase,
                     bool connecting = false) {
  SQLCHAR state[6] = {};
  SQLINTEGER nativeError = 0;
  SQLCHAR message[1024] = {};
  SQLSMALLINT length = 0;
  const SQLRETURN code = SQLGetDiagRec(handleType, handle, 1, state, &nativeError, message,
                                       static_cast<SQLSMALLINT>(sizeof message), &length);
  if (!SQL_SUCCEEDED(code)) return kStatusUnmapped;
  const std::string_view stateText = reinterpret_cast<const char*>(state);
  const std::string_view messageText = reinterpret_cast<const char*>(message);
  if (connecting) return StatusFromOdbcConnectDiagnostic(stateText, nativeError, messageText);
  return StatusFromOdbcDiagnostic(stateText, nativeError, messageText, oracleDatabase);
}

SQLCHAR* Text(std::string& text) {
  return reinterpret_cast<SQLCHAR*>(text.data());
}

// Turns the markers :b0, :b1 ... into ODBC's '?' and lists which value each
// '?' takes, in order.
std::string WithQuestionMarks(const std::string& statement, std::vector<std::size_t>& order) {
  std::string text;
  for (std::size_t i = 0; i < statement.size(); ++i) {
    if (statement[i] == ':' && i + 2 < statement.size() && statement[i + 1] == 'b' &&
        statement[i + 2] >= '0' && statement[i + 2] <= '4') {
      order.push_back(static_cast<std::size_t>(statement[i + 2] - '0'));
      text += '?';
      i += 2;
    } else {
      text += statement[i];
    }
  }
  return text;
}

class OdbcBackend final : public SqlBackend {
 public:
  OdbcBackend() {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
  }
  ~OdbcBackend() override {
    if (connected_) {
      SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
      SQLDisconnect(dbc_);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  OdbcBackend(const OdbcBackend&) = delete;
  OdbcBackend& operator=(const OdbcBackend&) = delete;

  // Connects, learns which database system answers, prepares the session
  // for it and leaves commits to Commit.
  int Connect(std::string dataSource, std::string userName, std::string password) {
    if (dbc_ == SQL_NULL_HDBC) return kStatusUnmapped;
    const SQLRETURN code =
        SQLConnect(dbc_, Text(dataSource), static_cast<SQLSMALLINT>(dataSource.size()),
                   Text(userName), static_cast<SQLSMALLINT>(userName.size()), Text(password),
                   static_cast<SQLSMALLINT>(password.size()));
    if (!SQL_SUCCEEDED(code)) return DiagnosticStatus(SQL_HANDLE_DBC, dbc_, false, true);
    connected_ = true;

    SQLCHAR dbmsName[128] = {};
    SQLSMALLINT length = 0;
    SQLGetInfo(dbc_, SQL_DBMS_NAME, dbmsName, static_cast<SQLSMALLINT>(sizeof dbmsName), &length);
    dialect_ = &FindDialect(reinterpret_cast<const char*>(dbmsName));

    if (dialect_->sessionSetup != nullptr) {
      const int status = Run(dialect_->sessionSetup);
      if (status != 0) return status;
    }
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                         reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
      return DiagnosticStatus(SQL_HANDLE_DBC, dbc_, dialect_->oracleStatus);
    }
    return 0;
  }

  int Execute(std::string_view statement) override {
    for (const std::string& text : TranslateStatement(*dialect_, statement)) {
      const int status = Run(text);
      if (status != 0) return status;
    }
    return 0;
  }

  int Insert(std::string_view statement, const SqlTexts& values) override {
    std::vector<std::size_t> order;
    std::string text = WithQuestionMarks(TranslateStatement(*dialect_, statement).front(), order);
    std::vector<std::string> bound;
    std::vector<SQLLEN> lengths;
    for (std::size_t index : order) {
      bound.emplace_back();
      if (dialect_->utf8Texts) {
        Cp1252ToUtf8(values[index], bound.back());
      } else {
        bound.back().assign(values[index]);
      }
    }
    for (const std::string& value : bound) lengths.push_back(static_cast<SQLLEN>(value.size()));

    SQLHSTMT statementHandle = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &statementHandle))) {
      return DiagnosticStatus(SQL_HANDLE_DBC, dbc_, dialect_->oracleStatus);
    }
    SQLRETURN code = SQL_SUCCESS;
    for (std::size_t i = 0; Succeeded(code) && i < bound.size(); ++i) {
      const SQLULEN columnSize = bound[i].empty() ? 1 : bound[i].size();
      code = SQLBindParameter(statementHandle, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                              SQL_C_CHAR, SQL_VARCHAR, columnSize, 0, bound[i].data(), lengths[i],
                              &lengths[i]);
    }
    if (Succeeded(code)) {
      code = SQLExecDirect(statementHandle, Text(text), static_cast<SQLINTEGER>(text.size()));
    }
    const int status = Succeeded(code) ? 0
                                       : DiagnosticStatus(SQL_HANDLE_STMT, statementHandle,
                                                          dialect_->oracleStatus);
    SQLFreeHandle(SQL_HANDLE_STMT, statementHandle);
    return status;
  }

  int Commit() override {
    if (Succeeded(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT))) return 0;
    return DiagnosticStatus(SQL_HANDLE_DBC, dbc_, dialect_->oracleStatus);
  }

 private:
  // Runs one statement without markers.
  int Run(std::string text) {
    SQLHSTMT statementHandle = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &statementHandle))) {
      return DiagnosticStatus(SQL_HANDLE_DBC, dbc_, dialect_->oracleStatus);
    }
    const SQLRETURN code =
        SQLExecDirect(statementHandle, Text(text), static_cast<SQLINTEGER>(text.size()));
    const int status = Succeeded(code) ? 0
                                       : DiagnosticStatus(SQL_HANDLE_STMT, statementHandle,
                                                          dialect_->oracleStatus);
    SQLFreeHandle(SQL_HANDLE_STMT, statementHandle);
    return status;
  }

  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
  const SqlDialect* dialect_ = &FindDialect("");
};

}  // namespace

std::unique_ptr<SqlBackend> ConnectOdbc(std::string_view dataSourceName, std::string_view userName,
                                        std::string_view password, int& status) {
  auto backend = std::make_unique<OdbcBackend>();
  status =
      backend->Connect(std::string(dataSourceName), std::string(userName), std::string(password));
  if (status != 0) return nullptr;
  return backend;
}
