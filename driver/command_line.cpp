#include "driver/command_line.h"

#include "driver/driver_texts.h"
#include "driver/usage.h"
#include "platform/platform.h"
#include "platform/verbose.h"
#include "session/path_rules.h"
#include "session/script_entries.h"
#include "text/ascii_case.h"
#include "text/leading_number.h"

namespace {

constexpr std::size_t kRequiredArguments = 4;

CommandLineVerdict Refuse(int exitCode) {
  CommandLineVerdict verdict;
  verdict.exitCode = exitCode;
  return verdict;
}

CommandLineVerdict RefuseWithUsage() {
  PrintBanner();
  PrintUsage();
  return Refuse(kExitUsage);
}

// Scans arguments 5 to 7 for "/D" in any letter case; they are upper-cased in
// place on the way, as later steps see them.
int ScanVerboseSwitch(std::vector<std::string>& arguments) {
  for (std::size_t i = 4; i < arguments.size() && i < 7; ++i) {
    if (ToUpperInPlace(arguments[i]) == "/D") return 1;
  }
  return 0;
}

// Paths too long for the fixed lines the protocol builds them into are
// refused here, before any network work, instead of being cut.
CommandLineVerdict CheckPathLimits(const TransferRun& run) {
  if (run.transferType == "UPL" && run.sourceFile.size() > kUploadFileNameLimit) {
    ConsoleWrite(kTerminalFileNameTooLongText);
    return Refuse(kExitBadArgument);
  }
  if (run.transferType == "DNLA" &&
      (run.sourceFile.size() > kDownloadAllSourceLimit ||
       DirectoryOf(run.sourceFile).size() + sizeof "DNLLIST.TXT" - 1 > kDownloadAllSourceLimit)) {
    ConsoleWrite(kSourceDirectoryTooLongText);
    return Refuse(kExitBadArgument);
  }
  CommandLineVerdict accepted;
  accepted.accepted = true;
  return accepted;
}

}  // namespace

CommandLineVerdict ParseCommandLine(std::vector<std::string> arguments, TransferRun& run) {
  if (arguments.size() < kRequiredArguments) return RefuseWithUsage();
  run.verbose = ScanVerboseSwitch(arguments);
  const VerboseSink verbose{run.verbose == 1};

  run.transferType = arguments[0].substr(0, kTransferTypeLength).c_str();
  ToUpperInPlace(run.transferType);
  if (run.transferType != "DNL" && run.transferType != "UPL" && run.transferType != "DNLA") {
    return RefuseWithUsage();
  }

  if (arguments[1].size() > kTerminalNameLimit) {
    VerboseWrite(verbose, kTerminalNameTooLongText);
    return Refuse(kExitBadArgument);
  }
  run.terminalName = arguments[1];
  run.sourceFile = arguments[2];
  run.targetFile = arguments[3];

  if (run.transferType == "UPL" && arguments.size() > 4) {
    run.deleteFlag = LeadingNumber(arguments[4].c_str());
    if (run.deleteFlag != 0 && run.deleteFlag != 1) {
      VerboseWrite(verbose, kBadDeleteFlagText);
      return Refuse(kExitBadArgument);
    }
  }
  return CheckPathLimits(run);
}
