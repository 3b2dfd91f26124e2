// POSIX sockets for the simulator.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/terminal/terminal_socket.h"

namespace {

int Fd(TerminalSocket s) {
  return static_cast<int>(s);
}

std::string Reason(const char* call) {
  return std::string(call) + ": " + std::strerror(errno);
}

}  // namespace

bool StartSocketLayer() {
  return true;
}

TerminalSocket ListenOn(const std::string& address, std::uint16_t port, std::string& error) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
    error = "not a dotted IPv4 address: " + address;
    return kNoTerminalSocket;
  }
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) {
    error = Reason("socket");
    return kNoTerminalSocket;
  }
  // A test that follows another on the same address must not wait for the
  // previous connection's TIME_WAIT.
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    error = Reason("bind");
    ::close(fd);
    return kNoTerminalSocket;
  }
  if (::listen(fd, 8) != 0) {
    error = Reason("listen");
    ::close(fd);
    return kNoTerminalSocket;
  }
  return fd;
}

TerminalSocket AcceptConnection(TerminalSocket listener, std::string& peer, std::string& error) {
  for (;;) {
    sockaddr_in remote{};
    socklen_t length = sizeof remote;
    const int fd = ::accept(Fd(listener), reinterpret_cast<sockaddr*>(&remote), &length);
    if (fd >= 0) {
      // Replies and upload frames go out at once, not after the client's
      // delayed acknowledgement of the previous segment.
      const int noDelay = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
      char text[INET_ADDRSTRLEN] = {};
      ::inet_ntop(AF_INET, &remote.sin_addr, text, sizeof text);
      peer = text;
      return fd;
    }
    if (errno != EINTR && errno != ECONNABORTED) {
      error = Reason("accept");
      return kNoTerminalSocket;
    }
  }
}

int ReceiveSome(TerminalSocket connection, char* buffer, int size, int timeoutMs) {
  pollfd entry{Fd(connection), POLLIN, 0};
  int ready = 0;
  do {
    ready = ::poll(&entry, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready == 0) return kReceiveTimedOut;
  if (ready < 0) return kReceiveFailed;
  ssize_t n = 0;
  do {
    n = ::recv(Fd(connection), buffer, static_cast<std::size_t>(size), 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return errno == ECONNRESET ? kReceiveReset : kReceiveFailed;
  return static_cast<int>(n);
}

bool SendAll(TerminalSocket connection, const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t n = ::send(Fd(connection), data, length, 0);  // SIGPIPE is ignored (PlatformInit)
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

void CloseConnection(TerminalSocket connection) {
  ::close(Fd(connection));
}

void ResetConnection(TerminalSocket connection) {
  const linger immediately{1, 0};
  ::setsockopt(Fd(connection), SOL_SOCKET, SO_LINGER, &immediately, sizeof immediately);
  ::close(Fd(connection));
}
