// Status numbers from ODBC diagnostics as the drivers word them: Oracle's own
// numbers pass unchanged, other systems' errors become the Oracle number of
// the same meaning.
#include "db/sql_status.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlStatus, OdbcDiagnosticsBecomeOracleNumbers) {
  struct Case {
    const char* state;
    long nativeError;
    const char* message;
    bool oracle;
    int status;
  };
  const Case cases[] = {
      // Oracle's driver: the number in the message, before the DBMS is known.
      {"28000", 1017, "[Oracle][ODBC][Ora]ORA-01017: invalid username/password; logon denied",
       false, -1017},
      {"HY000", 12154, "[Oracle][ODBC][Ora]ORA-12154: TNS:could not resolve", false, -12154},
      {"HY000", 1435, "no number in this message", true, -1435},
      {"42S02", 942, "[Oracle][ODBC][Ora]ORA-00942: table or view does not exist", true, -942},
      // psqlODBC words every refused connection as 08001.
      {"08001", 101,
       "connection to server on socket \"/tmp/s/.s.PGSQL.5432\" failed: FATAL:  password "
       "authentication failed for user \"dsuser\"",
       false, -1017},
      {"08001", 101, "failed: fe_sendauth: no password supplied", false, -1017},
      {"08001", 101, "failed: FATAL:  database \"nodb\" does not exist", false, -12514},
      {"08001", 101, "failed: No such file or directory\n\tIs the server running locally", false,
       -12541},
      {"IM002", 0, "[unixODBC][Driver Manager]Data source name not found", false, -12154},
      {"3F000", 1, "ERROR: schema \"nosuch\" does not exist", false, -1435},
      {"42P01", 1, "ERROR: relation \"o2008transprot\" does not exist", false, -942},
      {"22001", 1, "ERROR: value too long for type character varying(50)", false, -12899},
      {"42703", 1, "ERROR: column \"trssta\" of relation \"o2008transprot\" does not exist", false,
       -904},
      {"23503", 1, "ERROR: insert or update on table \"o2008transprot\" violates foreign key",
       false, -2291},
      // Outside a connect a length refusal claims no Oracle meaning.
      {"HY090", 0, "[unixODBC][Driver Manager]Invalid string or buffer length", false, -20000},
      {"XX000", 7, "ERROR: something else entirely", false, -20000},
      // A native error of another system is no Oracle number.
      {"HY000", 1017, "not Oracle", false, -20000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(StatusFromOdbcDiagnostic(c.state, c.nativeError, c.message, c.oracle), c.status);
  }
}

TEST(SqlStatus, ARefusedConnectReadsTheLengthRefusalAsAnUnknownName) {
  // unixODBC's answer to a data source name of more than 32 characters.
  EXPECT_EQ(StatusFromOdbcConnectDiagnostic(
                "HY090", 0, "[unixODBC][Driver Manager]Invalid string or buffer length"),
            -12154);
  EXPECT_EQ(StatusFromOdbcConnectDiagnostic("08001", 101, "failed: FATAL:  database \"x\" does"),
            -12514);
}

}  // namespace
