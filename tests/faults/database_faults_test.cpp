// The transfer log is down: an SQLite file in a directory that does not
// exist, a PostgreSQL data source whose server is not running; or it is open
// but the row cannot be written: a table of another shape, a read-only file
// or folder, a lock held by another connection past the busy wait. The
// transfer itself is done all the same; the run prints the failure line
// before its result line, and neither the result line nor the exit code
// changes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

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
  FaultRig rig;
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
  FaultRig rig;
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

// A row that cannot be written, after a first run has logged normally.
enum class LogFault {
  kOtherShape,         // the table has lost its status column
  kReadOnlyFile,       // the log file on a read-only mount
  kReadOnlyFolder,     // the folder read-only (no journal beside the file), the file writable
  kLockedPastTheWait,  // a second connection reads in an open transaction
};

struct LostRowCase {
  const char* name;
  LogFault fault;
  const char* status;
};

void PrintTo(const LostRowCase& c, std::ostream* os) {
  *os << c.name;
}

class LostRow : public ::testing::TestWithParam<LostRowCase> {};

const char kUnshare[] = "/usr/bin/unshare";

// A private mount namespace in which even root cannot write to a read-only
// mount (unshare -r maps the caller to root of a new user namespace, so it
// serves unprivileged users too).
bool CanMountPrivately() {
  return FileExists(kUnshare) && RunProcess(kUnshare, {"-rm", "true"}).exitCode == 0;
}

// The shell commands that make the log read-only inside the namespace.
std::string ReadOnlyMounts(LogFault fault, const std::string& log) {
  if (fault == LogFault::kReadOnlyFile) {
    return "mount --bind '" + log + "' '" + log + "' && mount -o remount,bind,ro '" + log + "'";
  }
  // The file keeps a writable mount of its own, carried over by the
  // recursive bind of the folder, which alone is then made read-only.
  const std::string folder = log.substr(0, log.rfind('/'));
  return "mount --bind '" + log + "' '" + log + "' && mount --rbind '" + folder + "' '" + folder +
         "' && mount -o remount,bind,ro '" + folder + "'";
}

TEST_P(LostRow, TheRunSaysSoAndTheTransferStandsAsItWas) {
  const LostRowCase& c = GetParam();
  const bool mounts = c.fault == LogFault::kReadOnlyFile || c.fault == LogFault::kReadOnlyFolder;
  if (mounts && !CanMountPrivately()) GTEST_SKIP() << "no private mount namespace (unshare -rm)";
  FaultRig rig;
  rig.WriteSettings("kvuser", "geheim", "sqlite:..\\..\\log\\log.db");
  const std::string log = rig.tree.root.File("log/log.db");
  ASSERT_TRUE(std::filesystem::create_directories(rig.tree.root.File("log")));
  WriteFileBytes(rig.ServerFile("Leser.dta"), "Lesedaten\n");
  ASSERT_TRUE(rig.StartTerminal({"--connections", "2"}));
  const std::vector<std::string> arguments = {"DNL", rig.address, ServerArgument("Leser.dta"),
                                              "Leser.dta"};
  const ProcessResult logged = rig.Run(arguments);
  ASSERT_EQ(CountSqliteRows(log), 1) << logged.output;
  std::remove(rig.TerminalFile("Leser.dta").c_str());

  ProcessResult run;
  if (c.fault == LogFault::kOtherShape) {
    ASSERT_TRUE(ExecuteSqlite(log, "ALTER TABLE O2008TRANSPROT DROP COLUMN TrsSta"));
    run = rig.Run(arguments);
  } else if (c.fault == LogFault::kLockedPastTheWait) {
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(log.c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM O2008TRANSPROT", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    run = rig.Run(arguments);  // its commit waits the 10 seconds in vain
    sqlite3_close(reader);
  } else {
    std::vector<std::string> wrapped = {
        "-rm", "sh", "-c", ReadOnlyMounts(c.fault, log) + " && exec \"$0\" \"$@\"", DS_PROGRAM};
    wrapped.insert(wrapped.end(), arguments.begin(), arguments.end());
    ProcessOptions options;
    options.workingDirectory = rig.tree.WorkingDirectory();
    run = RunProcess(kUnshare, wrapped, options);
  }
  EXPECT_EQ(run.exitCode, logged.exitCode);
  EXPECT_EQ(run.output, std::string("Transferprotokoll nicht geschrieben, Fehler: ") + c.status +
                            "\n" + logged.output);
  EXPECT_EQ(ReadFileBytes(rig.TerminalFile("Leser.dta")), "Lesedaten\n");
  EXPECT_EQ(CountSqliteRows(log), 1);
}

const LostRowCase kLostRowCases[] = {
    {"TableOfAnotherShape", LogFault::kOtherShape, "-904"},
    {"ReadOnlyFile", LogFault::kReadOnlyFile, "-16000"},
    {"ReadOnlyFolder", LogFault::kReadOnlyFolder, "-16000"},
    {"LockHeldPastTheBusyWait", LogFault::kLockedPastTheWait, "-54"},
};

INSTANTIATE_TEST_SUITE_P(DatabaseFault, LostRow, ::testing::ValuesIn(kLostRowCases),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
