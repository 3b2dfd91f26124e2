#include "session/script_entries.h"

#include "crypto/crc16.h"
#include "crypto/fixed_word.h"

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

  const std::string crcText = Crc16Text(Crc16Block(argument.data(), argument.size(), 0));
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
