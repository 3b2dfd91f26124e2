// Small byte and hex helpers shared by the cipher and digest tests.
#ifndef DATENSCHLEUSE_TESTS_CRYPTO_BYTE_TEXT_H
#define DATENSCHLEUSE_TESTS_CRYPTO_BYTE_TEXT_H

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

// Upper-case hex digits of bytes, two per byte.
inline std::string UpperHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

// The bytes of an upper-case hex text (independent of the cipher's decoder).
inline std::string HexBytes(std::string_view hex) {
  auto value = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(16 * value(hex[i]) + value(hex[i + 1]));
  }
  return bytes;
}

// Reverses each group of 4 bytes: stored settings values read block halves
// least significant byte first, the published Blowfish form most significant
// first.
inline std::string ReverseGroupsOfFour(std::string bytes) {
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    std::reverse(bytes.begin() + static_cast<long>(i), bytes.begin() + static_cast<long>(i) + 4);
  }
  return bytes;
}

inline std::uint32_t BigEndianWord(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

inline std::string RandomBytes(std::mt19937& random, std::size_t count) {
  std::string bytes(count, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

#endif  // DATENSCHLEUSE_TESTS_CRYPTO_BYTE_TEXT_H
