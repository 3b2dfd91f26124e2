#include "text/ascii_case.h"

#include <cstring>

namespace {

// Walks the text from its last byte to its first, shifting one ASCII letter
// range; no locale is consulted.
void ShiftCase(char* text, std::size_t length, char first, char last, int shift) {
  for (std::size_t i = length; i-- > 0;) {
    if (text[i] >= first && text[i] <= last) text[i] = static_cast<char>(text[i] + shift);
  }
}

}  // namespace

char* ToUpperInPlace(char* text) {
  ShiftCase(text, std::strlen(text), 'a', 'z', 'A' - 'a');
  return text;
}

char* ToLowerInPlace(char* text) {
  ShiftCase(text, std::strlen(text), 'A', 'Z', 'a' - 'A');
  return text;
}

std::string& ToUpperInPlace(std::string& text) {
  ShiftCase(text.data(), text.size(), 'a', 'z', 'A' - 'a');
  return text;
}

std::string& ToLowerInPlace(std::string& text) {
  ShiftCase(text.data(), text.size(), 'A', 'Z', 'a' - 'A');
  return text;
}
