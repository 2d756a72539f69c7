#!/usr/bin/env bash
# Mode words are compared exactly: an unknown word ends the run at once with
# exit code 0, no request and no window, and leaves a running product alone.
# "xctltn_NewDesk" is an update run with the pass-through texts.
source "$(dirname "$0")/lib.sh"
e2e_begin modes_run

e2e_product "$E2E_DIR/product" DeskZQ.exe=1.0.0.1
e2e_publish "$E2E_DIR/product" "$E2E_DIR/site"
e2e_serve "$E2E_DIR/site"
app=$E2E_DIR/app
mkdir -p "$app"
cp "$E2E_SETUPZQ" "$app/SetupZQ.exe"
cp "$E2E_DESKZQ" "$app/DeskZQ.exe"
e2e_start_product "$app/DeskZQ.exe"

for word in XCTKD Xctltn xctltn_instalatc ""; do
  E2E_EXE="$app/SetupZQ.exe" e2e_start_setup "$word" "127.0.0.1:$E2E_PORT" a b
  e2e_wait_setup 15
done
e2e_assert_eq "$(e2e_requests)" "" "requests after unknown words"
kill -0 "$E2E_PRODUCT_PID" 2>/dev/null || e2e_fail "an unknown word ended the product"

E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctltn_NewDesk "127.0.0.1:$E2E_PORT" " texto um " "dois"
e2e_confirm_start
e2e_wait_setup 30
e2e_gone "$E2E_PRODUCT_PID" 5 || e2e_fail "the update run did not end the product"
[ ! -e "$app/SRVADDR" ] || e2e_fail "SRVADDR written in an update run"
e2e_assert_eq "$(e2e_requests)" "GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1" "requests of the update run"
e2e_wait_starts 2
e2e_assert_eq "$(e2e_product_starts | tail -n 1)" "$(winepath_w "$app")\\DeskZQ.exe xctpt \" texto um \" \"dois\" SETUP ZQ" "product command line"
e2e_note "modes passed"
