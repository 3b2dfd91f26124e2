// The one table of POSIX error numbers and their Windows Sockets numbers.
#include "channel/wsa_errors_posix.h"

#include <netdb.h>

#include <cerrno>

namespace {

struct ErrorPair {
  int posix;
  int wsa;
};

// Several POSIX names share a number on some systems (EAGAIN and EWOULDBLOCK,
// ENOTSUP and EOPNOTSUPP); a table, unlike a switch, takes such repeats.
constexpr ErrorPair kErrnoTable[] = {
    {EINTR, 10004},        // WSAEINTR
    {EBADF, 10009},        // WSAEBADF
    {EACCES, 10013},       // WSAEACCES
    {EPERM, 10013},        // a firewall's refusal reads as WSAEACCES on Windows
    {EFAULT, 10014},       // WSAEFAULT
    {EINVAL, 10022},       // WSAEINVAL
    {EMFILE, 10024},       // WSAEMFILE: too many open sockets
    {ENFILE, 10024},       // the system-wide limit has no number of its own
    {EWOULDBLOCK, 10035},  // WSAEWOULDBLOCK
    {EAGAIN, 10035},
    {EINPROGRESS, 10035},   // a non-blocking connect reports WSAEWOULDBLOCK there
    {EALREADY, 10037},      // WSAEALREADY
    {ENOTSOCK, 10038},      // WSAENOTSOCK
    {EDESTADDRREQ, 10039},  // WSAEDESTADDRREQ
    {EMSGSIZE, 10040},      // WSAEMSGSIZE
    {EPROTOTYPE, 10041},    // WSAEPROTOTYPE
    {ENOPROTOOPT, 10042},   // WSAENOPROTOOPT
    {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},  // WSAEOPNOTSUPP
    {ENOTSUP, 10045},
    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},  // WSAEAFNOSUPPORT
    {EADDRINUSE, 10048},    // WSAEADDRINUSE
    {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},      // WSAENETDOWN
    {ENETUNREACH, 10051},   // WSAENETUNREACH
    {ENETRESET, 10052},     // WSAENETRESET
    {ECONNABORTED, 10053},  // WSAECONNABORTED
    {ECONNRESET, 10054},    // WSAECONNRESET
    // The program never shuts down its own sending side, so a broken pipe
    // always means that the peer has gone: Windows reports that as a reset.
    {EPIPE, 10054},
    {ENOBUFS, 10055},  // WSAENOBUFS
    {ENOMEM, 10055},
    {EISCONN, 10056},    // WSAEISCONN
    {ENOTCONN, 10057},   // WSAENOTCONN
    {ESHUTDOWN, 10058},  // WSAESHUTDOWN
    {ETOOMANYREFS, 10059},
    {ETIMEDOUT, 10060},     // WSAETIMEDOUT
    {ECONNREFUSED, 10061},  // WSAECONNREFUSED
    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},     // WSAEHOSTDOWN
    {EHOSTUNREACH, 10065},  // WSAEHOSTUNREACH
    {ENOTEMPTY, 10066},
    {EUSERS, 10068},
    {EDQUOT, 10069},
    {ESTALE, 10070},
    {EREMOTE, 10071},
};

}  // namespace

int WsaErrorFromErrno(int errnoValue) {
  for (const ErrorPair& pair : kErrnoTable) {
    if (pair.posix == errnoValue) return pair.wsa;
  }
  return kWsaSyscallFailure;
}

int WsaErrorFromResolver(int resolverResult, int errnoValue) {
  switch (resolverResult) {
    case EAI_NONAME:
      return 11001;  // WSAHOST_NOT_FOUND
    case EAI_AGAIN:
      return 11002;  // WSATRY_AGAIN
    case EAI_FAIL:
      return 11003;  // WSANO_RECOVERY
#ifdef EAI_NODATA
    case EAI_NODATA:
      return 11004;  // WSANO_DATA: the name exists but has no address
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
      return 11004;  // the host has no IPv4 address
#endif
    case EAI_MEMORY:
      return 10055;  // WSAENOBUFS
    case EAI_SYSTEM:
      return WsaErrorFromErrno(errnoValue);
    default:
      return 11003;
  }
}
