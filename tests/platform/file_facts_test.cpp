#include "platform/file_facts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

class UtcZone : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    _putenv_s("TZ", "UTC0");
    _tzset();
#else
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
#endif
  }
};

TEST_F(UtcZone, TimestampIsDayMonthYearHourMinuteSecond) {
  EXPECT_EQ(TimestampTextOf(1483228799), "31122016235959");  // 31 Dec 2016, 23:59:59
  EXPECT_EQ(TimestampTextOf(1457013909), "03032016140509");  // 3 Mar 2016, 14:05:09
}

TEST_F(UtcZone, TimestampIsTheLocalTimeNow) {
  const std::time_t before = std::time(nullptr);
  const std::string now = GetTimestampText();
  const std::time_t after = std::time(nullptr);
  EXPECT_TRUE(now == TimestampTextOf(before) || now == TimestampTextOf(after)) << now;
  EXPECT_EQ(now.size(), 14u);
  EXPECT_EQ(now.find_first_not_of("0123456789"), std::string::npos);
}

TEST(GetFileSize, SizesOnlyRegularFiles) {
  TempDir dir;
  WriteFileBytes(dir.File("empty.dta"), "");
  WriteFileBytes(dir.File("five.dta"), "12345");
  std::filesystem::create_directory(dir.File("folder"));

  EXPECT_EQ(GetFileSize(dir.File("missing.dta")), -1);
  EXPECT_EQ(GetFileSize(dir.File("empty.dta")), 0);
  EXPECT_EQ(GetFileSize(dir.File("five.dta")), 5);
  EXPECT_EQ(GetFileSize(dir.File("folder")), -1);
  EXPECT_EQ(GetFileSize(dir.path + "/"), -1);
  EXPECT_EQ(GetFileSize(""), -1);
}

TEST(GetFileSize, BackslashPathsOpen) {
  TempDir dir;
  WriteFileBytes(dir.File("Files/T1/Leser.dta"), "abc");
  EXPECT_EQ(GetFileSize(dir.path + "\\Files\\T1\\Leser.dta"), 3);
}

TEST(GetFileSize, SizesOf2GiBAndMoreAreNotWrapped) {
  TempDir dir;
  const std::string path = dir.File("big.dta");
  WriteFileBytes(path, "");
  // A sparse file: no disk space is used.
  std::filesystem::resize_file(path, 2147483648ULL);
  EXPECT_EQ(GetFileSize(path), -1);
  std::filesystem::resize_file(path, 2147483647ULL);
  EXPECT_EQ(GetFileSize(path), 2147483647);
}

}  // namespace
