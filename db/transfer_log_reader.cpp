// Reading the transfer log: the settings and the choice of the back end.
#include "db/transfer_log_reader.h"

#include <cstring>

#include "db/ini_reader.h"
#include "db/sql_runtime.h"
#include "db/sql_status.h"

namespace {

// The session's rules for the three credentials (see OpenDatabase).
constexpr std::size_t kCredentialLimit = 199;
constexpr std::size_t kDatabaseNameLimit = 41;

std::string Credential(const char* key, std::string_view settingsPath) {
  const IniEntry& entry = ReadIniEntry("", key, 0, settingsPath);
  return std::string(entry.entryValue, std::strlen(entry.entryValue)).substr(0, kCredentialLimit);
}

}  // namespace

TransferLogSource ReadTransferLogSource(std::string_view settingsPath) {
  TransferLogSource source;
  source.userName = Credential("LOGIN", settingsPath);
  source.password = Credential("PASS", settingsPath);
  const IniEntry& net8 = ReadIniEntry("", "NET8", 0, settingsPath);
  const std::size_t length = std::strlen(net8.entryValue);
  if (length >= 1 && length <= kDatabaseNameLimit) source.databaseName = net8.entryValue;
  return source;
}

int ReadTransferLog(const TransferLogSource& source, const TransferLogQuery& query,
                    std::vector<TransferLogRow>& rows, std::string& message) {
  rows.clear();
  message.clear();
  const std::string_view name = source.databaseName;
  if (name.substr(0, kSqliteNamePrefix.size()) == kSqliteNamePrefix) {
    return ReadTransferLogSqlite(name.substr(kSqliteNamePrefix.size()), query, rows, message);
  }
  if (name.empty()) {
    message = "no database name (NET8) in the settings file";
    return kOraUnknownConnectIdentifier;
  }
  return ReadTransferLogOdbc(source, query, rows, message);
}
