#!/usr/bin/env bash
# Qt 6 for 64-bit Windows, cross-built once per machine from Debian's own
# qt6-base source package (the same version as the host tools the cross build
# runs: moc, rcc, uic from qt6-base-dev-tools), with Debian's patches.
#
#   windows/build-qt.sh          build if needed; print the install prefix
#   windows/build-qt.sh --where  print the prefix it would use, build nothing
#
# The result lives outside every build tree, in
#   ${VELLUM_QT_WINDOWS:-${XDG_CACHE_HOME:-$HOME/.cache}/vellum}/qt6-windows-KEY
# where KEY names the Debian version of qt6-base, the mingw-w64 compiler's
# version and a hash of this script and of the toolchain file, so a change to
# any of them builds anew instead of reusing a Qt built otherwise. A folder is
# taken as a Qt only when its ".complete" stamp is there: the install goes to
# KEY.tmp first and is renamed when whole, so an interrupted build is never
# mistaken for a finished one.
#
# Everything but the last line of output goes to standard error.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(cd "$here/../cmake" && pwd)/mingw-w64-x86_64.cmake
target=x86_64-w64-mingw32
jobs=$(nproc 2>/dev/null || echo 2)

say() { printf 'Qt for Windows: %s\n' "$*" >&2; }
fail() { say "$*"; exit 1; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

host_qt_version() {
  dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null ||
    fail "qt6-base-dev-tools is not installed (the cross build runs its moc, rcc and uic)"
}

cache_key() {
  local compiler script_hash
  compiler=$("$target-g++-posix" -dumpfullversion 2>/dev/null) ||
    fail "$target-g++-posix is missing (package g++-mingw-w64-x86-64-posix)"
  script_hash=$(cat "$0" "$toolchain" | sha256sum | cut -c1-12)
  # Debian versions hold "+" and "~", harmless in a folder name.
  printf '%s-gcc%s-%s' "$(host_qt_version)" "$compiler" "$script_hash"
}

cache_root() {
  printf '%s' "${VELLUM_QT_WINDOWS:-${XDG_CACHE_HOME:-$HOME/.cache}/vellum}"
}

# A deb-src entry for the system's own suites, from the deb entries that are
# there, when no source entry is configured.
add_source_entries() {
  local list=/etc/apt/sources.list.d/vellum-deb-src.sources
  local sources=/etc/apt/sources.list.d/debian.sources
  if [ -f "$sources" ]; then
    sed -e 's/^Types:.*/Types: deb-src/' "$sources" | as_root tee "$list" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      as_root tee /etc/apt/sources.list.d/vellum-deb-src.list >/dev/null
  fi
  as_root apt-get update -q >&2 || true
}

no_source_message() {
  local suite
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-stable}")
  cat >&2 <<MSG
Qt for Windows: Debian's source of qt6-base $1 cannot be had.
  Add a source entry for your suite and run again, for example:
    echo 'deb-src http://deb.debian.org/debian $suite main' | sudo tee /etc/apt/sources.list.d/deb-src.list
    sudo apt-get update
MSG
}

fetch_source() {
  local version=$1 into=$2
  if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q "^Version: $version\$"; then
    say "no source entry for qt6-base $version; adding one for this system's suites"
    add_source_entries
  fi
  if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q "^Version: $version\$"; then
    no_source_message "$version"
    return 1
  fi
  # Downloaded only: the patches are applied below, without the cross-build one.
  (cd "$into" && apt-get source --download-only -q "qt6-base=$version" >&2) || {
    no_source_message "$version"
    return 1
  }
  (cd "$into" && dpkg-source --skip-patches -x qt6-base_*.dsc src >&2)
}

# Debian's patches, but for its cross-build patch, which rewrites the host
# tools' lookup for Debian's own multiarch cross builds and breaks ours.
apply_debian_patches() {
  local src=$1 patch
  while read -r patch _; do
    case "$patch" in "" | "#"*) continue ;; *cross*) say "skipping $patch"; continue ;; esac
    patch -d "$src" -p1 -s --forward <"$src/debian/patches/$patch" >&2
  done <"$src/debian/patches/series"
}

