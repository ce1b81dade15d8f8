#!/usr/bin/env bash
# The real vellum.exe under wine, on the run's display with its window
# manager (windows/display.sh), driven as a user would: the window by its title, text typed, a
# calculator character from the Character Map, the variable name, Compile
# through the Windows save dialog; then a document named on the command line
# in a folder with a space and letters outside ASCII, compiled the same way.
# Each .85s must equal the Linux vellum-cli's for the same text and name but
# for the comment's time and date, and the start must have written the four
# association entries.
#
# Usage: editor_smoke.sh WINE VELLUM.EXE LINUX-VELLUM-CLI [SCREENSHOT.png]
# (WINEPREFIX, WINEPATH, WINEDEBUG and DISPLAY come from the caller.)
set -euo pipefail
wine=$1 exe=$2 linux_cli=$3 screenshot=${4:-}
. "$(dirname "$0")/editor_session.sh"
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
same_as_linux() { # WINDOWS.85s LINUX.85s: equal but for the comment's time
  # Bytes 0-10 are the signature, 11-52 the comment with the time, then the rest.
  cmp -s <(head -c 11 "$1") <(head -c 11 "$2") && cmp -s <(tail -c +54 "$1") <(tail -c +54 "$2") ||
    fail "$1 differs from the Linux vellum-cli's: $(od -An -tx1 "$1" | tr -d '\n')"
}
compile_to() { # FILE: Alt+5, then FILE typed into the Windows save dialog
  local attempt dialog=""
  # A key pressed while wine is still busy with the window may be lost on a
  # loaded machine: press it again, at most three times, while no dialog shows.
  for attempt in 1 2 3; do
    activate "$main" || fail "the main window does not take the keyboard"
    xdotool key alt+5
    dialog=$(FIND_WINDOW_SECONDS=20 find_window "Save String") && break
  done
  [ -n "$dialog" ] || fail "no save dialog after Alt+5, pressed three times"
  activate "$dialog" || true
  sleep 1
  # The file-name box has the focus, preset to the variable name (wine's box
  # takes no Ctrl+A).
  xdotool key End shift+Home
  xdotool type --delay 10 "$(windows_path "$1")"
  xdotool key Return
  for _ in $(seq 100); do [ -s "$1" ] && break; sleep 0.2; done
  [ -s "$1" ] || fail "Compile wrote no $1"
  sleep 1
}

# Calculator byte 0xC8 comes from the map's cell for code 200: row 6,
# column 7 of 12 x 9-pixel cells.
text=$'Hello TI\r\nline 2'
"$wine" "$exe" >/dev/null 2>&1 &
editor=$!
main=$(find_window "TI-85 'Scrollet' Text Editor") || fail "no main window"
activate "$main" || fail "the main window does not take the keyboard"
sleep 1
xdotool type --delay 30 "Hello TI"
xdotool key Return
xdotool type --delay 30 "line 2"

# The Character Map button (319, 205, 97 x 19 in the client area).
# Clicked again, at most three times, while no map shows: a loaded machine
# may lose a click as it loses a key.
map=""
for attempt in 1 2 3; do
  activate "$main" || fail "the main window does not take the keyboard"
  xdotool mousemove --window "$main" 367 214 click 1
  map=$(FIND_WINDOW_SECONDS=20 find_window "Character Map") && break
done
[ -n "$map" ] || fail "the Character Map did not open, clicked three times"
sleep 1
# Wine draws a tool window's small caption and border itself, inside the X
# window: the client area (381 x 70) lies at the bottom, between the borders.
eval "$(xdotool getwindowgeometry --shell "$map")"
border=$(((WIDTH - 381) / 2))
caption=$((HEIGHT - 70 - border))
xdotool mousemove --window "$map" $((border + 12 * 7 + 6)) $((caption + 9 * 6 + 4)) click 1
sleep 0.5
[ -n "$screenshot" ] && import -window root "$screenshot"
activate "$map" || fail "the Character Map does not take the keyboard"
xdotool key Escape

activate "$main" || fail "the main window does not take the keyboard back"
xdotool key alt+v ctrl+a
xdotool type --delay 30 "smoke"
compile_to "$work/smoke.85s"

# The same text and name through the Linux command-line tool.
printf '%s\xc8' "$text" >"$work/smoke.txt"
"$linux_cli" compile --encoding ti85 --name smoke -o "$work/linux.85s" "$work/smoke.txt" >/dev/null
same_as_linux "$work/smoke.85s" "$work/linux.85s"
end_program "$editor" "$editor_title"
editor=""

# A document named on the command line, in a folder with a space and letters
# outside ASCII: the editor opens it as the shell's Open command would.
mkdir -p "$work/Notes Élève"
printf 'cheat\r\nsin θ → x\r\n' >"$work/Notes Élève/cheat sheet.vlm"
"$wine" "$exe" "$(windows_path "$work/Notes Élève/cheat sheet.vlm")" >/dev/null 2>&1 &
editor=$!
main=$(find_window "TI-85 'Scrollet' Text Editor") || fail "no main window for the command line"
compile_to "$work/cheat.85s"
"$linux_cli" compile -o "$work/cheat-linux.85s" "$work/Notes Élève/cheat sheet.vlm" >/dev/null
same_as_linux "$work/cheat.85s" "$work/cheat-linux.85s"

# The four association entries of the start.
entries=$("$wine" reg query 'HKCU\Software\Classes\.vlm' /s | tr -d '\r')
[ "$(grep -c REG_SZ <<<"$entries")" = 4 ] || fail "not four association entries: $entries"
grep -q "$(basename "$exe") %1" <<<"$entries" || fail "no open command naming the editor: $entries"
echo "vellum.exe compiled a typed text and a document from its command line as the Linux vellum-cli does; entries:"
grep REG_SZ <<<"$entries"
