// One accepted connection as the terminal reads it: command lines ending in
// LF, and runs of raw data bytes, from one buffer of bytes that have arrived
// but are not used yet.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_CONNECTION_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_CONNECTION_H

#include <cstdint>
#include <functional>
#include <string>

#include "tools/terminal/terminal_socket.h"

constexpr std::size_t kCommandLineLimit = 4096;

struct TerminalConnection {
  TerminalSocket socket = kNoTerminalSocket;
  std::string pending;  // bytes received and not yet taken
};

enum class ReadOutcome { kRead, kPeerClosed, kPeerReset, kTimedOut, kFailed, kTooLong };

// One line up to and including its LF, at most kCommandLineLimit bytes. Each
// wait for more bytes lasts at most timeoutMs.
ReadOutcome ReadCommandLine(TerminalConnection& connection, std::string& line, int timeoutMs);

// Exactly count bytes, handed to sink piece by piece as they arrive; received
// tells how many arrived when the read ends early.
ReadOutcome ReadDataBytes(TerminalConnection& connection, std::int64_t count, int timeoutMs,
                          const std::function<void(const char*, std::size_t)>& sink,
                          std::int64_t& received);

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_CONNECTION_H
