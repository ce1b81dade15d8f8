#!/usr/bin/env bash
# Vellum's one entry point.
#   ./run.sh          set up, build and start the editor
#   ./run.sh test     set up, build and run every test
#   ./run.sh bench    set up, build and run the benchmarks
#   ./run.sh windows  cross-build vellum-cli.exe and the tests for Windows
#                     (mingw-w64) and run the tests under wine
# Arguments after "./run.sh" (or after "./run.sh --") are passed to the editor.
set -euo pipefail
cd "$(dirname "$0")"

# Debian packages the build, the tests and the editor need.
PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libticonv-dev libtifiles-dev
  xvfb xauth
  desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl dpkg-dev
  lintian appstream man-db
)

# The Windows leg's packages: the cross compiler, wine to run its programs,
# icoutils for the icons, and GoogleTest's sources to build for Windows.
WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix wine wine64 icoutils googletest
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

JOBS=$(nproc 2>/dev/null || echo 2)
BUILD_DIR=${VELLUM_BUILD_DIR:-build}

configure_and_build() {
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUM_WERROR="$werror" "$@"
  cmake --build "$BUILD_DIR" -j "$JOBS"
}

WINDOWS_BUILD_DIR=${VELLUM_WINDOWS_BUILD_DIR:-build-windows}

# vellum-cli.exe and the test programs, built with mingw-w64 (the window needs
# Qt for Windows, which Debian does not have) and run under wine in a
# throw-away prefix, without a display. The Linux vellum-cli is built too, so
# that the two can be compared byte for byte.
run_windows() {
  install_packages "${WINDOWS_PACKAGES[@]}"
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  [ -f "$BUILD_DIR/CMakeCache.txt" ] ||
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUM_WERROR="$werror"
  cmake --build "$BUILD_DIR" -j "$JOBS" --target vellum-cli
  cmake -S . -B "$WINDOWS_BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVELLUM_WERROR="$werror" -DVELLUM_BUILD_GUI=OFF \
    -DVELLUM_BUILD_BENCH=OFF -DVELLUM_LINUX_CLI="$PWD/$BUILD_DIR/cli/vellum-cli"
  cmake --build "$WINDOWS_BUILD_DIR" -j "$JOBS"

  local prefix status=0
  prefix=$(mktemp -d)
  # No Mono or Gecko download prompts, no messages, no window.
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
  wineboot --init >/dev/null 2>&1
  # One wine server for the whole run instead of one per test program (it
  # can only be made to stay once the one wineboot started has ended).
  wineserver --wait
  wineserver --persistent
  # The first program of a server starts wine's services, which would keep
  # the output of whichever test started them open: start them here.
  wine cmd /c exit >/dev/null 2>&1 || true
  ctest --test-dir "$WINDOWS_BUILD_DIR" --output-on-failure -j "$JOBS" || status=$?
  wineserver --kill || true
  rm -rf "$prefix"
  return "$status"
}

run_tests() {
  configure_and_build
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS"
  # The same tests again under AddressSanitizer and UBSan (halting on the first
  # report), built at -O1 and without the benchmarks to keep CI short.
  BUILD_DIR="$BUILD_DIR-sanitize" configure_and_build -DVELLUM_SANITIZE=ON \
    -DVELLUM_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD_DIR-sanitize" --output-on-failure -j "$JOBS"
  run_windows
}

start_editor() {
  configure_and_build
  local editor="$BUILD_DIR/shell/vellum"
  if [ ! -x "$editor" ]; then
    echo "The editor window is not built yet; the command-line tool is:"
    "$BUILD_DIR/cli/vellum-cli" --help
    return 0
  fi
  exec "$editor" "$@"
}

install_packages "${PACKAGES[@]}"
case "${1:-}" in
  test) run_tests ;;
  windows) run_windows ;;
  bench) configure_and_build; "$BUILD_DIR/bench/vellum-bench" ;;
  --) shift; start_editor "$@" ;;
  *) start_editor "$@" ;;
esac
