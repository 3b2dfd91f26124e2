#include "tests/dialog/dialog_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "crypto/crc16.h"
#include "crypto/md5.h"
#include "driver/dialog_request.h"
#include "platform/file_facts.h"
#include "platform/platform.h"
#include "session/script_entries.h"

TransferRun LoginRun(const std::string& type, int verbose) {
  TransferRun run;
  run.verbose = verbose;
  run.transferType = type;
  run.terminalName = "127.0.0.1";
  AddScriptEntry(run.script, "200");
  AddScriptEntry(run.script, std::string("331USER ") + kTestLogin);
  AddScriptEntry(run.script, std::string("230PASS ") + kTestLogin);
  return run;
}

TransferRun DownloadRun(const std::string& sourceFile, const std::string& terminalFile,
                        int verbose) {
  TransferRun run = LoginRun("DNL", verbose);
  run.sourceFile = sourceFile;
  run.targetFile = terminalFile;
  const std::string digest = MD5FileDigest(sourceFile);
  AddScriptEntry(run.script, DownloadBeginEntry(terminalFile, GetFileSize(sourceFile), digest));
  AddScriptEntry(run.script, kDownloadEndEntry);
  return run;
}

TransferRun UploadRun(const std::string& terminalFile, const std::string& targetFile,
                      bool withDelete, int verbose) {
  TransferRun run = LoginRun("UPL", verbose);
  run.sourceFile = terminalFile;
  run.targetFile = targetFile;
  run.deleteFlag = withDelete ? 1 : 0;
  AddScriptEntry(run.script, TransferCommandEntry("UPLOADFILE", terminalFile, 1234));
  if (withDelete) AddScriptEntry(run.script, TransferCommandEntry("DELETEFILE", terminalFile, 77));
  return run;
}

std::string LoginLines() {
  return std::string("USER ") + kTestLogin + "\r\nPASS " + kTestLogin + "\r\n";
}

std::string DataCrcText(std::string_view data, bool upper) {
  const std::uint16_t crc = Crc16Block(data.data(), data.size(), 0);
  return upper ? Crc16TrailerText(crc) : Crc16Text(crc);
}

DialogTrial RunDialog(TransferRun& run, std::size_t uploadMemoryLimit) {
  DialogTrial outcome;
  int createError = 0;
  KVSocket* channel = KVSocketCreate(&createError);
  EXPECT_NE(channel, nullptr) << "channel not created: " << createError;
  if (channel == nullptr) return outcome;
  DialogSettings settings;
  settings.timeoutSeconds = kTestTimeoutSeconds;
  settings.uploadMemoryLimit = uploadMemoryLimit;
  testing::internal::CaptureStdout();
  static_cast<DialogOutcome&>(outcome) =
      RunTerminalDialog(channel, DialogRequestOf(run), run.script, settings);
  outcome.console = testing::internal::GetCapturedStdout();
  KVSocketDestroy(channel);
  return outcome;
}

std::string Shown(std::string_view text) {
  return InternalToConsole(text);
}
