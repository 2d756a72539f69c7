# Shared helpers of the whole-run tests and the demo: a product folder, a
# published site served by nginx on loopback, SetupZQ.exe under wine64, the
# UI-automation tool to answer prompts, and checks. Sourced by bash scripts.
# Every process started here is stopped by its process id at exit.
set -euo pipefail

E2E_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_WIN=${E2E_WIN:-$E2E_TOP/build/win64}
E2E_NATIVE=${E2E_NATIVE:-$E2E_TOP/build/native}
E2E_SETUPZQ=$E2E_WIN/bin/SetupZQ.exe
E2E_UIAUTO=$E2E_WIN/bin/uiauto.exe
E2E_PUBLISH=$E2E_NATIVE/tools/publish/zq-publish
E2E_DESKZQ=$E2E_WIN/tools/deskzq/zq_deskzq/DeskZQ.exe
E2E_PREFIX=${ZQ_E2E_PREFIX:-$E2E_WIN/wineprefix-e2e}
source "$E2E_TOP/scripts/wine-env.sh" "$E2E_PREFIX"

e2e_pids=()
e2e_exit_hooks=()  # commands run at exit once the processes are stopped
e2e_cleanup() {
  local p
  for p in "${e2e_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${e2e_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  e2e_pids=()
  for p in "${e2e_exit_hooks[@]}"; do eval "$p" || true; done
  e2e_exit_hooks=()
}
# Runs after the test session's own cleanup was set (the demo sources both).
trap 'e2e_cleanup; if declare -F zq_session_stop >/dev/null; then zq_session_stop; fi' EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}
e2e_note() { echo "-- $*"; }

# e2e_begin NAME: a clean work folder for one test.
e2e_begin() {
  E2E_NAME=$1
  E2E_DIR=$E2E_WIN/e2e/$E2E_NAME
  rm -rf "$E2E_DIR"
  mkdir -p "$E2E_DIR"
  export ZQ_DESKZQ_LOG_UNIX=$E2E_DIR/deskzq.log
  export ZQ_DESKZQ_LOG=$(winepath_w "$ZQ_DESKZQ_LOG_UNIX")
  export WINEDEBUG=-all
}

# A Unix path as Wine sees it (Z: maps the Unix root).
winepath_w() { echo "Z:${1//\//\\}"; }

e2e_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# e2e_serve ROOT [PORT] [EXTRA_NGINX_DIRECTIVES]: serves ROOT on 127.0.0.1:PORT.
# Sets E2E_PORT and E2E_ACCESS_LOG (one line per request:
# connection-serial request status bytes).
e2e_serve() {
  local root=$1 port=${2:-$(e2e_free_port)} extra=${3:-}
  local conf=$E2E_DIR/nginx
  mkdir -p "$conf/logs" "$conf/tmp"
  E2E_PORT=$port
  E2E_ACCESS_LOG=$conf/logs/access.log
  cat >"$conf/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $conf/nginx.pid;
error_log $conf/logs/error.log;
events { worker_connections 64; }
http {
  log_format zq '\$connection \$request \$status \$body_bytes_sent \$http_via';
  access_log $E2E_ACCESS_LOG zq;
  client_body_temp_path $conf/tmp/body;
  proxy_temp_path $conf/tmp/proxy;
  fastcgi_temp_path $conf/tmp/fastcgi;
  uwsgi_temp_path $conf/tmp/uwsgi;
  scgi_temp_path $conf/tmp/scgi;
  default_type application/octet-stream;
  sendfile on;
  keepalive_timeout 650s;
  server {
    listen ${E2E_ADDR:-127.0.0.1}:$port;
    root $root;
    $extra
  }
}
CONF
  nginx -p "$conf" -c "$conf/nginx.conf" &
  e2e_pids+=($!)
  for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('${E2E_ADDR:-127.0.0.1}',$port),0.2).close()" 2>/dev/null && return 0
    sleep 0.1
  done
  e2e_fail "nginx did not start on port $port"
}

