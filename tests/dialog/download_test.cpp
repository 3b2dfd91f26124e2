// Downloads: the data phase's pieces and CRC, and the download-all expansion
// of the server's list, alone and through a whole dialog.
#include <gtest/gtest.h>

#include <cstdio>

#include "crypto/md5.h"
#include "dialog/download_all.h"
#include "platform/file_facts.h"
#include "session/script_entries.h"
#include "tests/dialog/dialog_fixture.h"
#include "tests/dialog/played_terminal.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Data(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 37 + 11) % 256);
  return data;
}

// A download-all's source argument naming the directory: it ends with the
// separator of every platform, the backslash.
std::string ListDirectory(const TempDir& dir) {
  return dir.path + "\\";
}

// The verbose counter lines of a console text, one number each.
std::string CounterLines(const std::string& console) {
  std::string lines;
  const std::string mark = "Bytes uebertragen: ";
  for (std::size_t at = console.find(mark); at != std::string::npos;
       at = console.find(mark, at + 1)) {
    lines += console.substr(at + mark.size(), console.find('\n', at) - at - mark.size()) + ";";
  }
  return lines;
}

TEST(DownloadSender, SendsThePiecesAndAppendsTheLowerCaseCrc) {
  struct Case {
    std::size_t size;
    std::string counters;
  } cases[] = {{1000, "512 ;1000 ;"}, {512, "512 ;512 ;"}, {1024, "512 ;1024 ;1024 ;"}, {0, "0 ;"}};
  bool sawLetter = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TempDir dir;
    const std::string data = Data(c.size);
    WriteFileBytes(dir.File("f.dta"), data);
    TransferRun run = DownloadRun(dir.File("f.dta"), "f.dta", 1);
    const std::string begin = run.script->entries[3].substr(3);
    PlayedTerminal peer({Send("200 da\r\n"), ReadLine(), Send("331 ok\r\n"), ReadLine(),
                         Send("230 ok\r\n"), ReadLine(), Send("200 los\r\n"), ReadBytes(c.size),
                         ReadLine(), Send("250 fertig\r\n")});
    const DialogTrial outcome = RunDialog(run);
    const std::string crc = DataCrcText(data);
    sawLetter = sawLetter || crc.find_first_of("abcdef") != std::string::npos;
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.resultText, "250 fertig");
    EXPECT_EQ(CounterLines(outcome.console), c.counters);
    EXPECT_EQ(peer.Transcript(),
              LoginLines() + begin + "\r\n" + data + "DOWNLOADFILE END " + crc + "\r\n");
  }
  EXPECT_TRUE(sawLetter) << "no case shows the case of the CRC digits";
}

struct ListCase {
  const char* name;
  std::string list;                                        // DNLLIST.TXT; absent when "-"
  std::vector<std::pair<std::string, std::string>> files;  // name, contents
  std::vector<std::string> sent;  // terminal names of the BEGIN entries in order
  int result;
};

std::vector<ListCase> ListCases() {
  const std::pair<std::string, std::string> identity{"IDSTAMM.DTA", "ID"};
  return {
      {"identity last",
       "A.DTA\r\nB.DTA\n",
       {{"A.DTA", "a"}, {"B.DTA", "b"}, identity},
       {"A.DTA", "B.DTA", "IDSTAMM.DTA"},
       0},
      {"identity listed",
       "IDSTAMM.DTA\nA.DTA\n",
       {{"A.DTA", "a"}, identity},
       {"IDSTAMM.DTA", "A.DTA"},
       0},
      {"identity inside a longer name",
       "XIDSTAMM.DTA.OLD\n",
       {{"XIDSTAMM.DTA.OLD", "x"}, identity},
       {"XIDSTAMM.DTA.OLD"},
       0},
      {"identity in lower case",
       "idstamm.dta\n",
       {{"idstamm.dta", "i"}, identity},
       {"idstamm.dta", "IDSTAMM.DTA"},
       0},
      {"identity missing", "A.DTA\n", {{"A.DTA", "a"}}, {"A.DTA"}, 0},
      {"identity empty, empty file listed",
       "LEER.DTA\n",
       {{"LEER.DTA", ""}, {"IDSTAMM.DTA", ""}},
       {"LEER.DTA"},
       0},
      {"last line without line feed",
       "A.DTA\nB.DTA",
       {{"A.DTA", "a"}, {"B.DTA", "b"}},
       {"A.DTA", "B.DTA"},
       0},
      {"empty list", "", {}, {}, 0},
      {"missing list", "-", {identity}, {}, kDownloadListMissing},
      {"empty line",
       "A.DTA\n\nB.DTA\n",
       {{"A.DTA", "a"}, {"B.DTA", "b"}},
       {"A.DTA"},
       kExitCannotSize},
      {"unknown file", "A.DTA\nFEHLT.DTA\n", {{"A.DTA", "a"}}, {"A.DTA"}, kExitCannotSize},
  };
}

