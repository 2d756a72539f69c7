#!/usr/bin/env bash
# The benchmark command: builds what is needed and prints figures. The
# latest figures are written to bench/RESULTS.md with the date, the machine
# and the command, so that the next person can compare.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh >/dev/null
# Only what the benchmarks run is built. The trees are shared with other work
# in the same checkout, so configuring and building take turns.
build() {
  local preset=$1
  shift
  flock /tmp/zq-build.lock cmake --preset "$preset" >/dev/null
  flock /tmp/zq-build.lock cmake --build --preset "$preset" -j "${ZQ_JOBS:-2}" --target "$@" >/dev/null
}
build native zq-publish http_reader_bench
build win64 SetupZQ uiauto zq_deskzq e2e_deskzq_v2 http_bench_client http_bench_cpu bench_reference_update \
  bench_press_stamp
out=$(mktemp)
started=$(date +%s)
{
  echo "## The machine"
  python3 bench/wakeup.py
  echo "the Wine benchmarks run on CPU ${ZQ_BENCH_CPU:-$(($(nproc) - 1))} only (see bench/lib.sh, bench_pin)"
  echo
  echo "## Client download throughput and CPU under wine64 (bench/http/run.sh)"
  ROUNDS=${ZQ_BENCH_ROUNDS:-7} bench/http/run.sh
  echo
  echo "## Whole update run and its memory under wine64 (bench/update/run.sh)"
  ROUNDS=${ZQ_BENCH_ROUNDS:-5} bench/update/run.sh
  echo
  echo "## Reply reader without a socket (native)"
  if [ -x build/native/bench/http/http_reader_bench ]; then build/native/bench/http/http_reader_bench; fi
} 2>&1 | tee "$out"
{
  echo "# Benchmark figures"
  echo
  echo "- date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- machine: $(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB, $(uname -sr), $(/usr/lib/wine/wine64 --version 2>/dev/null)"
  echo "- command: make bench ($(( $(date +%s) - started )) s of measuring)"
  echo
  echo '```'
  cat "$out"
  echo '```'
} >bench/RESULTS.md
rm -f "$out"
echo "figures written to bench/RESULTS.md"
