#!/usr/bin/env bash
# Sixty `vellum-cli register` runs at once, each naming another editor, in a
# scratch home: every run succeeds and says nothing (the desktop's helper
# programs included), and the store's entries and the desktop entry all name
# one and the same editor.
# Usage: register_concurrent.sh VELLUM-CLI
set -u
cli=$1 runs=60
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home
unset XDG_DATA_HOME XDG_CONFIG_HOME

pids=()
for i in $(seq "$runs"); do
  "$cli" register --program "/opt/editor$i/vellum" 2>"$home/err$i" >/dev/null &
  pids+=($!)
done
failures=0
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || { echo "FAIL: run $((i + 1)) exits $?"; failures=$((failures + 1)); }
done
for i in $(seq "$runs"); do
  [ -s "$home/err$i" ] && { echo "FAIL: run $i says:"; cat "$home/err$i"; failures=$((failures + 1)); }
done

named=$(cat "$home/.local/share/vellum/registry.txt" \
  "$home/.local/share/applications/org.vellum.Vellum.desktop" | grep -o '/opt/editor[0-9]*/' | sort | uniq -c)
echo "editors named (count, editor):"
echo "$named"
# DefaultIcon, Command and the desktop entry's two Exec lines.
[ "$(echo "$named" | wc -l)" = 1 ] && [ "$(echo "$named" | awk '{print $1}')" = 4 ] ||
  { echo "FAIL: the entries do not name one editor"; failures=$((failures + 1)); }
[ "$failures" = 0 ] && echo "$runs runs at once leave one editor's association"
exit $((failures > 0))
