#include "driver/run.h"

#include <cstdio>

#include "channel/kv_socket.h"
#include "db/sql_hlp.h"
#include "db/sql_runtime.h"
#include "db/transfer_record.h"
#include "dialog/dialog_engine.h"
#include "driver/command_line.h"
#include "driver/dialog_request.h"
#include "driver/driver_texts.h"
#include "driver/record_values.h"
#include "driver/script_builder.h"
#include "platform/file_facts.h"
#include "platform/platform.h"
#include "platform/verbose.h"

namespace {

// Creates the channel and runs the dialog on it; a channel that cannot be
// created ends with its error number as the code and in the result line.
DialogOutcome RunDialogStep(TransferRun& run) {
  int createError = 0;
  KVSocket* channel = KVSocketCreate(&createError);
  if (channel == nullptr) {
    DialogOutcome outcome;
    char text[96];
    std::snprintf(text, sizeof text, kSocketNotCreatedFormat, createError);
    outcome.code = createError;
    outcome.resultText = text;
    outcome.fileInHand = run.sourceFile;
    return outcome;
  }
  DialogOutcome outcome = RunTerminalDialog(channel, DialogRequestOf(run), run.script);
  KVSocketDestroy(channel);
  return outcome;
}

// Logs the run in the database; a failure there changes neither the result
// line nor the exit code, but a row that was not written says so.
void RecordTransfer(const TransferRun& run, int dialogResult) {
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
  const CommandLineVerdict verdict = ParseCommandLine(arguments, run);
  if (!verdict.accepted) return verdict.exitCode;
  const VerboseSink verbose{run.verbose == 1};

  VerbosePrintf(verbose, kTransferStartFormat, GetTimestampText());
  VerboseWrite(verbose, kScriptDecidedText);
  if (BuildSessionScript(run) != 0) return kExitCannotSize;

  const DialogOutcome outcome = RunDialogStep(run);
  if (outcome.endProcess) return kExitCannotSize;
  FreeCommandScript(run.script);
  run.downloadAllDir = outcome.downloadAllDir;
  run.fileInHand = outcome.fileInHand;
  SetResultText(run.resultText, outcome.resultText);

  VerbosePrintf(verbose, kTransferEndFormat, GetTimestampText());
  RecordTransfer(run, outcome.code);

  ConsoleWrite(run.resultText.c_str());
  ConsoleWrite("\n");
  return outcome.code;
}
