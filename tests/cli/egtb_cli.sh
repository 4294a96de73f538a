#!/bin/bash
# korvel-cli egtb: build small tables, check them, read them back, catch damage.
set -u
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A position text with the given pieces ("W5 B10": white king on square 5 ...).
position() {
    local text=00000000000000000000000000000000 side=$1
    shift
    for piece in "$@"; do
        local s=${piece:1}
        text="${text:0:s}${piece:0:1}${text:s+1}"
    done
    echo "$text $side"
}

"$cli" egtb build "$dir" --pieces 3 2>"$dir/progress" | grep -q "^built 9 tables" || fail "build"
grep -q "^2d0p_1d0p_ru: 14880 positions" "$dir/progress" || fail "progress line"
[ "$(stat -c %s "$dir/egtb3.bit")" = 1030139 ] || fail "egtb3.bit size"
[ "$("$cli" egtb verify "$dir" 2>/dev/null)" = ok ] || fail "verify"

# King d2 against king e3, White to move: index 164, and d2 takes e3 at once.
out=$("$cli" egtb probe "$dir" "$(position w W5 B10)")
echo "$out" | grep -qx "table 1d0p_1d0p_ru" || fail "probe table: $out"
echo "$out" | grep -qx "index 164" || fail "probe index: $out"
echo "$out" | grep -qx "bitbase win for the side to move" || fail "probe verdict: $out"
echo "$out" | grep -q "^exact -1: the side to move wins in 1 moves" || fail "probe exact: $out"

# The weaker side to move has no in-memory verdict, only the exact one.
out=$("$cli" egtb probe "$dir" "$(position w W0 B31 B28)")
echo "$out" | grep -qx "table 2d0p_1d0p_ru" || fail "probe turned table: $out"
echo "$out" | grep -q "^bitbase none" || fail "probe weaker side: $out"

"$cli" egtb probe "$dir" "$(position w W0 W1 W2 W3 B31 B30)" >/dev/null && fail "six pieces accepted"
"$cli" egtb build "$dir" --pieces 7 2>/dev/null; [ $? = 2 ] || fail "bad piece count not a usage error"
"$cli" egtb build "$dir" --jobs 0 2>/dev/null; [ $? = 2 ] || fail "no jobs not a usage error"
"$cli" egtb build "$dir" --pieces 2 --jobs 2>/dev/null; [ $? = 2 ] || fail "a missing job count not a usage error"
"$cli" egtb build "$dir/two" --jobs 2 --pieces 2 2>/dev/null | grep -q "^built 3 tables" || fail "options in either order"
"$cli" egtb 2>/dev/null; [ $? = 2 ] || fail "missing subcommand not a usage error"

# check, by sizes alone: every file of the five-piece tables there, or a failure that
# names each one missing or of the wrong size. Files of the right size stand in for
# the tables; the sizes asked for are those the generator writes.
"$cli" egtb check "$dir/none" >/dev/null && fail "check passed a missing folder"
mkdir "$dir/five"
"$cli" egtb check "$dir/five" >"$dir/out" && fail "check passed an empty folder"
[ "$(grep -c '^missing ' "$dir/out")" = 46 ] || fail "check: not every file named: $(head -3 "$dir/out")"
for name in $(sed -n 's/^missing //p' "$dir/out"); do printf x >"$dir/five/$name"; done
"$cli" egtb check "$dir/five" >"$dir/out" && fail "check passed files of one byte"
grep -qx 'wrong size egtb5.bit: 1 bytes, not 21852206' "$dir/out" || fail "check: egtb5.bit: $(head -1 "$dir/out")"
sed -n 's/^wrong size \(.*\): 1 bytes, not \([0-9]*\)$/\1 \2/p' "$dir/out" >"$dir/sizes"
[ "$(wc -l <"$dir/sizes")" = 46 ] || fail "check: not every size named"
while read -r name size; do truncate -s "$size" "$dir/five/$name"; done <"$dir/sizes"
cp "$dir"/*.brg "$dir/five/" # the generator's own files of up to three pieces
[ "$("$cli" egtb check "$dir/five")" = ok ] || fail "check of a complete folder: $("$cli" egtb check "$dir/five" | head -3)"
rm "$dir/five/1d1p_0d1p_ru.brg"
truncate -s 100 "$dir/five/2d2p_1d0p_ru.brg"
out=$("$cli" egtb check "$dir/five") && fail "check passed a missing and a short table"
[ "$out" = "missing 1d1p_0d1p_ru.brg
wrong size 2d2p_1d0p_ru.brg: 100 bytes, not $(sed -n 's/^2d2p_1d0p_ru.brg //p' "$dir/sizes")" ] ||
    fail "check: the missing and the short table: $out"

# One wrong distance byte is found and named.
index=$("$cli" egtb probe "$dir" "$(position b W9 w14 b27)" | sed -n 's/^index //p')
printf '\x7f' | dd of="$dir/1d1p_0d1p_ru.brg" bs=1 seek="$index" conv=notrunc 2>/dev/null
out=$("$cli" egtb verify "$dir" 2>/dev/null) && fail "corrupt byte passed"
echo "$out" | grep -q "1d1p_0d1p_ru index $index" || fail "corrupt byte not named: $out"
exit 0
