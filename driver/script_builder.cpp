#include "driver/script_builder.h"

#include <cstdio>
#include <cstring>

#include "crypto/crc16.h"
#include "crypto/fixed_word.h"
#include "crypto/md5.h"
#include "driver/text_helpers.h"

void SeedScriptRandom(ScriptRandom& random, std::time_t seconds) {
  random.state = static_cast<std::uint32_t>(seconds);
}

int NextScriptRandom(ScriptRandom& random) {
  random.state = random.state * 1103515245u + 12345u;
  return static_cast<int>((random.state / 65536u) % 32768u);
}

std::string DownloadBeginEntry(std::string_view terminalFileName, std::int32_t size,
                               std::string_view digest) {
  std::string entry = "200DOWNLOADFILE BEGIN TYP=1 \"";
  entry.append(terminalFileName);
  entry += "\" ";
  entry += std::to_string(size);
  entry += " /C:";
  entry.append(digest);
  return entry;
}

std::string TransferCommandEntry(std::string_view command, std::string_view terminalFileName,
                                 int number) {
  std::string argument = "TYP=1 \"";
  argument.append(terminalFileName);
  argument += "\" /d:";
  argument += std::to_string(number);

  char crcText[8];
  std::snprintf(crcText, sizeof crcText, "%04x", Crc16Block(argument.data(), argument.size(), 0));
  std::string entry = "200";
  entry.append(command);
  entry += ' ';
  entry += crcText;
  entry += ' ';
  entry += std::to_string(argument.size());
  entry += ' ';
  entry += argument;
  return entry;
}

std::string LoginText(std::string_view timestamp) {
  std::string text = FixedWord;
  text.append(timestamp);
  return text;
}

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
