// The terminal channel's logic, the same on every platform: tag checks, the
// connection's states, deadlines and the error codes. The socket calls
// themselves are in the socket layer.
#include "channel/kv_socket.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <new>

#include "channel/socket_layer.h"

namespace {

constexpr char kTag[9] = "KVSocket";
constexpr std::size_t kAddressTextMax = sizeof(KVSocket::addressText) - 1;
constexpr std::size_t kHostNameMax = sizeof(KVSocket::hostName) - 1;

// Program-wide channel state: the layer is started once and never shut down;
// the destination is shared, so one channel is open at a time.
int layerStarts = 0;
SocketDestination destination{};

bool TagMatches(const KVSocket* channel) {
  return channel != nullptr && std::memcmp(channel->tag, kTag, sizeof kTag) == 0;
}

int Record(KVSocket* channel, int code) {
  channel->lastError = code;
  return code;
}

// Records code and drops the socket; the object goes back to Addressed.
int FailAndClose(KVSocket* channel, int code) {
  Record(channel, code);
  SocketCloseHandle(channel->socketHandle);
  channel->socketHandle = kNoSocket;
  return code;
}

// Copies a text already known to fit into a zero-filled field.
template <std::size_t Size>
void StoreText(char (&field)[Size], const char* text, std::size_t length) {
  std::memset(field, 0, Size);
  std::memcpy(field, text, length);
}

// Whole seconds from now to the deadline, never negative.
int SecondsLeft(std::time_t deadline) {
  const std::time_t left = deadline - SocketNow();
  if (left <= 0) return 0;
  return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

std::time_t DeadlineAfter(int seconds) {
  return SocketNow() + seconds;
}

// A connection attempt that the peer or the network turned down. On Windows
// such an attempt never makes the socket writable and the open ends with the
// channel's time-out code; that code is reported here as soon as the failure
// is known.
bool IsFailedAttempt(int code) {
  switch (code) {
    case 10050:  // network down
    case 10051:  // network unreachable
    case 10052:  // network reset
    case 10053:  // aborted
    case 10054:  // reset
    case 10060:  // timed out
    case 10061:  // refused
    case 10064:  // host down
    case 10065:  // host unreachable
      return true;
    default:
      return false;
  }
}

// A reset is only ever reported for a connection that was made: an attempt
// that the peer turns down is refused, not reset.
constexpr int kWsaEconnreset = 10054;

// Waits for a connect that is under way. Returns 0 once connected. The
// outcome is the connect's alone: a terminal that accepts and resets at once
// has connected, and its reset is left for the next receive or send, as if it
// had come a moment later.
int AwaitConnection(KVSocket* channel) {
  const int ready = SocketWaitWritable(channel->socketHandle, channel->timeoutSeconds);
  if (ready == kWaitTimedOut) return FailAndClose(channel, kWsaEconnaborted);
  if (ready == kWaitFailed) return FailAndClose(channel, SocketLastError());
  // Writable also means that the attempt has ended in failure.
  const int pending = SocketPendingError(channel->socketHandle);
  if (pending == kWsaEconnreset) {
    channel->pendingReset = pending;
    return 0;
  }
  if (pending != 0) return FailAndClose(channel, kWsaEconnaborted);
  return 0;
}

// Reports a reset kept by the open: records it, drops the socket and returns
// true. False when there is none.
bool FailOnPendingReset(KVSocket* channel) {
  if (channel->pendingReset == 0) return false;
  FailAndClose(channel, channel->pendingReset);
  channel->pendingReset = 0;
  return true;
}

}  // namespace

KVSocket* KVSocketCreate(int* error) {
  errno = 0;
  KVSocket* channel = new (std::nothrow) KVSocket{};
  if (channel == nullptr) {
    if (error != nullptr) *error = errno != 0 ? errno : ENOMEM;
    return nullptr;
  }
  std::memcpy(channel->tag, kTag, sizeof kTag);
  channel->socketHandle = kNoSocket;
  if (layerStarts == 0) {
    const int code = SocketLayerStart();
    if (code != 0) {
      delete channel;
      if (error != nullptr) *error = code;
      return nullptr;
    }
    ++layerStarts;
  }
  return channel;
}

int KVSocketDestroy(KVSocket* channel) {
  if (!TagMatches(channel)) return kWsaEinval;
  KVSocketClose(channel);
  channel->tag[0] = '\0';  // a stale pointer then fails the tag check, where the memory survives
  delete channel;
  return 0;
}

int KVSocketSetAddress(KVSocket* channel, const char* addressText) {
  if (!TagMatches(channel)) return kWsaEinval;
  if (addressText == nullptr) return Record(channel, kWsaEinval);
  const std::size_t length = strnlen(addressText, kAddressTextMax + 1);
  if (length > kAddressTextMax) return Record(channel, kWsaEinval);
  const std::uint32_t address = SocketParseDottedAddress(addressText);
  if (address == kNoDottedAddress || address == 0) return Record(channel, kWsaEinval);
  channel->address = address;
  StoreText(channel->addressText, addressText, length);
  return 0;
}

int KVSocketSetHostName(KVSocket* channel, const char* hostName) {
  if (!TagMatches(channel)) return kWsaEinval;
  if (hostName == nullptr) return Record(channel, kWsaEinval);
  const std::size_t length = strnlen(hostName, kHostNameMax + 1);
  if (length > kHostNameMax) return Record(channel, kWsaEinval);
  std::uint32_t address = 0;
  const int code = SocketResolveHost(hostName, address);
  if (code != 0) return Record(channel, code);
  channel->address = address;
  StoreText(channel->hostName, hostName, length);
  return 0;
}

int KVSocketSetPort(KVSocket* channel, std::uint16_t port) {
  if (!TagMatches(channel)) return kWsaEinval;
  channel->port = port;
  return 0;
}

int KVSocketSetTimeout(KVSocket* channel, int seconds) {
  if (!TagMatches(channel)) return kWsaEinval;
  channel->timeoutSeconds = seconds;
  return 0;
}

// 0 once connected; otherwise the code, also in lastError. A socket left over
// from an earlier open whose non-blocking switch failed is released first.
int KVSocketOpen(KVSocket* channel) {
  if (!TagMatches(channel)) return kWsaEinval;
  if (channel->socketHandle != kNoSocket) KVSocketClose(channel);
  channel->pendingReset = 0;
  channel->socketHandle = SocketCreateStream();
  if (channel->socketHandle == kNoSocket) return Record(channel, SocketLastError());
  if (!SocketSetNonBlocking(channel->socketHandle)) return Record(channel, SocketLastError());
  if (channel->address == 0) return FailAndClose(channel, kWsaEaddrnotavail);
  destination = SocketDestination{channel->address, channel->port};
  if (!SocketConnect(channel->socketHandle, destination)) {
    const int code = Record(channel, SocketLastError());
    if (IsFailedAttempt(code)) return FailAndClose(channel, kWsaEconnaborted);
    if (code != kWsaEwouldblock) return FailAndClose(channel, code);
  }
  return AwaitConnection(channel);
}

int KVSocketClose(KVSocket* channel) {
  if (!TagMatches(channel)) return kWsaEinval;
  if (channel->socketHandle == kNoSocket) return 0;
  const bool closed = SocketCloseHandle(channel->socketHandle);
  channel->socketHandle = kNoSocket;
  channel->pendingReset = 0;
  return closed ? 0 : Record(channel, SocketLastError());
}

std::time_t KVSocketDeadline(const KVSocket* channel) {
  return DeadlineAfter(TagMatches(channel) ? channel->timeoutSeconds : 0);
}

int KVSocketReceive(KVSocket* channel, char* buffer, int length, int minimum) {
  if (!TagMatches(channel)) return -1;
  return KVSocketReceiveBefore(channel, buffer, length, minimum,
                               DeadlineAfter(channel->timeoutSeconds));
}

// Collects at least the smaller of length and minimum bytes before the
// deadline. A peer that closes its end ends the wait at once: it would only
// go on reading nothing until the deadline, which then returns the count
// gathered. Like a time-out, that leaves the socket open and lastError as it
// was.
int KVSocketReceiveBefore(KVSocket* channel, char* buffer, int length, int minimum,
                          std::time_t deadline) {
  if (!TagMatches(channel)) return -1;
  if (channel->socketHandle == kNoSocket) {
    Record(channel, kWsaEinval);
    return -1;
  }
  if (FailOnPendingReset(channel)) return -1;
  if (buffer == nullptr || length <= 0) return 0;  // no room to store anything
  const int required = minimum < length ? minimum : length;
  int count = 0;
  for (;;) {
    const int ready = SocketWaitReadable(channel->socketHandle, SecondsLeft(deadline));
    if (ready == kWaitTimedOut) return 0;  // bytes stored so far stay in the buffer
    if (ready == kWaitFailed) {
      FailAndClose(channel, SocketLastError());
      return -1;
    }
    const int received = SocketReceiveFrom(channel->socketHandle, buffer + count, length - count);
    if (received == 0) return count;  // the peer has closed
    if (received < 0 && SocketLastError() != kWsaEwouldblock) {
      FailAndClose(channel, SocketLastError());
      return -1;
    }
    if (received > 0) count += received;
    if (count >= required) return count;
    if (SocketNow() >= deadline) return count;
  }
}

// Hands over the whole buffer, waiting for room while the deadline allows.
// Returns length, 0 when the time ran out (10053, socket closed), -1 on a
// failure (socket closed).
int KVSocketSend(KVSocket* channel, const char* data, int length, int wait) {
  if (!TagMatches(channel)) return -1;
  if (channel->socketHandle == kNoSocket) {
    Record(channel, kWsaEinval);
    return -1;
  }
  if (FailOnPendingReset(channel)) return -1;
  const int total = (data == nullptr || length < 0) ? 0 : length;
  const std::time_t deadline = DeadlineAfter(channel->timeoutSeconds);
  int sent = 0;
  while (sent < total) {
    const int taken = SocketSendTo(channel->socketHandle, data + sent, total - sent, destination);
    if (taken > 0) {
      sent += taken;
      continue;
    }
    if (taken < 0 && SocketLastError() != kWsaEwouldblock) {
      FailAndClose(channel, SocketLastError());
      return -1;
    }
    // The send buffer is full: wait for room, but never past the deadline.
    const int ready = SocketNow() >= deadline
                          ? kWaitTimedOut
                          : SocketWaitWritable(channel->socketHandle, SecondsLeft(deadline));
    if (ready == kWaitTimedOut) {
      FailAndClose(channel, kWsaEconnaborted);
      return 0;
    }
    if (ready == kWaitFailed) {
      FailAndClose(channel, SocketLastError());
      return -1;
    }
  }
  if (wait == 0) return total;
  const int ready = SocketWaitWritable(channel->socketHandle, SecondsLeft(deadline));
  if (ready == kWaitTimedOut) {
    FailAndClose(channel, kWsaEconnaborted);
    return 0;
  }
  if (ready == kWaitFailed) {
    FailAndClose(channel, SocketLastError());
    return -1;
  }
  return total;
}

int KVSocketLastError(KVSocket* channel) {
  if (!TagMatches(channel)) return kWsaEinval;
  return channel->lastError;
}
