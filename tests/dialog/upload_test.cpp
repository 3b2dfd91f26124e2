// Uploads through a whole dialog: the frames a terminal may send, how the
// file is stored, and that a failed upload neither touches the old file nor
// lets the delete command go out.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <filesystem>

#include "dialog/dialog_texts.h"
#include "dialog/upload_receiver.h"
#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/played_terminal.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kMismatch = kFrameMismatchText;

std::string Frame(const std::string& data, const std::string& crc) {
  return "200 UPLOADFILE BEGIN " + std::to_string(data.size()) + "\r\n" + data + "250 END " + crc +
         "\r\n";
}
std::string Frame(const std::string& data) {
  return Frame(data, DataCrcText(data, true));
}

// The commands of an upload run with the delete flag, as the peer sees them.
struct UploadCommands {
  std::string upload;
  std::string remove;
};
UploadCommands CommandsOf(const TransferRun& run) {
  return {run.script->entries[3].substr(3) + "\r\n", run.script->entries[4].substr(3) + "\r\n"};
}

// Peer: login, the frame in the given pieces, then the delete.
std::vector<ScriptedStep> UploadSteps(const std::vector<std::string>& pieces) {
  std::vector<ScriptedStep> steps = LoginSteps();
  steps.push_back(ReadLine());
  for (const std::string& piece : pieces) steps.push_back(Send(piece));
  steps.push_back(ReadLine());
  steps.push_back(Send("200 geloescht\r\n"));
  return steps;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(UploadReceiver, FramesAreCheckedAndStored) {
  const std::string booking = "KOMMEN 0800\nENDE 1200\nKOMMEN 1300\n";
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    int result;
    std::string resultText;  // "" for the success text
    std::string stored;      // the server file afterwards; "-" when absent
  } cases[] = {
      {"whole frame in the first reply", {Frame("a\nb\n")}, 0, "", "a\r\nb\r\n"},
      {"frame in pieces",
       {Frame("eins\nzwei\n").substr(0, 10), Frame("eins\nzwei\n").substr(10, 12),
        Frame("eins\nzwei\n").substr(22)},
       0,
       "",
       "eins\r\nzwei\r\n"},
      {"ENDE in an early piece",
       {Frame(booking).substr(0, 40), Frame(booking).substr(40)},
       0,
       "",
       "KOMMEN 0800\r\nENDE 1200\r\nKOMMEN 1300\r\n"},
      {"CR LF stored as CR CR LF", {Frame("x\r\ny\r\n")}, 0, "", "x\r\r\ny\r\r\n"},
      {"length 0", {Frame("")}, 0, "", ""},
      {"250 END inside the data", {Frame("ab250 END cd")}, 99, kMismatch, "-"},
      {"lower-case trailer CRC", {Frame("zzz", DataCrcText("zzz"))}, 99, kMismatch, "-"},
      {"wrong declared length",
       {"200 BEGIN 4\r\nabc250 END " + DataCrcText("abc", true) + "\r\n"},
       99,
       kMismatch,
       "-"},
      {"no BEGIN",
       {"200 UPLOADFILE\r\nabc250 END " + DataCrcText("abc", true) + "\r\n"},
       99,
       kMismatch,
       "-"},
      {"line end before BEGIN", {"200 ok\r\nBEGIN 3\r\nabc250 END 0000\r\n"}, 99, kMismatch, "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string target = dir.File("Bewegung.dta");
    TransferRun run = UploadRun("Bewegungsdaten.dta", target, true);
    const UploadCommands commands = CommandsOf(run);
    PlayedTerminal peer(UploadSteps(c.pieces));
    const DialogTrial outcome = RunDialog(run);
    EXPECT_EQ(outcome.code, c.result);
    if (c.result == 0) {
      EXPECT_EQ(outcome.resultText, "Datei \"" + target + "\" erfolgreich gespeichert");
      EXPECT_EQ(ReadFileBytes(target), c.stored);
      EXPECT_EQ(peer.Transcript(), LoginLines() + commands.upload + commands.remove);
    } else {
      EXPECT_EQ(outcome.resultText, c.resultText);
      EXPECT_FALSE(FileExists(target));
      EXPECT_EQ(peer.Transcript(), LoginLines() + commands.upload);
    }
    EXPECT_EQ(FilesIn(dir.path).size(), c.result == 0 ? 1u : 0u);
  }
}

TEST(UploadReceiver, VerboseShowsTheLastPieceAndTheMismatch) {
  TempDir dir;
  const std::string frame = Frame("zzz", DataCrcText("zzz"));  // CRC 5a83
  TransferRun run = UploadRun("b.dta", dir.File("b.dta"), false, 1);
  PlayedTerminal peer(UploadSteps({frame.substr(0, 20), frame.substr(20)}));
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, 99);
  const std::string tail = "Terminalantwort: " + frame.substr(20) + "\r\n\n" + Shown(kMismatch) +
                           "Fehler beim Upload: 99";
  ASSERT_GE(outcome.console.size(), tail.size());
  EXPECT_EQ(outcome.console.substr(outcome.console.size() - tail.size()), tail);
}

TEST(UploadReceiver, FrameThatNeverEndsGivesTheReadError) {
  TempDir dir;
  TransferRun run = UploadRun("b.dta", dir.File("b.dta"), true, 1);
  const UploadCommands commands = CommandsOf(run);
  std::vector<ScriptedStep> steps = LoginSteps();
  for (const ScriptedStep& step : {ReadLine(), Send("200 BEGIN 9\r\nEND"), Close()}) {
    steps.push_back(step);
  }
  PlayedTerminal peer(steps);
  const DialogTrial outcome = RunDialog(run);
  EXPECT_NE(outcome.code, 0);
  EXPECT_EQ(outcome.resultText, "");
  const std::string code = std::to_string(outcome.code);
  const std::string tail = "Read-Error: " + code + "Fehler beim Upload: " + code;
  EXPECT_EQ(outcome.console.substr(outcome.console.size() - tail.size()), tail);
  EXPECT_EQ(peer.Transcript(), LoginLines() + commands.upload);
}

