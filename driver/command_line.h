// Checks the command line and fills the run's state.
#ifndef DATENSCHLEUSE_DRIVER_COMMAND_LINE_H
#define DATENSCHLEUSE_DRIVER_COMMAND_LINE_H

#include <string>
#include <vector>

#include "session/transfer_run.h"

struct CommandLineVerdict {
  bool accepted = false;  // the command line is usable and the run goes on
  int exitCode = 0;       // when not accepted: the code the process ends with
};

// arguments excludes the program name. Accepts the command line, or refuses
// it with the exit code of the fault after its output: 99 with the banner and
// usage text, 1 for a bad terminal name, flag or file name.
CommandLineVerdict ParseCommandLine(std::vector<std::string> arguments, TransferRun& run);

#endif  // DATENSCHLEUSE_DRIVER_COMMAND_LINE_H
