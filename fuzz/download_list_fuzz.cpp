// The download-all expansion on any download list: the input becomes
// DNLLIST.TXT in a directory of known files, and the script entries the
// expansion appends must follow from the list's lines as they are read
// (pieces of at most 99 bytes, CR LF read as LF, a NUL ending the text).
//
// Lists that climb out of the directory ("..") are skipped: a name may then
// reach any file of the machine, even an endless one.
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "dialog/download_all.h"
#include "fuzz/fuzz_target.h"
#include "platform/file_facts.h"
#include "platform/platform.h"
#include "session/command_script.h"
#include "session/script_entries.h"

namespace {

void WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = OpenFile(path, "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  FUZZ_CHECK(std::fclose(file) == 0);
}

// The directory, made once per process and removed at exit: a file, an empty
// file, the identity file and a subdirectory (which cannot be sized). Its
// name lives in a plain array, which the exit handler can still read.
const std::string& FixtureDirectory() {
  static char name[64];
  static const std::string directory = [] {
    std::snprintf(name, sizeof name, "%s/ds-fuzz-dnla-XXXXXX", ScratchDirectory());
    FUZZ_CHECK(::mkdtemp(name) != nullptr);
    const std::string path = name;
    WriteFile(path + "/A.DTA", "Lesedaten\n");
    WriteFile(path + "/LEER.DTA", "");
    WriteFile(path + "/IDSTAMM.DTA", "4711;Meier\n");
    std::filesystem::create_directory(path + "/ORDNER");
    std::atexit([] { std::filesystem::remove_all(name); });
    return path;
  }();
  return directory;
}

// The list's lines as the expansion reads them: each read takes at most 99
// bytes and stops after a line feed; CR LF counts as one line feed.
std::vector<std::string> ReadLines(std::string_view list) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < list.size()) {
    std::string line;
    while (line.size() < static_cast<std::size_t>(kListLineBuffer - 1) && i < list.size()) {
      char c = list[i++];
      if (c == '\r' && i < list.size() && list[i] == '\n') c = list[i++];
      line += c;
      if (c == '\n') break;
    }
    lines.push_back(line.substr(0, line.find('\0')));
  }
  return lines;
}

// The file name of a line read: without its line feed, and a full piece of
// an overlong line without its last character.
std::string NameOf(std::string line) {
  const bool piece = line.size() == static_cast<std::size_t>(kListLineBuffer - 1);
  if (!line.empty() && (line.back() == '\n' || piece)) line.pop_back();
  return line;
}

TransferRun StartRun() {
  TransferRun run;
  run.transferType = "DNLA";
  run.sourceFile = FixtureDirectory() + "\\";
  AddScriptEntry(run.script, "200");
  AddScriptEntry(run.script, "331USER VOVIDUV01022024101500");
  AddScriptEntry(run.script, "230PASS VOVIDUV01022024101500");
  return run;
}

// Checks the two entries at index for the named file; false when the file
// cannot be sized, where the expansion must have stopped.
bool CheckPair(const TransferRun& run, std::size_t index, const std::string& name) {
  const std::int32_t size = GetFileSize(FixtureDirectory() + "\\" + name);
  if (size == -1) return false;
  FUZZ_CHECK(run.script->entries.size() >= index + 2);
  const std::string head =
      "200DOWNLOADFILE BEGIN TYP=1 \"" + name + "\" " + std::to_string(size) + " /C:";
  const std::string& begin = run.script->entries[index];
  FUZZ_CHECK(begin.size() == head.size() + 32 && begin.compare(0, head.size(), head) == 0);
  FUZZ_CHECK(run.script->entries[index + 1] == kDownloadEndEntry);
  return true;
}

}  // namespace

int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view list = AsText(data, size);
  if (list.find("..") != std::string_view::npos) return 0;
  WriteFile(FixtureDirectory() + "/" + kDownloadListName, list);

  TransferRun run = StartRun();
  const DownloadAllExpansion expansion =
      ExpandDownloadAll(run.sourceFile, VerboseSink{}, run.script);
  const int result = expansion.result;
  FUZZ_CHECK(expansion.directory == FixtureDirectory() + "\\");
  FUZZ_CHECK(!expansion.outOfMemory);

  std::size_t index = 3;
  bool sendIdentity = true;
  for (const std::string& line : ReadLines(list)) {
    if (line.find(kIdentityFileName) != std::string::npos) sendIdentity = false;
    if (!CheckPair(run, index, NameOf(line))) {
      FUZZ_CHECK(result == kExitCannotSize);
      FUZZ_CHECK(run.script->entries.size() == index);
      return 0;
    }
    index += 2;
  }
  if (sendIdentity) {
    FUZZ_CHECK(CheckPair(run, index, kIdentityFileName));
    index += 2;
  }
  FUZZ_CHECK(result == 0);
  FUZZ_CHECK(run.script->entries.size() == index);
  return 0;
}
