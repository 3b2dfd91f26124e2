// The simulator's command line.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_OPTIONS_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_OPTIONS_H

#include <cstdint>
#include <string>

#include "tools/terminal/fault_plan.h"

struct TerminalOptions {
  std::string listenAddress = "127.0.0.1";
  std::uint16_t port = 5010;
  std::string directory = ".";
  int connections = 1;  // connections to serve, one after the other; 0: until stopped
  std::string logPath;  // empty: standard output
  std::string greeting = "200 datenschleuse-terminal bereit";
  int pauseMs = 200;  // pause of split and piece faults
  FaultPlan faults;
};

enum class OptionsVerdict { kRun, kHelp, kVersion, kRefused };

// Reads argv; texts are taken in Windows-1252 like the tool's own command
// line. A refusal leaves its reason in error.
OptionsVerdict ParseTerminalOptions(int argc, char** argv, TerminalOptions& options,
                                    std::string& error);

// The --help text.
const char* TerminalHelpText();

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_OPTIONS_H
