// The terminal channel: one TCP connection to the terminal, every wait bounded
// by the object's time-out, every failure a Windows Sockets error number.
#ifndef DATENSCHLEUSE_CHANNEL_KV_SOCKET_H
#define DATENSCHLEUSE_CHANNEL_KV_SOCKET_H

#include <cstdint>
#include <ctime>

// The channel's own codes, and the would-block code left after a connect that
// had to wait. They reach the result line and the exit code.
constexpr int kWsaEinval = 10022;
constexpr int kWsaEwouldblock = 10035;
constexpr int kWsaEaddrnotavail = 10049;
constexpr int kWsaEconnaborted = 10053;

using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

struct KVSocket {
  char tag[9];                // "KVSocket"; every operation checks it
  SocketHandle socketHandle;  // open socket or kNoSocket
  std::int32_t lastError;     // code recorded by the last failing operation
  std::uint32_t address;      // IPv4, network byte order; 0 = none set
  char addressText[16];
  char hostName[256];
  std::uint16_t port;  // host byte order
  std::int32_t timeoutSeconds;
  // A reset that came before the open had looked at the connection: the
  // connection was made, so the open succeeds and the next receive or send
  // reports the reset. 0 when there is none.
  std::int32_t pendingReset;
};

KVSocket* KVSocketCreate(int* error);
int KVSocketDestroy(KVSocket* channel);
int KVSocketSetAddress(KVSocket* channel, const char* addressText);
int KVSocketSetHostName(KVSocket* channel, const char* hostName);
int KVSocketSetPort(KVSocket* channel, std::uint16_t port);
int KVSocketSetTimeout(KVSocket* channel, int seconds);
int KVSocketOpen(KVSocket* channel);
int KVSocketClose(KVSocket* channel);
// Bytes stored (positive); 0 when a wait ran out; -1 on an error. A peer that
// closes its end ends the wait at once with what the deadline would give: the
// bytes received before (possibly fewer than minimum), or 0 when there were
// none.
int KVSocketReceive(KVSocket* channel, char* buffer, int length, int minimum);
// The deadline of a wait that starts now: the current time plus the channel's
// time-out, in whole seconds of the wall clock (now on a tag mismatch).
std::time_t KVSocketDeadline(const KVSocket* channel);
// KVSocketReceive against a deadline taken before, so that a read made of
// several receives stays within one time-out.
int KVSocketReceiveBefore(KVSocket* channel, char* buffer, int length, int minimum,
                          std::time_t deadline);
// Sends all length bytes. With wait set: the requested length once sent, 0
// when a wait ran out (10053), -1 on an error.
int KVSocketSend(KVSocket* channel, const char* data, int length, int wait);
int KVSocketLastError(KVSocket* channel);

#endif  // DATENSCHLEUSE_CHANNEL_KV_SOCKET_H
