#!/usr/bin/env bash
# The benchmark command: builds what is needed and prints figures. The
# latest figures are written to bench/RESULTS.md with the date, the machine
# and the command, so that the next person can compare.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh >/dev/null
for preset in native win64; do
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset -j "${ZQ_JOBS:-2}" >/dev/null
done
out=$(mktemp)
{
  echo "## Client download throughput under wine64 (bench/http/run.sh)"
  bench/http/run.sh
  echo
  echo "## Reply reader without a socket (native)"
  if [ -x build/native/bench/http/http_reader_bench ]; then build/native/bench/http/http_reader_bench; fi
} 2>&1 | tee "$out"
{
  echo "# Benchmark figures"
  echo
  echo "- date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- machine: $(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB, $(uname -sr), $(/usr/lib/wine/wine64 --version 2>/dev/null)"
  echo "- command: make bench"
  echo
  echo '```'
  cat "$out"
  echo '```'
} >bench/RESULTS.md
rm -f "$out"
echo "figures written to bench/RESULTS.md"
