// Rows of complete transfers: the real program against the real terminal
// simulator (on 127.6.*.*), logging into an SQLite file through a settings
// file found from its working directory.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/db/db_test_support.h"
#include "tests/support/loopback.h"
#include "tests/support/process.h"

namespace {

constexpr char kReadyLine[] = "ready: listening on ";

class DbTerminal : public ::testing::Test {
 protected:
  DbTerminal() {
    std::filesystem::create_directories(TerminalDir());
    tree.WriteSettings("kvuser", "geheim", "sqlite:..\\..\\log.db");
  }
  ~DbTerminal() override {
    if (simulator.pid > 0) StopProcess(simulator);
  }

  std::string TerminalDir() const { return tree.root.File("term"); }

  // Starts the simulator on an address of its own (127.6.*.*, see
  // tests/support/loopback.h), serving connections until stopped.
  bool StartTerminal(const std::vector<std::string>& options = {}) {
    address = NextLoopbackAddress(LoopbackNet::kDb);
    std::vector<std::string> arguments = {"--listen",    address,         "--dir",
                                          TerminalDir(), "--connections", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const std::string log = tree.root.File("terminal.log");
    simulator = StartProcess(DS_TERMINAL_PROGRAM, arguments, log);
    for (int waited = 0; waited < 20000; waited += 5) {
      if (ReadFileBytes(log).find(kReadyLine) != std::string::npos) return true;
      if (WaitProcess(simulator, 0) != -2) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "the terminal simulator did not get ready:\n" << ReadFileBytes(log);
    return false;
  }

  ProcessResult Run(std::vector<std::string> arguments) {
    for (std::string& argument : arguments) {
      if (argument == "@") argument = address;
    }
    ProcessOptions options;
    options.workingDirectory = tree.WorkingDirectory();
    return RunProcess(DS_PROGRAM, arguments, options);
  }

  std::vector<TransferRow> Rows() const { return ReadSqliteRows(tree.root.File("log.db")); }

  RunTree tree;
  BackgroundProcess simulator;
  std::string address;
};

struct Expected {
  int exitCode;
  const char *user, *type, *file;
};

// Checks the run's last row against what the run printed and exited with.
void ExpectLogged(const ProcessResult& run, const std::vector<TransferRow>& rows, std::size_t count,
                  const std::string& terminal, const Expected& expected) {
  EXPECT_EQ(run.exitCode, PosixExitCode(expected.exitCode)) << run.output;
  EXPECT_EQ(run.output.find("Datenbankverbindung"), std::string::npos) << run.output;
  ASSERT_EQ(rows.size(), count);
  const TransferRow& row = rows.back();
  EXPECT_EQ(row.trsUsr, expected.user);
  EXPECT_EQ(row.trsTyp, expected.type);
  EXPECT_EQ(row.trsFile, expected.file);
  EXPECT_EQ(row.trsTrm, terminal);
  // The status column holds exactly the result line the run printed.
  EXPECT_EQ(run.output, row.trsSta + "\n");
}

TEST_F(DbTerminal, CompleteTransfersLogTheirRows) {
  const std::string dir = "..\\..\\srv\\T1\\ORBELIKAdmin\\";
  WriteFileBytes(tree.root.File("srv/T1/ORBELIKAdmin/Leser.dta"), "Lesedaten\n");
  WriteFileBytes(tree.root.File("srv/T1/ORBELIKAdmin/DNLLIST.TXT"), "Leser.dta\n");
  WriteFileBytes(tree.root.File("srv/T1/ORBELIKAdmin/IDSTAMM.DTA"), "4711;Muster\n");
  WriteFileBytes(tree.root.File("term/B.dta"), "Buchung\n");
  std::filesystem::create_directories(tree.root.File("srv/T2/Admin2"));
  ASSERT_TRUE(StartTerminal());

  const ProcessResult download = Run({"DNL", "@", dir + "Leser.dta", "Leser.dta"});
  ExpectLogged(download, Rows(), 1, address,
               {0, "ORBELIKAdmin", "DNL", "..\\..\\srv\\T1\\ORBELIKAdmin\\Leser.dta"});
  EXPECT_EQ(Rows().back().trsSta, "250 Datei \"Leser.dta\" übernommen (10 Bytes)");

  const ProcessResult all = Run({"DNLA", "@", dir, "xxx"});
  ExpectLogged(all, Rows(), 2, address,
               {0, "ORBELIKAdmin", "DNLA", "..\\..\\srv\\T1\\ORBELIKAdmin\\Alle Dta-Dateien"});

  const ProcessResult upload = Run({"UPL", "@", "B.dta", "..\\..\\srv\\T2\\Admin2\\B.dta", "1"});
  ExpectLogged(upload, Rows(), 3, address, {0, "Admin2", "UPL", "B.dta"});
  EXPECT_FALSE(FileExists(tree.root.File("term/B.dta")));
}

TEST_F(DbTerminal, ARefusedLoginLogsItsRow) {
  WriteFileBytes(tree.root.File("srv/Leser.dta"), "Lesedaten\n");
  ASSERT_TRUE(StartTerminal({"--refuse", "pass=530 Anmeldung abgelehnt"}));
  const ProcessResult run = Run({"DNL", "@", "..\\..\\srv\\Leser.dta", "Leser.dta"});
  ExpectLogged(run, Rows(), 1, address, {530, "srv", "DNL", "..\\..\\srv\\Leser.dta"});
  EXPECT_EQ(Rows().back().trsSta, "530 Anmeldung abgelehnt");
}

// A terminal's reply holding one of the five bytes that Windows-1252 leaves
// undefined is logged as the C1 control of the same number, as the console
// shows it.
TEST_F(DbTerminal, AReplyWithAByteWindows1252LeavesUndefinedLogsItsRow) {
  WriteFileBytes(tree.root.File("srv/Leser.dta"), "Lesedaten\n");
  std::size_t count = 0;
  for (const char* byte : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"}) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(byte[0])));
    if (simulator.pid > 0) {
      StopProcess(simulator);
      // The next simulator is ready once its log says so: not the old log.
      std::remove(tree.root.File("terminal.log").c_str());
    }
    const std::string reply = std::string("530 Zeichen ") + byte + " abgelehnt";
    ASSERT_TRUE(StartTerminal({"--refuse", "pass=" + Utf8(reply)}));
    const ProcessResult run = Run({"DNL", "@", "..\\..\\srv\\Leser.dta", "Leser.dta"});
    ExpectLogged(run, Rows(), ++count, address, {530, "srv", "DNL", "..\\..\\srv\\Leser.dta"});
    EXPECT_EQ(Rows().back().trsSta, std::string("530 Zeichen \xC2") + byte + " abgelehnt");
  }
}

}  // namespace
