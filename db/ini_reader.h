// The settings file reader: finds the first entry of a settings file that
// satisfies a lookup and leaves it, value decrypted, in one module-level
// record.
//
// A settings file is a sequence of line pairs: a header line whose section
// text stands between its first two ';', then a value line "number;key;value"
// whose value is hex text encrypted under FixedWord.
#ifndef DATENSCHLEUSE_DB_INI_READER_H
#define DATENSCHLEUSE_DB_INI_READER_H

#include <cstdint>
#include <string_view>

// Room of the two line buffers, line feed included: longer lines are split,
// and the rest of such a line is read as the next line of the file.
inline constexpr int kIniHeaderLineRoom = 199;
inline constexpr int kIniValueLineRoom = 399;
// Characters of the number field that are converted.
inline constexpr int kIniNumberFieldLimit = 11;
// Section text, key and value hold at most this many characters.
inline constexpr int kIniFieldLimit = 200;

struct IniEntry {
  std::int32_t entryNumber = 0;
  char entrySection[kIniFieldLimit + 1] = {};
  char entryKey[kIniFieldLimit + 1] = {};
  char entryValue[kIniFieldLimit + 1] = {};
};

// Scans the file at path (a program path, see OpenFile) for the first entry
// whose section text equals section, or whose key equals key, or whose number
// equals number (exact byte comparison; any one of the three suffices), and
// decrypts its value. Returns the module's one record, valid until the next
// call: cleared (number 0, three empty texts) when the file cannot be opened
// or no entry matches.
const IniEntry& ReadIniEntry(const char* section, const char* key, std::int32_t number,
                             std::string_view path);

// Position of the count-th occurrence of c in text; of the last occurrence
// when there are fewer; -1 when there is none.
int FindSeparator(std::string_view text, char c, int count);

// Copies length characters of text from start into destination (room bytes,
// at least 1) and terminates it; a length of 0 copies the rest of the text.
// A negative length, or a start outside the text, leaves destination as it
// was. The copy is cut to room - 1 characters.
void CopyField(std::string_view text, int start, int length, char* destination, int room);

#endif  // DATENSCHLEUSE_DB_INI_READER_H
