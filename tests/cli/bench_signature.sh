#!/usr/bin/env bash
# The bench node count is the search's signature: it changes only when the search's
# behaviour does. Update it deliberately, with the reason in the commit message.
set -euo pipefail
cli="$1"
expected=12814442
out=$("$cli" bench)
last=$(printf '%s\n' "$out" | tail -n 1)
nodes=$(printf '%s\n' "$last" | awk '$1 == "bench" && $3 == "nodes" { print $2 }')
if [ "$nodes" != "$expected" ]; then
  echo "bench signature $nodes, expected $expected" >&2
  printf '%s\n' "$out" >&2
  exit 1
fi
# Search output formats: iteration lines, then the move; one legal move needs no search.
out=$("$cli" search "wwwwwwwwwwww00000000bbbbbbbbbbbb w" --depth 8)
printf '%s\n' "$out" | grep -Eq '^depth 7 score -?[0-9]+ nodes [0-9]+ ms [0-9]+ pv ([a-h][1-8][-:][a-h][1-8] )+$'
printf '%s\n' "$out" | grep -Eq '^depth 8 '
! printf '%s\n' "$out" | grep -q '^depth 9 '
printf '%s\n' "$out" | tail -n 1 | grep -Eq '^bestmove [a-h][1-8]-[a-h][1-8]$'
[ "$("$cli" search "0W0000000000000000000000b0000000 b")" = "bestmove a7-b6" ]
[ "$("$cli" search "0W00000000000000000000000000000 b" 2>/dev/null || true)" = "" ]
[ "$("$cli" search "w0000000000000000000000000000000 b")" = "bestmove none" ]
set +e
"$cli" search "wwwwwwwwwwww00000000bbbbbbbbbbbb w" --depth 3 2>/dev/null; [ $? -eq 2 ] || exit 1
"$cli" bench extra 2>/dev/null; [ $? -eq 2 ] || exit 1
echo ok
