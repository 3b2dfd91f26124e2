// Transfers end to end: the real datenschleuse process against the terminal
// simulator on loopback. A DNL of 64 MiB stands next to the costs no download
// can avoid, measured in the same run: md5sum of the file (the announced
// digest), a bitwise CRC-16 loop over it (the END command's CRC) and a plain
// loop that sends it in 512-byte pieces with a writability wait after each
// (the floor the protocol allows). UPLs of 1, 16 and 64 MiB show how time and
// the client's peak memory grow with the size. A closing table compares the
// figures with their targets.
//
// The simulator checks CRC and MD5 of every download itself, so the DNL is
// also run against a peer that only discards the data: the difference is the
// simulator's share.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "crypto/crc16.h"
#include "platform/platform.h"
#include "tests/support/process.h"
#include "tests/support/simulator.h"

#ifndef DS_PROGRAM
#error "DS_PROGRAM must name the built datenschleuse"
#endif
#ifndef DS_TERMINAL_PROGRAM
#error "DS_TERMINAL_PROGRAM must name the built datenschleuse-terminal"
#endif

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kDownloadSize = 64 * kMiB;
constexpr char kDownloadAddress[] = "127.0.8.1";  // the simulator for the DNL
constexpr char kUploadAddress[] = "127.0.8.2";    // the simulator for the UPLs
constexpr char kFloorAddress[] = "127.0.8.3";     // the plain send loop's reader
constexpr char kDiscardAddress[] = "127.0.8.4";   // the peer that discards a DNL
constexpr std::uint16_t kTerminalPort = 5010;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double ThreadCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Per benchmark: the fastest run's wall time (the least disturbed by other
// load on the machine) and the mean CPU seconds of the process doing the
// work, and of its peer where there is one.
struct Tally {
  double bestSeconds = 1e300;
  double lastSeconds = 0;
  double cpuSeconds = 0;
  double peerCpuSeconds = 0;
  double sleeps = 0, preempted = 0;
  int runs = 0;

  void AddSwitches(const ProcessUsage& usage) {
    sleeps += static_cast<double>(usage.voluntarySwitches);
    preempted += static_cast<double>(usage.involuntarySwitches);
  }

  void Add(double wall, double cpu, double peerCpu = 0) {
    bestSeconds = std::min(bestSeconds, wall);
    lastSeconds = wall;
    cpuSeconds += cpu;
    peerCpuSeconds += peerCpu;
    ++runs;
  }

  void Report(benchmark::State& state, bool withPeer) const {
    if (runs == 0) return;
    state.counters["best_s"] = bestSeconds;
    state.counters["cpu_s"] = cpuSeconds / runs;
    if (withPeer) state.counters["peer_cpu_s"] = peerCpuSeconds / runs;
    if (sleeps + preempted > 0) {
      state.counters["sleeps"] = sleeps / runs;
      state.counters["preempted"] = preempted / runs;
    }
  }
};

// ---------------------------------------------------------------------------
// The benchmark's files: below one fresh root, term/ is the simulator's
// directory, srv/ the server's, and the tool runs in a/b/ (no settings file
// there, so its database line fails at once and costs nothing).

struct BenchTree {
  std::string root;
  std::string terminalDir, serverDir, workDir;
  std::string downloadFile;  // srv/Gross.dta, 64 MiB of random bytes
};

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = OpenFile(path, "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::abort();
  }
  std::fclose(file);
}

// Random bytes of every value, as a download may carry.
std::string RandomBytes(std::size_t size) {
  std::string bytes(size, '\0');
  std::mt19937_64 random(64);
  for (std::size_t i = 0; i < size; i += 8) {
    const std::uint64_t word = random();
    for (std::size_t k = 0; k < 8 && i + k < size; ++k) {
      bytes[i + k] = static_cast<char>((word >> (8 * k)) & 0xFF);
    }
  }
  return bytes;
}

// Booking lines as a terminal keeps them ("4711;0800;K" and LF): no NUL byte
// and no "END", so that an upload frame can carry them.
std::string BookingText(std::size_t size) {
  std::string text;
  text.reserve(size);
  std::mt19937 random(16);
  static const char kKinds[] = "KG";
  char line[16];
  while (text.size() < size) {
    std::snprintf(line, sizeof line, "%04u;%02u%02u;%c\n", static_cast<unsigned>(random() % 10000),
                  static_cast<unsigned>(random() % 24), static_cast<unsigned>(random() % 60),
                  kKinds[random() % 2]);
    text += line;
  }
  text.resize(size);
  if (!text.empty()) text.back() = '\n';
  return text;
}

