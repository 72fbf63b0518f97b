# ./dev footprint [BIN]: the resident module's memory, handles and CPU per
# minute tick, and a scene's time to its first frame next to an empty window
# program, under Wine; with another build's bin folder, that build's scene
# too, in the same rounds.
cmd_footprint() {
  local width dir other=""
  suite_under_wine footprint
  log "footprint of the $width-bit build"
  [ -n "${1:-}" ] && other=$(wine winepath -w "$(realpath "$1")" 2>/dev/null | tr -d '\r')
  wine "$dir/bin/footprint.exe" "$(wine winepath -w "$dir/pallo.vfs" 2>/dev/null | tr -d '\r')" ${other:+"$other"}
}
