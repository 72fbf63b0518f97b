# ./dev bench: the native benchmarks, then the Windows build's player figures
# under Wine (the shipped i686 build where 32-bit programs run).
cmd_bench() {
  local b width dir
  cmd_setup
  build_preset bench
  for b in build/bench/bin/*_bench; do [ -x "$b" ] && { log "$(basename "$b")"; "$b"; }; done
  width=$(run_width)
  dir=$(win_dir "$width")
  build_native
  build_windows "$width" --target movie_bench tray_keeper
  start_display
  start_wine "$width" "$(wine_prefix bench "$width")"
  log "movie_bench ($width-bit Windows build under Wine)"
  wine "$dir/bin/movie_bench.exe"
}
