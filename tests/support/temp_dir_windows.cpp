// Windows side of the test fixtures' temporary directories: a fresh folder
// under the system's temporary folder, named after the process and a counter.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "tests/support/temp_dir.h"

TempDir::TempDir() {
  char base[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathA(sizeof base, base);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("GetTempPath failed");
  std::string folder(base, length);
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  static unsigned counter = 0;
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "\\ds-test-%lx-%x", ::GetCurrentProcessId(), counter++);
    if (::CreateDirectoryA((folder + name).c_str(), nullptr) != 0) {
      path = folder + name;
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("CreateDirectory failed");
}
