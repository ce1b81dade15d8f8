#!/bin/sh
# Builds the Debian package from a built tree with cpack and checks what it
# holds: the programs, the desktop files and icons, nothing outside /usr, and
# the dependencies dpkg-shlibdeps found.
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if ! cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log" >&2
  fail "cpack did not build the package"
fi
deb=$(ls "$out"/*.deb)
echo "package: $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{ print $6 }' >"$out/files"
for file in \
  ./usr/bin/vellum \
  ./usr/bin/vellum-cli \
  ./usr/share/applications/org.vellum.Vellum.desktop \
  ./usr/share/mime/packages/org.vellum.Vellum.xml \
  ./usr/share/icons/hicolor/scalable/apps/org.vellum.Vellum.svg \
  ./usr/share/icons/hicolor/16x16/apps/org.vellum.Vellum.png \
  ./usr/share/icons/hicolor/32x32/apps/org.vellum.Vellum.png \
  ./usr/share/icons/hicolor/scalable/mimetypes/application-x-vellum.svg \
  ./usr/share/icons/hicolor/16x16/mimetypes/application-x-vellum.png \
  ./usr/share/icons/hicolor/32x32/mimetypes/application-x-vellum.png; do
  grep -qxF "$file" "$out/files" || fail "$file is not in the package"
done
if grep -v '^\./usr/' "$out/files" | grep -qvx '\./'; then
  fail "files outside /usr: $(grep -v '^\./usr/' "$out/files" | grep -vx '\./' | tr '\n' ' ')"
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6; do
  echo "$depends" | grep -q "$library" || fail "no dependency on $library"
done

dpkg-deb -x "$deb" "$out/root"
desktop-file-validate "$out/root/usr/share/applications/org.vellum.Vellum.desktop" ||
  fail "the packaged desktop entry does not validate"
echo "ok: $(wc -l <"$out/files") entries"
