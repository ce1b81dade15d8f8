#!/usr/bin/env bash
# The executable holds exactly two icon groups: number 1 the program's icon,
# number 2 the document's, each with the 16 x 16 and 32 x 32 images.
# Usage: icon_resources.sh EXE PROGRAM.ico DOCUMENT.ico
set -euo pipefail
exe=$1 program=$2 document=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

groups=$(wrestool -l --type=group_icon "$exe" | sed -n 's/.*--name=\([^ ]*\) .*/\1/p' | tr '\n' ' ')
[ "$groups" = "1 2 " ] || { echo "icon groups: '$groups', expected '1 2 '"; exit 1; }

images() { # the images of an .ico file, one PNG each, named by their order and size
  mkdir -p "$work/$2"
  icotool -x -o "$work/$2" "$1"
  (cd "$work/$2" && for f in *.png; do mv "$f" "${f#*_}"; done && ls)
}
for group in 1:"$program" 2:"$document"; do
  wrestool -x --type=group_icon --name="${group%%:*}" "$exe" >"$work/group.ico"
  [ "$(images "$work/group.ico" found)" = "$(printf '1_16x16x32.png\n2_32x32x32.png')" ] ||
    { echo "group ${group%%:*}: not a 16 x 16 and a 32 x 32 image"; exit 1; }
  images "${group#*:}" expected >/dev/null
  diff -r "$work/found" "$work/expected" || { echo "group ${group%%:*} is not ${group#*:}"; exit 1; }
  rm -rf "$work/found" "$work/expected"
done
cmp -s "$program" "$document" && { echo "the two icons are the same image"; exit 1; }
echo "icon groups 1 (program) and 2 (document) in order"
