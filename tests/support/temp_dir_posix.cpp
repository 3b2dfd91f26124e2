// POSIX side of the test fixtures' temporary directories.
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "tests/support/temp_dir.h"

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/ds-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path = pattern;
}
