#!/usr/bin/env bash
# Signed sites against the keyed program (SetupZQ-keyed.exe, built with the
# test keys site-a and site-b): a signed site installs and updates, also
# when signed with the second key; a changed manifest byte, a changed
# cabinet with recomputed block checksums, a cabinet announcing another
# length (refused before its body is read), a missing signature file, a site
# signed with a key the program doesn't know and an older serial after a
# newer one all end in the error box, with nothing of the failing item saved
# and the product not started. The unkeyed SetupZQ.exe never asks for the
# signature file.
source "$(dirname "$0")/lib.sh"
e2e_begin signed_run

keyed=$E2E_WIN/bin/SetupZQ-keyed.exe
keys=$E2E_WIN/test-keys
[ -f "$keyed" ] && [ -f "$keys/site-a.key" ] && [ -f "$keys/site-b.key" ] ||
  e2e_fail "no $keyed with its test keys (configure the Windows tree after building the native one)"
"$E2E_PUBLISH" --new-key "$E2E_DIR/stranger" >/dev/null

sign() {  # KEY SOURCE SITE
  "$E2E_PUBLISH" --key "$1" "$2" "$3" >/dev/null
}
serial_of() { sed -n 's/^serial //p' "$1/BinZQ/ZQSITE.SIG"; }

v1=$E2E_DIR/v1
v2=$E2E_DIR/v2
e2e_product "$v1" DeskZQ.exe=1.0.0.1 a.dll=1.0 leiame=um
e2e_product "$v2" DeskZQ.exe=1.0.0.2 a.dll=2.0 leiame=um
site=$E2E_DIR/site
sign "$keys/site-a.key" "$v1" "$site"
cp -r "$site" "$E2E_DIR/site-v1"   # kept for the older-serial run

# --- A signed site installs: the signature comes right after the manifest.
e2e_serve "$E2E_DIR/site"
port=$E2E_PORT
E2E_EXE="$keyed" e2e_start_setup xctltn "127.0.0.1:$port" cliente chave
e2e_confirm_start
e2e_wait_setup 60
app=$(e2e_data_folder "$port")
for f in DeskZQ.exe a.dll leiame; do e2e_assert_same_file "$app/$f" "$v1/$f"; done
e2e_assert_eq "$(cat "$app/ZQSITE.SER")" "$(serial_of "$site")" "stored serial"
e2e_assert_eq "$(e2e_requests | head -n 2 | tail -n 1)" "GET http://127.0.0.1/BinZQ/ZQSITE.SIG HTTP/1.1" \
  "second request"
e2e_wait_starts 1
e2e_note "signed installation passed"

# --- It updates from a site signed with the second compiled-in key.
sign "$keys/site-b.key" "$v2" "$site"
E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$port"
e2e_confirm_start
e2e_wait_setup 60
for f in DeskZQ.exe a.dll leiame; do e2e_assert_same_file "$app/$f" "$v2/$f"; done
e2e_assert_eq "$(cat "$app/ZQSITE.SER")" "$(serial_of "$site")" "stored serial after the update"
e2e_wait_starts 2
e2e_note "signed update with the second key passed"

