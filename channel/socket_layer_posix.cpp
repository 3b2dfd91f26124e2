// The socket layer over POSIX sockets. Waits use poll, which, unlike select,
// takes descriptors of any number.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>

#include "channel/socket_layer.h"
#include "channel/wsa_errors_posix.h"

namespace {

thread_local int lastLayerError = 0;

// Records the current errno as the layer's code; returns the code.
int RecordErrno() {
  lastLayerError = WsaErrorFromErrno(errno);
  return lastLayerError;
}

int Descriptor(SocketHandle socket) {
  return static_cast<int>(socket);
}

sockaddr_in ToSockaddr(const SocketDestination& destination) {
  sockaddr_in record{};
  record.sin_family = AF_INET;
  record.sin_port = htons(destination.port);
  record.sin_addr.s_addr = destination.address;
  return record;
}

// Polls for events until one comes or seconds have passed. A signal that
// interrupts the wait does not end it early.
int WaitFor(SocketHandle socket, short events, int seconds) {
  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() + std::chrono::seconds(seconds < 0 ? 0 : seconds);
  for (;;) {
    const long long left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    const int slice = static_cast<int>(left <= 0 ? 0 : (left > INT_MAX ? INT_MAX : left));
    pollfd entry{Descriptor(socket), events, 0};
    const int ready = ::poll(&entry, 1, slice);
    if (ready > 0) {
      if (entry.revents & POLLNVAL) {
        lastLayerError = WsaErrorFromErrno(ENOTSOCK);
        return kWaitFailed;
      }
      return kWaitReady;  // POLLERR and POLLHUP too: the next call reads the failure
    }
    if (ready == 0) {
      if (Clock::now() >= end) return kWaitTimedOut;
      continue;  // the slice was capped below the time left
    }
    if (errno != EINTR) {
      RecordErrno();
      return kWaitFailed;
    }
  }
}

}  // namespace

std::time_t SocketNow() {
  return std::time(nullptr);
}

int SocketLayerStart() {
  return 0;
}  // POSIX sockets need no start-up

int SocketLastError() {
  return lastLayerError;
}

SocketHandle SocketCreateStream() {
  int type = SOCK_STREAM;
#ifdef SOCK_CLOEXEC
  type |= SOCK_CLOEXEC;  // programs started later must not inherit the connection
#endif
  const int descriptor = ::socket(AF_INET, type, 0);
  if (descriptor < 0) {
    RecordErrno();
    return kNoSocket;
  }
#ifdef SO_NOSIGPIPE
  // Systems without MSG_NOSIGNAL keep SIGPIPE away per socket.
  const int on = 1;
  ::setsockopt(descriptor, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
  // A command that follows a partial data piece goes out at once instead of
  // waiting for the terminal's delayed acknowledgement. Best effort: without
  // it the dialog is slower, not wrong.
  const int noDelay = 1;
  ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
  return descriptor;
}

bool SocketSetNonBlocking(SocketHandle socket) {
  const int flags = ::fcntl(Descriptor(socket), F_GETFL);
  if (flags < 0 || ::fcntl(Descriptor(socket), F_SETFL, flags | O_NONBLOCK) < 0) {
    RecordErrno();
    return false;
  }
  return true;
}

bool SocketConnect(SocketHandle socket, const SocketDestination& destination) {
  const sockaddr_in record = ToSockaddr(destination);
  if (::connect(Descriptor(socket), reinterpret_cast<const sockaddr*>(&record), sizeof record) <
      0) {
    RecordErrno();  // EINPROGRESS becomes the would-block code
    return false;
  }
  return true;
}

int SocketWaitWritable(SocketHandle socket, int seconds) {
  return WaitFor(socket, POLLOUT, seconds);
}

int SocketWaitReadable(SocketHandle socket, int seconds) {
  return WaitFor(socket, POLLIN, seconds);
}

int SocketPendingError(SocketHandle socket) {
  int pending = 0;
  socklen_t size = sizeof pending;
  if (::getsockopt(Descriptor(socket), SOL_SOCKET, SO_ERROR, &pending, &size) < 0) {
    return RecordErrno();
  }
  if (pending == 0) return 0;
  lastLayerError = WsaErrorFromErrno(pending);
  return lastLayerError;
}

int SocketSendTo(SocketHandle socket, const char* data, int length, const SocketDestination&) {
  // A connected stream takes no destination; BSD systems even refuse one
  // (EISCONN), so none is passed.
  int flags = 0;
#ifdef MSG_NOSIGNAL
  flags |= MSG_NOSIGNAL;
#endif
  for (;;) {
    const ssize_t sent = ::send(Descriptor(socket), data, static_cast<size_t>(length), flags);
    if (sent >= 0) return static_cast<int>(sent);
    if (errno != EINTR) {
      RecordErrno();
      return -1;
    }
  }
}

int SocketReceiveFrom(SocketHandle socket, char* buffer, int length) {
  for (;;) {
    const ssize_t received = ::recv(Descriptor(socket), buffer, static_cast<size_t>(length), 0);
    if (received >= 0) return static_cast<int>(received);
    if (errno != EINTR) {
      RecordErrno();
      return -1;
    }
  }
}

bool SocketCloseHandle(SocketHandle socket) {
  // On an interrupted close the descriptor is already released; closing it
  // again could hit a descriptor opened meanwhile.
  if (::close(Descriptor(socket)) < 0 && errno != EINTR) {
    RecordErrno();
    return false;
  }
  return true;
}

int SocketResolveHost(const char* name, std::uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICHOST;  // a dotted address first: no lookup at all
  addrinfo* found = nullptr;
  int result = ::getaddrinfo(name, nullptr, &hints, &found);
  if (result != 0) {
    hints.ai_flags = 0;
    result = ::getaddrinfo(name, nullptr, &hints, &found);
  }
  if (result != 0) {
    lastLayerError = WsaErrorFromResolver(result, errno);
    return lastLayerError;
  }
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(found);
  return 0;
}

std::uint32_t SocketParseDottedAddress(const char* text) {
  const in_addr_t parsed = ::inet_addr(text);
  return parsed == INADDR_NONE ? kNoDottedAddress : static_cast<std::uint32_t>(parsed);
}
