// The dialog engine against scripted terminals on loopback: every ending of
// the dialog, the reply reading rules and the verbose transcript.
#include "dialog/dialog_engine.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/scripted_peer.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<PeerStep> Join(std::vector<PeerStep> first, const std::vector<PeerStep>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

TEST(DialogEngine, UnknownTerminalNameEndsBeforeConnecting) {
  for (int verbose : {0, 1}) {
    TransferRun run = LoginRun("DNL", verbose);
    run.terminalName = "no-such-host..invalid";
    const DialogOutcome outcome = RunDialog(run, 5010);
    EXPECT_NE(outcome.result, 0);
    EXPECT_EQ(outcome.console, "Terminalname nicht gefunden!");
    EXPECT_EQ(run.resultText, "Terminalname unbekannt! Error: " + std::to_string(outcome.result));
  }
}

TEST(DialogEngine, RefusedConnectionEndsWithOpenError) {
  // A bound socket that does not listen refuses every connection.
  const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length), 0);

  TransferRun run = LoginRun("UPL", 1);
  const DialogOutcome outcome = RunDialog(run, ntohs(address.sin_port), 1);
  ::close(holder);
  EXPECT_EQ(outcome.result, kWsaEconnaborted);
  EXPECT_EQ(outcome.console, "Open-Error: 10053");
  EXPECT_EQ(run.resultText, "Fehler Socket-Open! Error: 10053");
}

TEST(DialogEngine, RefusalEndsWithTheReplyAndItsNumber) {
  const std::string login = LoginLines();
  const std::string user = login.substr(0, login.find("\r\n") + 2);
  const std::string longText(2500, 'x');
  struct Case {
    const char* name;
    std::vector<PeerStep> steps;
    std::string resultText;
    int result;
    std::string transcript;
  } cases[] = {
      {"greeting 421", {Send("421 belegt\r\n")}, "421 belegt", 421, ""},
      {"password refused",
       {Send("200 da\r\n"), ReadLine(), Send("331 ok\r\n"), ReadLine(), Send("530 falsch\r\n")},
       "530 falsch",
       530,
       login},
      {"not digits", {Send("ABC kaputt\r\n")}, "ABC kaputt", 99, ""},
      {"empty reply", {Send(std::string(3, '\0'))}, "999 keine Antwort", 999, ""},
      {"one character", {Send(std::string("4\0\0", 3))}, "", 99, ""},
      {"NUL ends a reply",
       {Send(std::string("200\0x\r\n", 7)), ReadLine(), Send(std::string("53\0 0 nein\r\n", 12))},
       "",
       99,
       user},
      {"oversized reply",
       {Send("550 " + longText + "\r\n")},
       ("550 " + longText).substr(0, 1998),
       550,
       ""},
      {"first two bytes alone",
       {Send("20"), Pause(300), Send("0 da\r\n"), ReadLine(), Send("530 nein\r\n")},
       "530 nein",
       530,
       user},
      {"first three bytes alone", {Send("200"), Pause(300), Send(" da\r\n")}, " da", 99, user},
      // Line ends belong to the reply they stand in.
      {"line end before the code", {Send("\r\n200 da\r\n")}, "\r\n200 da", 2, ""},
      {"line end after a reply",
       {Send("200 da"), Pause(300), Send("\r\n"), ReadLine(), Send("331 ok\r\n")},
       "\r\n331 ok",
       3,
       user},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer(c.steps);
    TransferRun run = LoginRun("UPL");
    const DialogOutcome outcome = RunDialog(run, peer.Port());
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(run.resultText, c.resultText);
    EXPECT_EQ(outcome.console, "");
    EXPECT_EQ(peer.Transcript(), c.transcript);
  }
}

TEST(DialogEngine, SilentTerminalEndsWithReadError) {
  ScriptedPeer peer({Pause(1500)});
  TransferRun run = LoginRun("DNL", 1);
  const DialogOutcome outcome = RunDialog(run, peer.Port(), 1);
  // A connect that had to wait leaves the would-block code behind.
  EXPECT_EQ(outcome.result, kWsaEwouldblock);
  EXPECT_EQ(outcome.console, "Read-Error: 10035");
  EXPECT_EQ(run.resultText, "Fehler Socket-Read! Error: 10035");
}

