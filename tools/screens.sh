#!/usr/bin/env bash
# The README's pictures, taken from the built suite so that they show what the
# product shows: Tikko's scenes from the real content archive on a Russian
# system, the four settings dialogs on a Cyrillic (1251) and a Western (1252)
# code page, the parents' week and history, the combined dialog, the week and
# a grumble at 144 and 192 DPI, into
# docs/screens/; and the contact sheet of the movies.
# `./dev screens` builds both trees, starts Wine (DISPLAY, WINEPREFIX,
# WINELOADER) and runs this with the Windows build's folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/${1:-build/win}
out=$root/docs/screens
program="$WINEPREFIX/drive_c/Program Files/Pallo"
mkdir -p "$out"

# The program folder as the installer fills it, but without the control
# module's copy: no module starts, so nothing but the shown window comes on
# screen, and every setting is the default.
rm -rf "$program" "$WINEPREFIX/drive_c/ProgramData/Brenmoor"
mkdir -p "$program"
cp "$build"/bin/{qz.exe,qza.exe,tikkoplay.dll} "$build"/{pallo.vfs,pallo.chm} "$program"/

# The X window of the visible top-level window titled exactly TITLE.
window_of() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window \"$1\" came up" >&2
  return 1
}

shoot() { import -window "$1" -strip "$2"; echo "$2"; }

