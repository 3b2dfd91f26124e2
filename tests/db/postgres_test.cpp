// The transfer log in a real PostgreSQL server reached through ODBC
// (psqlODBC), started for these tests by scripts/postgres-test-server.sh; the
// CTest fixture passes its directory in DS_PG_DIR. Rows are read back with
// psql in UTF-8, so a text that arrives damaged shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "db/sql_hlp.h"
#include "db/sql_runtime.h"
#include "db/transfer_record.h"
#include "tests/db/db_test_support.h"
#include "tests/db/postgres_client.h"
#include "tests/support/loopback.h"
#include "tests/support/process.h"
#include "tests/support/simulator.h"

namespace {

const char kFailureLine[] = "Datenbankverbindung fehlgeschlagen, Fehler: ";
const char kLostRowLine[] = "Transferprotokoll nicht geschrieben, Fehler: ";

// Seconds of a "YYYY-MM-DD HH:MM:SS" wall-clock time, for differences.
double WallSeconds(const std::string& stamp) {
  std::tm tm{};
  if (std::sscanf(stamp.c_str(), "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                  &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6) {
    return -1e9;
  }
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  return static_cast<double>(::timegm(&tm));
}

std::string ClientWallClock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

class Postgres : public ::testing::Test {
 protected:
  void SetUp() override {
    settings = PostgresClientSettings();
    ASSERT_FALSE(settings.empty()) << "DS_PG_DIR must name a started test server";
    psql = PsqlProgram();
    ASSERT_FALSE(psql.empty());
    // The session in this process finds the data sources the way the
    // program's process does.
    ::setenv("ODBCSYSINI", settings["ODBCSYSINI"].c_str(), 1);
    ::setenv("ODBCINI", settings["ODBCINI"].c_str(), 1);
  }
  void TearDown() override { SqlDisconnect(); }

  // Result rows of a query as the administrator, fields split, in UTF-8; in
  // the test database unless another is named.
  std::vector<std::vector<std::string>> Query(const std::string& sql,
                                              const std::string& database = "") {
    ProcessOptions options;
    for (const char* name : {"PGHOST", "PGPORT", "PGUSER", "PGPASSWORD"}) {
      options.environment.push_back(std::string(name) + "=" + settings[name]);
    }
    options.environment.push_back("PGDATABASE=" +
                                  (database.empty() ? settings["PGDATABASE"] : database));
    options.environment.push_back("PGCLIENTENCODING=UTF8");
    const ProcessResult result = RunProcess(
        psql, {"-X", "-A", "-t", "-F", "\x1F", "-v", "ON_ERROR_STOP=1", "-c", sql}, options);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> fields;
      std::size_t from = 0;
      for (std::size_t at; (at = line.find('\x1F', from)) != std::string::npos; from = at + 1) {
        fields.push_back(line.substr(from, at - from));
      }
      fields.push_back(line.substr(from));
      rows.push_back(fields);
    }
    return rows;
  }

  // The rows logged for one terminal name: TrsDat, TrsUsr, TrsTyp, TrsFile,
  // TrsSta.
  std::vector<std::vector<std::string>> RowsOf(const std::string& terminal) {
    return Query(
        "SELECT to_char(TrsDat,'YYYY-MM-DD HH24:MI:SS'),TrsUsr,TrsTyp,TrsFile,TrsSta "
        "FROM kvsystem.o2008transprot WHERE TrsTrm = '" +
        terminal + "' ORDER BY TrsDat");
  }

  std::string ServerWallClock() {
    const auto rows = Query("SELECT to_char(LOCALTIMESTAMP(0),'YYYY-MM-DD HH24:MI:SS')");
    return rows.empty() ? "" : rows[0][0];
  }

  void WriteSettings(const std::string& login, const std::string& pass, const std::string& net8) {
    tree.WriteSettings(login, pass, net8);
  }

  // The program, run with the test's data sources and nothing else of the
  // server's settings in its environment.
  ProcessResult Run(const std::vector<std::string>& arguments) {
    ProcessOptions options;
    options.workingDirectory = tree.WorkingDirectory();
    options.environment = {"ODBCSYSINI=" + settings["ODBCSYSINI"],
                           "ODBCINI=" + settings["ODBCINI"]};
    return RunProcess(DS_PROGRAM, arguments, options);
  }

  std::map<std::string, std::string> settings;
  std::string psql;
  RunTree tree;
};

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(Postgres, ARunLogsItsRowWithTheServersDateAndTime) {
  // A terminal name the C library refuses by itself, unique to this test.
  const std::string terminal = "pg-run..invalid";
  WriteSettings(settings["DS_PG_USER"], settings["DS_PG_PASSWORD"], settings["DS_PG_DSN"]);
  WriteFileBytes(tree.root.File("a/b/Files/T1/ORBELIKAdmin/Leser.dta"), "Lesedaten\n");
  const std::time_t before = std::time(nullptr);
  const ProcessResult run =
      Run({"DNL", terminal, ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta", "L.dta"});
  const std::time_t after = std::time(nullptr);
  EXPECT_EQ(run.output.find(kFailureLine), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find(kLostRowLine), std::string::npos) << run.output;

  const auto rows = RowsOf(terminal);
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0].size(), 5u);
  EXPECT_EQ(rows[0][1], "ORBELIKAdmin");
  EXPECT_EQ(rows[0][2], "DNL");
  EXPECT_EQ(rows[0][3], ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta");
  EXPECT_FALSE(rows[0][4].empty());
  EXPECT_TRUE(EndsWith(run.output, rows[0][4] + "\n")) << run.output;

  // The server keeps a time zone far from the client's (DS_PG_TIMEZONE), so
  // the row's time can only have come from the server.
  const std::string server = ServerWallClock();
  EXPECT_LT(std::fabs(WallSeconds(rows[0][0]) - WallSeconds(server)), 120.0)
      << rows[0][0] << " / " << server;
  if (std::fabs(WallSeconds(server) - WallSeconds(ClientWallClock())) > 3600.0) {
    EXPECT_GT(std::fabs(WallSeconds(rows[0][0]) - WallSeconds(ClientWallClock())), 3600.0);
  }
  // The time of the insert itself, cut to the second: never ahead of the
  // clock at the run's end (the server's zone is that of both sessions).
  const auto epoch = Query(
      "SELECT extract(epoch FROM CAST(TrsDat AS timestamptz))::bigint "
      "FROM kvsystem.o2008transprot WHERE TrsTrm = '" +
      terminal + "'");
  ASSERT_EQ(epoch.size(), 1u);
  const long long stamp = std::stoll(epoch[0][0]);
  EXPECT_LE(static_cast<long long>(before), stamp);
  EXPECT_LE(stamp, static_cast<long long>(after));
}

TEST_F(Postgres, UmlautsArriveIntactAndLongValuesAreCut) {
  const std::string terminal = "pg-texts";
  WriteSettings(settings["DS_PG_USER"], settings["DS_PG_PASSWORD"], settings["DS_PG_DSN"]);
  WorkingDirectoryScope scope(tree.WorkingDirectory());
  ASSERT_EQ(OpenDatabase(), 0);
  const std::string status =
      "ERROR: L\xE4ngenangabe oder CRC stimmt nicht \xFC"
      "berein!";
  EXPECT_EQ(InsertTransferRecord("M\xFCller \x80", "UPL", "\xC4nderung.dta", terminal.c_str(),
                                 status.c_str()),
            0);
  // The table's columns are as wide as the host buffers: longer values
  // would be refused, cut ones fit.
  EXPECT_EQ(
      InsertTransferRecord(std::string(51, 'U').c_str(), "DNL", std::string(256, '\xDF').c_str(),
                           terminal.c_str(), (std::string(1999, 'S') + "\xF6\xF6").c_str()),
      0);
  EXPECT_EQ(DbCommit(), 1);

  const auto rows =
      Query("SELECT TrsUsr,TrsFile,TrsSta FROM kvsystem.o2008transprot WHERE TrsTrm = '" +
            terminal + "' ORDER BY TrsTyp DESC");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], "Müller €");
  EXPECT_EQ(rows[0][1], "Änderung.dta");
  EXPECT_EQ(rows[0][2], "ERROR: Längenangabe oder CRC stimmt nicht überein!");
  EXPECT_EQ(rows[1][0], std::string(50, 'U'));
  EXPECT_EQ(rows[1][1], Utf8(std::string(255, '\xDF')));
  EXPECT_EQ(rows[1][2], std::string(1999, 'S') + "ö");
}