std::string UploadName(std::size_t mib) {
  return "Buchung" + std::to_string(mib) + ".dta";
}

const BenchTree& Tree() {
  static const BenchTree tree = [] {
    BenchTree t;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/ds-transfer-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    t.root = pattern;
    t.terminalDir = t.root + "/term";
    t.serverDir = t.root + "/srv";
    t.workDir = t.root + "/a/b";
    for (const std::string& dir : {t.terminalDir, t.serverDir, t.workDir}) {
      std::filesystem::create_directories(dir);
    }
    t.downloadFile = t.serverDir + "/Gross.dta";
    WriteWholeFile(t.downloadFile, RandomBytes(kDownloadSize));
    for (std::size_t mib : {0, 1, 16, 64}) {
      WriteWholeFile(t.terminalDir + "/" + UploadName(mib), BookingText(mib * kMiB));
    }
    return t;
  }();
  return tree;
}

// ---------------------------------------------------------------------------
// Child processes, started with the test support, which reports each one's
// own CPU time and peak memory.

// One run of the tool from the working directory; wall time in seconds.
struct ClientRun {
  ProcessResult end;
  double wallSeconds = 0;
};

ClientRun RunClient(const std::vector<std::string>& arguments) {
  ClientRun run;
  ProcessOptions options;
  options.workingDirectory = Tree().workDir;
  const auto start = Clock::now();
  run.end = RunProcess(DS_PROGRAM, arguments, options);
  run.wallSeconds = SecondsSince(start);
  return run;
}

// The simulator for one connection, on address; it ends by itself after its
// client. False (with failure set) when it did not get ready.
bool StartOneShotSimulator(const std::string& address, BackgroundProcess& simulator,
                           std::string& failure) {
  if (StartSimulator(
          address, Tree().terminalDir, Tree().root + "/terminal.out",
          {"--port", std::to_string(kTerminalPort), "--log", Tree().root + "/terminal.log"},
          simulator)) {
    return true;
  }
  StopProcess(simulator);
  failure = "the simulator on " + address + " did not get ready";
  return false;
}

// ---------------------------------------------------------------------------
// Loopback sockets for the floor and the discarding peer.

int ListenOnLoopback(const char* address, std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in record{};
  record.sin_family = AF_INET;
  record.sin_port = htons(port);
  ::inet_pton(AF_INET, address, &record.sin_addr);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&record), sizeof record) != 0 ||
      ::listen(fd, 1) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::uint16_t PortOf(int fd) {
  sockaddr_in record{};
  socklen_t size = sizeof record;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&record), &size);
  return ntohs(record.sin_port);
}

// The next connection on listener, or -1 when none came within 30 seconds
// (the client failed before it connected).
int AcceptWithin30s(int listener) {
  pollfd entry{listener, POLLIN, 0};
  if (::poll(&entry, 1, 30000) != 1) return -1;
  return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

// Reads until the peer closes, discarding; returns the bytes read.
std::size_t DiscardUntilClosed(int fd) {
  std::vector<char> buffer(64 * 1024);
  std::size_t total = 0;
  for (;;) {
    const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
    if (n <= 0) return total;
    total += static_cast<std::size_t>(n);
  }
}

// A blocking reader of lines and counted bytes over one connection, enough
// to play the terminal's side of a DNL without looking at the data.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd), buffer_(64 * 1024) {}

  // The next line without its CR LF; false when the connection ended.
  bool Line(std::string& line) {
    line.clear();
    for (;;) {
      while (begin_ < end_) {
        const char c = buffer_[begin_++];
        if (c == '\n') {
          if (!line.empty() && line.back() == '\r') line.pop_back();
          return true;
        }
        line += c;
      }
      if (!Fill()) return false;
    }
  }

  bool Skip(std::size_t count) {
    while (count > 0) {
      if (begin_ == end_ && !Fill()) return false;
      const std::size_t take = std::min(count, end_ - begin_);
      begin_ += take;
      count -= take;
    }
    return true;
  }

 private:
  bool Fill() {
    const ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
    if (n <= 0) return false;
    begin_ = 0;
    end_ = static_cast<std::size_t>(n);
    return true;
  }

  int fd_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
};

