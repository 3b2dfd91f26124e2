// Translation of POSIX error numbers and resolver results into the Windows
// Sockets numbers that mean the same, so that the channel reports the same
// numbers on every platform.
#ifndef DATENSCHLEUSE_CHANNEL_WSA_ERRORS_POSIX_H
#define DATENSCHLEUSE_CHANNEL_WSA_ERRORS_POSIX_H

// WSASYSCALLFAILURE: what an error number without a Windows Sockets
// counterpart becomes. Distinct from the channel's own 10022, so a user can
// tell a system failure from a bad argument.
constexpr int kWsaSyscallFailure = 10107;

// The Windows Sockets number for an errno value; kWsaSyscallFailure when
// there is none.
int WsaErrorFromErrno(int errnoValue);

// The Windows Sockets number for a failed getaddrinfo (its EAI_ result, and
// errno for EAI_SYSTEM). Failures without a counterpart of their own become
// WSANO_RECOVERY (11003): the lookup could not be done.
int WsaErrorFromResolver(int resolverResult, int errnoValue);

#endif  // DATENSCHLEUSE_CHANNEL_WSA_ERRORS_POSIX_H
