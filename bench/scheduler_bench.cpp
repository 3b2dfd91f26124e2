// A scheduler's day in small: 500 transfers, a mix of DNL, DNLA and UPL with
// delete, to 50 terminal simulators on their own loopback addresses
// (127.0.11.1 to 127.0.11.50, port 5010), 8 at a time, every run the real
// datenschleuse process logging into one transfer log: first one SQLite file,
// then one PostgreSQL database through ODBC (a throwaway server of
// scripts/postgres-test-server.sh). Reported: transfers per second, the
// slowest transfer, the median one; checked: every run ended with 0, every
// download arrived, every upload was stored and deleted on its terminal, and
// the log holds exactly one row per run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/simulator.h"
#include "tests/support/temp_dir.h"

#ifndef DS_PROGRAM
#error "DS_PROGRAM must name the built datenschleuse"
#endif

namespace {

constexpr int kTransfers = 500;
constexpr int kTerminals = 50;
constexpr int kAtOnce = 8;
constexpr std::size_t kFileSize = 2000;
constexpr int kDnlaListed = 3;  // and IDSTAMM.DTA: four files per DNLA

std::string TerminalAddress(int terminal) {
  return "127.0.11." + std::to_string(terminal + 1);
}

// srv/ holds the server's files, term<N>/ terminal N's; the runs start in
// log/a/b, whose ..\..\Files\Korvaline.Ini leads to the log.
struct Tree {
  TempDir root;
  std::string TerminalDir(int terminal) const {
    return root.File("term" + std::to_string(terminal));
  }
  std::string WorkDir() const { return root.File("log/a/b"); }
};

enum class Kind { kDnl, kDnla, kUplDelete };

Kind KindOf(int job) {
  return static_cast<Kind>(job % 3);
}

std::string Name(const char* prefix, int job) {
  return prefix + std::to_string(job) + ".dta";
}

void WriteServerFiles(const Tree& tree) {
  std::filesystem::create_directories(tree.root.File("srv/alle"));
  std::filesystem::create_directories(tree.root.File("srv/up"));
  std::filesystem::create_directories(tree.WorkDir());
  for (int job = 0; job < kTransfers; ++job) {
    if (KindOf(job) == Kind::kDnl) {
      WriteFileBytes(tree.root.File("srv/" + Name("D", job)),
                     RandomBytes(kFileSize, static_cast<unsigned>(job)));
    }
  }
  std::string list;
  for (int i = 1; i <= kDnlaListed; ++i) {
    list += Name("A", i) + "\r\n";
    WriteFileBytes(tree.root.File("srv/alle/" + Name("A", i)), RandomBytes(kFileSize, 1000u + i));
  }
  WriteFileBytes(tree.root.File("srv/alle/IDSTAMM.DTA"), RandomBytes(kFileSize, 999));
  WriteFileBytes(tree.root.File("srv/alle/DNLLIST.TXT"), list);
}

// The upload files of every UPL job on its terminal.
void PlaceUploadFiles(const Tree& tree) {
  for (int job = 0; job < kTransfers; ++job) {
    if (KindOf(job) == Kind::kUplDelete) {
      WriteFileBytes(tree.TerminalDir(job % kTerminals) + "/" + Name("U", job),
                     BookingText(kFileSize, static_cast<unsigned>(job)));
    }
  }
}

std::vector<std::string> Arguments(int job) {
  const std::string address = TerminalAddress(job % kTerminals);
  switch (KindOf(job)) {
    case Kind::kDnl:
      return {"DNL", address, "..\\..\\..\\srv\\" + Name("D", job), Name("D", job)};
    case Kind::kDnla:
      return {"DNLA", address, "..\\..\\..\\srv\\alle\\", "xxx"};
    case Kind::kUplDelete:
      return {"UPL", address, Name("U", job), "..\\..\\..\\srv\\up\\" + Name("U", job), "1"};
  }
  return {};
}

// What a run left: "" when its files are where they belong, else what is wrong.
std::string CheckFiles(const Tree& tree, int job) {
  const std::string terminal = tree.TerminalDir(job % kTerminals);
  switch (KindOf(job)) {
    case Kind::kDnl:
      return ReadFileBytes(terminal + "/" + Name("D", job)) ==
                     ReadFileBytes(tree.root.File("srv/" + Name("D", job)))
                 ? ""
                 : "download lost";
    case Kind::kDnla:
      return FileExists(terminal + "/IDSTAMM.DTA") ? "" : "download-all lost";
    case Kind::kUplDelete:
      return FileExists(tree.root.File("srv/up/" + Name("U", job))) &&
                     !FileExists(terminal + "/" + Name("U", job))
                 ? ""
                 : "upload not stored or not deleted";
  }
  return "";
}

struct Outcome {
  double seconds = 0;  // the whole batch
  std::vector<double> runSeconds;
  int failed = 0;
  std::string firstFailure;
};

// Runs every job, kAtOnce at a time, each in its own process.
Outcome RunJobs(const Tree& tree, const ProcessOptions& options) {
  Outcome outcome;
  outcome.runSeconds.assign(kTransfers, 0);
  std::vector<std::string> failures(kTransfers);
  std::atomic<int> next{0};
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> workers;
  for (int w = 0; w < kAtOnce; ++w) {
    workers.emplace_back([&] {
      for (int job = next++; job < kTransfers; job = next++) {
        const TimedRun run = RunTimed(DS_PROGRAM, Arguments(job), options);
        outcome.runSeconds[job] = run.seconds;
        if (run.result.exitCode != 0) {
          failures[job] = "exit " + std::to_string(run.result.exitCode) + ": " + run.result.output;
        }
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (int job = 0; job < kTransfers; ++job) {
    if (failures[job].empty()) failures[job] = CheckFiles(tree, job);
    if (failures[job].empty()) continue;
    if (outcome.failed++ == 0)
      outcome.firstFailure = "job " + std::to_string(job) + ": " + failures[job];
  }
  return outcome;
}

long long SqliteRows(const std::string& path) {
  sqlite3* db = nullptr;
  long long rows = -1;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* count = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM O2008TRANSPROT", -1, &count, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW) {
      rows = sqlite3_column_int64(count, 0);
    }
    sqlite3_finalize(count);
  }
  sqlite3_close_v2(db);
  return rows;
}

// KEY='value' lines of the server script's client.env as NAME=VALUE entries.
std::map<std::string, std::string> ReadClientEnv(const std::string& path) {
  std::map<std::string, std::string> values;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t equals = line.find("='");
    if (equals == std::string::npos || line.back() != '\'') continue;
    values[line.substr(0, equals)] = line.substr(equals + 2, line.size() - equals - 3);
  }
  return values;
}

std::map<std::string, Outcome> outcomes;
std::map<std::string, long long> rowCounts;

void Report(benchmark::State& state, const std::string& log, const Outcome& outcome,
            long long rows) {
  outcomes[log] = outcome;
  rowCounts[log] = rows;
  state.SetIterationTime(outcome.seconds);
  state.counters["transfers_per_s"] = kTransfers / outcome.seconds;
  state.counters["slowest_ms"] =
      *std::max_element(outcome.runSeconds.begin(), outcome.runSeconds.end()) * 1000;
  state.counters["failed"] = outcome.failed;
  state.counters["rows"] = static_cast<double>(rows);
  if (outcome.failed != 0) state.SkipWithError(outcome.firstFailure.c_str());
  if (rows != kTransfers) state.SkipWithError("the log does not hold one row per run");
}

// The simulators, one per terminal, for the whole program.
std::vector<BackgroundProcess> simulators;

bool StartSimulators(const Tree& tree) {
  for (int terminal = 0; terminal < kTerminals; ++terminal) {
    std::filesystem::create_directories(tree.TerminalDir(terminal));
    BackgroundProcess simulator;
    if (!StartSimulator(TerminalAddress(terminal), tree.TerminalDir(terminal),
                        tree.root.File("term" + std::to_string(terminal) + ".out"),
                        {"--connections", "0", "--log", "/dev/null"}, simulator)) {
      return false;
    }
    simulators.push_back(simulator);
  }
  return true;
}

void StopSimulators() {
  for (BackgroundProcess& simulator : simulators) StopProcess(simulator);
  simulators.clear();
}

void BM_SchedulerSqlite(benchmark::State& state) {
  for (auto _ : state) {
    Tree tree;
    WriteServerFiles(tree);
    PlaceUploadFiles(tree);
    if (!StartSimulators(tree) || !WriteSettings(tree.root.File("log/Files"), "kvsystem", "geheim",
                                                 "sqlite:..\\..\\log.db")) {
      state.SkipWithError("cannot set up");
      StopSimulators();
      break;
    }
    ProcessOptions options;
    options.workingDirectory = tree.WorkDir();
    const Outcome outcome = RunJobs(tree, options);
    StopSimulators();
    Report(state, "SQLite", outcome, SqliteRows(tree.root.File("log/log.db")));
  }
}

void BM_SchedulerPostgres(benchmark::State& state) {
  for (auto _ : state) {
    Tree tree;
    const std::string script = std::string(DS_SOURCE_DIR) + "/scripts/postgres-test-server.sh";
    const std::string pgDir = tree.root.File("pg");
    const ProcessResult started = RunProcess("/bin/bash", {script, "start", pgDir});
    if (started.exitCode != 0) {
      state.SkipWithError(("the PostgreSQL server did not start: " + started.errors).c_str());
      break;
    }
    std::map<std::string, std::string> env = ReadClientEnv(pgDir + "/client.env");
    ProcessOptions options;
    options.workingDirectory = tree.WorkDir();
    for (const char* name : {"ODBCSYSINI", "ODBCINI"}) {
      options.environment.push_back(std::string(name) + "=" + env[name]);
    }
    WriteServerFiles(tree);
    PlaceUploadFiles(tree);
    if (!StartSimulators(tree) || !WriteSettings(tree.root.File("log/Files"), env["DS_PG_USER"],
                                                 env["DS_PG_PASSWORD"], env["DS_PG_DSN"])) {
      state.SkipWithError("cannot set up");
      StopSimulators();
      RunProcess("/bin/bash", {script, "stop", pgDir});
      break;
    }
    const Outcome outcome = RunJobs(tree, options);
    StopSimulators();
    ProcessOptions psql;
    for (const char* name : {"PGHOST", "PGPORT", "PGDATABASE", "PGUSER", "PGPASSWORD"}) {
      psql.environment.push_back(std::string(name) + "=" + env[name]);
    }
    const ProcessResult counted = RunProcess(
        "/usr/bin/psql", {"-At", "-c", "SELECT count(*) FROM kvsystem.o2008transprot"}, psql);
    RunProcess("/bin/bash", {script, "stop", pgDir});
    Report(state, "PostgreSQL", outcome,
           counted.exitCode == 0 ? std::atoll(counted.output.c_str()) : -1);
  }
}

BENCHMARK(BM_SchedulerSqlite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SchedulerPostgres)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void PrintTable() {
  std::printf(
      "\n%d transfers (DNL, DNLA of %d files, UPL with delete in turn) to %d terminals, "
      "%d at a time\n",
      kTransfers, kDnlaListed + 1, kTerminals, kAtOnce);
  std::printf("%-11s %8s %12s %10s %10s %7s %6s\n", "log", "total s", "transfers/s", "median ms",
              "slowest ms", "failed", "rows");
  for (const auto& [log, outcome] : outcomes) {
    std::printf("%-11s %8.2f %12.1f %10.1f %10.1f %7d %6lld\n", log.c_str(), outcome.seconds,
                kTransfers / outcome.seconds, Median(outcome.runSeconds) * 1000,
                *std::max_element(outcome.runSeconds.begin(), outcome.runSeconds.end()) * 1000,
                outcome.failed, rowCounts[log]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  PrintTable();
  std::printf("%s\n", LoadText().c_str());
  benchmark::Shutdown();
  return 0;
}
