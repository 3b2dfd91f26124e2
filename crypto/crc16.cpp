#include "crypto/crc16.h"

std::uint16_t Crc16Byte(std::uint8_t data, std::uint16_t crc) {
  for (int bit = 0; bit < 8; ++bit) {
    // Branch-free step: the mask is all ones when the low bits differ.
    const auto mask = static_cast<std::uint16_t>(-((data ^ crc) & 1u));
    crc = static_cast<std::uint16_t>((crc >> 1) ^ (0xA001u & mask));
    data = static_cast<std::uint8_t>(data >> 1);
  }
  return crc;
}

std::uint16_t Crc16Block(const void* data, std::size_t length, std::uint16_t start) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::uint16_t crc = start;
  for (std::size_t i = 0; i < length; ++i) crc = Crc16Byte(bytes[i], crc);
  return crc;
}
