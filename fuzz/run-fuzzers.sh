#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for DURATION seconds each, with
# libFuzzer, AddressSanitizer and UBSan (clang-14 and libclang-rt-14-dev).
#
#   fuzz/run-fuzzers.sh DURATION [TARGET...]
#
# Environment: JOBS targets at a time (default 2), BUILD the build directory
# (default build-fuzz). Each target grows its own working corpus in
# BUILD/corpus/TARGET from the seeds in fuzz/corpus/TARGET (the seeds are not
# touched). A finding (a crash, a broken check, a leak, an input that runs
# over 10 s or asks for more than 256 MiB at once) is written to
# BUILD/findings/TARGET/ and makes the script end with 1. A line per target
# reports executions and findings.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

[ $# -ge 1 ] && [[ $1 =~ ^[0-9]+$ ]] || { echo "usage: $0 DURATION [TARGET...]" >&2; exit 2; }
duration=$1; shift
jobs=${JOBS:-2}
build=${BUILD:-$root/build-fuzz}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  read -r -a targets <<<"$(sed -n 's/^set(DS_FUZZ_TARGETS \(.*\))$/\1/p' fuzz/targets.cmake)"
fi

CC=${CC:-clang-14} CXX=${CXX:-clang++-14} \
  cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice -n 10 cmake --build "$build" -j"$jobs" --target $(printf '%s_fuzz ' "${targets[@]}") >/dev/null

run_target() {
  local target=$1 work="$build/corpus/$1" findings="$build/findings/$1"
  rm -rf "$findings"
  mkdir -p "$work" "$findings" "$build/logs"
  local status=0 started
  started=$(date +%s)
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    nice -n 10 "$build/${target}_fuzz" -max_total_time="$duration" -timeout=10 -malloc_limit_mb=256 -close_fd_mask=1 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$work" "fuzz/corpus/$target" \
    >"$build/logs/$target.log" 2>&1 || status=$?
  echo "$status" >"$build/logs/$target.status"
  echo $(($(date +%s) - started)) >"$build/logs/$target.seconds"
}

echo "fuzzing ${targets[*]} for $duration s each, $jobs at a time"
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
  run_target "$target" &
  running=$((running + 1))
done
wait

failed=0
printf '%-16s %8s %12s %8s %7s %7s %9s\n' target seconds executions exec/s edges corpus findings
for target in "${targets[@]}"; do
  log="$build/logs/$target.log"
  stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -n 1; }
  found=$(find "$build/findings/$target" -type f | wc -l)
  status=$(cat "$build/logs/$target.status")
  corpus=$(find "$build/corpus/$target" -type f | wc -l)
  edges=$(sed -n 's/.* cov: \([0-9]*\) .*/\1/p' "$log" | tail -n 1)
  printf '%-16s %8s %12s %8s %7s %7s %9s\n' "$target" "$(cat "$build/logs/$target.seconds")" \
    "$(stat number_of_executed_units || true)" "$(stat average_exec_per_sec || true)" \
    "${edges:-?}" "$corpus" "$found"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    echo "  $target: exit status $status, see $log and $build/findings/$target/" >&2
  fi
done
exit $failed
