#!/usr/bin/env bash
# Start-up time of the editor to its shown window, against a bare Qt window
# of the same size, in one run on this machine.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]
#
# Runs under a real X server (Xvfb with openbox, so that showing means
# mapping and painting), alternating the programs RUNS times (default 21),
# with the user's folders in a scratch place. Reports medians in milliseconds:
#   bare      an empty QWidget of the editor's size
#   editor    the editor with no file, its desktop association already in place
#   document  the editor opening a small .vlm named on its command line
#   first     the editor's very first start, which also writes the desktop
#             files and rebuilds the desktop databases (one run each)
# and the ratios of editor and document to bare.
#
# Given a Windows build (./run.sh windows), it runs the .exe probes under wine
# in a prefix of its own, with the Qt for Windows that build used; "first"
# then means the start that writes the association to the registry.
set -eu
build=${1:-build}
runs=${2:-21}
probes="$build/bench/startup"
exe="" run=""
if [ -f "$probes/vellum-startup-probe.exe" ]; then exe=.exe run=wine; fi
for probe in vellum-startup-probe bare-window-probe; do
  [ -f "$probes/$probe$exe" ] || { echo "build $probes/$probe$exe first (cmake --build $build)" >&2; exit 1; }
done
probes=$(cd "$probes" && pwd -P)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
document="$work/notes.vlm"
forget_association="rm -rf '$work/data' '$work/config'"
# A display with a window manager, started before wine, whose desktop binds
# the display it first meets.
. "$(dirname "$0")/../windows/display.sh"
start_display "$work"
trap 'stop_display; rm -rf "$work"' EXIT
if [ -n "$run" ]; then
  . "$(dirname "$0")/../windows/wine-env.sh"
  wine_start "$(sed -n 's|^Qt6_DIR:PATH=\(.*\)/lib/cmake/Qt6$|\1|p' "$build/CMakeCache.txt")"
  trap 'wine_stop; stop_display; rm -rf "$work"' EXIT
  document=$(winepath -w "$document")
  forget_association="wine reg delete 'HKCU\\Software\\Classes\\.vlm' /f >/dev/null 2>&1 || true"
fi
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM || true
printf 'notes\r\nA short text\r\nof three\r\nlines\r\n' >"$work/notes.vlm"

cat >"$work/measure.sh" <<'INNER'
#!/bin/sh
# One timing in microseconds: from just before the start to the shown window.
set -eu
t0=$(date +%s%N)
out=$("$@")
t1=${out##*shown_ns }
echo $(((t1 - t0) / 1000))
INNER
chmod +x "$work/measure.sh"

cat >"$work/runs.sh" <<INNER
#!/bin/sh
set -eu
m="$work/measure.sh"
# The very first start, with nothing in place yet; then warm-up runs.
for i in 1 2 3; do
  $forget_association
  echo "first \$("\$m" $run "$probes/vellum-startup-probe$exe")"
done
"\$m" $run "$probes/bare-window-probe$exe" >/dev/null
"\$m" $run "$probes/vellum-startup-probe$exe" >/dev/null
i=0
while [ \$i -lt $runs ]; do
  echo "bare \$("\$m" $run "$probes/bare-window-probe$exe")"
  echo "editor \$("\$m" $run "$probes/vellum-startup-probe$exe")"
  echo "document \$("\$m" $run "$probes/vellum-startup-probe$exe" '$document')"
  i=\$((i + 1))
done
INNER
chmod +x "$work/runs.sh"

"$work/runs.sh" >"$work/times" 2>"$work/stderr" || {
  cat "$work/stderr" >&2
  exit 1
}

median() {
  grep "^$1 " "$work/times" | awk '{ print $2 }' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
bare=$(median bare)
editor=$(median editor)
document=$(median document)
first=$(median first)
echo "start-up to the shown window, median of $runs runs (first start: median of 3), on $(nproc) cores:"
awk -v b="$bare" -v e="$editor" -v d="$document" -v f="$first" 'BEGIN {
  printf "  bare Qt window        %7.1f ms\n", b / 1000
  printf "  editor, no file       %7.1f ms   ratio %.2f\n", e / 1000, e / b
  printf "  editor, a .vlm file   %7.1f ms   ratio %.2f\n", d / 1000, d / b
  printf "  editor, first start   %7.1f ms   ratio %.2f\n", f / 1000, f / b
}'
