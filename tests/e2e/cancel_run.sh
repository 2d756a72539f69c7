#!/usr/bin/env bash
# Cancel during a slow download: a declined cancel lets the run complete; a
# confirmed one ends the process with exit code 0 at once, keeps the
# cabinets saved before it, and starts nothing.
source "$(dirname "$0")/lib.sh"
e2e_begin cancel_run

mkdir -p "$E2E_DIR/product"
head -c 20000 /dev/urandom >"$E2E_DIR/product/a.dat"
head -c 3000000 /dev/urandom >"$E2E_DIR/product/big.dat"
e2e_publish "$E2E_DIR/product" "$E2E_DIR/site"
# Slow enough (about 12 s) that the window is still there on a loaded machine.
e2e_serve "$E2E_DIR/site" "" "limit_rate 250k;"
app=$E2E_DIR/app

cancel_with() {  # answer to the cancel prompt
  rm -rf "$app"
  mkdir -p "$app"
  cp "$E2E_SETUPZQ" "$app/SetupZQ.exe"
  cp "$E2E_DESKZQ" "$app/DeskZQ.exe"
  E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
  e2e_confirm_start
  e2e_ui wait --caption "Atualização do Sistema" --class TfmSetupZQ --timeout 10000 >/dev/null || e2e_fail "no window"
  for _ in $(seq 50); do [ -e "$app/a.cab" ] && break; sleep 0.1; done
  # Two clicks before the handler runs give one prompt.
  e2e_press --caption "Atualização do Sistema" --class TfmSetupZQ --id 107 || e2e_fail "could not press Cancel"
  e2e_ui press --caption "Atualização do Sistema" --class TfmSetupZQ --id 107 >/dev/null || true
  prompt=$(e2e_ui wait --caption "Confirmação" --timeout 10000) || e2e_fail "no cancel prompt"
  grep -qF "Cancelamento Versão Nova Zolmar" <<<"$prompt" || e2e_fail "cancel prompt: $prompt"
  e2e_answer "Confirmação" "$1"
}

cancel_with 6
e2e_wait_setup 10
[ -e "$app/a.cab" ] && [ -e "$app/a.dat" ] || e2e_fail "the cabinet saved before the cancel is gone"
[ ! -e "$app/big.cab" ] || e2e_fail "the cabinet being received was saved"
e2e_assert_eq "$(e2e_product_starts | wc -l)" 0 "product started after a cancel"

cancel_with 7
e2e_wait_setup 60
e2e_assert_same_file "$app/big.dat" "$E2E_DIR/product/big.dat"
e2e_wait_starts 1
e2e_note "cancel passed"