# scene NAME MS FILE [MS FILE ...]: plays the scene from the program folder
# and shoots the screen that many milliseconds after its window showed.
scene() {
  local name=$1 shown delay
  shift
  (cd "$program" && LC_ALL=ru_RU.UTF-8 exec "$WINELOADER" qz.exe "/show:$name") >/dev/null 2>&1 &
  local player=$!
  window_of Tikko >/dev/null
  shown=$(date +%s%3N)
  while [ $# -gt 0 ]; do
    delay=$((shown + $1 - $(date +%s%3N)))
    [ "$delay" -gt 0 ] && sleep "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
    shoot root "$out/$2"
    shift 2
  done
  kill "$player"
  wait "$player" 2>/dev/null || true
}

# settings LOCALE PAGE SWITCH TITLE: the dialog alone, once its first timer
# tick has shown the mode.
settings() {
  (cd "$program" && LC_ALL=$1 exec "$WINELOADER" qz.exe "/$3") >/dev/null 2>&1 &
  local dialog=$! id
  id=$(window_of "$4")
  sleep 1.5
  shoot "$id" "$out/settings-$3-$2.png"
  kill "$dialog"
  wait "$dialog" 2>/dev/null || true
}

# An exercise in full swing; bedtime's announcement and a later loop's
# reminder; a grumble.
scene hopsa-manual 20000 scene-hopsa-manual.png
scene nessel-turnoff 9500 scene-nessel-turnoff.png 21500 scene-nessel-turnoff-remind.png
scene tolder 3000 scene-tolder.png

settings ru_RU.UTF-8 cp1251 pallo "Настройки"
settings ru_RU.UTF-8 cp1251 nessel "Настройки Nessel"
settings ru_RU.UTF-8 cp1251 exercise "Настройки Hopsa"
settings ru_RU.UTF-8 cp1251 tolder "Настройки Tolder"
settings en_US.UTF-8 cp1252 pallo "Options"
settings en_US.UTF-8 cp1252 nessel "Nessel Options"
settings en_US.UTF-8 cp1252 exercise "Exercises Options"
settings en_US.UTF-8 cp1252 tolder "Tolder Options"

# The parents' week and a child's fortnight: a school week for every user, a
# later Friday for the child, and two weeks of made-up use; then the tricks
# the guard beat. Wine has one user, whose SID is always this one; the
# dialog's user box takes the name's first letter.
calendar() {
  local ledger="$WINEPREFIX/drive_c/ProgramData/Brenmoor/qz-tolder/ledger" user day limit dialog id
  local guard="$WINEPREFIX/drive_c/ProgramData/Brenmoor/qz-tolder/guard"
  user=$(id -un)
  mkdir -p "$ledger"
  {
    for day in monday tuesday wednesday thursday friday; do printf '%s = 15:00-20:30\r\n%s.minutes = 120\r\n' $day $day; done
    printf 'saturday = 10:00-21:30\r\nsaturday.minutes = 180\r\nsunday = 10:00-21:00\r\nsunday.minutes = 180\r\n'
    printf '%s/friday = 15:00-22:00, 23:00-00:30\r\n' "$user"
    printf 'program.Игры = minecraft.exe | Roblox\r\nprogram.Школа = learn.exe\r\nprogram.Школа.always = on\r\n'
    for day in monday tuesday wednesday thursday friday saturday sunday; do printf 'program.Игры.%s.minutes = 60\r\n' $day; done
  } >"$ledger/limits.txt"
  {
    printf 'date;group;minutes;limit\r\n'
    for day in $(seq 13 -1 0); do printf '%s;Игры;%d;60\r\n' "$(date -d "-$day days" +%F)" $(((day * 23) % 70)); done
  } >"$ledger/S-1-5-21-0-0-0-1000.programs.csv"
  {
    printf 'date;minutes;exercises;shutdowns;limit\r\n'
    for day in $(seq 13 -1 0); do
      limit=$([ "$(date -d "-$day days" +%u)" -ge 6 ] && echo 180 || echo 120)
      printf '%s;%d;%d;%d;%d\r\n' "$(date -d "-$day days" +%F)" $(((day * 37) % 150 + 20)) $((day % 3)) $((day % 2)) $limit
    done
  } >"$ledger/S-1-5-21-0-0-0-1000.csv"
  mkdir -p "$guard"
  printf 'date;file;product\r\n%s;minecraft.exe;Minecraft\r\n%s;learn.exe;Учёба\r\n' "$(date +%F)" "$(date +%F)" \
    >"$guard/programs.csv"
  printf 'time;user;trick\r\n%s 16:12;%s;1\r\n%s 21:40;;4\r\n%s 17:05;%s;7\r\n' "$(date -d '-2 days' +%F)" "$user" \
    "$(date -d '-1 days' +%F)" "$(date +%F)" "$user" >"$guard/tricks.csv"
  (cd "$program" && LC_ALL=$1 exec "$WINELOADER" qz.exe /calendar) >/dev/null 2>&1 &
  dialog=$!
  id=$(window_of "Расписание и история")
  xdotool windowfocus --sync "$id" type "${user:0:1}"
  sleep 1
  shoot "$id" "$out/calendar-$2.png"
  # Backwards from the user box: help, cancel, OK, the programs' button, then the tricks'.
  xdotool key --window "$id" shift+Tab shift+Tab shift+Tab shift+Tab space
  local programs
  programs=$(window_of "Программы")
  sleep 1
  shoot "$programs" "$out/programs-$2.png"
  # The programs' window has the focus, and gives it back to its button.
  xdotool key Escape
  sleep 0.5
  xdotool key shift+Tab space
  shoot "$(window_of "Попытки обойти")" "$out/tricks-$2.png"
  kill "$dialog"
  wait "$dialog" 2>/dev/null || true
}

calendar ru_RU.UTF-8 cp1251

# The combined dialog and a grumble on a screen at 150 % and 200 %.
for dpi in 144 192; do
  "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  settings ru_RU.UTF-8 "cp1251-${dpi}dpi" pallo "Настройки"
  calendar ru_RU.UTF-8 "cp1251-${dpi}dpi"
  scene tolder 3000 "scene-tolder-${dpi}dpi.png"
done
"$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1

"$root/tools/contact_sheet.sh" "$root/build/native/bin/swfrender" "$root/build/native/content/swf" \
  "$root/docs/content-contact-sheet.png"
echo "$root/docs/content-contact-sheet.png"
