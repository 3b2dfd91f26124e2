// The far end of a channel under test: plain loopback sockets that listen,
// accept, write, read slowly or stay silent, as a terminal might.
#ifndef DATENSCHLEUSE_TESTS_CHANNEL_LOOPBACK_PEER_H
#define DATENSCHLEUSE_TESTS_CHANNEL_LOOPBACK_PEER_H

#include <cstdint>
#include <string>
#include <string_view>

// A descriptor closed when the object goes.
struct Descriptor {
  Descriptor() = default;
  explicit Descriptor(int value) : fd(value) {}
  ~Descriptor();
  Descriptor(Descriptor&& other) noexcept : fd(other.fd) { other.fd = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept;
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  void Close();
  int fd = -1;
};

// A socket bound to address with an ephemeral port, listening with backlog
// unless backlog is negative (bound only: connects are refused). A
// receiveBuffer above 0 limits the receive buffer of every accepted socket.
struct LoopbackListener {
  LoopbackListener(const char* address, int backlog, int receiveBuffer = 0);
  Descriptor socket;
  std::uint16_t port = 0;
};

// Accepts one connection within seconds; -1 when none came.
Descriptor AcceptPeer(const LoopbackListener& listener, int seconds);

// Starts a non-blocking connect and reports whether it completed within
// milliseconds. The socket is kept in connection.
bool ConnectsWithin(const char* address, std::uint16_t port, int milliseconds,
                    Descriptor& connection);

void WriteAll(int fd, std::string_view data);

// Reads exactly count bytes in pieces of at most piece bytes, pausing
// pauseMilliseconds between pieces. Returns what was read before the peer
// closed or count was reached.
std::string ReadSlowly(int fd, std::size_t count, std::size_t piece, int pauseMilliseconds);

// Closes with a reset instead of an orderly close.
void ResetConnection(Descriptor& connection);

#endif  // DATENSCHLEUSE_TESTS_CHANNEL_LOOPBACK_PEER_H
