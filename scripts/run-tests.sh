#!/usr/bin/env bash
# The README's test command: installs what is missing, builds the three trees
# (and the sanitizer tree), and runs every test. Ends with CTest's summary.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${ZQ_JOBS:-2}

scripts/build-trees.sh
cmake -S . -B build/native-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZQ_SANITIZE=ON >/dev/null
cmake --build build/native-asan -j "$jobs"

source scripts/test-session.sh
zq_session_start

status=0
echo "== native unit tests (sanitizers on)"
ctest --test-dir build/native-asan -j "$jobs" --output-on-failure || status=1
echo "== native tree (unit tests, tools, fuzz smoke runs)"
ctest --test-dir build/native -j "$jobs" --output-on-failure || status=1
echo "== fuzz targets, short bounded runs (libFuzzer)"
scripts/fuzz.sh --smoke || status=1
echo "== Windows tests and whole runs under wine64"
ctest --test-dir build/win64 -j "$jobs" --output-on-failure || status=1
exit $status
