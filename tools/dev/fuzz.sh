# ./dev fuzz [SECONDS]: the fuzz targets in both widths: 64-bit always,
# 32-bit (build/fuzz32, the shipped suite's size_t and pointers) where the
# machine runs 32-bit Linux programs.
fuzz_presets() { echo fuzz; can_run_32bit_native && echo fuzz32 || true; }
can_run_32bit_native() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

build_fuzz() {
  local preset
  for preset in $(fuzz_presets); do
    log "fuzz build in build/$preset (clang, libFuzzer)"
    build_preset "$preset"
  done
  can_run_32bit_native || log "fuzz: this machine runs no 32-bit programs, so only the 64-bit targets run"
}

# Each target starts from its seeds, findings kept in tests/fuzz/corpus
# included, so every earlier finding is replayed first. An input that takes
# longer than fuzz_input_seconds is a finding too.
fuzz_input_seconds=3
run_fuzzers() {
  local seconds=$1 dir target name corpus failed=0
  for dir in $(fuzz_presets); do
    dir=build/$dir
    for target in "$dir"/bin/*_fuzz; do
      [ -x "$target" ] || continue
      name=$(basename "$target")
      corpus=$dir/corpus/$name
      mkdir -p "$corpus"
      [ -d "tests/fuzz/corpus/$name" ] && cp -n tests/fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
      if "$target" -max_total_time="$seconds" -timeout="$fuzz_input_seconds" -print_final_stats=1 \
        -artifact_prefix="$dir/" "$corpus" >"$dir/$name.log" 2>&1; then
        log "fuzz $dir/$name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/$name.log" | grep -o '[0-9]*$') runs in ${seconds}s, no finding"
      else
        log "fuzz $dir/$name: FAILED"; tail -n 40 "$dir/$name.log"; failed=1
      fi
    done
  done
  return $failed
}

cmd_fuzz() { build_fuzz; run_fuzzers "${1:-3600}"; }
