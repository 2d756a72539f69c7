#!/usr/bin/env bash
# Update runs against a server or a folder that fails in the middle: the
# server closes inside a cabinet (with Content-Length and chunked), sends
# garbage for a status line, answers 404 for one cabinet of several; a
# cabinet arrives truncated or corrupted; a target file is held open without
# sharing by another program. Each run ends with its error box captioned
# "Atualização do Sistema" and exit code 0, starts nothing, writes nothing
# outside the installation folder, and leaves every product file either as
# it was or as published, never broken.
source "$(dirname "$0")/lib.sh"
e2e_begin faults_run

product=$E2E_DIR/product
e2e_product "$product" DeskZQ.exe=1.0.0.2 a.dll=2.0 c.dll=2.0
head -c 1200000 /dev/urandom >"$product/b.dat"
e2e_publish "$product" "$E2E_DIR/site"
old=$E2E_DIR/old
e2e_product "$old" DeskZQ.exe=1.0.0.1 a.dll=1.0 c.dll=1.0
app=$E2E_DIR/app
caption="Atualização do Sistema"

# fault_serve SITE PATH=FAULT...: the misbehaving origin; sets E2E_PORT and
# E2E_ACCESS_LOG (request lines).
fault_serve() {
  local site=$1
  shift
  E2E_PORT=$(e2e_free_port)
  E2E_ACCESS_LOG=$E2E_DIR/requests.log
  : >"$E2E_ACCESS_LOG"
  exec {ready}< <(exec python3 "$E2E_TOP/tests/e2e/fault_server.py" 127.0.0.1 "$E2E_PORT" "$site" "$E2E_ACCESS_LOG" "$@")
  e2e_pids+=($!)
  fault_server_pid=$!
  read -r -t 10 -u "$ready" line && [ "$line" = ready ] || e2e_fail "the fault server did not start"
  exec {ready}<&-
}
fault_stop() {
  kill "$fault_server_pid" 2>/dev/null || true
  wait "$fault_server_pid" 2>/dev/null || true
}

# What exists in the work folder outside the installation folder (the
# test's own logs aside).
outside() {
  (cd "$E2E_DIR" && find . \( -path ./app -o -name '*.log' -o -name '*.out' \) -prune -o -print | sort)
}

fresh_app() {
  rm -rf "$app"
  mkdir -p "$app"
  cp "$E2E_SETUPZQ" "$app/SetupZQ.exe"
  cp "$old"/* "$app/"
}

# fault_run EXPECTED_BOX_TEXT: an update run that must end in the error box.
fault_run() {
  local before
  before=$(outside)
  E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
  e2e_confirm_start
  e2e_expect_box "$1" "$caption"
  e2e_wait_setup 30
  e2e_assert_eq "$(e2e_product_starts | wc -l)" 0 "product started after a failure"
  e2e_assert_eq "$(outside)" "$before" "files outside the installation folder"
}

# expect_files NAME=STATE...: STATE is old (as it was), new (as published)
# or gone.
expect_files() {
  local entry name state
  for entry in "$@"; do
    name=${entry%%=*}
    state=${entry#*=}
    case $state in
      old) e2e_assert_same_file "$app/$name" "$old/$name" ;;
      new) e2e_assert_same_file "$app/$name" "$product/$name" ;;
      gone) [ ! -e "$app/$name" ] || e2e_fail "$name should not be there" ;;
    esac
  done
}

# The server ends the connection halfway through b.cab.
for fault in close-mid chunked-close; do
  fresh_app
  fault_serve "$E2E_DIR/site" "/BinZQ/b.cab=$fault"
  fault_run "Não foi possível acessar o servidor (acesso incompleto)"
  expect_files a.dll=new b.dat=gone b.cab=gone c.dll=old DeskZQ.exe=old
  fault_stop
  e2e_note "$fault passed"
done

fresh_app
fault_serve "$E2E_DIR/site" "/BinZQ/c.cab=garbage"
fault_run "Não foi possível acessar o servidor (Código Retorno HTTP não esperado)"
expect_files a.dll=new b.dat=new c.dll=old c.cab=gone DeskZQ.exe=old
fault_stop
e2e_note "garbage status line passed"

fresh_app
fault_serve "$E2E_DIR/site" "/BinZQ/c.cab=404"
fault_run "Não foi possível acessar o servidor (Código Retorno HTTP não esperado)"
expect_files a.dll=new b.dat=new c.dll=old c.cab=gone DeskZQ.exe=old
e2e_assert_eq "$(grep -c BinZQ "$E2E_ACCESS_LOG")" 3 "cabinets asked for (nothing after the 404)"
fault_stop
e2e_note "404 among several passed"

# Damaged cabinets. One cut short fails in the extraction, which is tried
# four times, then reported with the cabinet and the file it was writing; no
# half-written file stays. One whose data changed on the way is refused by
# its block checksums before anything is extracted.
damaged=$E2E_DIR/damaged
damage_cabinet() {  # truncate|corrupt
  rm -rf "$damaged"
  cp -r "$E2E_DIR/site" "$damaged"
  python3 - "$damaged/BinZQ/b.cab" "$1" <<'PY'
import sys
path, damage = sys.argv[1], sys.argv[2]
data = bytearray(open(path, "rb").read())
if damage == "truncate":
    data = data[: len(data) * 2 // 3]
else:
    data[len(data) // 2] ^= 0x10
open(path, "wb").write(data)
PY
  fresh_app
  fault_serve "$damaged"
}
app_w=$(winepath_w "$app")

damage_cabinet truncate
start=$SECONDS
fault_run "Arquivo: $app_w\\b.cab => b.dat"
[ $((SECONDS - start)) -ge 6 ] || e2e_fail "the extraction of a truncated cabinet was not retried"
expect_files a.dll=new b.dat=gone c.dll=old DeskZQ.exe=old
fault_stop
e2e_note "truncated cabinet passed"

damage_cabinet corrupt
fault_run "Arquivo compactado danificado (soma de verificação do bloco 19 de 37 não confere)"
expect_files a.dll=new b.dat=gone c.dll=old DeskZQ.exe=old
fault_stop
e2e_note "corrupted cabinet passed"

# Another program holds c.dll open without sharing.
fresh_app
fault_serve "$E2E_DIR/site"
$ZQ_WINE "$E2E_WIN/bin/holdfile.exe" "$(winepath_w "$app/c.dll")" >"$E2E_DIR/hold.out" 2>&1 &
hold_pid=$!
e2e_pids+=($hold_pid)
for _ in $(seq 100); do grep -q held "$E2E_DIR/hold.out" && break; sleep 0.1; done
grep -q held "$E2E_DIR/hold.out" || e2e_fail "holdfile did not open c.dll"
fault_run "Arquivo: $app_w\\c.cab => c.dll"
kill "$hold_pid"
wait "$hold_pid" 2>/dev/null || true
expect_files a.dll=new b.dat=new c.dll=old DeskZQ.exe=old
fault_stop
e2e_note "file in use passed"

# With the fault gone, a second run repairs what the first left.
fault_serve "$E2E_DIR/site"
E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
e2e_confirm_start
e2e_wait_setup 30
expect_files a.dll=new b.dat=new c.dll=new DeskZQ.exe=new
e2e_wait_starts 1
fault_stop
e2e_note "faults passed"
