// The socket layer over Windows Sockets 1.1. The calls and their arguments
// are the ones the channel has always made on Windows, so the numbers it
// reports are the system's own.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>

#include <cstring>

#include "channel/socket_layer.h"

namespace {

// select's first argument: Windows ignores it; kept at the value the channel
// has always passed.
constexpr int kSelectWidth = 64;

// The code of this layer's last failing call, taken with WSAGetLastError
// right after it, so that later calls (a close after a failure) cannot
// overwrite it.
thread_local int lastLayerError = 0;

int RecordLastError() {
  lastLayerError = ::WSAGetLastError();
  return lastLayerError;
}

SOCKET Native(SocketHandle socket) {
  return static_cast<SOCKET>(socket);
}

// The destination record: family 2, the port in network byte order, the
// address, 8 zero bytes.
sockaddr_in ToSockaddr(const SocketDestination& destination) {
  sockaddr_in record;
  std::memset(&record, 0, sizeof record);
  record.sin_family = AF_INET;
  record.sin_port = ::htons(destination.port);
  record.sin_addr.s_addr = destination.address;
  return record;
}

// Waits with select on one socket in either the read or the write set. A
// failed connection attempt never makes the socket writable on Windows; it
// shows in the exception set, which a write wait watches too, so the attempt
// ends as soon as it has failed instead of when the time-out runs out (the
// caller then finds the failure with SocketPendingError).
int WaitFor(SocketHandle socket, bool forWriting, int seconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(Native(socket), &set);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(Native(socket), &failed);
  timeval limit;
  limit.tv_sec = seconds < 0 ? 0 : seconds;
  limit.tv_usec = 0;
  const int ready = forWriting ? ::select(kSelectWidth, nullptr, &set, &failed, &limit)
                               : ::select(kSelectWidth, &set, nullptr, nullptr, &limit);
  if (ready == SOCKET_ERROR) {
    RecordLastError();
    return kWaitFailed;
  }
  return ready > 0 ? kWaitReady : kWaitTimedOut;
}

}  // namespace

std::time_t SocketNow() {
  return std::time(nullptr);
}

int SocketLayerStart() {
  WSADATA details;
  return ::WSAStartup(MAKEWORD(1, 1), &details);  // the code comes back directly
}

int SocketLastError() {
  return lastLayerError;
}

SocketHandle SocketCreateStream() {
  const SOCKET created = ::socket(AF_INET, SOCK_STREAM, 0);
  if (created == INVALID_SOCKET) {
    RecordLastError();
    return kNoSocket;
  }
  // A command that follows a partial data piece goes out at once instead of
  // waiting for the terminal's delayed acknowledgement. Best effort: without
  // it the dialog is slower, not wrong.
  const BOOL noDelay = TRUE;
  ::setsockopt(created, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
  return static_cast<SocketHandle>(created);
}

bool SocketSetNonBlocking(SocketHandle socket) {
  u_long on = 1;
  if (::ioctlsocket(Native(socket), FIONBIO, &on) == SOCKET_ERROR) {
    RecordLastError();
    return false;
  }
  return true;
}

bool SocketConnect(SocketHandle socket, const SocketDestination& destination) {
  const sockaddr_in record = ToSockaddr(destination);
  if (::connect(Native(socket), reinterpret_cast<const sockaddr*>(&record), sizeof record) ==
      SOCKET_ERROR) {
    RecordLastError();  // WSAEWOULDBLOCK while the connection is being made
    return false;
  }
  return true;
}

int SocketWaitWritable(SocketHandle socket, int seconds) {
  return WaitFor(socket, true, seconds);
}

int SocketWaitReadable(SocketHandle socket, int seconds) {
  return WaitFor(socket, false, seconds);
}

int SocketPendingError(SocketHandle socket) {
  int pending = 0;
  int size = sizeof pending;
  if (::getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending),
                   &size) == SOCKET_ERROR) {
    return RecordLastError();
  }
  if (pending != 0) lastLayerError = pending;  // already a Windows Sockets number
  return pending;
}

int SocketSendTo(SocketHandle socket, const char* data, int length,
                 const SocketDestination& destination) {
  // A connected stream socket takes no notice of the destination.
  const sockaddr_in record = ToSockaddr(destination);
  const int sent = ::sendto(Native(socket), data, length, 0,
                            reinterpret_cast<const sockaddr*>(&record), sizeof record);
  if (sent == SOCKET_ERROR) {
    RecordLastError();
    return -1;
  }
  return sent;
}

int SocketReceiveFrom(SocketHandle socket, char* buffer, int length) {
  const int received = ::recvfrom(Native(socket), buffer, length, 0, nullptr, nullptr);
  if (received == SOCKET_ERROR) {
    RecordLastError();
    return -1;
  }
  return received;
}

bool SocketCloseHandle(SocketHandle socket) {
  if (::closesocket(Native(socket)) == SOCKET_ERROR) {
    RecordLastError();
    return false;
  }
  return true;
}

int SocketResolveHost(const char* name, std::uint32_t& address) {
  // gethostbyname gives a dotted address back as it is, without a lookup.
  const hostent* entry = ::gethostbyname(name);
  if (entry == nullptr) return RecordLastError();
  if (entry->h_addrtype != AF_INET || entry->h_length != 4 || entry->h_addr_list[0] == nullptr) {
    lastLayerError = WSANO_DATA;  // a name without an IPv4 address
    return lastLayerError;
  }
  std::memcpy(&address, entry->h_addr_list[0], sizeof address);
  return 0;
}

std::uint32_t SocketParseDottedAddress(const char* text) {
  const unsigned long parsed = ::inet_addr(text);
  return parsed == INADDR_NONE ? kNoDottedAddress : static_cast<std::uint32_t>(parsed);
}
