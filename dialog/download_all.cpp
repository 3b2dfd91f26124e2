#include "dialog/download_all.h"

#include <cstdio>
#include <cstring>

#include "crypto/md5.h"
#include "dialog/dialog_texts.h"
#include "platform/file_facts.h"
#include "platform/platform.h"
#include "session/path_rules.h"
#include "session/script_entries.h"

std::string ListLineFileName(const char* line) {
  std::string name(line);
  const bool isPiece = name.size() == static_cast<std::size_t>(kListLineBuffer - 1);
  if (!name.empty() && (name.back() == '\n' || isPiece)) name.pop_back();
  return name;
}

namespace {

// Takes up the server file path, named terminalName in the terminal, and
// appends its two entries. Returns false when the expansion ends here: the
// file cannot be sized, or an entry could not be added.
bool AppendFileEntries(DownloadAllExpansion& expansion, std::unique_ptr<CommandScript>& script,
                       const std::string& path, std::string_view terminalName) {
  expansion.fileInHand = path;
  // Sized first, so that only a regular file is read for its digest.
  const std::int32_t size = GetFileSize(path);
  if (size == -1) {
    expansion.result = kExitCannotSize;
    return false;
  }
  const std::string digest = MD5FileDigest(path);
  if (AddScriptEntry(script, DownloadBeginEntry(terminalName, size, digest)) == 0 ||
      AddScriptEntry(script, kDownloadEndEntry) == 0) {
    expansion.outOfMemory = true;
    return false;
  }
  return true;
}

}  // namespace

DownloadAllExpansion ExpandDownloadAll(std::string_view sourceArgument, const VerboseSink& verbose,
                                       std::unique_ptr<CommandScript>& script) {
  DownloadAllExpansion expansion;
  expansion.directory = DirectoryOf(sourceArgument);
  const std::string listPath = expansion.directory + kDownloadListName;
  const std::string identityPath = expansion.directory + kIdentityFileName;

  const std::int32_t identitySize = GetFileSize(identityPath);
  bool sendIdentity = identitySize != -1 && identitySize != 0;

  std::FILE* list = OpenFile(listPath, "rb");
  if (list == nullptr) {
    VerboseWrite(verbose, kListMissingText);
    expansion.result = kDownloadListMissing;
    return expansion;
  }
  char line[kListLineBuffer];
  while (ReadTextLine(list, line, sizeof line)) {
    const std::string name = ListLineFileName(line);
    if (std::strstr(line, kIdentityFileName) != nullptr) sendIdentity = false;
    if (!AppendFileEntries(expansion, script, expansion.directory + name, name)) {
      std::fclose(list);
      return expansion;
    }
  }
  std::fclose(list);

  if (sendIdentity) AppendFileEntries(expansion, script, identityPath, kIdentityFileName);
  return expansion;
}
