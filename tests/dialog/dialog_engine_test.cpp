// The dialog engine against scripted terminals: every ending of the dialog,
// the reply reading rules and the verbose transcript.
#include "dialog/dialog_engine.h"

#include <gtest/gtest.h>

#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/played_terminal.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<ScriptedStep> Join(std::vector<ScriptedStep> first,
                               const std::vector<ScriptedStep>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

TEST(DialogEngine, UnknownTerminalNameEndsBeforeConnecting) {
  for (int verbose : {0, 1}) {
    TransferRun run = LoginRun("DNL", verbose);
    run.terminalName = "no-such-host..invalid";
    PlayedTerminal peer({});
    TheScriptedTerminal().resolveError = 11001;  // host unknown
    const DialogTrial outcome = RunDialog(run);
    EXPECT_EQ(outcome.code, 11001);
    EXPECT_EQ(outcome.console, "Terminalname nicht gefunden!");
    EXPECT_EQ(outcome.resultText, "Terminalname unbekannt! Error: 11001");
    EXPECT_FALSE(peer.Connected());
  }
}

TEST(DialogEngine, RefusedConnectionEndsWithOpenError) {
  PlayedTerminal peer({});
  TheScriptedTerminal().connectError = 10061;  // connection refused
  TransferRun run = LoginRun("UPL", 1);
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, kWsaEconnaborted);
  EXPECT_EQ(outcome.console, "Open-Error: 10053");
  EXPECT_EQ(outcome.resultText, "Fehler Socket-Open! Error: 10053");
  EXPECT_EQ(peer.Transcript(), "");
}

TEST(DialogEngine, RefusalEndsWithTheReplyAndItsNumber) {
  const std::string login = LoginLines();
  const std::string user = login.substr(0, login.find("\r\n") + 2);
  const std::string longText(2500, 'x');
  struct Case {
    const char* name;
    std::vector<ScriptedStep> steps;
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
       {Send("20"), Send("0 da\r\n"), ReadLine(), Send("530 nein\r\n")},
       "530 nein",
       530,
       user},
      {"first three bytes alone", {Send("200"), Send(" da\r\n")}, " da", 99, user},
      // Line ends belong to the reply they stand in.
      {"line end before the code", {Send("\r\n200 da\r\n")}, "\r\n200 da", 2, ""},
      {"line end after a reply",
       {Send("200 da"), Send("\r\n"), ReadLine(), Send("331 ok\r\n")},
       "\r\n331 ok",
       3,
       user},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlayedTerminal peer(c.steps);
    TransferRun run = LoginRun("UPL");
    const DialogTrial outcome = RunDialog(run);
    EXPECT_EQ(outcome.code, c.result);
    EXPECT_EQ(outcome.resultText, c.resultText);
    EXPECT_EQ(outcome.console, "");
    EXPECT_EQ(peer.Transcript(), c.transcript);
  }
}

TEST(DialogEngine, SilentTerminalEndsWithReadError) {
  PlayedTerminal peer({Silence()});
  TransferRun run = LoginRun("DNL", 1);
  const DialogTrial outcome = RunDialog(run);
  // A connect that had to wait leaves the would-block code behind.
  EXPECT_EQ(outcome.code, kWsaEwouldblock);
  EXPECT_EQ(outcome.console, "Read-Error: 10035");
  EXPECT_EQ(outcome.resultText, "Fehler Socket-Read! Error: 10035");
}

TEST(DialogEngine, TerminalClosingEndsWithReadError) {
  PlayedTerminal peer({Send("200 da\r\n"), Close()});
  TransferRun run = LoginRun("DNL");
  const DialogTrial outcome = RunDialog(run);
  EXPECT_NE(outcome.code, 0);
  EXPECT_EQ(outcome.resultText, "Fehler Socket-Read! Error: " + std::to_string(outcome.code));
  EXPECT_EQ(outcome.console, "");
}

TEST(DialogEngine, CommandThatCannotGoOutEndsWithWriteError) {
  // A terminal that stops reading: the command cannot go out within the
  // time-out.
  PlayedTerminal peer({Send("200 da\r\n"), StopReading()});
  TransferRun run = LoginRun("UPL", 1);
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, kWsaEconnaborted);
  EXPECT_EQ(outcome.console, "Terminalantwort: 200 da\r\n\nWrite Error: 10053");
  EXPECT_EQ(outcome.resultText, "Fehler Socket-Write! Error: 10053");
}

TEST(DialogEngine, VerboseTranscriptMasksCredentialsAndStillDownloads) {
  TempDir dir;
  const std::string data(1000, 'd');
  WriteFileBytes(dir.File("Leser.dta"), data);
  // A terminal file name holding "USER" is masked on the console only.
  TransferRun run = DownloadRun(dir.File("Leser.dta"), "USERS.DTA", 1);
  const std::string begin = run.script->entries[3].substr(3);
  PlayedTerminal peer(Join(LoginSteps(), {ReadLine(), Send("200 los\r\n"), ReadBytes(1000),
                                          ReadLine(), Send("250 gespeichert\r\n")}));
  const DialogTrial outcome = RunDialog(run);
  const std::string end = "DOWNLOADFILE END " + DataCrcText(data);

  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.resultText, "250 gespeichert");
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
  PlayedTerminal peer(Join(LoginSteps(), {ReadLine(), Send("200 los\r\n")}));
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, 99);
  EXPECT_EQ(outcome.resultText, "");
  const std::string tail = "Quelldatei auf Server nicht gefunden\nFehler beim Download: 99";
  EXPECT_EQ(outcome.console.substr(outcome.console.size() - tail.size()), tail);
  EXPECT_EQ(peer.Transcript(), LoginLines() + begin + "\r\n");
}

TEST(DialogEngine, DownloadThatCannotGoOutEndsWithWriteError) {
  TempDir dir;
  WriteFileBytes(dir.File("gross.dta"), std::string(2000, 'g'));
  TransferRun run = DownloadRun(dir.File("gross.dta"), "gross.dta");
  PlayedTerminal peer(Join(LoginSteps(), {ReadLine(), Send("200 los\r\n"), StopReading()}));
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, kWsaEconnaborted);
  EXPECT_EQ(outcome.console, "Write Error: 10053");
  EXPECT_EQ(outcome.resultText, "");
  EXPECT_EQ(run.script->entries[4], "250DOWNLOADFILE END ");  // no CRC appended
}

}  // namespace
