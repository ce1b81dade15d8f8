#!/usr/bin/env bash
# vellum-cli.exe under wine writes the same bytes as the Linux vellum-cli for
# the same inputs, compiling and decompiling, over files that are already
# there, through paths with backslashes, spaces and letters outside ASCII.
# Usage: same_files.sh WINE WINDOWS-CLI LINUX-CLI
set -euo pipefail
wine=$1 windows_cli=$2 linux_cli=$3
export LC_ALL=C.UTF-8 WINEDEBUG=-all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# wine's drive Z: is the root of the file system.
backslashed() { printf 'Z:%s' "$1" | tr / '\\'; }
slashed() { printf 'Z:%s' "$1"; }
long() { head -c "$1" /dev/zero | tr '\0' "$2"; }

# label | input file | SOURCE_DATE_EPOCH | input bytes (printf format)
cases=(
  "crlf|crlf.txt|0|Line one\r\nLine two\r\n"
  "lone-lf|lone lf.txt|2147483648|a\nb\rc\n\n"
  "eof-byte|Ωmega.txt|32503680000|A\x1aB\x1a"
  "high-bytes|élève.txt|253402300799|\x80\x9f\xe9\xfe\xff"
  "utf8|ÿ utf8.txt|951782400|é θ π → ≤\r\n"
)
for n in 0 1 2 3 4 5 6 7 8; do
  cases+=("name-$n|name $n.vlm|1796595330|$(long "$n" n)\r\nbody\r\n")
done
# With the name and the header: 32,767 bytes in all, then one more (a text
# file's closing line end, had it one, would be no part of the text).
cases+=("at-limit|limit.txt|0|$(long 32691 x)" "over-limit|limit.txt|0|$(long 32692 x)")

failures=0
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

for row in "${cases[@]}"; do
  IFS='|' read -r label input epoch bytes <<<"$row"
  for side in linux windows; do
    mkdir -p "$work/$side/$label/Notes é θ"
    folder="$work/$side/$label/Notes é θ"
    printf "$bytes" >"$folder/$input"
    # Older, longer files at the outputs, which must be replaced whole.
    long 40000 Z >"$folder/out.85s"
    long 40000 Z >"$folder/back.vlm"
  done
  linux="$work/linux/$label/Notes é θ" windows="$work/windows/$label/Notes é θ"

  set +e
  (cd "$linux" && SOURCE_DATE_EPOCH=$epoch "$linux_cli" compile -o out.85s "$input") 2>/dev/null
  linux_status=$?
  SOURCE_DATE_EPOCH=$epoch "$wine" "$windows_cli" compile -o "$(backslashed "$windows/out.85s")" \
    "$(backslashed "$windows/$input")" 2>/dev/null
  windows_status=$?
  set -e
  [ "$linux_status" = "$windows_status" ] ||
    fail "$label: compile exits $linux_status on Linux, $windows_status on Windows"
  cmp -s "$linux/out.85s" "$windows/out.85s" || fail "$label: the .85s files differ"

  if [ "$linux_status" = 0 ]; then
    set +e
    (cd "$linux" && "$linux_cli" decompile -o back.vlm out.85s) 2>/dev/null
    linux_status=$?
    "$wine" "$windows_cli" decompile -o "$(slashed "$windows/back.vlm")" \
      "$(backslashed "$windows/out.85s")" 2>/dev/null
    windows_status=$?
    set -e
    [ "$linux_status$windows_status" = 00 ] ||
      fail "$label: decompile exits $linux_status on Linux, $windows_status on Windows"
    cmp -s "$linux/back.vlm" "$windows/back.vlm" || fail "$label: the decompiled files differ"
    # Standard output is binary too: no LF grows a CR, no 0x1A ends the text.
    "$wine" "$windows_cli" decompile -o - "$(backslashed "$windows/out.85s")" >"$windows/stdout" ||
      fail "$label: decompile -o - fails"
    (cd "$linux" && "$linux_cli" decompile -o - out.85s >stdout)
    cmp -s "$linux/stdout" "$windows/stdout" || fail "$label: the decompiled standard outputs differ"
  fi
  echo "$label: $(stat -c %s "$linux/out.85s") bytes, exit $linux_status"
done

# The limit rows are what they claim to be.
[ "$(stat -c %s "$work/linux/at-limit/Notes é θ/out.85s")" = 32767 ] || fail "at-limit is not 32,767 bytes"
cmp -s "$work/linux/over-limit/Notes é θ/out.85s" <(long 40000 Z) || fail "over-limit replaced the old file"

[ "$failures" = 0 ] && echo "all ${#cases[@]} cases byte-identical"
exit $((failures > 0))
