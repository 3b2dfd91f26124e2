#include "platform/file_facts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {
char timestampBuffer[24];
}

std::string TimestampTextOf(std::time_t moment) {
  std::tm local{};
  LocalTimeOf(moment, local);
  char text[64] = {};
  std::snprintf(text, sizeof text, "%02d%02d%04d%02d%02d%02d", local.tm_mday, local.tm_mon + 1,
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

const char* GetTimestampText() {
  const std::string text = TimestampTextOf(std::time(nullptr));
  std::memset(timestampBuffer, 0, sizeof timestampBuffer);
  std::memcpy(timestampBuffer, text.data(), std::min(text.size(), sizeof timestampBuffer - 1));
  return timestampBuffer;
}

std::int32_t GetFileSize(std::string_view path) {
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return -1;
  std::int32_t size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long position = std::ftell(file);
    // A size that does not fit the 32-bit result is reported as unsizable
    // rather than wrapped into a wrong number.
    if (position >= 0 && position <= INT32_MAX) size = static_cast<std::int32_t>(position);
  }
  std::fclose(file);
  return size;
}
