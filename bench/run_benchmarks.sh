#!/usr/bin/env bash
# Builds the benchmarks and the programs they run with optimisation in
# build-bench/ and runs them: the checksums (crypto_bench) and the transfers
# against the terminal simulator (transfer_bench). Arguments go to both, e.g.
# --benchmark_filter=BM_Upl. The transfer benchmark needs the loopback
# addresses 127.0.8.1 to 127.0.8.4 (port 5010) to itself while it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${DS_BENCH_BUILD:-build-bench}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDS_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target crypto_bench transfer_bench >/dev/null
uptime
"$build/bench/crypto_bench" "$@"
"$build/bench/transfer_bench" "$@"
