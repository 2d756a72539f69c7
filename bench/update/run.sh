#!/usr/bin/env bash
# A whole update run of a 40-file product (190 MiB, every file out of date)
# from nginx on 127.0.0.26, under wine64 in the benchmarks' own prefix:
# - time from the answer to the start prompt to the product's start, for
#   SetupZQ.exe (mode xctkd, started from the product's folder) and for a
#   reference of WinHTTP and SetupIterateCabinetA (bench_reference_update);
# - the SetupZQ.exe process's resident memory: idle at the prompt, and its
#   peak over the run, against the largest cabinet.
# ROUNDS (default 3) runs of each, alternated; medians are printed. Every
# process runs on one CPU (bench_pin in bench/lib.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
source "$top/bench/lib.sh"
bench_pin "$0" "$@"
export ZQ_E2E_PREFIX=${ZQ_BENCH_PREFIX:-$top/build/win64/wineprefix-bench}
source "$top/scripts/test-session.sh"
# The display and the wineserver first: the whole-run helpers would otherwise
# settle on a default display.
zq_session_start "$ZQ_E2E_PREFIX"
source "$top/tests/e2e/lib.sh"
bin=$E2E_WIN/bench/bin
rounds=${ROUNDS:-3}
for exe in "$bin/bench_reference_update.exe" "$bin/bench_press_stamp.exe" "$E2E_SETUPZQ" "$E2E_UIAUTO"; do
  [ -x "$exe" ] || e2e_fail "$exe is not built (cmake --build --preset win64)"
done

# The work folder is in memory (tmpfs) by default: this machine's page cache
# is reclaimed eagerly, and disk waits would swamp what is measured. Both
# runs use the same kind of folder either way.
work=${ZQ_BENCH_WORK:-/dev/shm}
[ -d "$work" ] || work=${TMPDIR:-/tmp}
E2E_DIR=$(mktemp -d "$work/zq_update_bench.XXXXXX")
chmod 755 "$E2E_DIR"  # nginx workers read the site as an unprivileged user
export ZQ_DESKZQ_LOG_UNIX=$E2E_DIR/deskzq.log
export ZQ_DESKZQ_LOG=$(winepath_w "$ZQ_DESKZQ_LOG_UNIX")
export ZQ_DESKZQ_EXIT=1  # the stand-in product records its start and ends
export WINEDEBUG=-all
trap 'e2e_cleanup; [ -n "${ZQ_BENCH_KEEP:-}" ] || rm -rf "$E2E_DIR"; zq_session_stop' EXIT

python3 "$here/make_product.py" "$E2E_DIR/new" "$E2E_DIR/old" "$E2E_DESKZQ" "$E2E_DESKZQ_V2"
e2e_publish "$E2E_DIR/new" "$E2E_DIR/site"
chmod -R a+rX "$E2E_DIR/site"
E2E_ADDR=127.0.0.26
e2e_serve "$E2E_DIR/site"

manifest=$E2E_DIR/site/scripts/zq.dll/stptc
tr -d '\r' <"$manifest" | cut -d= -f1 | while read -r name; do e2e_cab_name "$name"; done >"$E2E_DIR/cabs.txt"
files=$(grep -c . "$E2E_DIR/cabs.txt")
cab_bytes=$(tr -d '\r' <"$manifest" | awk -F';' '{s += $2} END {print s}')
largest=$(tr -d '\r' <"$manifest" | awk -F';' '$2 > m {m = $2} END {print m}')
app=$E2E_DIR/app
app_w="$(winepath_w "$app")\\"

fresh_app() {
  rm -rf "$app" "$ZQ_DESKZQ_LOG_UNIX"
  cp -r "$E2E_DIR/old" "$app"
  cp "$E2E_SETUPZQ" "$app/SetupZQ.exe"
  sync  # the previous round's writes are not left to this one
}

# The product's start: the time its log was written, in microseconds.
product_start_us() {
  local i
  for ((i = 0; i < 200; i++)); do
    grep -q '^cmdline=' "$ZQ_DESKZQ_LOG_UNIX" 2>/dev/null && break
    sleep 0.1
  done
  grep -q '^cmdline=' "$ZQ_DESKZQ_LOG_UNIX" 2>/dev/null || e2e_fail "the product did not start"
  stat -c %.6Y "$ZQ_DESKZQ_LOG_UNIX" | tr -d .
}

check_app() {
  local f
  for f in "$E2E_DIR/new"/*; do e2e_assert_same_file "$app/${f##*/}" "$f"; done
}

kb() { awk "/^$2:/{print \$2}" "/proc/$1/status"; }

setup_round() {
  fresh_app
  # Wine's X11 driver says when it gave up waiting for a window manager.
  WINEDEBUG=fixme+event E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "$E2E_ADDR:$E2E_PORT"
  local pid=$E2E_SETUP_PID
  e2e_ui wait --caption "Informação" --timeout 30000 >/dev/null || e2e_fail "no start prompt"
  # The process watched must be the Windows program itself, not a launcher.
  [ "$(cat "/proc/$pid/comm")" = SetupZQ.exe ] || e2e_fail "process $pid is $(cat "/proc/$pid/comm")"
  sleep 0.5
  local idle
  idle=$(kb "$pid" VmRSS)
  python3 "$here/watch_memory.py" "$pid" "$E2E_DIR/memory.txt" &
  local watcher=$!
  local press
  press=$($ZQ_WINE "$bin/bench_press_stamp.exe" "Informa%C3%A7%C3%A3o" 6 | tr -d '\r' | sed -n 's/^press_us=//p')
  [ -n "$press" ] || e2e_fail "the start prompt was not answered"
  e2e_wait_setup 300
  wait "$watcher"
  local start
  start=$(product_start_us)
  check_app
  local waits
  waits=$(grep -c 'wait_for_withdrawn_state.*timed out' "$E2E_DIR/setup.out" || true)
  echo "setup $((start - press)) $idle $(sed -n 's/^hwm_kb=//p' "$E2E_DIR/memory.txt") $waits" >>"$E2E_DIR/figures"
}

reference_round() {
  fresh_app
  local out begin start
  out=$($ZQ_WINE "$bin/bench_reference_update.exe" "$E2E_ADDR" "$E2E_PORT" "$app_w" "$(winepath_w "$E2E_DIR/cabs.txt")" | tr -d '\r')
  begin=$(sed -n 's/^start_us=//p' <<<"$out")
  [ -n "$begin" ] || e2e_fail "the reference run failed: $out"
  start=$(product_start_us)
  check_app
  echo "reference $((start - begin))" >>"$E2E_DIR/figures"
}

for ((r = 0; r < rounds; r++)); do
  setup_round
  reference_round
done

python3 "$here/summary.py" "$E2E_DIR/figures" "$rounds" "$files" "$cab_bytes" "$largest"
