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

source "$(dirname "$0")/faults_lib.sh"

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

# A folder stands where a cabinet is to be saved: it can't be created, the
# run stops there, and the folder is left as it was.
fresh_app
mkdir "$app/c.cab"
fault_serve "$E2E_DIR/site"
fault_run "Cannot create file $app_w\\c.cab"
[ -d "$app/c.cab" ] || e2e_fail "the folder named like the cabinet was removed"
expect_files a.dll=new b.dat=new c.dll=old DeskZQ.exe=old
rmdir "$app/c.cab"
fault_stop
e2e_note "cabinet that can't be created passed"

# With the fault gone, a second run repairs what the first left.
fault_serve "$E2E_DIR/site"
E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
e2e_confirm_start
e2e_wait_setup 30
expect_files a.dll=new b.dat=new c.dll=new DeskZQ.exe=new
e2e_wait_starts 1
fault_stop
e2e_note "faults passed"
