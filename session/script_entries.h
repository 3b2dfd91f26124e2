// The texts of the session script's entries: the download start and end, the
// upload and delete commands with their own argument CRC, the login text and
// the generator of the commands' "/d:" numbers. The driver assembles the
// script from them, the download-all expansion adds to it.
#ifndef DATENSCHLEUSE_SESSION_SCRIPT_ENTRIES_H
#define DATENSCHLEUSE_SESSION_SCRIPT_ENTRIES_H

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

inline constexpr char kDownloadEndEntry[] = "250DOWNLOADFILE END ";

// The argument text of an upload or delete command lives in a 100-byte line.
constexpr std::size_t kUploadArgumentLimit = 99;
// "TYP=1 \"" + name + "\" /d:" + up to five digits must fit that line.
constexpr std::size_t kUploadFileNameLimit = kUploadArgumentLimit - 17;

// The generator of the "/d:" numbers: seeded once per run from the time in
// whole seconds, it yields 0 to 32767, the same on every platform.
struct ScriptRandom {
  std::uint32_t state = 1;
};
void SeedScriptRandom(ScriptRandom& random, std::time_t seconds);
int NextScriptRandom(ScriptRandom& random);

// "200DOWNLOADFILE BEGIN TYP=1 \"" + name + "\" " + size + " /C:" + digest.
std::string DownloadBeginEntry(std::string_view terminalFileName, std::int32_t size,
                               std::string_view digest);

// "200" + command + " " + CRC ("%04x") + " " + length + " " + argument, where
// argument is "TYP=1 \"" + terminalFileName + "\" /d:" + number.
std::string TransferCommandEntry(std::string_view command, std::string_view terminalFileName,
                                 int number);

// The login text: FixedWord followed by a 14-digit timestamp.
std::string LoginText(std::string_view timestamp);

#endif  // DATENSCHLEUSE_SESSION_SCRIPT_ENTRIES_H
