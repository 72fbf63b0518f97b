# ./dev mutants: the deliberate faults of tests/mutants.txt, each against the
# tests that cover its file; prints the survivors and the kill rate.
# PALLO_MUTANTS picks faults whose file or title contains it.
cmd_mutants() {
  local width
  cmd_setup
  width=$(run_width)
  /usr/bin/python3 tests/tools/mutants.py --width "$width" --build-only
  start_display
  start_wine "$width" "$root/build/mutants/prefix$width" "$root/build/mutants/win$width/bin"
  /usr/bin/python3 tests/tools/mutants.py --width "$width" --only "${PALLO_MUTANTS:-}"
}
