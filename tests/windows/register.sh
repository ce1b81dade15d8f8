#!/usr/bin/env bash
# vellum-cli.exe register writes the four entries below
# HKEY_CURRENT_USER\Software\Classes\.vlm, naming the executable with its
# .exe, quoting a path with a space, and keeping letters outside ASCII.
# Usage: register.sh WINE VELLUM-CLI.EXE
set -euo pipefail
wine=$1 cli=$2
export LC_ALL=C.UTF-8 WINEDEBUG=-all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
key='HKCU\Software\Classes\.vlm'

# --program | DefaultIcon | Command
cases=(
  'C:\Program Files\Vellum\vellum.exe|C:\Program Files\Vellum\vellum.exe,1|"C:\Program Files\Vellum\vellum.exe" %1'
  'C:\Tools\vellum.exe|C:\Tools\vellum.exe,1|C:\Tools\vellum.exe %1'
  'C:\Élève\θ\vellum.exe|C:\Élève\θ\vellum.exe,1|C:\Élève\θ\vellum.exe %1'
)
# Without --program: the editor beside vellum-cli.exe, as Windows names its folder.
beside="Z:$(dirname "$(realpath "$cli")" | tr / '\\')\\vellum.exe"
[[ $beside == *' '* ]] && quoted="\"$beside\"" || quoted=$beside
cases+=("|$beside,1|$quoted %1")
failures=0
for row in "${cases[@]}"; do
  IFS='|' read -r program icon command <<<"$row"
  if [ -n "$program" ]; then set -- --program "$program"; else set --; fi
  "$wine" "$cli" register "$@" || { echo "FAIL: register exits $? for '$program'"; failures=$((failures + 1)); }
  # reg export writes UTF-16, which keeps every letter.
  rm -f "$work/export.reg"
  "$wine" reg export "$key" "$(printf 'Z:%s' "$work/export.reg" | tr / '\\')" /y >/dev/null ||
    echo "reg export of $key exits $? after register '$program'"
  found=$(iconv -f UTF-16 -t UTF-8 "$work/export.reg" 2>&1 | tr -d '\r' | grep -v '^Windows Registry\|^$' || true)
  expected=$(printf '%s\n' "[HKEY_CURRENT_USER\\Software\\Classes\\.vlm]" '@="Vellum File"' \
    "[HKEY_CURRENT_USER\\Software\\Classes\\.vlm\\DefaultIcon]" "@=\"${icon//\\/\\\\}\"" \
    "[HKEY_CURRENT_USER\\Software\\Classes\\.vlm\\Shell]" \
    "[HKEY_CURRENT_USER\\Software\\Classes\\.vlm\\Shell\\Open]" '@="Edit"' \
    "[HKEY_CURRENT_USER\\Software\\Classes\\.vlm\\Shell\\Open\\Command]" \
    "@=\"$(printf '%s' "$command" | sed 's/\\/\\\\/g; s/"/\\"/g')\"")
  if [ "$found" != "$expected" ]; then
    echo "FAIL for '$program':"; diff <(echo "$expected") <(echo "$found") || true
    failures=$((failures + 1))
  fi
done

# reg query lists the four values.
"$wine" reg query "$key" /s | tr -d '\r' | grep -c 'REG_SZ' | grep -qx 4 ||
  { echo "FAIL: reg query does not list four values"; failures=$((failures + 1)); }
[ "$failures" = 0 ] && echo "the association entries are in place for ${#cases[@]} editors"
exit $((failures > 0))
