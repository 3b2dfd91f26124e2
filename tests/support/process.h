// Runs a program as a child process the way a scheduler would: no standard
// input, standard output captured, exit status reported.
#ifndef DATENSCHLEUSE_TESTS_SUPPORT_PROCESS_H
#define DATENSCHLEUSE_TESTS_SUPPORT_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

struct ProcessOptions {
  std::string workingDirectory;      // empty: the test's own
  std::vector<std::string> environment;  // extra NAME=VALUE entries
  long addressSpaceLimit = 0;        // bytes; 0: none (RLIMIT_AS)
  long fileSizeLimit = 0;            // bytes; 0: none (RLIMIT_FSIZE)
  std::string standardInput;         // fed to the child's standard input
  // Drops root's override of file permissions (CAP_DAC_OVERRIDE and
  // CAP_DAC_READ_SEARCH) before the program starts, so that a directory's
  // mode binds it as it binds any operator; no effect for other users.
  bool withoutPermissionOverride = false;
};

// What a child used, from wait4 when it was reaped.
struct ProcessUsage {
  double cpuSeconds = 0;        // user and system time
  long maxRssKiB = 0;           // peak resident memory
  long voluntarySwitches = 0;   // waits for a peer or the disk
  long involuntarySwitches = 0; // the CPU taken by other load
};

struct ProcessResult {
  int exitCode = -1;        // low 8 bits of the exit status; -1 when killed
  int signal = 0;           // the signal that ended it, if any
  std::string output;       // standard output, byte for byte
  std::string errors;       // standard error
  ProcessUsage usage;
};

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = ProcessOptions{});

// A child left running in the background (a terminal simulator).
struct BackgroundProcess {
  pid_t pid = -1;
  std::string outputPath;  // its standard output and error go to this file
  ProcessUsage usage;      // once it has been reaped
};

BackgroundProcess StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& outputPath,
                               const ProcessOptions& options = ProcessOptions{});

// Ends a background child (SIGTERM, then SIGKILL after a second) and reaps it;
// returns its exit code as RunProcess reports it.
int StopProcess(BackgroundProcess& process);

// Waits up to timeoutMs for a background child to end by itself; returns its
// exit code, or -2 when it is still running.
int WaitProcess(BackgroundProcess& process, int timeoutMs);

// The program's exit code as a POSIX parent sees it (its low 8 bits).
constexpr int PosixExitCode(int code) { return code & 0xFF; }

#endif  // DATENSCHLEUSE_TESTS_SUPPORT_PROCESS_H
