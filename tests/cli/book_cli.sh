#!/usr/bin/env bash
# korvel-cli book build / dump: a small library and back, and a refused line.
set -euo pipefail
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'c3-d4! f6-g5+\ng3-h4?\n' > "$dir/lines.txt"
printf 'mine' > "$dir/out.deb.part" # a file of the user's beside the target stays
[ "$("$cli" book build "$dir/lines.txt" "$dir/out.deb")" = "3 records" ]
[ "$(cat "$dir/out.deb.part")" = mine ]
[ "$(ls -A "$dir" | wc -l)" = 3 ]
[ "$(stat -c %s "$dir/out.deb")" = 108 ]
dump=$("$cli" book dump "$dir/out.deb")
printf '%s\n' "$dump" | sed -n 1p | grep -q '^1 wwwwwwwwwwww00000000bbbbbbbbbbbb white c3-d4 100!$'
printf '%s\n' "$dump" | sed -n 2p | grep -q ' black f6-g5 10+$'
printf '%s\n' "$dump" | sed -n 3p | grep -q ' white g3-h4 -100?$'
printf 'c3-d4! d4-e5!\n' > "$dir/bad.txt"
if "$cli" book build "$dir/bad.txt" "$dir/bad.deb" 2> "$dir/err"; then exit 1; fi
grep -q 'bad.txt:1: half-move 2: illegal move "d4-e5"' "$dir/err"
[ ! -e "$dir/bad.deb" ]
head -c 35 "$dir/out.deb" > "$dir/short.deb"
if "$cli" book dump "$dir/short.deb" 2>/dev/null; then exit 1; fi
echo ok
