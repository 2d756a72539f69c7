# Helpers of the benchmark scripts. Sourced.

# bench_wineserver_pid PREFIX: the process id of the wineserver that serves
# the prefix. A wineserver works in a folder named after the prefix's device
# and inode (server-DEV-INODE, in hex), which tells it from other prefixes'.
bench_wineserver_pid() {
  local dev ino want p
  read -r dev ino < <(stat -c '%d %i' "$1")
  want=$(printf 'server-%x-%x' "$dev" "$ino")
  for p in /proc/[0-9]*; do
    case $(cat "$p/comm" 2>/dev/null) in wineserver*) ;; *) continue ;; esac
    [ "$(basename "$(readlink "$p/cwd" 2>/dev/null)")" = "$want" ] && { echo "${p#/proc/}"; return 0; }
  done
  return 1
}

# bench_xserver_pid DISPLAY: the process id of the Xvfb that serves the display.
bench_xserver_pid() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(cat "$p/comm" 2>/dev/null)" = Xvfb ] || continue
    tr '\0' '\n' <"$p/cmdline" 2>/dev/null | grep -qx -- "$1" && { echo "${p#/proc/}"; return 0; }
  done
  return 1
}

# bench_pin SCRIPT ARGS...: runs the calling script again on one CPU (all its
# processes: nginx, Xvfb, the wineserver, the programs), unless it already
# is. On this kind of virtual machine a wake-up across CPUs costs more than
# ten times one on the same CPU, and Wine makes a server round trip per
# socket read, so figures taken across CPUs swing several-fold from run to
# run. ZQ_BENCH_CPU picks the CPU (default: the last); "none" turns it off.
bench_pin() {
  local cpu=${ZQ_BENCH_CPU:-$(($(nproc) - 1))}
  [ "$cpu" != none ] && [ -z "${ZQ_BENCH_PINNED:-}" ] && command -v taskset >/dev/null || return 0
  export ZQ_BENCH_PINNED=$cpu
  exec taskset -c "$cpu" "$@"
}
