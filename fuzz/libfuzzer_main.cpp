// libFuzzer's entry point for every target of the clang build.
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzOneInput(data, size);
}
