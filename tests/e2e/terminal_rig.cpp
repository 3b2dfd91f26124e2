#include "tests/e2e/terminal_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

#include "tests/support/loopback.h"
#include "tests/support/simulator.h"

const char kLoginTranscript[] =
    "#1 connection from 127.0.0.1\n"
    "#1 > 200 datenschleuse-terminal bereit\n"
    "#1 < USER **********\n"
    "#1 > 331 Kennung angenommen, Passwort erwartet\n"
    "#1 < PASS **********\n"
    "#1 > 230 angemeldet\n";

const char kVerboseLogin[] =
    "Start Transfer - <ts>\n\rBefehlsfolge festlegen.\n\r"
    "Terminalantwort: 200 datenschleuse-terminal bereit\r\n\n"
    "An Terminal gesendet: USER **********\n"
    "Terminalantwort: 331 Kennung angenommen, Passwort erwartet\r\n\n"
    "An Terminal gesendet: PASS **********\n"
    "Terminalantwort: 230 angemeldet\r\n\n";

const char kNoDatabase[] = "Datenbankverbindung fehlgeschlagen, Fehler: <n>\n";

TerminalRig::TerminalRig()
    : address(NextLoopbackAddress(LoopbackNet::kE2e)),
      terminalDir(root.File("term")),
      serverDir(root.File("srv")),
      workDir(root.File("a/b")),
      logPath(root.File("terminal.log")) {
  for (const std::string& dir : {terminalDir, serverDir, workDir}) {
    std::filesystem::create_directories(dir);
  }
}

TerminalRig::~TerminalRig() {
  if (simulator.pid > 0) StopProcess(simulator);
}

bool TerminalRig::StartTerminal(const std::vector<std::string>& options) {
  return StartSimulator(address, terminalDir, logPath, options, simulator);
}

ProcessResult TerminalRig::RunClient(std::vector<std::string> arguments) const {
  for (std::string& argument : arguments) {
    if (argument == "@") argument = address;
  }
  ProcessOptions options;
  options.workingDirectory = workDir;
  return RunProcess(DS_PROGRAM, arguments, options);
}

BackgroundProcess TerminalRig::StartClient(std::vector<std::string> arguments) const {
  for (std::string& argument : arguments) {
    if (argument == "@") argument = address;
  }
  ProcessOptions options;
  options.workingDirectory = workDir;
  return StartProcess(DS_PROGRAM, arguments, root.File("client.out"), options);
}

std::string TerminalRig::Transcript(int waitMs) {
  if (simulator.pid > 0 && WaitProcess(simulator, waitMs) == -2) StopProcess(simulator);
  const std::string log = ReadFileBytes(logPath);
  const std::size_t ready = log.find(kSimulatorReadyLine);
  if (ready == std::string::npos) return log;
  const std::size_t next = log.find('\n', ready);
  return next == std::string::npos ? std::string() : log.substr(next + 1);
}

bool DropClientLeaving(std::string& transcript) {
  for (const char* ending : {"#1 closed by the client\n", "#1 reset by the client\n"}) {
    const std::string_view tail = ending;
    if (transcript.size() >= tail.size() &&
        transcript.compare(transcript.size() - tail.size(), tail.size(), tail) == 0) {
      transcript.resize(transcript.size() - tail.size());
      return true;
    }
  }
  return false;
}

std::string ServerArgument(std::string_view name) {
  return "..\\..\\srv\\" + std::string(name);
}

namespace {

std::string MaskCommands(std::string text) {
  static const std::regex command(
      "(UPLOADFILE|DELETEFILE) [0-9a-f]{4} [0-9]+ (TYP=1 \"[^\"]*\" /d:)[0-9]+");
  return std::regex_replace(text, command, "$1 <crc> <len> $2<n>");
}

}  // namespace

std::string Masked(std::string text) {
  static const std::regex timestamp("(Start|Ende) Transfer - [0-9]{14}");
  static const std::regex database("Datenbankverbindung fehlgeschlagen, Fehler: -?[0-9]+\n");
  text = std::regex_replace(text, timestamp, "$1 Transfer - <ts>");
  text = std::regex_replace(text, database, kNoDatabase);
  return MaskCommands(text);
}

std::string MaskedTranscript(std::string text) {
  static const std::regex digest("/C:[0-9A-F]{32}");
  return MaskCommands(std::regex_replace(text, digest, "/C:<digest>"));
}

std::string PatternBytes(std::size_t n) {
  std::string bytes(n, '\0');
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
  return bytes;
}

std::string DownloadTranscript(std::string_view name, std::size_t size, std::string_view crcText) {
  const std::string quoted = "\"" + std::string(name) + "\"";
  const std::string bytes = std::to_string(size);
  return "#1 < DOWNLOADFILE BEGIN TYP=1 " + quoted + " " + bytes + " /C:<digest>\n" +
         "#1 > 200 bereit fuer " + bytes + " Bytes\n" + "#1 = " + bytes + " data bytes received\n" +
         "#1 < DOWNLOADFILE END " + std::string(crcText) + "\n" + "#1 > 250 Datei " + quoted +
         " übernommen (" + bytes + " Bytes)\n";
}
