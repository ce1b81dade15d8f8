# Sourced by the Windows tests that start vellum.exe on the run's display: a
# scratch folder ($work) and an editor process ($editor, when one runs), both
# gone (its window too) when the test ends however it ends;
# windows/display.sh's helpers; and fail, which says what was on the screen. Set screenshot before sourcing to
# keep a picture of a failure.
export LC_ALL=C.UTF-8
work=$(mktemp -d)
editor=""
. "$(dirname "${BASH_SOURCE[0]}")/../../windows/display.sh"
editor_title="TI-85 'Scrollet' Text Editor"
cleanup() {
  # The window goes too before the test ends: the next test must not find it.
  [ -z "$editor" ] || end_program "$editor" "$editor_title"
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  list_windows
  [ -z "${screenshot:-}" ] || import -window root "$screenshot" || true
  exit 1
}
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY: run it with the display the wine server started on"
