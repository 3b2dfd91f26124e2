#include "text/ascii_case.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CaseHelpers, ConvertAsciiLettersOnly) {
  char dnla[] = "dnla";
  char switchText[] = "/d";
  char umlaut[] = "\xF6\xD6zZ";  // Windows-1252 "öÖ" stays unchanged
  EXPECT_STREQ(ToUpperInPlace(dnla), "DNLA");
  EXPECT_STREQ(ToUpperInPlace(switchText), "/D");
  EXPECT_STREQ(ToUpperInPlace(umlaut), "\xF6\xD6ZZ");
  EXPECT_STREQ(ToLowerInPlace(umlaut), "\xF6\xD6zz");

  std::string mixed = "A.TXT-\xC4";
  EXPECT_EQ(ToLowerInPlace(mixed), "a.txt-\xC4");
  std::string empty;
  EXPECT_EQ(ToUpperInPlace(empty), "");
}

}  // namespace
