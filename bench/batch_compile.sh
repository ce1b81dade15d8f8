#!/usr/bin/env bash
# Batch speed of vellum-cli compile, in one process per batch, against
# Debian's libtifiles writing the same strings (tifiles_writer.c, built here)
# and against cp of the same files.
#
# Two batches: 400 short notes, and 2000 documents of 200 bytes to 32 KB
# (sizes spread evenly on a log scale; one in eight holds a few characters
# outside ASCII, which vellum-cli turns into calculator bytes and the
# reference copies as they are). Each batch runs into an empty folder ("new")
# and over the outputs of its own earlier run ("outputs exist"): there
# vellum-cli replaces every file through a staging file that reaches the disk
# before the rename, while libtifiles and cp overwrite in place and flush
# nothing.
#
# vellum-cli compiles a batch on one thread per processor (at most 8); the
# others use one. The three take turns, so that a busy machine slows all of
# them alike; the best run of each counts. Wall time decides the ratios; the
# CPU time (user + system) is shown beside it, as it says more on a machine
# shared with others.
#
# Usage: bench/batch_compile.sh BUILD_DIR [FOLDER...]
#   FOLDER: where to measure (each on its own file system); by default
#   /dev/shm (tmpfs) and BUILD_DIR's own file system. RUNS=N sets the runs.
#
# A disk that has deleted many files lately makes every new file dear (ext4
# looks past recently freed inodes), and so, for a while, may a fresh ext4
# whose inode tables are still being zeroed in the background. For a steady
# ext4 figure, measure on one of its own in memory, made without lazy
# initialisation:
#   truncate -s 2G /dev/shm/e4.img
#   mkfs.ext4 -q -E lazy_itable_init=0,lazy_journal_init=0 /dev/shm/e4.img
#   mount -o loop /dev/shm/e4.img /mnt/e4   # then: ... BUILD_DIR /dev/shm /mnt/e4
set -eu
build=$(realpath "$1")
shift
here=$(cd "$(dirname "$0")" && pwd)
[ $# -gt 0 ] || set -- /dev/shm "$build"
runs=${RUNS:-7}
tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT

cc -O2 -o "$tools/tifiles_writer" "$here/tifiles_writer.c" \
    $(pkg-config --cflags --libs tifiles2 glib-2.0) -Wno-deprecated-declarations

# 400 notes of three short lines.
makeNotes() {
    mkdir "$1"
    for i in $(seq -w 400); do
        printf 'Note %s\r\nA few lines from the calculator,\r\nas notes are.\r\n' "$i" \
            > "$1/note$i.txt"
    done
}

# 2000 documents of words in CR LF lines, 200 bytes to 32,000 bytes; the same
# on every run (a fixed seed).
makeDocuments() {
    mkdir "$1"
    awk -v count=2000 -v dir="$1" 'BEGIN {
        srand(85)
        n = split("the of calculator string note line a value graph program " \
                  "list matrix and to in is for with on x", plain, " ")
        split("θ π → é ≤ μ Δ ñ", wide, " ")
        for (i = 1; i <= count; i++) {
            size = int(200 * exp(rand() * log(32000 / 200)))
            text = ""; line = ""
            while (length(text) + length(line) < size) {
                word = plain[int(rand() * n) + 1]
                if (i % 8 == 0 && rand() < 0.05) word = wide[int(rand() * 8) + 1]
                if (length(line) + length(word) >= 20 + int(rand() * 50)) {
                    text = text line "\r\n"; line = word
                } else {
                    line = line == "" ? word : line " " word
                }
            }
            file = sprintf("%s/doc%04d.txt", dir, i)
            printf "%s\r\n", text line > file
            close(file)
        }
    }'
}

# Prints "WALL_US CPU_US" of one run of the command.
timed() {
    local TIMEFORMAT='%3U %3S' start end cpu
    cpu=$({
        start=$EPOCHREALTIME
        time "$@" > /dev/null 2> "$work/stderr"
        end=$EPOCHREALTIME
        echo "$start $end" >&3
    } 3> "$work/wall" 2>&1)
    read -r start end < "$work/wall"
    awk -v s=$start -v e=$end -v c="$cpu" 'BEGIN {
        split(c, t, " ")
        printf "%d %d\n", (e - s) * 1e6, (t[1] + t[2]) * 1e6
    }'
}

# The best wall and CPU times so far of each program, by name.
declare -A wall cpu
keepBest() {
    local name=$1 w c
    read -r w c <<< "$2"
    [ -n "${wall[$name]:-}" ] && [ "${wall[$name]}" -le "$w" ] || wall[$name]=$w
    [ -n "${cpu[$name]:-}" ] && [ "${cpu[$name]}" -le "$c" ] || cpu[$name]=$c
}

# One run of each program into its own folder; "new" empties it first.
runEach() {
    local case=$1 count=$2
    local -A command=(
        [vellum]="$build/cli/vellum-cli compile -o $work/vellum"
        [libtifiles]="$tools/tifiles_writer $work/libtifiles"
        [cp]="cp -t $work/cp"
    )
    for name in vellum libtifiles cp; do
        if [ $case = new ]; then
            rm -rf "${work:?}/$name" && mkdir "$work/$name"
        fi
        keepBest $name "$(timed ${command[$name]} "${inputs[@]}")"
        [ "$(ls "$work/$name" | wc -l)" = $count ] || {
            echo "$name wrote $(ls "$work/$name" | wc -l) of $count files:" >&2
            cat "$work/stderr" >&2
            exit 1
        }
    done
}

ms() {
    awk -v us=$1 'BEGIN { printf "%8.1f ms", us / 1000 }'
}

report() {
    local label=$1
    printf '  %-28s' "$label"
    for name in vellum libtifiles cp; do
        printf ' %s (%s)' "$(ms ${wall[$name]})" "$(ms ${cpu[$name]})"
    done
    awk -v v=${wall[vellum]} -v t=${wall[libtifiles]} -v c=${wall[cp]} \
        'BEGIN { printf "   %5.2f  %5.2f\n", v / t, v / c }'
}

for folder in "$@"; do
    work=$(mktemp -d "$folder/vellum-batch.XXXXXX")
    printf '\nOn %s (%s), best of %d runs, %d processors; wall (CPU):\n' \
        "$(df --output=fstype "$work" | tail -1 | tr -d ' ')" "$folder" $runs "$(nproc)"
    printf '  %-28s %-23s %-23s %-23s %s\n' "" "vellum-cli" "libtifiles" "cp" \
        "/libtifiles /cp"
    for batch in notes documents; do
        rm -rf "${work:?}/in"
        if [ $batch = notes ]; then makeNotes "$work/in"; else makeDocuments "$work/in"; fi
        cd "$work/in"
        inputs=(*.txt)
        for case in new exist; do
            wall=() cpu=()
            [ $case = new ] || runEach new ${#inputs[@]} # the outputs to write over
            for _ in $(seq $runs); do
                runEach $case ${#inputs[@]}
            done
            if [ $case = new ]; then
                report "${#inputs[@]} $batch, new"
            else
                report "${#inputs[@]} $batch, outputs exist"
            fi
        done
        cd /
    done
    rm -rf "$work"
done
echo
echo "Bars: vellum-cli / libtifiles at most 1, vellum-cli / cp at most 1.5."
