#!/usr/bin/env bash
# vellum-cli's bash completion in a non-interactive bash: it is registered for
# vellum-cli, each command line below completes to exactly the words given,
# and every command and option of vellum-cli's help texts is offered.
# Usage: bash_completion.sh COMPLETION-SCRIPT VELLUM-CLI
set -u
export LC_ALL=C
script=$(realpath "$1")
cli=$(realpath "$2")
. "$(dirname "$0")/help_words.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir notes
touch a.85s B.85S k.85G c.txt d.vlm E.TXT f.png notes/g.85s notes/h.txt

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
  "vellum-cli compile -|                 = --encoding --group --help --name --output -e -g -h -n -o"
  "vellum-cli decompile --|              = --encoding --help --lenient --output"
  "vellum-cli check -|                   = --help -h"
  "vellum-cli register -|                = --help --program -h -p"
  "vellum-cli compile |                  = E.TXT c.txt d.vlm notes"
  "vellum-cli compile a.txt |            = E.TXT c.txt d.vlm notes"
  "vellum-cli decompile |                = B.85S a.85s k.85G notes"
  "vellum-cli check a.85s |              = B.85S a.85s k.85G notes"
  "vellum-cli compile --group |          = k.85G notes"
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

# The completions of a command line, sorted, on one line.
complete_line() {
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _vellum_cli
  printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}

failures=0
for case in "${cases[@]}"; do
  line=${case%%|*}
  expected=$(echo "${case#*=}" | xargs)
  got=$(complete_line "$line")
  if [ "$got" != "$expected" ]; then
    echo "FAIL: \"$line\" completes to \"$got\", expected \"$expected\"" >&2
    failures=$((failures + 1))
  fi
done

offered() {
  if ! [[ " $(complete_line "$1") " == *" $2 "* ]]; then
    echo "FAIL: \"$1\" does not offer $2 from the help" >&2
    failures=$((failures + 1))
  fi
}
commands=$("$cli" --help | help_section Commands)
[ -n "$commands" ] || { echo "FAIL: no commands in vellum-cli --help" >&2; exit 1; }
for command in $commands; do
  offered "vellum-cli " "$command"
  for option in $("$cli" "$command" --help | help_options); do
    offered "vellum-cli $command -" "$option"
  done
done
[ "$failures" -eq 0 ] || exit 1
echo "ok: ${#cases[@]} command lines, and every command and option of the help"
