#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/temp_dir.h"

namespace {

std::string WrittenAsText(const std::string& data) {
  TempDir dir;
  const std::string path = dir.File("out.dta");
  std::FILE* file = OpenFile(path, "wb");
  EXPECT_NE(file, nullptr);
  EXPECT_TRUE(WriteTextData(file, data.data(), data.size()));
  std::fclose(file);
  return ReadFileBytes(path);
}

TEST(WriteTextData, WritesEveryLineFeedAsCrLf) {
  EXPECT_EQ(WrittenAsText(""), "");
  EXPECT_EQ(WrittenAsText("a\nb"), "a\r\nb");
  EXPECT_EQ(WrittenAsText("a\r\n\n"), "a\r\r\n\r\n");
  // Line feeds around the converter's internal buffer size.
  for (std::size_t length : {65534u, 65535u, 65536u, 65537u, 200000u}) {
    std::string expected;
    for (std::size_t i = 0; i < length; ++i) expected += "\r\n";
    EXPECT_EQ(WrittenAsText(std::string(length, '\n')), expected) << length;
  }
}

TEST(WriteTextData, ReportsAFailedWrite) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  std::setvbuf(full, nullptr, _IONBF, 0);
  const std::string data(100000, 'x');
  EXPECT_FALSE(WriteTextData(full, data.data(), data.size()));
  std::fclose(full);
}

std::vector<std::string> LinesOf(const std::string& content, int size) {
  TempDir dir;
  WriteFileBytes(dir.File("list.txt"), content);
  std::FILE* file = OpenFile(dir.File("list.txt"), "rb");
  EXPECT_NE(file, nullptr);
  std::vector<std::string> lines;
  std::vector<char> buffer(static_cast<std::size_t>(size));
  while (ReadTextLine(file, buffer.data(), size)) lines.emplace_back(buffer.data());
  std::fclose(file);
  return lines;
}

TEST(ReadTextLine, ReadsLikeFgetsWithCrLfAsLf) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(LinesOf("a\r\nb\nc", 10), (Lines{"a\n", "b\n", "c"}));
  EXPECT_EQ(LinesOf("a\rb\r\n", 10), (Lines{"a\rb\n"}));  // a lone CR stays
  EXPECT_EQ(LinesOf("abcdef\n", 4), (Lines{"abc", "def", "\n"}));
  EXPECT_EQ(LinesOf("ab\r\ncd", 4), (Lines{"ab\n", "cd"}));  // CR LF at the limit
  EXPECT_EQ(LinesOf("", 4), Lines{});
}

TEST(OpenFile, RefusesDirectoriesAndTheEmptyPath) {
  TempDir dir;
  EXPECT_EQ(OpenFile(dir.path, "rb"), nullptr);
  EXPECT_EQ(OpenFile("", "rb"), nullptr);
}

}  // namespace
