// datenschleuse-report on SQLite transfer logs, through the real programs:
// the page of a log made by real transfers, opened in headless Chromium; old
// and new text encodings; and every way the report can fail.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/report/report_rig.h"

namespace {

const char kSqliteLog[] = "sqlite:..\\..\\log.db";

std::vector<std::string> DirectoryEntries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(ReportSqlite, ALogOfRealTransfersShowsInChromium) {
  RunTree tree;
  tree.WriteSettings("kvsystem", "geheim", kSqliteLog);
  const ScenarioTerminals terminals = TerminalsOn(LoopbackNet::kReport);
  ASSERT_TRUE(RunScenario(tree, terminals, {}));

  const std::string page = tree.root.File("report.html");
  const ProcessResult report = RunReport(tree, {"--out", page});
  ASSERT_EQ(report.exitCode, 0) << report.errors;
  EXPECT_NE(report.output.find("288 Übertragungen, 125 fehlgeschlagen"), std::string::npos)
      << report.output;
  CheckScenarioPage(DumpDom(page), terminals);

  // Nothing on the page points anywhere: no source, no link, no address but
  // the SVG namespace.
  const std::string html = ReadFileBytes(page);
  for (const char* reference : {" src=", " href=", "url(", "@import", "https:"}) {
    EXPECT_EQ(html.find(reference), std::string::npos) << reference;
  }
  std::string rest = html;
  for (std::size_t at; (at = rest.find("http://www.w3.org/2000/svg")) != std::string::npos;) {
    rest.erase(at, 26);
  }
  EXPECT_EQ(rest.find("http:"), std::string::npos);

  std::filesystem::create_directories(DS_REPORT_SCREENSHOT_DIR);
  EXPECT_TRUE(TakeScreenshot(page, std::string(DS_REPORT_SCREENSHOT_DIR) + "/report-sqlite.png"));

  // One terminal alone.
  const std::string single = tree.root.File("single.html");
  ASSERT_EQ(
      RunReport(tree, {"--terminal", terminals.refusing, "--days", "1", "--out", single}).exitCode,
      0);
  const std::string dom = DumpDom(single);
  EXPECT_EQ(AttributeValues(dom, "data-terminal"), std::vector<std::string>{terminals.refusing});
  EXPECT_EQ(TextById(dom, "total"), "84");
  EXPECT_EQ(AttributeValues(dom, "data-day").size(), 1u);
}

TEST(ReportSqlite, OldWindows1252RowsAndUtf8RowsBothShowRight) {
  RunTree tree;
  tree.WriteSettings("kvsystem", "geheim", kSqliteLog);
  const std::string log = tree.root.File("log.db");
  // An older row holds Windows-1252 bytes (not valid UTF-8), a newer one
  // UTF-8; both read "Prüfsumme für Müller €".
  ASSERT_TRUE(ExecuteSqlite(
      log,
      "CREATE TABLE O2008TRANSPROT (TrsDat TEXT NOT NULL, TrsUsr VARCHAR(50), "
      "TrsTyp VARCHAR(50), TrsFile VARCHAR(255), TrsTrm VARCHAR(255), TrsSta VARCHAR(2000));"
      "INSERT INTO O2008TRANSPROT VALUES (datetime('now','localtime','-2 seconds'), "
      "'M' || CAST(X'FC' AS TEXT) || 'ller', 'DNL', 'a.dta', 'alt', "
      "CAST(X'353533205072FC6673756D6D652066FC72204DFC6C6C65722080' AS TEXT));"
      "INSERT INTO O2008TRANSPROT VALUES (datetime('now','localtime'), 'Müller', 'DNL', "
      "'a.dta', 'neu', '553 Prüfsumme für Müller €');"));
  const std::string page = tree.root.File("report.html");
  ASSERT_EQ(RunReport(tree, {"--out", page}).exitCode, 0);
  const std::string dom = DumpDom(page);
  std::size_t count = 0;
  for (std::size_t at = 0; (at = dom.find("553 Prüfsumme für Müller €", at)) != std::string::npos;
       ++at) {
    ++count;
  }
  EXPECT_EQ(count, 4u) << "each terminal's last download and its failure row";
  EXPECT_EQ(dom.find("\xEF\xBF\xBD"), std::string::npos) << "no replacement character";
}

TEST(ReportSqlite, AnEmptyLogGivesAPageThatSaysSo) {
  RunTree tree;
  tree.WriteSettings("kvsystem", "geheim", kSqliteLog);
  ASSERT_TRUE(ExecuteSqlite(tree.root.File("log.db"),
                            "CREATE TABLE O2008TRANSPROT (TrsDat TEXT NOT NULL, TrsUsr TEXT, "
                            "TrsTyp TEXT, TrsFile TEXT, TrsTrm TEXT, TrsSta TEXT);"
                            "INSERT INTO O2008TRANSPROT VALUES ('2001-01-01 10:00:00', 'u', "
                            "'DNL', 'f', 'uralt', '250 ok')"));
  const std::string page = tree.root.File("report.html");
  ASSERT_EQ(RunReport(tree, {"--out", page}).exitCode, 0);
  const std::string dom = DumpDom(page);
  EXPECT_EQ(TextById(dom, "empty"), "Keine Übertragungen im Zeitraum.");
  EXPECT_EQ(TextById(dom, "total"), "0");
  EXPECT_TRUE(AttributeValues(dom, "data-terminal").empty());
}

TEST(ReportSqlite, AnUnreadableLogEndsWithOneAndLeavesTheOldPage) {
  const struct {
    const char* name;
    const char* net8;       // "" : no settings file at all
    const char* logSql;     // run on ../../log.db first, when not null
    bool garbageLog;        // ../../log.db holds no database
    const char* errorText;  // in standard error
  } cases[] = {
      {"no settings file", "", nullptr, false, "Fehler: -12154"},
      {"no such log file", kSqliteLog, nullptr, false, "unable to open database file"},
      {"a log without the table", kSqliteLog, "CREATE TABLE other (x)", false,
       "no such table: O2008TRANSPROT"},
      {"a file that is no database", kSqliteLog, nullptr, true, "file is not a database"},
  };
  for (const auto& c : cases) {
    RunTree tree;
    if (*c.net8 != '\0') tree.WriteSettings("kvsystem", "geheim", c.net8);
    if (c.logSql != nullptr) {
      ASSERT_TRUE(ExecuteSqlite(tree.root.File("log.db"), c.logSql));
    }
    if (c.garbageLog) {
      WriteFileBytes(tree.root.File("log.db"), std::string(4096, 'x'));
    }
    const std::string dir = tree.root.File("share");
    WriteFileBytes(dir + "/report.html", "the page of yesterday");
    const ProcessResult report = RunReport(tree, {"--out", dir + "/report.html"});
    EXPECT_EQ(report.exitCode, 1) << c.name;
    EXPECT_NE(report.errors.find("kann nicht gelesen werden"), std::string::npos) << c.name;
    EXPECT_NE(report.errors.find(c.errorText), std::string::npos) << c.name << report.errors;
    EXPECT_EQ(ReadFileBytes(dir + "/report.html"), "the page of yesterday") << c.name;
    EXPECT_EQ(DirectoryEntries(dir), std::vector<std::string>{"report.html"}) << c.name;
  }
}

TEST(ReportSqlite, ABadCommandLineEndsWithTwoAndAnUnwritablePageWithThree) {
  RunTree tree;
  tree.WriteSettings("kvsystem", "geheim", kSqliteLog);
  ASSERT_TRUE(ExecuteSqlite(tree.root.File("log.db"),
                            "CREATE TABLE O2008TRANSPROT (TrsDat TEXT NOT NULL, TrsUsr TEXT, "
                            "TrsTyp TEXT, TrsFile TEXT, TrsTrm TEXT, TrsSta TEXT)"));
  const std::string page = tree.root.File("report.html");
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
  } cases[] = {
      {{}, 2},
      {{"--days", "7"}, 2},
      {{"--out"}, 2},
      {{"--days", "0", "--out", page}, 2},
      {{"--days", "3661", "--out", page}, 2},
      {{"--days", "7x", "--out", page}, 2},
      {{"--bogus", "1", "--out", page}, 2},
      {{"--out", tree.root.File("no-such-dir/report.html")}, 3},
      {{"--days", "3660", "--out", page}, 0},
  };
  for (const auto& c : cases) {
    const ProcessResult report = RunReport(tree, c.arguments);
    EXPECT_EQ(report.exitCode, c.exitCode) << ::testing::PrintToString(c.arguments);
    if (c.exitCode == 2) {
      EXPECT_NE(report.errors.find("Aufruf: datenschleuse-report"), std::string::npos);
    }
  }
}

}  // namespace
