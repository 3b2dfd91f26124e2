#include "crypto/md5.h"

#include <gtest/gtest.h>
#include <openssl/md5.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

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

// libcrypto's MD5 as upper-case digest text.
std::string OpenSslDigestText(const std::string& data) {
  unsigned char digest[MD5_DIGEST_LENGTH];
  MD5(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : digest) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::string RandomText(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(count, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
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

// Lengths around the padding boundaries (55, 56, 63, 64 bytes) and pieces of
// every size give libcrypto's digest.
TEST(MD5, AnyPieceSizesGiveTheWholeDigest) {
  for (std::size_t size : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
    const std::string data = RandomText(size, static_cast<unsigned>(size));
    const std::string expected = OpenSslDigestText(data);
    for (std::size_t piece = 1; piece <= 130; piece += 13) {
      MD5Context context;
      MD5Init(context);
      for (std::size_t at = 0; at < data.size(); at += piece) {
        MD5Update(context, data.data() + at, std::min(piece, data.size() - at));
      }
      std::uint8_t digest[16];
      MD5Final(digest, context);
      char text[33];
      std::string upper = HexText(digest, 16, text);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      ASSERT_EQ(upper, expected) << "size " << size << " piece " << piece;
    }
  }
}

TEST(HexText, LowerCaseTwoDigitsPerByte) {
  const std::uint8_t bytes[] = {0x00, 0x0A, 0xF0, 0xFF, 0x5C};
  char text[11] = "xxxxxxxxxx";
  EXPECT_STREQ(HexText(bytes, 5, text), "000af0ff5c");
  EXPECT_STREQ(HexText(bytes, 0, text), "");
}

// Runs each test inside a fresh directory, so that bare names and
// drive-prefixed relative paths ("C:\Daten\a.txt" is the directory "C:" on
// POSIX) resolve there.
class FileDigest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_EQ(chdir(dir_.path.c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(previous_), 0); }

  void Put(const std::string& name, std::string_view bytes) {
    WriteFileBytes(dir_.File(name), bytes);
  }

  TempDir dir_;
  char previous_[4096] = {};
};

TEST_F(FileDigest, KnownDigestsThroughPathAndCaseVariants) {
  Put("a.txt", "abc");
  Put("A.TXT", "abc");
  Put("C:/Daten/a.txt", "abc");
  Put("C:/Daten/A.TXT", "abc");
  Put("dir/a.txt", "abc");
  Put("C:a.txt", "abc");
  Put("b.txt", "abc");
  Put("dir/e.txt", "");
  const std::pair<std::string, std::string> cases[] = {
      {"a.txt", "9B436087F6C4C10F94C72EABF7D516BD"},
      {"A.TXT", "9B436087F6C4C10F94C72EABF7D516BD"},
      {"C:\\Daten\\a.txt", "9B436087F6C4C10F94C72EABF7D516BD"},
      {"C:\\Daten\\A.TXT", "9B436087F6C4C10F94C72EABF7D516BD"},
      {"C:/Daten\\A.TXT", "9B436087F6C4C10F94C72EABF7D516BD"},
      {"dir/a.txt", "9B436087F6C4C10F94C72EABF7D516BD"},
      {".\\dir\\a.txt", "9B436087F6C4C10F94C72EABF7D516BD"},
      {"C:a.txt", "9B436087F6C4C10F94C72EABF7D516BD"},
      {dir_.path + "/dir/a.txt", "9B436087F6C4C10F94C72EABF7D516BD"},
      {"b.txt", "A8241E19ECDDA764BFA7D6F64DB49EC5"},
      {"dir/e.txt", OpenSslDigestText("e.txt")},
  };
  for (const auto& [path, digest] : cases) EXPECT_EQ(MD5FileDigest(path), digest) << path;
}

TEST_F(FileDigest, EmptyFileGivesDigestOfNameAlone) {
  Put("a.txt", "");
  EXPECT_STREQ(MD5FileDigest("a.txt"), "A5E54D1FD7BB69A228EF0DCD2431367E");
}

// The 10240-byte read buffer holds the name and the first bytes; the digest
// must not show where the blocks were cut.
TEST_F(FileDigest, FilesAroundTheReadBufferBoundary) {
  const std::string name = "Leser.dta";
  const std::size_t first = 10240 - name.size();
  for (std::size_t size : {first - 1, first, first + 1, std::size_t{10240}, first + 10240,
                           first + 10241, std::size_t{3 * 10240 + 77}}) {
    const std::string contents = RandomText(size, static_cast<unsigned>(size));
    Put(name, contents);
    EXPECT_EQ(MD5FileDigest(name), OpenSslDigestText("leser.dta" + contents)) << size;
  }
}

TEST_F(FileDigest, UnreadablePathLeavesThePreviousDigest) {
  Put("a.txt", "abc");
  ASSERT_EQ(mkdir(dir_.File("folder.txt").c_str(), 0755), 0);
  const char* text = MD5FileDigest("a.txt");
  ASSERT_STREQ(text, "9B436087F6C4C10F94C72EABF7D516BD");
  for (const char* path : {"missing.txt", "folder.txt", "", "nodir\\a.txt"}) {
    EXPECT_EQ(MD5FileDigest(path), text) << path;
    EXPECT_STREQ(text, "9B436087F6C4C10F94C72EABF7D516BD") << path;
  }
}

}  // namespace
