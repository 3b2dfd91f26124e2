// The command line as its callers see it: the real program as a child
// process, its console bytes and its exit code.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

const char kBannerAndUsage[] =
    "\n"
    "******************************************************\n"
    "** Projekt     : KORVALINE                          **\n"
    "** Tool        : DATENSCHLEUSE                      **\n"
    "** Beschreibung:  Transfer von Dateien zwischen     **\n"
    "**                Terminal und Terminal Manager     **\n"
    "**                                                  **\n"
    "******************************************************\n"
    "\n"
    "Befehlsformat: \n"
    "DATENSCHLEUSE.EXE TransferTyp Terminalname QuellDatei ZielDatei [Flag]\n"
    "\n"
    "TransferTyp: DNL / DNLA / UPL  (Download- / Upload)\n"
    "              DNL : Download einzelner Datei\n"
    "              DNLA: Download aller Dateien, die in DNLLIST.TXT angegeben sind.\n"
    "              UPL : Upload\n"
    "Terminalname : Name des Terminals, z.B. Terminal1\n"
    "QuellDatei: Bei Upload: Datei im Terminal, z.B.: Bewegungsdaten.dta\n"
    "            Bei Download: Datei auf Server, z.B.: .\\Files\\Terminal1\\ORBELIKAdmin\\Leser.dta\n"
    "            Bei Download All: vollstaendiger Pfad der Quelldatei z.B.: "
    ".\\Files\\Terminal1\\ORBELIKAdmin\\\n"
    "ZielDatei    : Bei Upload: Datei auf Server, z.B.: C:\\...\\Bewegungsdaten.dta \n"
    "               Bei Download: Datei im Terminal, z.B. Leser.dta \n"
    "               Bei Download All: Dummy z.B. xxx \n"
    "Flag         : nur Upload: 1 = Loeschen der Terminal-Datei nach erfolgreicher "
    "Uebertragung\n"
    "\n"
    "Beispiel:\n"
    "DATENSCHLEUSE.EXE DNL Terminal1 .\\Files\\Terminal1\\ORBELIKAdmin\\Leser.dta  Leser.dta\n"
    "DATENSCHLEUSE.EXE DNLA Terminal1 .\\Files\\Terminal1\\ORBELIKAdmin\\ xxx\n"
    "\n";

// A host name the C library refuses by itself (an empty label): the run gets
// as far as the name lookup and no query leaves the machine.
const char kNoHost[] = "no-such-host..invalid";

// Masks the 14-digit timestamps and the database's failure number.
std::string Masked(std::string output) {
  output = std::regex_replace(output, std::regex("[0-9]{14}"), "<TS>");
  return std::regex_replace(output, std::regex("Fehler: -?[0-9]+\n"), "Fehler: <N>\n");
}

class CommandLine : public ::testing::Test {
 protected:
  CommandLine() {
    WriteFileBytes(dir.File("Files/Leser.dta"), "some master data\n");
    WriteFileBytes(dir.File("a/b/.keep"), "");
    options.workingDirectory = dir.File("a/b");
  }
  ProcessResult Run(const std::vector<std::string>& arguments) {
    return RunProcess(DS_PROGRAM, arguments, options);
  }
  std::string ServerFile() const { return dir.File("Files/Leser.dta"); }

  TempDir dir;
  ProcessOptions options;
};

TEST_F(CommandLine, UnusableCommandLinesPrintBannerAndUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"DNL", "T1", "x"},
      {"/D", "T1", "x"},
      {"UPLOAD", "T1", "a", "b"},
      {"DNL1", "T1", "a", "b"},
      {"", "T1", "a", "b"},
      {"UP", "T1", "a", "b", "/D"},  // the switch does not change the text
  };
  for (const auto& arguments : cases) {
    const ProcessResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 99) << ::testing::PrintToString(arguments);
    EXPECT_EQ(result.output, kBannerAndUsage) << ::testing::PrintToString(arguments);
  }
}

