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

// Converts through a local buffer so that short lines do not cost two
// library calls each.
bool WriteTextData(std::FILE* file, const char* data, std::size_t length) {
  char buffer[65536];
  std::size_t used = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (used + 2 > sizeof buffer) {
      if (std::fwrite(buffer, 1, used, file) != used) return false;
      used = 0;
    }
    if (data[i] == '\n') buffer[used++] = '\r';
    buffer[used++] = data[i];
  }
  return std::fwrite(buffer, 1, used, file) == used;
}
