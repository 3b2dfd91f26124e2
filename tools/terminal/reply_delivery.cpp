#include "tools/terminal/reply_delivery.h"

#include <chrono>
#include <thread>

namespace {

void Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Pads the first line (before its CR LF, or the whole text) with dots.
void Oversize(std::string& reply) {
  std::size_t lineEnd = reply.find("\r\n");
  if (lineEnd == std::string::npos) lineEnd = reply.size();
  if (lineEnd < kOversizedLineLength) reply.insert(lineEnd, kOversizedLineLength - lineEnd, '.');
}

void EndConnection(Delivery& delivery, bool reset, const char* why) {
  LogLine(delivery.log, why);
  if (reset) {
    ResetConnection(delivery.connection.socket);
  } else {
    CloseConnection(delivery.connection.socket);
  }
  delivery.connection.socket = kNoTerminalSocket;
}

// Sends the bytes in the pieces the faults ask for; false when sending failed.
bool SendInPieces(Delivery& delivery, const std::vector<Fault>& faults, const std::string& reply) {
  std::size_t first = 0;
  std::size_t piece = 0;
  int piecePauseMs = delivery.pauseMs;
  bool pauseFirst = false;
  if (const Fault* split = FindFault(faults, FaultKind::kSplit)) first = split->value;
  if (const Fault* pieces = FindFault(faults, FaultKind::kPieces)) piece = pieces->value;
  if (const Fault* trickle = FindFault(faults, FaultKind::kTrickle)) {
    piece = 1;
    piecePauseMs = trickle->value;
    pauseFirst = true;  // a byte every so often, the first one too
  }
  const auto send = [&](std::size_t from, std::size_t length) {
    return SendAll(delivery.connection.socket, reply.data() + from, length);
  };
  std::size_t sent = 0;
  if (first > 0 && first < reply.size()) {
    if (!send(0, first)) return false;
    sent = first;
    LogLine(delivery.log, "! pause of " + std::to_string(delivery.pauseMs) +
                              " ms after the first " + std::to_string(first) + " bytes");
    Pause(delivery.pauseMs);
  }
  if (piece == 0) {
    if (!send(sent, reply.size() - sent)) return false;
  } else {
    LogLine(delivery.log, pauseFirst
                              ? "! sent one byte every " + std::to_string(piecePauseMs) + " ms"
                              : "! sent in pieces of " + std::to_string(piece) + " bytes, " +
                                    std::to_string(piecePauseMs) + " ms apart");
    while (sent < reply.size()) {
      if (sent > 0 || pauseFirst) Pause(piecePauseMs);
      const std::size_t length = std::min(piece, reply.size() - sent);
      if (!send(sent, length)) return false;
      sent += length;
    }
  }
  // A split reply's rest must not run together with the next reply.
  if (first > 0) Pause(delivery.pauseMs);
  return true;
}

}  // namespace

const Fault* FindFault(const std::vector<Fault>& faults, FaultKind kind) {
  for (const Fault& fault : faults) {
    if (fault.kind == kind) return &fault;
  }
  return nullptr;
}

bool DeliverReply(Delivery& delivery, const std::vector<Fault>& faults, std::string reply,
                  std::string_view logText) {
  for (const Fault& fault : faults) {
    if (fault.kind != FaultKind::kSilence) continue;
    LogLine(delivery.log, "! silence of " + std::to_string(fault.value) + " ms");
    Pause(fault.value);
  }
  if (FindFault(faults, FaultKind::kClose) != nullptr) {
    EndConnection(delivery, false, "! connection closed instead of the reply");
    return false;
  }
  if (FindFault(faults, FaultKind::kReset) != nullptr) {
    EndConnection(delivery, true, "! connection reset instead of the reply");
    return false;
  }
  if (FindFault(faults, FaultKind::kOversize) != nullptr) {
    Oversize(reply);
    LogLine(delivery.log,
            "! first line padded to " + std::to_string(kOversizedLineLength) + " bytes");
  }
  if (FindFault(faults, FaultKind::kNul) != nullptr && !reply.empty()) {
    reply[0] = '\0';
    LogLine(delivery.log, "! first byte replaced by NUL");
  }
  const Fault* cut = FindFault(faults, FaultKind::kCut);
  if (cut != nullptr && static_cast<std::size_t>(cut->value) < reply.size()) {
    reply.resize(static_cast<std::size_t>(cut->value));
  }

  LogLine(delivery.log, "> " + (logText.empty() ? Printable(reply) : std::string(logText)));
  if (!SendInPieces(delivery, faults, reply)) {
    EndConnection(delivery, false, "connection lost while sending");
    return false;
  }
  if (cut != nullptr) {
    EndConnection(delivery, false, "! connection closed after the reply's first bytes");
    return false;
  }
  if (FindFault(faults, FaultKind::kResetAfter) != nullptr) {
    EndConnection(delivery, true, "! connection reset after the reply");
    return false;
  }
  return true;
}
