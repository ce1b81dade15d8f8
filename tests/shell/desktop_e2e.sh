#!/bin/sh
# Starts the built editor against a scratch desktop (every XDG folder and
# HOME in a temporary folder) and checks what the desktop then knows:
# xdg-mime finds our type for a .vlm file and our entry as its default, the
# TI-85 string type is offered but not taken, desktop-file-validate accepts
# the entry. Then bad command lines and data folders: the editor must start
# each time and leave nothing where it should not write.
set -eu
editor=$(cd "$(dirname "$1")" && pwd -P)/$(basename "$1")
work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

export HOME="$work/home"
export XDG_DATA_HOME="$work/data"
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_DIRS="$work/system-data"
export XDG_CONFIG_DIRS="$work/system-config"
export XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# xdg-mime asks the desktop it detects; we want its generic, file-based answers.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID XDG_SESSION_DESKTOP || true
mkdir -p "$HOME" "$XDG_DATA_DIRS" "$XDG_CONFIG_DIRS" "$work/docs"
mkdir -m 700 "$XDG_RUNTIME_DIR"

doc="$work/docs/My Notes.vlm"
printf 'notes\r\nHello\r\n' >"$doc"
# A TI-85 string file: signature, then the string type byte at offset 59.
str="$work/docs/prog.85s"
{
  printf '**TI85**\032\014\000'
  head -c 48 /dev/zero
  printf '\014\000'
  head -c 20 /dev/zero
} >"$str"

# Runs the editor in the background; its pid goes into $pid and $pids.
start() {
  "$editor" "$@" >"$XDG_RUNTIME_DIR/editor.log" 2>&1 &
  pid=$!
  pids="$pids $pid"
}

# Waits up to 30 seconds for the desktop files of a first start.
wait_for_association() {
  i=0
  while [ $i -lt 300 ]; do
    if [ -f "$XDG_DATA_HOME/mime/mime.cache" ] && [ -f "$XDG_DATA_HOME/applications/mimeinfo.cache" ] &&
      grep -q 'org.vellum.Vellum.desktop' "$XDG_CONFIG_HOME/mimeapps.list" 2>/dev/null; then
      return 0
    fi
    kill -0 "$1" 2>/dev/null || fail "the editor ended during start-up: $(cat "$XDG_RUNTIME_DIR/editor.log")"
    sleep 0.1
    i=$((i + 1))
  done
  fail "no desktop association after 30 s"
}

# --- a first start with a document on the command line
start "$doc"
wait_for_association "$pid"
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the editor did not stay up: $(cat "$XDG_RUNTIME_DIR/editor.log")"
kill "$pid"
wait "$pid" 2>/dev/null || true

type=$(xdg-mime query filetype "$doc")
[ "$type" = "application/x-vellum" ] || fail "xdg-mime query filetype gives '$type'"
default=$(xdg-mime query default application/x-vellum)
[ "$default" = "org.vellum.Vellum.desktop" ] || fail "xdg-mime query default gives '$default'"
type=$(xdg-mime query filetype "$str")
[ "$type" = "application/x-ti85-string" ] || fail "xdg-mime query filetype on a .85s gives '$type'"
if grep -q 'x-ti85-string' "$XDG_CONFIG_HOME/mimeapps.list"; then
  fail "the string type was made ours by default"
fi
grep -q '^MimeType=application/x-vellum;application/x-ti85-string;$' \
  "$XDG_DATA_HOME/applications/org.vellum.Vellum.desktop" || fail "the entry does not list both types"
desktop-file-validate "$XDG_DATA_HOME/applications/org.vellum.Vellum.desktop" ||
  fail "desktop-file-validate refuses the entry"
grep -qxF "@=\"$editor %1\"" "$XDG_DATA_HOME/vellum/registry.txt" || fail "the store lacks the open command"
for icon in apps/org.vellum.Vellum mimetypes/application-x-vellum; do
  for size in 16x16 32x32; do
    [ -s "$XDG_DATA_HOME/icons/hicolor/$size/$icon.png" ] || fail "no $size $icon icon"
  done
  [ -s "$XDG_DATA_HOME/icons/hicolor/scalable/$icon.svg" ] || fail "no scalable $icon icon"
done
echo "ok: association"

# --- bad command lines: each start must come up and stay up
mkdir "$work/docs/folder.vlm"
before=$(find "$work" -path "$work/runtime" -prune -o -printf '%p %T@\n' | sort)
pids_bad=""
for args in "" "TXT" "\"$doc\"" "$doc $str" "$work/docs/missing.vlm" "$work/docs/missing.85s" \
  "$work/docs/folder.vlm"; do
  if [ -z "$args" ]; then start; else start "$args"; fi
  pids_bad="$pids_bad $pid"
done
# Two arguments as the desktop would never pass them, joined into one path.
start "$work/docs/My" "Notes.vlm"
pids_bad="$pids_bad $pid"
sleep 3
for pid in $pids_bad; do
  kill -0 "$pid" 2>/dev/null || fail "the editor did not stay up for a bad command line"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done
after=$(find "$work" -path "$work/runtime" -prune -o -printf '%p %T@\n' | sort)
[ "$before" = "$after" ] || fail "bad command lines changed files: $(printf '%s\n%s\n' "$before" "$after" | sort | uniq -u)"
echo "ok: bad command lines"

# --- data folders that cannot be written: a file in the way, and a place no
# one may create anything in
printf 'in the way' >"$work/blocked"
for data in "$work/blocked" /proc/vellum-nowhere; do
  XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$work/config-ro"
  export XDG_DATA_HOME XDG_CONFIG_HOME
  start "$doc"
  sleep 2
  kill -0 "$pid" 2>/dev/null || fail "the editor did not start with data folder $data"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  [ "$(cat "$work/blocked")" = "in the way" ] || fail "the file in the way was changed"
  [ ! -e "$work/config-ro/mimeapps.list" ] || fail "a default was set without a desktop entry"
done
echo "ok: unwritable data folders"
