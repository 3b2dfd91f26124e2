// Starts datenschleuse-terminal for a test and waits until it listens.
#ifndef DATENSCHLEUSE_TESTS_SUPPORT_SIMULATOR_H
#define DATENSCHLEUSE_TESTS_SUPPORT_SIMULATOR_H

#include <string>
#include <vector>

#include "tests/support/process.h"

// The line the simulator writes once it listens.
inline constexpr char kSimulatorReadyLine[] = "ready: listening on ";

// Starts the simulator on address with terminalDir as its files and its log
// in logPath, plus options. Returns true once it has written its ready line;
// false (with a test failure that shows its log) when it ended first or did
// not get ready within 20 seconds.
bool StartSimulator(const std::string& address, const std::string& terminalDir,
                    const std::string& logPath, const std::vector<std::string>& options,
                    BackgroundProcess& simulator);

#endif  // DATENSCHLEUSE_TESTS_SUPPORT_SIMULATOR_H
