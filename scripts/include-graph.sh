#!/usr/bin/env bash
# Which interpreter folder includes which: one line per pair, with the number of #include lines.
#   scripts/include-graph.sh          e.g. "statements -> runtime  11"
#   scripts/include-graph.sh --check  fails on a pair that vm/README.md's list does not allow
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=$(grep -rHn -E '^#include "(vm/[a-z]+|platform|operations)/' vm --include='*.h' --include='*.cpp' |
    sed -E 's#^vm/([a-z]+)/[^:]*:[0-9]+:\#include "(vm/)?([a-z]+)/.*#\1 -> \3#' |
    awk '{ split($0, p, " -> "); if (p[1] != p[2]) count[$0]++ } END { for (k in count) printf "%-24s %3d\n", k, count[k] }' |
    sort)
if [ "${1:-}" != --check ]; then
    echo "$pairs"
    exit 0
fi
# The list: the fenced block after the include-graph marker, "FOLDER -> ALLOWED...".
allowed=$(awk '/<!-- include-graph/ { on = 1; next } on && /^```/ { if (inside) exit; inside = 1; next } inside' vm/README.md)
[ -n "$allowed" ] || { echo "include-graph: vm/README.md has no list of allowed includes"; exit 1; }
status=0
while read -r from _ to _; do
    line=$(awk -v f="$from" '$1 == f' <<<"$allowed")
    if ! [[ " $line " == *" $to "* ]]; then
        echo "include-graph: vm/$from includes $to, which vm/README.md does not allow"
        status=1
    fi
done <<<"$pairs"
exit $status
