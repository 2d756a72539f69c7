#!/usr/bin/env bash
# Stops the servers that start.sh started, by the pids it wrote.
dir=$1
for name in squid nginx; do
  f=$dir/$name.pid
  [ -f "$f" ] || continue
  pid=$(cat "$f")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  rm -f "$f"
done
exit 0
