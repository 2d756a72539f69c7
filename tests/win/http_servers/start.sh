#!/usr/bin/env bash
# Starts the real servers of the HTTP client's tests, loopback only:
# nginx as the origin on 127.0.0.23:80 and squid as a proxy on
# 127.0.0.23:3128. Everything lives under the state folder given as $1;
# the pids go to $1/nginx.pid and $1/squid.pid for stop.sh.
set -euo pipefail
dir=$1
addr=127.0.0.23
here=$(cd "$(dirname "$0")" && pwd)
"$here/stop.sh" "$dir" || true
rm -rf "$dir"
mkdir -p "$dir/nginx/logs" "$dir/nginx/temp" "$dir/www/scripts/zq.dll" "$dir/www/BinZQ" "$dir/squid"

printf 'DeskZQ.exe=1.0.0.1;1000\r\nSetupZQ.exe=2.2.0.176;500\r\n' >"$dir/www/scripts/zq.dll/stptc"
head -c 3000000 /dev/urandom >"$dir/www/BinZQ/big.cab"
mkdir -p "$dir/www/ssi"
# Server-side includes make nginx send the page in chunks (its length is unknown).
printf 'part one <!--# echo var="uri" --> part two' >"$dir/www/ssi/page.html"

cat >"$dir/nginx/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $dir/nginx/nginx.pid;
error_log $dir/nginx/logs/error.log;
events { worker_connections 64; }
http {
  access_log $dir/nginx/logs/access.log;
  log_format exact '\$connection|\$request|\$http_host|\$http_via';
  client_body_temp_path $dir/nginx/temp/body;
  proxy_temp_path $dir/nginx/temp/proxy;
  fastcgi_temp_path $dir/nginx/temp/fastcgi;
  uwsgi_temp_path $dir/nginx/temp/uwsgi;
  scgi_temp_path $dir/nginx/temp/scgi;
  default_type application/octet-stream;
  keepalive_timeout 600s;
  server {
    listen $addr:80;
    access_log $dir/nginx/logs/requests.log exact;
    root $dir/www;
    location /ssi/ { ssi on; ssi_types *; }
  }
}
CONF

cat >"$dir/squid/squid.conf" <<CONF
http_port $addr:3128
http_access allow all
cache deny all
dns_nameservers 127.0.0.1
visible_hostname localhost
pinger_enable off
shutdown_lifetime 0 seconds
cache_log $dir/squid/cache.log
access_log $dir/squid/access.log
pid_filename $dir/squid/squid.run.pid
coredump_dir $dir/squid
CONF
chown -R proxy:proxy "$dir/squid" 2>/dev/null || true

/usr/sbin/nginx -p "$dir/nginx" -c "$dir/nginx/nginx.conf" >"$dir/nginx/logs/stdout.log" 2>&1 </dev/null &
echo $! >"$dir/nginx.pid"
/usr/sbin/squid -N -f "$dir/squid/squid.conf" >"$dir/squid/stdout.log" 2>&1 </dev/null &
echo $! >"$dir/squid.pid"

ready() { (exec 3<>"/dev/tcp/$addr/$1") 2>/dev/null; }
for port in 80 3128; do
  for _ in $(seq 100); do ready $port && break; sleep 0.1; done
  ready $port || { echo "server on $addr:$port did not start" >&2; cat "$dir"/squid/cache.log "$dir"/nginx/logs/error.log >&2 || true; exit 1; }
done
echo "nginx pid $(cat "$dir/nginx.pid"), squid pid $(cat "$dir/squid.pid")"
