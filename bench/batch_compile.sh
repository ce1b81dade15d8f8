#!/usr/bin/env bash
# Batch speed of vellum-cli compile: 400 small documents in one process,
# against Debian's libtifiles writing the same strings (tifiles_writer.c,
# built here) and against cp of the same files. Prints the best of several
# runs for each and the two ratios.
# Usage: bench/batch_compile.sh BUILD_DIR [FOLDER_ON_THE_DISK_TO_MEASURE]
set -eu
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${2:-/tmp}/vellum-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT
count=400
runs=11

cc -O2 -o "$work/tifiles_writer" "$here/tifiles_writer.c" \
    $(pkg-config --cflags --libs tifiles2 glib-2.0) -Wno-deprecated-declarations
mkdir "$work/in"
for i in $(seq -w $count); do
    printf 'Note %s\r\nA few lines from the calculator,\r\nas notes are.\r\n' "$i" \
        > "$work/in/note$i.txt"
done

# Wall time in microseconds of one run of the command into a fresh, empty
# output folder.
timed() {
    rm -rf "$work/out" && mkdir "$work/out"
    local start=$(date +%s%N)
    "$@" > /dev/null
    echo $((($(date +%s%N) - start) / 1000))
}

# The three take turns, so that a busy machine slows all of them alike; the
# best run of each counts.
cd "$work/in"
vellum_us= tifiles_us= cp_us=
for _ in $(seq $runs); do
    t=$(timed "$build/cli/vellum-cli" compile -o "$work/out" note*.txt)
    [ "$(ls "$work/out" | wc -l)" = $count ]
    [ -z "$vellum_us" ] || [ $t -lt $vellum_us ] && vellum_us=$t
    t=$(timed "$work/tifiles_writer" "$work/out" note*.txt)
    [ -z "$tifiles_us" ] || [ $t -lt $tifiles_us ] && tifiles_us=$t
    t=$(timed cp note*.txt "$work/out")
    [ -z "$cp_us" ] || [ $t -lt $cp_us ] && cp_us=$t
done

# Compiling over the files of an earlier run: each replaces a file that
# exists, so the batch flushes them before the renames (cp overwrites in
# place and flushes nothing).
again_us= cp_again_us=
rm -rf "$work/out" && mkdir "$work/out" && "$build/cli/vellum-cli" compile -o "$work/out" note*.txt
for _ in $(seq $runs); do
    start=$(date +%s%N)
    "$build/cli/vellum-cli" compile -o "$work/out" note*.txt
    t=$((($(date +%s%N) - start) / 1000))
    [ -z "$again_us" ] || [ $t -lt $again_us ] && again_us=$t
    start=$(date +%s%N)
    cp note*.txt "$work/out"
    t=$((($(date +%s%N) - start) / 1000))
    [ -z "$cp_again_us" ] || [ $t -lt $cp_again_us ] && cp_again_us=$t
done

echo "$count documents, best of $runs runs, on $(df --output=fstype "$work" | tail -1):"
echo "  vellum-cli compile   $vellum_us us"
echo "  libtifiles           $tifiles_us us"
echo "  cp                   $cp_us us"
echo "  over existing files: vellum-cli $again_us us, cp $cp_again_us us"
awk -v v=$vellum_us -v t=$tifiles_us -v c=$cp_us 'BEGIN {
    printf "  vellum / libtifiles %.2f (bar: at most 1)\n", v / t
    printf "  vellum / cp         %.2f (bar: at most 1.5)\n", v / c
}'
