#include "tests/channel/loopback_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

Descriptor::~Descriptor() {
  Close();
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    Close();
    fd = other.fd;
    other.fd = -1;
  }
  return *this;
}

void Descriptor::Close() {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

namespace {

sockaddr_in LoopbackAddress(const char* address, std::uint16_t port) {
  sockaddr_in record{};
  record.sin_family = AF_INET;
  record.sin_port = htons(port);
  record.sin_addr.s_addr = ::inet_addr(address);
  return record;
}

}  // namespace

LoopbackListener::LoopbackListener(const char* address, int backlog, int receiveBuffer)
    : socket(::socket(AF_INET, SOCK_STREAM, 0)) {
  if (receiveBuffer > 0) {
    ::setsockopt(socket.fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  }
  sockaddr_in record = LoopbackAddress(address, 0);
  if (::bind(socket.fd, reinterpret_cast<sockaddr*>(&record), sizeof record) != 0) return;
  if (backlog >= 0) ::listen(socket.fd, backlog);
  socklen_t size = sizeof record;
  ::getsockname(socket.fd, reinterpret_cast<sockaddr*>(&record), &size);
  port = ntohs(record.sin_port);
}

Descriptor AcceptPeer(const LoopbackListener& listener, int seconds) {
  pollfd entry{listener.socket.fd, POLLIN, 0};
  if (::poll(&entry, 1, seconds * 1000) != 1) return Descriptor{};
  return Descriptor{::accept(listener.socket.fd, nullptr, nullptr)};
}

bool ConnectsWithin(const char* address, std::uint16_t port, int milliseconds,
                    Descriptor& connection) {
  connection = Descriptor{::socket(AF_INET, SOCK_STREAM, 0)};
  ::fcntl(connection.fd, F_SETFL, O_NONBLOCK);
  sockaddr_in record = LoopbackAddress(address, port);
  if (::connect(connection.fd, reinterpret_cast<sockaddr*>(&record), sizeof record) == 0) {
    return true;
  }
  if (errno != EINPROGRESS) return false;
  pollfd entry{connection.fd, POLLOUT, 0};
  if (::poll(&entry, 1, milliseconds) != 1) return false;
  int pending = 0;
  socklen_t size = sizeof pending;
  ::getsockopt(connection.fd, SOL_SOCKET, SO_ERROR, &pending, &size);
  return pending == 0;
}

void WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (written <= 0) return;
    data.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::string ReadSlowly(int fd, std::size_t count, std::size_t piece, int pauseMilliseconds) {
  timeval patience{5, 0};  // a sender that has stopped must not hang the test
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  std::string data;
  std::string chunk(piece, '\0');
  while (data.size() < count) {
    const ssize_t got = ::recv(fd, chunk.data(), std::min(piece, count - data.size()), 0);
    if (got <= 0) break;
    data.append(chunk.data(), static_cast<std::size_t>(got));
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMilliseconds));
  }
  return data;
}

void ResetConnection(Descriptor& connection) {
  linger abort{1, 0};
  ::setsockopt(connection.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  connection.Close();
}
