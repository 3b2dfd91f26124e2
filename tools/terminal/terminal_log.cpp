#include "tools/terminal/terminal_log.h"

#include "platform/platform.h"

bool OpenTerminalLog(TerminalLog& log, const std::string& path) {
  std::FILE* file = OpenFile(path, "ab");
  if (file == nullptr) return false;
  log.file = file;
  return true;
}

void LogLine(TerminalLog& log, std::string_view text) {
  std::string line;
  if (log.connection > 0) line = "#" + std::to_string(log.connection) + " ";
  line.append(text);
  line += '\n';
  const std::string converted = InternalToConsole(line);
  std::fwrite(converted.data(), 1, converted.size(), log.file);
  std::fflush(log.file);
}

std::string Printable(std::string_view bytes, std::size_t limit) {
  const std::size_t total = bytes.size();
  if (bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n") bytes.remove_suffix(2);
  std::string text;
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x20 || c == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    } else {
      text += static_cast<char>(c);
    }
  }
  if (bytes.size() > limit) text += " ... (" + std::to_string(total) + " bytes)";
  return text;
}
