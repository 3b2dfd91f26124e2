// The transfer log as the program's callers see it: the real program run from
// a working directory below a settings file written by datenschleuse-ini,
// its console bytes, its exit code and the rows of an SQLite log.
#include <gtest/gtest.h>

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
    const ProcessResult run = Run(c.arguments);
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
    const char* net8;  // null: no settings file
    const char* status;
  };
  for (const Case& c : {Case{"no settings file", nullptr, "-12154"},
                        Case{"a bad SQLite path", "sqlite:..\\nodir\\log.db", "-12154"},
                        Case{"no such data source", "nosuchdsn", "-12154"}}) {
    SCOPED_TRACE(c.name);
    if (c.net8 != nullptr) {
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

TEST_F(DbProcess, ARefusedInsertIsNotReportedAndLeavesTheRunAsItWas) {
  WriteSettings(kLogName);
  const std::vector<std::string> arguments = {"UPL", kNoHost, "Bewegungsdaten.dta", "B.dta"};
  const ProcessResult logged = Run(arguments);
  ASSERT_EQ(Rows().size(), 1u);

  ASSERT_TRUE(ExecuteSqlite(tree.root.File("log.db"),
                            "DROP TABLE O2008TRANSPROT; CREATE TABLE O2008TRANSPROT (TrsDat TEXT, "
                            "TrsUsr TEXT, TrsTyp TEXT, TrsFile TEXT, TrsTrm TEXT, "
                            "TrsSta TEXT CHECK (TrsSta = 'nie'));"));
  const ProcessResult refused = Run(arguments);
  EXPECT_EQ(refused.output, logged.output);
  EXPECT_EQ(refused.exitCode, logged.exitCode);
  EXPECT_TRUE(Rows().empty());
}

}  // namespace
