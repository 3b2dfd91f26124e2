#include "tests/db/db_test_support.h"

#include <sqlite3.h>

#include <filesystem>

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
#include "platform/cp1252.h"

std::string SettingsText(const std::string& login, const std::string& pass,
                         const std::string& net8) {
  std::string text;
  int number = 1;
  for (const auto& [key, value] : {std::pair<const char*, const std::string&>{"LOGIN", login},
                                   {"PASS", pass},
                                   {"NET8", net8}}) {
    const std::string n = std::to_string(number++);
    text +=
        n + ";Datenbank;\r\n" + n + ";" + key + ";" + EncryptToHexText(value, FixedWord) + "\r\n";
  }
  return text;
}

RunTree::RunTree() {
  std::filesystem::create_directories(WorkingDirectory());
  std::filesystem::create_directories(root.File("Files"));
}

void RunTree::WriteSettings(const std::string& login, const std::string& pass,
                            const std::string& net8) const {
  WriteFileBytes(SettingsPath(), SettingsText(login, pass, net8));
}

WorkingDirectoryScope::WorkingDirectoryScope(const std::string& directory)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(directory);
}

WorkingDirectoryScope::~WorkingDirectoryScope() {
  std::filesystem::current_path(previous_);
}

namespace {

std::string Column(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

std::vector<TransferRow> ReadSqliteRows(const std::string& path) {
  std::vector<TransferRow> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db,
                         "SELECT TrsDat,TrsUsr,TrsTyp,TrsFile,TrsTrm,TrsSta FROM O2008TRANSPROT "
                         "ORDER BY rowid",
                         -1, &statement, nullptr) == SQLITE_OK) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      rows.push_back({Column(statement, 0), Column(statement, 1), Column(statement, 2),
                      Column(statement, 3), Column(statement, 4), Column(statement, 5)});
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

long CountSqliteRows(const std::string& path) {
  long count = -1;
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT count(*) FROM O2008TRANSPROT", -1, &statement, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    count = static_cast<long>(sqlite3_column_int64(statement, 0));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return count;
}

bool ExecuteSqlite(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

std::string Utf8(const std::string& text) {
  std::string utf8;
  Cp1252ToUtf8(text, utf8);
  return utf8;
}
