#!/usr/bin/env bash
# End-to-end runs of the Windows datenschleuse.exe under wine against the
# native Linux terminal simulator on loopback. Every case runs twice, once
# with the Linux program and once with the Windows one, each against a fresh
# simulator and a fresh copy of the same files, and the two runs must agree:
# console text (Windows-1252 and CR LF turned into the Linux console's UTF-8
# and LF), exit code (the Windows program's full 32-bit code, whose low 8
# bits the Linux program ends with), the simulator's log of the wire, the
# terminal's and the server's files, and the rows of the transfer log.
#
#   bash scripts/windows-e2e.sh WINDOWS-BUILD NATIVE-BUILD
#
# Called by scripts/test-windows.sh, which has started the wine server.
set -euo pipefail

windows_build=$(cd "$1" && pwd)
native_build=$(cd "$2" && pwd)
wine_run="$windows_build/wine-run"
windows_program=$("$wine_run" winepath -w "$windows_build/driver/datenschleuse.exe" 2>/dev/null)
linux_program="$native_build/driver/datenschleuse"
terminal="$native_build/tools/terminal/datenschleuse-terminal"
ini_tool="$native_build/tools/ini/datenschleuse-ini"
work="$windows_build/e2e"
rm -rf "$work"
mkdir -p "$work"

failures=0
address_number=0

fail() {
  echo "  FAIL: $*"
  failures=$((failures + 1))
}

# The files every run starts from, in the layout of a server: the program
# runs in a/b, so the fixed settings path ..\..\Files\Korvaline.Ini and the
# transfer log ..\..\transfer.db are the tree's own.
make_tree() {
  local dir=$1
  mkdir -p "$dir/a/b" "$dir/term" "$dir/Files/Terminal1/ORBELIKAdmin/alle"
  if [ "$log" = odbc ]; then
    "$ini_tool" write "$dir/Files/Korvaline.Ini" "LOGIN=$DS_PG_USER" "PASS=$DS_PG_PASSWORD" \
      "NET8=$DS_PG_DSN" >/dev/null
  else
    "$ini_tool" write "$dir/Files/Korvaline.Ini" LOGIN=kvuser PASS=geheim \
      'NET8=sqlite:..\..\transfer.db' >/dev/null
  fi
  printf 'Leser 1\r\nZ\xe4hler \xfcber alles\r\n' > "$dir/Files/Terminal1/ORBELIKAdmin/Leser.dta"
  local list="$dir/Files/Terminal1/ORBELIKAdmin/alle"
  printf 'Zeiten.dta\r\nRaeume.dta\r\n' > "$list/DNLLIST.TXT"
  printf 'Zeitmodell 7\r\n' > "$list/Zeiten.dta"
  head -c 3000 /dev/zero | tr '\0' 'R' > "$list/Raeume.dta"
  printf 'Ausweis 4711\r\n' > "$list/IDSTAMM.DTA"
  printf 'Buchung 1\nBuchung 2\n' > "$dir/term/Bewegungsdaten.dta"
}

# Starts the simulator for one run and waits until it listens. A bind that
# fails (the address still held by a connection of an earlier run) is tried
# again for a few seconds.
start_terminal() {
  local dir=$1 address=$2
  shift 2
  local attempt
  for attempt in $(seq 20); do
    rm -f "$dir/terminal.log"
    "$terminal" --listen "$address" --dir "$dir/term" --log "$dir/terminal.log" "$@" \
      >"$dir/terminal.out" 2>&1 &
    terminal_pid=$!
    for _ in $(seq 100); do
      grep -q '^ready:' "$dir/terminal.out" "$dir/terminal.log" 2>/dev/null && return 0
      kill -0 "$terminal_pid" 2>/dev/null || break
      sleep 0.1
    done
    wait "$terminal_pid" 2>/dev/null || true
    terminal_pid=
    grep -q 'bind' "$dir/terminal.out" || break
    sleep 0.25
  done
  echo "  the simulator did not start: $(cat "$dir/terminal.out")"
  return 1
}

stop_terminal() {
  [ -n "${terminal_pid:-}" ] || return 0
  for _ in $(seq 50); do
    kill -0 "$terminal_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$terminal_pid" 2>/dev/null || true
  wait "$terminal_pid" 2>/dev/null || true
  terminal_pid=
}

# The Windows program runs from a batch file so that its full exit code
# (ERRORLEVEL) is seen, not just the low 8 bits that reach a Linux parent.
run_windows() {
  local dir=$1
  shift
  printf '@echo off\r\n"%s" %%*\r\necho %%ERRORLEVEL%% > exitcode.txt\r\n' "$windows_program" \
    > "$dir/a/b/run.bat"
  (cd "$dir/a/b" && timeout 120 "$wine_run" cmd /c run.bat "$@" </dev/null >"$dir/console.raw" 2>/dev/null) || true
  tr -d '\r ' < "$dir/a/b/exitcode.txt" > "$dir/exitcode"
  rm -f "$dir/a/b/run.bat" "$dir/a/b/exitcode.txt"
  iconv -f CP1252 -t UTF-8 < "$dir/console.raw" > "$dir/console"
}

