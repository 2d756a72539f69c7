#!/usr/bin/env bash
# The publishing tool writes into the manifest the version text it reads
# itself from each file; the setup program compares that text with what it
# reads under Windows. The two readers must agree on every file: each
# version fixture (PE32 and PE32+), the stand-in product, and both builds of
# the program itself. A file one reader refuses, the other must refuse too,
# with one exception: a FileVersion with a character code page 1252 lacks is
# refused by the tool alone, because what Windows puts in its place (a
# best-fit letter or "?") can't be known when publishing.
#   version_crosscheck.sh PUBLISH_TOOL PROBE.exe PREFIX FILE...
set -euo pipefail
tool=$1 probe=$2 prefix=$3
shift 3
top=$(cd "$(dirname "$0")/../.." && pwd)
files=() windows=()
for f in "$@"; do
  [ -f "$f" ] || { echo "missing fixture $f" >&2; exit 1; }
  files+=("$f")
  windows+=("Z:${f//\//\\}")
done
mapfile -t program < <(WINEDEBUG=-all "$top/scripts/wine-run" --prefix "$prefix" -- "$probe" "${windows[@]}" | tr -d '\r')
[ ${#program[@]} = ${#files[@]} ] || { echo "the probe gave ${#program[@]} lines for ${#files[@]} files" >&2; exit 1; }
status=0
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
for i in "${!files[@]}"; do
  if published=$("$tool" --print-version "${files[$i]}" 2>"$tmp"); then :; else published=error; fi
  seen=${program[$i]}
  [[ $seen == error* ]] && seen=error
  if [ "$published" = error ] && grep -q "which code page 1252 has no byte for" "$tmp" && [ "$seen" != error ]; then
    printf 'same   %-28s tool refuses, program reads [%s]\n' "$(basename "${files[$i]}")" "$seen"
  elif [ "$published" = "$seen" ]; then
    printf 'same   %-28s %s\n' "$(basename "${files[$i]}")" "$seen"
  else
    printf 'DIFFER %-28s tool [%s] program [%s]\n' "$(basename "${files[$i]}")" "$published" "${program[$i]}"
    status=1
  fi
done
exit $status
