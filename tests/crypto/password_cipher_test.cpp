#include "crypto/password_cipher.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "crypto/fixed_word.h"
#include "tests/crypto/byte_text.h"
#include "tests/crypto/cipher_context.h"

namespace {

bool ContextIsZero() {
  static const BlowfishContext zero{};
  return std::memcmp(&PasswordCipherContext(), &zero, sizeof zero) == 0;
}

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// Published vectors, big-endian halves.
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
    {"F0E1D2C3B4A596", "FEDCBA9876543210", "8BB77032F960629D"},
    {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
};

TEST(Blowfish, PublishedVectorsOnBigEndianHalves) {
  for (const auto& v : kVectors) {
    const std::string key = HexBytes(v.key);
    const std::string plain = HexBytes(v.plain);
    const std::string cipher = HexBytes(v.cipher);
    BlowfishContext context;
    BlowfishInit(context, reinterpret_cast<const std::uint8_t*>(key.data()),
                 static_cast<int>(key.size()));
    std::uint32_t left = BigEndianWord(plain, 0), right = BigEndianWord(plain, 4);
    BlowfishEncryptBlock(context, left, right);
    EXPECT_EQ(left, BigEndianWord(cipher, 0)) << v.key;
    EXPECT_EQ(right, BigEndianWord(cipher, 4)) << v.key;
    BlowfishDecryptBlock(context, left, right);
    EXPECT_EQ(left, BigEndianWord(plain, 0)) << v.key;
    EXPECT_EQ(right, BigEndianWord(plain, 4)) << v.key;
  }
}

// The stored form is the published one with each group of 4 bytes reversed
// before and after the block operation.
TEST(DecryptHexText, PublishedVectorsWithFourByteReversal) {
  for (const auto& v : kVectors) {
    const std::string key = HexBytes(v.key);
    const std::string stored = UpperHex(ReverseGroupsOfFour(HexBytes(v.cipher)));
    std::string plain;
    EXPECT_EQ(DecryptHexText(stored, plain, key), 1);
    EXPECT_EQ(UpperHex(ReverseGroupsOfFour(plain)), v.plain) << v.key;
    EXPECT_EQ(EncryptToHexText(ReverseGroupsOfFour(HexBytes(v.plain)), key), stored) << v.key;
  }
}

TEST(HexToBytes, OnlyUpperCaseLettersAreDigits) {
  const std::pair<std::string, int> cases[] = {
      {"00", 0x00},
      {"9A", 0x9A},
      {"FF", 0xFF},
      {"F0", 0xF0},
      {"aa", (16 * 49 + 49) % 256},  // 'a' counts as 49
      {"G1", (16 * 23 + 1) % 256},   // any other character: code minus 48
  };
  for (const auto& [text, byte] : cases) {
    std::uint8_t out[2] = {0x55, 0x55};
    HexToBytes(text.data(), 2, out);
    EXPECT_EQ(out[0], byte) << text;
    EXPECT_EQ(out[1], 0x55) << text;
  }
  std::uint8_t out[2] = {0x55, 0x55};
  HexToBytes("ABC", 3, out);  // an odd count rounds down
  EXPECT_EQ(out[0], 0xAB);
  EXPECT_EQ(out[1], 0x55);
}

TEST(DecryptHexText, EmptyTextGivesEmptyPlainText) {
  std::string plain = "left over";
  EXPECT_EQ(DecryptHexText("", plain, FixedWord), 1);
  EXPECT_TRUE(plain.empty());
  EXPECT_STREQ(plain.c_str(), "");
  EXPECT_TRUE(ContextIsZero());
}

TEST(DecryptHexText, RoundTripsUnderTheFixedWord) {
  const std::string texts[] = {"scott", "ABCDEFGH", "tiger123456789", "K\xE4rnten;=x",
                               std::string(96, 'w')};
  for (const std::string& text : texts) {
    const std::string hex = EncryptToHexText(text, FixedWord);
    EXPECT_TRUE(ContextIsZero());
    EXPECT_EQ(hex.size(), (text.size() + 7) / 8 * 16) << text;
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
    std::string plain;
    DecryptHexText(hex, plain, FixedWord);
    EXPECT_TRUE(ContextIsZero());
    EXPECT_EQ(plain.size(), hex.size() / 2);
    EXPECT_STREQ(plain.c_str(), text.c_str());
  }
}

TEST(DecryptHexText, LowerCaseHexDecryptsToDifferentBytes) {
  std::string hex = EncryptToHexText("geheim", FixedWord);
  ASSERT_NE(hex.find_first_of("ABCDEF"), std::string::npos) << hex;
  for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string plain;
  DecryptHexText(hex, plain, FixedWord);
  EXPECT_STRNE(plain.c_str(), "geheim");
}

TEST(DecryptHexText, EmbeddedZeroEndsTheText) {
  const std::string text("abc\0defghijk", 12);
  std::string plain;
  DecryptHexText(EncryptToHexText(text, FixedWord), plain, FixedWord);
  EXPECT_STREQ(plain.c_str(), "abc");
  EXPECT_EQ(plain, text + std::string(4, '\0'));  // later bytes are still there
}

// A last block of fewer than 16 digits is completed with '0' digits. The text
// sits in an exactly sized heap buffer, and as a prefix of a longer text, so a
// read past its end shows.
TEST(DecryptHexText, PartialBlockIsCompletedWithZeroDigits) {
  const std::string full = EncryptToHexText("Passwort1234", FixedWord);  // 32 digits
  for (std::size_t length = 1; length < full.size(); ++length) {
    if (length % 16 == 0) continue;
    const std::vector<char> exact(full.begin(), full.begin() + static_cast<long>(length));
    std::string padded(full, 0, length);
    padded.resize((length + 15) / 16 * 16, '0');
    std::string fromExact, fromPrefix, fromPadded;
    DecryptHexText(std::string_view(exact.data(), exact.size()), fromExact, FixedWord);
    DecryptHexText(std::string_view(full.data(), length), fromPrefix, FixedWord);
    DecryptHexText(padded, fromPadded, FixedWord);
    EXPECT_TRUE(ContextIsZero());
    EXPECT_EQ(fromExact.size(), (length + 15) / 16 * 8) << length;
    EXPECT_EQ(fromExact, fromPadded) << length;
    EXPECT_EQ(fromPrefix, fromPadded) << length;
  }
}

TEST(DecryptHexText, TextEndsAtItsFirstZeroByte) {
  const std::string hex = EncryptToHexText("scott", FixedWord);
  std::string plain;
  DecryptHexText(hex + std::string("\0"
                                   "0123456789ABCDEF",
                                   17),
                 plain, FixedWord);
  EXPECT_EQ(plain.size(), 8u);
  EXPECT_STREQ(plain.c_str(), "scott");
}

}  // namespace
