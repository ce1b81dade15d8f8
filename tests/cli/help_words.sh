# Reads names out of vellum-cli's help texts on standard input; sourced by
# the tests that hold the manual page and the completion to the help.

# Options: a dash or two and a letter, at the start of a word.
help_options() {
  grep -oE '(^|[][ ,|])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[][ ,|]//' | sort -u
}

# The first word of each indented line under a heading such as "Commands:".
help_section() {
  sed -n "/^$1:/,/^\$/p" | awk 'NR > 1 && /^  [^ ]/ { print $1 }'
}
