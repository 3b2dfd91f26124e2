#!/usr/bin/env bash
# Checks the Debian package for real: builds it with CPack from a configured
# build, checks its declared dependencies and its manual pages, unpacks it
# into a scratch root (dpkg -x) and runs the installed programs: the settings
# writer writes an SQLite log's settings, datenschleuse sends a file to the
# installed terminal simulator and must end with 0, and the installed report
# must show the transfer. With DS_PACKAGE_DPKG_INSTALL=1 (CI, as root) the
# package is installed with dpkg -i instead and removed again afterwards.
#
#   bash scripts/check-package.sh BUILD_DIR
#
# The simulator listens on 127.0.9.1:5010; run it where that address is free
# (inside `unshare -n` on a shared machine).
set -euo pipefail
build=$(cd "${1:?usage: check-package.sh BUILD_DIR}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)

fail() { echo "check-package: $*" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; fail "cpack failed"; }
deb="$build/packages/datenschleuse_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libsqlite3 libodbc; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

scratch=$(mktemp -d)
simulator=
cleanup() {
  [ -n "$simulator" ] && kill "$simulator" 2>/dev/null && wait "$simulator" 2>/dev/null
  if [ "${DS_PACKAGE_DPKG_INSTALL:-0}" = 1 ]; then dpkg -r datenschleuse >/dev/null 2>&1 || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

if [ "${DS_PACKAGE_DPKG_INSTALL:-0}" = 1 ]; then
  dpkg -i "$deb" >/dev/null
  prefix=/usr
else
  dpkg -x "$deb" "$scratch/root"
  prefix="$scratch/root/usr"
fi

# The manual pages, as installed, without a markup warning.
for page in datenschleuse datenschleuse-terminal datenschleuse-ini datenschleuse-report; do
  file="$prefix/share/man/man1/$page.1.gz"
  [ -f "$file" ] || fail "missing manual page $file"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) || true
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done

# Every companion names the one release number.
for program in datenschleuse-terminal datenschleuse-ini datenschleuse-report; do
  got=$("$prefix/bin/$program" --version)
  [ "$got" = "$program $version" ] || fail "$program --version printed '$got'"
done

# A transfer with the installed programs, logged to SQLite, then reported.
work="$scratch/site/jobs/t1"
mkdir -p "$work/Files" "$scratch/site/Files" "$scratch/terminal"
printf 'Lesedaten\r\n' >"$work/Files/Leser.dta"
(cd "$work" && "$prefix/bin/datenschleuse-ini" write ../../Files/Korvaline.Ini \
  LOGIN=kvsystem PASS=geheim 'NET8=sqlite:..\..\log.db')
"$prefix/bin/datenschleuse-terminal" --listen 127.0.9.1 --dir "$scratch/terminal" \
  --log "$scratch/terminal.log" >/dev/null &
simulator=$!
for _ in $(seq 100); do
  grep -q '^ready: listening' "$scratch/terminal.log" 2>/dev/null && break
  sleep 0.1
done
grep -q '^ready: listening' "$scratch/terminal.log" || fail "the simulator did not start"

set +e
output=$(cd "$work" && "$prefix/bin/datenschleuse" DNL 127.0.9.1 '.\Files\Leser.dta' Leser.dta)
code=$?
set -e
[ "$code" -eq 0 ] || fail "datenschleuse ended with $code: $output"
[ "$output" = '250 Datei "Leser.dta" übernommen (11 Bytes)' ] || fail "result line: $output"
cmp -s "$work/Files/Leser.dta" "$scratch/terminal/Leser.dta" || fail "the terminal's file differs"

(cd "$work" && "$prefix/bin/datenschleuse-report" --days 1 --out "$scratch/report.html" >/dev/null) ||
  fail "datenschleuse-report failed"
grep -q 'data-terminal="127.0.9.1"' "$scratch/report.html" || fail "the report lacks the transfer"
echo "check-package: $(basename "$deb") installs and runs"
