#!/usr/bin/env bash
# Load test: many transfers in a row and several at once, against one
# terminal simulator per worker (SOAK_NET.N, default 127.0.9.N, port 5010,
# each serving every connection until the end), all runs logging either to
# one SQLite file or to one PostgreSQL database (a throwaway server of
# scripts/postgres-test-server.sh).
#
#   scripts/soak.sh [RUNS_PER_WORKER [WORKERS [VALGRIND_RUNS]]]   (default 60 4 3)
#
# BUILD names the build directory (default build/test; the three programs
# are built there if needed). Each run is a DNL, a UPL with delete or a DNLA,
# in turn, with its own files, so every run is told by its file text in the
# log. Checked: every exit code is 0, every downloaded file arrived whole,
# every uploaded file was stored and deleted on the terminal, each run left
# exactly one row, the simulators' descriptors and memory did not grow.
# Then a few runs of each type under valgrind (leaks, errors, descriptors
# left open). Ends with 1 on any failure; prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${1:-60}
workers=${2:-4}
valgrind_runs=${3:-3}
build=${BUILD:-$root/build/test}
net=${SOAK_NET:-127.0.9}  # the simulators listen on $net.1 to $net.WORKERS

if [ ! -x "$build/driver/datenschleuse" ] || [ ! -x "$build/tools/terminal/datenschleuse-terminal" ] ||
  [ ! -x "$build/tools/ini/datenschleuse-ini" ]; then
  cmake -S "$root" -B "$build" >/dev/null
  cmake --build "$build" -j2 --target datenschleuse datenschleuse-terminal datenschleuse-ini >/dev/null
fi
tool=$build/driver/datenschleuse
runner=()  # a command that runs the tool (valgrind), or nothing
terminal=$build/tools/terminal/datenschleuse-terminal
ini=$build/tools/ini/datenschleuse-ini

work=$(mktemp -d "${TMPDIR:-/tmp}/ds-soak.XXXXXX")
simulators=()
cleanup() {
  for pid in "${simulators[@]}"; do kill "$pid" 2>/dev/null || true; done
  bash "$root/scripts/postgres-test-server.sh" stop "$work/pg" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Two trees whose fixed settings path ..\..\Files\Korvaline.Ini leads to
# SQLite and to PostgreSQL settings; the runs start in <tree>/a/b.
bash "$root/scripts/postgres-test-server.sh" start "$work/pg" >/dev/null
set -a; . "$work/pg/client.env"; set +a
for tree in sqlite pg; do mkdir -p "$work/$tree/a/b" "$work/$tree/Files"; done
echo geheim | "$ini" write "$work/sqlite/Files/Korvaline.Ini" LOGIN=kvuser PASS=- \
  'NET8=sqlite:..\..\log.db' >/dev/null
echo "$DS_PG_PASSWORD" | "$ini" write "$work/pg/Files/Korvaline.Ini" "LOGIN=$DS_PG_USER" PASS=- \
  "NET8=$DS_PG_DSN" >/dev/null

fd_count() { ls "/proc/$1/fd" | wc -l; }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }

start_simulator() {
  local n=$1 dir=$work/term$1
  mkdir -p "$dir"
  "$terminal" --listen "$net.$n" --dir "$dir" --connections 0 --log "$work/term$n.log" \
    >"$work/term$n.out" 2>&1 &
  simulators+=($!)
  for _ in $(seq 200); do grep -q '^ready' "$work/term$n.out" && return 0; sleep 0.05; done
  echo "simulator $n did not start" >&2; exit 1
}

# One run of worker w, number r: prints "<exit code> <tree> <file text>".
one_run() {
  local w=$1 r=$2 tree=sqlite address=$net.$1 term=$work/term$1 code=0
  [ $((r % 2)) -eq 1 ] && tree=pg
  local srv=$work/$tree/srv/w$w/r$r
  mkdir -p "$srv"
  case $((r % 3)) in
    0) head -c $((1000 + r * 37)) /dev/urandom >"$srv/D$w-$r.dta"
       (cd "$work/$tree/a/b" && "${runner[@]}" "$tool" DNL "$address" "..\\..\\srv\\w$w\\r$r\\D$w-$r.dta" \
         "D$w-$r.dta" >"$srv/out") || code=$?
       cmp -s "$srv/D$w-$r.dta" "$term/D$w-$r.dta" || code="$code(download lost)"
       echo "$code $tree ..\\..\\srv\\w$w\\r$r\\D$w-$r.dta" ;;
    1) printf '4711;%04d;K;ENDE\n' $(seq 1 $((r + 1))) >"$term/U$w-$r.dta"
       (cd "$work/$tree/a/b" && "${runner[@]}" "$tool" UPL "$address" "U$w-$r.dta" "..\\..\\srv\\w$w\\r$r\\U.dta" 1 \
         >"$srv/out") || code=$?
       [ -f "$srv/U.dta" ] && [ ! -e "$term/U$w-$r.dta" ] || code="$code(upload lost)"
       echo "$code $tree U$w-$r.dta" ;;
    2) printf 'A%d.DTA\nB%d.DTA\n' "$w$r" "$w$r" >"$srv/DNLLIST.TXT"
       head -c 700 /dev/urandom >"$srv/A$w$r.DTA"; : >"$srv/B$w$r.DTA"
       (cd "$work/$tree/a/b" && "${runner[@]}" "$tool" DNLA "$address" "..\\..\\srv\\w$w\\r$r\\" xxx \
         >"$srv/out") || code=$?
       cmp -s "$srv/A$w$r.DTA" "$term/A$w$r.DTA" || code="$code(download lost)"
       echo "$code $tree ..\\..\\srv\\w$w\\r$r\\Alle Dta-Dateien" ;;
  esac
}

