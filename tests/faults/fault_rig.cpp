#include "tests/faults/fault_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/loopback.h"
#include "tests/support/simulator.h"

namespace {

constexpr int kWaitMs = 20000;

}  // namespace

FaultRig::FaultRig()
    : address(NextLoopbackAddress(LoopbackNet::kFaults)),
      terminalDir(tree.root.File("term")),
      serverDir(tree.root.File("srv")),
      logPath(tree.root.File("terminal.log")) {
  std::filesystem::create_directories(terminalDir);
  std::filesystem::create_directories(serverDir);
  WriteSettings("kvuser", "geheim", kSqliteLog);
}

FaultRig::~FaultRig() {
  if (simulator.pid > 0) StopProcess(simulator);
}

void FaultRig::WriteSettings(const std::string& login, const std::string& pass,
                             const std::string& net8) const {
  tree.WriteSettings(login, pass, net8);
}

bool FaultRig::StartTerminal(const std::vector<std::string>& options) {
  return StartSimulator(address, terminalDir, logPath, options, simulator);
}

ProcessResult FaultRig::Run(std::vector<std::string> arguments, ProcessOptions options) const {
  for (std::string& argument : arguments) {
    if (argument == "@") argument = address;
  }
  options.workingDirectory = tree.WorkingDirectory();
  return RunProcess(DS_PROGRAM, arguments, options);
}

BackgroundProcess FaultRig::Start(std::vector<std::string> arguments) const {
  for (std::string& argument : arguments) {
    if (argument == "@") argument = address;
  }
  ProcessOptions options;
  options.workingDirectory = tree.WorkingDirectory();
  return StartProcess(DS_PROGRAM, arguments, tree.root.File("client.out"), options);
}

std::string FaultRig::TerminalLog() {
  if (simulator.pid > 0 && WaitProcess(simulator, kWaitMs) == -2) StopProcess(simulator);
  return ReadFileBytes(logPath);
}

bool FaultRig::WaitForLog(std::string_view text) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (ReadFileBytes(logPath).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

std::string ServerArgument(std::string_view name) {
  return "..\\..\\srv\\" + std::string(name);
}

std::string BookingBytes(std::size_t n) {
  static const std::string line = "4711;0800;K;ENDE\n";
  std::string bytes;
  bytes.reserve(n + line.size());
  while (bytes.size() < n) bytes += line;
  bytes.resize(n);
  return bytes;
}
