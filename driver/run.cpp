#include "driver/run.h"

#include <cstdio>

#include "channel/kv_socket.h"
#include "db/sql_hlp.h"
#include "db/sql_runtime.h"
#include "db/transfer_record.h"
#include "dialog/dialog_engine.h"
#include "driver/command_line.h"
#include "driver/path_rules.h"
#include "driver/script_builder.h"
#include "driver/text_helpers.h"
#include "platform/platform.h"

namespace {

// Creates the channel and runs the dialog on it; a channel that cannot be
// created leaves its error number as the result and in the result line.
int RunDialogStep(TransferRun& run) {
  int createError = 0;
  KVSocket* channel = KVSocketCreate(&createError);
  if (channel == nullptr) {
    char text[96];
    std::snprintf(text, sizeof text, "Socket konnte nicht erzeugt werden! Socketerror: %d",
                  createError);
    SetResultText(run.resultText, text);
    return createError;
  }
  run.scriptPosition = 0;
  const int result = RunTerminalDialog(channel, run);
  KVSocketDestroy(channel);
  return result;
}

// Logs the run in the database; a failure there changes neither the result
// line nor the exit code, but a row that was not written says so.
void RecordTransfer(TransferRun& run, int dialogResult) {
  if (OpenDatabase() != 0) return;
  const std::string userName = RecordUserFolderName(run);
  const std::string fileText = RecordFileText(run, dialogResult);
  const int inserted =
      InsertTransferRecord(userName.c_str(), run.transferType.c_str(), fileText.c_str(),
                           run.terminalName.c_str(), run.resultText.c_str());
  // The commit follows a failed insert all the same; the first failing step
  // names the status.
  const bool committed = DbCommit() == 1;
  const int status = inserted != 0 ? inserted : committed ? 0 : sqlStatus;
  if (status != 0) ConsolePrintf(kRecordNotWrittenLine, status);
}

}  // namespace

int RunTransfer(const std::vector<std::string>& arguments) {
  TransferRun run;
  const int verdict = ParseCommandLine(arguments, run);
  if (verdict != kCommandLineAccepted) return verdict;

  if (run.verbose == 1) {
    ConsolePrintf("Start Transfer - %s\n\r", GetTimestampText());
    ConsoleWrite("Befehlsfolge festlegen.\n\r");
  }
  if (BuildSessionScript(run) != 0) return kExitCannotSize;

  const int result = RunDialogStep(run);
  if (run.endProcess) return kExitCannotSize;
  FreeCommandScript(run.script);

  if (run.verbose == 1) ConsolePrintf("Ende Transfer - %s", GetTimestampText());
  RecordTransfer(run, result);

  ConsoleWrite(run.resultText.c_str());
  ConsoleWrite("\n");
  return result;
}
