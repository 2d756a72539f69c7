#!/usr/bin/env bash
# The README's main command: builds everything, publishes a demo product,
# serves it with nginx on loopback, and runs an installation and then an
# update of it with SetupZQ.exe under wine64. The prompts are answered by the
# UI-automation tool; with a display and ZQ_DEMO_INTERACTIVE=1 you answer them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/build-trees.sh >/dev/null

interactive=${ZQ_DEMO_INTERACTIVE:-0}
[ "$interactive" = 1 ] && [ -z "${DISPLAY:-}" ] && { echo "ZQ_DEMO_INTERACTIVE=1 needs a display" >&2; exit 2; }
source scripts/test-session.sh
zq_session_start "$top/build/win64/wineprefix-e2e"
source tests/e2e/lib.sh
e2e_begin demo
shots=$E2E_DIR/screenshots
mkdir -p "$shots"

say() { printf '\n== %s\n' "$*"; }
shot() { import -window root -display "$DISPLAY" "$shots/$1.png" 2>/dev/null || true; }

# The demo product: the stand-in DeskZQ.exe, a few versioned libraries and a
# large data file or two, so that the progress window is seen moving.
product=$E2E_DIR/product
mkdir -p "$product"
cp "$E2E_DESKZQ" "$product/DeskZQ.exe"
e2e_versioned_file "$product/ZQCore.dll" "3.1.0.7"
e2e_versioned_file "$product/ZQReports.dll" "3.1.0.2"
e2e_versioned_file "$product/ZQFiscal.dll" "1.4.2.0"
head -c 24000000 /dev/urandom >"$product/ZQDados.dat"
head -c 16000000 /dev/urandom >"$product/ZQImagens.dat"
printf 'Leia-me do DeskZQ\r\n' >"$product/leiame"
site=$E2E_DIR/site
e2e_publish "$product" "$site"
# A gentle rate limit so that a person can watch the bar move.
e2e_serve "$site" "" "limit_rate ${ZQ_DEMO_RATE:-8m};"

show_versions() {  # folder
  local f
  for f in $(ls "$product"); do
    if [ -e "$1/$f" ]; then
      printf '   %-16s %s\n' "$f" "$("$E2E_PUBLISH" --print-version "$1/$f" 2>/dev/null || echo '?')"
    else
      printf '   %-16s (absent)\n' "$f"
    fi
  done
}

answer_prompt() {
  if [ "$interactive" = 1 ]; then
    echo "   answer the prompt on the display"
    return
  fi
  e2e_ui wait --caption "Informação" --timeout 30000 >"$E2E_DIR/prompt-$1.txt" || e2e_fail "no prompt"
  shot "prompt-$1"
  e2e_confirm_start 6
  # The progress window while the cabinets arrive.
  if e2e_ui wait --caption "$2" --class TfmSetupZQ --timeout 10000 >/dev/null; then
    sleep 1
    shot "progress-$1"
  fi
}

data=$(e2e_data_folder "$E2E_PORT")
rm -rf "$data"
say "Installation run: SetupZQ.exe xctltn 127.0.0.1:$E2E_PORT \"demo\" \"chave\""
say "Manifest published:"
sed 's/^/   /' "$site/scripts/zq.dll/stptc"
e2e_start_setup xctltn "127.0.0.1:$E2E_PORT" demo chave
answer_prompt install "Instalação do Sistema"
e2e_wait_setup 300
say "Installed into $data:"
show_versions "$data"
say "Bytes fetched: $(awk '{s+=$6} END {print s+0}' "$E2E_ACCESS_LOG") in $(wc -l <"$E2E_ACCESS_LOG") requests"
say "The product was started with:"
e2e_product_starts | sed 's/^/   /'

