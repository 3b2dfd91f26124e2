// The dialog engine: connects to the terminal, walks the session script reply
// by reply, runs the data phases and leaves the run's result line.
#ifndef DATENSCHLEUSE_DIALOG_DIALOG_ENGINE_H
#define DATENSCHLEUSE_DIALOG_DIALOG_ENGINE_H

#include <cstddef>
#include <cstdint>
#include <limits>

#include "channel/kv_socket.h"
#include "dialog/protocol.h"
#include "session/transfer_run.h"

// Port and time-out of the dialog. The program always uses the fixed values;
// in-process tests may shorten the time-out.
struct DialogSettings {
  std::uint16_t port = kTerminalPort;
  int timeoutSeconds = kTerminalTimeoutSeconds;
  // Bytes an upload frame may take in memory; beyond it the upload ends as
  // when memory runs out. The program sets no limit of its own.
  std::size_t uploadMemoryLimit = std::numeric_limits<std::size_t>::max();
};

// Runs the whole dialog over a created channel. Returns 0 after a complete
// script, otherwise the code of the ending (reply code, socket error, 98, 99).
// When run.endProcess is set on return the process must end at once with -1.
int RunTerminalDialog(KVSocket* channel, TransferRun& run,
                      const DialogSettings& settings = DialogSettings{});

#endif  // DATENSCHLEUSE_DIALOG_DIALOG_ENGINE_H
