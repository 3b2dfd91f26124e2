#include "platform/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::string utf8;
  Cp1252ToUtf8(all, utf8);
  std::string back;
  ASSERT_TRUE(Utf8ToCp1252(utf8, back));
  EXPECT_EQ(back, all);
}

TEST(Cp1252, ConvertsTheCodePageCharacters) {
  std::string utf8;
  Cp1252ToUtf8("L\xF6schFlag \x80", utf8);
  EXPECT_EQ(utf8, "L\xC3\xB6schFlag \xE2\x82\xAC");
  std::string text;
  ASSERT_TRUE(Utf8ToCp1252("M\xC3\xBCller \xE2\x82\xAC", text));
  EXPECT_EQ(text, "M\xFCller \x80");
}

TEST(Cp1252, RefusesTextsWithoutAWindows1252Form) {
  std::string text;
  for (const char* utf8 : {"\xFF", "\xC3", "\xC0\x80", "\xE2\x82", "\xED\xA0\x80", "\xE4\xB8\xAD",
                           "\xF0\x9F\x98\x80"}) {
    EXPECT_FALSE(Utf8ToCp1252(utf8, text)) << ::testing::PrintToString(std::string(utf8));
  }
}

}  // namespace
