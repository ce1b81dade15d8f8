#!/usr/bin/env bash
# Vellum's one entry point.
#   ./run.sh          set up, build and start the editor
#   ./run.sh test     set up, build and run every test
#   ./run.sh bench    set up, build and run the benchmarks
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

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
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

run_tests() {
  configure_and_build
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS"
  # The same tests again under AddressSanitizer and UBSan (halting on the first
  # report), built at -O1 and without the benchmarks to keep CI short.
  BUILD_DIR="$BUILD_DIR-sanitize" configure_and_build -DVELLUM_SANITIZE=ON \
    -DVELLUM_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD_DIR-sanitize" --output-on-failure -j "$JOBS"
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

install_packages
case "${1:-}" in
  test) run_tests ;;
  bench) configure_and_build; "$BUILD_DIR/bench/vellum-bench" ;;
  --) shift; start_editor "$@" ;;
  *) start_editor "$@" ;;
esac
