// Blowfish: 16 rounds, the published start state and key schedule. The key's
// bytes enter the P-array four at a time, the first one most significant.
#include <cstring>

#include "crypto/blowfish_init.h"
#include "crypto/password_cipher.h"

namespace {

inline std::uint32_t Feistel(const BlowfishContext& context, std::uint32_t x) {
  return ((context.S[0][x >> 24] + context.S[1][(x >> 16) & 0xFF]) ^
          context.S[2][(x >> 8) & 0xFF]) +
         context.S[3][x & 0xFF];
}

// Replaces words[0..count) pair by pair with the running encryption of the
// all-zero block, continued from left and right.
void FillWithEncryptions(const BlowfishContext& context, std::uint32_t* words, int count,
                         std::uint32_t& left, std::uint32_t& right) {
  for (int i = 0; i < count; i += 2) {
    BlowfishEncryptBlock(context, left, right);
    words[i] = left;
    words[i + 1] = right;
  }
}

}  // namespace

// A key length of 0 or less leaves the start state's P-array unkeyed.
void BlowfishInit(BlowfishContext& context, const std::uint8_t* key, int keyLength) {
  std::memcpy(&context, &kBlowfishInitialContext, sizeof context);
  if (keyLength > 0) {
    int next = 0;
    for (std::uint32_t& word : context.P) {
      std::uint32_t data = 0;
      for (int k = 0; k < 4; ++k) {
        data = (data << 8) | key[next];
        next = (next + 1) % keyLength;
      }
      word ^= data;
    }
  }
  std::uint32_t left = 0;
  std::uint32_t right = 0;
  FillWithEncryptions(context, context.P, 18, left, right);
  for (auto& box : context.S) FillWithEncryptions(context, box, 256, left, right);
}

// The rounds alternate between the halves instead of swapping them.
void BlowfishEncryptBlock(const BlowfishContext& context, std::uint32_t& left,
                          std::uint32_t& right) {
  std::uint32_t l = left;
  std::uint32_t r = right;
  for (int i = 0; i < 16; i += 2) {
    l ^= context.P[i];
    r ^= Feistel(context, l);
    r ^= context.P[i + 1];
    l ^= Feistel(context, r);
  }
  left = r ^ context.P[17];
  right = l ^ context.P[16];
}

void BlowfishDecryptBlock(const BlowfishContext& context, std::uint32_t& left,
                          std::uint32_t& right) {
  std::uint32_t l = left;
  std::uint32_t r = right;
  for (int i = 17; i > 1; i -= 2) {
    l ^= context.P[i];
    r ^= Feistel(context, l);
    r ^= context.P[i - 1];
    l ^= Feistel(context, r);
  }
  left = r ^ context.P[0];
  right = l ^ context.P[1];
}
