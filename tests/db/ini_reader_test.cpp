// The settings file reader against real files: which entry a lookup finds
// and what its fields hold, for files written with LF and with CR LF.
#include "db/ini_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Hex(std::string_view plain) {
  return EncryptToHexText(plain, FixedWord);
}

// The two lines of a well-formed entry.
std::vector<std::string> Entry(int number, const std::string& key, std::string_view plain) {
  const std::string n = std::to_string(number);
  return {n + ";Datenbank;", n + ";" + key + ";" + Hex(plain)};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> lines;
  for (const auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
  return lines;
}

struct Lookup {
  const char* section;
  const char* key;
  int number;
};

struct Expected {
  int number;
  std::string section;
  std::string key;
  std::string value;
};

struct Case {
  const char* name;
  std::vector<std::string> lines;
  bool lastLineEnded;
  Lookup lookup;
  Expected expected;
};

// A lookup as the database session makes it.
Lookup Session(const char* key) {
  return {"", key, 0};
}

const Expected kCleared{0, "", "", ""};

std::vector<Case> Cases() {
  const std::string header198 = "1;Sek;" + std::string(192, 'x');
  const std::string header199 = header198 + "x";
  // A value line of 398 characters before its line end, padded in the key.
  const std::string value398 = "5;" + std::string(379, 'K') + ";" + Hex("geheim");
  return {
      {"keys find their own entries",
       Join({Entry(1, "LOGIN", "kvuser"), Entry(2, "PASS", "pw"),
             Entry(3, "NET8", "sqlite:log.db")}),
       true,
       Session("PASS"),
       {2, "Datenbank", "PASS", "pw"}},
      {"number 0 answers every session lookup",
       Join({Entry(0, "PASS", "pw"), Entry(1, "LOGIN", "kvuser")}),
       true,
       Session("LOGIN"),
       {0, "Datenbank", "PASS", "pw"}},
      {"a number field without digits reads as 0",
       Join({{"1;Datenbank;", "x;PASS;" + Hex("pw")}, Entry(2, "LOGIN", "kvuser")}),
       true,
       Session("LOGIN"),
       {0, "Datenbank", "PASS", "pw"}},
      {"a bracketed title line matches every empty-section lookup",
       Join({{"[Datenbank]", "1;TITEL;" + Hex("titel")}, Entry(2, "LOGIN", "kvuser")}),
       true,
       Session("LOGIN"),
       {1, "", "TITEL", "titel"}},
      {"a bracketed title line does not match a named section",
       Join({{"[Datenbank]", "1;TITEL;" + Hex("titel")}, Entry(2, "LOGIN", "kvuser")}),
       true,
       {"Datenbank", "NONE", 99},
       {2, "Datenbank", "LOGIN", "kvuser"}},
      {"the first of two entries with one key wins",
       Join({Entry(1, "LOGIN", "first"), Entry(2, "LOGIN", "second")}),
       true,
       Session("LOGIN"),
       {1, "Datenbank", "LOGIN", "first"}},
      {"keys match exactly: no trimming, case counts",
       Join({Entry(1, "LOGIN ", "blank"), Entry(2, "login", "lower"), Entry(3, "LOGIN", "exact")}),
       true,
       Session("LOGIN"),
       {3, "Datenbank", "LOGIN", "exact"}},
      {"the last line without line end has an empty value",
       Join({Entry(1, "PASS", "pw"), Entry(2, "LOGIN", "kvuser")}),
       false,
       Session("LOGIN"),
       {2, "Datenbank", "LOGIN", ""}},
      {"a value line with one ';' has no key and a value",
       {"7;Datenbank;", "7;" + Hex("nurwert")},
       true,
       {"x", "x", 7},
       {7, "Datenbank", "", "nurwert"}},
      {"adjacent ';' read as empty fields",
       {"4;;rest;", "4;;" + Hex("v"), "5;X;", "5;KEY;"},
       true,
       {"x", "KEY", 99},
       {5, "X", "KEY", ""}},
      {"an empty section between adjacent ';' matches the session",
       {"4;;rest;", "4;;" + Hex("v")},
       true,
       {"", "x", 99},
       {4, "", "", "v"}},
      {"a file without the wanted key leaves the record cleared",
       Join({Entry(1, "PASS", "pw"), Entry(2, "NET8", "db")}),
       true,
       {"x", "LOGIN", 99},
       kCleared},
      {"an odd last line has no partner",
       Join({Entry(1, "PASS", "pw"), {"2;Datenbank;"}}),
       true,
       {"x", "x", 2},
       kCleared},
      {"a header line of 198 characters keeps the pairing",
       {header198, "1;LOGIN;" + Hex("kvuser"), "2;Datenbank;", "2;PASS;" + Hex("pw")},
       true,
       {"LOGIN", "NONE", 99},
       kCleared},
      {"a header line of 199 characters shifts the pairing",
       {header199, "1;LOGIN;" + Hex("kvuser"), "2;Datenbank;", "2;PASS;" + Hex("pw")},
       true,
       {"LOGIN", "NONE", 99},
       {2, "LOGIN", "Datenbank", ""}},
      {"a value line of 398 characters is read whole",
       {"5;Sek;", value398},
       true,
       {"x", "x", 5},
       {5, "Sek", std::string(200, 'K'), "geheim"}},
      {"a value line of 399 characters loses its line end",
       {"5;Sek;", value398 + "0", "6;Sek;", "6;KEY;" + Hex("v")},
       true,
       {"x", "x", 5},
       {5, "Sek", std::string(200, 'K'), ""}},
      {"number fields: blanks, sign, trailing text",
       {"1;Sek;", " -12abc;KEY;" + Hex("v")},
       true,
       {"x", "x", -12},
       {-12, "Sek", "KEY", "v"}},
      {"a number field is read to 11 characters",
       {"1;Sek;", "000000000042;KEY;" + Hex("v")},
       true,
       {"x", "x", 4},
       {4, "Sek", "KEY", "v"}},
  };
}

std::string FileText(const Case& c, const char* lineEnd) {
  std::string text;
  for (std::size_t i = 0; i < c.lines.size(); ++i) {
    text += c.lines[i];
    if (i + 1 < c.lines.size() || c.lastLineEnded) text += lineEnd;
  }
  return text;
}

TEST(IniReader, FindsTheFirstMatchingEntryWithLfAndCrLf) {
  TempDir dir;
  for (const Case& c : Cases()) {
    for (const char* lineEnd : {"\n", "\r\n"}) {
      SCOPED_TRACE(std::string(c.name) + (lineEnd[1] == 0 ? " (LF)" : " (CR LF)"));
      WriteFileBytes(dir.File("Korvaline.Ini"), FileText(c, lineEnd));
      const IniEntry& entry =
          ReadIniEntry(c.lookup.section, c.lookup.key, c.lookup.number, dir.File("Korvaline.Ini"));
      EXPECT_EQ(entry.entryNumber, c.expected.number);
      EXPECT_EQ(std::string(entry.entrySection), c.expected.section);
      EXPECT_EQ(std::string(entry.entryKey), c.expected.key);
      EXPECT_EQ(std::string(entry.entryValue), c.expected.value);
    }
  }
}

TEST(IniReader, MissingFileLeavesTheRecordCleared) {
  TempDir dir;
  WriteFileBytes(dir.File("Korvaline.Ini"), "0;Datenbank;\n0;LOGIN;" + Hex("kvuser") + "\n");
  ASSERT_STREQ(ReadIniEntry("", "LOGIN", 0, dir.File("Korvaline.Ini")).entryValue, "kvuser");

  const IniEntry& entry = ReadIniEntry("", "LOGIN", 0, dir.File("missing.ini"));
  EXPECT_EQ(entry.entryNumber, 0);
  EXPECT_STREQ(entry.entrySection, "");
  EXPECT_STREQ(entry.entryKey, "");
  EXPECT_STREQ(entry.entryValue, "");
  // A directory cannot be read as a settings file either.
  EXPECT_STREQ(ReadIniEntry("", "LOGIN", 0, dir.path).entryKey, "");
}

TEST(IniReader, BackslashPathsAreProgramPaths) {
  TempDir dir;
  WriteFileBytes(dir.File("Files/Korvaline.Ini"), "1;Datenbank;\r\n1;NET8;" + Hex("db") + "\r\n");
  EXPECT_STREQ(ReadIniEntry("", "NET8", 0, dir.path + "\\Files\\Korvaline.Ini").entryValue, "db");
}

TEST(IniReader, LowerCaseHexDoesNotDecryptToTheStoredText) {
  TempDir dir;
  std::string lower = Hex("kvuser");
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_NE(lower, Hex("kvuser"));
  WriteFileBytes(dir.File("Korvaline.Ini"), "1;Datenbank;\n1;LOGIN;" + lower + "\n");
  const IniEntry& entry = ReadIniEntry("", "LOGIN", 0, dir.File("Korvaline.Ini"));
  EXPECT_EQ(entry.entryNumber, 1);
  EXPECT_STRNE(entry.entryValue, "kvuser");
}

TEST(IniReader, SeparatorSearchAndFieldCopy) {
  EXPECT_EQ(FindSeparator("1;KEY;VAL\n", ';', 1), 1);
  EXPECT_EQ(FindSeparator("1;KEY;VAL\n", ';', 2), 5);
  EXPECT_EQ(FindSeparator("1;KEY;VAL\n", ';', 3), 5);  // fewer: the last one
  EXPECT_EQ(FindSeparator("1;KEY;VAL\n", '\n', 1), 9);
  EXPECT_EQ(FindSeparator("no separator", ';', 1), -1);
  EXPECT_EQ(FindSeparator("", ';', 1), -1);

  char field[8] = "keep";
  CopyField("1;KEY;VAL\n", 2, 3, field, sizeof field);
  EXPECT_STREQ(field, "KEY");
  CopyField("1;KEY;VAL\n", 6, 0, field, sizeof field);  // 0: the rest, line end included
  EXPECT_STREQ(field, "VAL\n");
  CopyField("1;KEY;VAL\n", 2, -1, field, sizeof field);  // negative: unchanged
  EXPECT_STREQ(field, "VAL\n");
  CopyField("0123456789ABCDEF", 0, 0, field, sizeof field);  // cut to the room
  EXPECT_STREQ(field, "0123456");
}

}  // namespace
