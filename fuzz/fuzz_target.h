// The common shape of a fuzz target: one entry function per target, called
// by libFuzzer's main in the fuzzing build and by the corpus replay in the
// test suite. A broken rule aborts, so both builds report it the same way.
#ifndef DATENSCHLEUSE_FUZZ_FUZZ_TARGET_H
#define DATENSCHLEUSE_FUZZ_FUZZ_TARGET_H

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// Runs one input through the target; returns 0 (libFuzzer's convention).
int FuzzOneInput(const std::uint8_t* data, std::size_t size);

// Ends the process with a message naming the broken rule. Checks stay on in
// every build type: a fuzz target without them only finds crashes.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Where targets keep their scratch files: memory-backed where the system has
// it, since a file is written for every input.
inline const char* ScratchDirectory() {
  return ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
}

#endif  // DATENSCHLEUSE_FUZZ_FUZZ_TARGET_H