TEST(DownloadAll, ListBecomesOnePairOfEntriesPerFile) {
  for (const ListCase& c : ListCases()) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    if (c.list != "-") WriteFileBytes(dir.File("DNLLIST.TXT"), c.list);
    for (const auto& [name, contents] : c.files) WriteFileBytes(dir.File(name), contents);
    TransferRun run = LoginRun("DNLA");
    const DownloadAllExpansion expansion =
        ExpandDownloadAll(ListDirectory(dir), VerboseSink{}, run.script);
    EXPECT_EQ(expansion.result, c.result);
    EXPECT_FALSE(expansion.outOfMemory);
    EXPECT_EQ(expansion.directory, ListDirectory(dir));
    if (c.result == 0) {
      EXPECT_EQ(expansion.fileInHand, c.sent.empty() ? "" : ListDirectory(dir) + c.sent.back());
    }

    std::vector<ScriptEntry> expected(run.script->entries.begin(), run.script->entries.begin() + 3);
    for (const std::string& name : c.sent) {
      const std::string path = dir.File(name);
      const std::string digest = MD5FileDigest(path);
      expected.push_back(DownloadBeginEntry(name, GetFileSize(path), digest));
      expected.push_back(kDownloadEndEntry);
    }
    EXPECT_EQ(run.script->entries, expected);
  }
}

TEST(DownloadAll, SendsEveryListedFileWithItsOwnCrc) {
  TempDir dir;
  WriteFileBytes(dir.File("DNLLIST.TXT"), "A.DTA\nLEER.DTA\n");
  const std::string a = Data(700);
  WriteFileBytes(dir.File("A.DTA"), a);
  WriteFileBytes(dir.File("LEER.DTA"), "");
  WriteFileBytes(dir.File("IDSTAMM.DTA"), "ID1\n");
  TransferRun run = LoginRun("DNLA");
  run.sourceFile = ListDirectory(dir);
  std::vector<ScriptedStep> steps = LoginSteps();
  for (std::size_t size : {a.size(), std::size_t{0}, std::size_t{4}}) {
    for (const ScriptedStep& step : {ReadLine(), Send("200 los\r\n"), ReadBytes(size), ReadLine(),
                                     Send("250 Datei " + std::to_string(size) + "\r\n")}) {
      steps.push_back(step);
    }
  }
  PlayedTerminal peer(steps);
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.resultText, "250 Datei 4");
  std::string expected = LoginLines();
  for (const auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
           {"A.DTA", a}, {"LEER.DTA", ""}, {"IDSTAMM.DTA", "ID1\n"}}) {
    expected += DownloadBeginEntry(name, static_cast<std::int32_t>(data.size()),
                                   MD5FileDigest(dir.File(name)))
                    .substr(3) +
                "\r\n" + data + "DOWNLOADFILE END " + DataCrcText(data) + "\r\n";
  }
  EXPECT_EQ(peer.Transcript(), expected);
}

TEST(DownloadAll, RefusalNamesTheFileInHand) {
  TempDir dir;
  WriteFileBytes(dir.File("DNLLIST.TXT"), "A.DTA\nB.DTA\n");
  WriteFileBytes(dir.File("A.DTA"), "a");
  WriteFileBytes(dir.File("B.DTA"), "b");
  TransferRun run = LoginRun("DNLA");
  run.sourceFile = ListDirectory(dir);
  std::vector<ScriptedStep> steps = LoginSteps();
  for (const ScriptedStep& step : {ReadLine(), Send("200 los\r\n"), ReadBytes(1), ReadLine(),
                                   Send("250 ok\r\n"), ReadLine(), Send("553 voll\r\n")}) {
    steps.push_back(step);
  }
  PlayedTerminal peer(steps);
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, 553);
  EXPECT_EQ(outcome.resultText, "553 voll");
  EXPECT_EQ(outcome.fileInHand, ListDirectory(dir) + "B.DTA");
}

TEST(DownloadAll, MissingListConnectsFirstAndSendsNothing) {
  TempDir dir;
  TransferRun run = LoginRun("DNLA", 1);
  run.sourceFile = ListDirectory(dir);
  PlayedTerminal peer({Send("200 da\r\n")});
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, 98);
  EXPECT_EQ(outcome.console, "DNLLIST.TXT Datei auf Server nicht gefunden\n");
  EXPECT_EQ(outcome.resultText, "");
  EXPECT_TRUE(peer.Connected());
  EXPECT_EQ(peer.Transcript(), "");
}

TEST(DownloadAll, EmptyListOnlyLogsIn) {
  TempDir dir;
  WriteFileBytes(dir.File("DNLLIST.TXT"), "");
  TransferRun run = LoginRun("DNLA");
  run.sourceFile = ListDirectory(dir);
  PlayedTerminal peer(LoginSteps());
  const DialogTrial outcome = RunDialog(run);
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.resultText, "");
  EXPECT_EQ(peer.Transcript(), LoginLines());
}

TEST(DownloadAll, UnsizableListedFileEndsTheProcessBeforeAnyCommand) {
  TempDir dir;
  WriteFileBytes(dir.File("DNLLIST.TXT"), "\n");
  TransferRun run = LoginRun("DNLA");
  run.sourceFile = ListDirectory(dir);
  PlayedTerminal peer({Send("200 da\r\n")});
  const DialogTrial outcome = RunDialog(run);
  EXPECT_TRUE(outcome.endProcess);
  EXPECT_EQ(outcome.code, kExitCannotSize);
  EXPECT_EQ(outcome.console, "");
  EXPECT_EQ(peer.Transcript(), "");
}

}  // namespace
