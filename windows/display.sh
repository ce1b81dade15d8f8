# Sourced by run.sh, the Windows tests and benchmarks that show real windows
# under wine: a display of their own (Xvfb) with a window manager (openbox),
# and a way to wait for a window by its title. Start it before the wine
# server's first program: wine binds the display its desktop starts on.
#   start_display WORK_DIR   sets DISPLAY; the pids to end are in display_pids
#   find_window TITLE        the first visible window of exactly that title,
#                            waiting up to FIND_WINDOW_SECONDS (60) s
#   end_program PID TITLE    kills it and waits until its window is gone
#   activate WINDOW          raise WINDOW and give it the keyboard, checked:
#                            keys typed on a loaded machine must not go to
#                            the window that had the focus before
#   list_windows             the visible windows' titles and the active one,
#                            for a failure message
display_pids=()

start_display() {
  local file="$1/display"
  exec 3>"$file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  display_pids+=($!)
  exec 3>&-
  for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
  [ -s "$file" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$file")"
  openbox >/dev/null 2>&1 &
  display_pids+=($!)
  # A window mapped before the window manager runs may never be managed.
  for _ in $(seq 100); do xdotool get_num_desktops >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "openbox did not start" >&2
  return 1
}

stop_display() {
  local pid
  for pid in "${display_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}

find_window() {
  # A window closing while xdotool looks at it ends the search with an X
  # error: look again until the time is up.
  local deadline=$((SECONDS + ${FIND_WINDOW_SECONDS:-60})) found
  while [ "$SECONDS" -lt "$deadline" ]; do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.2
  done
  return 1
}

# Ends a program started in the background and waits until no window of the
# title is left, so that the next search cannot find the old window.
end_program() { # PID TITLE
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  local _
  for _ in $(seq 100); do
    [ -z "$(xdotool search --onlyvisible --name "^$2\$" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
}

activate() {
  # Wine may show one title on more than one X window: the keyboard is where
  # it should be when the active window bears the title of the one asked for.
  local _ title
  title=$(xdotool getwindowname "$1" 2>/dev/null) || return 1
  for _ in $(seq 20); do
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1" >/dev/null 2>&1 || true
    [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$title" ] && return 0
    sleep 0.5
  done
  return 1
}

list_windows() {
  local id
  printf 'visible windows:'
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    printf ' "%s"' "$(xdotool getwindowname "$id" 2>/dev/null)"
  done
  printf '; active: "%s"\n' "$(xdotool getactivewindow getwindowname 2>/dev/null)"
}
