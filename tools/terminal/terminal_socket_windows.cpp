// Windows Sockets for the simulator.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "tools/terminal/terminal_socket.h"

namespace {

SOCKET Native(TerminalSocket s) {
  return static_cast<SOCKET>(s);
}

std::string Reason(const char* call) {
  return std::string(call) + ": Windows Sockets error " + std::to_string(::WSAGetLastError());
}

}  // namespace

bool StartSocketLayer() {
  static bool started = false;
  if (!started) {
    WSADATA details;
    started = ::WSAStartup(MAKEWORD(2, 2), &details) == 0;
  }
  return started;
}

TerminalSocket ListenOn(const std::string& address, std::uint16_t port, std::string& error) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = ::htons(port);
  if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
    error = "not a dotted IPv4 address: " + address;
    return kNoTerminalSocket;
  }
  const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener == INVALID_SOCKET) {
    error = Reason("socket");
    return kNoTerminalSocket;
  }
  // No SO_REUSEADDR: on Windows it would let two simulators share a port,
  // and a listening socket binds past old connections in TIME_WAIT anyway.
  if (::bind(listener, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    error = Reason("bind");
    ::closesocket(listener);
    return kNoTerminalSocket;
  }
  if (::listen(listener, 8) != 0) {
    error = Reason("listen");
    ::closesocket(listener);
    return kNoTerminalSocket;
  }
  return static_cast<TerminalSocket>(listener);
}

TerminalSocket AcceptConnection(TerminalSocket listener, std::string& peer, std::string& error) {
  for (;;) {
    sockaddr_in remote{};
    int length = sizeof remote;
    const SOCKET accepted =
        ::accept(Native(listener), reinterpret_cast<sockaddr*>(&remote), &length);
    if (accepted != INVALID_SOCKET) {
      char text[INET_ADDRSTRLEN] = {};
      ::inet_ntop(AF_INET, &remote.sin_addr, text, sizeof text);
      peer = text;
      return static_cast<TerminalSocket>(accepted);
    }
    if (::WSAGetLastError() != WSAECONNRESET) {  // a client that gave up before the accept
      error = Reason("accept");
      return kNoTerminalSocket;
    }
  }
}

int ReceiveSome(TerminalSocket connection, char* buffer, int size, int timeoutMs) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Native(connection), &readable);
  timeval limit;
  limit.tv_sec = timeoutMs / 1000;
  limit.tv_usec = (timeoutMs % 1000) * 1000;
  const int ready = ::select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit);
  if (ready == 0) return kReceiveTimedOut;
  if (ready == SOCKET_ERROR) return kReceiveFailed;
  const int n = ::recv(Native(connection), buffer, size, 0);
  if (n == SOCKET_ERROR) {
    return ::WSAGetLastError() == WSAECONNRESET ? kReceiveReset : kReceiveFailed;
  }
  return n;
}

bool SendAll(TerminalSocket connection, const char* data, std::size_t length) {
  while (length > 0) {
    const int piece = length > 65536 ? 65536 : static_cast<int>(length);
    const int n = ::send(Native(connection), data, piece, 0);
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

void CloseConnection(TerminalSocket connection) {
  ::closesocket(Native(connection));
}

void ResetConnection(TerminalSocket connection) {
  linger immediately{};
  immediately.l_onoff = 1;
  immediately.l_linger = 0;
  ::setsockopt(Native(connection), SOL_SOCKET, SO_LINGER,
               reinterpret_cast<const char*>(&immediately), sizeof immediately);
  ::closesocket(Native(connection));
}