run_linux() {
  local dir=$1 code=0
  shift
  (cd "$dir/a/b" && timeout 120 "$linux_program" "$@" </dev/null >"$dir/console" 2>/dev/null) || code=$?
  echo "$code" > "$dir/exitcode"
}

# The parts of a run that depend on the moment: timestamps, and the number
# drawn for an upload or delete command (seeded with the time) together with
# the checksum and length of the text that carries it.
mask_moment() {
  sed -E -e 's/[0-9]{14}/<TS>/g' \
    -e 's#(UPLOADFILE|DELETEFILE) [0-9a-f]{4} [0-9]+ (.*/d:)[0-9]+#\1 <CRC> <LEN> \2<N>#g'
}

# What a run leaves that the other must match: console text without CRs,
# the wire log, the files, the log's rows.
normalize() {
  local dir=$1 address=$2
  tr -d '\r' < "$dir/console" | mask_moment > "$dir/console.txt"
  : > "$dir/wire.txt"
  if [ -f "$dir/terminal.log" ]; then
    grep -v '^ready:' "$dir/terminal.log" | mask_moment > "$dir/wire.txt" || true
  fi
  if [ "$log" = odbc ]; then
    # Both runs of a case log to the one server: take this run's rows away.
    psql -qAt -c "SELECT TrsUsr, TrsTyp, TrsFile, TrsTrm, TrsSta FROM KVSYSTEM.O2008TRANSPROT
                  WHERE TrsTrm = '$address' ORDER BY TrsDat" \
         -c "DELETE FROM KVSYSTEM.O2008TRANSPROT WHERE TrsTrm = '$address'" > "$dir/rows.txt"
  elif [ -f "$dir/transfer.db" ]; then
    sqlite3 "$dir/transfer.db" \
      'SELECT TrsUsr, TrsTyp, TrsFile, TrsTrm, TrsSta FROM O2008TRANSPROT' > "$dir/rows.txt"
  else
    : > "$dir/rows.txt"
  fi
}

# run_case NAME EXPECTED-EXIT-CODE [terminal options...] -- program arguments...
# A terminal option "none" runs no simulator.
run_case() {
  local name=$1 expected=$2
  shift 2
  local terminal_args=() with_terminal=1
  while [ "$1" != "--" ]; do
    if [ "$1" = none ]; then with_terminal=0; else terminal_args+=("$1"); fi
    shift
  done
  shift
  address_number=$((address_number + 1))
  local address="127.0.8.$address_number"
  local arguments=()
  for a in "$@"; do arguments+=("${a//@TERMINAL@/$address}"); done
  echo "-- $name"
  local side
  for side in linux windows; do
    local dir="$work/$name/$side"
    make_tree "$dir"
    if [ $with_terminal = 1 ]; then
      start_terminal "$dir" "$address" ${terminal_args[@]+"${terminal_args[@]}"} || {
        fail "$name: simulator"
        return
      }
    fi
    "run_$side" "$dir" "${arguments[@]}"
    stop_terminal
    normalize "$dir" "$address"
  done
  local linux="$work/$name/linux" windows="$work/$name/windows"
  local linux_code windows_code
  linux_code=$(cat "$linux/exitcode")
  windows_code=$(cat "$windows/exitcode")
  echo "   exit code: Windows $windows_code, Linux $linux_code"
  echo "   result:    $(tail -n 1 "$windows/console.txt")"
  [ "$windows_code" = "$expected" ] || fail "$name: Windows exit code $windows_code, expected $expected"
  [ "$linux_code" = $((expected & 0xFF)) ] ||
    fail "$name: Linux exit code $linux_code, expected $((expected & 0xFF))"
  diff -u "$linux/console.txt" "$windows/console.txt" >/dev/null ||
    fail "$name: console text differs: $(diff "$linux/console.txt" "$windows/console.txt" | head -5)"
  diff -u "$linux/wire.txt" "$windows/wire.txt" >/dev/null ||
    fail "$name: wire differs: $(diff "$linux/wire.txt" "$windows/wire.txt" | head -5)"
  diff -r "$linux/term" "$windows/term" >/dev/null || fail "$name: terminal files differ"
  diff -r "$linux/Files" "$windows/Files" >/dev/null || fail "$name: server files differ"
  [ "$expected" = -1 ] || [ -s "$windows/rows.txt" ] || fail "$name: no row in the transfer log"
  diff -u "$linux/rows.txt" "$windows/rows.txt" >/dev/null ||
    fail "$name: transfer log differs: $(diff "$linux/rows.txt" "$windows/rows.txt" | head -5)"
}

server='..\..\Files\Terminal1\ORBELIKAdmin'
log=sqlite