# e2e_versioned_file OUT VERSION: a small PE file (resource-only DLL) whose
# FileVersion (table 040904E4) is VERSION; VERSION "-" gives no version resource.
e2e_versioned_file() {
  local out=$1 version=$2 tmp
  tmp=$(mktemp -d)
  if [ "$version" = "-" ]; then
    printf 'int zq_data = 1;\n' >"$tmp/d.c"
    x86_64-w64-mingw32-gcc -shared -o "$out" "$tmp/d.c"
  else
    cat >"$tmp/v.rc" <<RC
1 VERSIONINFO
FILEVERSION 1,0,0,0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904E4"
    BEGIN
      VALUE "FileVersion", "$version"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0409, 1252
  END
END
RC
    x86_64-w64-mingw32-windres "$tmp/v.rc" -O coff -o "$tmp/v.o"
    printf 'int zq_data = 1;\n' >"$tmp/d.c"
    x86_64-w64-mingw32-gcc -shared -o "$out" "$tmp/d.c" "$tmp/v.o"
  fi
  rm -rf "$tmp"
}

# e2e_publish SRC OUT: the vendor's publishing tool.
e2e_publish() { "$E2E_PUBLISH" "$1" "$2" >/dev/null; }

# e2e_start_setup ARGS...: starts SetupZQ.exe (or $E2E_EXE) under wine; sets E2E_SETUP_PID.
e2e_start_setup() {
  local exe=${E2E_EXE:-$E2E_SETUPZQ}
  $ZQ_WINE "$exe" "$@" >"$E2E_DIR/setup.out" 2>&1 &
  E2E_SETUP_PID=$!
  e2e_pids+=($E2E_SETUP_PID)
}

# e2e_wait_setup [SECONDS]: waits for the run to end; fails unless exit code 0.
e2e_wait_setup() {
  local limit=${1:-60} rc=0 i
  for ((i = 0; i < limit * 10; i++)); do
    kill -0 "$E2E_SETUP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$E2E_SETUP_PID" 2>/dev/null && e2e_fail "SetupZQ.exe still running after ${limit}s"
  wait "$E2E_SETUP_PID" || rc=$?
  [ "$rc" = 0 ] || e2e_fail "SetupZQ.exe exit code $rc"
}

