// The report's tests, for real: a transfer log made by running datenschleuse
// against terminal simulators, the report program run on it, and the page
// opened in headless Chromium (its DOM and a screenshot).
#ifndef DATENSCHLEUSE_TESTS_REPORT_REPORT_RIG_H
#define DATENSCHLEUSE_TESTS_REPORT_REPORT_RIG_H

#include <string>
#include <vector>

#include "tests/db/db_test_support.h"
#include "tests/support/loopback.h"
#include "tests/support/process.h"

// The four terminals of the scenario, by their dotted addresses from the
// loopback allocator (each test program its own net, so they can run side
// by side):
// healthy completes every transfer; refusing refuses every download with a
// hostile text (markup, umlauts) and completes uploads; resetting resets the
// connection at every download end and completes uploads; absent has no one
// listening.
struct ScenarioTerminals {
  std::string healthy, refusing, resetting, absent;
};
ScenarioTerminals TerminalsOn(LoopbackNet net);
// kRefusing's refusal, UTF-8 as it reaches the page.
inline constexpr char kHostileRefusal[] =
    "550 <script>alert(\"x\")</script> Datei für Müller gesperrt";

// What the scenario leaves in the log.
inline constexpr int kScenarioTransfers = 288;
inline constexpr int kScenarioSuccesses = 163;

// Runs the scenario in tree (whose settings name the log), with environment
// for the tool's processes (the ODBC files); false, with test failures, when
// a simulator would not start or a run ended unexpectedly.
bool RunScenario(const RunTree& tree, const ScenarioTerminals& terminals,
                 const std::vector<std::string>& environment);

// Runs datenschleuse-report in tree's working directory.
ProcessResult RunReport(const RunTree& tree, const std::vector<std::string>& arguments,
                        const std::vector<std::string>& environment = {});

// The page's DOM as headless Chromium builds it (empty, with a test
// failure, when Chromium fails).
std::string DumpDom(const std::string& htmlPath);
// Takes a screenshot of the page into pngPath; true when a PNG was written.
bool TakeScreenshot(const std::string& htmlPath, const std::string& pngPath);

// The values of an attribute in document order, e.g. every data-terminal.
std::vector<std::string> AttributeValues(const std::string& dom, const std::string& attribute);
// The text of the element with an id (no markup inside), or "".
std::string TextById(const std::string& dom, const std::string& id);

// Checks the scenario's page: the terminal order and counts, the chart's
// sums, the failures newest first, the hostile text shown as text.
void CheckScenarioPage(const std::string& dom, const ScenarioTerminals& terminals);

#endif  // DATENSCHLEUSE_TESTS_REPORT_REPORT_RIG_H
