#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the normal build and its
# Debian package, then the AddressSanitizer + UndefinedBehaviorSanitizer
# build. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
jobs=$(nproc)

# run_suite DIR "CTEST ARGS" CMAKE ARGS...
run_suite() {
  local dir=$1 selection=$2; shift 2
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  # shellcheck disable=SC2086  # the selection is a list of ctest arguments
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600 $selection)
  echo "== $dir done after ${SECONDS}s"
}

# Every test, the layer check (layers.*) among them. The tests labelled slow
# (a real 30-second time-out, the valgrind soak) run in the normal build only.
echo "== normal build"
run_suite build/test "" -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== the Debian package: unpacked, its programs run"
bash scripts/check-package.sh build/test

echo "== sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build/sanitize "-LE slow" -DCMAKE_BUILD_TYPE=Debug -DDS_SANITIZE=ON -DDS_BUILD_BENCH=OFF