bool SendText(int fd, const std::string& text) {
  return ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

// Serves one DNL on listener: greets, accepts any login, reads the announced
// number of data bytes without looking at them and confirms the END line.
bool ServeDiscardingDownload(int listener) {
  const int fd = AcceptWithin30s(listener);
  if (fd < 0) return false;
  LineReader reader(fd);
  std::string line;
  bool served = SendText(fd, "200 bereit\r\n") && reader.Line(line) &&
                SendText(fd, "331 weiter\r\n") && reader.Line(line) &&
                SendText(fd, "230 angemeldet\r\n") && reader.Line(line);
  // DOWNLOADFILE BEGIN TYP=1 "name" size /C:digest
  const std::size_t quote = served ? line.rfind('"') : std::string::npos;
  const std::size_t size =
      quote != std::string::npos ? std::strtoull(line.c_str() + quote + 1, nullptr, 10) : 0;
  served = served && quote != std::string::npos && SendText(fd, "200 bereit\r\n") &&
           reader.Skip(size) && reader.Line(line) && line.rfind("DOWNLOADFILE END ", 0) == 0 &&
           SendText(fd, "250 erhalten\r\n");
  if (served) DiscardUntilClosed(fd);
  ::close(fd);
  return served;
}

// ---------------------------------------------------------------------------
// The unavoidable costs of a DNL.

void BM_md5sum(benchmark::State& state) {
  Tally tally;
  for (auto _ : state) {
    const auto start = Clock::now();
    const ProcessResult end = RunProcess("/usr/bin/md5sum", {Tree().downloadFile});
    const double wall = SecondsSince(start);
    state.SetIterationTime(wall);
    tally.Add(wall, end.usage.cpuSeconds);
    if (end.exitCode != 0) state.SkipWithError("md5sum failed");
  }
  tally.Report(state, false);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDownloadSize));
}

// The file read in large pieces, each through the bitwise Crc16Block.
void BM_Crc16Loop(benchmark::State& state) {
  std::vector<char> piece(64 * 1024);
  Tally tally;
  for (auto _ : state) {
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    std::FILE* file = OpenFile(Tree().downloadFile, "rb");
    std::uint16_t crc = 0;
    std::size_t got;
    while ((got = std::fread(piece.data(), 1, piece.size(), file)) > 0) {
      crc = Crc16Block(piece.data(), got, crc);
    }
    std::fclose(file);
    benchmark::DoNotOptimize(crc);
    const double wall = SecondsSince(start);
    state.SetIterationTime(wall);
    tally.Add(wall, ThreadCpuSeconds() - cpuStart);
  }
  tally.Report(state, false);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDownloadSize));
}

// Sends all of data, waiting for room when the socket is full.
bool SendAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t sent = ::send(fd, data, length, MSG_NOSIGNAL);
    if (sent > 0) {
      data += sent;
      length -= static_cast<std::size_t>(sent);
      continue;
    }
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    pollfd entry{fd, POLLOUT, 0};
    ::poll(&entry, 1, 30000);
  }
  return true;
}

// The file read and sent in 512-byte pieces over a non-blocking loopback
// connection, with a wait for writability after every piece, to a reader
// thread that discards; timed until the reader has seen the last byte.
void BM_Send512Loop(benchmark::State& state) {
  const int listener = ListenOnLoopback(kFloorAddress, 0);
  if (listener < 0) {
    state.SkipWithError("cannot listen");
    return;
  }
  sockaddr_in record{};
  record.sin_family = AF_INET;
  record.sin_port = htons(PortOf(listener));
  ::inet_pton(AF_INET, kFloorAddress, &record.sin_addr);
  char piece[512];
  Tally tally;
  for (auto _ : state) {
    std::size_t received = 0;
    double readerCpu = 0;
    std::thread reader([&] {
      const double cpuStart = ThreadCpuSeconds();
      const int fd = AcceptWithin30s(listener);
      if (fd >= 0) {
        received = DiscardUntilClosed(fd);
        ::close(fd);
      }
      readerCpu = ThreadCpuSeconds() - cpuStart;
    });
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool sent = ::connect(fd, reinterpret_cast<const sockaddr*>(&record), sizeof record) == 0 &&
                ::fcntl(fd, F_SETFL, O_NONBLOCK) == 0;
    std::FILE* file = OpenFile(Tree().downloadFile, "rb");
    std::size_t got = sizeof piece;
    while (sent && got == sizeof piece) {
      got = std::fread(piece, 1, sizeof piece, file);
      sent = SendAll(fd, piece, got);
      pollfd entry{fd, POLLOUT, 0};
      ::poll(&entry, 1, 30000);
    }
    std::fclose(file);
    ::close(fd);
    const double senderCpu = ThreadCpuSeconds() - cpuStart;
    reader.join();
    const double wall = SecondsSince(start);
    state.SetIterationTime(wall);
    tally.Add(wall, senderCpu, readerCpu);
    if (!sent || received != kDownloadSize) state.SkipWithError("the send loop lost data");
  }
  tally.Report(state, true);
  ::close(listener);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDownloadSize));
}

