#include <algorithm>
#include <cstring>

#include "channel/scripted_terminal.h"
#include "channel/socket_layer.h"

namespace {

constexpr SocketHandle kTheSocket = 7;
int lastError = 0;

int Fail(int code) {
  lastError = code;
  return -1;
}

bool PieceDue(const ScriptedTerminal& peer) {
  return peer.next < peer.pieces.size() &&
         peer.pieces[peer.next].commandsBefore <= peer.commandsSent;
}

}  // namespace

ScriptedTerminal& TheScriptedTerminal() {
  static ScriptedTerminal peer;
  return peer;
}

int SocketLayerStart() {
  ++TheScriptedTerminal().layerStarts;
  return 0;
}
int SocketLastError() {
  return lastError;
}

SocketHandle SocketCreateStream() {
  ++TheScriptedTerminal().opened;
  return kTheSocket;
}

bool SocketSetNonBlocking(SocketHandle) {
  return true;
}

bool SocketConnect(SocketHandle, const SocketDestination&) {
  lastError = kWsaEwouldblock;
  return false;
}

int SocketWaitWritable(SocketHandle, int) {
  return kWaitReady;
}

// Ready when a piece is due or the terminal has nothing more to say (it has
// closed); otherwise the wait runs out.
int SocketWaitReadable(SocketHandle, int) {
  const ScriptedTerminal& peer = TheScriptedTerminal();
  if (PieceDue(peer) || peer.next >= peer.pieces.size()) return kWaitReady;
  return kWaitTimedOut;
}

int SocketPendingError(SocketHandle) {
  return 0;
}

int SocketSendTo(SocketHandle, const char* data, int length, const SocketDestination&) {
  ScriptedTerminal& peer = TheScriptedTerminal();
  for (int i = 0; i < length; ++i) {
    const bool lineEnd = data[i] == '\n' && !peer.sent.empty() && peer.sent.back() == '\r';
    peer.sent += data[i];
    if (lineEnd) ++peer.commandsSent;
  }
  return length;
}

// One call delivers the due piece, or as much of it as fits; 0 once the
// script is done (the terminal closed).
int SocketReceiveFrom(SocketHandle, char* buffer, int length) {
  ScriptedTerminal& peer = TheScriptedTerminal();
  if (peer.next >= peer.pieces.size()) return 0;
  if (!PieceDue(peer)) return Fail(kWsaEwouldblock);
  const std::string& bytes = peer.pieces[peer.next].bytes;
  const std::size_t count = std::min(bytes.size() - peer.offset, static_cast<std::size_t>(length));
  std::memcpy(buffer, bytes.data() + peer.offset, count);
  peer.offset += count;
  if (peer.offset == bytes.size()) {
    ++peer.next;
    peer.offset = 0;
  }
  return static_cast<int>(count);
}

bool SocketCloseHandle(SocketHandle) {
  ++TheScriptedTerminal().closed;
  return true;
}

int SocketResolveHost(const char*, std::uint32_t& address) {
  address = 0x0100007Fu;
  return 0;
}

std::uint32_t SocketParseDottedAddress(const char*) {
  return 0x0100007Fu;
}