TEST_F(Postgres, RefusedSessionsPrintTheOracleStatusAndLogNothing) {
  struct Case {
    const char* name;
    std::string login, pass, net8;
    const char* status;
  };
  const Case cases[] = {
      {"wrong password", settings["DS_PG_USER"], "falsch", settings["DS_PG_DSN"], "-1017"},
      {"no password", settings["DS_PG_USER"], "", settings["DS_PG_DSN"], "-1017"},
      {"unknown role", "niemand", "x", settings["DS_PG_DSN"], "-1017"},
      {"schema missing", settings["DS_PG_USER"], settings["DS_PG_PASSWORD"],
       settings["DS_PG_DSN"] + "_noschema", "-1435"},
      {"unknown data source", settings["DS_PG_USER"], settings["DS_PG_PASSWORD"], "keinedsn",
       "-12154"},
      // The data source exists, but its name is longer than the driver
      // manager takes.
      {"data source name over 32 characters", settings["DS_PG_USER"], settings["DS_PG_PASSWORD"],
       settings["DS_PG_LONG_DSN"], "-12154"},
      {"server not running", settings["DS_PG_USER"], settings["DS_PG_PASSWORD"],
       settings["DS_PG_DSN"] + "_noserver", "-12541"},
  };
  const std::string terminal = "pg-refused..invalid";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettings(c.login, c.pass, c.net8);
    const ProcessResult run = Run({"UPL", terminal, "Bewegungsdaten.dta", "B.dta"});
    const std::size_t at = run.output.find(kFailureLine);
    ASSERT_NE(at, std::string::npos) << run.output;
    EXPECT_EQ(run.output.substr(at, run.output.find('\n', at) + 1 - at),
              std::string(kFailureLine) + c.status + "\n");
  }
  EXPECT_TRUE(RowsOf(terminal).empty());
}

