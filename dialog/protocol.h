// Fixed values and texts of the terminal protocol.
#ifndef DATENSCHLEUSE_DIALOG_PROTOCOL_H
#define DATENSCHLEUSE_DIALOG_PROTOCOL_H

#include <cstdint>

constexpr std::uint16_t kTerminalPort = 5010;
constexpr int kTerminalTimeoutSeconds = 30;
constexpr int kReplyLimit = 2000;  // bytes of one reply read
constexpr int kReplyMinimum = 3;   // a reply code has three characters
constexpr int kDownloadPieceSize = 512;

#endif  // DATENSCHLEUSE_DIALOG_PROTOCOL_H
