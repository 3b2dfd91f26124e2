// The transfer log in a real PostgreSQL server reached through ODBC
// (psqlODBC), started for these tests by scripts/postgres-test-server.sh; the
// CTest fixture passes its directory in DS_PG_DIR. Rows are read back with
// psql in UTF-8, so a text that arrives damaged shows.
#include <glob.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "db/sql_hlp.h"
#include "db/sql_runtime.h"
#include "db/transfer_record.h"
#include "tests/db/db_test_support.h"
#include "tests/support/process.h"

namespace {

const char kFailureLine[] = "Datenbankverbindung fehlgeschlagen, Fehler: ";

// The KEY='value' lines the server script leaves for its clients.
std::map<std::string, std::string> ClientSettings() {
  std::map<std::string, std::string> settings;
  const char* dir = std::getenv("DS_PG_DIR");
  if (dir == nullptr) return settings;
  std::ifstream in(std::string(dir) + "/client.env");
  for (std::string line; std::getline(in, line);) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string value = line.substr(equals + 1);
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
      value = value.substr(1, value.size() - 2);
    }
    settings[line.substr(0, equals)] = value;
  }
  return settings;
}

std::string PsqlProgram() {
  glob_t found{};
  std::string program;
  if (::glob("/usr/lib/postgresql/*/bin/psql", 0, nullptr, &found) == 0 && found.gl_pathc > 0) {
    program = found.gl_pathv[found.gl_pathc - 1];
  }
  ::globfree(&found);
  return program;
}

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
    settings = ClientSettings();
    ASSERT_FALSE(settings.empty()) << "DS_PG_DIR must name a started test server";
    psql = PsqlProgram();
    ASSERT_FALSE(psql.empty());
    // The session in this process finds the data sources the way the
    // program's process does.
    ::setenv("ODBCSYSINI", settings["ODBCSYSINI"].c_str(), 1);
    ::setenv("ODBCINI", settings["ODBCINI"].c_str(), 1);
  }
  void TearDown() override { SqlDisconnect(); }

  // Result rows of a query as the administrator, fields split, in UTF-8.
  std::vector<std::vector<std::string>> Query(const std::string& sql) {
    ProcessOptions options;
    for (const char* name : {"PGHOST", "PGPORT", "PGDATABASE", "PGUSER", "PGPASSWORD"}) {
      options.environment.push_back(std::string(name) + "=" + settings[name]);
    }
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

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(Postgres, ARunLogsItsRowWithTheServersDateAndTime) {
  // A terminal name the C library refuses by itself, unique to this test.
  const std::string terminal = "pg-run..invalid";
  WriteSettings(settings["DS_PG_USER"], settings["DS_PG_PASSWORD"], settings["DS_PG_DSN"]);
  WriteFileBytes(tree.root.File("a/b/Files/T1/ORBELIKAdmin/Leser.dta"), "Lesedaten\n");
  const ProcessResult run =
      Run({"DNL", terminal, ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta", "L.dta"});
  EXPECT_EQ(run.output.find(kFailureLine), std::string::npos) << run.output;

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
