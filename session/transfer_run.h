// The run's state: one TransferRun per process, written by the driver alone:
// from the command line before the dialog, from the dialog's outcome after.
#ifndef DATENSCHLEUSE_SESSION_TRANSFER_RUN_H
#define DATENSCHLEUSE_SESSION_TRANSFER_RUN_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "session/command_script.h"

// Limits that callers can observe.
constexpr std::size_t kTransferTypeLength = 4;     // only the first four characters count
constexpr std::size_t kTerminalNameLimit = 49;     // longer names end the run with 1
constexpr std::size_t kResultTextCapacity = 2000;  // what the record's status column takes
constexpr std::size_t kDownloadAllSourceLimit = 99;
constexpr std::size_t kListLineLimit = 98;  // a download-list line, its line feed excluded

// Exit codes of the run that are not dialog results.
constexpr int kExitUsage = 99;
constexpr int kExitBadArgument = 1;
constexpr int kExitCannotSize = -1;

struct TransferRun {
  int verbose = 0;                        // 1 with the switch "/D"
  std::string transferType;               // "DNL", "DNLA" or "UPL" after validation
  std::string terminalName;               // host name or dotted IPv4 address, at most 49 characters
  std::string sourceFile;                 // argument 3
  std::string targetFile;                 // argument 4
  std::int32_t deleteFlag = 0;            // UPL: 1 asks the terminal to delete its file
  std::unique_ptr<CommandScript> script;  // absent until the first append

  // Written by the driver from the dialog's outcome.
  std::string downloadAllDir;  // download-all: directory part of argument 3, once expanded
  std::string fileInHand;      // the server file the dialog ended with
  std::string resultText;      // the run's one result line, at most kResultTextCapacity
};

// Replaces text with value, cut at kResultTextCapacity characters.
void SetResultText(std::string& text, std::string_view value);

#endif  // DATENSCHLEUSE_SESSION_TRANSFER_RUN_H
