// CRC-16/ARC (polynomial 0x8005 reflected as 0xA001, initial value as given,
// no final XOR), computed bit by bit. Check value: "123456789" gives 0xBB3D.
#ifndef DATENSCHLEUSE_CRYPTO_CRC16_H
#define DATENSCHLEUSE_CRYPTO_CRC16_H

#include <cstddef>
#include <cstdint>
#include <string>

// One byte's step.
std::uint16_t Crc16Byte(std::uint8_t data, std::uint16_t crc);

// The CRC after the last of length bytes, starting from start; continues a
// previous run when start is that run's result. A length of 0 returns start.
std::uint16_t Crc16Block(const void* data, std::size_t length, std::uint16_t start);

// The CRC as the tool writes it into its commands: four lower-case hex digits
// with leading zeros ("%04x").
std::string Crc16Text(std::uint16_t crc);

// The CRC as an upload trailer carries it: four upper-case hex digits.
std::string Crc16TrailerText(std::uint16_t crc);

#endif  // DATENSCHLEUSE_CRYPTO_CRC16_H
