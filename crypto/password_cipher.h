// Blowfish (ECB, 16 rounds, published initial values) and the decryption of
// settings values stored as upper-case hex text. Key bytes enter the key
// schedule big-endian; data halves are read least significant byte first.
#ifndef DATENSCHLEUSE_CRYPTO_PASSWORD_CIPHER_H
#define DATENSCHLEUSE_CRYPTO_PASSWORD_CIPHER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct BlowfishContext {
  std::uint32_t P[18];
  std::uint32_t S[4][256];
};

void BlowfishInit(BlowfishContext& context, const std::uint8_t* key, int keyLength);
void BlowfishEncryptBlock(const BlowfishContext& context, std::uint32_t& left,
                          std::uint32_t& right);
void BlowfishDecryptBlock(const BlowfishContext& context, std::uint32_t& left,
                          std::uint32_t& right);

// Decodes n characters into n / 2 bytes; only 0-9 and A-F are hex digits.
void HexToBytes(const char* text, int n, std::uint8_t* destination);

// Decrypts a hex text under key into plainText: 8 bytes per started block of
// 16 digits. Callers read the result as a zero-terminated text
// (plainText.c_str()). The hex text ends at its first zero byte; a last block
// of fewer than 16 digits is decoded as if completed with '0' digits, so
// nothing past the text is read. Returns 1; the context is zero afterwards.
int DecryptHexText(std::string_view hexText, std::string& plainText, std::string_view key);

// The exact inverse, for the settings writer: zero padding to a multiple of
// 8, the same byte order, upper-case hex.
std::string EncryptToHexText(std::string_view plainText, std::string_view key);

#endif  // DATENSCHLEUSE_CRYPTO_PASSWORD_CIPHER_H
