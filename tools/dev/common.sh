# What every ./dev command shares: the widths, the builds by their CMake
# presets, the display and the Wine prefix.
jobs=$(nproc)

log() { printf '== %s\n' "$*"; }

# The Windows build comes in two widths: 32 (i686, the shipped suite, in
# build/win) and 64 (x86-64, the same sources, in build/win64), which is how
# the suite is tested where 32-bit programs cannot run.
win_dir() { [ "$1" = 32 ] && echo build/win || echo build/win64; }
win_arch() { [ "$1" = 32 ] && echo i686 || echo x86_64; }

# 32-bit Windows programs run under Wine only where the machine runs 32-bit
# Linux programs at all; some hypervisors give processes no 32-bit mode.
# Found out by running one.
can_run_32bit() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; }

# The widths whose Wine tests this machine runs: PALLO_WIDTHS ("32", "64" or
# "32 64") chooses for a quick local run; by default every width it can.
test_widths() {
  local wanted=${PALLO_WIDTHS:-32 64} width widths=()
  for width in $wanted; do
    case $width in
      32) if can_run_32bit; then widths+=(32); else log "32-bit programs cannot run on this machine: no 32-bit Wine tests" >&2; fi ;;
      64) widths+=(64) ;;
      *) echo "PALLO_WIDTHS: $width is neither 32 nor 64" >&2; exit 2 ;;
    esac
  done
  echo "${widths[*]}"
}

# The width that ./dev run, bench, footprint, screens and mutants use: the
# shipped 32-bit suite where it can run.
run_width() {
  if can_run_32bit; then echo 32; else log "32-bit programs cannot run on this machine: using the 64-bit build" >&2; echo 64; fi
}

# A build by its preset (CMakePresets.json); the Windows builds run the
# native build's tools, so it comes first.
build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$jobs" "${@:2}"
}
build_native() { log "native build (ASan + UBSan)"; build_preset native; }
build_windows() { log "windows build (mingw-w64 $(win_arch "$1"))"; build_preset "win$1" "${@:2}"; }

# A display: Xvfb on the first free number, unless asked to use the one given.
start_display() {
  local display=90
  trap stop_wine EXIT
  [ "${1:-}" = use-display ] && [ -n "${DISPLAY:-}" ] && return
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
}

# The Wine prefix a command keeps for a width: build/NAME-prefix, and
# build/NAME-prefix64 for the 64-bit build.
wine_prefix() { echo "$root/build/$1-prefix$([ "$2" = 64 ] && echo 64 || true)"; }

# A prefix of the given width (made when missing) with a persistent
# wineserver and the tray keeper of the build whose bin folder is given (by
# default the width's own).
# Debian's wine script runs the 32-bit loader whenever it is
# installed, even where it cannot execute, so the loader is named: wine calls
# it, and so do CTest's emulator and the programs Wine starts.
start_wine() {
  local width=$1 prefix=$2 bin=${3:-$(win_dir "$1")/bin}
  stop_wine_server
  export WINEPREFIX="$prefix" WINEDEBUG=-all
  if [ "$width" = 32 ]; then
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
  else
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  fi
  mkdir -p "$prefix"  # the server will not start in a missing prefix
  wineserver -p
  if [ ! -f "$prefix/system.reg" ]; then
    log "wine prefix $prefix ($WINEARCH)"
    wine wineboot -i >/dev/null 2>&1
    # A new prefix's first start leaves two service managers running, each
    # with its own list: a service just created is then found by every other
    # request only. A fresh server starts one.
    wineserver -k; wineserver -p
  fi
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The notification area keeps an icon, as on Windows; without one Wine
  # withdraws its window each time the last icon goes and stalls for 2 s.
  "$WINELOADER" "$bin/tray_keeper.exe" >/dev/null 2>&1 &
  tray_keeper=$!
}

wine() { "$WINELOADER" "$@"; }

stop_wine_server() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
}

# The EXIT trap's action. Bash may run the trap in a command substitution's
# subshell too (seen after the tray keeper was killed); only the shell that
# started the display stops it.
stop_wine() {
  [ "$BASHPID" = "$$" ] || return 0
  stop_wine_server
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
}

# What ./dev run, footprint and screens begin with: the packages, the native
# and the Windows build of the run width, a display and the command's prefix.
# Sets width and dir.
suite_under_wine() {
  local name=$1 display=${2:-}
  cmd_setup
  width=$(run_width)
  dir=$(win_dir "$width")
  build_native
  build_windows "$width"
  start_display $display
  start_wine "$width" "$(wine_prefix "$name" "$width")"
}
