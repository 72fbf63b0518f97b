#!/usr/bin/env bash
# contact_sheet.sh SWFRENDER MOVIEDIR OUT.png: the first, middle and last
# frame of every movie in MOVIEDIR, one row a movie, labelled (ImageMagick).
set -euo pipefail
render=$1 movies=$2 out=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tiles=()
for movie in "$movies"/*.swf; do
  name=$(basename "$movie" .swf)
  count=$("$render" "$movie" "$work/probe.png" 320 240 0 | sed -E 's/^frame [0-9]+ of ([0-9]+),.*/\1/')
  for frame in 0 $((count / 2)) $((count - 1)); do
    "$render" "$movie" "$work/$name-$frame.png" 320 240 "$frame" >/dev/null
    tiles+=(-label "$name  $((frame + 1))/$count" "$work/$name-$frame.png")
  done
done
montage "${tiles[@]}" -depth 8 -tile 3x -geometry +4+4 -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 14 -background '#f4f4f4' "$out"
