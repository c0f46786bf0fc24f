#!/usr/bin/env bash
# Which interpreter folder includes which: one line per pair, with the number of #include lines.
#   scripts/include-graph.sh          e.g. "statements -> runtime  11"
set -euo pipefail
cd "$(dirname "$0")/.."
grep -rHn '^#include "vm/' vm --include='*.h' --include='*.cpp' |
    sed -E 's#^vm/([a-z]+)/[^:]*:[0-9]+:\#include "vm/([a-z]+)/.*#\1 -> \2#' |
    awk '{ split($0, p, " -> "); if (p[1] != p[2]) count[$0]++ } END { for (k in count) printf "%-24s %3d\n", k, count[k] }' |
    sort
