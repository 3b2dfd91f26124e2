#include "crypto/crc16.h"

#include <cstdio>

#include "text/ascii_case.h"

// Feeding the data byte into the low bits first and then testing only the
// value's low bit equals comparing bit by bit with the data byte, and leaves
// one dependency per bit: shift and conditional XOR, which compilers turn
// into a conditional move rather than a branch.
std::uint16_t Crc16Byte(std::uint8_t data, std::uint16_t crc) {
  unsigned value = crc ^ data;
  for (int bit = 0; bit < 8; ++bit) value = (value & 1u) ? (value >> 1) ^ 0xA001u : value >> 1;
  return static_cast<std::uint16_t>(value);
}

std::uint16_t Crc16Block(const void* data, std::size_t length, std::uint16_t start) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::uint16_t crc = start;
  for (std::size_t i = 0; i < length; ++i) crc = Crc16Byte(bytes[i], crc);
  return crc;
}

std::string Crc16Text(std::uint16_t crc) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(crc));
  return text;
}

std::string Crc16TrailerText(std::uint16_t crc) {
  std::string text = Crc16Text(crc);
  return ToUpperInPlace(text);
}
