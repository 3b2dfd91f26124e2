// Status numbers of the database runtime. sqlStatus speaks Oracle's language:
// 0 for success, otherwise the negative Oracle error number. Back ends whose
// database gives no Oracle number translate their errors here into the Oracle
// number of the same meaning, so that the failure line reads as operators know
// it.
#ifndef DATENSCHLEUSE_DB_SQL_STATUS_H
#define DATENSCHLEUSE_DB_SQL_STATUS_H

#include <string_view>

inline constexpr int kOraUniqueViolated = -1;                // ORA-00001
inline constexpr int kOraResourceBusy = -54;                 // ORA-00054
inline constexpr int kOraInvalidIdentifier = -904;           // ORA-00904
inline constexpr int kOraTableMissing = -942;                // ORA-00942
inline constexpr int kOraNotLoggedOn = -1012;                // ORA-01012
inline constexpr int kOraLogonDenied = -1017;                // ORA-01017
inline constexpr int kOraInsufficientPrivileges = -1031;     // ORA-01031
inline constexpr int kOraCannotInsertNull = -1400;           // ORA-01400
inline constexpr int kOraCheckViolated = -2290;              // ORA-02290
inline constexpr int kOraParentKeyMissing = -2291;           // ORA-02291
inline constexpr int kOraUserMissing = -1435;                // ORA-01435 (unknown schema)
inline constexpr int kOraEndOfFileOnChannel = -3113;         // ORA-03113
inline constexpr int kOraUnknownConnectIdentifier = -12154;  // ORA-12154
inline constexpr int kOraUnknownService = -12514;            // ORA-12514
inline constexpr int kOraNoListener = -12541;                // ORA-12541
inline constexpr int kOraValueTooLarge = -12899;             // ORA-12899
inline constexpr int kOraReadOnlyDatabase = -16000;          // ORA-16000
// Every error without an Oracle counterpart: the first of the numbers Oracle
// leaves to applications, so it never claims an Oracle meaning it lacks.
inline constexpr int kStatusUnmapped = -20000;  // ORA-20000

// The status for an ODBC diagnostic record. An "ORA-nnnnn" in the message, or
// the native error of an Oracle database, is taken as it is; otherwise the
// SQLSTATE (and, for refused connections, the server's message) decides.
int StatusFromOdbcDiagnostic(std::string_view sqlState, long nativeError, std::string_view message,
                             bool oracleDatabase);

// The same for the diagnostic of a refused connect, before the database
// system is known. There the driver manager's "invalid string or buffer
// length" (HY090), unixODBC's answer to a data source name of more than 32
// characters, is a name that cannot be resolved, like an unknown one.
int StatusFromOdbcConnectDiagnostic(std::string_view sqlState, long nativeError,
                                    std::string_view message);

// The status for an SQLite result code (extended codes included) and the
// connection's error message.
int StatusFromSqliteCode(int code, std::string_view message);

// The same for a statement on an open file. A file SQLite cannot open then is
// the journal it creates beside the database: the folder cannot be written,
// so the log can only be read.
int StatusFromSqliteStatementCode(int code, std::string_view message);

#endif  // DATENSCHLEUSE_DB_SQL_STATUS_H
