// The dialog engine: connects to the terminal, walks the session script reply
// by reply, runs the data phases and reports how the dialog ended. It reads
// what the driver gives it and writes only the script it walks (the
// download-all's entries, the data CRC of each download end entry); the
// driver writes the run's state from the outcome.
#ifndef DATENSCHLEUSE_DIALOG_DIALOG_ENGINE_H
#define DATENSCHLEUSE_DIALOG_DIALOG_ENGINE_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "channel/kv_socket.h"
#include "dialog/protocol.h"
#include "platform/verbose.h"
#include "session/command_script.h"

// Port and time-out of the dialog. The program always uses the fixed values;
// in-process tests may shorten the time-out.
struct DialogSettings {
  std::uint16_t port = kTerminalPort;
  int timeoutSeconds = kTerminalTimeoutSeconds;
  // Bytes an upload frame may take in memory; beyond it the upload ends as
  // when memory runs out. The program sets no limit of its own.
  std::size_t uploadMemoryLimit = std::numeric_limits<std::size_t>::max();
};

// What the dialog needs of the run; the texts are borrowed for the call.
struct DialogRequest {
  VerboseSink verbose;
  std::string_view transferType;  // "DNL", "DNLA" or "UPL"
  std::string_view terminalName;  // host name or dotted IPv4 address
  std::string_view sourceFile;  // DNL: the server file; DNLA: argument 3; UPL: the terminal's file
  std::string_view targetFile;  // UPL: the server file to write
};

// How the dialog ended.
struct DialogOutcome {
  // 0 after a complete script, otherwise the code of the ending (reply code,
  // socket error, 98, 99), or kExitCannotSize with endProcess.
  int code = 0;
  std::string resultText;  // the result line the dialog leaves; empty when it leaves none
  // The server file in hand at the ending: the request's sourceFile, or in a
  // download-all the listed file last taken up.
  std::string fileInHand;
  // The download-all directory once the list has been expanded; empty
  // before (and for the other types).
  std::string downloadAllDir;
  // A listed file could not be sized: the process must end at once with
  // kExitCannotSize, printing and recording nothing.
  bool endProcess = false;
};

// Runs the whole dialog over a created channel, which is closed when the
// dialog ends, on every path. script must hold the entries the driver
// decided; a script that is absent or lost an entry (memory ran out) ends the
// dialog as out of memory, before any network work.
DialogOutcome RunTerminalDialog(KVSocket* channel, const DialogRequest& request,
                                std::unique_ptr<CommandScript>& script,
                                const DialogSettings& settings = DialogSettings{});

#endif  // DATENSCHLEUSE_DIALOG_DIALOG_ENGINE_H