// ---------------------------------------------------------------------------
// The transfers.

const std::vector<std::string>& DownloadArguments(const char* address) {
  static std::map<std::string, std::vector<std::string>> arguments;
  auto& entry = arguments[address];
  if (entry.empty()) entry = {"DNL", address, "..\\..\\srv\\Gross.dta", "Gross.dta"};
  return entry;
}

// One transfer against a simulator of its own; the simulator's CPU time is
// its peer CPU. An empty text when the run succeeded, else what failed.
std::string RunAgainstSimulator(const char* address, const std::vector<std::string>& arguments,
                                Tally& tally, long& maxRssKiB) {
  std::string failure;
  BackgroundProcess simulator;
  if (!StartOneShotSimulator(address, simulator, failure)) return failure;
  const ClientRun run = RunClient(arguments);
  // A client that failed before it connected leaves the simulator waiting.
  if (run.end.exitCode != 0) StopProcess(simulator);
  WaitProcess(simulator, 60000);
  tally.Add(run.wallSeconds, run.end.usage.cpuSeconds, simulator.usage.cpuSeconds);
  tally.AddSwitches(run.end.usage);
  maxRssKiB = std::max(maxRssKiB, run.end.usage.maxRssKiB);
  if (run.end.exitCode != 0) {
    return "the client ended with " + std::to_string(run.end.exitCode) + ": " + run.end.output;
  }
  return std::string();
}

// The real DNL of 64 MiB against the simulator, which checks CRC and MD5.
void BM_DnlSimulator(benchmark::State& state) {
  const std::string stored = Tree().terminalDir + "/Gross.dta";
  Tally tally;
  long maxRssKiB = 0;
  for (auto _ : state) {
    std::string failure = RunAgainstSimulator(kDownloadAddress, DownloadArguments(kDownloadAddress),
                                              tally, maxRssKiB);
    state.SetIterationTime(tally.lastSeconds);
    std::error_code ignored;
    if (failure.empty() && std::filesystem::file_size(stored, ignored) != kDownloadSize) {
      failure = "the simulator did not store the file";
    }
    std::filesystem::remove(stored, ignored);
    if (!failure.empty()) {
      state.SkipWithError(failure.c_str());
      break;
    }
  }
  tally.Report(state, true);
  state.counters["peak_MiB"] = static_cast<double>(maxRssKiB) / 1024.0;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDownloadSize));
}

// The same DNL against a peer thread that discards the data: the client's
// own cost, without the simulator's checks.
void BM_DnlDiscardingPeer(benchmark::State& state) {
  const int listener = ListenOnLoopback(kDiscardAddress, kTerminalPort);
  if (listener < 0) {
    state.SkipWithError("cannot listen");
    return;
  }
  Tally tally;
  for (auto _ : state) {
    bool served = false;
    double peerCpu = 0;
    std::thread peer([&] {
      const double cpuStart = ThreadCpuSeconds();
      served = ServeDiscardingDownload(listener);
      peerCpu = ThreadCpuSeconds() - cpuStart;
    });
    const ClientRun run = RunClient(DownloadArguments(kDiscardAddress));
    peer.join();
    state.SetIterationTime(run.wallSeconds);
    tally.Add(run.wallSeconds, run.end.usage.cpuSeconds, peerCpu);
    tally.AddSwitches(run.end.usage);
    if (run.end.exitCode != 0 || !served) {
      state.SkipWithError("the download failed");
      break;
    }
  }
  ::close(listener);
  tally.Report(state, true);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDownloadSize));
}

