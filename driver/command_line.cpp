#include "driver/command_line.h"

#include "driver/usage.h"
#include "platform/platform.h"
#include "session/path_rules.h"
#include "session/script_entries.h"
#include "text/ascii_case.h"
#include "text/leading_number.h"

namespace {

constexpr std::size_t kRequiredArguments = 4;

int RefuseWithUsage() {
  PrintBanner();
  PrintUsage();
  return kExitUsage;
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
int CheckPathLimits(const TransferRun& run) {
  if (run.transferType == "UPL" && run.sourceFile.size() > kUploadFileNameLimit) {
    ConsoleWrite("Dateiname im Terminal zu lang !!!\n");
    return kExitBadArgument;
  }
  if (run.transferType == "DNLA" &&
      (run.sourceFile.size() > kDownloadAllSourceLimit ||
       DirectoryOf(run.sourceFile).size() + sizeof "DNLLIST.TXT" - 1 > kDownloadAllSourceLimit)) {
    ConsoleWrite("Quellverzeichnis zu lang !!!\n");
    return kExitBadArgument;
  }
  return kCommandLineAccepted;
}

}  // namespace

int ParseCommandLine(std::vector<std::string> arguments, TransferRun& run) {
  if (arguments.size() < kRequiredArguments) return RefuseWithUsage();
  run.verbose = ScanVerboseSwitch(arguments);

  run.transferType = arguments[0].substr(0, kTransferTypeLength).c_str();
  ToUpperInPlace(run.transferType);
  if (run.transferType != "DNL" && run.transferType != "UPL" && run.transferType != "DNLA") {
    return RefuseWithUsage();
  }

  if (arguments[1].size() > kTerminalNameLimit) {
    if (run.verbose == 1) ConsoleWrite("Terminalname zu lang !!!\n");
    return kExitBadArgument;
  }
  run.terminalName = arguments[1];
  run.sourceFile = arguments[2];
  run.targetFile = arguments[3];

  if (run.transferType == "UPL" && arguments.size() > 4) {
    run.deleteFlag = LeadingNumber(arguments[4].c_str());
    if (run.deleteFlag != 0 && run.deleteFlag != 1) {
      if (run.verbose == 1) ConsoleWrite("falsches L\xF6schFlag !!!\n");
      return kExitBadArgument;
    }
  }
  return CheckPathLimits(run);
}
