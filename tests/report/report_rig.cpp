#include "tests/report/report_rig.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <regex>

#include "tests/support/simulator.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr char kChromium[] = "/usr/bin/chromium";
constexpr int kBulkRounds = 40;

const char kServerFile[] = ".\\Files\\T\\Leser.dta";
const char kTerminalFile[] = "Bewegungsdaten.dta";

// One transfer; expectSuccess tells whether it must end with 0.
void Transfer(const RunTree& tree, const std::vector<std::string>& environment,
              const std::vector<std::string>& arguments, bool expectSuccess) {
  ProcessOptions options;
  options.workingDirectory = tree.WorkingDirectory();
  options.environment = environment;
  const ProcessResult result = RunProcess(DS_PROGRAM, arguments, options);
  EXPECT_EQ(result.exitCode == 0, expectSuccess)
      << arguments[0] << " " << arguments[1] << ": " << result.output;
  EXPECT_EQ(result.output.find("Datenbankverbindung fehlgeschlagen"), std::string::npos)
      << result.output;
}

void Download(const RunTree& tree, const std::vector<std::string>& environment,
              const std::string& terminal, bool expectSuccess) {
  Transfer(tree, environment, {"DNL", terminal, kServerFile, "Leser.dta"}, expectSuccess);
}

void Upload(const RunTree& tree, const std::vector<std::string>& environment,
            const std::string& terminal) {
  Transfer(tree, environment,
           {"UPL", terminal, kTerminalFile, std::string(".\\Files\\T\\up-") + terminal + ".dta"},
           true);
}

// Rows within one second may come back in any order from a server, so
// where the order counts the runs are a second and more apart.
void NextSecond() {
  ::usleep(1100 * 1000);
}

std::string ChromiumDataDir(const TempDir& profile) {
  return "--user-data-dir=" + profile.path;
}

std::vector<std::string> ChromiumFlags(const TempDir& profile) {
  return {"--headless",
          "--no-sandbox",
          "--disable-gpu",
          "--disable-quic",
          "--no-first-run",
          "--disable-background-networking",
          "--disable-component-update",
          "--disable-sync",
          ChromiumDataDir(profile)};
}

}  // namespace

ScenarioTerminals TerminalsOn(LoopbackNet net) {
  ScenarioTerminals terminals;
  for (std::string* address :
       {&terminals.healthy, &terminals.refusing, &terminals.resetting, &terminals.absent}) {
    *address = NextLoopbackAddress(net);
  }
  return terminals;
}

bool RunScenario(const RunTree& tree, const ScenarioTerminals& terminals,
                 const std::vector<std::string>& environment) {
  WriteFileBytes(tree.root.File("a/b/Files/T/Leser.dta"), "Lesedaten f\xFCr das Terminal\r\n");
  struct Terminal {
    std::string address;
    std::vector<std::string> options;
  };
  const Terminal listening[] = {
      {terminals.healthy, {}},
      {terminals.refusing, {"--refuse", std::string("download=") + kHostileRefusal}},
      {terminals.resetting, {"--fault", "end=reset"}}};
  std::vector<BackgroundProcess> simulators;
  bool started = true;
  for (const Terminal& t : listening) {
    const std::string dir = tree.root.File("terminal-" + t.address);
    WriteFileBytes(dir + "/" + kTerminalFile, "4711;kommt;08:00\n");
    std::vector<std::string> options = {"--connections", "0"};
    options.insert(options.end(), t.options.begin(), t.options.end());
    BackgroundProcess simulator;
    started = StartSimulator(t.address, dir, dir + ".log", options, simulator) && started;
    simulators.push_back(simulator);
  }
  if (started) {
    for (int round = 0; round < kBulkRounds; ++round) {
      Download(tree, environment, terminals.healthy, true);
      Upload(tree, environment, terminals.healthy);
      Upload(tree, environment, terminals.refusing);
      Download(tree, environment, terminals.refusing, false);
      Upload(tree, environment, terminals.resetting);
      Download(tree, environment, terminals.resetting, false);
      Download(tree, environment, terminals.absent, false);
    }
    // Each terminal's last success, then its failures in a row.
    NextSecond();
    Download(tree, environment, terminals.healthy, true);
    Upload(tree, environment, terminals.refusing);
    Upload(tree, environment, terminals.resetting);
    NextSecond();
    for (int i = 0; i < 3; ++i) Download(tree, environment, terminals.refusing, false);
    Download(tree, environment, terminals.resetting, false);
    Download(tree, environment, terminals.absent, false);
  }
  for (BackgroundProcess& simulator : simulators) StopProcess(simulator);
  return started && !::testing::Test::HasFailure();
}

