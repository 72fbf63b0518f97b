# ./dev screens: the pictures in docs/screens/ and the movies' contact sheet,
# from the built suite (tools/screens.sh shoots them).
cmd_screens() {
  local width dir
  suite_under_wine screens
  # No icon comes or goes here, and the tray keeper's area would be in the pictures.
  kill "$tray_keeper"
  tools/screens.sh "$dir"
}
