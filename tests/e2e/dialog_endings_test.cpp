// Every way a dialog can end, through the real process against the terminal
// simulator: console output byte for byte, exit code and the terminal's log.
#include <gtest/gtest.h>

#include "tests/e2e/terminal_rig.h"

namespace {

constexpr char kBookings[] = "4711;0800;K\n4711;1630;G\n";  // trailer CRC E329 has letters

const std::string kDownload[] = {"DNL", "@", ServerArgument("Leser.dta"), "Leser.dta"};

struct EndingCase {
  const char* name;
  std::vector<std::string> terminal;  // simulator options; {"none"}: nothing listens
  std::vector<std::string> client;
  std::string output;
  int exitCode;
  std::string transcript;  // empty: not compared
};

void PrintTo(const EndingCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<std::string> Download(std::vector<std::string> extra = {}) {
  std::vector<std::string> arguments(std::begin(kDownload), std::end(kDownload));
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return arguments;
}

std::string LoginUpTo(std::string_view lastLine) {
  const std::string login = kLoginTranscript;
  return login.substr(0, login.find(lastLine) + lastLine.size() + 1);
}

const std::string kBegin = "#1 < DOWNLOADFILE BEGIN TYP=1 \"Leser.dta\" 1000 /C:<digest>\n";

const EndingCase kEndingCases[] = {
    {"UnknownHostName",
     {"none"},
     {"DNL", "no-such-host..invalid", ServerArgument("Leser.dta"), "L"},
     "Terminalname nicht gefunden!" + std::string(kNoDatabase) +
         "Terminalname unbekannt! Error: 11001\n",
     11001,
     ""},
    {"NothingListens",
     {"none"},
     Download({"/D"}),
     "Start Transfer - <ts>\n\rBefehlsfolge festlegen.\n\rOpen-Error: 10053Ende Transfer - <ts>" +
         std::string(kNoDatabase) + "Fehler Socket-Open! Error: 10053\n",
     10053,
     ""},
    {"GreetingNot200",
     {"--greeting", "421 busy"},
     Download(),
     std::string(kNoDatabase) + "421 busy\n",
     421,
     "#1 connection from 127.0.0.1\n#1 > 421 busy\n#1 closed by the client\n"},
    {"PasswordRefused",
     {"--refuse", "pass=530 Anmeldung abgelehnt"},
     Download(),
     std::string(kNoDatabase) + "530 Anmeldung abgelehnt\n",
     530,
     LoginUpTo("< PASS **********") + "#1 > 530 Anmeldung abgelehnt\n#1 closed by the client\n"},
    {"RefusalWithoutDigits",
     {"--refuse", "user=Zugang gesperrt"},
     Download(),
     std::string(kNoDatabase) + "Zugang gesperrt\n",
     99,
     LoginUpTo("< USER **********") + "#1 > Zugang gesperrt\n#1 closed by the client\n"},
    {"EmptyReply",
     {"--fault", "greeting=nul"},
     Download(),
     std::string(kNoDatabase) + "999 keine Antwort\n",
     999,
     "#1 connection from 127.0.0.1\n#1 ! first byte replaced by NUL\n"
     "#1 > \\x0000 datenschleuse-terminal bereit\n#1 closed by the client\n"},
    {"ConnectionResetInsteadOfReply",
     {"--fault", "download=reset"},
     Download({"/D"}),
     kVerboseLogin +
         std::string("An Terminal gesendet: DOWNLOADFILE BEGIN TYP=1 \"Leser.dta\" 1000 "
                     "/C:94B8DC86E692304207B243E3BABBC569\r\n\n"
                     "Read-Error: 10054Ende Transfer - <ts>") +
         kNoDatabase + "Fehler Socket-Read! Error: 10054\n",
     10054,
     kLoginTranscript + kBegin + "#1 ! connection reset instead of the reply\n"},
    // The channel ends a read as soon as the peer has closed, with the
    // would-block code its connect left.
    {"ConnectionClosedInsteadOfReply",
     {"--fault", "user=close"},
     Download(),
     std::string(kNoDatabase) + "Fehler Socket-Read! Error: 10035\n",
     10035,
     LoginUpTo("< USER **********") + "#1 ! connection closed instead of the reply\n"},
    {"UploadFrameRefused",
     {"--fault", "upload=crc-lower"},
     {"UPL", "@", "Bewegung.dta", ServerArgument("Bewegung.dta"), "1", "/D"},
     kVerboseLogin +
         std::string(
             "An Terminal gesendet: UPLOADFILE <crc> <len> TYP=1 \"Bewegung.dta\" /d:<n>\r\n\n"
             "Terminalantwort: 200 BEGIN 24\r\n4711;0800;K\n4711;1630;G\n250 END e329\r\n\n"
             "Terminalantwort: 200 BEGIN 24\r\n4711;0800;K\n4711;1630;G\n250 END e329\r\n\r\n"
             "\nERROR: Längenangabe oder CRC stimmt nicht überein!Fehler beim Upload: 99"
             "Ende Transfer - <ts>") +
         kNoDatabase + "ERROR: Längenangabe oder CRC stimmt nicht überein!\n",
     99,
     kLoginTranscript + std::string("#1 < UPLOADFILE <crc> <len> TYP=1 \"Bewegung.dta\" /d:<n>\n") +
         "#1 > 200 BEGIN 24 + 24 data bytes + 250 END e329\n#1 closed by the client\n"},
    {"ReplySplitAfterTwoBytes",
     {"--fault", "greeting=split:2"},
     Download(),
     std::string(kNoDatabase) + "250 Datei \"Leser.dta\" übernommen (1000 Bytes)\n",
     0,
     ""},
    // The first three bytes alone are the whole reply; its rest would be
    // the next one.
    {"ReplySplitAfterThreeBytes",
     {"--fault", "end=split:3"},
     Download(),
     std::string(kNoDatabase) + "2\n",
     0,
     ""},
    {"OversizedReply",
     {"--fault", "end=oversize"},
     Download(),
     std::string(kNoDatabase) + "250 Datei \"Leser.dta\" übernommen (1000 Bytes)" +
         std::string(1998 - 45, '.') + "\n",
     0,
     ""},
};

class DialogEnding : public ::testing::TestWithParam<EndingCase> {};

TEST_P(DialogEnding, ShowsItsResultLineExitCodeAndTerminalLog) {
  const EndingCase& c = GetParam();
  TerminalRig rig;
  WriteFileBytes(rig.ServerFile("Leser.dta"), PatternBytes(1000));
  WriteFileBytes(rig.TerminalFile("Bewegung.dta"), kBookings);
  if (c.terminal != std::vector<std::string>{"none"}) {
    ASSERT_TRUE(rig.StartTerminal(c.terminal));
  }

  const ProcessResult run = rig.RunClient(c.client);
  EXPECT_EQ(Masked(run.output), c.output);
  EXPECT_EQ(run.exitCode, PosixExitCode(c.exitCode));
  if (!c.transcript.empty()) {
    EXPECT_EQ(MaskedTranscript(rig.Transcript()), c.transcript);
  }
}

INSTANTIATE_TEST_SUITE_P(E2e, DialogEnding, ::testing::ValuesIn(kEndingCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// A reset right after the upload frame: the file is stored, and the delete
// command that follows cannot be sent.
TEST(DialogEndingFiles, CommandThatCannotBeSent) {
  TerminalRig rig;
  WriteFileBytes(rig.TerminalFile("Bewegung.dta"), kBookings);
  ASSERT_TRUE(rig.StartTerminal({"--fault", "upload=reset-after"}));
  const ProcessResult run =
      rig.RunClient({"UPL", "@", "Bewegung.dta", ServerArgument("Bewegung.dta"), "1"});
  EXPECT_EQ(Masked(run.output), "Write Error: 10054" + std::string(kNoDatabase) +
                                    "Fehler Socket-Write! Error: 10054\n");
  EXPECT_EQ(run.exitCode, PosixExitCode(10054));
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bewegung.dta")), "4711;0800;K\r\n4711;1630;G\r\n");
  EXPECT_EQ(ReadFileBytes(rig.TerminalFile("Bewegung.dta")), kBookings);
  EXPECT_EQ(MaskedTranscript(rig.Transcript()),
            kLoginTranscript +
                std::string("#1 < UPLOADFILE <crc> <len> TYP=1 \"Bewegung.dta\" /d:<n>\n") +
                "#1 > 200 BEGIN 24 + 24 data bytes + 250 END E329\n"
                "#1 ! connection reset after the reply\n");
}

// A reset while the file's bytes are on their way: the send fails, there is
// no result line, and the terminal keeps nothing.
TEST(DialogEndingFiles, DownloadSendFails) {
  TerminalRig rig;
  constexpr std::size_t kSize = 4 << 20;  // far more than a reset leaves time to send
  WriteFileBytes(rig.ServerFile("Gross.dta"), PatternBytes(kSize));
  ASSERT_TRUE(rig.StartTerminal({"--fault", "download=reset-after"}));
  const ProcessResult run = rig.RunClient({"DNL", "@", ServerArgument("Gross.dta"), "Gross.dta"});
  EXPECT_EQ(Masked(run.output), "Write Error: 10054" + std::string(kNoDatabase) + "\n");
  EXPECT_EQ(run.exitCode, PosixExitCode(10054));
  EXPECT_EQ(MaskedTranscript(rig.Transcript()),
            kLoginTranscript +
                std::string("#1 < DOWNLOADFILE BEGIN TYP=1 \"Gross.dta\" 4194304 /C:<digest>\n") +
                "#1 > 200 bereit fuer 4194304 Bytes\n#1 ! connection reset after the reply\n");
  EXPECT_FALSE(FileExists(rig.TerminalFile("Gross.dta")));
}

// The one real time-out of the suite, in two runs side by side: the terminal
// stays silent for longer than the tool's 30 seconds; and a reply whose bytes
// keep coming, but too slowly, is given the same 30 seconds in all.
TEST(DialogEndingTimeOut, ReplyThatNeverComes) {
  // The reply to the delete: the upload trailer's line end at once, in a
  // piece of its own, then a byte every 12 s. The third byte of the reply's
  // code comes at 36 s, past the one deadline, although each byte came
  // within 30 s of the one before.
  TerminalRig slow;
  WriteFileBytes(slow.TerminalFile("Bewegung.dta"), kBookings);
  ASSERT_TRUE(slow.StartTerminal(
      {"--pause", "20", "--fault", "upload=pieces:5", "--fault", "delete=trickle:12000"}));
  BackgroundProcess slowRun =
      slow.StartClient({"UPL", "@", "Bewegung.dta", ServerArgument("Bewegung.dta"), "1"});

  TerminalRig rig;
  WriteFileBytes(rig.ServerFile("Leser.dta"), PatternBytes(1000));
  ASSERT_TRUE(rig.StartTerminal({"--fault", "pass=silence:31000"}));
  const ProcessResult run = rig.RunClient(Download({"/D"}));
  EXPECT_EQ(Masked(run.output),
            std::string(kVerboseLogin)
                    .substr(0, std::string(kVerboseLogin).find("Terminalantwort: 230")) +
                "Read-Error: 10035Ende Transfer - <ts>" + std::string(kNoDatabase) +
                "Fehler Socket-Read! Error: 10035\n");
  EXPECT_EQ(run.exitCode, PosixExitCode(10035));
  EXPECT_EQ(rig.Transcript(), LoginUpTo("< PASS **********") +
                                  "#1 ! silence of 31000 ms\n#1 > 230 angemeldet\n"
                                  "#1 closed by the client\n");

  EXPECT_EQ(WaitProcess(slowRun, 20000), PosixExitCode(10035));
  EXPECT_EQ(Masked(ReadFileBytes(slowRun.outputPath)),
            std::string(kNoDatabase) + "Fehler Socket-Read! Error: 10035\n");
  // The upload itself was complete: the server holds the file, and the
  // terminal deleted its copy before it began to answer.
  EXPECT_EQ(ReadFileBytes(slow.ServerFile("Bewegung.dta")), "4711;0800;K\r\n4711;1630;G\r\n");
  EXPECT_FALSE(FileExists(slow.TerminalFile("Bewegung.dta")));
}

}  // namespace