# --- Refusals. Each runs an update of a folder holding v1 (so that every
# file is due) against a site spoiled in one way.
caption="Atualização do Sistema"
upd=$E2E_DIR/upd
fresh_upd() {  # [SERIAL]: the folder, with a stored serial when given
  rm -rf "$upd"
  mkdir -p "$upd"
  cp "$keyed" "$upd/SetupZQ.exe"
  cp "$v1"/* "$upd/"
  [ -z "${1:-}" ] || printf '%s' "$1" >"$upd/ZQSITE.SER"
  (cd "$upd" && find . -type f -exec sha256sum {} + | sort) >"$E2E_DIR/upd.before"
}
# refused BOX_TEXT PROMPTED: the run ends in the box, starts nothing, and
# leaves the folder as it was (the stored serial aside).
refused() {
  local starts
  starts=$(e2e_product_starts | wc -l)
  : >"$E2E_ACCESS_LOG"
  E2E_EXE="$upd/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
  [ "$2" = prompted ] && e2e_confirm_start
  e2e_expect_box "$1" "$caption"
  e2e_wait_setup 30
  e2e_assert_eq "$(e2e_product_starts | wc -l)" "$starts" "product started after a refusal"
  e2e_assert_eq "$(cd "$upd" && find . -type f ! -name ZQSITE.SER -exec sha256sum {} + | sort)" \
    "$(grep -v ZQSITE.SER "$E2E_DIR/upd.before")" "installation folder after a refusal"
}
spoiled=$E2E_DIR/spoiled
spoil() {  # a copy of the v2 site to spoil
  rm -rf "$spoiled"
  cp -r "$site" "$spoiled"
}
e2e_cleanup
e2e_serve "$spoiled"

spoil
python3 - "$spoiled/scripts/zq.dll/stptc" <<'PY'
import sys
p = sys.argv[1]
b = bytearray(open(p, "rb").read())
b[b.index(b"=2.0;") + 1] = ord("3")  # a.dll=3.0
open(p, "wb").write(b)
PY
fresh_upd
refused "Manifesto não confere com a assinatura do site (SHA-256 diferente)" unprompted
e2e_assert_eq "$(grep -c 'BinZQ/.*\.cab' "$E2E_ACCESS_LOG" || true)" 0 "cabinets asked for after a changed manifest"
e2e_note "changed manifest byte refused"

# A byte of a.cab's data changed and its block's checksum recomputed: the
# checksum walk passes it, the hash does not.
spoil
e2e_tamper_cabinet "$spoiled/BinZQ/a.cab"
fresh_upd
refused "a.cab => " prompted
grep -qF "Arquivo compactado não confere com a assinatura do site (SHA-256 diferente)" "$E2E_DIR/last_box.out" ||
  e2e_fail "the box does not name the hash: $(cat "$E2E_DIR/last_box.out")"
e2e_note "changed cabinet with recomputed checksums refused"

spoil
rm "$spoiled/BinZQ/ZQSITE.SIG"
fresh_upd
refused "Assinatura do site não encontrada (/BinZQ/ZQSITE.SIG): Não foi possível acessar o servidor (Código Retorno HTTP não esperado)" unprompted
e2e_note "missing signature file refused"

spoil
"$E2E_PUBLISH" --key "$E2E_DIR/stranger.key" "$v2" "$spoiled" >/dev/null
fresh_upd
refused "Assinatura do site inválida (/BinZQ/ZQSITE.SIG: chave " unprompted
grep -qF " desconhecida)" "$E2E_DIR/last_box.out" || e2e_fail "the box does not name the unknown key"
e2e_note "site signed with another key refused"

rm -rf "$spoiled"
cp -r "$E2E_DIR/site-v1" "$spoiled"
fresh_upd "$(serial_of "$site")"
refused "Assinatura do site mais antiga que a já instalada (série $(serial_of "$spoiled"), instalada $(serial_of "$site"))" unprompted
e2e_assert_eq "$(cat "$upd/ZQSITE.SER")" "$(serial_of "$site")" "stored serial after an older site"
e2e_note "older serial refused"
e2e_cleanup

# A cabinet announcing one byte more than signed: refused as soon as the
# headers are read; the server holds the body back and sees the client close.
E2E_PORT=$(e2e_free_port)
E2E_ACCESS_LOG=$E2E_DIR/requests.log
: >"$E2E_ACCESS_LOG"
exec {ready}< <(exec python3 "$E2E_TOP/tests/e2e/fault_server.py" 127.0.0.1 "$E2E_PORT" "$site" "$E2E_ACCESS_LOG" \
  "/BinZQ/a.cab=long-length")
e2e_pids+=($!)
read -r -t 10 -u "$ready" line && [ "$line" = ready ] || e2e_fail "the fault server did not start"
exec {ready}<&-
fresh_upd
size=$(stat -c %s "$site/BinZQ/a.cab")
refused "(tamanho anunciado $((size + 1)) bytes, assinado $size bytes)" prompted
sleep 0.5
grep -qx "held /BinZQ/a.cab" "$E2E_ACCESS_LOG" || e2e_fail "the client did not close before the body: $(cat "$E2E_ACCESS_LOG")"
e2e_cleanup
e2e_note "announced length differing from the signed size refused before the body"

# --- The unkeyed program ignores the signature file, even a broken one.
spoil
printf 'garbage\n' >"$spoiled/BinZQ/ZQSITE.SIG"
e2e_serve "$spoiled"
: >"$E2E_ACCESS_LOG"
fresh_upd
cp "$E2E_SETUPZQ" "$upd/SetupZQ.exe"
E2E_EXE="$upd/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
e2e_confirm_start
e2e_wait_setup 60
for f in DeskZQ.exe a.dll; do e2e_assert_same_file "$upd/$f" "$v2/$f"; done
grep -q ZQSITE "$E2E_ACCESS_LOG" && e2e_fail "the unkeyed program asked for the signature file"
[ ! -e "$upd/ZQSITE.SER" ] || e2e_fail "the unkeyed program stored a serial"
e2e_note "unkeyed program ignores the signature file"
e2e_note "signed runs passed"
