#!/bin/sh
# Every command, option and environment variable that vellum-cli's help texts
# name appears in its manual page, so that the two cannot drift apart.
# Usage: manual_page.sh VELLUM-CLI PAGE.1
set -eu
cli=$1
page=$2
# The page as words: roff's escaped minus signs and font changes undone.
words=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
missing=0
checked=0

expect() {
  checked=$((checked + 1))
  if ! printf '%s\n' "$words" | grep -qwF -- "$1"; then
    echo "FAIL: the manual page lacks $1 (from $2)" >&2
    missing=$((missing + 1))
  fi
}

# Options: a dash or two and a letter, at the start of a word.
options() {
  grep -oE '(^|[][ ,|])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[][ ,|]//' | sort -u
}
# The first word of each indented line under a heading such as "Commands:".
section() {
  sed -n "/^$1:/,/^\$/p" | awk 'NR > 1 && /^  [^ ]/ { print $1 }'
}

help=$("$cli" --help)
commands=$(printf '%s\n' "$help" | section Commands)
[ -n "$commands" ] || { echo "FAIL: no commands in vellum-cli --help" >&2; exit 1; }
for option in $(printf '%s\n' "$help" | options); do expect "$option" "vellum-cli --help"; done
for command in $commands; do
  expect "$command" "vellum-cli --help"
  text=$("$cli" "$command" --help)
  for option in $(printf '%s\n' "$text" | options); do expect "$option" "vellum-cli $command --help"; done
  for variable in $(printf '%s\n' "$text" | section Environment); do
    expect "$variable" "vellum-cli $command --help"
  done
done

[ "$missing" -eq 0 ] || exit 1
echo "ok: $checked names from the help texts are in the page"
