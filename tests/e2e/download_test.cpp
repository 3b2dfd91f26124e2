// Downloads through the real process: the data phase's piece sizes, the
// download-all list and its identity file, and the endings of the expansion.
#include <gtest/gtest.h>

#include <utility>

#include "tests/e2e/terminal_rig.h"

namespace {

struct SizeCase {
  std::size_t size;
  const char* digest;  // of "leser.dta" and the bytes
  const char* crc;
  const char* counters;  // the verbose progress lines
};

void PrintTo(const SizeCase& c, std::ostream* os) {
  *os << c.size;
}

const SizeCase kSizeCases[] = {
    {1000, "94B8DC86E692304207B243E3BABBC569", "973d",
     "Bytes uebertragen: 512 \nBytes uebertragen: 1000 \n"},
    {512, "D20041DC72FC3CD9B6DC323F6E4720D0", "c981",
     "Bytes uebertragen: 512 \nBytes uebertragen: 512 \n"},
    {1024, "6021FA0976CEC1E2757C37717F7568A5", "6fb1",
     "Bytes uebertragen: 512 \nBytes uebertragen: 1024 \nBytes uebertragen: 1024 \n"},
};

class DownloadSize : public ::testing::TestWithParam<SizeCase> {};

// A whole verbose run: the masked login, the announcement, the pieces, the
// lower-case CRC and the terminal's reply as the result line.
TEST_P(DownloadSize, SendsThePiecesAndTheTerminalStoresTheFile) {
  const SizeCase& c = GetParam();
  TerminalRig rig;
  const std::string data = PatternBytes(c.size);
  WriteFileBytes(rig.ServerFile("Leser.dta"), data);
  ASSERT_TRUE(rig.StartTerminal());

  const ProcessResult run =
      rig.RunClient({"DNL", "@", ServerArgument("Leser.dta"), "Leser.dta", "/D"});
  const std::string size = std::to_string(c.size);
  const std::string reply = "250 Datei \"Leser.dta\" übernommen (" + size + " Bytes)";
  EXPECT_EQ(Masked(run.output),
            kVerboseLogin +
                std::string("An Terminal gesendet: DOWNLOADFILE BEGIN TYP=1 \"Leser.dta\" ") +
                size + " /C:" + c.digest + "\r\n\n" + "Terminalantwort: 200 bereit fuer " + size +
                " Bytes\r\n\n" + c.counters + "An Terminal gesendet: DOWNLOADFILE END " + c.crc +
                "\r\n\n" + "Terminalantwort: " + reply + "\r\n\n" + "Ende Transfer - <ts>" +
                kNoDatabase + reply + "\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(MaskedTranscript(rig.Transcript()), kLoginTranscript +
                                                    DownloadTranscript("Leser.dta", c.size, c.crc) +
                                                    "#1 closed by the client\n");
  EXPECT_EQ(ReadFileBytes(rig.TerminalFile("Leser.dta")), data);
}

INSTANTIATE_TEST_SUITE_P(E2e, DownloadSize, ::testing::ValuesIn(kSizeCases),
                         [](const auto& testCase) { return std::to_string(testCase.param.size); });

TEST(Download, EmptyFileEndsBeforeAnyConnection) {
  TerminalRig rig;
  WriteFileBytes(rig.ServerFile("Leer.dta"), "");
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run =
      rig.RunClient({"DNL", "@", ServerArgument("Leer.dta"), "Leer.dta", "/D"});
  EXPECT_EQ(Masked(run.output), "Start Transfer - <ts>\n\rBefehlsfolge festlegen.\n\r");
  EXPECT_EQ(run.exitCode, PosixExitCode(-1));
  EXPECT_EQ(rig.Transcript(0), "");
}

// The digest is taken over the server file's name, so a file sent under
// another name is refused by the terminal, which names both digests.
TEST(Download, DigestCoversTheServerFileName) {
  TerminalRig rig;
  WriteFileBytes(rig.ServerFile("quelle.dta"), PatternBytes(1000));
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run = rig.RunClient({"DNL", "@", ServerArgument("quelle.dta"), "Leser.dta"});
  EXPECT_EQ(Masked(run.output), std::string(kNoDatabase) +
                                    "553 MD5-Pruefsumme stimmt nicht: angekuendigt "
                                    "24684EB4F50E6D3FA03C6C92F3333BBE, berechnet "
                                    "94B8DC86E692304207B243E3BABBC569\n");
  EXPECT_EQ(run.exitCode, PosixExitCode(553));
  EXPECT_FALSE(FileExists(rig.TerminalFile("Leser.dta")));
}

// Server files of the download-all cases, with their CRCs.
struct ServerFile {
  const char* name;
  const char* content;
  const char* crc;
};

const ServerFile kA{"A.DTA", "Satz A\n", "fa73"};
const ServerFile kB{"B.DTA", "Satz B\r\nEnde\r\n", "6fc5"};
const ServerFile kIdentity{"IDSTAMM.DTA", "4711;Muster\n", "1522"};
const ServerFile kOldIdentity{"OLD_IDSTAMM.DTA", "alt\n", "e678"};
const ServerFile kLowerIdentity{"idstamm.dta", "klein\n", "65fa"};
const ServerFile kEmptyIdentity{"IDSTAMM.DTA", "", "0000"};
const ServerFile kEmpty{"E.DTA", "", "0000"};

struct ListCase {
  const char* name;
  const char* list;
  std::vector<ServerFile> files;  // in the server's directory
  std::vector<ServerFile> sent;   // in the order the terminal receives them
};

void PrintTo(const ListCase& c, std::ostream* os) {
  *os << c.name;
}

const ListCase kListCases[] = {
    {"IdentityFileLast", "A.DTA\nB.DTA\n", {kA, kB, kIdentity}, {kA, kB, kIdentity}},
    {"IdentityFileListed", "A.DTA\nIDSTAMM.DTA\nB.DTA\n", {kA, kB, kIdentity}, {kA, kIdentity, kB}},
    {"IdentityNameInALongerName",
     "A.DTA\nOLD_IDSTAMM.DTA\n",
     {kA, kOldIdentity, kIdentity},
     {kA, kOldIdentity}},
    {"IdentityNameInLowerCase",
     "idstamm.dta\n",
     {kLowerIdentity, kIdentity},
     {kLowerIdentity, kIdentity}},
    {"IdentityFileMissing", "A.DTA\n", {kA}, {kA}},
    {"IdentityFileEmpty", "A.DTA\n", {kA, kEmptyIdentity}, {kA}},
    {"EmptyListedFile", "E.DTA\n", {kEmpty}, {kEmpty}},
    {"EmptyList", "", {}, {}},
    {"ListWithCrLfLineEnds", "A.DTA\r\nB.DTA\r\n", {kA, kB}, {kA, kB}},
};

class DownloadAll : public ::testing::TestWithParam<ListCase> {};

TEST_P(DownloadAll, SendsTheListedFilesInOrder) {
  const ListCase& c = GetParam();
  TerminalRig rig;
  WriteFileBytes(rig.ServerFile("DNLLIST.TXT"), c.list);
  for (const ServerFile& file : c.files) WriteFileBytes(rig.ServerFile(file.name), file.content);
  ASSERT_TRUE(rig.StartTerminal());

  const ProcessResult run = rig.RunClient({"DNLA", "@", ServerArgument(""), "xxx"});
  std::string transcript = kLoginTranscript;
  std::string resultLine;
  for (const ServerFile& file : c.sent) {
    const std::size_t size = std::string_view(file.content).size();
    transcript += DownloadTranscript(file.name, size, file.crc);
    resultLine = "250 Datei \"" + std::string(file.name) + "\" übernommen (" +
                 std::to_string(size) + " Bytes)";
  }
  EXPECT_EQ(Masked(run.output), kNoDatabase + resultLine + "\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(MaskedTranscript(rig.Transcript()), transcript + "#1 closed by the client\n");
  for (const ServerFile& file : c.sent) {
    EXPECT_EQ(ReadFileBytes(rig.TerminalFile(file.name)), file.content) << file.name;
  }
  if (c.sent.size() < c.files.size()) {
    EXPECT_FALSE(FileExists(rig.TerminalFile("IDSTAMM.DTA")));
  }
}

INSTANTIATE_TEST_SUITE_P(E2e, DownloadAll, ::testing::ValuesIn(kListCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// A listed file whose size cannot be taken (an empty line names the
// directory itself) ends the process at once, after the connection was
// made and before the greeting is read: no output, exit code -1.
TEST(DownloadAllEnds, ListedFileWithoutSize) {
  for (const char* list : {"A.DTA\nFEHLT.DTA\n", "A.DTA\n\nB.DTA\n"}) {
    SCOPED_TRACE(list);
    TerminalRig rig;
    WriteFileBytes(rig.ServerFile("DNLLIST.TXT"), list);
    WriteFileBytes(rig.ServerFile(kA.name), kA.content);
    WriteFileBytes(rig.ServerFile(kB.name), kB.content);
    ASSERT_TRUE(rig.StartTerminal());
    const ProcessResult run = rig.RunClient({"DNLA", "@", ServerArgument(""), "xxx"});
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.exitCode, PosixExitCode(-1));
    std::string transcript = rig.Transcript();
    EXPECT_TRUE(DropClientLeaving(transcript)) << transcript;
    EXPECT_EQ(transcript, "#1 connection from 127.0.0.1\n#1 > 200 datenschleuse-terminal bereit\n");
    EXPECT_FALSE(FileExists(rig.TerminalFile(kA.name)));
  }
}

TEST(DownloadAllEnds, ListMissingStillConnectsFirst) {
  TerminalRig rig;
  WriteFileBytes(rig.ServerFile(kIdentity.name), kIdentity.content);
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run = rig.RunClient({"DNLA", "@", ServerArgument(""), "xxx", "/D"});
  EXPECT_EQ(Masked(run.output),
            "Start Transfer - <ts>\n\rBefehlsfolge festlegen.\n\r"
            "DNLLIST.TXT Datei auf Server nicht gefunden\nEnde Transfer - <ts>" +
                std::string(kNoDatabase) + "\n");
  EXPECT_EQ(run.exitCode, 98);
  std::string transcript = rig.Transcript();
  EXPECT_TRUE(DropClientLeaving(transcript)) << transcript;
  EXPECT_EQ(transcript, "#1 connection from 127.0.0.1\n#1 > 200 datenschleuse-terminal bereit\n");
}

// The terminal refuses the second file: its reply is the result, the first
// file stays stored, nothing after it is sent.
TEST(DownloadAllEnds, SecondFileRefused) {
  TerminalRig rig;
  WriteFileBytes(rig.ServerFile("DNLLIST.TXT"), "A.DTA\nB.DTA\n");
  for (const ServerFile& file : {kA, kB, kIdentity}) {
    WriteFileBytes(rig.ServerFile(file.name), file.content);
  }
  ASSERT_TRUE(rig.StartTerminal({"--refuse", "end:2=551 Speicher voll"}));
  const ProcessResult run = rig.RunClient({"DNLA", "@", ServerArgument(""), "xxx"});
  EXPECT_EQ(Masked(run.output), std::string(kNoDatabase) + "551 Speicher voll\n");
  EXPECT_EQ(run.exitCode, PosixExitCode(551));
  EXPECT_EQ(ReadFileBytes(rig.TerminalFile(kA.name)), kA.content);
  EXPECT_FALSE(FileExists(rig.TerminalFile(kB.name)));
  EXPECT_FALSE(FileExists(rig.TerminalFile(kIdentity.name)));
  EXPECT_EQ(rig.Transcript().find("IDSTAMM"), std::string::npos);
}

}  // namespace
