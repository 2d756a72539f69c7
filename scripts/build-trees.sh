#!/usr/bin/env bash
# Installs what is missing and builds the three trees (native, win32, win64).
# Shared by the test and demo commands. ZQ_JOBS sets the parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for preset in native win32 win64; do
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset -j "${ZQ_JOBS:-2}"
done