ProcessResult RunReport(const RunTree& tree, const std::vector<std::string>& arguments,
                        const std::vector<std::string>& environment) {
  ProcessOptions options;
  options.workingDirectory = tree.WorkingDirectory();
  options.environment = environment;
  return RunProcess(DS_REPORT_PROGRAM, arguments, options);
}

std::string DumpDom(const std::string& htmlPath) {
  TempDir profile;
  std::vector<std::string> arguments = ChromiumFlags(profile);
  arguments.push_back("--dump-dom");
  arguments.push_back("file://" + htmlPath);
  const ProcessResult result = RunProcess(kChromium, arguments);
  EXPECT_EQ(result.exitCode, 0) << result.errors;
  return result.output;
}

bool TakeScreenshot(const std::string& htmlPath, const std::string& pngPath) {
  TempDir profile;
  std::vector<std::string> arguments = ChromiumFlags(profile);
  arguments.push_back("--hide-scrollbars");
  arguments.push_back("--window-size=1100,1400");
  arguments.push_back("--screenshot=" + pngPath);
  arguments.push_back("file://" + htmlPath);
  const ProcessResult result = RunProcess(kChromium, arguments);
  EXPECT_EQ(result.exitCode, 0) << result.errors;
  return FileExists(pngPath) && ReadFileBytes(pngPath).substr(0, 8) == "\x89PNG\r\n\x1A\n";
}

std::vector<std::string> AttributeValues(const std::string& dom, const std::string& attribute) {
  std::vector<std::string> values;
  const std::regex pattern(" " + attribute + "=\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(dom.begin(), dom.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    values.push_back((*it)[1]);
  }
  return values;
}

std::string TextById(const std::string& dom, const std::string& id) {
  std::smatch match;
  if (std::regex_search(dom, match, std::regex("id=\"" + id + "\"[^>]*>([^<]*)<"))) {
    return match[1];
  }
  return "";
}

void CheckScenarioPage(const std::string& dom, const ScenarioTerminals& terminals) {
  // Failed last first, most failures in a row first; then the others.
  EXPECT_EQ(AttributeValues(dom, "data-terminal"),
            (std::vector<std::string>{terminals.absent, terminals.refusing, terminals.resetting,
                                      terminals.healthy}));
  EXPECT_EQ(AttributeValues(dom, "data-failures-in-row"),
            (std::vector<std::string>{std::to_string(kBulkRounds + 1), "3", "1", "0"}));
  EXPECT_EQ(TextById(dom, "total"), std::to_string(kScenarioTransfers));
  EXPECT_EQ(TextById(dom, "successes"), std::to_string(kScenarioSuccesses));
  EXPECT_EQ(TextById(dom, "failed"), std::to_string(kScenarioTransfers - kScenarioSuccesses));

  int successes = 0, failures = 0;
  for (const std::string& n : AttributeValues(dom, "data-successes")) successes += std::stoi(n);
  for (const std::string& n : AttributeValues(dom, "data-failures")) failures += std::stoi(n);
  EXPECT_EQ(successes, kScenarioSuccesses);
  EXPECT_EQ(failures, kScenarioTransfers - kScenarioSuccesses);

  // The failures table, newest first.
  std::vector<std::string> times;
  const std::regex row("<tr class=\"failure\"><td>([^<]*)</td>");
  for (auto it = std::sregex_iterator(dom.begin(), dom.end(), row); it != std::sregex_iterator();
       ++it) {
    times.push_back((*it)[1]);
  }
  EXPECT_EQ(static_cast<int>(times.size()), kScenarioTransfers - kScenarioSuccesses);
  EXPECT_TRUE(std::is_sorted(times.rbegin(), times.rend()));

  // The terminal's hostile reply is text on the page, never markup.
  EXPECT_EQ(dom.find("<script"), std::string::npos);
  EXPECT_NE(dom.find("550 &lt;script&gt;alert(\"x\")&lt;/script&gt; Datei für Müller gesperrt"),
            std::string::npos);
  EXPECT_NE(dom.find("Fehler Socket-Open! Error: 10053"), std::string::npos);
}
