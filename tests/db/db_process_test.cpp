// The transfer log as the program's callers see it: the real program run from
// a working directory below a settings file written by datenschleuse-ini,
// its console bytes, its exit code and the rows of an SQLite log.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "tests/db/db_test_support.h"
#include "tests/support/process.h"

namespace {

// A host name the C library refuses by itself: the dialog ends before any
// network traffic, with a result line of its own.
const char kNoHost[] = "no-such-host..invalid";
const char kLogName[] = "sqlite:..\\..\\log.db";
const char kFailureLine[] = "Datenbankverbindung fehlgeschlagen, Fehler: ";

class DbProcess : public ::testing::Test {
 protected:
  DbProcess() {
    WriteFileBytes(tree.root.File("a/b/Files/T1/ORBELIKAdmin/Leser.dta"), "Lesedaten\n");
  }

  // Writes the settings file with the companion tool; the password goes
  // through standard input.
  void WriteSettings(const std::string& net8) {
    ProcessOptions options;
    options.standardInput = "geheim\n";
    const ProcessResult written = RunProcess(
        DS_INI_PROGRAM, {"write", tree.SettingsPath(), "LOGIN=kvuser", "PASS=-", "NET8=" + net8},
        options);
    ASSERT_EQ(written.exitCode, 0) << written.errors;
  }

  ProcessResult Run(const std::vector<std::string>& arguments) {
    ProcessOptions options;
    options.workingDirectory = tree.WorkingDirectory();
    return RunProcess(DS_PROGRAM, arguments, options);
  }

  std::vector<TransferRow> Rows() const { return ReadSqliteRows(tree.root.File("log.db")); }

