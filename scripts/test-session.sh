# Sourced by the test and demo commands: starts the X display (when there is
# none) and one persistent wineserver for the win64 prefix, and stops both,
# by process id, when the calling shell exits.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZQ_PREFIX_DIR=${ZQ_PREFIX_DIR:-$top/build/win64/wineprefix}
zq_session_pids=()
zq_session_prefixes=()
zq_session_stop() {
  local p
  # Ends the wine processes of our prefixes (services, explorer) first: they
  # would otherwise outlive the server they belong to.
  for p in "${zq_session_prefixes[@]}"; do
    WINEPREFIX=$p "$ZQ_WINESERVER" -k >/dev/null 2>&1 || true
  done
  zq_session_prefixes=()
  for p in "${zq_session_pids[@]}"; do
    kill "$p" 2>/dev/null || true
  done
  for p in "${zq_session_pids[@]}"; do
    wait "$p" 2>/dev/null || true
  done
  zq_session_pids=()
}
trap zq_session_stop EXIT

# zq_session_start [PREFIX...]
zq_session_start() {
  if [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    zq_session_pids+=($!)
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=:$n
  fi
  export ZQ_DISPLAY=$DISPLAY
  # By default the prefix of the Windows tests, and the one of the whole runs
  # (whose windows must not meet those of the other tests on one desktop).
  local p
  if [ $# -eq 0 ]; then set -- "$top/build/win64/wineprefix-e2e" "$ZQ_PREFIX_DIR"; fi
  for p in "$@"; do zq_session_prefix "$p"; done
}

# Creates a prefix if needed and keeps one wineserver running for it.
zq_session_prefix() {
  source "$top/scripts/wine-env.sh" "$1"
  zq_ensure_prefix
  "$ZQ_WINESERVER" -f -p >/dev/null 2>&1 </dev/null &
  zq_session_pids+=($!)
  zq_session_prefixes+=("$WINEPREFIX")
  # Start wine's own background processes (services, the desktop) now, with
  # no inherited output: started by a test they would hold CTest's pipes open.
  $ZQ_WINE wineboot >/dev/null 2>&1 </dev/null || true
}
