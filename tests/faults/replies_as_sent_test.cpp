// Replies are read as the terminal sent them: a line end before or after a
// reply belongs to the reply it stands in, and a terminal that closes in the
// middle of a reply leaves what it sent as the reply. A refusal that carries
// no number ends with 99, the code of the dialog's own failures, never with
// the 0 of success; its result line and its row stay the refusal.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/faults/fault_rig.h"

namespace {

struct Case {
  const char* name;
  std::vector<std::string> terminal;  // simulator options
  int exitCode;
  std::string resultLine;  // as the console shows it and the record keeps it
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

const Case kCases[] = {
    {"RefusalWithoutNumber",
     {"--refuse", "user=ERR Benutzer unbekannt"},
     99,
     "ERR Benutzer unbekannt"},
    {"RefusalNumberedZero", {"--refuse", "pass=000 gesperrt"}, 99, "000 gesperrt"},
    // The code arrives alone and is the greeting; its rest is read as the
    // reply to USER.
    {"GreetingInTwoPieces",
     {"--greeting", "200 Terminal bereit", "--pause", "100", "--fault", "greeting=split:3"},
     99,
     " Terminal bereit"},
    // One byte, then the close: that byte is the reply, at once.
    {"OneCharacterReply", {"--fault", "user=cut:1"}, 99, ""},
    {"GreetingCutShort", {"--fault", "greeting=cut:2"}, 99, ""},
    // A line end before the code is part of the reply, which then does not
    // match: its number is what its first three characters hold.
    {"GreetingAfterALineEnd",
     {"--greeting", "\r\n200 Terminal bereit"},
     2,
     "\r\n200 Terminal bereit"},
    // The greeting's line end comes apart from it: it begins the next reply.
    {"LineEndAfterAReply",
     {"--greeting", "200 Terminal bereit", "--pause", "100", "--fault", "greeting=split:19"},
     3,
     "\r\n331 Kennung angenommen, Passwort erwartet"},
};

class ReplyAsSent : public ::testing::TestWithParam<Case> {};

TEST_P(ReplyAsSent, EndsWithItsExitCodeResultLineAndRow) {
  const Case& c = GetParam();
  FaultRig rig;
  WriteFileBytes(rig.ServerFile("Leser.dta"), "4711;0800;K\n");
  ASSERT_TRUE(rig.StartTerminal(c.terminal));
  const ProcessResult run = rig.Run({"DNL", "@", ServerArgument("Leser.dta"), "Leser.dta"});
  SCOPED_TRACE(rig.TerminalLog());
  EXPECT_EQ(run.exitCode, c.exitCode);
  EXPECT_EQ(run.output, c.resultLine + "\n");
  const auto rows = rig.Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].trsSta, c.resultLine);
  EXPECT_EQ(rows[0].trsFile, ServerArgument("Leser.dta"));
  EXPECT_FALSE(FileExists(rig.TerminalFile("Leser.dta")));
}

INSTANTIATE_TEST_SUITE_P(Faults, ReplyAsSent, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
