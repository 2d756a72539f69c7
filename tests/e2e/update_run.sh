#!/usr/bin/env bash
# An update run from the installed folder: the running product is ended,
# files NF and OOD are fetched and extracted, OK files are left alone, no
# copy of the program nor SRVADDR is made, and the product starts with the
# fixed words (no pass-through texts).
source "$(dirname "$0")/lib.sh"
e2e_begin update_run

e2e_product "$E2E_DIR/product" DeskZQ.exe=1.0.0.2 a.dll=1.0 b.dll=2.0 c.dll=1.0 leiame=texto
e2e_publish "$E2E_DIR/product" "$E2E_DIR/site"
e2e_serve "$E2E_DIR/site"

app=$E2E_DIR/app
mkdir -p "$app"
cp "$E2E_SETUPZQ" "$app/SetupZQ.exe"
cp "$E2E_DESKZQ" "$app/DeskZQ.exe"
cp "$E2E_DIR/product/a.dll" "$app/a.dll"
e2e_versioned_file "$app/b.dll" "1.0"
touch -d '2020-01-01' "$app/a.dll"
e2e_start_product "$app/DeskZQ.exe"

E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
e2e_confirm_start
e2e_wait_setup 60

e2e_gone "$E2E_PRODUCT_PID" 5 || e2e_fail "the running product was not ended"
for f in DeskZQ.exe b.dll c.dll leiame; do e2e_assert_same_file "$app/$f" "$E2E_DIR/product/$f"; done
[ "$(stat -c %Y "$app/a.dll")" = "$(date -d 2020-01-01 +%s)" ] || e2e_fail "a.dll (OK) was touched"
[ ! -e "$app/SRVADDR" ] || e2e_fail "SRVADDR written in an update run"
[ ! -e "$app/a.cab" ] || e2e_fail "a.dll (OK) was fetched"

expected="GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1"
for n in b.cab c.cab leiame.cab DeskZQ.cab; do expected+=$'\n'"GET http://127.0.0.1/BinZQ/$n HTTP/1.1"; done
e2e_assert_eq "$(e2e_requests)" "$expected" "requests"

app_w=$(winepath_w "$app")
e2e_wait_starts 2
e2e_assert_eq "$(e2e_product_starts | tail -n 1)" "$app_w\\DeskZQ.exe NEW \"SET\" \"UP\" SETUP ZQ" "product command line"
e2e_assert_eq "$(e2e_product_cwds | tail -n 1)" "$app_w" "product's folder"
e2e_note "update run passed"
