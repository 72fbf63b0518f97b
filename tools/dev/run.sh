# ./dev run: the suite installed in a prefix and started, with the test scene;
# without a display, a screenshot of it.
cmd_run() {
  local had_display=${DISPLAY:-} width dir
  suite_under_wine run use-display
  local program="$WINEPREFIX/drive_c/Program Files/Pallo"
  local common="$WINEPREFIX/drive_c/ProgramData/Brenmoor/qz-tolder"
  mkdir -p "$program" "$common"
  cp "$dir"/bin/qz.exe "$dir"/bin/qza.exe "$program"/
  cp "$dir"/bin/tikkoplay.dll "$dir"/*.vfs "$dir"/*.chm "$program"/ 2>/dev/null || true
  cp "$dir"/bin/qz.exe "$common/services.exe"
  log "the suite is installed in $program (wine prefix $WINEPREFIX)"
  log "starting the $width-bit qz.exe /run on $DISPLAY, then the test scene"
  (cd "$program" && wine qz.exe /run)
  (cd "$program" && wine qz.exe /show:test &)
  log "by hand: cd \"$program\" && WINEPREFIX=$WINEPREFIX $WINELOADER qz.exe /show:hopsa-usual (a scene) or qz.exe /pallo (the settings)"
  if [ -n "$had_display" ]; then
    log "the suite runs on $DISPLAY; press Enter to stop it"
    read -r _ || true
  else
    # The scene's window (titled "Computer" off Cyrillic code pages), once it
    # shows, and a second for its movie to draw.
    local shown=
    for _ in $(seq 150); do
      xdotool search --onlyvisible --name '^(Tikko|Computer)$' >/dev/null 2>&1 && { shown=1; break; }
      sleep 0.1
    done
    [ -n "$shown" ] || log "the test scene's window did not show within 15 s"
    sleep "${PALLO_RUN_SECONDS:-1}"
    mkdir -p build/screens
    import -window root build/screens/run.png
    log "screenshot: build/screens/run.png"
  fi
}
