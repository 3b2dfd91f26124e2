// Entry point: prepares the platform, takes the command line in the
// program's own code page and runs one transfer.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/driver_texts.h"
#include "driver/run.h"
#include "platform/platform.h"
#include "session/transfer_run.h"

int main(int argc, char** argv) {
  PlatformInit();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    std::string argument;
    if (!ArgumentToInternal(argv[i], argument)) {
      ConsolePrintf(kArgumentNotCp1252Format, i);
      std::fflush(stdout);
      return kExitBadArgument;
    }
    arguments.push_back(std::move(argument));
  }
  const int code = RunTransfer(arguments);
  std::fflush(stdout);
  return code;
}
