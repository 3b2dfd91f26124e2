// Small transfers as a scheduler runs them: the real datenschleuse process
// against the terminal simulator on loopback, the transfer log on SQLite
// (settings written by datenschleuse-ini), for a DNL of 2,000 bytes, a DNLA
// of ten such files and a UPL of 2,000 bytes with and without the delete
// flag. Next to each, in the same run, its floor: a minimal client process
// (this program started with --floor-client) that speaks the same dialog
// over a socket with TCP_NODELAY, against the same simulator, and does only
// what the dialog needs (digest and CRC of the data, the file read or
// written). Two more rows split the tool's time: the process without
// arguments (start and end, nothing else) and the DNL without a settings
// file (the database line fails at once: no log).
//
// Wall times are medians. The closing table gives each transfer's ratio to
// its floor against the target of 3.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_support.h"
#include "crypto/crc16.h"
#include "crypto/md5.h"
#include "platform/file_facts.h"
#include "session/script_entries.h"
#include "tests/support/simulator.h"
#include "tests/support/temp_dir.h"

#ifndef DS_PROGRAM
#error "DS_PROGRAM must name the built datenschleuse"
#endif

namespace {

constexpr char kAddress[] = "127.0.10.1";
constexpr std::uint16_t kPort = 5010;
constexpr std::size_t kFileSize = 2000;
constexpr int kDnlaFiles = 10;  // nine listed and IDSTAMM.DTA last
constexpr int kRuns = 21;
constexpr char kUploadName[] = "Buchung.dta";

std::string selfPath;  // this program, for the floor client

// ---------------------------------------------------------------------------
// The floor: a minimal client over a blocking socket with TCP_NODELAY.

class FloorConnection {
 public:
  ~FloorConnection() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Connect(const char* address) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in record{};
    record.sin_family = AF_INET;
    record.sin_port = htons(kPort);
    ::inet_pton(AF_INET, address, &record.sin_addr);
    return ::connect(fd_, reinterpret_cast<const sockaddr*>(&record), sizeof record) == 0;
  }

  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // The next line without its CR LF.
  bool Line(std::string& line) {
    for (;;) {
      const std::size_t end = pending_.find("\r\n");
      if (end != std::string::npos) {
        line = pending_.substr(0, end);
        pending_.erase(0, end + 2);
        return true;
      }
      if (!Fill()) return false;
    }
  }

  bool Bytes(std::size_t count, std::string& bytes) {
    while (pending_.size() < count) {
      if (!Fill()) return false;
    }
    bytes = pending_.substr(0, count);
    pending_.erase(0, count);
    return true;
  }

  // Sends a command and checks that the reply starts with code.
  bool Exchange(const std::string& command, const char* code) {
    std::string reply;
    return Send(command + "\r\n") && Line(reply) && reply.rfind(code, 0) == 0;
  }

  bool Login() {
    std::string greeting;
    const std::string login = LoginText(GetTimestampText());
    return Line(greeting) && greeting.compare(0, 3, "200") == 0 &&
           Exchange("USER " + login, "331") && Exchange("PASS " + login, "230");
  }

