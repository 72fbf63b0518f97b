#!/usr/bin/env bash
# Digests of what swfrender draws: every movie the build and the tests hold,
# at three frames and two sizes, one line each ("movie frame WxH sha256").
# Run before and after a change to the player and compare the two lists: a
# change that keeps behaviour keeps every line.
# usage: render_digests.sh TOOLS_DIR   (build/native/bin)
set -euo pipefail
tools=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/samples"
"$tools/swfsamples" "$work/samples" >/dev/null
movies=("$root"/build/native/content/swf/*.swf "$work"/samples/*.swf)
while IFS= read -r movie; do movies+=("$movie"); done < <(find "$root/tests" -name '*.swf' | sort)
for movie in "${movies[@]}"; do
  for size in "200 150" "640 480"; do
    for frame in 1 2 10; do
      # shellcheck disable=SC2086  # the size is two arguments
      if "$tools/swfrender" "$movie" "$work/out.png" $size "$frame" >/dev/null 2>&1; then
        digest=$(sha256sum "$work/out.png" | cut -c1-16)
      else
        digest="refused"
      fi
      echo "${movie#"$root"/} $frame ${size/ /x} $digest" | sed "s|$work/||"
    done
  done
done
