#!/usr/bin/env bash
# What a Windows user downloads, tried as that user would under wine:
# - the zip unpacked into "C:\Program Files\Vellum Édition": vellum.exe starts
#   there (its window shows, and its start registers .vlm with the quoted
#   path), and vellum-cli.exe compiles the same bytes as the Linux build;
# - the installer, silent and per user: the files, the Start-menu entry and
#   the association in place; its uninstaller removes all of them.
# Usage: packages.sh ZIP SETUP.EXE LINUX-VELLUM-CLI
# (WINEPREFIX, WINEDEBUG and DISPLAY come from the caller; WINEPATH is
# cleared, so that the programs load only the DLLs shipped beside them.)
set -euo pipefail
zip=$(realpath "$1") setup=$(realpath "$2") linux_cli=$3
export WINEPATH=
. "$(dirname "$0")/editor_session.sh"
key='HKCU\Software\Classes\.vlm'
# The open command as registered: reg export writes UTF-16, which keeps every
# letter (reg query prints in the console's code page).
open_command() {
  wine reg export "$key\\Shell\\Open\\Command" "$(winepath -w "$work/command.reg")" /y >/dev/null
  iconv -f UTF-16 -t UTF-8 "$work/command.reg" | tr -d '\r' | sed -n 's/^@="\(.*\)"$/\1/p' |
    sed 's/\\\(.\)/\1/g'
}
drive_c=$(winepath -u 'C:\')

# The zip, in a folder with a space and a letter outside ASCII.
folder="$drive_c/Program Files/Vellum Édition"
mkdir -p "$folder"
(cd "$work" && cmake -E tar xf "$zip")
cp -r "$work"/Vellum-*-windows-x64/. "$folder/"
wine "$folder/vellum.exe" >/dev/null 2>&1 &
editor=$!
find_window "TI-85 'Scrollet' Text Editor" >/dev/null || fail "vellum.exe from the zip shows no window"
end_program "$editor" "$editor_title"
editor=""
expected='"C:\Program Files\Vellum Édition\vellum.exe" %1'
[ "$(open_command)" = "$expected" ] || fail "the zip's editor registered '$(open_command)'"
printf 'Cheat sheet\r\nsin θ → x\r\n' >"$work/cheat.txt"
(cd "$work" && wine "$folder/vellum-cli.exe" compile --name cheat -o zip.85s cheat.txt) ||
  fail "vellum-cli.exe from the zip does not compile"
"$linux_cli" compile --name cheat -o "$work/linux.85s" "$work/cheat.txt"
cmp <(head -c 11 "$work/zip.85s") <(head -c 11 "$work/linux.85s") &&
  cmp <(tail -c +54 "$work/zip.85s") <(tail -c +54 "$work/linux.85s") ||
  fail "vellum-cli.exe from the zip writes other bytes than the Linux build"
echo "zip: vellum.exe starts and registers from '$(winepath -w "$folder")'; vellum-cli.exe compiles alike"

# The installer, silent and for this user only.
wine reg delete "$key" /f >/dev/null 2>&1 || true
wine "$setup" /S || fail "the installer exits $?"
installed=$(winepath -u "$(wine cmd /c echo '%LOCALAPPDATA%' | tr -d '\r')")/Programs/Vellum
menu=$(winepath -u "$(wine cmd /c echo '%APPDATA%' | tr -d '\r')")"/Microsoft/Windows/Start Menu/Programs/Vellum.lnk"
for file in vellum.exe vellum-cli.exe Qt6Widgets.dll platforms/qwindows.dll LICENSE.txt uninstall.exe; do
  [ -f "$installed/$file" ] || fail "the installer did not install $file"
done
[ -f "$menu" ] || fail "no Start-menu entry at $menu"
[ "$(open_command)" = "\"$(winepath -w "$installed")\\vellum.exe\" %1" ] ||
  fail "the installer associated '$(open_command)'"
wine "$installed/vellum-cli.exe" --version >/dev/null || fail "the installed vellum-cli.exe does not run"
echo "installer: $(find "$installed" -type f | wc -l) files in $(winepath -w "$installed"), Start menu, .vlm"

# The uninstaller copies itself away and returns at once: wait for it.
wine "$installed/uninstall.exe" /S
for _ in $(seq 150); do [ -e "$installed" ] || break; sleep 0.2; done
[ ! -e "$installed" ] || fail "the uninstaller left $(find "$installed" | head -n 5)"
[ ! -e "$menu" ] || fail "the uninstaller left the Start-menu entry"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left the association"
! wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellum' >/dev/null 2>&1 ||
  fail "the uninstaller left its own entry"
echo "uninstaller: nothing left"
