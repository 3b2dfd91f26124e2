#include "dialog/download_sender.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "crypto/crc16.h"
#include "dialog/protocol.h"
#include "platform/platform.h"

namespace {

void AppendDataCrc(TransferRun& run, std::uint16_t crc) {
  const std::size_t endEntry = static_cast<std::size_t>(run.scriptPosition) + 1;
  if (run.script == nullptr || endEntry >= run.script->entries.size()) return;
  char crcText[8];
  std::snprintf(crcText, sizeof crcText, "%04x", crc);
  run.script->entries[endEntry] += crcText;
}

}  // namespace

// Every piece is one send; the last one is shorter than 512 bytes, empty when
// the size is a multiple of 512. A send counts as failed unless it reports the
// whole piece sent, so a send whose wait ran out ends the phase with 10053
// instead of leaving the failure to the next operation.
int SendDownload(KVSocket* channel, TransferRun& run) {
  std::FILE* file = OpenFile(run.sourceFile, "rb");
  if (file == nullptr) {
    if (run.verbose == 1) ConsoleWrite("Quelldatei auf Server nicht gefunden\n");
    return kSourceFileMissing;
  }
  char piece[kDownloadPieceSize];
  std::uint16_t crc = 0;
  long long sent = 0;
  for (;;) {
    const std::size_t n = std::fread(piece, 1, sizeof piece, file);
    crc = Crc16Block(piece, n, crc);
    const int length = static_cast<int>(n);
    if (KVSocketSend(channel, piece, length, 1) != length) break;
    sent += length;
    if (run.verbose == 1) ConsoleWrite("Bytes uebertragen: " + std::to_string(sent) + " \n");
    if (n != sizeof piece) {
      std::fclose(file);
      AppendDataCrc(run, crc);
      return 0;
    }
  }
  const int error = KVSocketLastError(channel);
  ConsolePrintf("Write Error: %d", error);
  std::fclose(file);
  return error;
}
