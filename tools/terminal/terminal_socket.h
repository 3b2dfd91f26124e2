// The simulator's network access: a listening TCP socket and its accepted
// connections. Every socket call of the simulator lives behind these
// functions, in one file per socket layer.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_SOCKET_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_SOCKET_H

#include <cstddef>
#include <cstdint>
#include <string>

using TerminalSocket = std::intptr_t;
constexpr TerminalSocket kNoTerminalSocket = -1;

// Results of ReceiveSome besides a positive byte count.
constexpr int kReceivePeerClosed = 0;
constexpr int kReceiveFailed = -1;
constexpr int kReceiveTimedOut = -2;
constexpr int kReceiveReset = -3;  // the peer reset the connection

// Starts the socket layer once per process; false when it cannot start.
bool StartSocketLayer();

// A socket listening on a dotted IPv4 address and port, or kNoTerminalSocket
// with a readable reason in error.
TerminalSocket ListenOn(const std::string& address, std::uint16_t port, std::string& error);

// Waits for the next connection; its peer's dotted address goes to peer.
TerminalSocket AcceptConnection(TerminalSocket listener, std::string& peer, std::string& error);

// Waits up to timeoutMs for data and reads what has arrived, at most size
// bytes: the count, or one of the kReceive codes.
int ReceiveSome(TerminalSocket connection, char* buffer, int size, int timeoutMs);

// Sends every byte; false when the connection failed on the way.
bool SendAll(TerminalSocket connection, const char* data, std::size_t length);

// Ends a connection the ordinary way (FIN) or with a reset (RST: linger
// time 0), and releases the socket.
void CloseConnection(TerminalSocket connection);
void ResetConnection(TerminalSocket connection);

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_SOCKET_H