  RunTree tree;
};

// Seconds since the epoch of a local "YYYY-MM-DD HH:MM:SS"; -1 when it is
// not one.
std::time_t LocalSeconds(const std::string& stamp) {
  std::tm tm{};
  if (std::sscanf(stamp.c_str(), "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                  &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6) {
    return -1;
  }
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(DbProcess, EveryKindOfRunLogsItsRow) {
  struct Case {
    std::vector<std::string> arguments;
    const char *user, *type, *file;
  };
  const Case cases[] = {
      {{"DNL", kNoHost, ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta", "Leser.dta"},
       "ORBELIKAdmin",
       "DNL",
       ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta"},
      {{"upl", kNoHost, "Bewegungsdaten.dta", ".\\Files\\T1\\Admin2\\B.dta", "1"},
       "Admin2",
       "UPL",
       "Bewegungsdaten.dta"},
      // The download-all directory is known only once the terminal answered.
      {{"DNLA", kNoHost, ".\\Files\\T1\\ORBELIKAdmin\\", "xxx"},
       "unknown",
       "DNLA",
       ".\\Files\\T1\\ORBELIKAdmin\\"},
      {{"UPL", kNoHost, "Bewegungsdaten.dta", "B.dta"}, "unknown", "UPL", "Bewegungsdaten.dta"},
  };
  WriteSettings(kLogName);
  std::size_t logged = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments[0]);
    const std::time_t before = std::time(nullptr);
    const ProcessResult run = Run(c.arguments);
    const std::time_t after = std::time(nullptr);
    EXPECT_EQ(run.output.find(kFailureLine), std::string::npos) << run.output;
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), ++logged);
    EXPECT_EQ(rows.back().trsUsr, c.user);
    EXPECT_EQ(rows.back().trsTyp, c.type);
    EXPECT_EQ(rows.back().trsFile, c.file);
    EXPECT_EQ(rows.back().trsTrm, kNoHost);
    // The status column holds the result line the run printed last.
    EXPECT_FALSE(rows.back().trsSta.empty());
    EXPECT_TRUE(EndsWith(run.output, rows.back().trsSta + "\n")) << run.output;
    // The time of the insert, local, cut to the second: never ahead of the
    // clock at the run's end.
    const std::time_t stamp = LocalSeconds(rows.back().trsDat);
    EXPECT_LE(before, stamp) << rows.back().trsDat;
    EXPECT_LE(stamp, after) << rows.back().trsDat;
  }
}

TEST_F(DbProcess, ASessionThatCannotOpenPrintsItsLineAndLogsNothing) {
  const std::vector<std::string> arguments = {"DNL", kNoHost,
                                              ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta", "x", "/D"};
  WriteSettings(kLogName);
  const ProcessResult logged = Run(arguments);
  ASSERT_EQ(Rows().size(), 1u);
  const std::string resultLine = Rows()[0].trsSta;

  struct Case {
    const char* name;
    std::string net8;  // empty: no settings file
    const char* status;
  };
  const Case cases[] = {
      {"no settings file", "", "-12154"},
      {"a bad SQLite path", "sqlite:..\\nodir\\log.db", "-12154"},
      {"no such data source", "nosuchdsn", "-12154"},
      // The driver manager refuses the name for its length alone.
      {"a data source name over 32 characters", std::string(33, 'K'), "-12154"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.net8.size() > 32) {
      tree.WriteSettings("kvuser", "geheim", c.net8);  // datenschleuse-ini refuses it
    } else if (!c.net8.empty()) {
      WriteSettings(c.net8);
    } else {
      std::remove(tree.SettingsPath().c_str());
    }
    const ProcessResult run = Run(arguments);
    const std::string tail = std::string(kFailureLine) + c.status + "\n" + resultLine + "\n";
    EXPECT_TRUE(EndsWith(run.output, tail)) << run.output;
    // The verbose end line runs straight into the failure line.
    EXPECT_TRUE(std::regex_search(run.output, std::regex("Ende Transfer - [0-9]{14}Datenbank")))
        << run.output;
    EXPECT_EQ(run.exitCode, logged.exitCode);
    EXPECT_EQ(Rows().size(), 1u);
  }
}

TEST_F(DbProcess, ARefusedInsertSaysSoWhereTheConnectFailureWouldAndLeavesTheRunAsItWas) {
  WriteSettings(kLogName);
  const std::vector<std::string> arguments = {"UPL", kNoHost, "Bewegungsdaten.dta", "B.dta", "/D"};
  const ProcessResult logged = Run(arguments);
  ASSERT_EQ(Rows().size(), 1u);

  ASSERT_TRUE(ExecuteSqlite(tree.root.File("log.db"),
                            "DROP TABLE O2008TRANSPROT; CREATE TABLE O2008TRANSPROT (TrsDat TEXT, "
                            "TrsUsr TEXT, TrsTyp TEXT, TrsFile TEXT, TrsTrm TEXT, "
                            "TrsSta TEXT CHECK (TrsSta = 'nie'));"));
  const ProcessResult refused = Run(arguments);
  // The verbose end line runs straight into the line; the result line follows.
  const std::regex stamps("[0-9]{14}");
  const std::string endLine = "Ende Transfer - T";
  std::string expected = std::regex_replace(logged.output, stamps, "T");
  ASSERT_NE(expected.find(endLine), std::string::npos) << expected;
  expected.insert(expected.find(endLine) + endLine.size(),
                  "Transferprotokoll nicht geschrieben, Fehler: -2290\n");
  EXPECT_EQ(std::regex_replace(refused.output, stamps, "T"), expected);
  EXPECT_EQ(refused.exitCode, logged.exitCode);
  EXPECT_TRUE(Rows().empty());
}

// Every byte 1 to 255 of a text reaches the log and reads back as the same
// character, the five that Windows-1252 leaves undefined as the C1 controls
// of the same number (U+0081 ...). The texts go in as terminal file names of
// an upload, 64 bytes a run.
TEST_F(DbProcess, EveryByteOfATextReadsBackAsItsCharacter) {
  WriteSettings(kLogName);
  std::string all;
  for (int b = 1; b <= 255; ++b) all += static_cast<char>(b);
  std::string stored;
  for (std::size_t from = 0; from < all.size(); from += 64) {
    const std::string part = all.substr(from, 64);
    const ProcessResult run = Run({"UPL", kNoHost, Utf8(part), "B.dta"});
    EXPECT_EQ(run.output.find("Transferprotokoll"), std::string::npos) << run.output;
    ASSERT_FALSE(Rows().empty());
    EXPECT_EQ(Rows().back().trsFile, Utf8(part));
    stored += Rows().back().trsFile;
  }
  for (const char* character : {"\xE2\x82\xAC", "\xC2\x81", "\xC2\x8D", "\xC2\x8F", "\xC2\x90",
                                "\xC2\x9D", "\xC5\xB8", "\xC3\xBF"}) {
    EXPECT_NE(stored.find(character), std::string::npos) << character;
  }
}

}  // namespace