say "Publishing a newer ZQReports.dll (3.1.0.3); ZQImagens.dat goes missing from the installed folder"
e2e_versioned_file "$product/ZQReports.dll" "3.1.0.3"
e2e_publish "$product" "$site"
# A missing data file is fetched again: 16 MB, long enough to watch the bar.
rm -f "$data/ZQImagens.dat"
say "Running an update from the installed folder"
: >"$E2E_ACCESS_LOG"
E2E_EXE="$data/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT" demo chave
answer_prompt update "Atualização do Sistema"
e2e_wait_setup 300
say "After the update:"
show_versions "$data"
say "Requests of the update run:"
cut -d' ' -f2- "$E2E_ACCESS_LOG" | sed 's/^/   /'
say "The product was started with:"
e2e_product_starts | tail -n 1 | sed 's/^/   /'
# Signed site: a program with the demo key built in (SetupZQ-demo.exe, key
# made by the native zq-publish in build/win64/test-keys) installs and
# updates from a signed site, then refuses a cabinet changed on the way.
demo_exe=$E2E_WIN/bin/SetupZQ-demo.exe
demo_key=$E2E_WIN/test-keys/demo.key
e2e_cleanup
signed=$E2E_DIR/signed-site
say "Signed site: zq-publish --key $(basename "$demo_key") (the program is $(basename "$demo_exe"), keyed with demo.pub)"
"$E2E_PUBLISH" --key "$demo_key" "$product" "$signed" | tail -n 1 | sed 's/^/   /'
e2e_serve "$signed" "" "limit_rate ${ZQ_DEMO_RATE:-8m};"
sdata=$(e2e_data_folder "$E2E_PORT")
rm -rf "$sdata"
say "Signed installation run"
E2E_EXE="$demo_exe" e2e_start_setup xctltn "127.0.0.1:$E2E_PORT" demo chave
answer_prompt signed-install "Instalação do Sistema"
e2e_wait_setup 300
show_versions "$sdata"
say "Highest serial installed from (ZQSITE.SER): $(cat "$sdata/ZQSITE.SER")"

say "Publishing ZQReports.dll 3.1.0.4, signed; signed update run"
e2e_versioned_file "$product/ZQReports.dll" "3.1.0.4"
"$E2E_PUBLISH" --key "$demo_key" "$product" "$signed" | tail -n 1 | sed 's/^/   /'
: >"$E2E_ACCESS_LOG"
E2E_EXE="$sdata/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT" demo chave
answer_prompt signed-update "Atualização do Sistema"
e2e_wait_setup 300
say "Requests of the signed update run:"
cut -d' ' -f2- "$E2E_ACCESS_LOG" | sed 's/^/   /'
show_versions "$sdata"

say "Publishing ZQReports.dll 3.1.0.5, signed; on the way one byte of ZQReports.cab changes (block checksum recomputed)"
e2e_versioned_file "$product/ZQReports.dll" "3.1.0.5"
"$E2E_PUBLISH" --key "$demo_key" "$product" "$signed" | tail -n 1 | sed 's/^/   /'
e2e_tamper_cabinet "$signed/BinZQ/ZQReports.cab"
starts=$(e2e_product_starts | wc -l)
cab_before=$(sha256sum <"$sdata/ZQReports.cab")
E2E_EXE="$sdata/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT" demo chave
if [ "$interactive" = 1 ]; then
  echo "   answer the prompt and read the error box on the display"
else
  e2e_confirm_start 6
  box=$(e2e_ui wait --caption "Atualização do Sistema" --class "#32770" --timeout 60000) || e2e_fail "no error box"
  shot refused-cabinet
  say "The program refused it; the error box says:"
  printf '%s\n' "$box" | sed 's/^/   /'
  e2e_press --caption "Atualização do Sistema" --class "#32770" --id 1 --timeout 5000 || e2e_fail "could not close the box"
fi
e2e_wait_setup 300
say "After the refusal: ZQReports.dll is still $("$E2E_PUBLISH" --print-version "$sdata/ZQReports.dll"), the tampered ZQReports.cab $([ "$(sha256sum <"$sdata/ZQReports.cab")" = "$cab_before" ] && echo 'was not saved' || echo 'WAS SAVED'), product started $(( $(e2e_product_starts | wc -l) - starts )) times"

say "Screenshots: $shots"
ls "$shots" | sed 's/^/   /'
