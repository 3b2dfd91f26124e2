// Placeholder until the cipher implementation lands.
#include "crypto/password_cipher.h"

namespace {
BlowfishContext context;
}

void BlowfishInit(BlowfishContext&, const std::uint8_t*, int) {}
void BlowfishEncryptBlock(const BlowfishContext&, std::uint32_t&, std::uint32_t&) {}
void BlowfishDecryptBlock(const BlowfishContext&, std::uint32_t&, std::uint32_t&) {}
void HexToBytes(const char*, int, std::uint8_t*) {}
int DecryptHexText(std::string_view, std::string& plainText, std::string_view) {
  plainText.clear();
  return 1;
}
std::string EncryptToHexText(std::string_view, std::string_view) { return {}; }
const BlowfishContext& PasswordCipherContext() { return context; }
