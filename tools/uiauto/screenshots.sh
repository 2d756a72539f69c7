#!/usr/bin/env bash
# Screenshots of the setup window during a simulated download, the start
# prompt in both forms and the cancel prompt, into build/win64/screenshots/.
# Needs a test session (scripts/test-session.sh) and the win64 tree built.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=$top/build/win64/bin
out=$top/build/win64/screenshots
mkdir -p "$out"
run() { "$top/scripts/wine-run" --prefix "$top/build/win64/wineprefix" -- "$@"; }
auto() { run "$bin/uiauto.exe" "$@"; }
shot() {  # shot NAME: the whole screen, then trimmed to the window
  import -window root -display "$DISPLAY" "$out/$1-screen.png"
  convert "$out/$1-screen.png" -trim +repage "$out/$1.png"
}
run reg add 'HKCU\Software\Wine\AppDefaults\uihost_vista.exe' /v Version /d vista /f >/dev/null 2>&1

# The window during a download, then its cancel prompt (answered No).
run "$bin/uihost.exe" download install 30000000 65536 40 >/dev/null & host=$!
auto wait --caption 'Instala%C3%A7%C3%A3o do Sistema' --class TfmSetupZQ >/dev/null
sleep 3
shot window-download
auto press --caption 'Instala%C3%A7%C3%A3o do Sistema' --id 107
auto wait --caption 'Confirma%C3%A7%C3%A3o' --class '#32770' > "$out/cancel-prompt.txt"
sleep 0.5
shot cancel-prompt
auto press --caption 'Confirma%C3%A7%C3%A3o' --id 6
wait $host || true

# The start prompt: task dialog (Windows 6.1) and message box (Vista).
run "$bin/uihost.exe" start update 12345678 >/dev/null & host=$!
auto wait --caption 'Informa%C3%A7%C3%A3o' --class '#32770' > "$out/start-taskdialog.txt"
sleep 0.5
shot start-taskdialog
auto press --caption 'Informa%C3%A7%C3%A3o' --id 7
wait $host || true

run "$bin/uihost_vista.exe" start install 12345678 >/dev/null & host=$!
auto wait --caption 'Confirma%C3%A7%C3%A3o' --class '#32770' > "$out/start-messagebox.txt"
sleep 0.5
shot start-messagebox
auto press --caption 'Confirma%C3%A7%C3%A3o' --id 7
wait $host || true
rm -f "$out"/*-screen.png
ls "$out"
