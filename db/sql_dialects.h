// The statements of the session and of the transfer record are written for
// Oracle. Other database systems carry them out through their own
// equivalents, kept here in one table: the schema switch, the current date and
// time (SYSDATE), and what a session needs first.
#ifndef DATENSCHLEUSE_DB_SQL_DIALECTS_H
#define DATENSCHLEUSE_DB_SQL_DIALECTS_H

#include <string>
#include <string_view>
#include <vector>

// The schema switch as Oracle writes it, followed by the schema name.
inline constexpr std::string_view kSchemaSwitchPrefix = "ALTER SESSION SET CURRENT_SCHEMA=";

struct SqlDialect {
  // How the database system names itself (the start of the driver's DBMS
  // name, any letter case); empty for the entry that serves every other one.
  std::string_view dbmsName;
  // Run once right after the connect; null: nothing.
  const char* sessionSetup;
  // Fails when the schema does not exist; {schema} stands for its name. Null:
  // no check.
  const char* schemaCheck;
  // Switches the session to the schema; null: the switch has no effect.
  const char* schemaSwitch;
  // Stands for SYSDATE: the server's current local date and time.
  const char* currentDateTime;
  // The database reports Oracle error numbers as native errors.
  bool oracleStatus;
  // The session speaks UTF-8: texts are converted from Windows-1252 before
  // they are sent. Otherwise they go as they are, in the client's character
  // set.
  bool utf8Texts;
};

// The entry for a DBMS name; the last entry (statements as they stand) when no
// other fits.
const SqlDialect& FindDialect(std::string_view dbmsName);

// The statements that carry out an Oracle statement text in the dialect, in
// order; none when there is nothing to do.
std::vector<std::string> TranslateStatement(const SqlDialect& dialect,
                                            std::string_view oracleStatement);

#endif  // DATENSCHLEUSE_DB_SQL_DIALECTS_H
