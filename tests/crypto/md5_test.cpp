#include "crypto/md5.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

std::string Md5Hex(std::string_view data) {
  MD5Context context;
  MD5Init(context);
  MD5Update(context, data.data(), data.size());
  std::uint8_t digest[16];
  MD5Final(digest, context);
  char text[33];
  return HexText(digest, 16, text);
}

TEST(MD5, Rfc1321Suite) {
  const std::pair<std::string, std::string> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [input, digest] : suite) EXPECT_EQ(Md5Hex(input), digest) << input;
}

TEST(HexText, LowerCaseTwoDigitsPerByte) {
  const std::uint8_t bytes[] = {0x00, 0x0A, 0xF0, 0xFF, 0x5C};
  char text[11] = "xxxxxxxxxx";
  EXPECT_STREQ(HexText(bytes, 5, text), "000af0ff5c");
  EXPECT_STREQ(HexText(bytes, 0, text), "");
}

// Runs each test inside a fresh directory, so that bare names resolve there.
// A drive-prefixed path is the directory itself on Windows; on POSIX,
// "C:\Daten\a.txt" names the relative directory "C:".
class FileDigest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path);
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

  void Put(const std::string& name, std::string_view bytes) {
    WriteFileBytes(dir_.File(name), bytes);
  }
#ifdef _WIN32
  std::string DriveRoot() const {
    return dir_.path;
  }
#else
  std::string DriveRoot() const {
    return "C:";
  }
#endif

  TempDir dir_;
  std::filesystem::path previous_;
};

TEST_F(FileDigest, KnownDigestsThroughPathAndCaseVariants) {
  const std::string abc = "9B436087F6C4C10F94C72EABF7D516BD";
  for (const char* name : {"a.txt", "A.TXT", "dir/a.txt", "b.txt"}) Put(name, "abc");
  Put("dir/e.txt", "");
  WriteFileBytes(DriveRoot() + "/Daten/a.txt", "abc");
  WriteFileBytes(DriveRoot() + "/Daten/A.TXT", "abc");
  const std::pair<std::string, std::string> cases[] = {
      {"a.txt", abc},
      {"A.TXT", abc},
      {DriveRoot() + "\\Daten\\a.txt", abc},
      {DriveRoot() + "\\Daten\\A.TXT", abc},
      {DriveRoot() + "/Daten\\A.TXT", abc},
      {"dir/a.txt", abc},
      {".\\dir\\a.txt", abc},
      {dir_.path + "/dir/a.txt", abc},
      {"b.txt", "A8241E19ECDDA764BFA7D6F64DB49EC5"},
      {"dir/e.txt", "61C2BA6AF24ABF8B146E0EDDCBD819C0"},
  };
  for (const auto& [path, digest] : cases) EXPECT_EQ(MD5FileDigest(path), digest) << path;
}

#ifndef _WIN32
// A drive letter directly followed by the name ("C:a.txt") still counts as a
// drive prefix. On POSIX that is a file of that full name.
TEST_F(FileDigest, DrivePrefixWithoutSeparator) {
  Put("C:a.txt", "abc");
  EXPECT_STREQ(MD5FileDigest("C:a.txt"), "9B436087F6C4C10F94C72EABF7D516BD");
}
#endif

TEST_F(FileDigest, EmptyFileGivesDigestOfNameAlone) {
  Put("a.txt", "");
  EXPECT_STREQ(MD5FileDigest("a.txt"), "A5E54D1FD7BB69A228EF0DCD2431367E");
}

TEST_F(FileDigest, UnreadablePathLeavesThePreviousDigest) {
  Put("a.txt", "abc");
  std::filesystem::create_directory(dir_.File("folder.txt"));
  const char* text = MD5FileDigest("a.txt");
  ASSERT_STREQ(text, "9B436087F6C4C10F94C72EABF7D516BD");
  for (const char* path : {"missing.txt", "folder.txt", "", "nodir\\a.txt"}) {
    EXPECT_EQ(MD5FileDigest(path), text) << path;
    EXPECT_STREQ(text, "9B436087F6C4C10F94C72EABF7D516BD") << path;
  }
}

}  // namespace
