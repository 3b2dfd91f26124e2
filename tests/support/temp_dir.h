// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes.
#ifndef DATENSCHLEUSE_TESTS_SUPPORT_TEMP_DIR_H
#define DATENSCHLEUSE_TESTS_SUPPORT_TEMP_DIR_H

#include <string>
#include <string_view>

struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path;  // no trailing slash
  std::string File(std::string_view name) const { return path + "/" + std::string(name); }
};

// Whole-file helpers for fixtures and checks.
void WriteFileBytes(const std::string& path, std::string_view bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

#endif  // DATENSCHLEUSE_TESTS_SUPPORT_TEMP_DIR_H
