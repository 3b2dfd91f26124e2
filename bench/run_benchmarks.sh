#!/usr/bin/env bash
# Builds the benchmarks and the programs they run with optimisation in
# build-bench/ and runs them: the checksums (crypto_bench), the large
# transfers against the terminal simulator (transfer_bench), the small
# transfers next to a minimal client (small_transfer_bench) and a scheduler's
# load of 500 transfers into SQLite and PostgreSQL (scheduler_bench).
# Arguments go to each, e.g. --benchmark_filter=BM_Upl. The process
# benchmarks need loopback addresses of their own (127.0.8.1 to 127.0.8.4,
# 127.0.10.1, 127.0.11.1 to 127.0.11.50; port 5010) while they run: on a
# shared machine run this inside a private network namespace,
#   unshare -n bash -c 'ip link set lo up && bench/run_benchmarks.sh'
# The test suite's configuration stays on: the process benchmarks start the
# programs with its support library (only the benchmarks are built).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${DS_BENCH_BUILD:-build-bench}
jobs=${DS_BENCH_JOBS:-2}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target crypto_bench transfer_bench small_transfer_bench \
  scheduler_bench >/dev/null
uptime
"$build/bench/crypto_bench" "$@"
"$build/bench/transfer_bench" "$@"
"$build/bench/small_transfer_bench" "$@"
"$build/bench/scheduler_bench" "$@"
