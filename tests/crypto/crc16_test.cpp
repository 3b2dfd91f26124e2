#include "crypto/crc16.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// An independent CRC-16/ARC: table-driven, so a fault in the bitwise step
// shows as a difference.
std::uint16_t ReferenceCrc16(const std::vector<std::uint8_t>& data) {
  static const auto table = [] {
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
      unsigned v = i;
      for (int k = 0; k < 8; ++k) v = (v & 1) ? (v >> 1) ^ 0xA001u : v >> 1;
      t[i] = static_cast<std::uint16_t>(v);
    }
    return t;
  }();
  unsigned crc = 0;
  for (std::uint8_t b : data) crc = (crc >> 8) ^ table[(crc ^ b) & 0xFF];
  return static_cast<std::uint16_t>(crc);
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

TEST(Crc16, CheckValues) {
  struct Case {
    std::string input;
    std::string text;
  };
  const Case cases[] = {
      {"123456789", "bb3d"},          {"abc", "9738"},  {"A", "30c0"},   {"", "0000"},
      {std::string(1, '\0'), "0000"}, {"\x80", "a001"}, {"agh", "007a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Crc16Text(Crc16Block(c.input.data(), c.input.size(), 0)), c.text) << c.input;
  }
}

TEST(Crc16, TextsHaveFourDigitsInTheirCase) {
  EXPECT_EQ(Crc16Text(0x00AF), "00af");
  EXPECT_EQ(Crc16TrailerText(0x00AF), "00AF");
  EXPECT_EQ(Crc16TrailerText(0xBB3D), "BB3D");
}

TEST(Crc16, EmptyRunReturnsStartValue) {
  EXPECT_EQ(Crc16Block(nullptr, 0, 0x1234), 0x1234);
  EXPECT_EQ(Crc16Block("x", 0, 0xBEEF), 0xBEEF);
}

TEST(Crc16, MatchesTableDrivenReference) {
  for (std::size_t size : {1u, 7u, 512u, 4099u}) {
    const auto data = RandomBytes(size, static_cast<unsigned>(size));
    EXPECT_EQ(Crc16Block(data.data(), data.size(), 0), ReferenceCrc16(data)) << size;
  }
}

TEST(Crc16, ContinuationAtEverySplitPointEqualsWholeRun) {
  const auto data = RandomBytes(1500, 7);
  const std::uint16_t whole = Crc16Block(data.data(), data.size(), 0);
  for (std::size_t split = 0; split <= data.size(); ++split) {
    const std::uint16_t first = Crc16Block(data.data(), split, 0);
    ASSERT_EQ(Crc16Block(data.data() + split, data.size() - split, first), whole) << split;
  }
}

TEST(Crc16, ByteStepFeedsBlock) {
  const std::string text = "DOWNLOADFILE";
  std::uint16_t crc = 0;
  for (char c : text) crc = Crc16Byte(static_cast<std::uint8_t>(c), crc);
  EXPECT_EQ(crc, Crc16Block(text.data(), text.size(), 0));
}

}  // namespace
