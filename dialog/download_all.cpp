#include "dialog/download_all.h"

#include <cstdio>
#include <cstring>

#include "crypto/md5.h"
#include "driver/path_rules.h"
#include "driver/script_builder.h"
#include "driver/text_helpers.h"
#include "platform/platform.h"

std::string ListLineFileName(const char* line) {
  std::string name(line);
  const bool isPiece = name.size() == static_cast<std::size_t>(kListLineBuffer - 1);
  if (!name.empty() && (name.back() == '\n' || isPiece)) name.pop_back();
  return name;
}

namespace {

// Appends the two entries for the file that run.sourceFile names in the
// server and run.targetFile in the terminal. Returns false when it cannot be
// sized.
bool AppendFileEntries(TransferRun& run) {
  // Sized first, so that only a regular file is read for its digest.
  const std::int32_t size = GetFileSize(run.sourceFile);
  if (size == -1) return false;
  const std::string digest = MD5FileDigest(run.sourceFile);
  AddScriptEntry(run.script, DownloadBeginEntry(run.targetFile, size, digest));
  AddScriptEntry(run.script, kDownloadEndEntry);
  return true;
}

int EndProcess(TransferRun& run) {
  run.endProcess = true;
  return kExitCannotSize;
}

}  // namespace

int ExpandDownloadAll(TransferRun& run) {
  run.downloadAllDir = DirectoryOf(run.sourceFile);
  const std::string listPath = run.downloadAllDir + kDownloadListName;
  const std::string identityPath = run.downloadAllDir + kIdentityFileName;

  const std::int32_t identitySize = GetFileSize(identityPath);
  bool sendIdentity = identitySize != -1 && identitySize != 0;

  std::FILE* list = OpenFile(listPath, "rb");
  if (list == nullptr) {
    if (run.verbose == 1) ConsoleWrite("DNLLIST.TXT Datei auf Server nicht gefunden\n");
    return kDownloadListMissing;
  }
  char line[kListLineBuffer];
  while (ReadTextLine(list, line, sizeof line)) {
    const std::string name = ListLineFileName(line);
    run.sourceFile = run.downloadAllDir + name;
    if (std::strstr(line, kIdentityFileName) != nullptr) sendIdentity = false;
    run.targetFile = name;
    if (!AppendFileEntries(run)) {
      std::fclose(list);
      return EndProcess(run);
    }
  }
  std::fclose(list);

  if (sendIdentity) {
    run.sourceFile = identityPath;
    run.targetFile = kIdentityFileName;
    if (!AppendFileEntries(run)) return EndProcess(run);
  }
  return 0;
}