run_case dnl 0 -- DNL @TERMINAL@ "$server\\Leser.dta" Leser.dta
cmp -s "$work/dnl/windows/term/Leser.dta" "$work/dnl/windows/Files/Terminal1/ORBELIKAdmin/Leser.dta" ||
  fail "dnl: the terminal did not get the file byte for byte"

run_case dnla 0 -- DNLA @TERMINAL@ "$server\\alle\\" xxx /D
for f in Zeiten.dta Raeume.dta IDSTAMM.DTA; do
  cmp -s "$work/dnla/windows/term/$f" "$work/dnla/windows/Files/Terminal1/ORBELIKAdmin/alle/$f" ||
    fail "dnla: the terminal did not get $f byte for byte"
done

run_case upl 0 -- UPL @TERMINAL@ Bewegungsdaten.dta "$server\\Bewegungsdaten-Zähler.dta" 1 /D
printf 'Buchung 1\r\nBuchung 2\r\n' > "$work/upl/expected.dta"
cmp -s "$work/upl/expected.dta" "$work/upl/windows/Files/Terminal1/ORBELIKAdmin/Bewegungsdaten-Zähler.dta" ||
  fail "upl: the server file is not the terminal's with CR LF line ends"
[ ! -e "$work/upl/windows/term/Bewegungsdaten.dta" ] || fail "upl: the terminal's file was kept"

# An upload over an existing server file: replaced in one step (ReplaceFile
# and its flush on Windows), nothing left beside it.
run_case upl-replace 0 -- UPL @TERMINAL@ Bewegungsdaten.dta "$server\\Leser.dta" 1
cmp -s "$work/upl/expected.dta" "$work/upl-replace/windows/Files/Terminal1/ORBELIKAdmin/Leser.dta" ||
  fail "upl-replace: the old server file was not replaced by the terminal's"
if ls -a "$work/upl-replace/windows/Files/Terminal1/ORBELIKAdmin" | grep -q '\.part-'; then
  fail "upl-replace: a new file was left beside the target"
fi

# Replies that arrive in pieces, and a spoiled upload frame: the receive
# loop over Windows Sockets must gather and judge them as the Linux one does.
run_case split-greeting 0 --fault greeting=split:2 -- DNL @TERMINAL@ "$server\\Leser.dta" Leser.dta
run_case upload-pieces 0 --fault upload=pieces:7 --pause 20 -- \
  UPL @TERMINAL@ Bewegungsdaten.dta "$server\\Bewegungsdaten.dta"
run_case upload-crc-wrong 99 --fault upload=crc-wrong -- \
  UPL @TERMINAL@ Bewegungsdaten.dta "$server\\Bewegungsdaten.dta" /D

# The upload trailer's line end in a piece of its own: the delete's reply
# still matches. A refusal without a number ends with 99 on both.
run_case trailer-line-end-apart 0 --fault upload=pieces:2 --pause 5 -- \
  UPL @TERMINAL@ Bewegungsdaten.dta "$server\\Bewegungsdaten.dta" 1
run_case refusal-without-number 99 --refuse "user=ERR Benutzer unbekannt" -- \
  DNL @TERMINAL@ "$server\\Leser.dta" Leser.dta

# Codes past 8 bits: the Windows program ends with the full number.
run_case refused-download 550 --refuse "download=550 Datei gesperrt" -- \
  DNL @TERMINAL@ "$server\\Leser.dta" Leser.dta
run_case refused 530 --refuse "pass=530 Anmeldung abgelehnt" -- DNL @TERMINAL@ "$server\\Leser.dta" Leser.dta
# Nothing listens: a refused connection shows in select's exception set on
# Windows (and under wine); both programs give 10053 as soon as it failed.
run_case nobody-listens 10053 none -- DNL @TERMINAL@ "$server\\Leser.dta" Leser.dta
run_case unknown-host 11001 none -- UPL no-such-host..invalid Bewegungsdaten.dta x.dta
run_case missing-file -1 none -- DNL @TERMINAL@ "$server\\fehlt.dta" fehlt.dta

# The transfer log through ODBC: under wine the system's odbc32.dll hands
# the calls to the host's unixODBC, which reaches PostgreSQL.
pg="$work/postgres"
bash "$(dirname "$0")/postgres-test-server.sh" start "$pg" >/dev/null
trap 'bash "$(dirname "$0")/postgres-test-server.sh" stop "$pg" >/dev/null 2>&1 || true' EXIT
set -a
. "$pg/client.env"
set +a
log=odbc
run_case odbc-dnl 0 -- DNL @TERMINAL@ "$server\\Leser.dta" Leser.dta
run_case odbc-refused 530 --refuse "user=530 Kennung unbekannt" -- \
  UPL @TERMINAL@ Bewegungsdaten.dta "$server\\Bewegungsdaten.dta" 1

if [ $failures -ne 0 ]; then
  echo "end to end under wine: $failures failure(s); the runs are in $work"
  exit 1
fi
echo "end to end under wine: all cases agree with the Linux program"
