// SQLHlp: the database session of a run.
#include "db/sql_hlp.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "db/ini_reader.h"
#include "db/sql_dialects.h"
#include "db/sql_runtime.h"
#include "db/sql_status.h"
#include "platform/platform.h"

namespace {

inline constexpr int kCredentialRoom = 200;
inline constexpr std::size_t kDatabaseNameLimit = 41;
inline constexpr std::size_t kConnectTextLimit = 100;

// The connect text, then the schema statement; the limit of both.
char connectText[kConnectTextLimit + 1];

// Fills a zero-filled credential buffer from the settings entry with key,
// cut to the buffer's room.
void ReadCredential(const char* key, char (&credential)[kCredentialRoom]) {
  const IniEntry& entry = ReadIniEntry("", key, 0, kSettingsPath);
  const std::size_t length = std::strlen(entry.entryValue);
  std::memcpy(credential, entry.entryValue,
              length < kCredentialRoom ? length : kCredentialRoom - 1);
}

// Writes parts into connectText; false (and nothing written) when they would
// not fit.
bool SetConnectText(std::initializer_list<std::string_view> parts) {
  std::size_t length = 0;
  for (std::string_view part : parts) length += part.size();
  if (length > kConnectTextLimit) return false;
  std::memset(connectText, 0, sizeof connectText);
  std::size_t at = 0;
  for (std::string_view part : parts) {
    std::memcpy(connectText + at, part.data(), part.size());
    at += part.size();
  }
  return true;
}

}  // namespace

int OpenDatabase() {
  char userName[kCredentialRoom] = {};
  char password[kCredentialRoom] = {};
  char databaseName[kDatabaseNameLimit + 1] = {};

  ReadCredential("LOGIN", userName);
  ReadCredential("PASS", password);
  const IniEntry& net8 = ReadIniEntry("", "NET8", 0, kSettingsPath);
  const std::size_t length = std::strlen(net8.entryValue);
  if (length >= 1 && length <= kDatabaseNameLimit) {
    std::memcpy(databaseName, net8.entryValue, length);
  }

  const int status = DbConnect(userName, password, databaseName, "KVSYSTEM");
  if (status != 0) {
    ConsolePrintf(kDatabaseConnectFailedLine, status);
    return status;
  }
  return 0;
}

int DbConnect(const char* userName, const char* password, const char* databaseName,
              const char* schemaName) {
  // Credentials beyond the connect text's room are refused before any
  // connect, as too large a value.
  if (!SetConnectText({userName, "/", password, "@", databaseName})) {
    sqlStatus = kOraValueTooLarge;
    return sqlStatus;
  }
  if (SqlConnect(userName, password, databaseName) != 0) return sqlStatus;

  if (!SetConnectText({kSchemaSwitchPrefix, schemaName})) {
    sqlStatus = kOraValueTooLarge;
    return sqlStatus;
  }
  SqlPrepare(connectText);
  return SqlExecute();
}

int DbCommit() {
  return SqlCommit() == 0 ? 1 : 0;
}
