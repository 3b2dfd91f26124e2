// The download data phase: streams the server file run.sourceFile to the
// terminal in 512-byte pieces and appends the data CRC to the download end
// entry that follows the download start entry at run.scriptPosition.
#ifndef DATENSCHLEUSE_DIALOG_DOWNLOAD_SENDER_H
#define DATENSCHLEUSE_DIALOG_DOWNLOAD_SENDER_H

#include "channel/kv_socket.h"
#include "session/transfer_run.h"

// Result when the server file cannot be opened.
constexpr int kSourceFileMissing = 99;

// Returns 0 when every byte went out and the CRC was appended; 99 when the
// file cannot be opened; the channel's last error when a send fails (the end
// entry then gets no CRC).
int SendDownload(KVSocket* channel, TransferRun& run);

#endif  // DATENSCHLEUSE_DIALOG_DOWNLOAD_SENDER_H
