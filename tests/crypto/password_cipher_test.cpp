#include "crypto/password_cipher.h"

#include <gtest/gtest.h>
#include <openssl/blowfish.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "crypto/fixed_word.h"

namespace {

std::string Bytes(std::string_view hex) {
  std::string bytes(hex.size() / 2, '\0');
  HexToBytes(hex.data(), static_cast<int>(hex.size()), reinterpret_cast<std::uint8_t*>(&bytes[0]));
  return bytes;
}

std::string UpperHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

// Reverses each group of 4 bytes: the stored form reads block halves least
// significant byte first, the published vectors most significant first.
std::string ReverseGroupsOfFour(std::string bytes) {
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    std::reverse(bytes.begin() + static_cast<long>(i), bytes.begin() + static_cast<long>(i) + 4);
  }
  return bytes;
}

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

bool ContextIsZero() {
  static const BlowfishContext zero{};
  return std::memcmp(&PasswordCipherContext(), &zero, sizeof zero) == 0;
}

std::string RandomBytes(std::mt19937& random, std::size_t count) {
  std::string bytes(count, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

std::string OpenSslEncryptBlocks(const std::string& key, const std::string& plain) {
  BF_KEY schedule;
  BF_set_key(&schedule, static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(key.data()));
  std::string out(plain.size(), '\0');
  for (std::size_t at = 0; at < plain.size(); at += 8) {
    BF_ecb_encrypt(reinterpret_cast<const unsigned char*>(plain.data() + at),
                   reinterpret_cast<unsigned char*>(&out[at]), &schedule, BF_ENCRYPT);
  }
  return out;
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
    const std::string key = Bytes(v.key);
    const std::string plain = Bytes(v.plain);
    BlowfishContext context;
    BlowfishInit(context, reinterpret_cast<const std::uint8_t*>(key.data()),
                 static_cast<int>(key.size()));
    std::uint32_t left = BigEndian(plain, 0), right = BigEndian(plain, 4);
    BlowfishEncryptBlock(context, left, right);
    const std::string cipher = Bytes(v.cipher);
    EXPECT_EQ(left, BigEndian(cipher, 0)) << v.key;
    EXPECT_EQ(right, BigEndian(cipher, 4)) << v.key;
    BlowfishDecryptBlock(context, left, right);
    EXPECT_EQ(left, BigEndian(plain, 0)) << v.key;
    EXPECT_EQ(right, BigEndian(plain, 4)) << v.key;
  }
}

// The stored form is the published one with each group of 4 bytes reversed
// before and after the block operation.
TEST(DecryptHexText, PublishedVectorsWithFourByteReversal) {
  for (const auto& v : kVectors) {
    const std::string key = Bytes(v.key);
    std::string plain;
    EXPECT_EQ(DecryptHexText(UpperHex(ReverseGroupsOfFour(Bytes(v.cipher))), plain, key), 1);
    EXPECT_EQ(UpperHex(ReverseGroupsOfFour(plain)), v.plain) << v.key;
    EXPECT_EQ(EncryptToHexText(ReverseGroupsOfFour(Bytes(v.plain)), key),
              UpperHex(ReverseGroupsOfFour(Bytes(v.cipher))))
        << v.key;
  }
}

TEST(Blowfish, AgreesWithLibcryptoOnRandomKeysAndBlocks) {
  std::mt19937 random(4168);
  for (int round = 0; round < 200; ++round) {
    const std::string key = RandomBytes(random, 1 + random() % 72);
    const std::string plain = RandomBytes(random, 8);
    const std::string expected = OpenSslEncryptBlocks(key, plain);
    BlowfishContext context;
    BlowfishInit(context, reinterpret_cast<const std::uint8_t*>(key.data()),
                 static_cast<int>(key.size()));
    std::uint32_t left = BigEndian(plain, 0), right = BigEndian(plain, 4);
    BlowfishEncryptBlock(context, left, right);
    ASSERT_EQ(left, BigEndian(expected, 0)) << round;
    ASSERT_EQ(right, BigEndian(expected, 4)) << round;
    BlowfishDecryptBlock(context, left, right);
    ASSERT_EQ(left, BigEndian(plain, 0)) << round;
    ASSERT_EQ(right, BigEndian(plain, 4)) << round;
  }
}

TEST(DecryptHexText, MultiBlockTextsAgreeWithLibcrypto) {
  std::mt19937 random(96);
  for (int round = 0; round < 50; ++round) {
    const std::string key =
        round == 0 ? std::string(FixedWord) : RandomBytes(random, 1 + random() % 56);
    const std::string plain = RandomBytes(random, 8 * (1 + random() % 12));
    const std::string hex =
        UpperHex(ReverseGroupsOfFour(OpenSslEncryptBlocks(key, ReverseGroupsOfFour(plain))));
    std::string decrypted;
    DecryptHexText(hex, decrypted, key);
    ASSERT_EQ(decrypted, plain) << round;
    ASSERT_EQ(EncryptToHexText(plain, key), hex) << round;
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
  std::transform(hex.begin(), hex.end(), hex.begin(),
                 [](char c) { return static_cast<char>(std::tolower(c)); });
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
// sits in an exactly sized heap buffer, followed in a longer buffer by other
// digits, so a read past its end shows.
TEST(DecryptHexText, PartialBlockIsCompletedWithZeroDigits) {
  const std::string full = EncryptToHexText("Passwort1234", FixedWord);  // 32 digits
  for (std::size_t length = 1; length < full.size(); ++length) {
    if (length % 16 == 0) continue;
    const std::vector<char> exact(full.begin(), full.begin() + static_cast<long>(length));
    std::string padded(full, 0, length);
    padded.resize((length + 15) / 16 * 16, '0');
    std::string fromExact, fromLonger, fromPadded;
    DecryptHexText(std::string_view(exact.data(), exact.size()), fromExact, FixedWord);
    DecryptHexText(std::string_view(full.data(), length), fromLonger, FixedWord);
    DecryptHexText(padded, fromPadded, FixedWord);
    EXPECT_TRUE(ContextIsZero());
    EXPECT_EQ(fromExact.size(), (length + 15) / 16 * 8) << length;
    EXPECT_EQ(fromExact, fromPadded) << length;
    EXPECT_EQ(fromLonger, fromPadded) << length;
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
