#!/usr/bin/env bash
# An installation run on a port other than 80: the data folder SisZQ+port,
# the copy of the program, SRVADDR, every file fetched and extracted, and
# the product started with the pass-through texts.
source "$(dirname "$0")/lib.sh"
e2e_begin install_run

product=$E2E_DIR/product
mkdir -p "$product"
cp "$E2E_DESKZQ" "$product/DeskZQ.exe"
e2e_versioned_file "$product/ZQCore.dll" "3.1.0.7"
e2e_versioned_file "$product/Plain.dll" "-"
printf 'leia-me\r\n' >"$product/leiame"
e2e_publish "$product" "$E2E_DIR/site"
e2e_serve "$E2E_DIR/site"
data=$(e2e_data_folder "$E2E_PORT")
rm -rf "$data"

e2e_start_setup xctltn "127.0.0.1:$E2E_PORT" " user " "key"
e2e_confirm_start
e2e_wait_setup 60

for f in DeskZQ.exe ZQCore.dll Plain.dll leiame; do
  e2e_assert_same_file "$data/$f" "$product/$f"
  [ -f "$data/$(e2e_cab_name "$f")" ] || e2e_fail "cabinet of $f not kept"
done
e2e_assert_same_file "$data/SetupZQ.exe" "$E2E_SETUPZQ"
e2e_assert_eq "$(cat "$data/SRVADDR")" "127.0.0.1:$E2E_PORT" "SRVADDR"
[ "$(stat -c %s "$data/SRVADDR")" = "$(printf '127.0.0.1:%s' "$E2E_PORT" | wc -c)" ] || e2e_fail "SRVADDR has extra bytes"

expected_requests="GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1"
while IFS= read -r line; do
  name=${line%%=*}
  expected_requests+=$'\n'"GET http://127.0.0.1/BinZQ/$(e2e_cab_name "$name") HTTP/1.1"
done < <(tr -d '\r' <"$E2E_DIR/site/scripts/zq.dll/stptc")
e2e_assert_eq "$(e2e_requests)" "$expected_requests" "requests"
# One connection served them all.
e2e_assert_eq "$(cut -d' ' -f1 "$E2E_ACCESS_LOG" | sort -u | wc -l)" 1 "connections"

dir_w=$(e2e_data_folder_w "$E2E_PORT")
e2e_wait_starts 1
e2e_assert_eq "$(e2e_product_starts)" "${dir_w}DeskZQ.exe xctpt \" user \" \"key\" SETUP ZQ" "product command line"
e2e_note "installation run passed"
