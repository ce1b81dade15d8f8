#!/usr/bin/env bash
# vellum-cli against the file system's hard cases: standard streams, full
# devices, FIFOs, huge and special inputs, kept permissions and attributes,
# size limits, concurrent writers, long and strange paths, read-only folders.
# Every case checks the exit status and that an old file survives failures.
# Device targets are made only inside a private mount namespace.
set -u
CLI=$(realpath "$1")
export SOURCE_DATE_EPOCH=1796595330
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
skip() { echo "SKIP: $*"; }
expect_status() { # expected, actual, what
    [ "$1" = "$2" ] || fail "$3: exit $2, expected $1"
}
top=$(mktemp -d /tmp/vellum-io.XXXXXX)
trap 'chmod -R u+w "$top" 2>/dev/null; rm -rf "$top"' EXIT
cd "$top" || exit 1
printf 'hello\r\nworld\r\n' > a.txt
"$CLI" compile a.txt || fail "plain compile"
cp a.85s expected.85s

# Standard output and input.
"$CLI" compile -o - a.txt > out.85s
expect_status 0 $? "-o -"
cmp -s out.85s expected.85s || fail "-o - gives other bytes than a file"
"$CLI" compile -o - a.txt > /dev/full 2> err.txt
expect_status 1 $? "> /dev/full"
grep -q "No space left on device" err.txt || fail "/dev/full not named: $(cat err.txt)"
"$CLI" compile -o - a.txt a.txt > /dev/null 2>&1
expect_status 2 $? "-o - with two inputs"
printf 'hello\r\nworld' | "$CLI" compile --name a - > in.85s
expect_status 0 $? "- as input"
cmp -s in.85s expected.85s || fail "- as input gives other bytes"
"$CLI" decompile -o - a.85s | cmp -s - a.txt || fail "decompile -o -"
"$CLI" decompile -o /dev/stdout a.85s > via-link.txt && [ -f via-link.txt ] && cmp -s via-link.txt a.txt ||
    fail "decompile -o /dev/stdout"
# A batch knows its standard streams from the start: an output that standard
# output is appended to, met after other outputs, is written as that stream.
mkdir batch && cp a.txt batch-a.txt && cp a.txt batch-b.txt && printf 'log\n' > batch/batch-b.85s
inode=$(stat -c %i batch/batch-b.85s)
"$CLI" compile --name a -o batch batch-a.txt batch-b.txt >> batch/batch-b.85s
expect_status 0 $? "compile -o FOLDER >> one of its outputs"
{ printf 'log\n'; cat expected.85s; } | cmp -s - batch/batch-b.85s &&
    [ "$(stat -c %i batch/batch-b.85s)" = "$inode" ] && cmp -s batch/batch-a.85s expected.85s ||
    fail "a batch replaced the file its standard output is appended to"

# Inputs that are not regular files, or too large: refused at once.
mkfifo fifo.txt
start=$(date +%s%N)
timeout 5 "$CLI" compile fifo.txt 2> err.txt
status=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
expect_status 1 $status "FIFO input"
[ $elapsed -lt 1000 ] || fail "FIFO input took ${elapsed} ms"
grep -q "not a regular file" err.txt || fail "FIFO input reason: $(cat err.txt)"
truncate -s 1T huge.txt
timeout 5 "$CLI" compile huge.txt a.txt 2> err.txt
expect_status 1 $? "1 TB input"
grep -q "huge.txt: .*too large" err.txt || fail "1 TB input reason: $(cat err.txt)"
cmp -s a.85s expected.85s || fail "the batch's other input was not compiled"
ln -s /dev/zero zero.txt
timeout 5 "$CLI" compile zero.txt 2>/dev/null
expect_status 1 $? "link to /dev/zero"
timeout 5 "$CLI" check fifo.txt > /dev/null
expect_status 1 $? "check of a FIFO"

