// Settings values: Blowfish ECB blocks written as upper-case hex text, each
// block's halves read least significant byte first.
#include "crypto/password_cipher.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBlockDigits = 16;
constexpr std::size_t kBlockBytes = 8;

// The one context of the module; zero between calls.
BlowfishContext cipherContext;

void InitWithKey(std::string_view key) {
  BlowfishInit(cipherContext, reinterpret_cast<const std::uint8_t*>(key.data()),
               static_cast<int>(key.size()));
}

void WipeContext() {
  std::memset(&cipherContext, 0, sizeof cipherContext);
}

// Only 0-9 and A-F are digits; any other character still yields a value, in
// 8-bit arithmetic, so lower-case hex decodes to different bytes.
unsigned DigitValue(char c) {
  const auto code = static_cast<unsigned char>(c);
  return (code >= 'A' && code <= 'F' ? code - 55u : code - 48u) & 0xFFu;
}

std::uint32_t LoadLittleEndian(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void StoreLittleEndian(std::uint32_t value, char* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(value >> (8 * i));
}

// Decrypts the block whose 16 digits start at digits into out[0..8). A last
// block shorter than 16 digits is completed with '0' digits, so nothing past
// the text is read.
void DecryptBlock(std::string_view digits, char* out) {
  char block[kBlockDigits];
  std::fill(block, block + kBlockDigits, '0');
  std::copy_n(digits.data(), std::min(digits.size(), kBlockDigits), block);
  std::uint8_t bytes[kBlockBytes];
  HexToBytes(block, static_cast<int>(kBlockDigits), bytes);
  std::uint32_t left = LoadLittleEndian(bytes);
  std::uint32_t right = LoadLittleEndian(bytes + 4);
  BlowfishDecryptBlock(cipherContext, left, right);
  StoreLittleEndian(left, out);
  StoreLittleEndian(right, out + 4);
}

void AppendHexByte(std::string& hex, std::uint32_t byte) {
  static const char kDigits[] = "0123456789ABCDEF";
  hex += kDigits[(byte >> 4) & 0x0F];
  hex += kDigits[byte & 0x0F];
}

}  // namespace

void HexToBytes(const char* text, int n, std::uint8_t* destination) {
  for (int i = 0; i + 1 < n; i += 2) {
    destination[i / 2] =
        static_cast<std::uint8_t>((16u * DigitValue(text[i]) + DigitValue(text[i + 1])) & 0xFFu);
  }
}

// The hex text ends at its first zero byte, as a zero-terminated text would.
// plainText receives 8 bytes per started block of 16 digits.
int DecryptHexText(std::string_view hexText, std::string& plainText, std::string_view key) {
  hexText = hexText.substr(0, hexText.find('\0'));
  InitWithKey(key);
  const std::size_t blocks = (hexText.size() + kBlockDigits - 1) / kBlockDigits;
  plainText.assign(blocks * kBlockBytes, '\0');
  for (std::size_t b = 0; b < blocks; ++b) {
    DecryptBlock(hexText.substr(b * kBlockDigits), &plainText[b * kBlockBytes]);
  }
  WipeContext();
  return 1;
}

std::string EncryptToHexText(std::string_view plainText, std::string_view key) {
  InitWithKey(key);
  std::string hex;
  hex.reserve((plainText.size() + kBlockBytes - 1) / kBlockBytes * kBlockDigits);
  for (std::size_t start = 0; start < plainText.size(); start += kBlockBytes) {
    std::uint8_t bytes[kBlockBytes] = {};
    const std::size_t take = std::min(kBlockBytes, plainText.size() - start);
    std::memcpy(bytes, plainText.data() + start, take);
    std::uint32_t left = LoadLittleEndian(bytes);
    std::uint32_t right = LoadLittleEndian(bytes + 4);
    BlowfishEncryptBlock(cipherContext, left, right);
    for (int i = 0; i < 4; ++i) AppendHexByte(hex, left >> (8 * i));
    for (int i = 0; i < 4; ++i) AppendHexByte(hex, right >> (8 * i));
  }
  WipeContext();
  return hex;
}

// The module's one cipher context, for the tests that see it wiped after
// every call (declared in tests/crypto/cipher_context.h).
const BlowfishContext& PasswordCipherContext();
const BlowfishContext& PasswordCipherContext() {
  return cipherContext;
}
