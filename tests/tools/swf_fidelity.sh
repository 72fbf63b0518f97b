#!/usr/bin/env bash
# swf_fidelity.sh TOOLS_DIR WORK_DIR: draws movies made by other programs with
# swfrender and prints, per picture, how many of its 200 x 150 pixels differ
# from a reference drawn by another rasteriser (by more than 10 % in a
# channel, ImageMagick's compare):
#   - tests/fidelity/freehep: FreeHEP's SWF driver wrote the movie, Java 2D drew the reference;
#   - svgtwins: the player's writer wrote the movie, librsvg (cairo) drew the SVG twin;
#   - tests/fidelity/npm: movies from npm packages, played for 48 frames (no reference).
# Exit 1 when a picture differs by more than its limit; 77 when a tool is missing.
set -uo pipefail
tools=$1 work=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
inputs=$here/../fidelity
for tool in compare rsvg-convert; do command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }; done
mkdir -p "$work/twins" "$work/out"
failed=0

# Pictures allowed to differ more, and why.
limit_for() {
  case $1 in
    fill-non-zero-star) echo 2000 ;;  # the driver drops the fill rule: the movie says even-odd
    text) echo 600 ;;                 # Java 2D hints its glyphs to the pixel grid
    bitmap-jpeg) echo 600 ;;          # JPEG's halved colour resolution and smoothing soften the colour step
    *) echo 300 ;;                    # 1 % of the picture
  esac
}

check() {  # name movie reference
  local name=$1 movie=$2 reference=$3 ours=$work/out/${1//\//-}.png
  "$tools/swfrender" "$movie" "$ours" 200 150 >/dev/null || { printf '%-34s cannot be drawn\n' "$name"; failed=1; return; }
  local differ limit
  differ=$(compare -metric AE -fuzz 10% "$reference" "$ours" null: 2>&1)
  limit=$(limit_for "${name#*/}")
  printf '%-34s %6s  %5.2f %%%s\n' "$name" "$differ" "$(awk "BEGIN { print $differ / 300 }")" \
    "$([ "$differ" -gt "$limit" ] && echo '  OVER LIMIT')"
  [ "$differ" -gt "$limit" ] && failed=1
}

printf '%-34s %6s  %s\n' picture pixels share
for movie in "$inputs"/freehep/*.swf; do
  name=$(basename "$movie" .swf)
  check "freehep/$name" "$movie" "${movie%.swf}.png"
done
"$tools/svgtwins" "$work/twins" || exit 1
for svg in "$work"/twins/*.svg; do
  name=$(basename "$svg" .svg)
  rsvg-convert -w 200 -h 150 "$svg" -o "$work/twins/$name.png"
  check "svg/$name" "${svg%.svg}.swf" "$work/twins/$name.png"
done
for movie in "$inputs"/npm/*.swf; do
  name=$(basename "$movie" .swf)
  if line=$("$tools/swfrender" "$movie" "$work/out/$name.png" 200 150 48); then
    printf '%-34s plays: %s\n' "npm/$name" "$line"
  else
    printf '%-34s cannot be played\n' "npm/$name"; failed=1
  fi
done
exit $failed
