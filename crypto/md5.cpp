// MD5 message digest as RFC 1321 defines it, and the hex text of a digest.
#include "crypto/md5.h"

#include <cstring>

namespace {

inline std::uint32_t RotateLeft(std::uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

inline std::uint32_t LoadLittleEndian(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void StoreLittleEndian(std::uint32_t value, std::uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The four round steps: a = b + ((a + f(b, c, d) + x + t) <<< s). Each f is
// written so that b, the value just computed, enters as late as possible; in
// G the two terms have no bit in common, so their sum is their OR.
inline void StepF(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                  std::uint32_t x, std::uint32_t t, int s) {
  a = b + RotateLeft(a + x + t + (d ^ (b & (c ^ d))), s);
}
inline void StepG(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                  std::uint32_t x, std::uint32_t t, int s) {
  a = b + RotateLeft(a + x + t + (~d & c) + (d & b), s);
}
inline void StepH(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                  std::uint32_t x, std::uint32_t t, int s) {
  a = b + RotateLeft(a + x + t + (b ^ (c ^ d)), s);
}
inline void StepI(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                  std::uint32_t x, std::uint32_t t, int s) {
  a = b + RotateLeft(a + x + t + (c ^ (b | ~d)), s);
}

inline void Round1(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c, std::uint32_t& d,
                   const std::uint32_t* x) {
  StepF(a, b, c, d, x[0], 0xd76aa478, 7);
  StepF(d, a, b, c, x[1], 0xe8c7b756, 12);
  StepF(c, d, a, b, x[2], 0x242070db, 17);
  StepF(b, c, d, a, x[3], 0xc1bdceee, 22);
  StepF(a, b, c, d, x[4], 0xf57c0faf, 7);
  StepF(d, a, b, c, x[5], 0x4787c62a, 12);
  StepF(c, d, a, b, x[6], 0xa8304613, 17);
  StepF(b, c, d, a, x[7], 0xfd469501, 22);
  StepF(a, b, c, d, x[8], 0x698098d8, 7);
  StepF(d, a, b, c, x[9], 0x8b44f7af, 12);
  StepF(c, d, a, b, x[10], 0xffff5bb1, 17);
  StepF(b, c, d, a, x[11], 0x895cd7be, 22);
  StepF(a, b, c, d, x[12], 0x6b901122, 7);
  StepF(d, a, b, c, x[13], 0xfd987193, 12);
  StepF(c, d, a, b, x[14], 0xa679438e, 17);
  StepF(b, c, d, a, x[15], 0x49b40821, 22);
}

inline void Round2(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c, std::uint32_t& d,
                   const std::uint32_t* x) {
  StepG(a, b, c, d, x[1], 0xf61e2562, 5);
  StepG(d, a, b, c, x[6], 0xc040b340, 9);
  StepG(c, d, a, b, x[11], 0x265e5a51, 14);
  StepG(b, c, d, a, x[0], 0xe9b6c7aa, 20);
  StepG(a, b, c, d, x[5], 0xd62f105d, 5);
  StepG(d, a, b, c, x[10], 0x02441453, 9);
  StepG(c, d, a, b, x[15], 0xd8a1e681, 14);
  StepG(b, c, d, a, x[4], 0xe7d3fbc8, 20);
  StepG(a, b, c, d, x[9], 0x21e1cde6, 5);
  StepG(d, a, b, c, x[14], 0xc33707d6, 9);
  StepG(c, d, a, b, x[3], 0xf4d50d87, 14);
  StepG(b, c, d, a, x[8], 0x455a14ed, 20);
  StepG(a, b, c, d, x[13], 0xa9e3e905, 5);
  StepG(d, a, b, c, x[2], 0xfcefa3f8, 9);
  StepG(c, d, a, b, x[7], 0x676f02d9, 14);
  StepG(b, c, d, a, x[12], 0x8d2a4c8a, 20);
}

inline void Round3(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c, std::uint32_t& d,
                   const std::uint32_t* x) {
  StepH(a, b, c, d, x[5], 0xfffa3942, 4);
  StepH(d, a, b, c, x[8], 0x8771f681, 11);
  StepH(c, d, a, b, x[11], 0x6d9d6122, 16);
  StepH(b, c, d, a, x[14], 0xfde5380c, 23);
  StepH(a, b, c, d, x[1], 0xa4beea44, 4);
  StepH(d, a, b, c, x[4], 0x4bdecfa9, 11);
  StepH(c, d, a, b, x[7], 0xf6bb4b60, 16);
  StepH(b, c, d, a, x[10], 0xbebfbc70, 23);
  StepH(a, b, c, d, x[13], 0x289b7ec6, 4);
  StepH(d, a, b, c, x[0], 0xeaa127fa, 11);
  StepH(c, d, a, b, x[3], 0xd4ef3085, 16);
  StepH(b, c, d, a, x[6], 0x04881d05, 23);
  StepH(a, b, c, d, x[9], 0xd9d4d039, 4);
  StepH(d, a, b, c, x[12], 0xe6db99e5, 11);
  StepH(c, d, a, b, x[15], 0x1fa27cf8, 16);
  StepH(b, c, d, a, x[2], 0xc4ac5665, 23);
}

inline void Round4(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c, std::uint32_t& d,
                   const std::uint32_t* x) {
  StepI(a, b, c, d, x[0], 0xf4292244, 6);
  StepI(d, a, b, c, x[7], 0x432aff97, 10);
  StepI(c, d, a, b, x[14], 0xab9423a7, 15);
  StepI(b, c, d, a, x[5], 0xfc93a039, 21);
  StepI(a, b, c, d, x[12], 0x655b59c3, 6);
  StepI(d, a, b, c, x[3], 0x8f0ccc92, 10);
  StepI(c, d, a, b, x[10], 0xffeff47d, 15);
  StepI(b, c, d, a, x[1], 0x85845dd1, 21);
  StepI(a, b, c, d, x[8], 0x6fa87e4f, 6);
  StepI(d, a, b, c, x[15], 0xfe2ce6e0, 10);
  StepI(c, d, a, b, x[6], 0xa3014314, 15);
  StepI(b, c, d, a, x[13], 0x4e0811a1, 21);
  StepI(a, b, c, d, x[4], 0xf7537e82, 6);
  StepI(d, a, b, c, x[11], 0xbd3af235, 10);
  StepI(c, d, a, b, x[2], 0x2ad7d2bb, 15);
  StepI(b, c, d, a, x[9], 0xeb86d391, 21);
}

// Folds one 64-byte block into the chaining values.
void Transform(std::uint32_t state[4], const std::uint8_t* block) {
  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(block + 4 * i);
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  Round1(a, b, c, d, x);
  Round2(a, b, c, d, x);
  Round3(a, b, c, d, x);
  Round4(a, b, c, d, x);
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

void MD5Init(MD5Context& context) {
  context.state[0] = 0x67452301;
  context.state[1] = 0xefcdab89;
  context.state[2] = 0x98badcfe;
  context.state[3] = 0x10325476;
  context.bitCount = 0;
  std::memset(context.buffer, 0, sizeof context.buffer);
}

// Completes the partly filled block buffer first, then folds whole blocks
// straight from the input and keeps the rest for the next call.
void MD5Update(MD5Context& context, const void* data, std::size_t count) {
  const auto* input = static_cast<const std::uint8_t*>(data);
  std::size_t used = static_cast<std::size_t>(context.bitCount / 8 % 64);
  context.bitCount += static_cast<std::uint64_t>(count) * 8;
  if (used > 0) {
    const std::size_t take = count < 64 - used ? count : 64 - used;
    std::memcpy(context.buffer + used, input, take);
    input += take;
    count -= take;
    used += take;
    if (used < 64) return;
    Transform(context.state, context.buffer);
  }
  for (; count >= 64; count -= 64, input += 64) Transform(context.state, input);
  if (count > 0) std::memcpy(context.buffer, input, count);
}

// Pads with 0x80 and zeros up to 56 bytes modulo 64, appends the bit count
// (little-endian, 64 bits), writes the digest and wipes the context.
void MD5Final(std::uint8_t digest[16], MD5Context& context) {
  std::uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(context.bitCount >> (8 * i));
  const std::size_t used = static_cast<std::size_t>(context.bitCount / 8 % 64);
  static const std::uint8_t kPadding[64] = {0x80};
  MD5Update(context, kPadding, used < 56 ? 56 - used : 120 - used);
  MD5Update(context, length, sizeof length);
  for (int i = 0; i < 4; ++i) StoreLittleEndian(context.state[i], digest + 4 * i);
  std::memset(&context, 0, sizeof context);
}

char* HexText(const std::uint8_t* bytes, int count, char* text) {
  static const char kDigits[] = "0123456789abcdef";
  text[0] = '\0';
  for (int i = 0; i < count; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    text[2 * i + 2] = '\0';
  }
  return text;
}