 private:
  bool Fill() {
    char buffer[4096];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  int fd_ = -1;
  std::string pending_;
};

// Announces, streams in 512-byte pieces and ends one download.
bool FloorSendFile(FloorConnection& connection, const std::string& path, const std::string& name) {
  const std::string begin = DownloadBeginEntry(name, GetFileSize(path), MD5FileDigest(path));
  if (!connection.Exchange(begin.substr(3), "200")) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char piece[512];
  std::uint16_t crc = 0;
  std::size_t n = sizeof piece;
  bool sent = true;
  while (sent && n == sizeof piece) {
    n = std::fread(piece, 1, sizeof piece, file);
    crc = Crc16Block(piece, n, crc);
    sent = connection.Send(std::string_view(piece, n));
  }
  std::fclose(file);
  return sent && connection.Exchange("DOWNLOADFILE END " + Crc16Text(crc), "250");
}

// Fetches an upload frame, checks its CRC, stores it with CR LF line ends
// and, with the delete flag, has the terminal delete its copy.
bool FloorUpload(FloorConnection& connection, const std::string& name, const std::string& target,
                 bool deleteAfter) {
  std::string line, data, trailer;
  if (!connection.Send(TransferCommandEntry("UPLOADFILE", name, 1).substr(3) + "\r\n") ||
      !connection.Line(line) || line.compare(0, 10, "200 BEGIN ") != 0 ||
      !connection.Bytes(std::strtoul(line.c_str() + 10, nullptr, 10), data) ||
      !connection.Line(trailer)) {
    return false;
  }
  if (trailer != "250 END " + Crc16TrailerText(Crc16Block(data.data(), data.size(), 0))) {
    return false;
  }
  std::string stored;
  for (char c : data) {
    if (c == '\n') stored += '\r';
    stored += c;
  }
  std::FILE* file = std::fopen(target.c_str(), "wb");
  const bool written =
      file != nullptr && std::fwrite(stored.data(), 1, stored.size(), file) == stored.size();
  if (file != nullptr) std::fclose(file);
  return written &&
         (!deleteAfter ||
          connection.Exchange(TransferCommandEntry("DELETEFILE", name, 2).substr(3), "2"));
}

// --floor-client DNL ADDRESS PATH NAME [PATH NAME ...]
// --floor-client UPL ADDRESS NAME TARGET FLAG
int FloorClient(int argc, char** argv) {
  if (argc < 6) return 2;
  FloorConnection connection;
  if (!connection.Connect(argv[3]) || !connection.Login()) return 1;
  if (std::strcmp(argv[2], "UPL") == 0) {
    return FloorUpload(connection, argv[4], argv[5], argc > 6 && argv[6][0] == '1') ? 0 : 1;
  }
  for (int i = 4; i + 1 < argc; i += 2) {
    if (!FloorSendFile(connection, argv[i], argv[i + 1])) return 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// The tree: srv/ the server's files, term/ the simulator's; the tool runs in
// log/a/b (..\..\Files\Korvaline.Ini leads to log/log.db) or in nolog/a/b
// (no settings file).

struct Tree {
  TempDir root;
  std::string serverDir, terminalDir, logWorkDir, noLogWorkDir, logFile;
  std::vector<std::string> dnlaPaths, dnlaNames;  // in the order the tool sends them
};

Tree& TheTree() {
  static Tree* tree = [] {
    auto* t = new Tree;
    t->serverDir = t->root.File("srv");
    t->terminalDir = t->root.File("term");
    t->logWorkDir = t->root.File("log/a/b");
    t->noLogWorkDir = t->root.File("nolog/a/b");
    t->logFile = t->root.File("log/log.db");
    for (const std::string& dir :
         {t->serverDir + "/alle", t->terminalDir, t->logWorkDir, t->noLogWorkDir}) {
      std::filesystem::create_directories(dir);
    }
    if (!WriteSettings(t->root.File("log/Files"), "kvsystem", "geheim", "sqlite:..\\..\\log.db")) {
      std::exit(1);
    }
    WriteFileBytes(t->serverDir + "/Klein.dta", RandomBytes(kFileSize, 1));
    std::string list;
    for (int i = 1; i <= kDnlaFiles; ++i) {
      const std::string name =
          i < kDnlaFiles ? "Datei" + std::to_string(i) + ".dta" : "IDSTAMM.DTA";
      WriteFileBytes(t->serverDir + "/alle/" + name, RandomBytes(kFileSize, 100 + i));
      if (i < kDnlaFiles) list += name + "\r\n";
      t->dnlaPaths.push_back(t->serverDir + "/alle/" + name);
      t->dnlaNames.push_back(name);
    }
    WriteFileBytes(t->serverDir + "/alle/DNLLIST.TXT", list);
    return t;
  }();
  return *tree;
}

void PlaceUploadFile() {
  WriteFileBytes(TheTree().terminalDir + "/" + kUploadName, BookingText(kFileSize, 7));
}

// ---------------------------------------------------------------------------
// The cases.

enum class Transfer { kDnl, kDnla, kUpl, kUplDelete };
enum class Runner { kFloor, kTool, kToolWithoutLog };

std::vector<std::string> ToolArguments(Transfer transfer) {
  switch (transfer) {
    case Transfer::kDnl:
      return {"DNL", kAddress, "..\\..\\..\\srv\\Klein.dta", "Klein.dta"};
    case Transfer::kDnla:
      return {"DNLA", kAddress, "..\\..\\..\\srv\\alle\\", "xxx"};
    case Transfer::kUpl:
      return {"UPL", kAddress, kUploadName, "..\\..\\..\\srv\\Buchung.dta"};
    case Transfer::kUplDelete:
      return {"UPL", kAddress, kUploadName, "..\\..\\..\\srv\\Buchung.dta", "1"};
  }
  return {};
}

std::vector<std::string> FloorArguments(Transfer transfer) {
  const Tree& tree = TheTree();
  std::vector<std::string> arguments = {"--floor-client", "DNL", kAddress};
  switch (transfer) {
    case Transfer::kDnl:
      arguments.insert(arguments.end(), {tree.serverDir + "/Klein.dta", "Klein.dta"});
      break;
    case Transfer::kDnla:
      for (int i = 0; i < kDnlaFiles; ++i) {
        arguments.insert(arguments.end(), {tree.dnlaPaths[i], tree.dnlaNames[i]});
      }
      break;
    case Transfer::kUpl:
    case Transfer::kUplDelete:
      arguments[1] = "UPL";
      arguments.insert(arguments.end(), {kUploadName, tree.serverDir + "/Buchung.dta",
                                         transfer == Transfer::kUplDelete ? "1" : "0"});
      break;
  }
  return arguments;
}

std::map<std::string, double> medians;  // by benchmark name, seconds

void BM_Transfer(benchmark::State& state, const std::string& name, Transfer transfer,
                 Runner runner) {
  ProcessOptions options;
  options.workingDirectory =
      runner == Runner::kToolWithoutLog ? TheTree().noLogWorkDir : TheTree().logWorkDir;
  const std::string program = runner == Runner::kFloor ? selfPath : DS_PROGRAM;
  const std::vector<std::string> arguments =
      runner == Runner::kFloor ? FloorArguments(transfer) : ToolArguments(transfer);
  std::vector<double> samples;
  for (auto _ : state) {
    if (transfer == Transfer::kUplDelete) PlaceUploadFile();
    const TimedRun run = RunTimed(program, arguments, options);
    state.SetIterationTime(run.seconds);
    samples.push_back(run.seconds);
    if (run.result.exitCode != 0) {
      state.SkipWithError(
          ("ended with " + std::to_string(run.result.exitCode) + ": " + run.result.output).c_str());
      return;
    }
  }
  medians[name] = Median(samples);
  state.counters["median_ms"] = Median(samples) * 1000;
}

// The tool without arguments: it prints its usage and ends with 99.
void BM_ProcessOnly(benchmark::State& state) {
  std::vector<double> samples;
  for (auto _ : state) {
    const TimedRun run = RunTimed(DS_PROGRAM, {});
    state.SetIterationTime(run.seconds);
    samples.push_back(run.seconds);
  }
  medians["BM_ProcessOnly"] = Median(samples);
  state.counters["median_ms"] = Median(samples) * 1000;
}

struct Case {
  const char* name;
  Transfer transfer;
};
constexpr Case kCases[] = {{"DNL", Transfer::kDnl},
                           {"DNLA", Transfer::kDnla},
                           {"UPL", Transfer::kUpl},
                           {"UPL_delete", Transfer::kUplDelete}};

void RegisterAll() {
  benchmark::RegisterBenchmark("BM_ProcessOnly", BM_ProcessOnly)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(kRuns);
  for (const Case& c : kCases) {
    for (const auto& [label, runner] :
         {std::pair{"floor", Runner::kFloor}, std::pair{"tool", Runner::kTool},
          std::pair{"tool_without_log", Runner::kToolWithoutLog}}) {
      if (runner == Runner::kToolWithoutLog && c.transfer != Transfer::kDnl &&
          c.transfer != Transfer::kUplDelete) {
        continue;
      }
      const std::string name = std::string("BM_") + c.name + "/" + label;
      benchmark::RegisterBenchmark(name.c_str(), BM_Transfer, name, c.transfer, runner)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRuns);
    }
  }
}

void PrintTable() {
  const auto get = [](const std::string& name) {
    const auto found = medians.find(name);
    return found != medians.end() ? found->second * 1000 : 0.0;
  };
  std::printf("\n%-12s %10s %10s %14s %10s %s\n", "median ms", "floor", "tool", "tool, no log",
              "tool/floor", "(target at most 3)");
  for (const Case& c : kCases) {
    const std::string base = std::string("BM_") + c.name + "/";
    const double floor = get(base + "floor");
    const double tool = get(base + "tool");
    const double noLog = get(base + "tool_without_log");
    if (floor <= 0 || tool <= 0) continue;
    std::printf("%-12s %10.2f %10.2f ", c.name, floor, tool);
    if (noLog > 0) {
      std::printf("%14.2f", noLog);
    } else {
      std::printf("%14s", "");
    }
    std::printf(" %10.2f %s\n", tool / floor, tool / floor <= 3 ? "met" : "MISSED");
  }
  std::printf("process without arguments: %.2f ms\n", get("BM_ProcessOnly"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--floor-client") == 0) return FloorClient(argc, argv);
  selfPath = std::filesystem::canonical("/proc/self/exe").string();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheTree();
  BackgroundProcess simulator;
  if (!StartSimulator(kAddress, TheTree().terminalDir, TheTree().root.File("terminal.out"),
                      {"--connections", "0", "--log", "/dev/null"}, simulator)) {
    return 1;
  }
  PlaceUploadFile();
  RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  StopProcess(simulator);
  PrintTable();
  std::printf("%s\n", LoadText().c_str());
  benchmark::Shutdown();
  delete &TheTree();
  return 0;
}
