#include "tools/terminal/terminal_options.h"

#include "platform/platform.h"

namespace {

bool ParseNumber(const std::string& text, long limit, long& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= limit;
}

// Stores a numeric option's value; false with a reason when it is no number
// from minimum to limit.
template <typename T>
bool TakeNumber(const std::string& option, const std::string& text, long minimum, long limit,
                T& target, std::string& error) {
  long value = 0;
  if (!ParseNumber(text, limit, value) || value < minimum) {
    error = option + " needs a number from " + std::to_string(minimum) + " to " +
            std::to_string(limit) + ": " + text;
    return false;
  }
  target = static_cast<T>(value);
  return true;
}

// Applies one option that takes a value.
bool ApplyOption(const std::string& option, const std::string& value, TerminalOptions& options,
                 std::string& error) {
  if (option == "--listen") {
    options.listenAddress = value;
  } else if (option == "--port") {
    return TakeNumber(option, value, 1, 65535, options.port, error);
  } else if (option == "--dir") {
    options.directory = value;
  } else if (option == "--connections") {
    return TakeNumber(option, value, 0, 1000000, options.connections, error);
  } else if (option == "--log") {
    options.logPath = value;
  } else if (option == "--greeting") {
    options.greeting = value;
  } else if (option == "--pause") {
    return TakeNumber(option, value, 0, 600000, options.pauseMs, error);
  } else if (option == "--refuse" || option == "--fault") {
    return AddFault(options.faults, value, option == "--refuse", error);
  } else {
    error = "unknown option: " + option;
    return false;
  }
  return true;
}

}  // namespace

OptionsVerdict ParseTerminalOptions(int argc, char** argv, TerminalOptions& options,
                                    std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string option;
    if (!ArgumentToInternal(argv[i], option)) {
      error = "argument " + std::to_string(i) + " has no Windows-1252 form";
      return OptionsVerdict::kRefused;
    }
    if (option == "--help" || option == "-h") return OptionsVerdict::kHelp;
    if (option == "--version") return OptionsVerdict::kVersion;
    if (i + 1 >= argc) {
      error = option + " needs a value";
      return OptionsVerdict::kRefused;
    }
    std::string value;
    if (!ArgumentToInternal(argv[++i], value)) {
      error = "argument " + std::to_string(i) + " has no Windows-1252 form";
      return OptionsVerdict::kRefused;
    }
    if (!ApplyOption(option, value, options, error)) return OptionsVerdict::kRefused;
  }
  return OptionsVerdict::kRun;
}

const char* TerminalHelpText() {
  return "datenschleuse-terminal: plays the terminal's side of the transfer dialog.\n"
         "\n"
         "  --listen ADDRESS   dotted IPv4 address to listen on (default 127.0.0.1)\n"
         "  --port N           TCP port (default 5010)\n"
         "  --dir DIR          the terminal's files: downloads are stored here,\n"
         "                     uploads served from here (default .)\n"
         "  --connections N    connections to serve, then end; 0: until stopped (default 1)\n"
         "  --log FILE         append the log to FILE instead of standard output\n"
         "  --greeting TEXT    greeting reply (default \"200 datenschleuse-terminal bereit\")\n"
         "  --refuse STEP=REPLY   answer STEP with REPLY instead\n"
         "  --fault STEP=ACTION   spoil the reply of STEP (repeatable)\n"
         "  --pause MS         pause of split and pieces (default 200)\n"
         "  --version          print the release number and end\n"
         "\n"
         "STEP: greeting user pass download end upload delete, optionally STEP:N for\n"
         "its N-th reply in a connection (download answers DOWNLOADFILE BEGIN, end\n"
         "answers DOWNLOADFILE END, upload is the upload frame).\n"
         "ACTION:\n"
         "  silence:MS    wait MS ms, then reply\n"
         "  split:N       send the first N bytes alone, pause, then the rest, pause\n"
         "  pieces:N      send the reply in pieces of N bytes, pausing between\n"
         "  trickle:MS    send the reply one byte every MS ms, the first after MS ms\n"
         "  cut:N         send only the first N bytes of the reply, then close\n"
         "  nul           first byte of the reply becomes NUL\n"
         "  oversize      first line padded to 2100 bytes\n"
         "  close         close the connection instead of replying\n"
         "  reset         reset the connection (RST) instead of replying\n"
         "  reset-after   reply, then reset the connection at once\n"
         "  crc-lower     upload only: trailer CRC in lower-case digits\n"
         "  crc-wrong     upload only: trailer CRC that does not fit the data\n"
         "  length-wrong  upload only: declared length one more than the data\n"
         "  declare:N     upload only: declared length N whatever the data\n"
         "  no-begin      upload only: first line without BEGIN\n"
         "  no-line-end   upload only: no CR LF after the first line\n"
         "\n"
         "A line \"ready: listening on ADDRESS:PORT\" on standard output tells that\n"
         "connections are accepted. The exit code is 0 after the last connection,\n"
         "1 when the address cannot be used, 2 for a bad command line.\n";
}
