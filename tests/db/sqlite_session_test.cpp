// The database session and the transfer record on real SQLite files, called
// the way the driver calls them, from a working directory two levels below
// the settings folder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <regex>
#include <string>

#include "db/sql_hlp.h"
#include "db/sql_runtime.h"
#include "db/transfer_record.h"
#include "tests/db/db_test_support.h"

namespace {

class SqliteSession : public ::testing::Test {
 protected:
  ~SqliteSession() override { SqlDisconnect(); }

  std::string LogPath() const { return tree.root.File("log.db"); }
  // The database name of the log, relative to the working directory.
  static constexpr char kLogName[] = "sqlite:..\\..\\log.db";

  RunTree tree;
  WorkingDirectoryScope scope{tree.WorkingDirectory()};
};

// Seconds between a "YYYY-MM-DD HH:MM:SS" local time and now.
double SecondsFromNow(const std::string& stamp) {
  std::tm tm{};
  if (std::sscanf(stamp.c_str(), "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                  &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6) {
    return 1e9;
  }
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  tm.tm_isdst = -1;
  return std::difftime(std::time(nullptr), std::mktime(&tm));
}

TEST_F(SqliteSession, FirstRunCreatesTheTableAndLogsItsRow) {
  tree.WriteSettings("kvuser", "geheim", kLogName);
  ASSERT_EQ(OpenDatabase(), 0);
  const std::string status =
      "ERROR: L\xE4ngenangabe oder CRC stimmt nicht \xFC"
      "berein!";
  EXPECT_EQ(InsertTransferRecord("ORBELIKAdmin", "DNL", ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta",
                                 "Terminal1", status.c_str()),
            0);
  EXPECT_EQ(DbCommit(), 1);

  const auto rows = ReadSqliteRows(LogPath());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].trsUsr, "ORBELIKAdmin");
  EXPECT_EQ(rows[0].trsTyp, "DNL");
  EXPECT_EQ(rows[0].trsFile, ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta");
  EXPECT_EQ(rows[0].trsTrm, "Terminal1");
  EXPECT_EQ(rows[0].trsSta, "ERROR: Längenangabe oder CRC stimmt nicht überein!");
  EXPECT_TRUE(std::regex_match(rows[0].trsDat,
                               std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}")))
      << rows[0].trsDat;
  EXPECT_LT(std::abs(SecondsFromNow(rows[0].trsDat)), 5.0) << rows[0].trsDat;
}

TEST_F(SqliteSession, AnExistingTableKeepsItsRowsAndGetsOneMore) {
  ASSERT_TRUE(ExecuteSqlite(LogPath(),
                            "CREATE TABLE O2008TRANSPROT (TrsDat TEXT, TrsUsr TEXT, TrsTyp TEXT, "
                            "TrsFile TEXT, TrsTrm TEXT, TrsSta TEXT);"
                            "INSERT INTO O2008TRANSPROT VALUES ('2001-02-03 04:05:06','u','UPL',"
                            "'f','t','s');"));
  tree.WriteSettings("", "", kLogName);
  ASSERT_EQ(OpenDatabase(), 0);
  EXPECT_EQ(InsertTransferRecord("unknown", "UPL", "B.dta", "10.0.0.1", "250 ok"), 0);
  EXPECT_EQ(DbCommit(), 1);
  const auto rows = ReadSqliteRows(LogPath());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].trsDat, "2001-02-03 04:05:06");
  EXPECT_EQ(rows[1].trsSta, "250 ok");
}

TEST_F(SqliteSession, OnlyTheCommitMakesTheRowPermanent) {
  tree.WriteSettings("kvuser", "geheim", kLogName);
  ASSERT_EQ(OpenDatabase(), 0);
  ASSERT_EQ(InsertTransferRecord("u", "DNL", "f", "t", "s"), 0);
  SqlDisconnect();
  EXPECT_TRUE(ReadSqliteRows(LogPath()).empty());
  EXPECT_EQ(DbCommit(), 0);  // no session any more
}

TEST_F(SqliteSession, ACommitFollowsAFailedInsert) {
  ASSERT_TRUE(ExecuteSqlite(LogPath(),
                            "CREATE TABLE O2008TRANSPROT (TrsDat TEXT, TrsUsr TEXT, TrsTyp TEXT "
                            "CHECK (TrsTyp IN ('DNL','DNLA','UPL')), TrsFile TEXT, TrsTrm TEXT, "
                            "TrsSta TEXT);"));
  tree.WriteSettings("kvuser", "geheim", kLogName);
  ASSERT_EQ(OpenDatabase(), 0);
  EXPECT_EQ(InsertTransferRecord("u", "DNL", "f", "t", "first"), 0);
  EXPECT_EQ(InsertTransferRecord("u", "XYZ", "f", "t", "refused"), -2290);
  EXPECT_EQ(sqlStatus, -2290);
  EXPECT_EQ(DbCommit(), 1);
  const auto rows = ReadSqliteRows(LogPath());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].trsSta, "first");
}

