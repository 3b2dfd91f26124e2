#!/usr/bin/env bash
# Builds the Windows programs (datenschleuse.exe, datenschleuse-terminal.exe,
# datenschleuse-ini.exe, datenschleuse-report.exe) with mingw-w64 and tests
# them under wine: the unit tests through CTest, then end-to-end runs of
# datenschleuse.exe against the native Linux terminal simulator on loopback,
# compared with the Linux program's runs, then the .zip package, unpacked and
# run. Installs mingw-w64 and wine when missing (as root).
#
#   bash scripts/test-windows.sh
#
# Build directories: build/windows (cross build, wine prefix inside it) and
# build/test (the native programs, shared with scripts/test.sh). Override
# them with DS_WINDOWS_BUILD and DS_NATIVE_BUILD.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# mingw-w64 and wine; dpkg-dev and tcl make the SQLite amalgamation; the
# sqlite3 shell reads the transfer logs of the end-to-end runs; groff renders
# the manual pages as text for the .zip, zip and unzip make and check it.
bash scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev tcl sqlite3 \
  groff-base zip unzip
jobs=$(nproc)
build=$(mkdir -p "${DS_WINDOWS_BUILD:-build/windows}" && cd "${DS_WINDOWS_BUILD:-build/windows}" && pwd)
native=$(mkdir -p "${DS_NATIVE_BUILD:-build/test}" && cd "${DS_NATIVE_BUILD:-build/test}" && pwd)

# Quiet wine with a prefix of its own in the build directory; no Mono or
# Gecko installers (console programs need neither).
export WINEDEBUG=-all
export WINEPREFIX="$build/wineprefix"
export WINEDLLOVERRIDES="mscoree=;mshtml="

stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT

seconds_since() { echo $(($(date +%s) - $1)); }

echo "== SQLite for Windows"
bash scripts/windows-sqlite.sh "$build/sqlite"

echo "== cross build"
start=$(date +%s)
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDS_WINE_PREFIX="$WINEPREFIX" \
  -DSQLite3_INCLUDE_DIR="$build/sqlite/include" \
  -DSQLite3_LIBRARY="$build/sqlite/lib/libsqlite3.a" >/dev/null
cmake --build "$build" -j"$jobs"
for program in driver/datenschleuse.exe tools/terminal/datenschleuse-terminal.exe \
               tools/ini/datenschleuse-ini.exe tools/report/datenschleuse-report.exe; do
  [ -f "$build/$program" ] || { echo "missing: $build/$program" >&2; exit 1; }
done
echo "cross build: $(seconds_since "$start") s"

echo "== wine"
# The server starts first, detached from every pipe: wine's helper processes
# would otherwise inherit CTest's output pipe and CTest would wait for them.
start=$(date +%s)
# The prefix folder must exist: wineserver refuses one that does not.
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1
echo "wine prefix ready: $(seconds_since "$start") s"

echo "== unit tests under wine"
start=$(date +%s)
(cd "$build" && ctest --output-on-failure -j"$jobs" --timeout 120)
echo "unit tests under wine: $(seconds_since "$start") s"

echo "== native programs for the end-to-end runs"
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j"$jobs" --target datenschleuse datenschleuse-terminal datenschleuse-ini

echo "== end to end: datenschleuse.exe under wine against the Linux terminal simulator"
start=$(date +%s)
bash scripts/windows-e2e.sh "$build" "$native"
echo "end to end under wine: $(seconds_since "$start") s"

echo "== the Windows package: the .zip unpacked, its datenschleuse.exe run under wine"
start=$(date +%s)
bash scripts/check-windows-zip.sh "$build" "$native"
echo "package under wine: $(seconds_since "$start") s"
