// Checks the command line and fills the run's shared state.
#ifndef DATENSCHLEUSE_DRIVER_COMMAND_LINE_H
#define DATENSCHLEUSE_DRIVER_COMMAND_LINE_H

#include <string>
#include <vector>

#include "session/transfer_run.h"

// Returned when the command line is usable and the run goes on.
constexpr int kCommandLineAccepted = -1000;

// arguments excludes the program name. Returns kCommandLineAccepted, or the
// exit code of a command-line fault after its output: 99 with the banner and
// usage text, 1 for a bad terminal name, flag or file name.
int ParseCommandLine(std::vector<std::string> arguments, TransferRun& run);

#endif  // DATENSCHLEUSE_DRIVER_COMMAND_LINE_H
