// MD5 message digest (RFC 1321) and the file digest text that announces a
// download: MD5 of the lower-cased file name immediately followed by the
// file's bytes, as 32 upper-case hexadecimal digits.
#ifndef DATENSCHLEUSE_CRYPTO_MD5_H
#define DATENSCHLEUSE_CRYPTO_MD5_H

#include <cstddef>
#include <cstdint>
#include <string_view>

struct MD5Context {
  std::uint32_t state[4];
  std::uint64_t bitCount;
  std::uint8_t buffer[64];
};

void MD5Init(MD5Context& context);
void MD5Update(MD5Context& context, const void* data, std::size_t count);
void MD5Final(std::uint8_t digest[16], MD5Context& context);

// Writes two lower-case hex digits per byte ("%02x") into text, which must
// hold 2 * count + 1 characters, and returns text.
char* HexText(const std::uint8_t* bytes, int count, char* text);

// Digest text of the file at path, in one program-wide 33-character buffer
// that every call overwrites. A file that cannot be opened leaves the buffer
// as the previous call left it.
const char* MD5FileDigest(std::string_view path);

#endif  // DATENSCHLEUSE_CRYPTO_MD5_H
