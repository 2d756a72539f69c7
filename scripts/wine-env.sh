# Sourced: sets the environment for one wine64 prefix.  wine-env.sh PREFIX
export WINEPREFIX=$(mkdir -p "$1" && cd "$1" && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml="}
export HOME="$WINEPREFIX.home"
[ -n "${DISPLAY:-}" ] || export DISPLAY=${ZQ_DISPLAY:-:99}
# LC_ALL is given to wine only: the shell itself has no such glibc locale.
ZQ_WINE="env LC_ALL=pt_BR.UTF-8 /usr/lib/wine/wine64"
ZQ_WINESERVER=/usr/lib/wine/wineserver64
[ -x "$ZQ_WINESERVER" ] || ZQ_WINESERVER=/usr/lib/wine/wineserver

# Creates the prefix once; concurrent callers wait for the first.
zq_ensure_prefix() {
  [ -f "$WINEPREFIX/.zq-ready" ] && return 0
  mkdir -p "$HOME"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.zq-ready" ]; then
      $ZQ_WINE wineboot -i >/dev/null 2>&1 || true
      "$ZQ_WINESERVER" -w
      touch "$WINEPREFIX/.zq-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}
