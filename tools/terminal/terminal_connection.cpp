#include "tools/terminal/terminal_connection.h"

#include <algorithm>

namespace {

constexpr int kReadPiece = 65536;

// Appends what arrives next to pending.
ReadOutcome ReceiveMore(TerminalConnection& connection, int timeoutMs) {
  char buffer[kReadPiece];
  const int n = ReceiveSome(connection.socket, buffer, kReadPiece, timeoutMs);
  if (n == kReceivePeerClosed) return ReadOutcome::kPeerClosed;
  if (n == kReceiveTimedOut) return ReadOutcome::kTimedOut;
  if (n == kReceiveReset) return ReadOutcome::kPeerReset;
  if (n < 0) return ReadOutcome::kFailed;
  connection.pending.append(buffer, static_cast<std::size_t>(n));
  return ReadOutcome::kRead;
}

}  // namespace

ReadOutcome ReadCommandLine(TerminalConnection& connection, std::string& line, int timeoutMs) {
  std::size_t searched = 0;
  for (;;) {
    const std::size_t end = connection.pending.find('\n', searched);
    if (end != std::string::npos && end < kCommandLineLimit) {
      line = connection.pending.substr(0, end + 1);
      connection.pending.erase(0, end + 1);
      return ReadOutcome::kRead;
    }
    if (connection.pending.size() >= kCommandLineLimit) return ReadOutcome::kTooLong;
    searched = connection.pending.size();
    const ReadOutcome outcome = ReceiveMore(connection, timeoutMs);
    if (outcome != ReadOutcome::kRead) return outcome;
  }
}

ReadOutcome ReadDataBytes(TerminalConnection& connection, std::int64_t count, int timeoutMs,
                          const std::function<void(const char*, std::size_t)>& sink,
                          std::int64_t& received) {
  received = 0;
  for (;;) {
    const auto take = static_cast<std::size_t>(std::min<std::int64_t>(
        count - received, static_cast<std::int64_t>(connection.pending.size())));
    if (take > 0) {
      sink(connection.pending.data(), take);
      connection.pending.erase(0, take);
      received += static_cast<std::int64_t>(take);
    }
    if (received == count) return ReadOutcome::kRead;
    const ReadOutcome outcome = ReceiveMore(connection, timeoutMs);
    if (outcome != ReadOutcome::kRead) return outcome;
  }
}
