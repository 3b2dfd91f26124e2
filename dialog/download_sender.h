// The download data phase: streams a server file to the terminal in 512-byte
// pieces and reports the CRC of the bytes sent, which the engine appends to
// the download end entry.
#ifndef DATENSCHLEUSE_DIALOG_DOWNLOAD_SENDER_H
#define DATENSCHLEUSE_DIALOG_DOWNLOAD_SENDER_H

#include <cstdint>
#include <string_view>

#include "channel/kv_socket.h"
#include "platform/verbose.h"

// Result when the server file cannot be opened.
constexpr int kSourceFileMissing = 99;

struct DownloadSent {
  int result = 0;         // 0, kSourceFileMissing or the channel's last error
  std::uint16_t crc = 0;  // CRC-16 of every byte sent; meaningful with result 0
};

// Sends sourceFile whole. result is 0 when every byte went out; 99 when the
// file cannot be opened; the channel's last error when a send fails (then
// "Write Error: N" is printed).
DownloadSent SendDownload(KVSocket* channel, std::string_view sourceFile,
                          const VerboseSink& verbose);

#endif  // DATENSCHLEUSE_DIALOG_DOWNLOAD_SENDER_H
