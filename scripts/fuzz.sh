#!/usr/bin/env bash
# Builds the libFuzzer tree (preset "fuzz", clang with address and
# undefined-behaviour sanitizers) and runs every fuzz target for a bounded
# time, each into its corpus build/fuzz/corpus/NAME seeded from fuzz/corpus/NAME.
#
#   scripts/fuzz.sh [--smoke] [NAME...]
#
# FUZZ_SECONDS sets the time per target (default 60; 10 with --smoke);
# FUZZ_RUNS, when set, ends a target earlier, after that many executions;
# FUZZ_RUNS_NAME does so for target NAME alone.
# Every run allows a single allocation of at most 256 MiB (-malloc_limit_mb),
# so that a reply which makes the reader allocate what it only announced is
# a finding. A run without --smoke writes its figures (date, command,
# executions per target) to fuzz/RESULTS.md.
# Findings land in build/fuzz/artifacts/NAME/; the script then exits 1.
# Replay one with: build/fuzz/fuzz/fuzz_NAME build/fuzz/artifacts/NAME/crash-...
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

seconds_default=60
smoke=0
names=()
for arg in "$@"; do
  case "$arg" in
    --smoke) seconds_default=10; smoke=1 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $arg" >&2; exit 2 ;;
    *) names+=("$arg") ;;
  esac
done
seconds=${FUZZ_SECONDS:-$seconds_default}
runs=${FUZZ_RUNS:--1}
malloc_limit_mb=256
settings=""
for v in FUZZ_SECONDS FUZZ_RUNS $(compgen -v FUZZ_RUNS_ || true); do
  if [ -n "${!v:-}" ]; then settings+="$v=${!v} "; fi
done
command_line="${settings}scripts/fuzz.sh $*"
started=$(date -u '+%Y-%m-%d %H:%M UTC')
[ ${#names[@]} -gt 0 ] || names=(str_to_int command_line cab_name safe_name address manifest chunked reply_reader cabinet_check site_signature)

# Longest input per target: enough to pass every length limit of the parser
# (999-character parts, the 8192-byte receive buffer) with room to spare.
max_len() {
  case "$1" in
    str_to_int) echo 64 ;;
    cab_name|safe_name) echo 512 ;;
    command_line) echo 1024 ;;
    address) echo 2400 ;;
    manifest|chunked) echo 4096 ;;
    reply_reader) echo 20000 ;;
    cabinet_check) echo 8192 ;;
    site_signature) echo 16384 ;;
    *) echo 4096 ;;
  esac
}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${ZQ_JOBS:-2}"

status=0
report=()
for name in "${names[@]}"; do
  bin=build/fuzz/fuzz/fuzz_$name
  [ -x "$bin" ] || { echo "fuzz.sh: no target $name" >&2; exit 2; }
  corpus=build/fuzz/corpus/$name
  artifacts=build/fuzz/artifacts/$name
  log=build/fuzz/logs/$name.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  before=$(find "$artifacts" -type f | wc -l)
  echo "== fuzz $name (${seconds} s)"
  rc=0
  t0=$(date +%s)
  runs_var=FUZZ_RUNS_$name
  target_runs=${!runs_var:-$runs}
  "$bin" -max_total_time="$seconds" -runs="$target_runs" -timeout=5 -max_len="$(max_len "$name")" -rss_limit_mb=2048 \
    -malloc_limit_mb="$malloc_limit_mb" -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "fuzz/corpus/$name" >"$log" 2>&1 || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n1 | cut -d' ' -f2)
  units=$(find "$corpus" -type f | wc -l)
  found=$(( $(find "$artifacts" -type f | wc -l) - before ))
  if [ "$rc" -ne 0 ] || [ "$found" -gt 0 ]; then
    status=1
    grep -E 'property violated|ERROR: (libFuzzer|AddressSanitizer)|runtime error|SUMMARY' "$log" | head -n 5 || true
    ls -t "$artifacts" | head -n 3 | sed "s|^|   artifact: $artifacts/|"
  fi
  took=$(( $(date +%s) - t0 ))
  report+=("$(printf '%-14s %12s execs  %5s s  cov %6s  corpus %6s  findings %s' "$name" "${execs:-?}" "$took" "${cov:-?}" "$units" "$found")")
done

echo "== fuzz summary (${seconds} s per target; logs in build/fuzz/logs)"
printf '%s\n' "${report[@]}"

if [ "$smoke" -eq 0 ]; then
  {
    echo "# Fuzzing figures"
    echo
    echo "- date: $started"
    echo "- machine: $(nproc) cores, $(clang --version | head -n1)"
    echo "- command: $command_line"
    limit="at most ${seconds} s"
    if [ "$runs" != -1 ]; then limit+=" or $runs executions (FUZZ_RUNS_NAME: that target's own), whichever comes first"; fi
    echo "- each target: $limit, one process, -malloc_limit_mb=$malloc_limit_mb, -rss_limit_mb=2048"
    echo
    echo '```'
    printf '%s\n' "${report[@]}"
    echo '```'
  } >fuzz/RESULTS.md
  echo "figures written to fuzz/RESULTS.md"
fi
exit $status
