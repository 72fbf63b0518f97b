#!/usr/bin/env bash
# Non-blank C++ lines of the tests against the product's: tests/ (with the
# test-input makers) against everything else but third_party/ and bench/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
count() { git ls-files -- "$@" | grep -E '\.(cpp|h|c)$' | xargs cat | grep -cv '^\s*$'; }
tests=$(count tests)
product=$(count . ':!tests' ':!bench' ':!third_party')
awk -v t="$tests" -v p="$product" 'BEGIN { printf "tests %d, product %d: %.3f of the product, %.1f %% of all\n", t, p, t / p, 100 * t / (t + p) }'
