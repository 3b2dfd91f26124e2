// Text-mode reading and writing shared by every platform: files are opened
// untranslated and the line-end rules are applied here, so a CR LF reads as
// LF and a written LF becomes CR LF on POSIX and Windows alike.
#include <cstdio>

#include "platform/platform.h"

bool ReadTextLine(std::FILE* file, char* buffer, int size) {
  if (size <= 0) return false;
  int count = 0;
  while (count < size - 1) {
    int c = std::getc(file);
    if (c == EOF) break;
    if (c == '\r') {
      const int next = std::getc(file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    buffer[count++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[count] = '\0';
  return count > 0;
}

bool WriteTextData(std::FILE* file, const char* data, std::size_t length) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (data[i] != '\n') continue;
    if (std::fwrite(data + start, 1, i - start, file) != i - start) return false;
    if (std::fwrite("\r\n", 1, 2, file) != 2) return false;
    start = i + 1;
  }
  return std::fwrite(data + start, 1, length - start, file) == length - start;
}