TEST(UploadReceiver, FrameBeyondTheMemoryLimitEndsWithNotEnoughMemory) {
  TempDir dir;
  TransferRun run = UploadRun("b.dta", dir.File("b.dta"), true);
  const std::string data(60000, 'm');
  const std::string frame = Frame(data);
  PlayedTerminal peer(UploadSteps({frame.substr(0, 1000), frame.substr(1000)}));
  const DialogTrial outcome = RunDialog(run, 30000);
  EXPECT_EQ(outcome.code, 99);
  EXPECT_EQ(outcome.resultText, kOutOfMemoryText);
  EXPECT_FALSE(FileExists(dir.File("b.dta")));
}

// Runs one upload of a good frame into target, where storing fails.
void ExpectFailedStore(const std::string& target, const std::string& old) {
  TransferRun run = UploadRun("b.dta", target, true, 1);
  const UploadCommands commands = CommandsOf(run);
  PlayedTerminal peer(UploadSteps({Frame(std::string(20000, 'n'))}));
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, 99);
  EXPECT_EQ(outcome.resultText, "");
  const std::string tail = "Zieldatei auf Server kann nicht erzeugt werden\nFehler beim Upload: 99";
  EXPECT_EQ(outcome.console.substr(outcome.console.size() - tail.size()), tail);
  EXPECT_EQ(peer.Transcript(), LoginLines() + commands.upload);
  if (!old.empty()) {
    EXPECT_EQ(ReadFileBytes(target), old);
  }
}

TEST(UploadReceiver, FailedStoreKeepsTheOldFileAndSendsNoDelete) {
  TempDir dir;
  {
    SCOPED_TRACE("directory missing");
    ExpectFailedStore(dir.File("fehlt/b.dta"), "");
  }
  {
    SCOPED_TRACE("target is a directory");
    std::filesystem::create_directory(dir.File("ordner"));
    ExpectFailedStore(dir.File("ordner"), "");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("ordner")));
  }
#ifndef _WIN32  // a file size limit is POSIX
  {
    SCOPED_TRACE("write fails: file size limit");
    WriteFileBytes(dir.File("alt.dta"), "alter Stand\r\n");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ExpectFailedStore(dir.File("alt.dta"), "alter Stand\r\n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
  }
#endif
  std::vector<std::string> left = FilesIn(dir.path);
  std::sort(left.begin(), left.end());
#ifndef _WIN32
  EXPECT_EQ(left, (std::vector<std::string>{"alt.dta", "ordner"}));
#else
  EXPECT_EQ(left, (std::vector<std::string>{"ordner"}));
#endif
}

// The trailer's line end may come in a piece of its own after the frame is
// complete: the reply to the delete then begins with it. Only those two
// bytes are skipped, and all of that reply within one time-out.
TEST(UploadReceiver, ReplyAfterTheFrameLosesOnlyTheTrailerLineEnd) {
  const std::string frame = Frame("ok\n");
  const std::string body = frame.substr(0, frame.size() - 2);
  struct Case {
    const char* name;
    std::vector<ScriptedStep> afterDelete;
    int result;
    std::string resultText;  // "" for the success text
  } cases[] = {
      {"line end apart", {Send("\r\n"), Pause(200), Send("200 geloescht\r\n")}, 0, ""},
      {"line end with the reply", {Send("\r\n200 geloescht\r\n")}, 0, ""},
      {"only LF apart", {Send("\n200 geloescht\r\n")}, 0, ""},
      {"a second line end", {Send("\r\n\r\n200 geloescht\r\n")}, 2, "\r\n200 geloescht"},
      // The code's third byte comes 2.5 s into a time-out of 2 s, although
      // no byte came more than 1.5 s after the one before.
      {"one time-out for it all",
       {Send("\r\n"), Pause(1000), Send("2"), Pause(1500), Send("00 geloescht\r\n")},
       kWsaEwouldblock,
       "Fehler Socket-Read! Error: 10035"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    TransferRun run = UploadRun("b.dta", dir.File("b.dta"), true);
    std::vector<ScriptedStep> steps = LoginSteps();
    for (const ScriptedStep& step : {ReadLine(), Send(body), ReadLine()}) steps.push_back(step);
    steps.insert(steps.end(), c.afterDelete.begin(), c.afterDelete.end());
    PlayedTerminal peer(steps);
    const DialogTrial outcome = RunDialog(run);
    EXPECT_EQ(outcome.code, c.result);
    EXPECT_EQ(outcome.resultText,
              c.result == 0 ? "Datei \"" + dir.File("b.dta") + "\" erfolgreich gespeichert"
                            : c.resultText);
    EXPECT_EQ(ReadFileBytes(dir.File("b.dta")), "ok\r\n");
  }
}

TEST(UploadReceiver, RefusedDeleteReplacesTheSuccessText) {
  TempDir dir;
  TransferRun run = UploadRun("b.dta", dir.File("b.dta"), true);
  std::vector<ScriptedStep> steps = LoginSteps();
  for (const ScriptedStep& step :
       {ReadLine(), Send(Frame("ok\n")), ReadLine(), Send("550 nicht geloescht\r\n")}) {
    steps.push_back(step);
  }
  PlayedTerminal peer(steps);
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, 550);
  EXPECT_EQ(outcome.resultText, "550 nicht geloescht");
  EXPECT_EQ(ReadFileBytes(dir.File("b.dta")), "ok\r\n");
}

}  // namespace