TEST(DialogEngine, TerminalClosingEndsWithReadError) {
  ScriptedPeer peer({Send("200 da\r\n"), Close()});
  TransferRun run = LoginRun("DNL");
  const DialogOutcome outcome = RunDialog(run, peer.Port());
  EXPECT_NE(outcome.result, 0);
  EXPECT_EQ(run.resultText, "Fehler Socket-Read! Error: " + std::to_string(outcome.result));
  EXPECT_EQ(outcome.console, "");
}

TEST(DialogEngine, CommandThatCannotGoOutEndsWithWriteError) {
  // A terminal that stops reading: a command larger than every buffer on the
  // way cannot be sent within the time-out.
  ScriptedPeer peer({Send("200 da\r\n"), Pause(2000), Close()});
  TransferRun run = LoginRun("UPL", 1);
  run.script->entries[1] = "331USER " + std::string(32 << 20, 'u');
  const DialogOutcome outcome = RunDialog(run, peer.Port(), 1);
  EXPECT_EQ(outcome.result, kWsaEconnaborted);
  EXPECT_EQ(outcome.console, "Terminalantwort: 200 da\r\n\nWrite Error: 10053");
  EXPECT_EQ(run.resultText, "Fehler Socket-Write! Error: 10053");
}

TEST(DialogEngine, VerboseTranscriptMasksCredentialsAndStillDownloads) {
  TempDir dir;
  const std::string data(1000, 'd');
  WriteFileBytes(dir.File("Leser.dta"), data);
  // A terminal file name holding "USER" is masked on the console only.
  TransferRun run = DownloadRun(dir.File("Leser.dta"), "USERS.DTA", 1);
  const std::string begin = run.script->entries[3].substr(3);
  ScriptedPeer peer(Join(LoginSteps(), {ReadLine(), Send("200 los\r\n"), ReadBytes(1000),
                                        ReadLine(), Send("250 gespeichert\r\n")}));
  const DialogOutcome outcome = RunDialog(run, peer.Port());
  const std::string end = "DOWNLOADFILE END " + CrcText(data);

  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(run.resultText, "250 gespeichert");
  EXPECT_EQ(peer.Transcript(), LoginLines() + begin + "\r\n" + data + end + "\r\n");
  EXPECT_EQ(outcome.console,
            "Terminalantwort: 200 Terminal bereit\r\n\n"
            "An Terminal gesendet: USER **********\n"
            "Terminalantwort: 331 Passwort\r\n\n"
            "An Terminal gesendet: PASS **********\n"
            "Terminalantwort: 230 angemeldet\r\n\n"
            "An Terminal gesendet: DOWNL**********\n"
            "Terminalantwort: 200 los\r\n\n"
            "Bytes uebertragen: 512 \n"
            "Bytes uebertragen: 1000 \n"
            "An Terminal gesendet: " +
                end +
                "\r\n\n"
                "Terminalantwort: 250 gespeichert\r\n\n");
}

TEST(DialogEngine, MissingServerFileEndsTheDownload) {
  TempDir dir;
  WriteFileBytes(dir.File("weg.dta"), "abc");
  TransferRun run = DownloadRun(dir.File("weg.dta"), "weg.dta", 1);
  const std::string begin = run.script->entries[3].substr(3);
  std::remove(dir.File("weg.dta").c_str());
  ScriptedPeer peer(Join(LoginSteps(), {ReadLine(), Send("200 los\r\n")}));
  const DialogOutcome outcome = RunDialog(run, peer.Port());
  EXPECT_EQ(outcome.result, 99);
  EXPECT_EQ(run.resultText, "");
  const std::string tail = "Quelldatei auf Server nicht gefunden\nFehler beim Download: 99";
  EXPECT_EQ(outcome.console.substr(outcome.console.size() - tail.size()), tail);
  EXPECT_EQ(peer.Transcript(), LoginLines() + begin + "\r\n");
}

TEST(DialogEngine, DownloadThatCannotGoOutEndsWithWriteError) {
  TempDir dir;
  WriteFileBytes(dir.File("gross.dta"), std::string(16 << 20, 'g'));
  TransferRun run = DownloadRun(dir.File("gross.dta"), "gross.dta");
  ScriptedPeer peer(Join(LoginSteps(), {ReadLine(), Send("200 los\r\n"), Pause(2000), Close()}));
  const DialogOutcome outcome = RunDialog(run, peer.Port(), 1);
  EXPECT_EQ(outcome.result, kWsaEconnaborted);
  EXPECT_EQ(outcome.console, "Write Error: 10053");
  EXPECT_EQ(run.resultText, "");
  EXPECT_EQ(run.script->entries[4], "250DOWNLOADFILE END ");  // no CRC appended
}

}  // namespace
