#!/usr/bin/env bash
# Failures end in the error box captioned with the window's caption of the
# moment, and exit code 0: DeskZQ.exe missing after an update ("[100]"), an
# installation run whose server refuses the connection (the worker's "Erro"
# box, then the request's failure), and a manifest name that would leave
# the installation folder (refused before anything is fetched).
source "$(dirname "$0")/lib.sh"
e2e_begin errors_run

mkdir -p "$E2E_DIR/site/scripts/zq.dll"
printf 'a.dll=1.0;50\r\n' >"$E2E_DIR/site/scripts/zq.dll/stptc"
e2e_serve "$E2E_DIR/site"
app=$E2E_DIR/app
mkdir -p "$app"
cp "$E2E_SETUPZQ" "$app/SetupZQ.exe"
e2e_versioned_file "$app/a.dll" "1.0"

E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
e2e_confirm_start
e2e_expect_box "Não foi possível acionar o Sistema [100]" "Atualização do Sistema"
e2e_wait_setup 15

# Nothing listens on this port.
port=$(e2e_free_port)
e2e_start_setup xctltn_InstalaTC "127.0.0.1:$port"
e2e_expect_box "" "Erro"
e2e_expect_box "Não foi possível acessar o servidor" "Instalação do Sistema"
e2e_wait_setup 15

printf 'a.dll=1.0;50\r\n..\\fora.dll=1;5\r\n' >"$E2E_DIR/site/scripts/zq.dll/stptc"
: >"$E2E_ACCESS_LOG"
E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
e2e_expect_box "fora.dll" "Atualização do Sistema"
e2e_wait_setup 15
e2e_assert_eq "$(e2e_requests)" "GET http://127.0.0.1/scripts/zq.dll/stptc HTTP/1.1" "nothing fetched after a climbing name"
[ ! -e "$E2E_DIR/fora.dll" ] && [ ! -e "$E2E_DIR/fora.cab" ] || e2e_fail "wrote outside the folder"
e2e_note "errors passed"
