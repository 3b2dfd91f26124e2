// Windows Sockets for the simulator.
#include <winsock2.h>

#include "tools/terminal/terminal_socket.h"

namespace {

SOCKET Handle(TerminalSocket s) {
  return static_cast<SOCKET>(s);
}

std::string Reason(const char* call) {
  return std::string(call) + ": Windows Sockets error " + std::to_string(::WSAGetLastError());
}

}  // namespace

bool StartSocketLayer() {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

TerminalSocket ListenOn(const std::string& address, std::uint16_t port, std::string& error) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = ::htons(port);
  local.sin_addr.s_addr = ::inet_addr(address.c_str());
  if (local.sin_addr.s_addr == INADDR_NONE) {
    error = "not a dotted IPv4 address: " + address;
    return kNoTerminalSocket;
  }
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    error = Reason("socket");
    return kNoTerminalSocket;
  }
  // Windows lets a listening socket bind while old connections linger, so no
  // SO_REUSEADDR (which there would let a second listener take the port).
  if (::bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    error = Reason("bind");
    ::closesocket(s);
    return kNoTerminalSocket;
  }
  if (::listen(s, 8) != 0) {
    error = Reason("listen");
    ::closesocket(s);
    return kNoTerminalSocket;
  }
  return static_cast<TerminalSocket>(s);
}

TerminalSocket AcceptConnection(TerminalSocket listener, std::string& peer, std::string& error) {
  for (;;) {
    sockaddr_in remote{};
    int length = sizeof remote;
    const SOCKET s = ::accept(Handle(listener), reinterpret_cast<sockaddr*>(&remote), &length);
    if (s != INVALID_SOCKET) {
      // Replies and upload frames go out at once, not after the client's
      // delayed acknowledgement of the previous segment.
      const BOOL noDelay = TRUE;
      ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                   sizeof noDelay);
      peer = ::inet_ntoa(remote.sin_addr);
      return static_cast<TerminalSocket>(s);
    }
    if (::WSAGetLastError() != WSAECONNRESET) {
      error = Reason("accept");
      return kNoTerminalSocket;
    }
  }
}

int ReceiveSome(TerminalSocket connection, char* buffer, int size, int timeoutMs) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(connection), &readable);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  const int ready = ::select(0, &readable, nullptr, nullptr, &limit);
  if (ready == 0) return kReceiveTimedOut;
  if (ready < 0) return kReceiveFailed;
  const int n = ::recv(Handle(connection), buffer, size, 0);
  if (n < 0) return ::WSAGetLastError() == WSAECONNRESET ? kReceiveReset : kReceiveFailed;
  return n;
}

bool SendAll(TerminalSocket connection, const char* data, std::size_t length) {
  while (length > 0) {
    const int piece = length > 0x10000000 ? 0x10000000 : static_cast<int>(length);
    const int n = ::send(Handle(connection), data, piece, 0);
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

void CloseConnection(TerminalSocket connection) {
  ::closesocket(Handle(connection));
}

void ResetConnection(TerminalSocket connection) {
  const linger immediately{1, 0};
  ::setsockopt(Handle(connection), SOL_SOCKET, SO_LINGER,
               reinterpret_cast<const char*>(&immediately), sizeof immediately);
  ::closesocket(Handle(connection));
}
