// Replies that reach the tool in odd pieces. A reply whose first two bytes
// come alone is still one reply, at every step of every transfer type; an
// upload frame may come in pieces of any size, smaller or larger than one
// read, and is stored whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/faults/fault_rig.h"

namespace {

const std::vector<std::string> kEveryReplySplit = {
    "--pause",       "50",          "--fault",      "greeting=split:2", "--fault",
    "user=split:2",  "--fault",     "pass=split:2", "--fault",          "download=split:2",
    "--fault",       "end=split:2", "--fault",      "upload=split:2",   "--fault",
    "delete=split:2"};

struct SplitCase {
  const char* name;
  std::vector<std::string> arguments;
  const char* resultLine;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << c.name;
}

const SplitCase kSplitCases[] = {
    {"Dnl",
     {"DNL", "@", "..\\..\\srv\\T1\\A.DTA", "A.DTA"},
     "250 Datei \"A.DTA\" \xC3\xBC"
     "bernommen (12 Bytes)"},
    {"Dnla",
     {"DNLA", "@", "..\\..\\srv\\T1\\", "xxx"},
     "250 Datei \"IDSTAMM.DTA\" \xC3\xBC"
     "bernommen (11 Bytes)"},
    {"UplWithDelete",
     {"UPL", "@", "Bew.dta", "..\\..\\srv\\Bew.dta", "1"},
     "Datei \"..\\..\\srv\\Bew.dta\" erfolgreich gespeichert"},
};

class EveryReplySplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(EveryReplySplit, IsReadAsWholeReplies) {
  const SplitCase& c = GetParam();
  FaultRig rig;
  WriteFileBytes(rig.ServerFile("T1/DNLLIST.TXT"), "A.DTA\nB.DTA\n");
  WriteFileBytes(rig.ServerFile("T1/A.DTA"), "4711;0800;K\n");
  WriteFileBytes(rig.ServerFile("T1/B.DTA"), "");
  WriteFileBytes(rig.ServerFile("T1/IDSTAMM.DTA"), "4711;Meier\n");
  WriteFileBytes(rig.TerminalFile("Bew.dta"), "4711;0800;K\n");
  ASSERT_TRUE(rig.StartTerminal(kEveryReplySplit));
  const ProcessResult run = rig.Run(c.arguments);
  const std::string log = rig.TerminalLog();
  EXPECT_EQ(run.exitCode, 0) << log;
  EXPECT_EQ(run.output, std::string(c.resultLine) + "\n") << log;
  const auto rows = rig.Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].trsSta, c.resultLine);
}

INSTANTIATE_TEST_SUITE_P(Faults, EveryReplySplit, ::testing::ValuesIn(kSplitCases),
                         [](const auto& test) { return std::string(test.param.name); });

struct PiecesCase {
  const char* name;
  std::size_t fileSize;
  int piece;
};

void PrintTo(const PiecesCase& c, std::ostream* os) {
  *os << c.name;
}

const PiecesCase kPiecesCases[] = {
    {"OneByte", 40, 1},          {"BelowARead", 9000, 1999}, {"ARead", 9000, 2000},
    {"BeyondARead", 9000, 2001}, {"Large", 100000, 4096},
};

class UploadInPieces : public ::testing::TestWithParam<PiecesCase> {};

TEST_P(UploadInPieces, IsStoredWhole) {
  const PiecesCase& c = GetParam();
  FaultRig rig;
  const std::string data = BookingBytes(c.fileSize - 1) + "\n";
  WriteFileBytes(rig.TerminalFile("Bew.dta"), data);
  ASSERT_TRUE(
      rig.StartTerminal({"--pause", "2", "--fault", "upload=pieces:" + std::to_string(c.piece)}));
  const ProcessResult run = rig.Run({"UPL", "@", "Bew.dta", ServerArgument("Bew.dta"), "1"});
  const std::string log = rig.TerminalLog();
  EXPECT_EQ(run.exitCode, 0) << run.output << log;
  std::string stored;
  for (const char ch : data) stored += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bew.dta")), stored);
  EXPECT_FALSE(FileExists(rig.TerminalFile("Bew.dta")));
  EXPECT_EQ(rig.Rows().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Faults, UploadInPieces, ::testing::ValuesIn(kPiecesCases),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
