#include "tests/support/simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "tests/support/temp_dir.h"

bool StartSimulator(const std::string& address, const std::string& terminalDir,
                    const std::string& logPath, const std::vector<std::string>& options,
                    BackgroundProcess& simulator) {
  std::vector<std::string> arguments = {"--listen", address, "--dir", terminalDir};
  arguments.insert(arguments.end(), options.begin(), options.end());
  // A ready line left in the file by an earlier simulator must not count:
  // the new one truncates the file only once it runs.
  std::remove(logPath.c_str());
  simulator = StartProcess(DS_TERMINAL_PROGRAM, arguments, logPath);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (ReadFileBytes(logPath).find(kSimulatorReadyLine) != std::string::npos) return true;
    if (WaitProcess(simulator, 0) != -2) break;  // it ended: the address cannot be used
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ADD_FAILURE() << "the terminal simulator did not get ready:\n" << ReadFileBytes(logPath);
  return false;
}
