// The release number is kept once (CMake); every companion prints it, and
// datenschleuse itself keeps its command line: --version is no option of it.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"

namespace {

TEST(Version, EveryCompanionPrintsTheOneReleaseNumber) {
  const struct {
    const char* program;
    const char* name;
  } cases[] = {{DS_TERMINAL_PROGRAM, "datenschleuse-terminal"},
               {DS_INI_PROGRAM, "datenschleuse-ini"},
               {DS_REPORT_PROGRAM, "datenschleuse-report"}};
  for (const auto& c : cases) {
    const ProcessResult result = RunProcess(c.program, {"--version"});
    EXPECT_EQ(result.exitCode, 0) << c.name;
    EXPECT_EQ(result.output, std::string(c.name) + " " + DS_VERSION_EXPECTED + "\n");
  }
}

TEST(Version, DatenschleuseTakesVersionAsTooFewArgumentsAndPrintsItsUsage) {
  const ProcessResult plain = RunProcess(DS_PROGRAM, {});
  const ProcessResult asked = RunProcess(DS_PROGRAM, {"--version"});
  EXPECT_EQ(asked.exitCode, 99);
  EXPECT_EQ(asked.output, plain.output);
  EXPECT_EQ(asked.output.find(DS_VERSION_EXPECTED), std::string::npos);
}

}  // namespace
