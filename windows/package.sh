#!/usr/bin/env bash
# What a Windows user downloads, made from a Windows build with the editor:
#   Vellum-VERSION-windows-x64.zip        unpack anywhere and start vellum.exe
#   Vellum-VERSION-windows-x64-setup.exe  per-user installer (makensis)
#
#   windows/package.sh BUILD_DIR QT_PREFIX OUT_DIR
#
# The zip holds the two programs, the Qt DLLs and the plugins they load, the
# compiler's runtime DLLs, the licence texts and a short README. Prints the
# two files it made.
set -euo pipefail
build=$(cd "$1" && pwd) qt=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/.." && pwd)
target=x86_64-w64-mingw32

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build/CMakeCache.txt" >&2; exit 1; }
name="Vellum-$version-windows-x64"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage="$work/$name"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/licenses/mingw-w64"

built() { # the one file of that name the build made
  local found
  found=$(find "$build" -name "$1" -type f -not -path '*/CMakeFiles/*' | head -n 1)
  [ -n "$found" ] || { echo "$1 is not in $build" >&2; exit 1; }
  printf '%s' "$found"
}
runtime_dll() { # where the cross compiler keeps a DLL of its runtime
  realpath "$("$target-g++-posix" -print-file-name="$1")"
}

cp "$(built vellum.exe)" "$(built vellum-cli.exe)" "$stage/"
cp "$qt/bin/Qt6Core.dll" "$qt/bin/Qt6Gui.dll" "$qt/bin/Qt6Widgets.dll" "$stage/"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp "$(runtime_dll "$dll")" "$stage/"
done
find "$stage" -name '*.exe' -o -name '*.dll' | xargs "$target-strip" --strip-unneeded

qt_version=$(basename "$qt" | sed -n 's/^qt6-windows-\([^-]*\)-.*/\1/p')
sed -e "s/@VERSION@/$version/" -e "s/@QTVERSION@/$qt_version/" "$here/README.txt" |
  sed 's/$/\r/' >"$stage/README.txt"
sed 's/$/\r/' "$source_dir/LICENSE" >"$stage/LICENSE.txt"
cp -r "$qt/share/notices" "$stage/licenses/qt"
for package in mingw-w64-common gcc-mingw-w64-base; do
  cp "/usr/share/doc/$package/copyright" "$stage/licenses/mingw-w64/$package-copyright.txt"
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out/$name.zip" "$out/$name-setup.exe"
(cd "$work" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")

# The uninstaller's list: every file, then every folder, deepest first.
(cd "$stage" && find . -type f | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
 cd "$stage" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') \
  >"$work/files.nsh"
makensis -V2 -DVERSION="$version" -DSOURCE="$stage" -DOUTFILE="$out/$name-setup.exe" \
  -DFILES="$work/files.nsh" -DICON="$(built vellum.ico)" "$here/installer.nsi" >&2
printf '%s\n' "$out/$name.zip" "$out/$name-setup.exe"
