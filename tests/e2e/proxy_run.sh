#!/usr/bin/env bash
# An installation run through squid with the proxy form of the address
# (host#proxyhost:port): the requests reach the origin through the proxy,
# their target names the host without a port, and the data folder is the
# one of port 80.
source "$(dirname "$0")/lib.sh"
e2e_begin proxy_run

addr=127.0.0.25
e2e_product "$E2E_DIR/product" DeskZQ.exe=1.0.0.1 a.dll=1.0
e2e_publish "$E2E_DIR/product" "$E2E_DIR/site"
E2E_ADDR=$addr e2e_serve "$E2E_DIR/site" 80

sq=$E2E_DIR/squid
mkdir -p "$sq"
cat >"$sq/squid.conf" <<CONF
http_port $addr:3128
http_access allow all
cache deny all
dns_nameservers 127.0.0.1
visible_hostname localhost
pinger_enable off
shutdown_lifetime 0 seconds
cache_log $sq/cache.log
access_log $sq/access.log
pid_filename $sq/squid.pid
coredump_dir $sq
CONF
chown -R proxy:proxy "$sq"
/usr/sbin/squid -N -f "$sq/squid.conf" >"$sq/stdout.log" 2>&1 </dev/null &
e2e_pids+=($!)
for _ in $(seq 100); do (exec 3<>"/dev/tcp/$addr/3128") 2>/dev/null && break; sleep 0.1; done

data=$(e2e_data_folder 80)
rm -rf "$data"
e2e_start_setup xctltn "$addr#$addr:3128" a b
e2e_confirm_start
e2e_wait_setup 60

for f in DeskZQ.exe a.dll; do e2e_assert_same_file "$data/$f" "$E2E_DIR/product/$f"; done
e2e_assert_eq "$(cat "$data/SRVADDR")" "$addr#$addr:3128" "SRVADDR"
e2e_assert_eq "$(e2e_requests | head -n 1)" "GET /scripts/zq.dll/stptc HTTP/1.1" "first request at the origin"
grep -q 'squid' "$E2E_ACCESS_LOG" || e2e_fail "the origin saw no request through squid"
grep -q "GET http://$addr/scripts/zq.dll/stptc" "$sq/access.log" || e2e_fail "squid did not carry the manifest request"
grep -q "GET http://$addr/BinZQ/a.cab" "$sq/access.log" || e2e_fail "squid did not carry the cabinet request"
e2e_wait_starts 1
e2e_note "proxy run passed"
