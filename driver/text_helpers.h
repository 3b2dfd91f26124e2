// Small helpers shared across the subsystems: the timestamp text, the size of
// a server file and ASCII case conversion.
#ifndef DATENSCHLEUSE_DRIVER_TEXT_HELPERS_H
#define DATENSCHLEUSE_DRIVER_TEXT_HELPERS_H

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// The current local time as 14 digits DDMMYYYYhhmmss, in one buffer that
// every call overwrites; copy the text before the next call.
const char* GetTimestampText();

// The same text for a given moment (the timestamp's pure part, for tests).
std::string TimestampTextOf(std::time_t moment);

// Size of a regular file in bytes; -1 when it is none (a directory, a FIFO,
// a device, the empty path: refused without waiting on it), cannot be
// positioned at its end, or is 2 GiB or larger.
std::int32_t GetFileSize(std::string_view path);

// ASCII-only case conversion in place; every other byte, the umlauts of
// Windows-1252 included, stays as it is. Both return the text they were given.
char* ToUpperInPlace(char* text);
char* ToLowerInPlace(char* text);
std::string& ToUpperInPlace(std::string& text);
std::string& ToLowerInPlace(std::string& text);

#endif  // DATENSCHLEUSE_DRIVER_TEXT_HELPERS_H