TEST_F(CommandLine, BadArgumentsEndWithOneAndSpeakOnlyWhenVerbose) {
  const std::string name50(50, 'n');
  const struct {
    std::vector<std::string> arguments;
    const char* output;
  } cases[] = {
      {{"DNL", name50, "a", "b"}, ""},
      {{"DNL", name50, "a", "b", "/D"}, "Terminalname zu lang !!!\n"},
      {{"UPL", "T1", "a", "b", "2"}, ""},
      {{"UPL", "T1", "a", "b", "-1"}, ""},
      {{"UPL", "T1", "a", "b", "2", "x", "/d"}, "falsches L\xC3\xB6schFlag !!!\n"},
      {{"UPL", "T1", "a", "b", "2", "/D"}, "falsches L\xC3\xB6schFlag !!!\n"},
      {{"UPL", "T1", std::string(83, 'f'), "b"}, "Dateiname im Terminal zu lang !!!\n"},
      {{"DNLA", "T1", std::string(89, 'd') + "\\", "xxx"}, "Quellverzeichnis zu lang !!!\n"},
      {{"DNL", "T1", "\xFF\xFE", "b"}, "Argument 3 ist keine Windows-1252-Zeichenfolge !!!\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = Run(c.arguments);
    EXPECT_EQ(result.exitCode, 1) << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(result.output, c.output) << ::testing::PrintToString(c.arguments);
  }
}

TEST_F(CommandLine, UnsizableDownloadEndsWithMinusOneAndNoResultLine) {
  TempDir other;
  WriteFileBytes(other.File("empty.dta"), "");
  for (const std::string& source : {dir.File("missing.dta"), other.File("empty.dta"), other.path}) {
    const ProcessResult quiet = Run({"DNL", kNoHost, source, "x.dta"});
    EXPECT_EQ(quiet.exitCode, PosixExitCode(-1)) << source;
    EXPECT_EQ(quiet.output, "") << source;
  }
  const ProcessResult verbose = Run({"DNL", kNoHost, dir.File("missing.dta"), "x.dta", "/d"});
  EXPECT_EQ(verbose.exitCode, PosixExitCode(-1));
  EXPECT_EQ(Masked(verbose.output), "Start Transfer - <TS>\n\rBefehlsfolge festlegen.\n\r");
}

// Accepted command lines reach the terminal lookup, which fails with 11001.
TEST_F(CommandLine, AcceptedCommandLinesRunTheTransfer) {
  const std::string name49 = std::string(40, 'n') + "..invalid";
  ASSERT_EQ(name49.size(), 49u);
  const std::string quiet =
      "Terminalname nicht gefunden!Datenbankverbindung fehlgeschlagen, Fehler: <N>\n"
      "Terminalname unbekannt! Error: 11001\n";
  const std::string verbose =
      "Start Transfer - <TS>\n\rBefehlsfolge festlegen.\n\rTerminalname nicht gefunden!"
      "Ende Transfer - <TS>Datenbankverbindung fehlgeschlagen, Fehler: <N>\n"
      "Terminalname unbekannt! Error: 11001\n";
  const std::string server = ServerFile();
  const struct {
    std::vector<std::string> arguments;
    const std::string& output;
  } cases[] = {
      {{"DNL", kNoHost, server, "Leser.dta"}, quiet},
      {{"dnl", kNoHost, server, "Leser.dta"}, quiet},
      {{"Dnl", kNoHost, server, "Leser.dta", "1"}, quiet},  // the flag means nothing here
      {{"DNL", name49, server, "Leser.dta"}, quiet},
      {{"DNLAxyz", kNoHost, dir.path + "\\Files\\", "xxx"}, quiet},
      {{"upl", kNoHost, "Bewegungsdaten.dta", "out.dta"}, quiet},
      {{"UPL", kNoHost, std::string(82, 'f'), "out.dta", "1"}, quiet},
      {{"UPL", kNoHost, "Bewegungsdaten.dta", "out.dta", "0"}, quiet},
      {{"DNL", kNoHost, server, "L", "a", "b", "c", "/D"}, quiet},  // too late to count
      {{"DNL", kNoHost, server, "L", "/D "}, quiet},
      {{"DNL", kNoHost, server, "L", "/DX"}, quiet},
      {{"DNL", kNoHost, server, "Leser.dta", "/D"}, verbose},
      {{"DNL", kNoHost, server, "Leser.dta", "x", "/d"}, verbose},
      {{"DNL", kNoHost, server, "Leser.dta", "x", "y", "/D"}, verbose},
      {{"UPL", kNoHost, "Bewegungsdaten.dta", "out.dta", "/D"}, verbose},
      {{"UPL", kNoHost, "Bewegungsdaten.dta", "out.dta", "1", "/D"}, verbose},
  };
  for (const auto& c : cases) {
    const ProcessResult result = Run(c.arguments);
    EXPECT_EQ(result.exitCode, PosixExitCode(11001)) << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(Masked(result.output), c.output) << ::testing::PrintToString(c.arguments);
  }
}

}  // namespace
