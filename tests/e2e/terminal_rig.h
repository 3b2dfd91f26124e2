// A test's own terminal on a loopback address: the real datenschleuse-terminal
// serving a directory, the real datenschleuse run against it from a working
// directory of its own, and the helpers to compare what both sides show.
#ifndef DATENSCHLEUSE_TESTS_E2E_TERMINAL_RIG_H
#define DATENSCHLEUSE_TESTS_E2E_TERMINAL_RIG_H

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

// The simulator's log of a successful login, as every dialog begins.
extern const char kLoginTranscript[];

struct TerminalRig {
  // The terminal listens on an address of the rig's own (127.5.*.*, see
  // tests/support/loopback.h), port 5010. Below one fresh root: term/ holds
  // the terminal's files, srv/ the server's, and the tool runs in a/b/, where
  // no settings file is found.
  TerminalRig();
  ~TerminalRig();
  TerminalRig(const TerminalRig&) = delete;
  TerminalRig& operator=(const TerminalRig&) = delete;

  // Starts the simulator with further options and returns once it accepts
  // connections (its ready line has appeared); false when it never did.
  bool StartTerminal(const std::vector<std::string>& options = {});

  // Runs the tool; "@" as an argument stands for the terminal's address.
  ProcessResult RunClient(std::vector<std::string> arguments) const;
  // The same in the background, its console going to the file client.out
  // below the root; WaitProcess gives its exit code.
  BackgroundProcess StartClient(std::vector<std::string> arguments) const;

  // The simulator's log after its ready line, once it has ended by itself
  // (it serves one connection) within waitMs, or after stopping it.
  std::string Transcript(int waitMs = 20000);

  std::string TerminalFile(std::string_view name) const {
    return terminalDir + "/" + std::string(name);
  }
  std::string ServerFile(std::string_view name) const {
    return serverDir + "/" + std::string(name);
  }

  TempDir root;
  std::string address;
  std::string terminalDir;
  std::string serverDir;
  std::string workDir;
  BackgroundProcess simulator;
  std::string logPath;
};

// Takes the last line off a transcript when it tells that the client left
// (closed or reset: which one depends on whether the client left before or
// after the terminal's greeting reached it). False when it is another line.
bool DropClientLeaving(std::string& transcript);

// The path of a server file as the tool is given it, relative to the tool's
// working directory and written with backslashes.
std::string ServerArgument(std::string_view name);

// Console output with what varies from run to run masked: the verbose
// timestamps ("<ts>"), the database's error number ("<n>") and the random
// number, length and CRC of upload and delete commands ("<n>", "<len>",
// "<crc>"; the terminal checks length and CRC itself).
std::string Masked(std::string text);

// A transcript with each announced digest masked ("/C:<digest>"), and the
// varying fields of upload and delete commands as in Masked.
std::string MaskedTranscript(std::string text);

// A verbose run's console output up to and with the login's last reply.
extern const char kVerboseLogin[];

// The failure line the run prints when it finds no database settings.
extern const char kNoDatabase[];

// n bytes of every value, in a fixed order that is not a text.
std::string PatternBytes(std::size_t n);

// The simulator's log of one download that the terminal accepted.
std::string DownloadTranscript(std::string_view name, std::size_t size, std::string_view crcText);

#endif  // DATENSCHLEUSE_TESTS_E2E_TERMINAL_RIG_H
