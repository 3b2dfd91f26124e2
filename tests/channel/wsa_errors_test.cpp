// The numbers that reach the result line and the exit code must read as they
// do on Windows, whatever POSIX calls the failure.
#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

#include "channel/wsa_errors_posix.h"

namespace {

struct Mapping {
  int posix;
  int wsa;
};

TEST(WsaErrors, PosixErrorNumbersBecomeTheirWindowsSocketsNumbers) {
  const Mapping cases[] = {
      {ECONNRESET, 10054},      {ECONNABORTED, 10053}, {ENETUNREACH, 10051},
      {EHOSTUNREACH, 10065},    {ECONNREFUSED, 10061}, {ETIMEDOUT, 10060},
      {EMFILE, 10024},          {ENFILE, 10024},       {EADDRNOTAVAIL, 10049},
      {EINVAL, 10022},          {EWOULDBLOCK, 10035},  {EAGAIN, 10035},
      {EINPROGRESS, 10035},     {EALREADY, 10037},     {ENOTSOCK, 10038},
      {EPIPE, 10054},           {ENOBUFS, 10055},      {ENOMEM, 10055},
      {ENOTCONN, 10057},        {EISCONN, 10056},      {EACCES, 10013},
      {EPERM, 10013},           {EAFNOSUPPORT, 10047}, {ENETDOWN, 10050},
      {EHOSTDOWN, 10064},       {EADDRINUSE, 10048},   {ENETRESET, 10052},
      {EINTR, 10004},           {EBADF, 10009},        {EFAULT, 10014},
      {EMSGSIZE, 10040},        {ESHUTDOWN, 10058},    {EOPNOTSUPP, 10045},
      {EPROTONOSUPPORT, 10043}, {ENOPROTOOPT, 10042},  {EDESTADDRREQ, 10039},
  };
  for (const Mapping& mapping : cases) {
    EXPECT_EQ(WsaErrorFromErrno(mapping.posix), mapping.wsa) << "errno " << mapping.posix;
  }
}

TEST(WsaErrors, ErrorNumbersWithoutCounterpartBecomeSystemCallFailure) {
  for (int unmapped : {0, EDOM, ERANGE, ENOENT, EIO}) {
    EXPECT_EQ(WsaErrorFromErrno(unmapped), kWsaSyscallFailure) << "errno " << unmapped;
  }
  EXPECT_EQ(kWsaSyscallFailure, 10107);
}

TEST(WsaErrors, ResolverFailuresBecomeTheLookupNumbers) {
  const Mapping cases[] = {
      {EAI_NONAME, 11001},     {EAI_AGAIN, 11002},   {EAI_FAIL, 11003},     {EAI_MEMORY, 10055},
#ifdef EAI_NODATA
      {EAI_NODATA, 11004},
#endif
#ifdef EAI_ADDRFAMILY
      {EAI_ADDRFAMILY, 11004},
#endif
      {EAI_FAMILY, 11003},     {EAI_SERVICE, 11003}, {EAI_BADFLAGS, 11003},
  };
  for (const Mapping& mapping : cases) {
    EXPECT_EQ(WsaErrorFromResolver(mapping.posix, 0), mapping.wsa) << "EAI " << mapping.posix;
  }
  EXPECT_EQ(WsaErrorFromResolver(EAI_SYSTEM, EMFILE), 10024);
}

}  // namespace
