// The transfer log is down: an SQLite file in a directory that does not
// exist, a PostgreSQL data source whose server is not running. The transfer
// itself is done all the same; the run prints the failure line before its
// result line, and neither the result line nor the exit code changes.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/faults/fault_rig.h"

namespace {

const std::regex kFailureLine("Datenbankverbindung fehlgeschlagen, Fehler: -[0-9]+\n");

// The PostgreSQL ODBC driver, where Debian's odbc-postgresql puts it.
std::string PostgresDriver() {
  for (const char* path :
       {"/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so",
        "/usr/lib/aarch64-linux-gnu/odbc/psqlodbca.so", "/usr/lib/odbc/psqlodbca.so"}) {
    if (FileExists(path)) return path;
  }
  return "";
}

// Splits the console into the failure line and the rest.
void ExpectFailureLineThen(const std::string& output, const std::string& resultLine) {
  std::smatch match;
  ASSERT_TRUE(std::regex_search(output, match, kFailureLine)) << output;
  EXPECT_EQ(match.position(0), 0) << output;
  EXPECT_EQ(match.suffix().str(), resultLine + "\n");
}

TEST(DatabaseFault, SqliteFileInAMissingDirectoryLeavesTheDownloadDone) {
  FaultRig rig(60);
  rig.WriteSettings("kvuser", "geheim", "sqlite:..\\..\\fehlt\\log.db");
  WriteFileBytes(rig.ServerFile("Leser.dta"), "Lesedaten\n");
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run = rig.Run({"DNL", "@", ServerArgument("Leser.dta"), "Leser.dta"});
  EXPECT_EQ(run.exitCode, 0);
  ExpectFailureLineThen(run.output,
                        "250 Datei \"Leser.dta\" \xC3\xBC"
                        "bernommen (10 Bytes)");
  EXPECT_EQ(ReadFileBytes(rig.TerminalFile("Leser.dta")), "Lesedaten\n");
  EXPECT_FALSE(FileExists(rig.tree.root.File("fehlt")));
}

TEST(DatabaseFault, StoppedServerLeavesTheUploadStoredAndItsResultUnchanged) {
  const std::string driver = PostgresDriver();
  if (driver.empty()) GTEST_SKIP() << "no PostgreSQL ODBC driver (odbc-postgresql)";
  FaultRig rig(61);
  // The data source names a server directory where no server listens.
  const std::string odbc = rig.tree.root.File("odbc");
  WriteFileBytes(odbc + "/odbcinst.ini", "[PostgreSQL ANSI]\nDriver = " + driver + "\n");
  WriteFileBytes(odbc + "/odbc.ini", "[dslog]\nDriver = PostgreSQL ANSI\nServername = " +
                                         rig.tree.root.File("pg-stopped") +
                                         "\nPort = 5432\nDatabase = dslog\n");
  rig.WriteSettings("dsuser", "dsgeheim", "dslog");
  WriteFileBytes(rig.TerminalFile("Bew.dta"), "4711;0800;K\n");
  ASSERT_TRUE(rig.StartTerminal());
  ProcessOptions options;
  options.environment = {"ODBCSYSINI=" + odbc, "ODBCINI=" + odbc + "/odbc.ini"};
  const ProcessResult run =
      rig.Run({"UPL", "@", "Bew.dta", ServerArgument("Bew.dta"), "1"}, options);
  EXPECT_EQ(run.exitCode, 0);
  ExpectFailureLineThen(run.output, "Datei \"..\\..\\srv\\Bew.dta\" erfolgreich gespeichert");
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bew.dta")), "4711;0800;K\r\n");
  EXPECT_FALSE(FileExists(rig.TerminalFile("Bew.dta")));
}

}  // namespace
