// The socket calls the channel makes, one implementation per socket layer
// (socket_layer_posix.cpp, socket_layer_windows.cpp). The channel's logic in
// kv_socket.cpp sees only these functions.
//
// Every failing call leaves its code for SocketLastError, always as a Windows
// Sockets error number, whatever the layer underneath numbers it. Waits take
// whole seconds; a negative count waits not at all.
#ifndef DATENSCHLEUSE_CHANNEL_SOCKET_LAYER_H
#define DATENSCHLEUSE_CHANNEL_SOCKET_LAYER_H

#include <cstdint>
#include <ctime>

#include "channel/kv_socket.h"

// The IPv4 destination of a connection: the address in network byte order,
// the port in host byte order.
struct SocketDestination {
  std::uint32_t address;
  std::uint16_t port;
};

// What SocketParseDottedAddress gives for a text that is no dotted address.
constexpr std::uint32_t kNoDottedAddress = 0xFFFFFFFFu;

// Readiness of a wait.
constexpr int kWaitReady = 1;     // ready, or a pending failure is waiting to be read
constexpr int kWaitTimedOut = 0;  // the time ran out
constexpr int kWaitFailed = -1;   // the wait itself failed (SocketLastError)

// The clock of the channel's deadlines, in whole seconds: the wall clock,
// or the scripted terminal's own.
std::time_t SocketNow();

// Starts the socket layer for the process (version 1.1 where it has versions).
// Returns 0 or the layer's code.
int SocketLayerStart();

// The code left by the last failing call of this layer on this thread.
int SocketLastError();

// A new IPv4 stream socket, or kNoSocket. A send on it never raises a signal.
SocketHandle SocketCreateStream();

bool SocketSetNonBlocking(SocketHandle socket);

// Starts a connection. False when the call failed; SocketLastError then gives
// kWsaEwouldblock while the connection is still being made.
bool SocketConnect(SocketHandle socket, const SocketDestination& destination);

// Waits up to seconds for the socket to take data, or for a connection
// attempt to end either way.
int SocketWaitWritable(SocketHandle socket, int seconds);

// Waits up to seconds for data, for the peer's close, or for a failure.
int SocketWaitReadable(SocketHandle socket, int seconds);

// 0 when the connection that SocketConnect began has been made; otherwise
// the code of the failure that ended the attempt.
int SocketPendingError(SocketHandle socket);

// Hands data to a connected socket. Returns the count taken (possibly fewer
// than length), or -1 (kWsaEwouldblock when the send buffer is full).
int SocketSendTo(SocketHandle socket, const char* data, int length,
                 const SocketDestination& destination);

// Reads what has arrived, at most length bytes. Returns the count, 0 when the
// peer has closed its end, -1 on a failure (kWsaEwouldblock: nothing yet).
int SocketReceiveFrom(SocketHandle socket, char* buffer, int length);

// Releases the socket. False when closing reported a failure; the handle is
// gone in either case.
bool SocketCloseHandle(SocketHandle socket);

// Resolves a host name or a dotted address (which yields itself without a
// lookup) to its first IPv4 address. Returns 0 or the layer's code.
int SocketResolveHost(const char* name, std::uint32_t& address);

// Converts a dotted numeric address text to an address in network byte
// order, or kNoDottedAddress.
std::uint32_t SocketParseDottedAddress(const char* text);

#endif  // DATENSCHLEUSE_CHANNEL_SOCKET_LAYER_H