TEST_F(Postgres, ARowThatIsNotWrittenSaysSoAndLeavesTheRunAsItWas) {
  const std::vector<std::string> arguments = {"UPL", "pg-lost..invalid", "Bewegungsdaten.dta",
                                              "B.dta"};
  WriteSettings(settings["DS_PG_USER"], settings["DS_PG_PASSWORD"], settings["DS_PG_DSN"]);
  const ProcessResult logged = Run(arguments);
  const auto rows = RowsOf("pg-lost..invalid");
  ASSERT_EQ(rows.size(), 1u) << logged.output;
  // The line stands right before the result line, after the dialog's own
  // messages.
  const std::string resultLine = rows[0][4] + "\n";
  ASSERT_TRUE(EndsWith(logged.output, resultLine)) << logged.output;
  const std::string before = logged.output.substr(0, logged.output.size() - resultLine.size());

  struct Case {
    const char* name;
    std::string login, net8;
    const char* status;
    const char* database;  // where no row may stand
  };
  const Case cases[] = {
      {"table without the status column", settings["DS_PG_USER"], settings["DS_PG_DSN"] + "_shape",
       "-904", "dslog_shape"},
      {"INSERT not granted", settings["DS_PG_READER"], settings["DS_PG_DSN"], "-1031", "dslog"},
      // The insert succeeds; the commit is refused.
      {"row refused at the commit", settings["DS_PG_USER"], settings["DS_PG_DSN"] + "_deferred",
       "-2291", "dslog_deferred"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettings(c.login, settings["DS_PG_PASSWORD"], c.net8);
    const ProcessResult run = Run(arguments);
    EXPECT_EQ(run.output, before + kLostRowLine + c.status + "\n" + resultLine);
    EXPECT_EQ(run.exitCode, logged.exitCode);
    const auto count =
        Query("SELECT count(*) FROM kvsystem.o2008transprot WHERE TrsTrm = 'pg-lost..invalid'",
              c.database);
    ASSERT_EQ(count.size(), 1u);
    EXPECT_EQ(count[0][0], c.database == std::string("dslog") ? "1" : "0");
  }
}

// Every byte 1 to 255 of a text, and each of the five that Windows-1252
// leaves undefined in a terminal's reply, arrives and reads back as its
// character (those five as U+0081 ...), as the console shows it.
TEST_F(Postgres, EveryByteOfATextReadsBackAsItsCharacter) {
  WriteSettings(settings["DS_PG_USER"], settings["DS_PG_PASSWORD"], settings["DS_PG_DSN"]);
  std::string all;
  for (int b = 1; b <= 255; ++b) all += static_cast<char>(b);
  for (std::size_t from = 0; from < all.size(); from += 64) {
    const std::string part = all.substr(from, 64);
    const std::string terminal = "pg-bytes-" + std::to_string(from) + "..invalid";
    const ProcessResult run = Run({"UPL", terminal, Utf8(part), "B.dta"});
    EXPECT_EQ(run.output.find(kLostRowLine), std::string::npos) << run.output;
    // Read back as UTF-8 bytes in hex, so line ends and separators show too.
    const auto rows = Query(
        "SELECT encode(convert_to(TrsFile, 'UTF8'), 'hex') FROM kvsystem.o2008transprot "
        "WHERE TrsTrm = '" +
        terminal + "'");
    ASSERT_EQ(rows.size(), 1u) << run.output;
    EXPECT_EQ(rows[0][0], Hex(Utf8(part))) << from;
  }

  const std::string dir = tree.root.File("term");
  std::filesystem::create_directories(dir);
  WriteFileBytes(tree.root.File("a/b/Leser.dta"), "Lesedaten\n");
  int logs = 0;
  for (const char* byte : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"}) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(byte[0])));
    const std::string reply = std::string("530 Zeichen ") + byte + " abgelehnt";
    BackgroundProcess simulator;
    const std::string address = NextLoopbackAddress(LoopbackNet::kPostgres);
    // A log of its own: the simulator is ready once its log says so.
    const std::string log = tree.root.File("terminal" + std::to_string(++logs) + ".log");
    ASSERT_TRUE(StartSimulator(address, dir, log, {"--refuse", "pass=" + Utf8(reply)}, simulator));
    const ProcessResult run = Run({"DNL", address, "Leser.dta", "Leser.dta"});
    StopProcess(simulator);
    EXPECT_EQ(run.exitCode, PosixExitCode(530));
    EXPECT_EQ(run.output, Utf8(reply) + "\n");
    const auto rows = Query(
        "SELECT encode(convert_to(TrsSta, 'UTF8'), 'hex') FROM kvsystem.o2008transprot "
        "WHERE TrsTrm = '" +
        address + "'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Hex(std::string("530 Zeichen \xC2") + byte + " abgelehnt"));
  }
}

TEST_F(Postgres, AFailedInsertIsFollowedByTheCommit) {
  // A schema of the role's database without the table.
  ASSERT_EQ(DbConnect(settings["DS_PG_USER"].c_str(), settings["DS_PG_PASSWORD"].c_str(),
                      settings["DS_PG_DSN"].c_str(), "PUBLIC"),
            0);
  EXPECT_EQ(InsertTransferRecord("u", "DNL", "f", "pg-failed", "s"), -942);
  EXPECT_EQ(DbCommit(), 1);
  EXPECT_EQ(DbConnect(settings["DS_PG_USER"].c_str(), settings["DS_PG_PASSWORD"].c_str(),
                      settings["DS_PG_DSN"].c_str(), "NOSUCH"),
            -1435);
}

}  // namespace
