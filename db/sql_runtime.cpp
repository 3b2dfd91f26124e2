#include "db/sql_runtime.h"

#include <string>

#include "db/sql_status.h"

int sqlStatus = 0;

namespace {

struct SqlSession {
  std::unique_ptr<SqlBackend> backend;
  std::string prepared;
};

SqlSession session;

int Leave(int status) {
  sqlStatus = status;
  return status;
}

}  // namespace

int SqlConnect(std::string_view userName, std::string_view password,
               std::string_view databaseName) {
  SqlDisconnect();
  int status = 0;
  if (databaseName.substr(0, kSqliteNamePrefix.size()) == kSqliteNamePrefix) {
    session.backend = ConnectSqlite(databaseName.substr(kSqliteNamePrefix.size()), status);
  } else {
    session.backend = ConnectOdbc(databaseName, userName, password, status);
  }
  return Leave(session.backend ? 0 : status);
}

int SqlPrepare(std::string_view statement) {
  if (!session.backend) return Leave(kOraNotLoggedOn);
  session.prepared.assign(statement);
  return Leave(0);
}

int SqlExecute() {
  if (!session.backend) return Leave(kOraNotLoggedOn);
  return Leave(session.backend->Execute(session.prepared));
}

int SqlInsert(std::string_view statement, const SqlTexts& values) {
  if (!session.backend) return Leave(kOraNotLoggedOn);
  return Leave(session.backend->Insert(statement, values));
}

int SqlCommit() {
  if (!session.backend) return Leave(kOraNotLoggedOn);
  return Leave(session.backend->Commit());
}

void SqlDisconnect() {
  session.backend.reset();
  session.prepared.clear();
}