# A failed compile keeps the old file; permissions are kept on success.
cp expected.85s keep.85s
chmod 600 keep.85s
printf '%*s' 40000 '' | tr ' ' x > keep.txt
"$CLI" compile keep.txt 2> /dev/null
expect_status 1 $? "over-long text"
cmp -s keep.85s expected.85s || fail "a failed compile changed the old file"
printf 'short\r\n' > keep.txt
"$CLI" compile keep.txt && [ "$(stat -c %a keep.85s)" = 600 ] || fail "0600 not kept"
chmod 444 keep.85s # root may write it; anyone else is refused, as an open would be
if [ "$(id -u)" = 0 ]; then
    "$CLI" compile keep.txt && [ "$(stat -c %a keep.85s)" = 444 ] || fail "0444 not kept"
else
    "$CLI" compile keep.txt 2>&1 | grep -q "Permission denied" || fail "0444 file written"
fi

# ACLs and extended attributes, where the file system has them.
attrs=$(mktemp -d /work/.vellum-io-attrs.XXXXXX 2>/dev/null || mktemp -d)
cp expected.85s "$attrs/a.85s" && cp a.txt "$attrs/a.txt"
if setfattr -n user.origin -v calculator "$attrs/a.85s" 2>/dev/null &&
    setfacl -m u:nobody:r "$attrs/a.85s" 2>/dev/null; then
    acl_before=$(getfacl -c "$attrs/a.85s" 2>/dev/null)
    "$CLI" compile "$attrs/a.txt" || fail "compile with attributes"
    [ "$(getfattr --only-values -n user.origin "$attrs/a.85s" 2>/dev/null)" = calculator ] ||
        fail "extended attribute lost"
    [ "$(getfacl -c "$attrs/a.85s" 2>/dev/null)" = "$acl_before" ] || fail "ACL lost"
    cp a.txt "$attrs/b.vlm" && setfattr -n user.origin -v notes "$attrs/b.vlm"
    "$CLI" decompile -o "$attrs/b.vlm" expected.85s || fail "decompile with attributes"
    [ "$(getfattr --only-values -n user.origin "$attrs/b.vlm" 2>/dev/null)" = notes ] ||
        fail "extended attribute lost by decompile"
else
    skip "no ACLs or extended attributes on $(df --output=fstype "$attrs" | tail -1)"
fi
rm -rf "$attrs"

# A file-size limit: the write fails, nothing is killed, the old file stays.
cp expected.85s limit.85s
printf '%*s' 3000 '' | tr ' ' y > limit.txt
(ulimit -f 1 && exec "$CLI" compile limit.txt) 2> err.txt
expect_status 1 $? "ulimit -f"
grep -q "File too large" err.txt || fail "ulimit -f reason: $(cat err.txt)"
cmp -s limit.85s expected.85s || fail "ulimit -f changed the old file"

# Two compiles to one target at once leave one complete file.
printf 'first\r\n' > one.txt
printf 'the second text\r\n' > two.txt
"$CLI" compile -o one.85s one.txt && "$CLI" compile -o two.85s two.txt
bad=0
for round in $(seq 100); do
    "$CLI" compile -o race.85s one.txt & "$CLI" compile -o race.85s two.txt & wait
    cmp -s race.85s one.85s || cmp -s race.85s two.85s || bad=$((bad + 1))
done
[ $bad = 0 ] || fail "$bad of 100 concurrent rounds left an invalid file"

# Paths: relative, spaces, newline, leading dash, non-UTF-8, links.
name255=$(printf '%*s' 251 '' | tr ' ' n)
for name in "with space" $'new\nline' "-dash" $'\xff\xfe' "$name255"; do
    cp -- a.txt "$name.txt"
    "$CLI" compile --name a -- "$name.txt" && cmp -s -- "$name.85s" expected.85s ||
        fail "path $(printf %q "$name")"
    [ "$(ls -A | wc -l)" -lt 100 ] || fail "staging files left"
done
ln -s nowhere.85s dangling.85s
"$CLI" compile -o dangling.85s a.txt && [ -L dangling.85s ] && cmp -s nowhere.85s expected.85s ||
    fail "dangling link not written through"
ln -s loop.85s loop.85s
"$CLI" compile -o loop.85s a.txt 2> err.txt
expect_status 1 $? "looping link"
mkdir folder.85s
"$CLI" compile -o folder.85s a.txt 2> /dev/null
expect_status 1 $? "folder target"
ls -A | grep -q '^\.' && fail "staging files left: $(ls -A | grep '^\.')"