worker() {
  local w=$1
  for r in $(seq 1 "$runs"); do one_run "$w" "$r"; done >"$work/worker$w.txt"
}

for w in $(seq 1 "$workers"); do start_simulator "$w"; done
# The simulators' descriptors and memory after one run each, and at the end.
for w in $(seq 1 "$workers"); do one_run "$w" 0 >"$work/warmup$w.txt"; done
before_fd=(); before_rss=()
for pid in "${simulators[@]}"; do before_fd+=("$(fd_count "$pid")"); before_rss+=("$(rss_kb "$pid")"); done

started=$(date +%s%N)
pids=()
for w in $(seq 1 "$workers"); do worker "$w" & pids+=($!); done
wait "${pids[@]}"
elapsed=$(awk -v a="$started" -v b="$(date +%s%N)" 'BEGIN { print (b - a) / 1e9 }')

failed=0
total=$((runs * workers))
bad=$(cat "$work"/worker*.txt | awk '$1 != "0"' | wc -l)
done_runs=$(cat "$work"/worker*.txt | wc -l)
[ "$bad" -eq 0 ] && [ "$done_runs" -eq "$total" ] || failed=1
cat "$work"/worker*.txt | awk '$1 != "0"' | head -n 5 >&2

# Exactly one row per run: every expected file text once, nothing else.
expected() { cat "$work"/warmup*.txt "$work"/worker*.txt | awk -v t="$1" '$2 == t' | cut -d' ' -f3- | sort; }
sqlite_rows=$(sqlite3 "$work/sqlite/log.db" 'SELECT TrsFile FROM O2008TRANSPROT' | sort)
pg_rows=$(psql -At -c 'SELECT trsfile FROM kvsystem.o2008transprot' | sort)
sqlite_extra=$(diff <(expected sqlite) <(echo "$sqlite_rows") | grep -c '^[<>]' || true)
pg_extra=$(diff <(expected pg) <(echo "$pg_rows") | grep -c '^[<>]' || true)
[ "$sqlite_extra" -eq 0 ] && [ "$pg_extra" -eq 0 ] || failed=1

printf 'runs: %d (%d workers x %d, plus %d warm-up), %.1f s, %.1f runs/s, failed runs: %d\n' \
  "$total" "$workers" "$runs" "$workers" "$elapsed" "$(awk -v n="$total" -v t="$elapsed" 'BEGIN { print n / t }')" "$bad"
printf 'rows: SQLite %d, PostgreSQL %d; rows missing or extra: SQLite %d, PostgreSQL %d\n' \
  "$(echo "$sqlite_rows" | grep -c . || true)" "$(echo "$pg_rows" | grep -c . || true)" \
  "$sqlite_extra" "$pg_extra"
i=0
for pid in "${simulators[@]}"; do
  fd=$(fd_count "$pid"); rss=$(rss_kb "$pid")
  printf "simulator $net.%d: descriptors %d -> %d, RSS %d -> %d kB\n" $((i + 1)) \
    "${before_fd[$i]}" "$fd" "${before_rss[$i]}" "$rss"
  [ "$fd" -le "${before_fd[$i]}" ] || failed=1
  i=$((i + 1))
done

# A few runs of each type under valgrind: no error, no leak, no descriptor
# left open but the three standard ones.
if [ "$valgrind_runs" -gt 0 ]; then
  command -v valgrind >/dev/null || { echo "valgrind missing" >&2; exit 1; }
  vg_failed=0
  for r in $(seq 1000 $((999 + valgrind_runs * 3))); do
    runner=(valgrind --leak-check=full --errors-for-leak-kinds=definite,indirect
      --error-exitcode=1 --track-fds=yes "--log-file=$work/vg$r.log")
    result=$(one_run 1 "$r")
    # Descriptors the run opened itself and left open (inherited ones and the
    # standard three do not count).
    open_fds=$(awk '/Open .*descriptor [0-9]+:/ { n++; held[n] = 1; last = n }
      /<inherited from parent>/ { held[last] = 0 }
      END { c = 0; for (i in held) c += held[i]; print c }' "$work/vg$r.log")
    if [ "${result%% *}" != "0" ] || [ "$open_fds" -gt 0 ]; then
      vg_failed=$((vg_failed + 1)); failed=1
      echo "valgrind run $r: $result" >&2; cat "$work/vg$r.log" >&2
    fi
  done
  runner=()
  printf 'valgrind: %d runs (DNL, UPL with delete, DNLA in turn), %d with errors, leaks or open descriptors\n' \
    $((valgrind_runs * 3)) "$vg_failed"
fi
exit $failed