// A UPL of state.range(0) MiB from the simulator, without the delete flag so
// that the terminal's file stays for the next run. Peak memory is the
// client's own ru_maxrss.
void BM_Upl(benchmark::State& state) {
  const std::size_t mib = static_cast<std::size_t>(state.range(0));
  const std::string name = UploadName(mib);
  const std::vector<std::string> arguments = {"UPL", kUploadAddress, name, "..\\..\\srv\\" + name};
  Tally tally;
  long maxRssKiB = 0;
  for (auto _ : state) {
    const std::string failure = RunAgainstSimulator(kUploadAddress, arguments, tally, maxRssKiB);
    state.SetIterationTime(tally.lastSeconds);
    if (!failure.empty()) {
      state.SkipWithError(failure.c_str());
      break;
    }
  }
  tally.Report(state, true);
  state.counters["peak_MiB"] = static_cast<double>(maxRssKiB) / 1024.0;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * mib * kMiB));
}

BENCHMARK(BM_md5sum)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Crc16Loop)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Send512Loop)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_DnlSimulator)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_DnlDiscardingPeer)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
// 0 MiB: the dialog without data, the client's memory before any frame.
BENCHMARK(BM_Upl)->Unit(benchmark::kMillisecond)->UseManualTime()->Arg(0)->Iterations(5);
BENCHMARK(BM_Upl)->Unit(benchmark::kMillisecond)->UseManualTime()->Arg(1)->Iterations(10);
BENCHMARK(BM_Upl)->Unit(benchmark::kMillisecond)->UseManualTime()->Arg(16)->Iterations(3);
BENCHMARK(BM_Upl)->Unit(benchmark::kMillisecond)->UseManualTime()->Arg(64)->Iterations(3);

// ---------------------------------------------------------------------------
// The closing table.

struct Figures {
  double meanSeconds = 0;  // mean wall time of one run
  std::map<std::string, double> counters;

  double Counter(const char* name) const {
    const auto found = counters.find(name);
    return found != counters.end() ? found->second : 0.0;
  }
};

class TableReporter : public benchmark::ConsoleReporter {
 public:
  TableReporter() : ConsoleReporter(::isatty(1) ? OO_ColorTabular : OO_Tabular) {}

