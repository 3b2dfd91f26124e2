// datenschleuse-report on a PostgreSQL transfer log through ODBC: the log of
// real transfers in a database of its own on the test server (fixture
// db_postgres, directory in DS_PG_DIR), the page opened in headless
// Chromium.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "tests/db/postgres_client.h"
#include "tests/report/report_rig.h"
#include "tests/support/temp_dir.h"

namespace {

class ReportPostgres : public ::testing::Test {
 protected:
  void SetUp() override {
    // A database of this process's own, so the other tests' rows stay out of
    // the page and tests running side by side do not meet.
    database_ = "dsreport_" + std::to_string(::getpid());
    settings = PostgresClientSettings();
    ASSERT_FALSE(settings.empty()) << "DS_PG_DIR must name a started test server";
    Psql(settings["PGUSER"], settings["PGPASSWORD"], "postgres",
         std::string("DROP DATABASE IF EXISTS ") + database_);
    Psql(settings["PGUSER"], settings["PGPASSWORD"], "postgres",
         std::string("CREATE DATABASE ") + database_ + " OWNER " + settings["DS_PG_USER"]);
    Psql(settings["DS_PG_USER"], settings["DS_PG_PASSWORD"], database_,
         "CREATE SCHEMA KVSYSTEM; CREATE TABLE KVSYSTEM.O2008TRANSPROT (TrsDat timestamp(0) NOT "
         "NULL, TrsUsr varchar(50), TrsTyp varchar(50), TrsFile varchar(255), TrsTrm "
         "varchar(255), TrsSta varchar(2000))");
    WriteFileBytes(odbc.File("odbc.ini"),
                   std::string("[") + database_ +
                       "]\nDriver = PostgreSQL ANSI\nServername = " + settings["PGHOST"] +
                       "\nPort = " + settings["PGPORT"] + "\nDatabase = " + database_ + "\n");
    environment = {"ODBCSYSINI=" + settings["ODBCSYSINI"], "ODBCINI=" + odbc.File("odbc.ini")};
  }

  void Psql(const std::string& user, const std::string& password, const std::string& database,
            const std::string& sql) {
    ProcessOptions options;
    options.environment = {"PGHOST=" + settings["PGHOST"], "PGPORT=" + settings["PGPORT"],
                           "PGUSER=" + user, "PGPASSWORD=" + password};
    const ProcessResult result = RunProcess(
        PsqlProgram(), {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-d", database, "-c", sql}, options);
    ASSERT_EQ(result.exitCode, 0) << sql << ": " << result.errors;
  }

  void TearDown() override {
    if (settings.empty()) return;
    Psql(settings["PGUSER"], settings["PGPASSWORD"], "postgres",
         "DROP DATABASE IF EXISTS " + database_);
  }

  std::string database_;
  std::map<std::string, std::string> settings;
  TempDir odbc;
  std::vector<std::string> environment;
  RunTree tree;
};

TEST_F(ReportPostgres, ALogOfRealTransfersShowsInChromium) {
  tree.WriteSettings(settings["DS_PG_USER"], settings["DS_PG_PASSWORD"], database_);
  const ScenarioTerminals terminals = TerminalsOn(LoopbackNet::kReportPostgres);
  ASSERT_TRUE(RunScenario(tree, terminals, environment));

  const std::string page = tree.root.File("report.html");
  const ProcessResult report = RunReport(tree, {"--out", page}, environment);
  ASSERT_EQ(report.exitCode, 0) << report.errors;
  CheckScenarioPage(DumpDom(page), terminals);
  std::filesystem::create_directories(DS_REPORT_SCREENSHOT_DIR);
  EXPECT_TRUE(TakeScreenshot(page, std::string(DS_REPORT_SCREENSHOT_DIR) + "/report-postgres.png"));
}

TEST_F(ReportPostgres, ARefusedLoginEndsWithOneAndWritesNoPage) {
  tree.WriteSettings(settings["DS_PG_USER"], "wrong password", database_);
  const std::string page = tree.root.File("report.html");
  const ProcessResult report = RunReport(tree, {"--out", page}, environment);
  EXPECT_EQ(report.exitCode, 1);
  EXPECT_NE(report.errors.find("Fehler: -1017"), std::string::npos) << report.errors;
  EXPECT_FALSE(FileExists(page));
}

}  // namespace
