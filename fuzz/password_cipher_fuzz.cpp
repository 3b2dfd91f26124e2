// Hex decoding and decryption of settings values on any text: the decoding
// rule byte by byte, the size of the plain text, the cipher context wiped
// after every call, and encryption undoing decryption for whole blocks of
// upper-case hex digits.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
#include "fuzz/fuzz_target.h"
#include "tests/crypto/cipher_context.h"

namespace {

constexpr std::string_view kKey(FixedWord, kFixedWordLength);

unsigned ReferenceDigit(unsigned char c) {
  return (c >= 'A' && c <= 'F' ? c - 55u : c - 48u) & 0xFFu;
}

void CheckHexToBytes(std::string_view text) {
  const int n = static_cast<int>(text.size());
  // One guard byte past the n / 2 bytes that may be written.
  std::vector<std::uint8_t> bytes(text.size() / 2 + 1, 0xA5);
  HexToBytes(text.data(), n, bytes.data());
  FUZZ_CHECK(bytes.back() == 0xA5);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const unsigned expected = (16u * ReferenceDigit(static_cast<unsigned char>(text[i])) +
                               ReferenceDigit(static_cast<unsigned char>(text[i + 1]))) &
                              0xFFu;
    FUZZ_CHECK(bytes[i / 2] == expected);
  }
}

bool IsContextWiped() {
  const BlowfishContext& context = PasswordCipherContext();
  const auto* bytes = reinterpret_cast<const unsigned char*>(&context);
  return std::all_of(bytes, bytes + sizeof context, [](unsigned char b) { return b == 0; });
}

bool IsUpperHex(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

void CheckDecryption(std::string_view text) {
  std::string plain;
  FUZZ_CHECK(DecryptHexText(text, plain, kKey) == 1);
  FUZZ_CHECK(IsContextWiped());
  const std::size_t digits = std::min(text.size(), text.find('\0'));
  FUZZ_CHECK(plain.size() == (digits + 15) / 16 * 8);
  // The plain text of whole blocks of hex digits encrypts back to them.
  if (digits == text.size() && digits % 16 == 0 && IsUpperHex(text)) {
    FUZZ_CHECK(EncryptToHexText(plain, kKey) == text);
    FUZZ_CHECK(IsContextWiped());
  }
}

}  // namespace

int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = AsText(data, size);
  CheckHexToBytes(text);
  CheckDecryption(text);
  return 0;
}