  std::map<std::string, Figures> figures;  // by benchmark name, e.g. "BM_Upl/16/..."

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.error_occurred) continue;
      Figures& f = figures[run.benchmark_name()];
      f.meanSeconds = run.GetAdjustedRealTime() / 1000.0;  // the unit is milliseconds
      for (const auto& [name, counter] : run.counters) f.counters[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

const Figures* Find(const std::map<std::string, Figures>& figures, const std::string& prefix) {
  for (const auto& [name, f] : figures) {
    if (name.rfind(prefix, 0) == 0) return &f;
  }
  return nullptr;
}

const char* Verdict(bool met) {
  return met ? "met" : "MISSED";
}

void PrintRatio(const char* what, const char* clock, double ours, double floor, double target) {
  if (ours <= 0 || floor <= 0) return;
  const double ratio = ours / floor;
  std::printf("%s / unavoidable, %-4s: %.2f (target at most %.2f): %s\n", what, clock, ratio,
              target, Verdict(ratio <= target));
}

// Wall times are the fastest run's, CPU times the mean of the working
// process (for the send loop: the sending thread; peer: the receiving side).
void PrintDownloadTable(const std::map<std::string, Figures>& figures) {
  const Figures* md5 = Find(figures, "BM_md5sum");
  const Figures* crc = Find(figures, "BM_Crc16Loop");
  const Figures* floor = Find(figures, "BM_Send512Loop");
  const Figures* dnl = Find(figures, "BM_DnlSimulator");
  const Figures* discard = Find(figures, "BM_DnlDiscardingPeer");
  const double mb = static_cast<double>(kDownloadSize) / 1e6;
  std::printf("\n%-26s %8s %8s %8s %8s %10s %9s %7s\n", "DNL of 64 MiB", "mean s", "best s", "MB/s",
              "CPU s", "peer CPU s", "preempted", "sleeps");
  auto row = [&](const char* label, const Figures* f) {
    if (f == nullptr) return;
    const double best = f->Counter("best_s");
    std::printf("%-26s %8.3f %8.3f %8.1f %8.3f", label, f->meanSeconds, best,
                best > 0 ? mb / best : 0.0, f->Counter("cpu_s"));
    if (f->counters.count("peer_cpu_s") != 0) std::printf(" %10.3f", f->Counter("peer_cpu_s"));
    if (f->counters.count("preempted") != 0) {
      std::printf(" %9.0f %7.0f", f->Counter("preempted"), f->Counter("sleeps"));
    }
    std::printf("\n");
  };
  row("md5sum", md5);
  row("CRC-16 bitwise loop", crc);
  row("512-byte send loop", floor);
  if (md5 == nullptr || crc == nullptr || floor == nullptr) return;
  const double wall = md5->Counter("best_s") + crc->Counter("best_s") + floor->Counter("best_s");
  const double cpu = md5->Counter("cpu_s") + crc->Counter("cpu_s") + floor->Counter("cpu_s");
  std::printf("%-26s %8s %8.3f %8.1f %8.3f\n", "sum of the unavoidable", "", wall, mb / wall, cpu);
  row("DNL against the simulator", dnl);
  row("DNL against a discarder", discard);
  if (dnl != nullptr) {
    PrintRatio("DNL against the simulator", "wall", dnl->Counter("best_s"), wall, 1.25);
    PrintRatio("DNL against the simulator", "CPU", dnl->Counter("cpu_s"), cpu, 1.25);
  }
  if (discard != nullptr) {
    PrintRatio("DNL against a discarder ", "wall", discard->Counter("best_s"), wall, 1.25);
    PrintRatio("DNL against a discarder ", "CPU", discard->Counter("cpu_s"), cpu, 1.25);
  }
}

void PrintUploadTable(const std::map<std::string, Figures>& figures) {
  const Figures* empty = Find(figures, "BM_Upl/0/");
  const double baseline = empty != nullptr ? empty->Counter("peak_MiB") : 0.0;
  std::printf("\n%-8s %8s %8s %8s %8s %10s %9s %9s %9s %9s\n", "UPL", "mean s", "best s", "MB/s",
              "CPU s", "sim CPU s", "preempted", "peak MiB", "peak/size", "growth/size");
  for (int mib : {0, 1, 16, 64}) {
    const Figures* f = Find(figures, "BM_Upl/" + std::to_string(mib) + "/");
    if (f == nullptr) continue;
    const double mb = static_cast<double>(mib) * static_cast<double>(kMiB) / 1e6;
    const double best = f->Counter("best_s");
    const double peak = f->Counter("peak_MiB");
    std::printf("%3d MiB  %8.3f %8.3f %8.1f %8.3f %10.3f %9.0f %9.1f", mib, f->meanSeconds, best,
                best > 0 ? mb / best : 0.0, f->Counter("cpu_s"), f->Counter("peer_cpu_s"),
                f->Counter("preempted"), peak);
    if (mib > 0) std::printf(" %9.2f %9.2f", peak / mib, (peak - baseline) / mib);
    std::printf("\n");
  }
  const Figures* one = Find(figures, "BM_Upl/1/");
  const Figures* big = Find(figures, "BM_Upl/64/");
  if (one != nullptr && big != nullptr) {
    for (const char* clock : {"best_s", "cpu_s"}) {
      const double small = one->Counter(clock);
      if (small <= 0) continue;
      const double growth = big->Counter(clock) / small;
      std::printf("UPL time 64 MiB / 1 MiB, %-4s: %.1f (target at most 80): %s\n",
                  clock[0] == 'b' ? "wall" : "CPU", growth, Verdict(growth <= 80));
    }
  }
  for (int mib : {1, 16, 64}) {
    const Figures* f = Find(figures, "BM_Upl/" + std::to_string(mib) + "/");
    if (f == nullptr) continue;
    const double ratio = f->Counter("peak_MiB") / mib;
    const double growth = (f->Counter("peak_MiB") - baseline) / mib;
    std::printf(
        "UPL peak memory, %2d MiB: %.2f x the file (target at most 3): %s; "
        "above the empty upload's %.1f MiB: %.2f x: %s\n",
        mib, ratio, Verdict(ratio <= 3), baseline, growth, Verdict(growth <= 3));
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Tree();
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::error_code ignored;
  std::filesystem::remove_all(Tree().root, ignored);
  PrintDownloadTable(reporter.figures);
  PrintUploadTable(reporter.figures);
  double load[3] = {};
  if (::getloadavg(load, 3) == 3) {
    std::printf("\nload average at the end: %.2f %.2f %.2f on %ld CPUs\n", load[0], load[1],
                load[2], ::sysconf(_SC_NPROCESSORS_ONLN));
  }
  benchmark::Shutdown();
  return 0;
}
