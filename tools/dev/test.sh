# ./dev test: every test: native, fuzzing for a short while, the import
# check, the Wine tests in each width this machine runs.

# "passed/skipped/failed" counts of a CTest log.
ctest_counts() {
  local log=$1 passed skipped failed
  passed=$(grep -c -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* +Passed +[0-9.]+ sec' "$log" || true)
  skipped=$(grep -c -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*\*\*\*Skipped' "$log" || true)
  failed=$(grep -c -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*(\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|Not Run)' "$log" || true)
  echo "$passed passed, $skipped skipped, $failed failed"
}

# The shipped programs' imports, checked without Wine.
check_imports() {
  log "import check (i686)"
  cmake -DOBJDUMP=i686-w64-mingw32-objdump \
    "-DFILES=build/win/bin/qz.exe;build/win/bin/qza.exe;build/win/bin/tikkoplay.dll" \
    -P installer/check_imports.cmake
}

cmd_test() {
  local started=$SECONDS status=0 width widths prefix summary=()
  cmd_setup
  widths=$(test_widths)
  build_native
  log "native tests"
  ctest --test-dir build/native --output-on-failure -j"$jobs" | tee build/native/ctest.log || status=1
  summary+=("native: $(ctest_counts build/native/ctest.log)")
  build_fuzz
  run_fuzzers "${PALLO_FUZZ_SECONDS:-10}" || status=1
  # The shipped suite is always built and its imports checked, whether or not
  # this machine can run it.
  build_windows 32
  check_imports || status=1
  [[ " $widths " = *" 64 "* ]] && build_windows 64
  start_display
  for width in $widths; do
    prefix=$(wine_prefix test "$width")
    rm -rf "$prefix"
    start_wine "$width" "$prefix"
    log "wine tests, $width-bit ($(win_arch "$width"))"
    ctest --test-dir "$(win_dir "$width")" --output-on-failure -j1 | tee "$(win_dir "$width")/ctest.log" || status=1
    summary+=("wine $width-bit ($(win_arch "$width")): $(ctest_counts "$(win_dir "$width")/ctest.log")")
    stop_wine_server
  done
  can_run_32bit || summary+=("wine 32-bit: not run, this machine cannot run 32-bit programs")
  log "summary"
  printf '%s\n' "${summary[@]}"
  log "test: $((SECONDS - started)) s in all, $([ $status = 0 ] && echo passed || echo FAILED)"
  return $status
}
