// MD5 and the file digest against libcrypto's MD5 of the same bytes.
#include <gtest/gtest.h>
#include <openssl/md5.h>

#include <algorithm>
#include <random>
#include <string>

#include "crypto/md5.h"
#include "tests/crypto/byte_text.h"
#include "tests/support/temp_dir.h"

namespace {

std::string LibcryptoDigestText(const std::string& data) {
  unsigned char digest[MD5_DIGEST_LENGTH];
  MD5(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
  return UpperHex(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

// Lengths around the padding boundaries (55, 56, 63, 64 bytes) fed in pieces
// of many sizes.
TEST(MD5Libcrypto, AnyPieceSizesGiveTheWholeDigest) {
  std::mt19937 random(1321);
  for (std::size_t size : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
    const std::string data = RandomBytes(random, size);
    const std::string expected = LibcryptoDigestText(data);
    for (std::size_t piece = 1; piece <= 130; piece += 13) {
      MD5Context context;
      MD5Init(context);
      for (std::size_t at = 0; at < data.size(); at += piece) {
        MD5Update(context, data.data() + at, std::min(piece, data.size() - at));
      }
      std::uint8_t digest[16];
      MD5Final(digest, context);
      ASSERT_EQ(UpperHex(std::string_view(reinterpret_cast<char*>(digest), 16)), expected)
          << "size " << size << " piece " << piece;
    }
  }
}

// The 10240-byte read buffer holds the name and the first bytes; the digest
// must not show where the blocks were cut.
TEST(MD5Libcrypto, FilesAroundTheReadBufferBoundary) {
  TempDir dir;
  const std::string path = dir.File("Leser.DTA");
  const std::size_t first = 10240 - 9;  // 9: the name's length
  std::mt19937 random(10240);
  for (std::size_t size : {first - 1, first, first + 1, std::size_t{10240}, first + 10240,
                           first + 10241, std::size_t{3 * 10240 + 77}}) {
    const std::string contents = RandomBytes(random, size);
    WriteFileBytes(path, contents);
    EXPECT_EQ(MD5FileDigest(path), LibcryptoDigestText("leser.dta" + contents)) << size;
  }
}

}  // namespace
