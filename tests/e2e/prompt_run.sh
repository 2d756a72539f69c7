#!/usr/bin/env bash
# The start prompt and what follows each answer: nothing to fetch (0,00 MB),
# only SetupZQ.exe out of date (nothing fetched), SetupZQ.exe and another
# file out of date (SetupZQ.cab saved, never extracted), a declined prompt
# after the running product was ended (it stays ended, nothing fetched).
source "$(dirname "$0")/lib.sh"
e2e_begin prompt_run

app=$E2E_DIR/app
mkdir -p "$app"
cp "$E2E_SETUPZQ" "$app/SetupZQ.exe"
cp "$E2E_DESKZQ" "$app/DeskZQ.exe"
e2e_versioned_file "$app/a.dll" "1.0"

site_with() {  # manifest text
  mkdir -p "$E2E_DIR/site/scripts/zq.dll" "$E2E_DIR/site/BinZQ"
  printf '%b' "$1" >"$E2E_DIR/site/scripts/zq.dll/stptc"
}
run_update() {  # answer
  : >"$E2E_ACCESS_LOG"
  E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT" u k
  prompt=$(e2e_ui wait --caption "Informação" --timeout 20000) || e2e_fail "no prompt"
  e2e_confirm_start "$1"
  e2e_wait_setup 30
}

site_with 'DeskZQ.exe=1.0.0.1;900\r\na.dll=1.0;50\r\n'
e2e_serve "$E2E_DIR/site"
run_update 6
grep -qF "Será baixado um total de 0,00 MB." <<<"$prompt" || e2e_fail "size line: $prompt"
e2e_assert_eq "$(e2e_requests)" "GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1" "all OK"
e2e_wait_starts 1

site_with 'SetupZQ.exe=9.9;700\r\na.dll=1.0;50\r\n'
run_update 6
e2e_assert_eq "$(e2e_requests)" "GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1" "only SetupZQ.exe"

# SetupZQ.exe and a new file: both fetched, SetupZQ.cab kept unextracted.
mkdir -p "$E2E_DIR/p2"
e2e_versioned_file "$E2E_DIR/p2/b.dll" "2.0"
cp "$E2E_SETUPZQ" "$E2E_DIR/p2/SetupZQ.exe"
e2e_publish "$E2E_DIR/p2" "$E2E_DIR/p2site"
cp "$E2E_DIR/p2site/BinZQ/"* "$E2E_DIR/site/BinZQ/"
site_with "SetupZQ.exe=9.9;$(stat -c %s "$E2E_DIR/site/BinZQ/SetupZQ.cab")\r\nb.dll=2.0;$(stat -c %s "$E2E_DIR/site/BinZQ/b.cab")\r\n"
before=$(md5sum <"$app/SetupZQ.exe")
run_update 6
e2e_assert_eq "$(e2e_requests)" "GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1
GET http://127.0.0.1/BinZQ/SetupZQ.cab HTTP/1.1
GET http://127.0.0.1/BinZQ/b.cab HTTP/1.1" "SetupZQ.exe and b.dll"
e2e_assert_same_file "$app/SetupZQ.cab" "$E2E_DIR/site/BinZQ/SetupZQ.cab"
e2e_assert_eq "$(md5sum <"$app/SetupZQ.exe")" "$before" "SetupZQ.exe must not be extracted"
e2e_assert_same_file "$app/b.dll" "$E2E_DIR/p2/b.dll"

# Declined after the running product was ended.
site_with 'DeskZQ.exe=2.0;900\r\n'
e2e_start_product "$app/DeskZQ.exe"
starts=$(e2e_product_starts | wc -l)
run_update 7
e2e_gone "$E2E_PRODUCT_PID" 5 || e2e_fail "the product was not ended"
e2e_assert_eq "$(e2e_requests)" "GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1" "declined"
e2e_assert_eq "$(e2e_product_starts | wc -l)" "$starts" "declined run must not start the product"
e2e_note "prompts passed"
