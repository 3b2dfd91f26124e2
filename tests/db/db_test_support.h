// Helpers of the transfer log tests: settings files, a working directory from
// which the fixed settings path ..\..\Files\Korvaline.Ini leads to a test's
// own file, and the rows of an SQLite transfer log.
#ifndef DATENSCHLEUSE_TESTS_DB_DB_TEST_SUPPORT_H
#define DATENSCHLEUSE_TESTS_DB_DB_TEST_SUPPORT_H

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

// The settings file text for three credentials (Windows-1252), each entry
// with its own number and section, so every key finds its own entry.
std::string SettingsText(const std::string& login, const std::string& pass,
                         const std::string& net8);

// root/a/b is the run's working directory; root/Files/Korvaline.Ini is the
// settings file it reads.
struct RunTree {
  TempDir root;
  std::string WorkingDirectory() const { return root.File("a/b"); }
  std::string SettingsPath() const { return root.File("Files/Korvaline.Ini"); }
  RunTree();
  void WriteSettings(const std::string& login, const std::string& pass,
                     const std::string& net8) const;
};

// Makes a directory the process's working directory for the object's life.
class WorkingDirectoryScope {
 public:
  explicit WorkingDirectoryScope(const std::string& directory);
  ~WorkingDirectoryScope();
  WorkingDirectoryScope(const WorkingDirectoryScope&) = delete;
  WorkingDirectoryScope& operator=(const WorkingDirectoryScope&) = delete;

 private:
  std::string previous_;
};

struct TransferRow {
  std::string trsDat, trsUsr, trsTyp, trsFile, trsTrm, trsSta;
};

// The rows of O2008TRANSPROT in insertion order (texts as stored: UTF-8);
// none when the file or the table is missing.
std::vector<TransferRow> ReadSqliteRows(const std::string& path);

// The number of rows of O2008TRANSPROT, whatever its columns; -1 when the
// file or the table is missing.
long CountSqliteRows(const std::string& path);

// Runs SQL on an SQLite file; false when it failed.
bool ExecuteSqlite(const std::string& path, const std::string& sql);

// The console's form of a Windows-1252 text (UTF-8).
std::string Utf8(const std::string& text);

#endif  // DATENSCHLEUSE_TESTS_DB_DB_TEST_SUPPORT_H
