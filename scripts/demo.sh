#!/usr/bin/env bash
# Shows the tool at work on a fresh machine: builds it, writes a settings file
# for an embedded SQLite transfer log, starts the terminal simulator on
# loopback, runs a single download, a download-all and an upload that deletes
# the terminal's copy, and lists the logged rows. Leaves nothing running.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
build=build/demo
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDS_BUILD_TESTS=OFF \
  -DDS_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target datenschleuse datenschleuse-terminal \
  datenschleuse-ini >/dev/null
tool=$root/$build/driver/datenschleuse
terminal=$root/$build/tools/terminal/datenschleuse-terminal
ini=$root/$build/tools/ini/datenschleuse-ini

# The server's side: the settings file sits at ..\..\Files\Korvaline.Ini as
# seen from the working directory server/bin.
run=$root/build/demo-run
rm -rf "$run"
files=$run/Files
admin=$files/Terminal1/ORBELIKAdmin
mkdir -p "$admin" "$run/server/bin" "$run/terminal"
"$ini" write "$files/Korvaline.Ini" LOGIN=kvsystem PASS=geheim 'NET8=sqlite:..\..\transfers.sqlite'
printf 'Ausweis;Name\r\n4711;M\xfcller\r\n' >"$admin/Leser.dta"
printf 'Schicht;Beginn\r\nFrueh;06:00\r\n' >"$admin/Schichten.dta"
printf 'Ausweis;Berechtigung\r\n4711;Tor 1\r\n' >"$admin/IDSTAMM.DTA"
printf 'Leser.dta\r\nSchichten.dta\r\n' >"$admin/DNLLIST.TXT"
printf '0815;11.12.2026;07:58;KOMMEN\n0815;11.12.2026;16:30;GEHEN\n' >"$run/terminal/Bewegungsdaten.dta"

"$terminal" --listen 127.0.0.1 --dir "$run/terminal" --connections 0 \
  --log "$run/terminal.log" >"$run/terminal.out" 2>&1 &
terminal_pid=$!
trap 'kill $terminal_pid 2>/dev/null; wait $terminal_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q '^ready' "$run/terminal.out" 2>/dev/null && break
  sleep 0.1
done

transfer() {
  echo
  echo "\$ datenschleuse $*"
  set +e
  (cd "$run/server/bin" && "$tool" "$@")
  echo "(exit code $?)"
  set -e
}
transfer DNL 127.0.0.1 '..\..\Files\Terminal1\ORBELIKAdmin\Leser.dta' Leser.dta
transfer DNLA 127.0.0.1 '..\..\Files\Terminal1\ORBELIKAdmin\' xxx
transfer UPL 127.0.0.1 Bewegungsdaten.dta '..\..\Files\Terminal1\ORBELIKAdmin\Bewegungsdaten.dta' 1

echo
echo "Files now on the terminal (the upload deleted Bewegungsdaten.dta): $(cd "$run/terminal" && ls | tr "\n" " ")"
echo "Upload stored on the server (CR LF line ends):"
od -c "$admin/Bewegungsdaten.dta" | head -3
echo
echo "Transfer log $run/transfers.sqlite, table O2008TRANSPROT:"
sqlite3 -header -column "$run/transfers.sqlite" \
  'select TrsDat, TrsUsr, TrsTyp, TrsFile, TrsTrm, TrsSta from O2008TRANSPROT'
