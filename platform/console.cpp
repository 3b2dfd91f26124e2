// Console output: every text the program prints goes through here, so it is
// converted from Windows-1252 once, in one place; verbose mode's progress
// lines pass the sink's switch first.
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/platform.h"
#include "platform/verbose.h"

void ConsoleWrite(std::string_view text) {
  const std::string converted = InternalToConsole(text);
  std::fwrite(converted.data(), 1, converted.size(), stdout);
}

namespace {

void ConsoleVprintf(const char* format, std::va_list args) {
  std::va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed > 0) {
    std::vector<char> text(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    ConsoleWrite(std::string_view(text.data(), static_cast<std::size_t>(needed)));
  }
}

}  // namespace

void ConsolePrintf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  ConsoleVprintf(format, args);
  va_end(args);
}

void VerboseWrite(const VerboseSink& sink, std::string_view text) {
  if (sink.on) ConsoleWrite(text);
}

void VerbosePrintf(const VerboseSink& sink, const char* format, ...) {
  if (!sink.on) return;
  std::va_list args;
  va_start(args, format);
  ConsoleVprintf(format, args);
  va_end(args);
}
