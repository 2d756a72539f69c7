#!/usr/bin/env bash
# The shipped program: a 32-bit GUI PE with the Common-Controls 6 manifest
# (X86, no compatibility section, no execution level) and the version
# resource 2.2.0.176 of Zolmar.
set -euo pipefail
exe=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || fail "not a 32-bit GUI PE: $(file "$exe")"
objdump -p "$exe" | grep -qiE 'DLL Name: (libstdc|libgcc|libwinpthread)' && fail "needs a MinGW runtime DLL"
# Windows loads a DLL that the program imports from the program's own folder
# first, unless it is a known system DLL (or, for Common Controls 6, named by
# the manifest). Every other system library (version, setupapi, psapi) is
# loaded at run time by its full path in the system folder.
known='kernel32|user32|gdi32|shell32|ole32|ws2_32|msvcrt|advapi32|comctl32'
imports=$(objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || fail "no import table read"
others=$(grep -viE "^($known)\.dll$" <<<"$imports" || true)
[ -z "$others" ] || fail "imports a library that a file beside it could replace: $others"
manifest=$(wrestool -x --raw --type=24 "$exe")
grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest" || fail "manifest: $manifest"
grep -q 'processorArchitecture="X86" publicKeyToken="6595b64144ccf1df" language="\*"' <<<"$manifest" || fail "manifest: $manifest"
grep -qiE 'compatibility|requestedExecutionLevel' <<<"$manifest" && fail "manifest declares compatibility or an execution level"
raw=$(wrestool -x --raw --type=16 "$exe" | tr -d '\0')
for text in 040904E4 FileVersion 2.2.0.176 CompanyName Zolmar; do
  grep -q "$text" <<<"$raw" || fail "version resource lacks $text"
done
# The fixed file and product versions: 2.2.0.176 is 0x00020002 0x000000B0.
wrestool -x --raw --type=16 "$exe" | od -An -tx1 | tr -d ' \n' | grep -q 'bd04effe0000010002000200b000000002000200b0000000' \
  || fail "fixed file/product version is not 2.2.0.176"
echo "shipped program checks passed"
