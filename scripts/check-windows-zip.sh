#!/usr/bin/env bash
# Checks the Windows package for real: builds the .zip with CPack from the
# cross build, checks what it holds, unpacks it into a scratch folder and
# runs the unpacked programs under wine: datenschleuse-ini.exe writes an
# SQLite log's settings, datenschleuse.exe sends a file to the native Linux
# terminal simulator and must end with ERRORLEVEL 0, datenschleuse-report.exe
# must show the transfer.
#
#   bash scripts/check-windows-zip.sh WINDOWS-BUILD NATIVE-BUILD
#
# Called by scripts/test-windows.sh, which has started the wine server.
set -euo pipefail
windows_build=$(cd "$1" && pwd)
native_build=$(cd "$2" && pwd)
wine_run="$windows_build/wine-run"

fail() { echo "check-windows-zip: $*" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$windows_build/CMakeCache.txt")
(cd "$windows_build" && cpack -G ZIP >cpack.log 2>&1) ||
  { cat "$windows_build/cpack.log" >&2; fail "cpack failed"; }
zip="$windows_build/packages/datenschleuse-$version-windows-x64.zip"
[ -f "$zip" ] || fail "no package $zip"

scratch=$(mktemp -d)
terminal_pid=
cleanup() {
  [ -n "$terminal_pid" ] && kill "$terminal_pid" 2>/dev/null && wait "$terminal_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

unzip -q "$zip" -d "$scratch/unpacked"
kit="$scratch/unpacked/datenschleuse-$version-windows-x64"
for file in datenschleuse.exe datenschleuse-terminal.exe datenschleuse-ini.exe \
            datenschleuse-report.exe README-Windows.txt man/datenschleuse.txt \
            man/datenschleuse-terminal.txt man/datenschleuse-ini.txt man/datenschleuse-report.txt; do
  [ -f "$kit/$file" ] || fail "the zip lacks $file"
done
grep -q $'EXIT STATUS\r$' "$kit/man/datenschleuse.txt" || fail "datenschleuse.txt is no text page with CR LF"
grep -q "Korvaline.Ini" "$kit/README-Windows.txt" || fail "the README does not name the settings file"

# The kit in a server's layout: jobs\t1 is the working directory.
work="$scratch/site/jobs/t1"
mkdir -p "$work/Files" "$scratch/site/Files" "$scratch/terminal"
printf 'Lesedaten\r\n' >"$work/Files/Leser.dta"
exe() { "$wine_run" "$("$wine_run" winepath -w "$kit/$1" 2>/dev/null)" "${@:2}" </dev/null; }
got=$(exe datenschleuse-report.exe --version | tr -d '\r')
[ "$got" = "datenschleuse-report $version" ] || fail "datenschleuse-report.exe --version: $got"
(cd "$work" && exe datenschleuse-ini.exe write '..\..\Files\Korvaline.Ini' LOGIN=kvsystem \
  PASS=geheim 'NET8=sqlite:..\..\log.db' >/dev/null) || fail "datenschleuse-ini.exe failed"

"$native_build/tools/terminal/datenschleuse-terminal" --listen 127.0.8.250 \
  --dir "$scratch/terminal" --log "$scratch/terminal.log" >/dev/null 2>&1 &
terminal_pid=$!
for _ in $(seq 100); do
  grep -q '^ready:' "$scratch/terminal.log" 2>/dev/null && break
  sleep 0.1
done
grep -q '^ready:' "$scratch/terminal.log" || fail "the simulator did not start"

# From a batch file, so the full ERRORLEVEL is seen.
printf '@echo off\r\n"%s" %%*\r\necho %%ERRORLEVEL%% > exitcode.txt\r\n' \
  "$("$wine_run" winepath -w "$kit/datenschleuse.exe" 2>/dev/null)" >"$work/run.bat"
output=$(cd "$work" && timeout 120 "$wine_run" cmd /c run.bat DNL 127.0.8.250 '.\Files\Leser.dta' \
  Leser.dta </dev/null 2>/dev/null | tr -d '\r' | iconv -f CP1252 -t UTF-8) || true
code=$(tr -d '\r ' <"$work/exitcode.txt")
[ "$code" = 0 ] || fail "datenschleuse.exe ended with $code: $output"
[ "$output" = '250 Datei "Leser.dta" übernommen (11 Bytes)' ] || fail "result line: $output"
cmp -s "$work/Files/Leser.dta" "$scratch/terminal/Leser.dta" || fail "the terminal's file differs"

(cd "$work" && exe datenschleuse-report.exe --days 1 --out 'report.html' >/dev/null) ||
  fail "datenschleuse-report.exe failed"
grep -q 'data-terminal="127.0.8.250"' "$work/report.html" || fail "the report lacks the transfer"
echo "check-windows-zip: $(basename "$zip") unpacks and runs under wine"
