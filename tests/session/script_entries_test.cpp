#include "session/script_entries.h"

#include <gtest/gtest.h>

#include <set>

#include "crypto/crc16.h"

namespace {

TEST(ScriptTexts, UploadEntryCarriesTheCrcAndLengthOfItsArgument) {
  EXPECT_EQ(TransferCommandEntry("UPLOADFILE", "Bewegungsdaten.dta", 1234),
            "200UPLOADFILE 52b0 34 TYP=1 \"Bewegungsdaten.dta\" /d:1234");
}

TEST(ScriptTexts, CrcIsFourLowerCaseDigitsWithLeadingZeros) {
  // Scan for arguments whose CRC has a leading zero or letters.
  bool sawLeadingZero = false;
  for (int n = 0; n < 2000 && !sawLeadingZero; ++n) {
    const std::string entry = TransferCommandEntry("DELETEFILE", "x.dta", n);
    const std::string crc = entry.substr(14, 4);
    ASSERT_EQ(entry[18], ' ');
    ASSERT_EQ(crc.find_first_not_of("0123456789abcdef"), std::string::npos) << crc;
    sawLeadingZero = crc[0] == '0';
  }
  EXPECT_TRUE(sawLeadingZero);
}

TEST(ScriptTexts, DownloadBeginNamesTheTerminalFileSizeAndDigest) {
  EXPECT_EQ(DownloadBeginEntry("Leser.dta", 1000, "9B436087F6C4C10F94C72EABF7D516BD"),
            "200DOWNLOADFILE BEGIN TYP=1 \"Leser.dta\" 1000 /C:9B436087F6C4C10F94C72EABF7D516BD");
}

TEST(ScriptTexts, DownloadEndAwaits250AndTakesTheDataCrcAfterABlank) {
  const std::string entry = kDownloadEndEntry;
  EXPECT_EQ(entry.substr(0, 3), "250");
  // The engine appends the data CRC; the terminal reads the command whole.
  EXPECT_EQ(entry.substr(3) + Crc16Text(0x0bb3), "DOWNLOADFILE END 0bb3");
}

TEST(ScriptRandom, IsSeededOncePerSecondAndStaysInRange) {
  ScriptRandom a, b;
  SeedScriptRandom(a, 1700000000);
  SeedScriptRandom(b, 1700000000);
  std::set<int> seen;
  for (int i = 0; i < 1000; ++i) {
    const int n = NextScriptRandom(a);
    EXPECT_EQ(n, NextScriptRandom(b));
    EXPECT_GE(n, 0);
    EXPECT_LE(n, 32767);
    seen.insert(n);
  }
  EXPECT_GT(seen.size(), 900u);
}

}  // namespace