TEST_F(SqliteSession, ValuesAreCutAtTheirHostBuffers) {
  tree.WriteSettings("kvuser", "geheim", kLogName);
  ASSERT_EQ(OpenDatabase(), 0);
  const std::string user(60, '\xE4'), type(51, 'T'), file(300, 'F'), terminal(256, 'R'),
      status(2100, 'S');
  ASSERT_EQ(InsertTransferRecord(user.c_str(), type.c_str(), file.c_str(), terminal.c_str(),
                                 status.c_str()),
            0);
  ASSERT_EQ(DbCommit(), 1);
  const auto rows = ReadSqliteRows(LogPath());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].trsUsr, Utf8(std::string(50, '\xE4')));
  EXPECT_EQ(rows[0].trsTyp, std::string(50, 'T'));
  EXPECT_EQ(rows[0].trsFile, std::string(255, 'F'));
  EXPECT_EQ(rows[0].trsTrm, std::string(255, 'R'));
  EXPECT_EQ(rows[0].trsSta, std::string(2000, 'S'));
}

TEST_F(SqliteSession, DatabaseNamesUpToFortyOneCharactersAreUsed) {
  // "sqlite:" and a path of 34 characters: 41 in all.
  const std::string path41 = "..\\..\\" + std::string(28 - 3, 'n') + ".db";
  ASSERT_EQ(path41.size(), 34u);
  tree.WriteSettings("kvuser", "geheim", "sqlite:" + path41);
  EXPECT_EQ(OpenDatabase(), 0);
  EXPECT_EQ(InsertTransferRecord("u", "DNL", "f", "t", "s"), 0);
  EXPECT_EQ(DbCommit(), 1);
  EXPECT_EQ(ReadSqliteRows(tree.root.File(path41.substr(6))).size(), 1u);
  SqlDisconnect();

  // One more character and the name is dropped: the empty name is no data
  // source.
  tree.WriteSettings("kvuser", "geheim", "sqlite:" + path41 + "x");
  EXPECT_EQ(OpenDatabase(), -12154);
  EXPECT_FALSE(FileExists(tree.root.File(path41.substr(6) + "x")));
}

TEST_F(SqliteSession, RefusedSessionsReportOracleStatusNumbers) {
  struct Case {
    const char* name;
    bool settingsFile;
    std::string login, pass, net8;
    int status;
  };
  const Case cases[] = {
      {"no settings file: no data source", false, "", "", "", -12154},
      {"a directory that does not exist", true, "u", "p", "sqlite:..\\nodir\\log.db", -12154},
      {"a directory instead of a file", true, "u", "p", "sqlite:..\\..\\a", -12154},
      {"an empty SQLite path", true, "u", "p", "sqlite:", -12154},
      {"a file that is no database", true, "u", "p", "sqlite:..\\..\\Files\\Korvaline.Ini", -12154},
      {"a connect text over 100 characters", true, std::string(60, 'u'), std::string(29, 'p'),
       "sqlite:..\\..\\x.db", -12899},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.settingsFile) {
      tree.WriteSettings(c.login, c.pass, c.net8);
    } else {
      std::remove(tree.SettingsPath().c_str());
    }
    EXPECT_EQ(OpenDatabase(), c.status);
    EXPECT_EQ(sqlStatus, c.status);
    EXPECT_EQ(InsertTransferRecord("u", "DNL", "f", "t", "s"), -1012);  // not logged on
    EXPECT_EQ(DbCommit(), 0);
  }
  // The refused connect text never reached the database.
  EXPECT_FALSE(FileExists(tree.root.File("x.db")));
}

TEST_F(SqliteSession, ConnectTextOfExactlyOneHundredCharactersConnects) {
  // 59 + "/" + 22 + "@" + 17 = 100.
  EXPECT_EQ(DbConnect(std::string(59, 'u').c_str(), std::string(22, 'p').c_str(),
                      "sqlite:..\\..\\x.db", "KVSYSTEM"),
            0);
  EXPECT_TRUE(FileExists(tree.root.File("x.db")));
}

}  // namespace
