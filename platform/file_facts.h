// Facts about files and the clock that several subsystems need: the size of a
// server file and the local time as the program writes it.
#ifndef DATENSCHLEUSE_PLATFORM_FILE_FACTS_H
#define DATENSCHLEUSE_PLATFORM_FILE_FACTS_H

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

#endif  // DATENSCHLEUSE_PLATFORM_FILE_FACTS_H
