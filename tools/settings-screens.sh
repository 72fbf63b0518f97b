#!/usr/bin/env bash
# Screenshots of the four settings dialogs on a Cyrillic (1251) and a Western
# (1252) ANSI code page, and of the combined dialog and Tolder's scene at 144
# and 192 DPI, into docs/screens/. Needs the Windows build
# (build/win/bin/qz.exe); runs on its own Xvfb display and Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
qz="$root/build/win/bin/qz.exe"
out="$root/docs/screens"
[ -f "$qz" ] || { echo "build the Windows target first: $qz is missing" >&2; exit 1; }
mkdir -p "$out"

display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display" WINEPREFIX="$root/build/screens-prefix" WINEARCH=win32 WINEDEBUG=-all
stop() { wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap stop EXIT
trap 'exit 1' INT TERM HUP PIPE
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
mkdir -p "$WINEPREFIX"
wineserver -p
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# shoot LOCALE SHOT PROGRAM SWITCH: the program's window on the (otherwise
# black) screen, once it is there and initialised.
shoot() {
  LC_ALL=$1 wine "$3" "$4" >/dev/null 2>&1 &
  local window=$!
  for _ in $(seq 40); do
    sleep 0.5
    import -window root -trim +repage "$2" 2>/dev/null || continue
    [ "$(identify -format %w "$2")" -gt 100 ] && break
  done
  sleep 1
  import -window root -trim +repage "$2"
  kill "$window" 2>/dev/null || true
  wait "$window" 2>/dev/null || true
  sleep 0.5
}

for locale in ru_RU.UTF-8:cp1251 en_US.UTF-8:cp1252; do
  for switch in pallo nessel exercise tolder; do
    shoot "${locale%%:*}" "$out/settings-$switch-${locale##*:}.png" "$qz" "/$switch"
  done
done

# The scene plays from a program folder holding the player and the content.
program="$WINEPREFIX/drive_c/screens-program"
mkdir -p "$program"
cp "$qz" "$root/build/win/bin/tikkoplay.dll" "$root/build/win/pallo.vfs" "$program"/
for dpi in 144 192; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  shoot ru_RU.UTF-8 "$out/settings-pallo-cp1251-${dpi}dpi.png" "$qz" /pallo
  shoot ru_RU.UTF-8 "$out/scene-tolder-${dpi}dpi.png" "$program/qz.exe" /show:tolder
done
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
ls -1 "$out"
