# Sourced by run.sh and the Windows benchmarks: wine set up for Vellum's
# Windows programs.
#   wine_start [QT_PREFIX]  a throw-away prefix with one wine server for the
#                           whole run, and WINEPATH naming the DLLs to load
#   wine_stop               ends that server and removes the prefix

# Where wine finds the DLLs the programs load: the cross compiler's runtime
# and Qt's (as Windows paths; wine hides QT_* variables, but not this one).
wine_dll_path() {
  local qt=${1:-} dll dirs=()
  for dll in libstdc++-6.dll libwinpthread-1.dll; do
    dirs+=("$(winepath -w "$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")")")
  done
  [ -z "$qt" ] || dirs+=("$(winepath -w "$qt/bin")")
  (IFS=';' && echo "${dirs[*]}")
}

wine_start() {
  # No Mono or Gecko download prompts, no messages. The display is the
  # caller's (none: no window can show): the server's desktop binds the one
  # its first program meets, for every later program.
  export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY="${DISPLAY:-}"
  WINEPREFIX=$(mktemp -d)
  wineboot --init >/dev/null 2>&1
  # One wine server for the whole run instead of one per program (it can
  # only be made to stay once the one wineboot started has ended).
  wineserver --wait
  wineserver --persistent
  export WINEPATH
  WINEPATH=$(wine_dll_path "${1:-}")
  # The first program of a server starts wine's services, which would keep
  # the output of whichever program started them open: start them here.
  wine cmd /c exit >/dev/null 2>&1 || true
}

wine_stop() {
  wineserver --kill || true
  rm -rf "$WINEPREFIX"
}
