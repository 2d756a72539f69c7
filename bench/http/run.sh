#!/usr/bin/env bash
# Serves a 100 MB body from nginx on loopback and prints, under wine64 in the
# benchmarks' own prefix, the client's throughput against a plain 8 KiB recv
# loop and WinHTTP in the same Wine, then the CPU time it takes per 100 MB
# with and without the progress window.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/bench/lib.sh"
bench_pin "$0" "$@"
bin=$top/build/win64/bench/bin
[ -x "$bin/http_bench_client.exe" ] && [ -x "$bin/http_bench_cpu.exe" ] ||
  flock /tmp/zq-build.lock cmake --build --preset win64 --target http_bench_client http_bench_cpu -j2 >/dev/null
prefix=${ZQ_BENCH_PREFIX:-$top/build/win64/wineprefix-bench}
# The session's own exit trap is replaced by cleanup below, which calls it.
source "$top/scripts/test-session.sh"
# In memory (tmpfs) when there is one: this machine's page cache is reclaimed
# eagerly, and the server would read the body from disk.
work=${ZQ_BENCH_WORK:-/dev/shm}
[ -d "$work" ] || work=${TMPDIR:-/tmp}
dir=$(mktemp -d "$work/zq_http_bench.XXXXXX")
chmod 755 "$dir"  # nginx workers read the body as an unprivileged user
addr=127.0.0.24
port=8099
mkdir -p "$dir/www" "$dir/logs" "$dir/temp"
head -c 100000000 /dev/zero | tr '\0' 'z' >"$dir/www/body.bin"
chmod -R a+rX "$dir/www"
cat >"$dir/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
events { worker_connections 16; }
http {
  access_log off;
  client_body_temp_path $dir/temp/body;
  proxy_temp_path $dir/temp/proxy;
  fastcgi_temp_path $dir/temp/fastcgi;
  uwsgi_temp_path $dir/temp/uwsgi;
  scgi_temp_path $dir/temp/scgi;
  sendfile on;
  keepalive_timeout 600s;
  server { listen $addr:$port; root $dir/www; }
}
CONF
/usr/sbin/nginx -p "$dir" -c "$dir/nginx.conf" >"$dir/logs/stdout.log" 2>&1 </dev/null &
nginx_pid=$!
cleanup() {
  kill "$nginx_pid" 2>/dev/null || true
  wait "$nginx_pid" 2>/dev/null || true
  rm -rf "$dir"
  zq_session_stop
}
trap cleanup EXIT
for _ in $(seq 50); do (exec 3<>"/dev/tcp/$addr/$port") 2>/dev/null && break; sleep 0.1; done
zq_session_start "$prefix"
WINEDEBUG=-all "$top/scripts/wine-run" --prefix "$prefix" -- "$bin/http_bench_client.exe" "$addr:$port" /body.bin "${ROUNDS:-3}"
echo
server=$(bench_wineserver_pid "$prefix") || { echo "no wineserver for $prefix" >&2; exit 1; }
WINEDEBUG=-all "$top/scripts/wine-run" --prefix "$prefix" -- "$bin/http_bench_cpu.exe" "$addr:$port" /body.bin "$server" \
  "$(bench_xserver_pid "$DISPLAY" || echo -)" "${ROUNDS:-3}"