configure_qt() {
  local src=$1 build=$2 prefix=$3
  local multiarch
  multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
  local options=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DCMAKE_INSTALL_PREFIX="$prefix"
    # The host's moc, rcc and uic; the multiarch layout puts their CMake
    # files where Qt does not look by itself.
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake"
    # Qt stays in DLLs of its own (LGPL): never linked into the programs.
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    # Only what the editor and its tests use: Core, Gui, Widgets and Test.
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    # No OpenGL or Vulkan: the editor paints with QPainter. The input must be
    # switched off as well as the feature, or Gui still looks for it.
    -DFEATURE_opengl=OFF
    -DINPUT_opengl=no
    -DFEATURE_vulkan=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    # Debian's tarball leaves out the Wintab headers: no tablet events.
    -DFEATURE_tabletevent=OFF
    # Debian's mingw-w64 headers have no Direct2D; with DirectWrite 3 on, the
    # platform plugin fails to link without it. GDI draws the fonts.
    -DFEATURE_direct2d=OFF
    -DFEATURE_directwrite3=OFF
    # The third-party code Qt carries, not the target system's (there is none).
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_freetype=ON
    -DFEATURE_system_freetype=OFF
    -DFEATURE_harfbuzz=ON
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_doubleconversion=OFF
  )
  cmake -S "$src" -B "$build" "${options[@]}" >&2
}

# The licence texts of Qt and the notices of the third-party code it carries,
# installed beside Qt so that a package can ship them (the source goes away).
install_notices() {
  local src=$1 into=$2 attribution dir
  mkdir -p "$into"
  cp -r "$src/LICENSES" "$into/LICENSES"
  cp "$src/debian/copyright" "$into/debian-copyright.txt"
  (cd "$src" && find src -name qt_attribution.json) | while read -r attribution; do
    dir=$(dirname "$attribution")
    mkdir -p "$into/$dir"
    cp "$src/$attribution" "$into/$dir/"
    find "$src/$dir" -maxdepth 1 -type f \
      \( -iname '*licen[cs]e*' -o -iname '*copying*' -o -iname '*notice*' -o -iname '*copyright*' \) \
      -exec cp {} "$into/$dir/" \;
  done
}

work="" # the temporary source and build folder, removed at exit

main() {
  local root key prefix
  root=$(cache_root)
  key=$(cache_key)
  prefix="$root/qt6-windows-$key"
  if [ "${1:-}" = "--where" ]; then printf '%s\n' "$prefix"; return 0; fi
  if [ -f "$prefix/.complete" ]; then printf '%s\n' "$prefix"; return 0; fi

  mkdir -p "$root" 2>/dev/null && [ -w "$root" ] ||
    fail "cannot write the cache folder $root (set VELLUM_QT_WINDOWS to another folder)"
  local version started
  version=$(host_qt_version)
  # The 1.1 GB of source and build tree go whatever happens.
  work=$(mktemp -d "$root/build-XXXXXX")
  trap 'rm -rf "$work"' EXIT
  rm -rf "$prefix" "$prefix.tmp"
  started=$(date +%s)
  say "building Qt $version for $target into $prefix (about 20-30 minutes on 2 cores)"
  fetch_source "$version" "$work" || return 1
  apply_debian_patches "$work/src"
  # Configured for where it will stand, installed beside it until complete.
  configure_qt "$work/src" "$work/build" "$prefix"
  nice -n 10 cmake --build "$work/build" --parallel "$jobs" >&2 ||
    fail "the build failed; its tree was in $work (removed)"
  cmake --install "$work/build" --prefix "$prefix.tmp" >&2
  install_notices "$work/src" "$prefix.tmp/share/notices"
  date -u +%FT%TZ >"$prefix.tmp/.complete"
  mv "$prefix.tmp" "$prefix"
  say "built in $(($(date +%s) - started)) s; $(du -sh "$prefix" | cut -f1) installed"
  printf '%s\n' "$prefix"
}

main "$@"
