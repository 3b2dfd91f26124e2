// Entry point of the terminal simulator: reads the options, listens, and
// serves the connections one after the other.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/platform.h"
#include "tools/terminal/terminal_log.h"
#include "tools/terminal/terminal_options.h"
#include "tools/terminal/terminal_session.h"
#include "tools/terminal/terminal_socket.h"

namespace {

constexpr int kExitServed = 0;
constexpr int kExitCannotListen = 1;
constexpr int kExitBadCommandLine = 2;

int Refuse(const std::string& reason, int code) {
  std::fprintf(stderr, "datenschleuse-terminal: %s\n", InternalToConsole(reason).c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  PlatformInit();
  TerminalOptions options;
  std::string error;
  const OptionsVerdict verdict = ParseTerminalOptions(argc, argv, options, error);
  if (verdict == OptionsVerdict::kHelp) {
    std::fputs(TerminalHelpText(), stdout);
    return kExitServed;
  }
  if (verdict == OptionsVerdict::kVersion) {
    std::fputs("datenschleuse-terminal " DS_VERSION_TEXT "\n", stdout);
    return kExitServed;
  }
  if (verdict == OptionsVerdict::kRefused) {
    return Refuse(error + " (see --help)", kExitBadCommandLine);
  }
  std::error_code ignored;
  if (!std::filesystem::is_directory(NativePath(options.directory), ignored)) {
    return Refuse("not a directory: " + options.directory, kExitBadCommandLine);
  }
  TerminalLog log;
  if (!options.logPath.empty() && !OpenTerminalLog(log, options.logPath)) {
    return Refuse("cannot open the log " + options.logPath, kExitBadCommandLine);
  }
  if (!StartSocketLayer()) return Refuse("the socket layer cannot start", kExitCannotListen);
  const TerminalSocket listener = ListenOn(options.listenAddress, options.port, error);
  if (listener == kNoTerminalSocket) return Refuse(error, kExitCannotListen);

  const std::string ready =
      "ready: listening on " + options.listenAddress + ":" + std::to_string(options.port);
  if (log.file != stdout) {
    std::printf("%s\n", ready.c_str());
    std::fflush(stdout);
  }
  LogLine(log, ready);

  for (int served = 0; options.connections == 0 || served < options.connections;) {
    std::string peer;
    const TerminalSocket connection = AcceptConnection(listener, peer, error);
    if (connection == kNoTerminalSocket) return Refuse(error, kExitCannotListen);
    log.connection = ++served;
    LogLine(log, "connection from " + peer);
    ServeConnection(connection, options, log);
    log.connection = 0;
  }
  CloseConnection(listener);
  return kExitServed;
}
