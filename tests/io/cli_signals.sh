#!/usr/bin/env bash
# A batch compile killed by SIGINT, SIGTERM or SIGHUP at random moments ends
# by that signal (status 128 + its number), leaves no staging file, and each
# output is as it was (absent or old) or complete and byte-identical to an
# uninterrupted run's.
set -u -m # -m: each run is a job of its own, where SIGINT is not ignored
CLI=$(realpath "$1")
export SOURCE_DATE_EPOCH=1796595330
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# tmpfs where there is one: replacing files flushes them, which takes seconds
# on a busy disk.
base=/dev/shm
[ -d $base ] && [ -w $base ] || base=${TMPDIR:-/tmp}
top=$(mktemp -d "$base/vellum-signals.XXXXXX")
# Only this shell cleans up: not a child that a signal reaches before its exec.
trap '[ $BASHPID = $$ ] && rm -rf "$top"' EXIT
cd "$top" || exit 1

inputs=6000
mkdir in full old
for ((i = 1; i <= inputs; i++)); do
    printf 'string %d\r\nof the batch\r\n' $i > in/s$i.txt
    # Every third output exists beforehand, with content no compile gives.
    [ $((i % 3)) = 1 ] && echo "old $i" > old/s$i.85s
done
"$CLI" compile -o full/ in/*.txt || { echo "FAIL: the uninterrupted batch"; exit 1; }
# How long a run over the old outputs takes, renames at its end included.
cp -r old out
start=$(date +%s%N)
"$CLI" compile -o out/ in/*.txt || fail "the uninterrupted batch over old outputs"
took=$((($(date +%s%N) - start) / 1000000))
(cd full && md5sum -- *) > full.md5
(cd old && md5sum -- *) > old.md5

# Each output of out/ is old or new, no old one is lost, no hidden file stays.
check_outputs() { # what, whether every output must be new
    local left
    left=$(find . -name '.*' ! -name . | head -3 | tr '\n' ' ')
    [ -z "$left" ] || fail "$1: staging files left: $left"
    (cd out && md5sum -- *) 2> /dev/null | awk -v what="$1" -v complete="$2" '
        FILENAME == "full.md5" { full[$2] = $1; next }
        FILENAME == "old.md5" { old[$2] = $1; next }
        { seen[$2] = 1 }
        $1 != full[$2] && (complete || $1 != old[$2]) { print "FAIL: " what ": " $2 " is neither old nor new" }
        END { for (name in old) if (!(name in seen)) print "FAIL: " what ": old " name " lost" }
    ' full.md5 old.md5 - > bad.txt
    [ -s bad.txt ] && head -3 bad.txt && failures=$((failures + 1))
}

killed=0
rounds=0
for signal in INT TERM HUP INT TERM HUP INT TERM HUP INT TERM HUP; do
    rm -rf out && cp -r old out
    delay=$((RANDOM % (took * 9 / 10 + 1)))
    "$CLI" compile -o out/ in/*.txt 2> /dev/null &
    pid=$!
    # The moments count from the program's start, not from the fork.
    while [ "$(readlink /proc/$pid/exe)" != "$CLI" ] && kill -0 $pid 2> /dev/null; do :; done
    sleep "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
    kill -s $signal $pid 2> /dev/null
    wait $pid
    status=$?
    rounds=$((rounds + 1))
    if [ $status = $((128 + $(kill -l $signal))) ]; then
        killed=$((killed + 1))
        check_outputs "SIG$signal after $delay ms" 0
    elif [ $status = 0 ]; then
        check_outputs "finished before SIG$signal" 1
    else
        fail "SIG$signal after $delay ms: exit $status, expected $((128 + $(kill -l $signal)))"
    fi
done
# Random moments, but most must fall inside the run.
[ $killed -ge $((rounds / 2)) ] || fail "only $killed of $rounds runs were killed"

# A signal ignored from the start (nohup, `&` in a script) stays ignored.
rm -rf out && cp -r old out
trap '' HUP
"$CLI" compile -o out/ in/*.txt 2> err.txt &
pid=$!
trap - HUP
sleep 0.05
kill -s HUP $pid 2> /dev/null
wait $pid
expect=$?
[ $expect = 0 ] || fail "an ignored SIGHUP ended the batch (exit $expect): $(head -2 err.txt)"
check_outputs "ignored SIGHUP" 1

echo "$killed of $rounds runs killed; batch of $inputs inputs takes $took ms"
[ $failures = 0 ] && echo "all cases passed"
exit $((failures > 0))
