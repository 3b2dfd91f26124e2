#include "db/ini_reader.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
#include "platform/platform.h"
#include "text/leading_number.h"

namespace {

IniEntry iniEntry;

void ClearEntry(IniEntry& entry) {
  entry = IniEntry{};
}

// Copies the text strictly between the separators at first and second. Two
// adjacent separators give an empty field, as does a pair that is missing.
void CopyBetween(std::string_view line, int first, int second, char* field) {
  const int length = second - first - 1;
  if (first < 0 || length <= 0) return;
  CopyField(line, first + 1, length, field, kIniFieldLimit + 1);
}

// Takes section text, number, key and value of one line pair into entry.
void TakeFields(std::string_view header, std::string_view valueLine, IniEntry& entry) {
  CopyBetween(header, FindSeparator(header, ';', 1), FindSeparator(header, ';', 2),
              entry.entrySection);

  const int first = FindSeparator(valueLine, ';', 1);
  // A line without ';' or one that starts with it has no number: 0, as for a
  // number field without digits.
  if (first > 0) {
    const int length = first < kIniNumberFieldLimit ? first : kIniNumberFieldLimit;
    entry.entryNumber = LeadingNumber(valueLine.substr(0, static_cast<std::size_t>(length)));
  }
  // With exactly one ';' the second search gives the same position: no key,
  // and the value starts after that ';'.
  const int second = FindSeparator(valueLine, ';', 2);
  CopyBetween(valueLine, first, second, entry.entryKey);
  CopyBetween(valueLine, second, FindSeparator(valueLine, '\n', 1), entry.entryValue);
}

bool Matches(const IniEntry& entry, const char* section, const char* key, std::int32_t number) {
  return std::strcmp(entry.entrySection, section) == 0 || std::strcmp(entry.entryKey, key) == 0 ||
         entry.entryNumber == number;
}

// Replaces the entry's hex text by its plain text, which ends at the first
// zero byte of the decrypted data.
void DecryptValue(IniEntry& entry) {
  std::string plain;
  DecryptHexText(entry.entryValue, plain, std::string_view(FixedWord, kFixedWordLength));
  const char* text = plain.c_str();
  std::memset(entry.entryValue, 0, sizeof entry.entryValue);
  CopyField(text, 0, 0, entry.entryValue, kIniFieldLimit + 1);
}

}  // namespace

int FindSeparator(std::string_view text, char c, int count) {
  int last = -1;
  int seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != c) continue;
    last = static_cast<int>(i);
    if (++seen == count) break;
  }
  return last;
}

void CopyField(std::string_view text, int start, int length, char* destination, int room) {
  if (length < 0 || start < 0 || static_cast<std::size_t>(start) > text.size() || room < 1) return;
  std::size_t count = text.size() - static_cast<std::size_t>(start);
  if (length > 0 && static_cast<std::size_t>(length) < count)
    count = static_cast<std::size_t>(length);
  if (count > static_cast<std::size_t>(room - 1)) count = static_cast<std::size_t>(room - 1);
  std::memcpy(destination, text.data() + start, count);
  destination[count] = '\0';
}

const IniEntry& ReadIniEntry(const char* section, const char* key, std::int32_t number,
                             std::string_view path) {
  ClearEntry(iniEntry);
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return iniEntry;

  char header[kIniHeaderLineRoom + 1];
  char valueLine[kIniValueLineRoom + 1];
  while (ReadTextLine(file, header, sizeof header) &&
         ReadTextLine(file, valueLine, sizeof valueLine)) {
    TakeFields(header, valueLine, iniEntry);
    if (Matches(iniEntry, section, key, number)) {
      DecryptValue(iniEntry);
      break;
    }
    ClearEntry(iniEntry);
  }
  std::fclose(file);
  return iniEntry;
}
