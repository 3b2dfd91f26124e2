// The settings file reader on any file content: the input becomes the
// settings file, and the three lookups of the database session run on it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "db/ini_reader.h"
#include "fuzz/fuzz_target.h"
#include "platform/platform.h"

namespace {

// One file per process, rewritten for every input and removed at exit. Its
// name lives in a plain array, which the exit handler can still read.
const std::string& SettingsPath() {
  static char name[64];
  static const std::string path = [] {
    std::snprintf(name, sizeof name, "%s/ds-fuzz-settings-%ld.ini", ScratchDirectory(),
                  static_cast<long>(::getpid()));
    std::atexit([] { std::remove(name); });
    return std::string(name);
  }();
  return path;
}

bool WriteSettings(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = OpenFile(SettingsPath(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

bool Terminated(const char (&field)[kIniFieldLimit + 1]) {
  return std::memchr(field, '\0', sizeof field) != nullptr;
}

void CheckLookup(const char* key) {
  const IniEntry& entry = ReadIniEntry("", key, 0, SettingsPath());
  FUZZ_CHECK(Terminated(entry.entrySection));
  FUZZ_CHECK(Terminated(entry.entryKey));
  FUZZ_CHECK(Terminated(entry.entryValue));
  // A value decrypts to at most 12 whole blocks of 8 bytes plus one started
  // block (the field holds 200 hex digits).
  FUZZ_CHECK(std::strlen(entry.entryValue) <= 104);
  const bool cleared = entry.entryNumber == 0 && entry.entrySection[0] == '\0' &&
                       entry.entryKey[0] == '\0' && entry.entryValue[0] == '\0';
  if (cleared) return;
  // Anything left in the record must be an entry that satisfied the lookup.
  FUZZ_CHECK(entry.entrySection[0] == '\0' || std::strcmp(entry.entryKey, key) == 0 ||
             entry.entryNumber == 0);
}

}  // namespace

int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  FUZZ_CHECK(WriteSettings(data, size));
  for (const char* key : {"LOGIN", "PASS", "NET8"}) CheckLookup(key);
  return 0;
}
