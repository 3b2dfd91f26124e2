// Placeholder until the socket channel lands.
#include "channel/kv_socket.h"

KVSocket* KVSocketCreate(int* error) {
  *error = kWsaEinval;
  return nullptr;
}
int KVSocketDestroy(KVSocket*) { return 0; }
int KVSocketSetAddress(KVSocket*, const char*) { return kWsaEinval; }
int KVSocketSetHostName(KVSocket*, const char*) { return kWsaEinval; }
int KVSocketSetPort(KVSocket*, std::uint16_t) { return kWsaEinval; }
int KVSocketSetTimeout(KVSocket*, int) { return kWsaEinval; }
int KVSocketOpen(KVSocket*) { return kWsaEinval; }
int KVSocketClose(KVSocket*) { return 0; }
int KVSocketReceive(KVSocket*, char*, int, int) { return -1; }
int KVSocketSend(KVSocket*, const char*, int, int) { return -1; }
int KVSocketLastError(KVSocket*) { return kWsaEinval; }