# A target path of 4,094 bytes.
long=$top
while [ ${#long} -lt 3800 ]; do long=$long/$(printf '%*s' 200 '' | tr ' ' d); done
mkdir -p "$long"
target=$long/$(printf '%*s' $((4094 - ${#long} - 1 - 4)) '' | tr ' ' t).85s
[ ${#target} = 4094 ] || fail "test set-up: path of ${#target} bytes"
cp expected.85s "$target"
"$CLI" compile -o "$target" one.txt && cmp -s "$target" one.85s || fail "4,094-byte path"

# A read-only folder, as a user who may not write to it, with no cache folder
# for a copy of the old content: nothing is written.
if command -v setpriv > /dev/null && [ "$(id -u)" = 0 ]; then
    ro=$top/ro && mkdir "$ro" && cp expected.85s a.txt "$ro/" && chmod 666 "$ro/expected.85s"
    chmod 755 "$top" "$ro"
    cp "$CLI" "$top/cli" && chmod 755 "$top/cli"
    (cd "$ro" && HOME=/nonexistent XDG_CACHE_HOME= setpriv --reuid=nobody --regid=nogroup \
        --clear-groups "$top/cli" compile -o expected.85s a.txt 2> "$top/err.txt")
    expect_status 1 $? "read-only folder"
    grep -q "Permission denied" err.txt || fail "read-only folder reason: $(cat err.txt)"
    cmp -s "$ro/expected.85s" expected.85s || fail "read-only folder: old file changed"

    # The owner's set-id bits outlive the write, which clears them for
    # anyone without the privilege: replaced, and written in place.
    setid=$top/setid && mkdir "$setid" && cp a.txt expected.85s "$setid/" && ln "$setid/expected.85s" "$setid/link"
    chown -R nobody:nogroup "$setid" && chmod 6755 "$setid/expected.85s" && cp -p "$setid/expected.85s" "$setid/alone.85s"
    for out in alone.85s expected.85s; do
        (cd "$setid" && setpriv --reuid=nobody --regid=nogroup --clear-groups "$top/cli" compile -o $out a.txt)
        expect_status 0 $? "set-id file $out"
        [ "$(stat -c %a "$setid/$out")" = 6755 ] || fail "set-id file $out: mode $(stat -c %a "$setid/$out")"
    done
else
    skip "read-only folder: needs root to switch to another user"
fi

# Devices and FIFOs are written in place, never replaced (private /dev).
if unshare -m --propagation private true 2>/dev/null; then
    unshare -m --propagation private bash -c '
        set -u
        mount -t tmpfs -o size=1m tmpfs /dev || exit 3
        mknod -m 666 /dev/null c 1 3 && mknod -m 666 /dev/full c 1 7 && mkfifo /dev/pipe
        "$1" decompile -o /dev/null a.85s || echo "FAIL: decompile -o /dev/null"
        [ -c /dev/null ] || echo "FAIL: /dev/null replaced"
        "$1" compile -o /dev/null a.txt && [ -c /dev/null ] || echo "FAIL: compile -o /dev/null"
        "$1" compile -o /dev/full a.txt 2>/dev/null && echo "FAIL: /dev/full target"
        [ -c /dev/full ] || echo "FAIL: /dev/full replaced"
        timeout 10 cat /dev/pipe > piped.85s & reader=$!
        timeout 10 "$1" compile -o /dev/pipe a.txt || echo "FAIL: compile -o FIFO"
        wait $reader
        [ -p /dev/pipe ] && cmp -s piped.85s expected.85s || echo "FAIL: FIFO target"
    ' _ "$CLI" > ns.txt 2>&1
    status=$?
    if [ $status = 3 ]; then
        skip "no tmpfs in a private mount namespace"
    else
        grep FAIL ns.txt && failures=$((failures + 1))
    fi
else
    skip "unshare -m is not permitted here"
fi

[ $failures = 0 ] && echo "all cases passed"
exit $((failures > 0))
