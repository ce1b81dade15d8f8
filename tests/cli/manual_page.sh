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

. "$(dirname "$0")/help_words.sh"

help=$("$cli" --help)
commands=$(printf '%s\n' "$help" | help_section Commands)
[ -n "$commands" ] || { echo "FAIL: no commands in vellum-cli --help" >&2; exit 1; }
for option in $(printf '%s\n' "$help" | help_options); do expect "$option" "vellum-cli --help"; done
for command in $commands; do
  expect "$command" "vellum-cli --help"
  text=$("$cli" "$command" --help)
  for option in $(printf '%s\n' "$text" | help_options); do expect "$option" "vellum-cli $command --help"; done
  for variable in $(printf '%s\n' "$text" | help_section Environment); do
    expect "$variable" "vellum-cli $command --help"
  done
done

[ "$missing" -eq 0 ] || exit 1
echo "ok: $checked names from the help texts are in the page"
