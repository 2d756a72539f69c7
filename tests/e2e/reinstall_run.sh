#!/usr/bin/env bash
# An installation over a data folder that a previous installation left: the
# older, longer SRVADDR is cut to the new address and the older SetupZQ.exe
# replaced by the running program. Then an installation with an empty server
# address: SRVADDR of zero bytes, the connection refused before any name
# lookup, and the run ends in its error box.
source "$(dirname "$0")/lib.sh"
e2e_begin reinstall_run

product=$E2E_DIR/product
mkdir -p "$product"
cp "$E2E_DESKZQ" "$product/DeskZQ.exe"
e2e_publish "$product" "$E2E_DIR/site"
e2e_serve "$E2E_DIR/site"
data=$(e2e_data_folder "$E2E_PORT")
rm -rf "$data"
mkdir -p "$data"
old_address="servidor-antigo.exemplo.com.br:$E2E_PORT#proxy-antigo:3128"
printf '%s' "$old_address" >"$data/SRVADDR"
cp "$E2E_DESKZQ_V2" "$data/SetupZQ.exe"  # any other program stands for an older copy

e2e_start_setup xctltn "127.0.0.1:$E2E_PORT" "" ""
e2e_confirm_start
e2e_wait_setup 60
address="127.0.0.1:$E2E_PORT"
e2e_assert_eq "$(cat "$data/SRVADDR")" "$address" "SRVADDR"
e2e_assert_eq "$(stat -c %s "$data/SRVADDR")" "${#address}" "SRVADDR size"
e2e_assert_same_file "$data/SetupZQ.exe" "$E2E_SETUPZQ"
e2e_wait_starts 1

# The empty address: port 0, so the data folder is SisZQ0.
empty=$(e2e_data_folder 0)
rm -rf "$empty"
mkdir -p "$empty"
printf 'antigo' >"$empty/SRVADDR"
e2e_start_setup xctltn "" "a" "b"
e2e_expect_box "" "Erro"
e2e_expect_box "Não foi possível acessar o servidor" "Instalação do Sistema"
e2e_wait_setup 15
[ -f "$empty/SRVADDR" ] || e2e_fail "no SRVADDR for the empty address"
e2e_assert_eq "$(stat -c %s "$empty/SRVADDR")" 0 "SRVADDR size for the empty address"
e2e_assert_same_file "$empty/SetupZQ.exe" "$E2E_SETUPZQ"
e2e_assert_eq "$(e2e_product_starts | wc -l)" 1 "the product was not started again"
e2e_note "installation over an earlier one passed"
