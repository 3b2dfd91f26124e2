#include "dialog/download_sender.h"

#include <cstdio>

#include "crypto/crc16.h"
#include "dialog/dialog_texts.h"
#include "dialog/protocol.h"
#include "platform/platform.h"

// Every piece is one send; the last one is shorter than 512 bytes, empty when
// the size is a multiple of 512. A send counts as failed unless it reports the
// whole piece sent, so a send whose wait ran out ends the phase with 10053
// instead of leaving the failure to the next operation.
DownloadSent SendDownload(KVSocket* channel, std::string_view sourceFile,
                          const VerboseSink& verbose) {
  DownloadSent sent;
  std::FILE* file = OpenFile(sourceFile, "rb");
  if (file == nullptr) {
    VerboseWrite(verbose, kSourceMissingText);
    sent.result = kSourceFileMissing;
    return sent;
  }
  char piece[kDownloadPieceSize];
  long long count = 0;
  for (;;) {
    const std::size_t n = std::fread(piece, 1, sizeof piece, file);
    sent.crc = Crc16Block(piece, n, sent.crc);
    const int length = static_cast<int>(n);
    if (KVSocketSend(channel, piece, length, 1) != length) break;
    count += length;
    VerbosePrintf(verbose, kBytesSentFormat, count);
    if (n != sizeof piece) {
      std::fclose(file);
      return sent;
    }
  }
  sent.result = KVSocketLastError(channel);
  ConsolePrintf(kWriteErrorFormat, sent.result);
  std::fclose(file);
  return sent;
}
