// The progress output of verbose mode (the switch "/D"): the switch is looked
// at once, where the run begins, and every progress line goes through here.
#ifndef DATENSCHLEUSE_PLATFORM_VERBOSE_H
#define DATENSCHLEUSE_PLATFORM_VERBOSE_H

#include <string_view>

struct VerboseSink {
  bool on = false;  // true with "/D"
};

// Writes a Windows-1252 text to the console when the sink is on.
void VerboseWrite(const VerboseSink& sink, std::string_view text);

// printf-style formatting onto the console when the sink is on.
void VerbosePrintf(const VerboseSink& sink, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

#endif  // DATENSCHLEUSE_PLATFORM_VERBOSE_H
