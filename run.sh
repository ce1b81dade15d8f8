#!/usr/bin/env bash
# Vellum's one entry point.
#   ./run.sh          set up, build and start the editor
#   ./run.sh test     set up, build and run every test
#   ./run.sh bench    set up, build and run the benchmarks
#   ./run.sh windows  cross-build the editor, vellum-cli and the tests for
#                     Windows (mingw-w64, with a Qt for Windows built once
#                     per machine from Debian's source), run the tests under
#                     wine and make the zip and the installer
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
# icoutils for the icons, GoogleTest's sources to build for Windows; for Qt
# for Windows, the host's Qt tools, dpkg-source and ninja; for the editor's
# smoke test a window manager and xdotool; makensis for the installer.
WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix wine wine64 icoutils googletest
  qt6-base-dev-tools dpkg-dev ninja-build
  openbox xdotool imagemagick nsis
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

# shellcheck source=windows/wine-env.sh
. windows/wine-env.sh
# shellcheck source=windows/display.sh
. windows/display.sh

JOBS=$(nproc 2>/dev/null || echo 2)
BUILD_DIR=${VELLUM_BUILD_DIR:-build}

configure_and_build() {
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUM_WERROR="$werror" "$@"
  cmake --build "$BUILD_DIR" -j "$JOBS"
}

WINDOWS_BUILD_DIR=${VELLUM_WINDOWS_BUILD_DIR:-build-windows}

# The editor, vellum-cli and the test programs, built with mingw-w64 against a
# Qt for Windows that windows/build-qt.sh builds once per machine, and run
# under wine in a throw-away prefix. When that Qt cannot be had, the leg still
# builds and tests vellum-cli.exe, then fails. The Linux vellum-cli is built
# too, so that the two can be compared byte for byte.
run_windows() {
  install_packages "${WINDOWS_PACKAGES[@]}"
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  [ -f "$BUILD_DIR/CMakeCache.txt" ] ||
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUM_WERROR="$werror"
  cmake --build "$BUILD_DIR" -j "$JOBS" --target vellum-cli

  local qt="" build="$WINDOWS_BUILD_DIR" status=0
  local common=(-DCMAKE_BUILD_TYPE=Release -DVELLUM_WERROR="$werror"
                -DVELLUM_LINUX_CLI="$PWD/$BUILD_DIR/cli/vellum-cli")
  if qt=$(windows/build-qt.sh); then
    "$qt/bin/qt-cmake" -S . -B "$build" \
      -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" "${common[@]}"
  else
    echo "No Qt for Windows: building and testing vellum-cli.exe alone." >&2
    qt="" build="$build-cli" status=1
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DVELLUM_BUILD_GUI=OFF -DVELLUM_BUILD_BENCH=OFF "${common[@]}"
  fi
  cmake --build "$build" -j "$JOBS"

  # The editor's smoke test and the downloads' test show windows: a display
  # for the whole wine session, started before it.
  local display_work
  display_work=$(mktemp -d)
  start_display "$display_work"
  wine_start "$qt"
  ctest --test-dir "$build" --output-on-failure -j "$JOBS" || status=$?
  # The zip and the installer, made and then tried in the same prefix.
  if [ -n "$qt" ] && [ "$status" = 0 ]; then
    local made packages=()
    made=$(windows/package.sh "$build" "$qt" "$build/packages") && mapfile -t packages <<<"$made" &&
      tests/windows/packages.sh "${packages[@]}" "$PWD/$BUILD_DIR/cli/vellum-cli" || status=1
    echo "Windows downloads:" "${packages[@]}"
  fi
  wine_stop
  stop_display
  rm -rf "$display_work"
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
