#!/usr/bin/env bash
# swf_crosscheck.sh TOOLS_DIR WORK_DIR: writes the SWF writer's sample movies
# and checks them with the npm package swf-parser, installed into WORK_DIR.
# Exit 77 when node or the package cannot be had (no network).
set -uo pipefail
tools=$1 work=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
command -v node >/dev/null && command -v npm >/dev/null || { echo "node/npm missing"; exit 77; }
mkdir -p "$work/samples"
if [ ! -f "$work/parser/node_modules/swf-parser/package.json" ]; then
  mkdir -p "$work/parser"
  (cd "$work/parser" && [ -f package.json ] || echo '{"private":true}' > package.json)
  timeout 300 npm install --prefix "$work/parser" --no-audit --no-fund --silent swf-parser@0.14 \
    || { echo "npm install swf-parser failed"; exit 77; }
fi
"$tools/swfsamples" "$work/samples" || exit 1
node "$here/swf_crosscheck.mjs" "$work/parser" "$work/samples"
