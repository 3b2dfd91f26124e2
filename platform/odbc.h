// The system's ODBC headers, for the database's ODBC back end: on Windows
// they build on the Windows types, so <windows.h> comes first (lean, and
// without the min and max macros).
#ifndef DATENSCHLEUSE_PLATFORM_ODBC_H
#define DATENSCHLEUSE_PLATFORM_ODBC_H

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#endif  // DATENSCHLEUSE_PLATFORM_ODBC_H
