// Throughput of the checksums over a 256 MiB file: Crc16Block as the
// download sender runs it, MD5FileDigest, and the system's md5sum on the same
// file, with a closing table that puts the two digests side by side.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "crypto/crc16.h"
#include "crypto/md5.h"
#include "platform/platform.h"

namespace {

constexpr std::size_t kFileSize = std::size_t{256} << 20;

// The benchmark file, written once per process; main removes it.
const std::string& BenchFile() {
  static const std::string path = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/ds-bench-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) std::abort();
    std::mt19937_64 random(256);
    std::vector<std::uint64_t> chunk((std::size_t{1} << 20) / sizeof(std::uint64_t));
    for (std::size_t written = 0; written < kFileSize; written += chunk.size() * 8) {
      for (auto& word : chunk) word = random();
      if (::write(fd, chunk.data(), chunk.size() * 8) != static_cast<ssize_t>(chunk.size() * 8)) {
        std::abort();
      }
    }
    ::close(fd);
    return pattern;
  }();
  return path;
}

// The whole file through Crc16Block in 512-byte pieces, continued from piece
// to piece as the download sender does.
void BM_Crc16Block(benchmark::State& state) {
  std::vector<char> piece(512);
  for (auto _ : state) {
    std::FILE* file = OpenFile(BenchFile(), "rb");
    std::uint16_t crc = 0;
    std::size_t got;
    while ((got = std::fread(piece.data(), 1, piece.size(), file)) > 0) {
      crc = Crc16Block(piece.data(), got, crc);
    }
    std::fclose(file);
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}

void BM_MD5FileDigest(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(MD5FileDigest(BenchFile()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}

// CPU seconds (user and system) of all ended child processes so far.
double ChildCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// md5sum's own CPU time is reported as the counter child_cpu_s per run, since
// the parent's CPU clock does not include it.
void BM_md5sum(benchmark::State& state) {
  const std::string command = "md5sum '" + BenchFile() + "' > /dev/null";
  const double before = ChildCpuSeconds();
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("md5sum failed");
  }
  state.counters["child_cpu_s"] =
      benchmark::Counter(ChildCpuSeconds() - before, benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}

// Wall-clock time throughout, so that md5sum's run in a child process counts;
// the CPU times are compared as well, as they suffer less from other load.
BENCHMARK(BM_Crc16Block)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_MD5FileDigest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_md5sum)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

struct Timing {
  double wallSeconds = 0;
  double cpuSeconds = 0;
};

// Prints the usual report and keeps each benchmark's times per iteration.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  TableReporter() : ConsoleReporter(::isatty(1) ? OO_ColorTabular : OO_Tabular) {}

  std::map<std::string, Timing> timings;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      Timing& timing = timings[run.run_name.function_name];
      timing.wallSeconds = run.GetAdjustedRealTime() / 1000.0;
      const auto child = run.counters.find("child_cpu_s");
      timing.cpuSeconds =
          child != run.counters.end() ? child->second.value : run.GetAdjustedCPUTime() / 1000.0;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatio(const char* clock, double ours, double theirs) {
  if (ours <= 0 || theirs <= 0) return;
  const double ratio = ours / theirs;
  std::printf("MD5FileDigest / md5sum, %-4s time: %.2f (target at most 1.20): %s\n", clock, ratio,
              ratio <= 1.2 ? "met" : "MISSED");
}

void PrintTable(const std::map<std::string, Timing>& timings) {
  const double mib = static_cast<double>(kFileSize) / (1 << 20);
  std::printf("\n%-16s %10s %10s %10s %10s\n", "256 MiB file", "wall s", "wall MiB/s", "CPU s",
              "CPU MiB/s");
  for (const char* name : {"BM_Crc16Block", "BM_MD5FileDigest", "BM_md5sum"}) {
    const auto found = timings.find(name);
    if (found == timings.end() || found->second.wallSeconds <= 0) continue;
    const Timing& t = found->second;
    std::printf("%-16s %10.3f %10.1f %10.3f %10.1f\n", name + 3, t.wallSeconds, mib / t.wallSeconds,
                t.cpuSeconds, t.cpuSeconds > 0 ? mib / t.cpuSeconds : 0.0);
  }
  const auto ours = timings.find("BM_MD5FileDigest");
  const auto theirs = timings.find("BM_md5sum");
  if (ours == timings.end() || theirs == timings.end()) return;
  PrintRatio("wall", ours->second.wallSeconds, theirs->second.wallSeconds);
  PrintRatio("CPU", ours->second.cpuSeconds, theirs->second.cpuSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  BenchFile();
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::remove(BenchFile().c_str());
  PrintTable(reporter.timings);
  benchmark::Shutdown();
  return 0;
}
