// Blowfish and the stored form against libcrypto's Blowfish on random keys
// and texts.
#include <gtest/gtest.h>
#include <openssl/blowfish.h>

#include <cstring>
#include <random>
#include <string>

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
#include "tests/crypto/byte_text.h"

namespace {

std::string LibcryptoEncryptBlocks(const std::string& key, const std::string& plain) {
  BF_KEY schedule;
  BF_set_key(&schedule, static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(key.data()));
  std::string out(plain.size(), '\0');
  for (std::size_t at = 0; at + 8 <= plain.size(); at += 8) {
    BF_ecb_encrypt(reinterpret_cast<const unsigned char*>(plain.data() + at),
                   reinterpret_cast<unsigned char*>(&out[at]), &schedule, BF_ENCRYPT);
  }
  return out;
}

TEST(BlowfishLibcrypto, RandomKeysAndBlocks) {
  std::mt19937 random(4168);
  for (int round = 0; round < 200; ++round) {
    const std::string key = RandomBytes(random, 1 + random() % 72);
    const std::string plain = RandomBytes(random, 8);
    const std::string expected = LibcryptoEncryptBlocks(key, plain);
    BlowfishContext context;
    BlowfishInit(context, reinterpret_cast<const std::uint8_t*>(key.data()),
                 static_cast<int>(key.size()));
    std::uint32_t left = BigEndianWord(plain, 0), right = BigEndianWord(plain, 4);
    BlowfishEncryptBlock(context, left, right);
    ASSERT_EQ(left, BigEndianWord(expected, 0)) << round;
    ASSERT_EQ(right, BigEndianWord(expected, 4)) << round;
    BlowfishDecryptBlock(context, left, right);
    ASSERT_EQ(left, BigEndianWord(plain, 0)) << round;
    ASSERT_EQ(right, BigEndianWord(plain, 4)) << round;
  }
}

TEST(BlowfishLibcrypto, StoredTextsOfSeveralBlocks) {
  std::mt19937 random(96);
  for (int round = 0; round < 50; ++round) {
    const std::string key =
        round == 0 ? std::string(FixedWord) : RandomBytes(random, 1 + random() % 56);
    const std::string plain = RandomBytes(random, 8 * (1 + random() % 12));
    const std::string hex =
        UpperHex(ReverseGroupsOfFour(LibcryptoEncryptBlocks(key, ReverseGroupsOfFour(plain))));
    std::string decrypted;
    DecryptHexText(hex, decrypted, key);
    ASSERT_EQ(decrypted, plain) << round;
    ASSERT_EQ(EncryptToHexText(plain, key), hex) << round;
  }
}

}  // namespace