# e2e_ui ARGS...: the UI-automation tool (output in UTF-8).
# Non-ASCII arguments go as %XX escapes: Wine passes them on only as well as
# the Unix locale allows.
e2e_ui() {
  local a args=()
  for a in "$@"; do
    args+=("$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=" -_.,:()[]#/"))' "$a")")
  done
  $ZQ_WINE "$E2E_UIAUTO" "${args[@]}" 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# e2e_answer CAPTION ID [TIMEOUT_MS]: waits for a window and presses a button.
# A window just found may not have its buttons yet: pressing is retried.
e2e_press() {
  local i
  for i in 1 2 3 4 5 6; do
    e2e_ui press "$@" >/dev/null && return 0
    sleep 0.3
  done
  return 1
}
e2e_answer() { e2e_press --caption "$1" --id "$2" --timeout "${3:-20000}" || e2e_fail "no window '$1'"; }

# e2e_expect_box TEXT_SUBSTRING CAPTION: waits for a message box, checks its
# text contains TEXT_SUBSTRING, then presses OK. The box's dump stays in
# $E2E_DIR/last_box.out for further checks.
e2e_expect_box() {
  local out
  out=$(e2e_ui wait --caption "$2" --class "#32770" --timeout 20000) || e2e_fail "no box captioned '$2'"
  printf '%s\n' "$out" >"$E2E_DIR/last_box.out"
  grep -qF -- "$1" <<<"$out" || e2e_fail "box '$2' lacks '$1': $out"
  e2e_press --caption "$2" --class "#32770" --id 1 --timeout 5000 || e2e_fail "could not press OK on '$2'"
}

# e2e_requests: the request lines the server saw (one per line).
e2e_requests() { sleep 0.2; cut -d' ' -f2-4 "$E2E_ACCESS_LOG"; }

e2e_assert_eq() { [ "$1" = "$2" ] || e2e_fail "$3: expected [$2], got [$1]"; }
e2e_assert_same_file() { cmp -s "$1" "$2" || e2e_fail "$1 differs from $2"; }

# The documents folder of the prefix's user, and the data folder for a port.
E2E_DOCS=$E2E_PREFIX/drive_c/users/$(id -un)/Documents
e2e_data_folder() {
  if [ "$1" = 80 ]; then echo "$E2E_DOCS/Arquivos.Zolmar/SisZQ"; else echo "$E2E_DOCS/Arquivos.Zolmar/SisZQ$1"; fi
}

# The start prompt: a task dialog titled "Informação" on Windows 6.1 (the
# prefix default); Yes is IDYES (6), No IDNO (7).
e2e_confirm_start() { e2e_answer "Informação" "${1:-6}" "${2:-20000}"; }

# e2e_wait_starts N: waits (up to 10 s) until the product recorded N starts;
# a program started by WinExec records itself after the setup has ended.
e2e_wait_starts() {
  local i
  for ((i = 0; i < 100; i++)); do
    [ "$(e2e_product_starts | wc -l)" -ge "$1" ] && return 0
    sleep 0.1
  done
  e2e_fail "the product recorded $(e2e_product_starts | wc -l) starts, not $1"
}

# The command lines the stand-in product recorded, one per start.
e2e_product_starts() { [ -f "$ZQ_DESKZQ_LOG_UNIX" ] && grep '^cmdline=' "$ZQ_DESKZQ_LOG_UNIX" | sed 's/^cmdline=//' | tr -d '\r' || true; }
e2e_product_cwds() { [ -f "$ZQ_DESKZQ_LOG_UNIX" ] && grep '^cwd=' "$ZQ_DESKZQ_LOG_UNIX" | sed 's/^cwd=//' | tr -d '\r' || true; }

# The cabinet name of a manifest file: its extension replaced by ".cab".
e2e_cab_name() {
  local n=$1 base=${1##*[\\:]}
  if [[ "$base" == *.* ]]; then echo "${n%.*}.cab"; else echo "$n.cab"; fi
}
# The data folder for a port as the program sees it.
e2e_data_folder_w() {
  local d="C:\\users\\$(id -un)\\Documents\\Arquivos.Zolmar\\SisZQ"
  [ "$1" = 80 ] || d+=$1
  echo "$d\\"
}

E2E_DESKZQ_V2=$E2E_WIN/tools/deskzq/e2e_deskzq_v2/DeskZQ.exe

# e2e_start_product UNIX_PATH: starts a stand-in product that stays alive;
# sets E2E_PRODUCT_PID (the wine process that runs it).
e2e_start_product() {
  $ZQ_WINE "$1" running >/dev/null 2>&1 &
  E2E_PRODUCT_PID=$!
  e2e_pids+=($E2E_PRODUCT_PID)
  local i
  for ((i = 0; i < 100; i++)); do
    [ -f "$ZQ_DESKZQ_LOG_UNIX" ] && grep -q 'running' "$ZQ_DESKZQ_LOG_UNIX" && return 0
    sleep 0.1
  done
  e2e_fail "the stand-in product did not start"
}

# e2e_gone PID SECONDS: true once the process has ended.
e2e_gone() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# A site of its own for one test: e2e_site NAME=VERSION... (VERSION "-" for
# none; DeskZQ.exe gets the stand-in of that version: 1.0.0.1 or 1.0.0.2).
e2e_product() {
  local dir=$1 entry name version
  shift
  mkdir -p "$dir"
  for entry in "$@"; do
    name=${entry%%=*}
    version=${entry#*=}
    case $name in
      DeskZQ.exe) if [ "$version" = 1.0.0.2 ]; then cp "$E2E_DESKZQ_V2" "$dir/$name"; else cp "$E2E_DESKZQ" "$dir/$name"; fi ;;
      *.dll|*.exe) e2e_versioned_file "$dir/$name" "$version" ;;
      *) printf '%s\r\n' "$version" >"$dir/$name" ;;
    esac
  done
}

# e2e_tamper_cabinet CAB: changes one byte of the cabinet's first data block
# and recomputes that block's checksum, so that the checksum walk passes it
# and only a hash of the whole cabinet tells.
e2e_tamper_cabinet() {
  python3 - "$1" <<'PY'
import struct, sys
def csum(data, seed):
    s = seed
    n = len(data) // 4
    for i in range(n):
        s ^= struct.unpack_from("<I", data, 4 * i)[0]
    t = 0
    for c in data[4 * n:]:
        t = t << 8 | c
    return s ^ t
p = sys.argv[1]
b = bytearray(open(p, "rb").read())
start = struct.unpack_from("<I", b, 36)[0]
size = struct.unpack_from("<H", b, start + 4)[0]
b[start + 8 + size // 2] ^= 0x01
fields = bytes(b[start + 4:start + 8])
struct.pack_into("<I", b, start, csum(fields, csum(bytes(b[start + 8:start + 8 + size]), 0)))
open(p, "wb").write(b)
PY
}
