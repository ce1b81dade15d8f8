#!/usr/bin/env bash
# vellum-cli's bash completion in a non-interactive bash: it is registered for
# vellum-cli, and each command line below completes to exactly the words given.
# Usage: bash_completion.sh COMPLETION-SCRIPT
set -u
export LC_ALL=C
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir notes
touch a.85s B.85S c.txt d.vlm E.TXT f.png notes/g.85s notes/h.txt

# shellcheck source=/dev/null
source "$script"
registered=$(complete -p vellum-cli)
if [ "$registered" != "complete -F _vellum_cli vellum-cli" ]; then
  echo "FAIL: complete -p vellum-cli says: $registered" >&2
  exit 1
fi

# The words typed so far ("|" is the cursor, at the end) and the completions.
cases=(
  "vellum-cli |                          = check compile decompile register"
  "vellum-cli de|                        = decompile"
  "vellum-cli -|                         = --help --version"
  "vellum-cli compile -|                 = --encoding --help --name --output -h -n -o"
  "vellum-cli decompile --|              = --encoding --help --lenient --output"
  "vellum-cli check -|                   = --help -h"
  "vellum-cli register -|                = --help --program -h"
  "vellum-cli compile |                  = E.TXT c.txt d.vlm notes"
  "vellum-cli compile a.txt |            = E.TXT c.txt d.vlm notes"
  "vellum-cli decompile |                = B.85S a.85s notes"
  "vellum-cli check a.85s |              = B.85S a.85s notes"
  "vellum-cli check notes/|              = notes/g.85s"
  "vellum-cli compile notes/|            = notes/h.txt"
  "vellum-cli compile --encoding |       = auto ti85 utf-8"
  "vellum-cli decompile --encoding u|    = utf-8"
  "vellum-cli compile -o |               = B.85S a.85s notes"
  "vellum-cli decompile a.85s -o |       = E.TXT c.txt d.vlm notes"
  "vellum-cli compile --name |           ="
  "vellum-cli register --program notes/| = notes/g.85s notes/h.txt"
  "vellum-cli frobnicate |               ="
)

failures=0
for case in "${cases[@]}"; do
  line=${case%%|*}
  expected=$(echo "${case#*=}" | xargs)
  read -r -a COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _vellum_cli
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
  if [ "$got" != "$expected" ]; then
    echo "FAIL: \"$line\" completes to \"$got\", expected \"$expected\"" >&2
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] || exit 1
echo "ok: ${#cases[@]} command lines"
