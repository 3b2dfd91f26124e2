#include "driver/script_builder.h"

#include <cstring>
#include <ctime>

#include "crypto/md5.h"
#include "platform/file_facts.h"
#include "session/script_entries.h"

namespace {

int AddSingleDownload(TransferRun& run) {
  // Sized first: only a regular file is sized, and only then is it read for
  // its digest (a FIFO or a device would never end).
  const std::int32_t size = GetFileSize(run.sourceFile);
  if (size == -1 || size == 0) return kExitCannotSize;
  char digest[33] = {};
  std::strncpy(digest, MD5FileDigest(run.sourceFile), sizeof digest - 1);
  AddScriptEntry(run.script, DownloadBeginEntry(run.targetFile, size, digest));
  AddScriptEntry(run.script, kDownloadEndEntry);
  return 0;
}

void AddUpload(TransferRun& run) {
  ScriptRandom random;
  SeedScriptRandom(random, std::time(nullptr));
  AddScriptEntry(run.script,
                 TransferCommandEntry("UPLOADFILE", run.sourceFile, NextScriptRandom(random)));
  if (run.deleteFlag == 1) {
    AddScriptEntry(run.script,
                   TransferCommandEntry("DELETEFILE", run.sourceFile, NextScriptRandom(random)));
  }
}

}  // namespace

int BuildSessionScript(TransferRun& run) {
  const std::string login = LoginText(GetTimestampText());
  AddScriptEntry(run.script, "200");
  AddScriptEntry(run.script, "331USER " + login);
  AddScriptEntry(run.script, "230PASS " + login);
  if (run.transferType == "DNL") return AddSingleDownload(run);
  if (run.transferType == "UPL") AddUpload(run);
  return 0;
}
