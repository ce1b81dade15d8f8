#!/bin/sh
# Builds the Debian package from a built tree with cpack and checks what it
# holds: the programs, the desktop files and icons, manual pages, completion
# and metadata, nothing outside /usr, and the dependencies dpkg-shlibdeps
# found. Then Debian's and freedesktop's own checkers read it: lintian, man,
# appstreamcli and desktop-file-validate, each failing on any error or warning.
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
  ./usr/share/icons/hicolor/32x32/mimetypes/application-x-vellum.png \
  ./usr/share/metainfo/org.vellum.Vellum.metainfo.xml \
  ./usr/share/bash-completion/completions/vellum-cli \
  ./usr/share/man/man1/vellum.1.gz \
  ./usr/share/man/man1/vellum-cli.1.gz \
  ./usr/share/doc/vellum/copyright \
  ./usr/share/doc/vellum/changelog.gz; do
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

for tool in lintian appstreamcli desktop-file-validate man; do
  command -v "$tool" >/dev/null || fail "$tool is missing (./run.sh installs it)"
done
dpkg-deb -x "$deb" "$out/root"
share=$out/root/usr/share

# A checker passes when it succeeds and prints no error or warning line.
clean() {
  what=$1
  shift
  if ! "$@" >"$out/check.log" 2>&1 || grep -Eq "$pattern" "$out/check.log"; then
    cat "$out/check.log" >&2
    fail "$what"
  fi
}

pattern='^[EW]: '
clean "lintian finds errors or warnings" lintian --fail-on error,warning "$deb"
clean "the AppStream metadata does not validate" \
  appstreamcli validate --no-net "$share/metainfo/org.vellum.Vellum.metainfo.xml"
pattern='.'
clean "the packaged desktop entry does not validate" \
  desktop-file-validate "$share/applications/org.vellum.Vellum.desktop"
for page in "$share"/man/man1/*.1.gz; do
  clean "man warns about $(basename "$page")" \
    env MANWIDTH=80 LC_ALL=C.UTF-8 sh -c 'man --warnings -l "$1" >/dev/null' sh "$page"
done

# One version everywhere: the package, its changelog and the AppStream release.
version=$(dpkg-deb -f "$deb" Version)
changelog=$(gzip -dc "$share/doc/vellum/changelog.gz" | sed -n '1s/^vellum (\([^)]*\)).*/\1/p')
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
  "$share/metainfo/org.vellum.Vellum.metainfo.xml" | head -n 1)
[ "$changelog" = "$version" ] || fail "changelog is at $changelog, the package at $version"
[ "$release" = "$version" ] || fail "AppStream's release is $release, the package $version"
echo "ok: $(wc -l <"$out/files") entries"
