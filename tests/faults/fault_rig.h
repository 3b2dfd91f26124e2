// A fault test's own world: the real datenschleuse-terminal on 127.7.*.*
// serving term/, the server's files in srv/, the tool run from a/b/ so that
// ..\..\Files\Korvaline.Ini is the test's settings file, and the transfer log
// in the SQLite file log.db beside them.
#ifndef DATENSCHLEUSE_TESTS_FAULTS_FAULT_RIG_H
#define DATENSCHLEUSE_TESTS_FAULTS_FAULT_RIG_H

#include <string>
#include <string_view>
#include <vector>

#include "tests/db/db_test_support.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

// The transfer log of every rig, as the settings file names it.
inline constexpr char kSqliteLog[] = "sqlite:..\\..\\log.db";

struct FaultRig {
  // Settings for kSqliteLog are written at once; WriteSettings replaces them.
  // The terminal gets an address of the rig's own (127.7.*.*, see
  // tests/support/loopback.h).
  FaultRig();
  ~FaultRig();
  FaultRig(const FaultRig&) = delete;
  FaultRig& operator=(const FaultRig&) = delete;

  void WriteSettings(const std::string& login, const std::string& pass,
                     const std::string& net8) const;

  // Starts the simulator (one connection) with further options; false, with
  // a test failure, when it never got ready.
  bool StartTerminal(const std::vector<std::string>& options = {});

  // Runs the tool from a/b; "@" stands for the terminal's address.
  ProcessResult Run(std::vector<std::string> arguments, ProcessOptions options = {}) const;
  // The same in the background, its console going to the file client.out.
  BackgroundProcess Start(std::vector<std::string> arguments) const;

  // The simulator's log once it has ended by itself (or has been stopped).
  std::string TerminalLog();
  // True once the simulator's log holds text (polled for up to 20 s).
  bool WaitForLog(std::string_view text) const;

  std::vector<TransferRow> Rows() const { return ReadSqliteRows(tree.root.File("log.db")); }
  std::string TerminalFile(std::string_view name) const {
    return terminalDir + "/" + std::string(name);
  }
  std::string ServerFile(std::string_view name) const {
    return serverDir + "/" + std::string(name);
  }

  RunTree tree;  // root/a/b and root/Files
  std::string address;
  std::string terminalDir;
  std::string serverDir;
  std::string logPath;
  BackgroundProcess simulator;
};

// A server file as the tool is given it: relative to a/b, with backslashes.
std::string ServerArgument(std::string_view name);

// n bytes of booking lines ("4711;0800;K;ENDE\n" repeated, cut to n).
std::string BookingBytes(std::size_t n);

// The exit code a POSIX parent sees for a channel error code.
constexpr int ExitOf(int code) {
  return PosixExitCode(code);
}

#endif  // DATENSCHLEUSE_TESTS_FAULTS_FAULT_RIG_H
